#pragma once
// A host for kernel tests: binds the real kernel library from a program folder
// as the program does, and records every log line it writes.

#include "common/KroKernelConfig.h"
#include "support/TestSupport.h"

#include <string>
#include <utility>
#include <vector>

namespace zo::test {

struct LogLine {
    std::string text;  // UTF-8
    int level;
};

// Lines of the program's log procedure (TLogProc) and of the kernel's
// log callback (TLogWriteProc), in order.
class LogRecorder {
public:
    LogRecorder();
    ~LogRecorder();
    static void Proc(const char* text, uint8_t level);
    static void WriteProc(const char* logName, const char* text, int32_t mode, int32_t level);
    std::vector<LogLine> lines;
    std::vector<std::string> logNames;  // log names given to WriteProc
    std::vector<int> modes;
    bool has(const std::string& utf8) const;
    std::vector<std::string> texts() const;
};

// A program folder in a temporary folder: "Configurator", the six folders,
// Struct/ with the shipped files and System/ pointing at the built libraries.
class ProgramFolder {
public:
    explicit ProgramFolder(bool withProgram = true);
    const std::string& path() const { return path_; }
    std::string sub(const std::string& name) const { return path_ + "/" + name; }

private:
    TempDir dir_;
    std::string path_;
};

// The conversion library's record (ZoConvert.so from the built program folder).
const TConvertOptions* ConvertOptions();

}  // namespace zo::test
