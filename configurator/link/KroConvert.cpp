#include "configurator/link/KroConvert.h"

#include "common/LibraryBinding.h"
#include "platform/Cp1251.h"

namespace zo::configurator {

TConvertOptions* ConvertOptionsPtr = nullptr;

namespace {

TLibraryBinding& binding() {
    static TLibraryBinding b([] {
        LibraryBindingSpec spec;
        spec.fileName = "ZoConvert.so";
        spec.recordName = "TConvertOptions";
        spec.recordSize = int32_t(sizeof(TConvertOptions));
        spec.writeHostObjects = false;
        spec.successGap = "  ";
        spec.unloadLine = ZO_RU("Выгружена библиотека ") + "\"ZoConvert.so\"";
        return spec;
    }());
    return b;
}

}  // namespace

void LoadConvertLibrary(const std::string& subfolder, TLogProc log) {
    if (binding().Bound()) UnloadConvertLibrary(log);
    ConvertOptionsPtr = nullptr;
    if (binding().Load(subfolder, log)) ConvertOptionsPtr = static_cast<TConvertOptions*>(binding().Record());
}

void UnloadConvertLibrary(TLogProc log) {
    ConvertOptionsPtr = nullptr;
    binding().Unload(log);
}

}  // namespace zo::configurator
