#pragma once
// Filling the kernel's record: every kernel slot and the defaults of the host
// slots, which answer until the host writes its own.

#include "common/abi/KernelOptions.h"

namespace zo::kernel {

void FillKernelOptions(TKernelOptions& options);

// What the library's export GetInfo answers: the record's address and size.
void GetKernelInfo(void** record, int32_t* size);

}  // namespace zo::kernel
