#pragma once
// TConnectionRecord: one straight segment of a connection, stored in the project
// file as "Соединение_сохран". Points are packed: X in the low 16 bits, Y in the
// high 16 bits, in cells. NetIndex, Chain and LineType are recomputed by
// connection indexing.

#include "common/abi/AbiLayout.h"

#include <cstdint>

extern "C" {

#pragma pack(push, 1)
struct TConnectionRecord {
    uint8_t Selected;
    uint32_t PointA;
    uint32_t PointB;
    int16_t NetIndex;
    int16_t Chain;
    int16_t LineType;
};
#pragma pack(pop)

}  // extern "C"

ZO_ABI_CHECK_OFFSET(TConnectionRecord, PointA, 1, 0);
ZO_ABI_CHECK_OFFSET(TConnectionRecord, PointB, 5, 0);
ZO_ABI_CHECK_OFFSET(TConnectionRecord, NetIndex, 9, 0);
ZO_ABI_CHECK_OFFSET(TConnectionRecord, Chain, 11, 0);
ZO_ABI_CHECK_OFFSET(TConnectionRecord, LineType, 13, 0);
ZO_ABI_CHECK_SIZE(TConnectionRecord, 15, 0);
