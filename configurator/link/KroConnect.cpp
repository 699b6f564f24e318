#include "configurator/link/KroConnect.h"

#include "common/LibraryBinding.h"
#include "platform/Cp1251.h"

namespace zo::configurator {

TConnectOptions* ConnectOptionsPtr = nullptr;

namespace {

TLogProc g_log = nullptr;  // the log the record receives at binding

LibraryBindingSpec connectSpec(bool absolute) {
    LibraryBindingSpec spec;
    spec.fileName = "ZoConnect.so";
    spec.recordName = "TConnectOptions";
    spec.recordSize = int32_t(sizeof(TConnectOptions));
    spec.searchWithRegistry = !absolute;
    spec.successGap = "   ";
    spec.unloadLine = ZO_RU("Выгружена библиотека ") + "\"ZoConnect.so\"";
    spec.callLifeSlots = true;
    spec.prepareRecord = [](void* record) { static_cast<TConnectOptions*>(record)->Log = g_log; };
    return spec;
}

// One binding for the usual search, one for an absolute folder; at most one is bound.
TLibraryBinding& searched() {
    static TLibraryBinding b(connectSpec(false));
    return b;
}
TLibraryBinding& absolute() {
    static TLibraryBinding b(connectSpec(true));
    return b;
}

}  // namespace

void LoadConnectLibrary(const std::string& folder, void* application, void* screen, TLogProc log) {
    UnloadConnectLibrary(log);
    g_log = log;
    const bool isAbsolute = !folder.empty() && folder[0] == '/';
    TLibraryBinding& binding = isAbsolute ? absolute() : searched();
    const std::string where = isAbsolute ? folder + "\\" : folder;
    if (binding.Load(where, log, application, screen)) ConnectOptionsPtr = static_cast<TConnectOptions*>(binding.Record());
}

void UnloadConnectLibrary(TLogProc log) {
    ConnectOptionsPtr = nullptr;
    searched().Unload(log);
    absolute().Unload(log);
}

}  // namespace zo::configurator
