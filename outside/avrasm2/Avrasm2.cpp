// Stand-in for the outside AVR assembler avrasm2: a thin wrapper around Debian's avra.
//
//   avrasm2 [-fI] [-o image] [-l list] [-m map] [-e eeprom] [-I folder] [-D symbol] source
//
// The sources of the source's folder are assembled from temporary copies in
// which the builder's "//" comments are ";" comments (avra refuses "//" at the
// start of a line and after an instruction). avra's messages are printed as
// "file:line: error: text" lines; its exit code is passed on. "\" in paths is
// a folder separator; output paths are taken relative to the current folder,
// and the output files reach them only when the run succeeded.
// Exit code 2 for a failure of its own (the reason on stderr).

#include "common/SlotBarrier.h"
#include "outside/avrasm2/AsmText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool isSource(const fs::path& p) {
    std::string ext = p.extension().string();
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".asm" || ext == ".inc" || ext == ".s";
}

bool copyConverted(const fs::path& from, const fs::path& to) {
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary);
    if (!in || !out) return false;
    std::string line;
    while (std::getline(in, line)) {
        bool cr = !line.empty() && line.back() == '\r';
        if (cr) line.pop_back();
        out << zo::avrasm2::SemicolonComments(line) << (cr ? "\r\n" : "\n");
    }
    return bool(out);
}

// Runs avra in folder; its output lines, rewritten, go to stdout. Answers its exit code.
int runAvra(const fs::path& folder, const std::vector<std::string>& args) {
    int pipeFd[2];
    if (::pipe(pipeFd) != 0) return 127;
    const pid_t pid = ::fork();
    if (pid < 0) return 127;
    if (pid == 0) {
        ::dup2(pipeFd[1], 1);
        ::dup2(pipeFd[1], 2);
        ::close(pipeFd[0]);
        ::close(pipeFd[1]);
        if (::chdir(folder.c_str()) != 0) _exit(127);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>("avra"));
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execvp("avra", argv.data());
        _exit(127);
    }
    ::close(pipeFd[1]);
    // avra answers 0 after some refusals of its command line: an error line fails the run.
    bool failed = false;
    auto report = [&failed](const std::string& line) {
        const std::string text = zo::avrasm2::RewriteMessage(line);
        if (text.find(": error: ") != std::string::npos || text.rfind("Error", 0) == 0) failed = true;
        std::cout << text << '\n';
    };
    std::string pending;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(pipeFd[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
        if (n < 0) continue;
        pending.append(buffer, size_t(n));
        size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, end);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            report(line);
            pending.erase(0, end + 1);
        }
    }
    if (!pending.empty()) report(pending);
    std::cout.flush();
    ::close(pipeFd[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status) == 0 && failed ? 1 : WEXITSTATUS(status);
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

constexpr int kFailed = 2;

// Puts a file made in the temporary folder at its named place: written under
// a name of its own beside it and renamed over it.
bool placeOutput(const fs::path& made, const fs::path& named) {
    std::ifstream in(made, std::ios::binary);
    if (!in) return false;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string temp = (named.parent_path() / ("." + named.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    bool ok = ::fchmod(fd, 0644 & ~mask) == 0;
    for (size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += size_t(n);
    }
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temp.c_str(), named.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

void reportFailure(const char*, const char* what) noexcept {
    std::fprintf(stderr, "avrasm2: error: %s\n", what);
}

int run(int argc, char** argv) {
    const zo::avrasm2::Command command = zo::avrasm2::TranslateArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!command.error.empty()) {
        std::cerr << "avrasm2: error: " << command.error << std::endl;
        return kFailed;
    }
    std::error_code ec;
    const fs::path cwd = fs::current_path(ec);
    const fs::path source = fs::absolute(command.source, ec);
    if (!fs::is_regular_file(source, ec)) {
        std::cerr << "avrasm2: error: source file " << command.source << " not found" << std::endl;
        return kFailed;
    }
    char pattern[] = "/tmp/zoavrasm2.XXXXXX";
    if (!::mkdtemp(pattern)) {
        std::cerr << "avrasm2: error: no temporary folder" << std::endl;
        return kFailed;
    }
    const fs::path temp = pattern;
    // The copies go however the run ends.
    struct RemovedAtEnd {
        const fs::path& folder;
        ~RemovedAtEnd() {
            std::error_code ignored;
            fs::remove_all(folder, ignored);
        }
    } removed{temp};
    for (const fs::directory_entry& e : fs::directory_iterator(source.parent_path(), ec)) {
        if (!e.is_regular_file() || !isSource(e.path())) continue;
        if (!copyConverted(e.path(), temp / e.path().filename())) {
            std::cerr << "avrasm2: error: cannot copy " << e.path().string() << std::endl;
            return kFailed;
        }
    }
    // avra writes its output files into the temporary folder; only a run that
    // succeeded puts them where the command line names them (relative to the
    // current folder). A failed run leaves every file it names as it was: the
    // wrapper writes into and removes no file it did not make in this run.
    // Includes that are not sources of the folder are found in the current folder too.
    std::vector<std::string> args = command.avraOptions;
    std::vector<std::pair<fs::path, fs::path>> outputs;  // made in temp -> named place
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == "-o" || args[i] == "-l" || args[i] == "-m" || args[i] == "-e") {
            const fs::path made = temp / ("output-" + std::to_string(outputs.size()));
            outputs.emplace_back(made, (cwd / args[i + 1]).lexically_normal());
            args[++i] = made.string();
        } else if (args[i] == "-I") {
            args[i + 1] = (cwd / args[i + 1]).lexically_normal().string();
            ++i;
        }
    }
    args.insert(args.end(), {"-I", source.parent_path().string(), source.filename().string()});
    const int rc = runAvra(temp, args);
    if (rc != 0) return rc;
    for (const auto& [made, named] : outputs) {
        if (!fs::exists(made, ec)) continue;
        if (!placeOutput(made, named)) {
            std::cerr << "avrasm2: error: cannot write " << named.string() << std::endl;
            return kFailed;
        }
    }
    return rc;
}

}  // namespace

int main(int argc, char** argv) { return zo::SlotBarrier<reportFailure, "avrasm2", run, kFailed>::Call(argc, argv); }
