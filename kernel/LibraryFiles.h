#pragma once
// The element library files the library window has read: paths relative to the
// program folder, at most 99 characters each (items of 100 bytes).

#include <cstdint>

namespace zo::kernel {

// Results of ClearLibraryFiles and AddLibraryFile.
enum LibraryFileResult : int32_t {
    kLibraryFilesDone = 0,  // emptied; appended
    kLibraryFilesNotCleared = -1,
    kLibraryFileNilPath = -1,
    kLibraryFileNotAdded = -2,
};

}  // namespace zo::kernel

extern "C" {
// Empties the list: kLibraryFilesDone.
int32_t ClearLibraryFiles();
int32_t LibraryFileCount();
// The path of entry index; nil when index is not an entry.
const char* GetLibraryFile(int32_t index);
// Appends the path, cut to 99 characters: a LibraryFileResult.
int32_t AddLibraryFile(const char* path);
}
