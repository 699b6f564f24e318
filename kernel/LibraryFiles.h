#pragma once
// The element library files the library window has read: paths relative to the
// program folder, at most 99 characters each (items of 100 bytes).

#include <cstdint>

extern "C" {
// Empties the list: 0.
int32_t ClearLibraryFiles();
int32_t LibraryFileCount();
// The path of entry index; nil when index is not an entry.
const char* GetLibraryFile(int32_t index);
// Appends the path, cut to 99 characters: 0 appended; -1 nil path; -2 not appended.
int32_t AddLibraryFile(const char* path);
}
