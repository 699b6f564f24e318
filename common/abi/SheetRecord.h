#pragma once
// TSheetRecord: one sheet of the project. The first 94 bytes are the record the
// project file stores as "Схема"; the rest lives only in memory. The host reads
// the name from the record GetSheet gives it.

#include "common/abi/AbiLayout.h"

#include <cstdint>

namespace zo {
class TMenObj;
}

extern "C" {

#pragma pack(push, 1)
struct TSheetRecord {
    char Name[61];       // at most 60 characters; the list's lookup key
    uint16_t Width;      // canvas width in cells
    uint16_t Height;     // canvas height in cells
    uint8_t WindowOpen;  // stored with the sheet in the project file
    int32_t Left;        // the sheet window's placement in pixels
    int32_t Top;
    int32_t Right;
    int32_t Bottom;
    float Scale;  // the sheet window's zoom
    int32_t HScroll;
    int32_t VScroll;
    // In memory only.
    void* Picture;          // the painter's cached picture (QImage*) or nil
    zo::TMenObj* Blocks;    // TBlockRecord items
    zo::TMenObj* Links;     // TConnectionRecord items
    void* Extra;            // freed with the sheet
};
#pragma pack(pop)

}  // extern "C"

inline constexpr int kSheetStoredSize = 94;

ZO_ABI_CHECK_OFFSET(TSheetRecord, Width, 61, 0);
ZO_ABI_CHECK_OFFSET(TSheetRecord, WindowOpen, 65, 0);
ZO_ABI_CHECK_OFFSET(TSheetRecord, Left, 66, 0);
ZO_ABI_CHECK_OFFSET(TSheetRecord, Scale, 82, 0);
ZO_ABI_CHECK_OFFSET(TSheetRecord, VScroll, 90, 0);
ZO_ABI_CHECK_OFFSET(TSheetRecord, Picture, 94, 0);
ZO_ABI_CHECK_OFFSET(TSheetRecord, Blocks, 98, 1);
ZO_ABI_CHECK_OFFSET(TSheetRecord, Links, 102, 2);
ZO_ABI_CHECK_OFFSET(TSheetRecord, Extra, 106, 3);
ZO_ABI_CHECK_SIZE(TSheetRecord, 110, 4);
