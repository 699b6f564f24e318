// ZoAVRbuilder.so: the one export Build. The record's callbacks are the only
// way back to the host; string lists cross as TZoStringList tables owned here.
#include "avrbuilder/AvrProjectBuild.h"
#include "common/StringList.h"
#include "common/abi/BuildParams.h"
#include "platform/Cp1251.h"

#include <cstring>
#include <exception>

namespace {

using namespace zo;

std::string field(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

class RecordHost : public avr::IAvrBuildHost {
public:
    explicit RecordHost(const TBuildParams& p) : p_(p), program_(field(p.DeviceProgram, sizeof p.DeviceProgram)) {}

    void Log(const std::string& text, uint8_t level) override {
        if (p_.Log) p_.Log(text.c_str(), level);
    }
    int32_t RunProgram(const char* workFolder, const std::string& commandLine) override {
        return p_.RunProgram ? p_.RunProgram(workFolder, commandLine.c_str(), p_.Log) : -1;
    }
    int32_t ReadXmlList(const std::string& query, const char* child, const char* attr,
                        std::vector<std::string>& items) override {
        items.clear();
        if (!p_.ReadXmlList) return -1;
        TStringListTable list;
        const int32_t rc = p_.ReadXmlList(nullptr, query.c_str(), child, attr, list.List());
        items = list.Items();
        return rc;
    }
    int32_t ReadXmlValue(const std::string& query, const char* attr, std::string& value) override {
        value.clear();
        if (!p_.ReadXmlValue) return -1;
        const char* text = nullptr;
        const int32_t rc = p_.ReadXmlValue(nullptr, query.c_str(), attr, &text);
        value = text ? text : "";  // the host's buffer: copied at once
        return rc;
    }
    int32_t CreateConfig(const std::string& cfgPath, const char* logName,
                         std::vector<std::string>& libraries) override {
        libraries.clear();
        if (!p_.CreateConfig) return -1;
        TStringListTable list;
        const int32_t rc = p_.CreateConfig(cfgPath.c_str(), logName, list.List());
        libraries = list.Items();
        return rc;
    }
    std::string DeviceProgram() override { return program_; }

private:
    const TBuildParams& p_;
    std::string program_;
};

int32_t build(const TBuildParams& p) {
    avr::AvrBuildInputs in;
    in.uploadFolder = field(p.UploadFolder, sizeof p.UploadFolder);
    in.runtimeFolder = field(p.DeviceRuntimeFolder, sizeof p.DeviceRuntimeFolder);
    in.programFolder = field(p.ProgramFolder, sizeof p.ProgramFolder);
    in.projectName = field(p.ProjectName, sizeof p.ProjectName);
    // The record's 61 characters hold the device file relative to the program
    // folder ("\Device\<file>"); a full path is taken as it stands.
    in.deviceFile = field(p.DeviceFilePath, sizeof p.DeviceFilePath);
    if (!in.deviceFile.empty() && in.deviceFile.front() == '\\') in.deviceFile = in.programFolder + in.deviceFile;
    RecordHost host(p);
    return avr::BuildAvrProject(in, host);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int32_t Build(TBuildParams* params) {
    if (!params) return zo::avr::kAvrProjectFileFailed;
    try {
        return build(*params);
    } catch (const std::exception& e) {
        if (params->Log) params->Log((ZO_RU("Ошибка сборки проекта: ") + e.what()).c_str(), 5);
    } catch (...) {
        if (params->Log) params->Log(ZO_RU("Ошибка сборки проекта.").c_str(), 5);
    }
    return zo::avr::kAvrProjectFileFailed;
}
