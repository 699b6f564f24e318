#pragma once
// The real kernel for builds: a program folder in a temporary folder with the
// shipped files, the ATmega128 runtime and the tools of the built program
// folder, and ZoKernelConfig.so bound and started in it as the program starts
// it; its log lines go to the build host's log.

#include "common/abi/KernelOptions.h"
#include "support/TestSupport.h"

#include <string>

namespace zo::test {

class AvrProgramFolder {
public:
    AvrProgramFolder();
    std::string path() const { return dir_.str(); }

private:
    TempDir dir_;
};

class AvrKernel {
public:
    explicit AvrKernel(const AvrProgramFolder& folder);
    ~AvrKernel();
    AvrKernel(const AvrKernel&) = delete;
    AvrKernel& operator=(const AvrKernel&) = delete;
    bool bound() const { return record_ != nullptr; }
    TKernelOptions& k() { return *record_; }

private:
    ScopedCurrentDir current_;
    void* library_ = nullptr;
    void* convert_ = nullptr;
    TKernelOptions* record_ = nullptr;
};

}  // namespace zo::test
