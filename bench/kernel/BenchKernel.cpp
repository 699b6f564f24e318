// The kernel library as the benchmarks bind it: the kernel's own code with its
// export GetInfo, and one more export that runs connection indexing, an inner
// routine that no slot reaches alone.
#include "kernel/ConnectionIndex.h"
#include "kernel/KernelRecord.h"

#include <cstdint>

extern "C" __attribute__((visibility("default"))) void GetInfo(void** record, int32_t* size) {
    zo::kernel::GetKernelInfo(record, size);
}

extern "C" __attribute__((visibility("default"))) int32_t BenchIndexConnections() {
    return zo::kernel::IndexConnections();
}
