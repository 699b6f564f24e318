#pragma once
// TBlockRecord: one function block on a sheet. The first 340 bytes are the
// record the project file stores as "Блок"; the rest lives only in memory.
// Description/Data and DisplayDescription/DisplayData are each laid out as a
// TStructInstance pair, and the graphic library is given their addresses.

#include "common/abi/AbiLayout.h"
#include "common/abi/StructAccess.h"

#include <cstdint>

namespace zo {
class TMenObj;
}

extern "C" {

#pragma pack(push, 1)
struct TBlockRecord {
    char Name[61];
    char DescriptionPath[261];
    int32_t Left;  // rectangle in cells; Right and Bottom inclusive
    int32_t Top;
    int32_t Right;
    int32_t Bottom;
    uint8_t Selected;
    uint8_t Priority;
    // In memory only.
    TStructInstance Block;    // Description (TStruct, not owned) and Data (owned)
    TStructInstance Display;  // DisplayDescription ("Отобр.", not owned) and DisplayData (owned)
    zo::TMenObj* Pins;        // TPinRecord items, owned
    void* Picture;            // picture of the graphic library, owned through it
};
#pragma pack(pop)

}  // extern "C"

inline constexpr int kBlockStoredSize = 340;

ZO_ABI_CHECK_OFFSET(TBlockRecord, DescriptionPath, 61, 0);
ZO_ABI_CHECK_OFFSET(TBlockRecord, Left, 322, 0);
ZO_ABI_CHECK_OFFSET(TBlockRecord, Selected, 338, 0);
ZO_ABI_CHECK_OFFSET(TBlockRecord, Priority, 339, 0);
ZO_ABI_CHECK_OFFSET(TBlockRecord, Block, 340, 0);
ZO_ABI_CHECK_OFFSET(TBlockRecord, Display, 348, 2);
ZO_ABI_CHECK_OFFSET(TBlockRecord, Pins, 356, 4);
ZO_ABI_CHECK_OFFSET(TBlockRecord, Picture, 360, 5);
ZO_ABI_CHECK_SIZE(TBlockRecord, 364, 6);
