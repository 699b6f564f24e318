#pragma once
// Opening a project file into the kernel's model, and closing the project.

#include <cstdint>

extern "C" {
// 0 opened; -1 a record description fails, or the file does not open or parse;
// -2 not exactly one "Orvanta_config"; -3 no "Проект"; -4 no device header
// (description, record or element); -5 a sheet cannot be read; -6 a block
// cannot be read; -7 a block description is missing and the user chose Abort,
// a block cannot be prepared, or its data, display or a connection cannot be read.
int32_t OpenProject(const char* path);
// Empties the model and closes every scheme window; 0. The path is only logged.
int32_t CloseProject(const char* path);
}
