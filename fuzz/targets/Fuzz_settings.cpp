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

namespace {

// The option blocks of the shipped options file as the kernel reads them
// (OPTIONS/STRUCT), without the menu and the value lists the program reads.
std::string blocksOnly(const std::string& options) {
    const size_t from = options.find("<STRUCT>");
    const size_t to = options.find("</STRUCT>");
    if (from == std::string::npos || to == std::string::npos) Fail("the shipped options file has no STRUCT");
    const size_t declaration = options.find("?>");
    return options.substr(0, declaration + 2) + "\n<OPTIONS>" + options.substr(from, to + 9 - from) + "</OPTIONS>\n";
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    StartKernel();
    const std::string options = ProgramFile("Struct/Options.xml");
    WriteFile(options, blocksOnly(ReadFile(options)));
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
