#pragma once
// The kernel's slots that the program's own assembler build asks, over the
// bound kernel record (nil: not bound).

#include "common/abi/KernelOptions.h"
#include "configurator/shell/BuildInternal.h"

namespace zo::link {

class TKernelBuildLink : public shell::IBuildKernel {
public:
    explicit TKernelBuildLink(TKernelOptions* kernel) : k_(kernel) {}
    bool bound() const { return k_ != nullptr; }

    std::string UploadFolder() override { return text(k_->GetUploadFolder); }
    std::string DeviceRuntimeFolder() override { return text(k_->GetDeviceRuntimeFolder); }
    std::string ProgramFolder() override { return text(k_->GetProgramFolder); }
    std::string DeviceFilePath() override { return text(k_->GetDeviceFilePath); }
    std::string DeviceProgram() override { return text(k_->GetDeviceProgram); }
    int32_t CreateConfigFile(const std::string& cfgPath, const char* logName,
                             std::vector<std::string>& libraries) override;

private:
    // The kernel's text is copied at once: the next call may overwrite it.
    static std::string text(TGetTextProc slot) {
        const char* t = slot ? slot() : nullptr;
        return t ? std::string(t) : std::string();
    }
    TKernelOptions* k_;
};

}  // namespace zo::link
