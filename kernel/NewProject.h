#pragma once
// A new project for a device: the project header (names, device program,
// configuration file type) and the device header record, shown in the inspector.

#include <cstdint>

extern "C" {
// 0 created; -1 the device has no header description; -2 no memory for the
// header record.
int32_t NewProject(const char* projectName, const char* deviceFile);
}
