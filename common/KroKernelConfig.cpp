#include "common/KroKernelConfig.h"

#include "common/LibraryBinding.h"
#include "platform/Cp1251.h"

namespace zo {

TKernelOptions* KernelOptionsPtr = nullptr;

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
    if (binding().Load(subfolder, log, application, screen))
        KernelOptionsPtr = static_cast<TKernelOptions*>(binding().Record());
}

void UnloadKernelLibrary(TLogProc log) {
    if (!binding().Bound()) return;
    if (KernelOptionsPtr && KernelOptionsPtr->KernelDone) KernelOptionsPtr->KernelDone();
    binding().Unload(log);
    KernelOptionsPtr = nullptr;
}

}  // namespace zo
