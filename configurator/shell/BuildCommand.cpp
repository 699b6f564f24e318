#include "configurator/shell/BuildCommand.h"

#include "configurator/link/KroBuilder.h"
#include "configurator/link/KroLog.h"
#include "configurator/link/ProjectSession.h"
#include "configurator/shell/Actions.h"
#include "configurator/shell/BuildInternal.h"
#include "configurator/shell/XmlQuery.h"
#include "configurator/shell/ZoConsole.h"
#include "platform/Cp1251.h"

#include <QAction>

#include <cstring>

namespace zo::configurator {

namespace {

const char kQ = '"';
const char kConfigLog[] = "CreateConfig.log";

void log(const std::string& text, uint8_t level) { WriteLog(text.c_str(), level); }

// Copies value into a field of N bytes; false (and an empty field) when it does not fit.
template <size_t N>
bool put(char (&field)[N], const std::string& value, const char* name) {
    std::memset(field, 0, N);
    if (value.size() > N - 1) {
        log(ZO_RU("Слишком длинное значение поля ") + name + ": " + kQ + value + kQ, LogLevel::Error);
        return false;
    }
    std::memcpy(field, value.data(), value.size());
    return true;
}

}  // namespace

bool ParseConfigFileType(const std::string& value, uint8_t* type) {
    if (value.empty() || value.size() > 3) return false;
    int n = 0;
    for (char c : value) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    if (n > 255) return false;
    *type = uint8_t(n);
    return true;
}

int ClassifyBuilder(const std::string& builder) {
    if (builder.size() < 3 || builder.compare(builder.size() - 3, 3, ".so") != 0) return 0;
    if (builder.size() == 3 || builder.find_first_of("\\/") != std::string::npos ||
        builder.find("..") != std::string::npos)
        return -1;
    return 1;
}

std::string DevicePathForBuilder(const std::string& device, const std::string& programFolder) {
    std::string folder = programFolder;
    while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
    if (folder.empty() || device.size() <= folder.size() || device.compare(0, folder.size(), folder) != 0 ||
        (device[folder.size()] != '/' && device[folder.size()] != '\\'))
        return device;
    std::string relative = device.substr(folder.size());
    for (char& c : relative)
        if (c == '/') c = '\\';
    return relative;
}

bool FillBuildParams(TBuildParams& p, const TBuildInputs& in, uint8_t type) {
    p.Log = &WriteLog;
    p.RunProgram = &RunProcessCallback;
    p.ReadXmlList = &XmlQueryListCallback;
    p.ReadXmlValue = &XmlQueryValueCallback;
    p.CreateConfig = in.CreateConfig;
    bool ok = put(p.ProjectName, in.ProjectName, "ProjectName");
    ok = put(p.DeviceFilePath, DevicePathForBuilder(in.DeviceFilePath, in.ProgramFolder), "DeviceFilePath") && ok;
    ok = put(p.DeviceProgram, in.DeviceProgram, "DeviceProgram") && ok;
    p.ConfigFileType = type;
    ok = put(p.ProgramFolder, in.ProgramFolder, "ProgramFolder") && ok;
    ok = put(p.DeviceFolder, in.DeviceFolder, "DeviceFolder") && ok;
    ok = put(p.DeviceRuntimeFolder, in.DeviceRuntimeFolder, "DeviceRuntimeFolder") && ok;
    ok = put(p.ConfigurationFolder, in.ConfigurationFolder, "ConfigurationFolder") && ok;
    ok = put(p.UploadFolder, in.UploadFolder, "UploadFolder") && ok;
    return ok;
}

TBuildCommand::TBuildCommand(TProjectSession& session, TActions& actions, QObject* parent)
    : QObject(parent), session_(session) {
    setObjectName("BuildCommand");
    actions.Connect(ActionId::ProjectUpload, this, [this] { ProjectUploadExecute(); });
}

int32_t TBuildCommand::RunInternalBuild(const TBuildInputs& inputs) {
    if (internalBuild_) return internalBuild_();
    return BuildInternal(session_, inputs, &WriteLog);
}

bool TBuildCommand::ProjectUploadExecute() {
    if (!session_.Bound()) return false;
    // What the build reads of the project and its device, read once.
    const TBuildInputs inputs = session_.BuildInputs();
    const std::string& name = inputs.ProjectName;
    log("********** " + ZO_RU("Сборка проекта: ") + kQ + name + kQ + " **********", LogLevel::Information);
    // Every way of building ends with its result in the log.
    auto finish = [&](bool built) {
        if (built) log(ZO_RU("Проект ") + kQ + name + kQ + ZO_RU(" успешно собран."), LogLevel::Information);
        else log(ZO_RU("Проект ") + kQ + name + kQ + ZO_RU(" собрать не удалось."), LogLevel::Error);
        return built;
    };
    auto folderBuild = [&] { return finish(session_.BuildProjectFolder(kConfigLog) == SessionResult::Done); };
    const std::string& device = inputs.DeviceFilePath;
    const std::string query = device + "/Micro/";
    std::string type;
    const int32_t typeRead = XmlQueryValue(nullptr, query.c_str(), "ConfigFileType", &type);
    // A device without a configuration type, or a description that cannot be
    // read, gets the kernel's upload-folder build.
    if (typeRead != kXmlQueryOk) return folderBuild();
    std::string builder;
    const int32_t builderRead = XmlQueryValue(nullptr, query.c_str(), "Builder", &builder);
    const int kind = builderRead == kXmlQueryOk ? ClassifyBuilder(builder) : 0;
    if (kind < 0) {
        log(ZO_RU("Недопустимое имя библиотеки сборки ") + kQ + builder + kQ, LogLevel::Error);
        return finish(false);
    }
    if (kind == 0) {
        if (type == "2") return finish(RunInternalBuild(inputs) == 0);
        return folderBuild();
    }
    uint8_t typeNumber = 0;
    if (!ParseConfigFileType(type, &typeNumber)) {
        log(ZO_RU("Недопустимый тип конфигурации ") + kQ + type + kQ + ZO_RU(" устройства ") + kQ + device + kQ,
            LogLevel::Error);
        return finish(false);
    }
    LoadBuilderLibrary("\\system", builder, &WriteLog);
    TBuildParams params{};
    const bool filled = FillBuildParams(params, inputs, typeNumber);
    const int32_t result = filled ? CallBuild(&params) : -1;
    finish(result == 0);
    UnloadBuilderLibrary(&WriteLog);
    return result == 0;
}

}  // namespace zo::configurator
