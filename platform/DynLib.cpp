#include "platform/DynLib.h"

#include "platform/Paths.h"

#include <dlfcn.h>

namespace zo::platform {

namespace {
thread_local std::string t_lastError;

void remember() {
    const char* err = dlerror();
    t_lastError = err ? err : "";
}
}  // namespace

void* loadLibrary(const std::string& path) {
    const std::string native = nativePath(withCurrentDir(path));
    // A name without a separator would make dlopen search the system folders.
    const std::string target = native.find('/') == std::string::npos ? "./" + native : native;
    void* handle = dlopen(target.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) remember();
    return handle;
}

void* findSymbol(void* handle, const char* name) {
    if (!handle || !name) return nullptr;
    dlerror();
    void* sym = dlsym(handle, name);
    if (!sym) remember();
    return sym;
}

void unloadLibrary(void* handle) {
    if (handle && dlclose(handle) != 0) remember();
}

std::string lastLibraryError() { return t_lastError; }

}  // namespace zo::platform
