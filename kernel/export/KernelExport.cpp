// The one export of ZoKernelConfig.
#include "kernel/KernelRecord.h"

extern "C" __attribute__((visibility("default"))) void GetInfo(void** record, int32_t* size) {
    zo::kernel::GetKernelInfo(record, size);
}
