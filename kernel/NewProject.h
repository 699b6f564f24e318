#pragma once
// A new project for a device: the project header (names, device program,
// configuration file type) and the device header record, shown in the inspector.

#include <cstdint>

namespace zo::kernel {

// Results of NewProject.
enum NewProjectResult : int32_t {
    kProjectCreated = 0,
    kNoHeaderDescription = -1,  // the device has no header description (or its name is too long)
    kNoHeaderMemory = -2,       // no memory for the header record
};

}  // namespace zo::kernel

extern "C" {
// A NewProjectResult.
int32_t NewProject(const char* projectName, const char* deviceFile);
}
