#pragma once
// TTraceOptions: the record of the routing library ZoTraceSchem, which lays a
// connection on a sheet's cell grid around blocks and existing connections.
// Filled by the library, read-only for the kernel. Every entry uses the C
// calling convention, 32-bit arguments and a 32-bit result.
//
// Points are packed cell points: X in the low 16 bits, Y in the high 16 bits.
// A search runs: SetSheetSize (starts afresh), AddLineObstacle / MarkCell /
// AddBlockObstacle as often as needed, SetStartPoint, SetEndPoint, FindRoute;
// then GetRoutePointCount and GetRoutePoint read the route's segments.

#include "common/abi/AbiLayout.h"

#include <cstdint>

extern "C" {

#pragma pack(push, 1)
// One straight segment of a route: two packed cell points, PointA <= PointB.
struct TTraceSegment {
    uint32_t PointA;
    uint32_t PointB;
};
#pragma pack(pop)

// Results of the entries: 0 success; negative values below.
enum : int32_t {
    kTraceOk = 0,
    kTraceNoGrid = -3,          // no valid sheet size was set
    kTraceOutside = -4,         // a point or area outside the grid, a bad segment, start or end not set
    kTraceSameCell = -5,        // start equals end
    kTraceNoRoute = -6,         // the end cannot be reached from the start (enclosed)
    kTraceSearchLimit = -7,     // the search stopped at its bound of expansions
    kTraceOutOfMemory = -8,     // memory for the search could not be had
    kTraceRouteTooLong = -9,    // the route has more segments than a 16-bit count can give
};

typedef int32_t (*TTraceSetSheetSizeProc)(int32_t width, int32_t height);
typedef int32_t (*TTraceAddRectProc)(uint32_t topLeft, uint32_t bottomRight);
typedef int32_t (*TTraceAddLineProc)(uint32_t pointA, uint32_t pointB);
typedef int32_t (*TTraceSetPointProc)(uint32_t point);
typedef int32_t (*TTraceMarkCellProc)(uint32_t point, uint32_t weight);  // low 8 bits of weight
typedef int32_t (*TTraceFindRouteProc)();
typedef int32_t (*TTraceGetCountProc)();
typedef const TTraceSegment* (*TTraceGetSegmentProc)(int32_t index);

#pragma pack(push, 1)
struct TTraceOptions {
    char Description[40];
    TTraceSetSheetSizeProc SetSheetSize;
    TTraceAddRectProc AddBlockObstacle;
    TTraceAddLineProc AddLineObstacle;
    TTraceSetPointProc SetStartPoint;
    TTraceSetPointProc SetEndPoint;
    TTraceMarkCellProc MarkCell;
    TTraceFindRouteProc FindRoute;
    TTraceGetCountProc GetRoutePointCount;
    TTraceGetSegmentProc GetRoutePoint;
    uint8_t Reserved[4];
};
#pragma pack(pop)

}  // extern "C"

ZO_ABI_CHECK_SIZE(TTraceSegment, 8, 0);
ZO_ABI_CHECK_OFFSET(TTraceOptions, SetSheetSize, 40, 0);
ZO_ABI_CHECK_OFFSET(TTraceOptions, AddBlockObstacle, 44, 1);
ZO_ABI_CHECK_OFFSET(TTraceOptions, AddLineObstacle, 48, 2);
ZO_ABI_CHECK_OFFSET(TTraceOptions, SetStartPoint, 52, 3);
ZO_ABI_CHECK_OFFSET(TTraceOptions, SetEndPoint, 56, 4);
ZO_ABI_CHECK_OFFSET(TTraceOptions, MarkCell, 60, 5);
ZO_ABI_CHECK_OFFSET(TTraceOptions, FindRoute, 64, 6);
ZO_ABI_CHECK_OFFSET(TTraceOptions, GetRoutePointCount, 68, 7);
ZO_ABI_CHECK_OFFSET(TTraceOptions, GetRoutePoint, 72, 8);
ZO_ABI_CHECK_OFFSET(TTraceOptions, Reserved, 76, 9);
ZO_ABI_CHECK_SIZE(TTraceOptions, 80, 9);
