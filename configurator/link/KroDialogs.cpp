#include "configurator/link/KroDialogs.h"

#include "common/LibraryBinding.h"

#include <QCoreApplication>

namespace zo::configurator {

namespace {

TLibraryBinding& binding() {
    static TLibraryBinding b([] {
        LibraryBindingSpec spec;
        spec.fileName = "ZoDialogs.so";
        spec.exportName = "OpenDialogOfType";
        spec.hasRecord = false;
        spec.writeHostObjects = false;
        spec.lastRegistrySubfolder = "\\System";
        spec.logRegistryPath = false;
        return spec;
    }());
    return b;
}

TOpenDialogOfTypeProc g_openDialogOfType = nullptr;

}  // namespace

void LoadDialogsLibrary(const std::string& subfolder, TLogProc log) {
    if (binding().Bound()) UnloadDialogsLibrary(log);
    g_openDialogOfType = nullptr;
    if (binding().Load(subfolder, log)) g_openDialogOfType = reinterpret_cast<TOpenDialogOfTypeProc>(binding().Export());
}

void UnloadDialogsLibrary(TLogProc log) {
    g_openDialogOfType = nullptr;
    binding().Unload(log);
}

bool DialogsLibraryBound() { return g_openDialogOfType != nullptr; }

int32_t CallOpenDialogOfType(void* owner, const std::string& typeName, void* data) {
    if (!g_openDialogOfType) return kDialogsNotBound;
    const int32_t result = g_openDialogOfType(owner, typeName.c_str(), data);
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
    return result;
}

}  // namespace zo::configurator
