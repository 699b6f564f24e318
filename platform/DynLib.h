#pragma once
// The one binder of dynamic libraries: dlopen / dlsym / dlclose. Paths are
// system paths ("\" separators allowed); they are mapped to native form here.

#include <string>

namespace zo::platform {

void* loadLibrary(const std::string& path);          // nullptr on failure
void* findSymbol(void* handle, const char* name);    // nullptr when missing
void unloadLibrary(void* handle);                     // nullptr is ignored
std::string lastLibraryError();                       // dlerror() text of the last failure

}  // namespace zo::platform
