#pragma once
// The kernel's bindings of its outside libraries: the graphic library (block
// pictures), the debugging library and the routing library. Each record is nil
// while its library is not bound; callers test it before every use.

#include "common/abi/DebugOptions.h"
#include "common/abi/GraficOptions.h"
#include "common/abi/LogProc.h"
#include "common/abi/TraceOptions.h"

#include <string>

namespace zo::kernel {

TGraficOptions* GraficOptions();
TDebugOptions* DebugOptions();
TTraceOptions* TraceOptions();

// <current folder><subfolder>\ZoGraficConfig.so, else below the registry value "path".
void LoadGraficLibrary(const std::string& subfolder, void* application, void* screen, TLogProc log);
// Calls the library's finalisation, then unloads it.
void UnloadGraficLibrary(TLogProc log);
// <folder>ZoDebug.so by that path alone.
void LoadDebugLibrary(const std::string& folder, TLogProc log);
void UnloadDebugLibrary(TLogProc log);
// <folder>ZoTraceSchem.so by that path alone; never unbound while the kernel lives.
void LoadTraceLibrary(const std::string& folder, TLogProc log);
// The bindings exist from library load to unload; destroying them unloads
// every library still bound.
void CreateOutsideBindings();
void DestroyOutsideBindings(TLogProc log);

}  // namespace zo::kernel
