#include "support/TestSupport.h"

#include "platform/Cp1251.h"
#include "platform/DynLib.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <unistd.h>

namespace zo::test {

UiRecorder::UiRecorder() : previous_(platform::setUiServices(this)) {}
UiRecorder::~UiRecorder() { platform::setUiServices(previous_); }

void UiRecorder::showMessage(const std::string& text, const std::string&, platform::MessageKind) {
    messages.push_back(platform::cp1251ToUtf8(text));
}

platform::Answer UiRecorder::ask(const std::string& text, const std::string&, platform::Buttons) {
    questions.push_back(platform::cp1251ToUtf8(text));
    return answer;
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
