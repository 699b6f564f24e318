#pragma once
// The real kernel library for the program's window tests: bound from a
// temporary program folder that holds the shipped structures, devices and
// element library files, with the conversion library's record, started with
// KernelInit. The current folder is the program folder for the fixture's life.

#include "common/KroKernelConfig.h"
#include "support/TestSupport.h"

#include <string>
#include <vector>

namespace zo::test {

class RealKernel {
public:
    RealKernel();
    ~RealKernel();
    RealKernel(const RealKernel&) = delete;
    RealKernel& operator=(const RealKernel&) = delete;

    TKernelOptions& kernel() { return *KernelOptionsPtr; }
    bool bound() const { return KernelOptionsPtr != nullptr; }
    const std::string& folder() const { return path_; }
    // Adds a sheet and answers its name (Windows-1251).
    std::string addSheet();
    int blockCount(const std::string& sheetName);

    static std::vector<std::string> logLines;  // UTF-8

private:
    TempDir dir_;
    std::string path_;
    TempDir config_;
    ScopedEnv env_;
    ScopedCurrentDir cd_;
    UiRecorder ui_;
};

}  // namespace zo::test
