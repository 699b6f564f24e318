#pragma once
// Stand-alone pictures of a block type: its symbol with pin stubs, pin texts
// and captions, its comment lines, and both joined into one information
// picture. Every picture is a QImage (Format_RGB32) made here and handed to
// the caller, who gives it back through ReleaseObject; ReleaseObject frees
// only pictures made here.

#include <cstdint>

class QImage;

namespace zo::kernel {

// Hands a picture out to a caller (registered for ReleaseObject).
void* HandOutPicture(QImage* picture);
// Whether the kernel made the object and has not freed it yet.
bool IsKernelPicture(const void* object);

// Results of GetBlockInfoBitmap, DrawBlockPicture and DrawBlockComments.
enum BlockPictureResult : int32_t {
    kPictureMade = 0,
    kPictureBadArgument = -1,        // nil path, or the bitmap not nil on entry
    kPictureNotMade = -2,            // the block could not be prepared, or its picture (comments) made
    kPictureBlockNotReleased = -4,   // DrawBlockPicture: the prepared block could not be released
};

}  // namespace zo::kernel

extern "C" {
// A BlockPictureResult: made; bad argument; the block picture could not be made.
int32_t GetBlockInfoBitmap(const char* blockPath, void** bitmap);
// A BlockPictureResult: made; bad argument; the block could not be prepared;
// the prepared block could not be released (no picture is handed out).
int32_t DrawBlockPicture(const char* blockPath, void** bitmap);
// A BlockPictureResult: made; bad argument; the comments could not be read.
int32_t DrawBlockComments(const char* blockPath, void** bitmap);
// Frees a picture of the kernel and sets the variable nil; an object the
// kernel did not make is left alone, and so is the variable.
void ReleaseObject(void** object);
}
