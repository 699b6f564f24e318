#pragma once
// TPinRecord: one pin of a block as the graphic library reports it into the
// block's pin list (8-byte items). X and Y are the pin cell relative to the
// block's Left/Top, in 12-pixel cells (together a packed point, X low, Y high).

#include "common/abi/AbiLayout.h"

#include <cstdint>

extern "C" {

#pragma pack(push, 1)
struct TPinRecord {
    int16_t X;           // cell column from the block's Left
    int16_t Y;           // cell row from the block's Top
    int16_t FieldIndex;  // index of the pin's item in the block's description
    int16_t LineType;    // index into the kernel's line-type list; -1 none
};
#pragma pack(pop)

}  // extern "C"

ZO_ABI_CHECK_OFFSET(TPinRecord, X, 0, 0);
ZO_ABI_CHECK_OFFSET(TPinRecord, Y, 2, 0);
ZO_ABI_CHECK_OFFSET(TPinRecord, FieldIndex, 4, 0);
ZO_ABI_CHECK_OFFSET(TPinRecord, LineType, 6, 0);
ZO_ABI_CHECK_SIZE(TPinRecord, 8, 0);
