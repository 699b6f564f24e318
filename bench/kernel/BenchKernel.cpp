// The kernel library as the benchmarks bind it: the kernel's own code with its
// export GetInfo, one more export that runs connection indexing, an inner
// routine that no slot reaches alone, and one that saves the project through
// the whole document, to compare the streamed file with.
#include "kernel/ConnectionIndex.h"
#include "kernel/KernelRecord.h"
#include "kernel/ProjectFile.h"

#include <cstdint>

extern "C" __attribute__((visibility("default"))) void GetInfo(void** record, int32_t* size) {
    zo::kernel::GetKernelInfo(record, size);
}

extern "C" __attribute__((visibility("default"))) int32_t BenchIndexConnections() {
    return zo::kernel::IndexConnections();
}

extern "C" __attribute__((visibility("default"))) int32_t BenchSaveProjectThroughDocument(const char* path) {
    return zo::kernel::SaveProjectThroughDocument(path);
}
