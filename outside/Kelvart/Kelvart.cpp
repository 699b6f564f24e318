// Stand-in for the product's converter Kelvart (configuration file to Configuration.inc).
//
//   Kelvart -o=<include> <configuration file>
//
// Reads the AVR controller's simplified configuration file and writes the
// assembler include of its table (see ConfigTable.h). "\" in paths is a folder
// separator. Exit codes: 0 written, 1 bad command line, 2 the file cannot be
// read, 3 it is not such a file, 4 the include cannot be written (nothing is
// left at its path then), 5 anything else failed (the reason on stderr).

#include "common/SlotBarrier.h"
#include "outside/Kelvart/ConfigTable.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace {

std::string native(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

bool writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

int error(const std::string& text, int code) {
    std::cerr << "Kelvart: error: " << text << std::endl;
    return code;
}

constexpr int kFailed = 5;

void reportFailure(const char*, const char* what) noexcept {
    std::fprintf(stderr, "Kelvart: error: %s\n", what);
}

int run(int argc, char** argv) {
    std::string output, input;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("-o=", 0) == 0) output = native(arg.substr(3));
        else if (input.empty()) input = native(arg);
        else return error("unexpected argument " + arg, 1);
    }
    if (output.empty() || input.empty()) return error("usage: Kelvart -o=<include> <configuration file>", 1);

    std::ifstream in(input, std::ios::binary);
    if (!in) return error("cannot read " + input, 2);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    zo::kelvart::ConfigTable table;
    std::string reason;
    if (!zo::kelvart::ParseConfig(bytes, table, reason)) return error(input + ": " + reason, 3);

    const std::string name = input.substr(input.find_last_of('/') + 1);
    const std::string text = zo::kelvart::IncludeText(table, name);
    // Written under a name of its own beside the include and renamed over it:
    // no file that was there before is written into or removed.
    const size_t slash = output.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : output.substr(0, slash + 1);
    std::string temp = folder + "." + output.substr(folder.size()) + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return error("cannot write " + output, 4);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const bool written = ::fchmod(fd, 0644 & ~mask) == 0 && writeAll(fd, text) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temp.c_str(), output.c_str()) != 0) {
        std::remove(temp.c_str());
        return error("cannot write " + output, 4);
    }
    std::cout << "Kelvart: " << output << ": " << table.blocks << " blocks, " << table.nets << " nets, "
              << table.table.size() << " bytes" << std::endl;
    return 0;
}

}  // namespace

int main(int argc, char** argv) { return zo::SlotBarrier<reportFailure, "Kelvart", run, kFailed>::Call(argc, argv); }
