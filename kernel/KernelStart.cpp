#include "kernel/KernelStart.h"

#include "common/Struct.h"
#include "common/abi/StructAccess.h"
#include "kernel/DebugMode.h"
#include "kernel/GraficServices.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "kernel/LineTypes.h"
#include "kernel/OutsideLibraries.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"
#include "platform/Registry.h"

namespace zo::kernel {

namespace {

// The program that marks a folder as the program folder.
const char* const kProgramFile = "\\Configurator";

struct FolderEntry {
    std::string KernelState::*folder;
    const char* suffix;
    const char* label;  // UTF-8
};

const FolderEntry kFolders[] = {
    {&KernelState::runtimeFolder, "\\Runtime", "Исполнительные программы: "},
    {&KernelState::configurationFolder, "\\Configuration", "Конфигурации: "},
    {&KernelState::uploadFolder, "\\Upload", "Подготовленный проект: "},
    {&KernelState::deviceFolder, "\\Device", "Путь к устройствам: "},
    {&KernelState::projectFolder, "\\Project", "Путь к проектам: "},
    {&KernelState::structFolder, "\\Struct", "Путь к структурам: "},
};

void workOutFolders(KernelState& s) {
    s.programPath = platform::currentDir();
    if (!platform::fileExists(s.programPath + kProgramFile)) {
        s.registryPath = platform::registryProgramPath();
        s.programPath = s.registryPath;
    }
    Log(ZO_RU("Путь программы: ") + Q + s.programPath + Q, kLogInformation);
    for (const FolderEntry& f : kFolders) {
        std::string folder = s.programPath + f.suffix;
        if (!platform::dirExists(folder)) {
            s.registryPath = platform::registryProgramPath();
            folder = s.registryPath + f.suffix;
        }
        s.*(f.folder) = folder;
        Log(platform::utf8ToCp1251(f.label) + Q + folder + Q, kLogInformation);
    }
}

}  // namespace

void WireGraficLibrary(TGraficOptions& g) {
    g.Log = KernelLog;
    g.GetStructName = ZO_KERNEL_SLOT(GetStructName, nullptr);
    g.GetStructCaption = ZO_KERNEL_SLOT(GetStructCaption, nullptr);
    g.GetStructItemCount = ZO_KERNEL_SLOT(GetStructItemCount, 0);
    g.GetStructItemType = ZO_KERNEL_SLOT(GetStructItemType, nullptr);
    g.GetStructItemName = ZO_KERNEL_SLOT(GetStructItemName, nullptr);
    g.GetStructItemCaption = ZO_KERNEL_SLOT(GetStructItemCaption, nullptr);
    g.GetStructItemKind = ZO_KERNEL_SLOT(GetStructItemKind, nullptr);
    g.GetStructItemDefault = ZO_KERNEL_SLOT(GetStructItemDefault, nullptr);
    g.GetStructItemValue = ZO_KERNEL_SLOT(GetStructItemValue, nullptr);
    g.FindStructItem = ZO_KERNEL_SLOT(FindStructItem, 0);
    g.AddMenObjItem = ZO_KERNEL_SLOT(AddMenObjItem, -1);
    g.GetConnectionTypeColor = ZO_KERNEL_SLOT(GetConnectionTypeColor, kUnknownLineTypeColor);
}

}  // namespace zo::kernel

using namespace zo::kernel;

extern "C" void KernelInit() {
    KernelState& s = State();
    TKernelOptions& o = Options();
    if (o.HostApplication && o.HostScreen) {
        // One Qt application per process: the host's objects are remembered
        // and handed on to the libraries the kernel binds.
        s.savedApplication = o.HostApplication;
        s.savedScreen = o.HostScreen;
    }
    LoadGraficLibrary("\\System", o.HostApplication, o.HostScreen, o.KernelLog);
    if (TGraficOptions* g = GraficOptions(); g && g->GraficInit) g->GraficInit(g);
    workOutFolders(s);
    if (TGraficOptions* g = GraficOptions()) WireGraficLibrary(*g);
    o.Inspector.ConvertOptions = o.ConvertOptions;
    LoadTraceLibrary("System\\", o.KernelLog);
    // The structure layer needs its conversion record before the line types
    // are read: their description is loaded through the cache.
    s.convertOptions = o.ConvertOptions;
    s.structCache->ConvertOptions = o.ConvertOptions;
    const std::string configFile = s.structFolder + "\\Config.xml";
    if (LoadLineTypes(configFile.c_str(), "Line_12px", "Line_12px_Mask", 12, &s.lineTypes) != 0)
        Log(ZO_RU("Ошибка загрузки типов соеденений ") + Q + configFile + Q, kLogError);
}

extern "C" int32_t KernelDone() {
    KernelState& s = State();
    StopDebugging();
    ClearLineTypes(&s.lineTypes);
    s.savedApplication = nullptr;
    s.savedScreen = nullptr;
    return kKernelEnded;
}

extern "C" const char* GetProgramFolder() { return State().programFolder; }
extern "C" const char* GetDeviceFolder() { return State().deviceFolder.c_str(); }
extern "C" const char* GetProjectFolder() { return State().projectFolder.c_str(); }
extern "C" const char* GetStructFolder() { return State().structFolder.c_str(); }
extern "C" const char* GetUploadFolder() { return State().uploadFolder.c_str(); }
extern "C" const char* GetConfigurationFolder() { return State().configurationFolder.c_str(); }

extern "C" const char* GetDeviceRuntimeFolder() {
    KernelState& s = State();
    const std::string program(s.deviceProgram);
    // Up to the first dot; a name without a dot gives the Runtime folder alone.
    const size_t dot = program.find('.');
    s.runtimeFolderBuffer = s.runtimeFolder + "\\" + (dot == std::string::npos ? std::string() : program.substr(0, dot));
    return s.runtimeFolderBuffer.c_str();
}
