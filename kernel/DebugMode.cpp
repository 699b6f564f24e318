#include "kernel/DebugMode.h"

#include "common/Struct.h"
#include "kernel/ConnectionIndex.h"
#include "kernel/DeviceFile.h"
#include "kernel/Gesture.h"
#include "kernel/KernelLock.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "kernel/NetValues.h"
#include "kernel/OutsideLibraries.h"
#include "kernel/RepaintRequests.h"
#include "platform/Cp1251.h"

#include <cstdlib>
#include <cstring>

namespace zo::kernel {

namespace {

const char* const kDebugFolder = "System\\";
const char* const kConfigLogName = "CreateConfig.log";

void copyText(char* destination, size_t capacity, const std::string& text) {
    std::memset(destination, 0, capacity);
    std::strncpy(destination, text.c_str(), capacity - 1);
}

void emptyInspector() {
    if (auto replace = Options().Inspector.ReplaceElementProperties) replace(nullptr, 0, nullptr, nullptr);
}

// The controller's address from the device header record: "IP" and a "Port" of type "Word".
void readAddress(const TStruct& header, TDebugOptions& debug) {
    const void* record = State().headerRecord;
    if (!record) return;
    for (int i = 0; i < header.GetItemCount(); ++i) {
        const std::string name = header.GetItemName(i);
        if (name == "IP") {
            copyText(debug.IpAddress, sizeof debug.IpAddress, header.GetValue(record, i));
        } else if (name == "Port" && header.GetItemType(i) == "Word") {
            uint16_t port = 0;
            std::memcpy(&port, header.GetValuePtr(const_cast<void*>(record), i), sizeof port);
            debug.Port = port;
        }
    }
}

void unloadAfterFailure() {
    UnloadDebugLibrary(Options().KernelLog);
    ClearNetValues();
}

// Starts debugging; false when the scheme windows need no repaint (the start
// stopped before the configuration file was tried).
bool startDebugging() {
    KernelState& s = State();
    ResetRepaintRequests();
    if (s.projectPath[0] == '\0') {
        Log(ZO_RU("Проект ") + Q + s.projectName + Q + ZO_RU(" не сохранен, невозможно запустить отладку"), kLogError);
        return false;
    }
    LoadDebugLibrary(kDebugFolder, Options().KernelLog);
    if (!DebugOptions()) return false;
    const std::string cfgPath = DebugConfigPath(s.projectPath);
    const TCreateConfigFileProc createConfig = Options().CreateConfigFile;
    if (!createConfig || createConfig(cfgPath.c_str(), kConfigLogName, nullptr) != 0) {
        Log(ZO_RU("Ошибка создания файла конфигурации"), kLogError);
        unloadAfterFailure();
        return true;
    }
    Log(ZO_RU("Создан файл конфигурации ") + Q + cfgPath + Q, kLogInformation);
    const TStruct* header = HeaderDescription();
    if (!header) {
        UnloadDebugLibrary(Options().KernelLog);
        return false;
    }
    TDebugOptions& debug = *DebugOptions();
    copyText(debug.DeviceFile, sizeof debug.DeviceFile, GetDeviceFilePath());
    copyText(debug.ConfigFile, sizeof debug.ConfigFile, cfgPath);
    readAddress(*header, debug);
    FillNetValues(IndexConnections());
    debug.Lock = ZO_KERNEL_SLOT(Lock);
    debug.Unlock = ZO_KERNEL_SLOT(Unlock);
    debug.Log = Options().KernelLog;
    debug.ConvertOptions = Options().ConvertOptions;
    debug.HostCallback = Options().RepaintSchemeWindows;
    debug.RequestRepaint = ZO_KERNEL_SLOT(RequestRepaint);
    debug.LibraryFileCount = Options().LibraryFileCount;
    debug.GetLibraryFile = Options().GetLibraryFile;
    if (debug.Start) debug.Start();
    return true;
}

}  // namespace

void StopDebugging() {
    TDebugOptions* debug = DebugOptions();
    if (!debug) return;
    if (debug->Stop) debug->Stop();
    ClearNetValues();
    UnloadDebugLibrary(Options().KernelLog);
}

std::string DebugConfigPath(const std::string& projectPath) {
    const size_t name = projectPath.find_last_of("\\/");
    const size_t dot = projectPath.rfind('.');
    const bool hasExtension = dot != std::string::npos && (name == std::string::npos || dot > name);
    return (hasExtension ? projectPath.substr(0, dot) : projectPath) + ".cfg";
}

}  // namespace zo::kernel

using namespace zo::kernel;

extern "C" void SetMode(uint8_t mode) {
    State().mode = mode;
    ResetGesture();
    ClearRepaintRequest();
    if (auto update = Options().UpdateActionStates) update();
    emptyInspector();
    if (mode != kModeDebug && DebugOptions()) StopDebugging();
    if (mode == kModeDebug && !DebugOptions() && !startDebugging()) return;
    if (auto repaint = Options().RepaintSchemeWindows) repaint();
}

extern "C" uint8_t GetMode() { return State().mode; }

extern "C" int32_t ForwardToDebugger(int32_t a, int32_t b, int32_t c, int32_t d, uint8_t e) {
    const TDebugOptions* debug = DebugOptions();
    if (!debug || !debug->DebugRequest) return kDebuggerNotLoaded;
    return debug->DebugRequest(a, b, c, d, e);
}
