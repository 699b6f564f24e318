#pragma once
// The cell grid and the route search behind ZoTraceSchem's entries.
//
// Grid model: cells (0..width-1, 0..height-1). A block makes its cells
// impassable. An existing connection may be crossed at right angles through
// the inside of its segment, but a route never runs along it, never turns on
// it and never passes through one of its end points or through a cell where
// two connections already cross. The start and end cells are always usable,
// also when they lie on a block (a pin) or on a connection; a route leaves and
// enters them from usable neighbours only, never through the inside of a block.
// A marked cell costs its weight on top of the step.
//
// Search: A* over (cell, direction) states. Each step costs kStep plus the
// entered cell's weight, each bend kBend; the estimate is the Manhattan
// distance plus the least number of bends still needed, which never
// overestimates, so the first route found has the lowest cost: the shortest
// among those with the fewest bends for its length, bends being worth
// kBend / kStep cells.

#include "common/abi/TraceOptions.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zo::trace {

class Router {
public:
    static constexpr int64_t kMaxCells = int64_t(1) << 20;     // largest grid accepted
    static constexpr int64_t kMaxSide = 65536;                  // packed points are 16-bit
    static constexpr uint32_t kMaxExpansions = 1u << 20;        // bound of one search
    static constexpr std::size_t kMaxSegments = 0xFFFF;          // the count is read as 16 bits
    static constexpr uint32_t kStep = 2;
    static constexpr uint32_t kBend = 6;

    int32_t setSheetSize(int32_t width, int32_t height);
    int32_t addBlock(uint32_t corner1, uint32_t corner2);
    int32_t addLine(uint32_t pointA, uint32_t pointB);
    int32_t markCell(uint32_t point, uint8_t weight);
    int32_t setStart(uint32_t point);
    int32_t setEnd(uint32_t point);
    int32_t findRoute();
    int32_t segmentCount() const { return int32_t(route_.size()); }
    const TTraceSegment* segment(int32_t index) const;

private:
    enum : uint8_t { kBlocked = 1, kLineEnd = 2, kEdgeEast = 4, kEdgeSouth = 8 };

    bool hasGrid() const { return width_ > 0; }
    bool inGrid(int64_t x, int64_t y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    int64_t cellOf(uint32_t point) const;  // -1 outside the grid
    int64_t neighbour(int64_t cell, int dir) const;
    bool canStep(int64_t from, int dir, int64_t& to) const;
    bool reachable() const;
    uint32_t estimate(int64_t cell, int dir) const;
    uint32_t packCell(int64_t cell) const;
    int32_t search();

    int64_t width_ = 0;
    int64_t height_ = 0;
    std::vector<uint8_t> flags_;
    std::vector<uint8_t> weights_;
    int64_t start_ = -1;
    int64_t end_ = -1;
    std::vector<TTraceSegment> route_;
};

}  // namespace zo::trace
