#pragma once
// The upload folder: the project ready to run on the controller - its
// configuration file, the runtime program, the code libraries its FBD blocks
// name, and the one-line start script "autoexec.bat".

#include <cstdint>
#include <string>

namespace zo::kernel {

// The runtime program's file as it lies on this system: a Windows program
// name ending in ".exe" (any letter case) names the executable without it.
std::string RuntimeProgramFile(const std::string& program);

// The start script's one line, CR LF included; the program and the
// configuration file are words of a command line (common/CommandLine).
std::string StartScriptLine(const std::string& program, const std::string& projectName);

// Results of BuildProjectFolder.
enum BuildProjectFolderResult : int32_t {
    kProjectFolderBuilt = 0,
    kUploadConfigNotCreated = -1,   // also: the project name is not a plain file name
    kUploadProgramNotCopied = -2,   // also: the program's name is not a plain file name
    kUploadScriptNotWritten = -3,
};

}  // namespace zo::kernel

extern "C" {
// A BuildProjectFolderResult.
int32_t BuildProjectFolder(const char* logName);
}
