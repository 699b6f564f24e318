#pragma once
// The program's binding of the conversion library ZoConvert (typed values to
// and from text). The record is read-only for the program: it is handed to the
// kernel (slot ConvertOptions) and to the property inspector.

#include "common/abi/ConvertOptions.h"
#include "common/abi/LogProc.h"

#include <string>

namespace zo::configurator {

// The conversion library's record while it is bound; nil otherwise.
extern TConvertOptions* ConvertOptionsPtr;

// Binds <current folder><subfolder>\ZoConvert.so (else below the registry
// path), logging every step through log.
void LoadConvertLibrary(const std::string& subfolder, TLogProc log);
// Unloads it and logs the unload line; nothing when unbound.
void UnloadConvertLibrary(TLogProc log);

}  // namespace zo::configurator
