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

// The start script's one line, CR LF included.
std::string StartScriptLine(const std::string& program, const std::string& projectName);

}  // namespace zo::kernel

extern "C" {
// 0 done; -1 the configuration file could not be created (or the project name
// is not a plain file name); -2 the runtime program could not be copied (or
// its name is not a plain file name); -3 the start script could not be written.
int32_t BuildProjectFolder(const char* logName);
}
