#pragma once
// TZoStream: a byte stream handed across a library boundary. The side that owns
// the stream fills the table; the other side only calls through it. Every entry
// takes the stream itself first, so the owner finds its own state in Context.

#include "common/abi/AbiLayout.h"

#include <cstdint>

extern "C" {

struct TZoStream;

// Writes Size bytes at the position and moves it on; answers the number of
// bytes written (Size on success, less or negative on failure).
typedef int32_t (*TZoStreamWriteProc)(TZoStream* stream, const void* data, int32_t size);
// Reads at most Size bytes from the position and moves it on; answers the
// number of bytes read (0 at the end, negative on failure).
typedef int32_t (*TZoStreamReadProc)(TZoStream* stream, void* data, int32_t size);
// The position, or the size of the whole stream; negative when unknown.
typedef int32_t (*TZoStreamPositionProc)(TZoStream* stream);
typedef int32_t (*TZoStreamSizeProc)(TZoStream* stream);

#pragma pack(push, 1)
struct TZoStream {
    void* Context;  // the owner's; the other side never touches it
    TZoStreamWriteProc Write;
    TZoStreamReadProc Read;
    TZoStreamPositionProc Position;
    TZoStreamSizeProc Size;
};
#pragma pack(pop)

}  // extern "C"

ZO_ABI_CHECK_OFFSET(TZoStream, Write, 4, 1);
ZO_ABI_CHECK_OFFSET(TZoStream, Read, 8, 2);
ZO_ABI_CHECK_OFFSET(TZoStream, Position, 12, 3);
ZO_ABI_CHECK_OFFSET(TZoStream, Size, 16, 4);
ZO_ABI_CHECK_SIZE(TZoStream, 20, 5);
