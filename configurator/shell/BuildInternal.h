#pragma once
// The program's own assembler build for devices whose description gives
// ConfigFileType "2" and names no builder library: the same assembler project
// in the upload folder as the AVR builder plug-in forms (one implementation,
// avrbuilder/AvrProjectBuild), taken from the kernel and the program instead
// of a TBuildParams record, and without an interrupt vectors file.

#include "common/abi/LogProc.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zo::shell {

// What the build needs of the kernel (its slots, through the program's link).
class IBuildKernel {
public:
    virtual ~IBuildKernel() = default;
    virtual std::string UploadFolder() = 0;
    virtual std::string DeviceRuntimeFolder() = 0;
    virtual std::string ProgramFolder() = 0;
    virtual std::string DeviceFilePath() = 0;
    virtual std::string DeviceProgram() = 0;
    // CreateConfigFile: 0 written; libraries gets the code files of its blocks.
    virtual int32_t CreateConfigFile(const std::string& cfgPath, const char* logName,
                                     std::vector<std::string>& libraries) = 0;
};

// The program's services the build runs with. Texts are Windows-1251.
struct BuildServices {
    std::function<void(const std::string& text, uint8_t level)> writeLog;
    // RunConsoleProcess with the log: 0 = it ran.
    std::function<int32_t(const char* workFolder, const std::string& commandLine)> runConsole;
    std::function<int32_t(const std::string& query, const char* child, const char* attr,
                          std::vector<std::string>& items)>
        xmlQueryList;
    std::function<int32_t(const std::string& query, const char* attr, std::string& value)> xmlQueryValue;
};

// The program's console runner and XML path queries, logging through WriteLog.
BuildServices ProgramBuildServices(TLogProc writeLog);

// -1 when the kernel is not bound (nothing else happens), otherwise the codes
// of the plug-in's Build (0, -2 to -8).
int32_t BuildInternal(IBuildKernel* kernel, const std::string& openProjectName, const BuildServices& services);

}  // namespace zo::shell
