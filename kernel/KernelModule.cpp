// The library module of ZoKernelConfig: its one export GetInfo, the record it
// publishes, and the start and end of the library.

#include "common/Struct.h"
#include "common/abi/KernelOptions.h"
#include "kernel/Clipboard.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelRecord.h"
#include "kernel/KernelState.h"
#include "kernel/LineTypes.h"
#include "kernel/OutsideLibraries.h"
#include "kernel/Sheets.h"
#include "platform/Cp1251.h"

#include <cstring>

using namespace zo::kernel;

namespace {

const char* const kDescription = "библиотека ядра Orvanta Configurator";

void attach() {
    if (StateExists()) return;  // initialisation runs once
    CreateState();
    CreateOutsideBindings();
    TKernelOptions& o = Options();
    std::memset(&o, 0, sizeof o);
    FillKernelOptions(o);
    const std::string description = zo::platform::utf8ToCp1251(kDescription);
    std::strncpy(o.Description, description.c_str(), sizeof o.Description - 1);
}

void detach() {
    if (!StateExists()) return;
    ClearClipboard();
    ClearSheets();
    DestroyOutsideBindings(KernelLog);
    ClearLineTypes(&State().lineTypes);
    DestroyState();
}

// Runs when the library is loaded and when it is unloaded.
struct LibraryLifetime {
    LibraryLifetime() { attach(); }
    ~LibraryLifetime() { detach(); }
};
const LibraryLifetime g_lifetime;

}  // namespace

void zo::kernel::GetKernelInfo(void** record, int32_t* size) {
    if (record) *record = &Options();
    if (size) *size = kKernelOptionsSize;
}
