#pragma once
// The display options on their way to the kernel and back: the program hands
// its block "ConfiguratorVisible" to the kernel's copy of it (which the
// kernel's painter reads), and the windows read the options the kernel holds.

#include "common/abi/VisibleOptions.h"

#include <cstdint>

struct TKernelOptions;

namespace zo::configurator {

// The kernel's copy of the display options; the defaults while no kernel is
// bound or it keeps no copy.
TVisibleOptions VisibleOptionsOf(const TKernelOptions* record);

// Copies block (the program's "ConfiguratorVisible", size bytes) into the
// kernel's copy: false when no kernel is bound, it keeps no copy or the sizes differ.
bool HandVisibleOptions(const TKernelOptions* record, const void* block, int32_t size);

}  // namespace zo::configurator
