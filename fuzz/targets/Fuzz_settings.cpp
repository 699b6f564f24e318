// A settings file (Struct\Configurator.xml) from another version, another
// tool or a broken disk: the program's option blocks and the kernel's own
// loaded from it and saved back as the program does at start and exit. A
// file that does not parse or is not a settings file is never rewritten;
// saving a block leaves the other blocks as they were; what was saved loads
// back.

#include "kernel/OptionBlocks.h"
#include "support/FuzzSupport.h"
#include "support/OptionBlockRun.h"

#include <string>

using namespace zo;
using namespace zo::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    StartKernel();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteFile(SettingsFile(), data, size);
    // One block an input, chosen by its length, keeps an input's work small.
    const char* const blocks[] = {"ConfiguratorUpdate", "ConfiguratorVisible", "ConfiguratorConnect",
                                  kernel::kBuilderBlockName};
    RunOptionBlock(blocks[size % 4]);
    RestoreFolder();
    return 0;
}
