#include "configurator/link/VisibleOptionsLink.h"

#include "common/abi/KernelOptions.h"

#include <cstring>

namespace zo::configurator {

namespace {

constexpr const char* kVisibleBlock = "ConfiguratorVisible";

void* kernelCopy(const TKernelOptions* record) {
    if (!record || !record->GetKernelOptionBlock) return nullptr;
    void* data = nullptr;
    int32_t size = 0, reserved = 0;
    if (record->GetKernelOptionBlock(kVisibleBlock, &data, &size, &reserved) != 0) return nullptr;
    return size == int32_t(sizeof(TVisibleOptions)) ? data : nullptr;
}

}  // namespace

TVisibleOptions VisibleOptionsOf(const TKernelOptions* record) {
    TVisibleOptions options = kDefaultVisibleOptions;
    if (const void* copy = kernelCopy(record)) std::memcpy(&options, copy, sizeof options);
    return options;
}

bool HandVisibleOptions(const TKernelOptions* record, const void* block, int32_t size) {
    void* copy = kernelCopy(record);
    if (!copy || !block || size != int32_t(sizeof(TVisibleOptions))) return false;
    std::memcpy(copy, block, sizeof(TVisibleOptions));
    return true;
}

}  // namespace zo::configurator
