#include "configurator/link/ProgramFolders.h"

namespace zo::configurator {

namespace {

// The slot is read by name: the record is packed, so no member pointer into it.
std::string textOf(TGetTextProc slot) {
    const char* value = slot ? slot() : nullptr;
    return value ? std::string(value) : std::string();
}

}  // namespace

std::string KernelProgramFolder(const TKernelLink& kernel) {
    const TKernelOptions* record = kernel.record();
    return record ? textOf(record->GetProgramFolder) : std::string();
}
std::string KernelDeviceRuntimeFolder(const TKernelLink& kernel) {
    const TKernelOptions* record = kernel.record();
    return record ? textOf(record->GetDeviceRuntimeFolder) : std::string();
}
std::string KernelDeviceProgram(const TKernelLink& kernel) {
    const TKernelOptions* record = kernel.record();
    return record ? textOf(record->GetDeviceProgram) : std::string();
}

}  // namespace zo::configurator
