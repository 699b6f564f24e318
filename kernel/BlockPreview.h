#pragma once
// Previews of library blocks for the element library window's hint: the
// picture of a block prepared on its own, handed to the caller, who gives it
// back through FreeBlockPreview. The picture is the graphic library's.

#include <cstdint>

extern "C" {
// 0 and bitmap := the block's picture; -1 bitmap nil or not nil on entry, nil
// path, or the block cannot be prepared; -2 the temporary block could not be
// released (no picture is handed out then).
int32_t GetBlockPreview(const char* blockPath, void** bitmap);
// -1 nil bitmap; -2 the graphic library is not loaded; else the result of
// its release entry, given the address of bitmap (nil again once freed).
int32_t FreeBlockPreview(void** bitmap);
}
