#pragma once
// Opening a project file into the kernel's model, and closing the project.

#include <cstdint>

namespace zo::kernel {

// Results of OpenProject.
enum OpenProjectResult : int32_t {
    kProjectOpened = 0,
    kProjectFileUnreadable = -1,  // a record description fails, or the file does not open or parse
    kProjectRootNotOne = -2,      // not exactly one "Orvanta_config"
    kProjectRecordMissing = -3,   // no "Проект"
    kProjectHeaderMissing = -4,   // no device header (description, record or element)
    kProjectSheetUnreadable = -5,
    kProjectBlockUnreadable = -6,
    // A block description is missing and the user chose Abort, a block cannot
    // be prepared, or its data, display or a connection cannot be read.
    kProjectBlockRefused = -7,
};

// CloseProject answers it always.
inline constexpr int32_t kProjectClosed = 0;

}  // namespace zo::kernel

extern "C" {
// An OpenProjectResult.
int32_t OpenProject(const char* path);
// Empties the model and closes every scheme window; kProjectClosed. The path is only logged.
int32_t CloseProject(const char* path);
}
