#include "support/TestSupport.h"

#include "platform/Cp1251.h"
#include "platform/DynLib.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <linux/capability.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zo::test {

UiRecorder::UiRecorder() : previous_(platform::setUiServices(this)) {}
UiRecorder::~UiRecorder() { platform::setUiServices(previous_); }

void UiRecorder::showMessage(const std::string& text, const std::string&, platform::MessageKind) {
    messages.push_back(platform::cp1251ToUtf8(text));
}

platform::Answer UiRecorder::ask(const std::string& text, const std::string&, platform::Buttons) {
    questions.push_back(platform::cp1251ToUtf8(text));
    if (answers.empty()) return answer;
    const platform::Answer next = answers.front();
    answers.pop_front();
    return next;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zotest-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

ScopedCurrentDir::ScopedCurrentDir(const std::filesystem::path& dir) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
}
ScopedCurrentDir::~ScopedCurrentDir() {
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) {
        had_ = true;
        old_ = old;
    }
    setenv(name, value.c_str(), 1);
}
ScopedEnv::~ScopedEnv() {
    if (had_) setenv(name_.c_str(), old_.c_str(), 1);
    else unsetenv(name_.c_str());
}

LibraryRecord LoadLibraryRecord(const std::string& soName) {
    LibraryRecord lib;
    lib.handle = platform::loadLibrary(std::string(ZO_PROGRAM_DIR) + "/System/" + soName);
    lib.getInfo = reinterpret_cast<void (*)(void**, int32_t*)>(platform::findSymbol(lib.handle, "GetInfo"));
    if (lib.getInfo) lib.getInfo(&lib.record, &lib.size);
    return lib;
}

namespace {

// A folder whose files can be read but not created, removed or renamed, for a scope.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(std::filesystem::path folder)
        : folder_(std::move(folder)), previous_(std::filesystem::status(folder_).permissions()) {
        using std::filesystem::perms;
        std::filesystem::permissions(folder_, perms::owner_read | perms::owner_exec);
    }
    ~ReadOnlyFolder() {
        std::error_code ignored;
        std::filesystem::permissions(folder_, previous_, ignored);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

private:
    std::filesystem::path folder_;
    std::filesystem::perms previous_;
};

// Drops the capabilities that let root pass over file permissions, for the
// rest of the calling process; true when permissions now hold for it.
bool HonourFilePermissions() {
    if (geteuid() != 0) return true;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
    if (syscall(SYS_capget, &header, data) != 0) return false;
    for (const int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) {
        data[cap / 32].effective &= ~(1u << (cap % 32));
        data[cap / 32].permitted &= ~(1u << (cap % 32));
    }
    return syscall(SYS_capset, &header, data) == 0;
}

}  // namespace

int RunInChild(const std::function<int()>& body) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) _exit(body());
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int RunWithFullDisk(uint64_t limit, const std::function<int()>& body) {
    return RunInChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit fileSize{limit, limit};
        setrlimit(RLIMIT_FSIZE, &fileSize);
        return body();
    });
}

int RunWithReadOnlyFolder(const std::string& folder, const std::function<int()>& body) {
    const ReadOnlyFolder readOnly(folder);
    return RunInChild([&] { return HonourFilePermissions() ? body() : 99; });
}

int RunHonouringFilePermissions(const std::function<int()>& body) {
    return RunInChild([&] { return HonourFilePermissions() ? body() : 99; });
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string cp(const std::string& utf8) { return platform::utf8ToCp1251(utf8); }
std::string utf(const std::string& cp1251) { return platform::cp1251ToUtf8(cp1251); }

}  // namespace zo::test
