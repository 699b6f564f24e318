#include "configurator/shell/BuildInternal.h"

#include "avrbuilder/AvrProjectBuild.h"
#include "configurator/link/ProjectSession.h"
#include "configurator/shell/XmlQuery.h"
#include "configurator/shell/ZoConsole.h"

namespace zo::configurator {

namespace {

// The one adapter between the shared build and the program.
class ProgramBuildHost : public avr::IAvrBuildHost {
public:
    ProgramBuildHost(const TProjectSession& session, TLogProc log) : session_(session), log_(log) {}

    void Log(const std::string& text, uint8_t level) override {
        if (log_) log_(text.c_str(), level);
    }
    int32_t RunProgram(const char* workFolder, const std::string& commandLine) override {
        return RunConsoleProcess(workFolder, commandLine.c_str(), log_);
    }
    int32_t ReadXmlList(const std::string& query, const char* child, const char* attr,
                        std::vector<std::string>& items) override {
        items.clear();
        return XmlQueryList(nullptr, query.c_str(), child, &items, attr);
    }
    int32_t ReadXmlValue(const std::string& query, const char* attr, std::string& value) override {
        value.clear();
        return XmlQueryValue(nullptr, query.c_str(), attr, &value);
    }
    int32_t CreateConfig(const std::string& cfgPath, const char* logName,
                         std::vector<std::string>& libraries) override {
        const SessionResult r = session_.CreateConfigFile(cfgPath, logName, &libraries);
        return r == SessionResult::Done ? 0 : r == SessionResult::NotBound ? -1 : 1;
    }
    std::string DeviceProgram() override { return session_.DeviceProgramText(); }

private:
    const TProjectSession& session_;
    TLogProc log_;
};

}  // namespace

int32_t BuildInternal(const TProjectSession& session, const TBuildInputs& inputs, TLogProc log) {
    if (!session.Bound()) return -1;
    avr::AvrBuildInputs in;
    in.uploadFolder = inputs.UploadFolder;
    in.runtimeFolder = inputs.DeviceRuntimeFolder;
    in.programFolder = inputs.ProgramFolder;
    in.deviceFile = inputs.DeviceFilePath;
    in.projectName = inputs.ProjectName;
    in.mainHeader = "//This file was created with Configurator.exe program. ";
    in.interruptVectors = false;
    ProgramBuildHost host(session, log);
    return avr::BuildAvrProject(in, host);
}

}  // namespace zo::configurator
