#pragma once
// The program's binding of the kernel library ZoKernelConfig.

#include "common/abi/KernelOptions.h"

#include <string>

namespace zo {

// The kernel's record while the kernel is bound; nil otherwise. Callers test it
// before every slot call.
extern TKernelOptions* KernelOptionsPtr;
// The kernel's second export SaveProjectCopy(path) while the kernel is bound
// (the project's text into path; the project's file, name and channel base
// kept); nil otherwise or when the library lacks it.
extern TPathProc SaveProjectCopyPtr;

// Binds <current folder><subfolder>\ZoKernelConfig.so (else the same below the
// registry value "path"), requires the record size this platform lays out and
// writes the host objects. Every step is logged through log when given.
void LoadKernelLibrary(const std::string& subfolder, void* application, void* screen, TLogProc log);
// Calls KernelDone, unloads and clears the pointers; nothing when unbound.
void UnloadKernelLibrary(TLogProc log);

}  // namespace zo
