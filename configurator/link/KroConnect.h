#pragma once
// The program's binding of the connection library ZoConnect (program update).
// Bound on first need, kept until the main window is destroyed.

#include "common/abi/ConnectOptions.h"

#include <string>

namespace zo::configurator {

// The connection library's record while it is bound; nil otherwise.
extern TConnectOptions* ConnectOptionsPtr;

// Binds <current folder><folder>\ZoConnect.so (an absolute folder, one that
// starts with "/", is taken as it is), else below the registry path; logs each
// step; writes the host objects and the record's Log := log, then calls the
// library's initialization.
void LoadConnectLibrary(const std::string& folder, void* application, void* screen, TLogProc log);
// Calls the library's finalization, unloads it and logs the unload line;
// nothing when unbound.
void UnloadConnectLibrary(TLogProc log);

}  // namespace zo::configurator
