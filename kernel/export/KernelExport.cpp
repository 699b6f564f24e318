// The exports of ZoKernelConfig: the record, and the copy of the project that
// the program compares with and keeps unsaved work in.
#include "kernel/KernelLog.h"
#include "kernel/KernelRecord.h"
#include "kernel/ProjectFile.h"

extern "C" __attribute__((visibility("default"))) void GetInfo(void** record, int32_t* size) {
    zo::kernel::GetKernelInfo(record, size);
}

extern "C" __attribute__((visibility("default"))) int32_t SaveProjectCopy(const char* path) {
    using namespace zo::kernel;
    return ZO_KERNEL_SLOT(SaveProjectCopyTo, kSaveNoDescription)(path);
}
