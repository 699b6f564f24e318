#include "configurator/link/OptionBlockLink.h"

#include "common/KroKernelConfig.h"

namespace zo::configurator {

int32_t KernelOptionBlock(const char* name, void** data, int32_t* size, int32_t* reserved) {
    if (!KernelOptionsPtr || !KernelOptionsPtr->GetKernelOptionBlock) return -1;
    return KernelOptionsPtr->GetKernelOptionBlock(name, data, size, reserved);
}

}  // namespace zo::configurator
