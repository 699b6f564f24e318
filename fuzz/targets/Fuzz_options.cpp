// An options file (Struct\Options.xml) from another version or a broken
// disk: every option block it describes, and the program's own, taken
// through description, load, save and load again as the program's option
// walk does at start and exit, and the kernel's own block asked for.

#include "kernel/KernelState.h"
#include "kernel/OptionBlocks.h"
#include "support/FuzzSupport.h"
#include "support/OptionBlockRun.h"

#include <vector>
#include <string>

using namespace zo;
using namespace zo::fuzz;

namespace {

// Settings as a previous run of the program left them.
const char* const kSettingsUtf8 = R"(<?xml version="1.0" encoding="windows-1251"?>
<setings>
  <ConfiguratorUpdate AutoCheck="0" LastCheck="45123.5"/>
  <ConfiguratorConnect UseProxy="1" ProxyServer="прокси.local" ProxyPort="3128"/>
  <ConfiguratorBuilder GroupInputs="1"/>
</setings>
)";

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    StartKernel();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteFile(ProgramFile("Struct/Options.xml"), data, size);
    WriteFile(SettingsFile(), Cp(kSettingsUtf8));

    // The program's blocks and those the file describes; one block an input,
    // chosen by its length, keeps an input's work small.
    std::vector<std::string> blocks = {"ConfiguratorUpdate", "ConfiguratorVisible", "ConfiguratorConnect",
                                       kernel::kBuilderBlockName};
    const DocumentNames names = ReadNames(ProgramFile("Struct/Options.xml"));
    for (const std::string& path : names.blockPaths) {
        const size_t slash = path.rfind('/');
        blocks.push_back(path.substr(slash == std::string::npos ? 0 : slash + 1));
    }
    RunOptionBlock(blocks[size % blocks.size()]);

    void* own = nullptr;
    int32_t ownSize = 0, reserved = -1;
    ZO_FUZZ_CHECK(GetKernelOptionBlock(kernel::kBuilderBlockName, &own, &ownSize, &reserved) == 0 && ownSize == 2,
                  "the kernel's own block");
    RestoreFolder();
    return 0;
}
