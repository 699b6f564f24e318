#pragma once
// Previews of library blocks for the element library window's hint: the
// picture of a block prepared on its own, handed to the caller, who gives it
// back through FreeBlockPreview. The picture is the graphic library's.

#include <cstdint>

namespace zo::kernel {

// Results of GetBlockPreview, and of FreeBlockPreview where it answers itself.
enum BlockPreviewResult : int32_t {
    kPreviewMade = 0,
    kPreviewRefused = -1,      // get: bitmap nil or not nil on entry, nil path, or the block
                               // cannot be prepared; free: nil bitmap
    kPreviewNotReleased = -2,  // get: the temporary block could not be released (no picture
                               // is handed out); free: the graphic library is not loaded
};

}  // namespace zo::kernel

extern "C" {
// A BlockPreviewResult; bitmap := the block's picture when made.
int32_t GetBlockPreview(const char* blockPath, void** bitmap);
// kPreviewRefused, kPreviewNotReleased, else the result of the graphic
// library's release entry, given the address of bitmap (nil again once freed).
int32_t FreeBlockPreview(void** bitmap);
}
