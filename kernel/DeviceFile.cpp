#include "kernel/DeviceFile.h"

#include "common/Struct.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "platform/Cp1251.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cstring>

namespace zo::kernel {

bool IsDeviceFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (const char c : name)
        if (c == '\\' || c == '/' || static_cast<unsigned char>(c) < 32) return false;
    return true;
}

void LogRefusedDeviceFile(const std::string& name) {
    Log(ZO_RU("Недопустимое имя файла устройства ") + Q + name + Q +
            ZO_RU(": файл описания устройства должен лежать в папке Device."),
        kLogError);
}

std::string HeaderDescriptionPath() {
    const KernelState& s = State();
    return s.deviceFolder + "\\" + s.deviceFileName + "/Structure/Header";
}

TStruct* HeaderDescription() { return State().structCache->GetStruct(HeaderDescriptionPath().c_str()); }

namespace {

char g_deviceFilePath[261];

QSize screenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(0, 0);
}

}  // namespace

}  // namespace zo::kernel

using namespace zo::kernel;

extern "C" const char* GetDeviceFilePath() {
    const KernelState& s = State();
    std::memset(g_deviceFilePath, 0, sizeof g_deviceFilePath);
    const size_t folder = std::min(s.deviceFolder.size(), sizeof g_deviceFilePath - 1);
    std::memcpy(g_deviceFilePath, s.deviceFolder.data(), folder);
    std::strncat(g_deviceFilePath, "\\", sizeof g_deviceFilePath - 1 - std::strlen(g_deviceFilePath));
    std::strncat(g_deviceFilePath, s.deviceFileName, sizeof g_deviceFilePath - 1 - std::strlen(g_deviceFilePath));
    return g_deviceFilePath;
}

extern "C" const char* GetDeviceProgram() { return State().deviceProgram; }

namespace {

int32_t editProjectHeader() {
    zo::TStruct* header = HeaderDescription();
    KernelState& s = State();
    if (!header || !s.headerRecord) return kNoHeaderToEdit;
    // Half the screen, at most 600 by 300, centred.
    const QSize screen = screenSize();
    const int32_t width = std::min(screen.width() / 2, 600);
    const int32_t height = std::min(screen.height() / 2, 300);
    const int32_t cx = screen.width() / 2;
    const int32_t cy = screen.height() / 2;
    const TStructInstance item{header, s.headerRecord};
    if (auto show = Options().Inspector.ShowElementProperties)
        show(header->Caption, 1, &item, nullptr, cx - width / 2, cy - height / 2, cx + width / 2, cy + height / 2);
    return 0;
}

}  // namespace

extern "C" int32_t EditProjectHeader() {
    return editProjectHeader();
}
