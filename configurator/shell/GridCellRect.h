#pragma once
// The cell of one of Count windows tiled in an area: whole-part-of-the-root
// columns, each taking the cells not yet placed divided by the columns not yet
// filled, so five windows make a column of two and a column of three.

#include "common/Geometry.h"

namespace zo::configurator {

// The cell of window Index (from 1) of Count in Area (right and bottom
// exclusive); edges are rounded to the nearest pixel, ties to the even one.
// A count below 1 or an index outside 1..Count gives an empty rectangle.
TZoRect GridCellRect(const TZoRect& area, int count, int index);

}  // namespace zo::configurator
