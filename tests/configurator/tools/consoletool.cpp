// A console tool for the runner's tests: does what its arguments say, in order.
//   out=TEXT      TEXT and a line end to standard output ("%r" and "%n" in TEXT
//                 become CR and LF, "%e" ends the text without a line end)
//   err=TEXT      the same to standard error
//   errbytes=N    N bytes to standard error, in lines of 99 'x' and a LF
//   outbytes=N    the same to standard output
//   cwd           the current folder to standard output
//   env=NAME      "NAME=value" or "NAME unset" to standard output
//   args          every further argument on a line of its own, "arg:" before it
//   sleep=MS      waits
//   crash         ends by SIGKILL
//   exit=N        ends with exit code N
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

void writeText(FILE* stream, const std::string& text) {
    std::string out;
    bool lineEnd = true;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size()) {
            const char c = text[++i];
            if (c == 'r') out.push_back('\r');
            else if (c == 'n') out.push_back('\n');
            else if (c == 'e') lineEnd = false;
            else out.push_back(c);
        } else {
            out.push_back(text[i]);
        }
    }
    if (lineEnd) out.push_back('\n');
    std::fwrite(out.data(), 1, out.size(), stream);
    std::fflush(stream);
}

void writeBytes(FILE* stream, long count) {
    std::string line(99, 'x');
    line.push_back('\n');
    while (count > 0) {
        const long n = count < long(line.size()) ? count : long(line.size());
        std::fwrite(line.data(), 1, size_t(n), stream);
        count -= n;
    }
    std::fflush(stream);
}

bool starts(const std::string& text, const char* prefix, std::string& rest) {
    const std::string p(prefix);
    if (text.compare(0, p.size(), p) != 0) return false;
    rest = text.substr(p.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string value;
        if (starts(arg, "out=", value)) writeText(stdout, value);
        else if (starts(arg, "err=", value)) writeText(stderr, value);
        else if (starts(arg, "errbytes=", value)) writeBytes(stderr, std::atol(value.c_str()));
        else if (starts(arg, "outbytes=", value)) writeBytes(stdout, std::atol(value.c_str()));
        else if (arg == "cwd") {
            char buf[4096];
            writeText(stdout, getcwd(buf, sizeof buf) ? buf : "?");
        } else if (starts(arg, "env=", value)) {
            const char* v = std::getenv(value.c_str());
            writeText(stdout, v ? value + "=" + v : value + " unset");
        } else if (arg == "args") {
            for (++i; i < argc; ++i) writeText(stdout, std::string("arg:") + argv[i]);
        } else if (starts(arg, "sleep=", value)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::atol(value.c_str())));
        } else if (arg == "crash") {
            std::raise(SIGKILL);
        } else if (starts(arg, "exit=", value)) {
            return std::atoi(value.c_str());
        }
    }
    return 0;
}
