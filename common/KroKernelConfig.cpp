#include "common/KroKernelConfig.h"

#include "common/LibraryBinding.h"
#include "platform/Cp1251.h"
#include "platform/DynLib.h"

namespace zo {

TKernelOptions* KernelOptionsPtr = nullptr;
TPathProc SaveProjectCopyPtr = nullptr;

namespace {

TLibraryBinding& binding() {
    static TLibraryBinding b(LibraryBindingSpec{
        "ZoKernelConfig.so", "TKernelOptions", kKernelOptionsSize, true, true, " ", "",
        ZO_RU("Выгружена библиотека ") + "\"ZoKernelConfig.so\""});
    return b;
}

}  // namespace

void LoadKernelLibrary(const std::string& subfolder, void* application, void* screen, TLogProc log) {
    KernelOptionsPtr = nullptr;
    SaveProjectCopyPtr = nullptr;
    if (!binding().Load(subfolder, log, application, screen)) return;
    KernelOptionsPtr = static_cast<TKernelOptions*>(binding().Record());
    SaveProjectCopyPtr = reinterpret_cast<TPathProc>(platform::findSymbol(binding().Handle(), "SaveProjectCopy"));
}

void UnloadKernelLibrary(TLogProc log) {
    if (!binding().Bound()) return;
    if (KernelOptionsPtr && KernelOptionsPtr->KernelDone) KernelOptionsPtr->KernelDone();
    SaveProjectCopyPtr = nullptr;
    binding().Unload(log);
    KernelOptionsPtr = nullptr;
}

}  // namespace zo
