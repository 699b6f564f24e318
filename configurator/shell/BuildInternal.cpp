#include "configurator/shell/BuildInternal.h"

#include "avrbuilder/AvrProjectBuild.h"
#include "configurator/shell/XmlQuery.h"
#include "configurator/shell/ZoConsole.h"

namespace zo::shell {

namespace {

class ProgramHost : public avr::IAvrBuildHost {
public:
    ProgramHost(IBuildKernel& kernel, const BuildServices& services) : kernel_(kernel), s_(services) {}

    void Log(const std::string& text, uint8_t level) override {
        if (s_.writeLog) s_.writeLog(text, level);
    }
    int32_t RunProgram(const char* workFolder, const std::string& commandLine) override {
        return s_.runConsole ? s_.runConsole(workFolder, commandLine) : -1;
    }
    int32_t ReadXmlList(const std::string& query, const char* child, const char* attr,
                        std::vector<std::string>& items) override {
        items.clear();
        return s_.xmlQueryList ? s_.xmlQueryList(query, child, attr, items) : -1;
    }
    int32_t ReadXmlValue(const std::string& query, const char* attr, std::string& value) override {
        value.clear();
        return s_.xmlQueryValue ? s_.xmlQueryValue(query, attr, value) : -1;
    }
    int32_t CreateConfig(const std::string& cfgPath, const char* logName,
                         std::vector<std::string>& libraries) override {
        return kernel_.CreateConfigFile(cfgPath, logName, libraries);
    }
    std::string DeviceProgram() override { return kernel_.DeviceProgram(); }

private:
    IBuildKernel& kernel_;
    const BuildServices& s_;
};

}  // namespace

BuildServices ProgramBuildServices(TLogProc writeLog) {
    BuildServices s;
    s.writeLog = [writeLog](const std::string& text, uint8_t level) {
        if (writeLog) writeLog(text.c_str(), level);
    };
    s.runConsole = [writeLog](const char* workFolder, const std::string& commandLine) {
        return configurator::RunConsoleProcess(workFolder, commandLine.c_str(), writeLog);
    };
    s.xmlQueryList = [](const std::string& query, const char* child, const char* attr,
                        std::vector<std::string>& items) {
        return configurator::XmlQueryList(nullptr, query.c_str(), child, &items, attr);
    };
    s.xmlQueryValue = [](const std::string& query, const char* attr, std::string& value) {
        return configurator::XmlQueryValue(nullptr, query.c_str(), attr, &value);
    };
    return s;
}

int32_t BuildInternal(IBuildKernel* kernel, const std::string& openProjectName, const BuildServices& services) {
    if (!kernel) return -1;
    avr::AvrBuildInputs in;
    in.uploadFolder = kernel->UploadFolder();
    in.runtimeFolder = kernel->DeviceRuntimeFolder();
    in.programFolder = kernel->ProgramFolder();
    in.deviceFile = kernel->DeviceFilePath();
    in.projectName = openProjectName;
    in.mainHeader = "//This file was created with Configurator.exe program. ";
    in.interruptVectors = false;
    ProgramHost host(*kernel, services);
    return avr::BuildAvrProject(in, host);
}

}  // namespace zo::shell
