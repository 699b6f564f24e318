#include "AvrKernel.h"

#include "platform/DynLib.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace zo::test {

namespace {

void dropLine(const char*, const char*, int32_t, int32_t) {}
int32_t showProperties(const char*, int32_t, const TStructInstance*, TPropertiesChangedProc, int32_t, int32_t,
                       int32_t, int32_t) {
    return 0;
}
int32_t replaceProperties(const char*, int32_t, const TStructInstance*, TPropertiesChangedProc) { return 0; }
void repaintInspector() {}

}  // namespace

AvrProgramFolder::AvrProgramFolder() {
    const fs::path built(ZO_PROGRAM_DIR);
    const fs::path p = dir_.path();
    for (const char* d : {"Configuration", "Upload", "Project", "Runtime", "Utility", "config"}) fs::create_directory(p / d);
    for (const char* d : {"Struct", "Device", "Library", "Project"})
        fs::copy(built / d, p / d, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    fs::copy(built / "Runtime" / "Mega128", p / "Runtime" / "Mega128", fs::copy_options::recursive);
    for (const char* tool : {"Kelvart", "avrasm2"}) fs::create_symlink(built / "Utility" / tool, p / "Utility" / tool);
    fs::create_directory_symlink(built / "System", p / "System");
    writeBytes((p / "Configurator").string(), "");
}

AvrKernel::AvrKernel(const AvrProgramFolder& folder) : current_(folder.path()) {
    const std::string system = folder.path() + "/System/";
    convert_ = platform::loadLibrary(system + "ZoConvert.so");
    library_ = platform::loadLibrary(system + "ZoKernelConfig.so");
    auto convertInfo = reinterpret_cast<TGetInfoProc>(convert_ ? platform::findSymbol(convert_, "GetInfo") : nullptr);
    auto kernelInfo = reinterpret_cast<TGetInfoProc>(library_ ? platform::findSymbol(library_, "GetInfo") : nullptr);
    if (!convertInfo || !kernelInfo) return;
    void* convert = nullptr;
    void* record = nullptr;
    int32_t size = 0;
    convertInfo(&convert, &size);
    kernelInfo(&record, &size);
    if (!record || size != int32_t(sizeof(TKernelOptions))) return;
    record_ = static_cast<TKernelOptions*>(record);
    TKernelOptions& k = *record_;
    k.ConvertOptions = static_cast<TConvertOptions*>(convert);
    k.SetLogCallback("Build.log", dropLine);
    k.Inspector.ShowElementProperties = showProperties;
    k.Inspector.ReplaceElementProperties = replaceProperties;
    k.Inspector.RepaintInspector = repaintInspector;
    k.KernelInit();
}

AvrKernel::~AvrKernel() {
    if (record_) {
        record_->CloseProject("");
        record_->KernelDone();
    }
    platform::unloadLibrary(library_);
    platform::unloadLibrary(convert_);
}

}  // namespace zo::test
