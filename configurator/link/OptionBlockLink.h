#pragma once
// The kernel's own option blocks, for the program's block lookup
// GetOptionBlock: a plain C callback, so it reaches the kernel bound now.

#include <cstdint>

namespace zo::configurator {

// The bound kernel's GetKernelOptionBlock; -1 while no kernel is bound.
int32_t KernelOptionBlock(const char* name, void** data, int32_t* size, int32_t* reserved);

}  // namespace zo::configurator
