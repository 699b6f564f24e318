#include "configurator/link/KroLog.h"

#include "common/LibraryBinding.h"

#include <atomic>

namespace zo::configurator {

TLogsOptions* LogsOptionsPtr = nullptr;

namespace {

// WriteLog may run on a library's thread while the GUI thread binds or unbinds.
std::atomic<TLogsOptions*> g_logs{nullptr};

TLibraryBinding& binding() {
    static TLibraryBinding b([] {
        LibraryBindingSpec spec;
        spec.fileName = "ZoLogs.so";
        spec.recordName = "TLogsOptions";
        spec.recordSize = int32_t(sizeof(TLogsOptions));
        spec.callLifeSlots = true;
        return spec;
    }());
    return b;
}

}  // namespace

void LoadLogsLibrary(const std::string& subfolder, void* application, void* screen) {
    if (binding().Bound()) UnloadLogsLibrary();
    if (binding().Load(subfolder, nullptr, application, screen)) {
        LogsOptionsPtr = static_cast<TLogsOptions*>(binding().Record());
        g_logs.store(LogsOptionsPtr);
    }
}

void UnloadLogsLibrary() {
    g_logs.store(nullptr);
    LogsOptionsPtr = nullptr;
    binding().Unload(nullptr);
}

bool LogsLibraryBound() { return LogsOptionsPtr != nullptr; }

extern "C" void WriteLog(const char* text, uint8_t level) {
    TLogsOptions* logs = g_logs.load();
    if (logs && logs->WriteLine) logs->WriteLine(kProgramLogName, text ? text : "", 3, level);
}

}  // namespace zo::configurator
