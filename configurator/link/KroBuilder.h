#pragma once
// The binding of a builder plug-in (the library a device description names in
// its Builder attribute): bound by the build command for one build only, its
// export Build called once, unbound at once.

#include "common/abi/BuildParams.h"
#include "common/abi/LogProc.h"

#include <cstdint>
#include <string>

namespace zo::configurator {

// Binds <current folder><subfolder>\<libraryName>, else the same below the
// registry path. Every failure is logged (level 5) and leaves nothing bound.
void LoadBuilderLibrary(const std::string& subfolder, const std::string& libraryName, TLogProc log);
// Frees the library; logs "Выгружена библиотека" when a log is given and a library was bound.
void UnloadBuilderLibrary(TLogProc log);
// The export's result, -1 when no library or no Build is bound.
int32_t CallBuild(TBuildParams* params);
bool BuilderLibraryBound();
// The path of the bound library (empty when none).
std::string BuilderLibraryPath();

}  // namespace zo::configurator
