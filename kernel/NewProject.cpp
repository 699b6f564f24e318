#include "kernel/NewProject.h"

#include "common/My_XML.h"
#include "common/Struct.h"
#include "kernel/DeviceFile.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

namespace zo::kernel {

namespace {

template <size_t N>
void setText(char (&target)[N], const std::string& text) {
    std::memset(target, 0, N);
    std::memcpy(target, text.data(), std::min(text.size(), N - 1));
}

// The device file's name without folder and extension.
std::string deviceName(const std::string& deviceFile) {
    std::string name = platform::fileNameOf(deviceFile);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// A configuration file type that is a whole number of one byte; nothing else.
bool parseConfigFileType(const std::string& text, uint8_t& type) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(begin, &end, 10);
    if (end == begin || *end != 0 || errno != 0 || value < 0 || value > 255) return false;
    type = uint8_t(value);
    return true;
}

void setHeaderValue(const TStruct& header, void* record, const char* field, const std::string& value) {
    for (int i = 0; i < header.GetItemCount(); ++i)
        if (std::strcmp(header.GetItem(i)->Name, field) == 0) header.SetValue(record, i, value.c_str());
}

// The header in a floating inspector centred on the screen.
void showHeader(TStruct& header, void* record) {
    int screenWidth = 0, screenHeight = 0;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        screenWidth = screen->geometry().width();
        screenHeight = screen->geometry().height();
    }
    const int width = std::min(screenWidth / 2, 400);
    const int height = std::min(screenHeight / 2, 300);
    const int cx = screenWidth / 2, cy = screenHeight / 2;
    const TStructInstance item{&header, record};
    const TShowElementPropertiesProc show = Options().Inspector.ShowElementProperties;
    if (show)
        show(header.Caption, 1, &item, nullptr, cx - width / 2, cy - height / 2, cx + width / 2, cy + height / 2);
}

int32_t newProject(const char* projectNameText, const char* deviceFileText) {
    KernelState& s = State();
    setText(s.projectName, "");
    setText(s.deviceFileName, "");
    setText(s.deviceProgram, "");
    setText(s.projectPath, "");
    s.configFileType = 1;

    const std::string projectName = projectNameText ? projectNameText : "";
    const std::string deviceFile = deviceFileText ? deviceFileText : "";
    const std::string devicePath = s.deviceFolder + "\\" + deviceFile;
    // The project keeps the device file's name in 60 characters: a longer one
    // would name another file, or none, when the project is saved or opened.
    if (deviceFile.size() > sizeof s.deviceFileName - 1) return kNoHeaderDescription;
    if (deviceFileText && !IsDeviceFileName(deviceFile)) {
        LogRefusedDeviceFile(deviceFile);
        return kNoHeaderDescription;
    }
    TStruct* header = deviceFileText ? s.structCache->GetStruct((devicePath + "/Structure/Header").c_str()) : nullptr;
    if (!header) return kNoHeaderDescription;

    const int size = header->GetSize();
    void* record = size > 0 ? std::calloc(1, size_t(size)) : nullptr;
    if (!record) return kNoHeaderMemory;
    header->SetDefaults(record);
    setHeaderValue(*header, record, "Device", deviceName(deviceFile));
    setHeaderValue(*header, record, "Name", projectName);
    std::free(s.headerRecord);
    s.headerRecord = record;

    showHeader(*header, record);

    setText(s.deviceProgram, ReadRootAttribute(devicePath, "Program"));
    setText(s.projectName, projectName);
    setText(s.deviceFileName, deviceFile);
    const std::string type = ReadRootAttribute(devicePath, "ConfigFileType");
    if (!type.empty() && !parseConfigFileType(type, s.configFileType))
        Log(ZO_RU("Тип файла конфигурации ") + Q + type + Q + ZO_RU(" устройства ") + Q + deviceFile + Q +
                ZO_RU(" не число, принят тип 1"),
            kLogWarning);
    return kProjectCreated;
}

}  // namespace

}  // namespace zo::kernel

extern "C" int32_t NewProject(const char* projectName, const char* deviceFile) {
    return zo::kernel::newProject(projectName, deviceFile);
}
