#pragma once
// The device description of the open project: its path, its runtime program
// and the device header record described by its "Structure/Header".

#include <cstdint>
#include <string>

namespace zo {
class TStruct;
}

namespace zo::kernel {

// A device file name a project may give: a plain file name of the Device
// folder (no folder part, not "." or "..", no control character), so the
// device description is only ever read from that folder.
bool IsDeviceFileName(const std::string& name);
// The log line that refuses any other name.
void LogRefusedDeviceFile(const std::string& name);

// Device folder + "\" + the project's device file + "/Structure/Header".
std::string HeaderDescriptionPath();
// That description from the structure cache; nil when it does not load.
TStruct* HeaderDescription();

}  // namespace zo::kernel

extern "C" {
// Device folder + "\" + the project's device file (at most 260 characters) in a
// buffer the next call overwrites.
const char* GetDeviceFilePath();
// The runtime program the device names (the kernel's own text).
const char* GetDeviceProgram();
// Shows the device header record in the floating property inspector: 0
// shown; kNoHeaderToEdit the header description does not load (or there is
// no record).
enum : int32_t { kNoHeaderToEdit = -1 };
int32_t EditProjectHeader();
}
