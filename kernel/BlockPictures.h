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

}  // namespace zo::kernel

extern "C" {
// 0 made; -1 nil path or bitmap not nil on entry; -2 the block picture could not be made.
int32_t GetBlockInfoBitmap(const char* blockPath, void** bitmap);
// 0; -1 nil path or bitmap not nil; -2 the block could not be prepared;
// -4 the prepared block could not be released (no picture is handed out).
int32_t DrawBlockPicture(const char* blockPath, void** bitmap);
// 0; -1 nil path or bitmap not nil; -2 the comments could not be read.
int32_t DrawBlockComments(const char* blockPath, void** bitmap);
// Frees a picture of the kernel and sets the variable nil; an object the
// kernel did not make is left alone, and so is the variable.
void ReleaseObject(void** object);
}
