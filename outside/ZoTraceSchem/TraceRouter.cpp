#include "TraceRouter.h"

#include <algorithm>
#include <limits>
#include <queue>

namespace zo::trace {

namespace {

// Directions: 0 east (+X), 1 south (+Y), 2 west (-X), 3 north (-Y).
constexpr int kDx[4] = {1, 0, -1, 0};
constexpr int kDy[4] = {0, 1, 0, -1};
constexpr uint32_t kUnreached = std::numeric_limits<uint32_t>::max();

// Per state: bits 0-1 the direction of the state it came from, bit 2 set when
// it has one (the start's states have none), bit 7 set once expanded.
constexpr uint8_t kHasPrev = 4;
constexpr uint8_t kClosed = 0x80;

uint32_t pointX(uint32_t point) { return point & 0xFFFFu; }
uint32_t pointY(uint32_t point) { return point >> 16; }
uint32_t packPoint(uint32_t x, uint32_t y) { return (y << 16) | (x & 0xFFFFu); }

struct OpenItem {
    uint32_t f;
    uint32_t g;
    uint32_t state;
};

// Lowest f first; among equal f the deeper one, which keeps runs straight.
struct OpenOrder {
    bool operator()(const OpenItem& a, const OpenItem& b) const {
        if (a.f != b.f) return a.f > b.f;
        return a.g < b.g;
    }
};

TTraceSegment normalized(uint32_t a, uint32_t b) {
    const bool swap = pointX(a) > pointX(b) || (pointX(a) == pointX(b) && pointY(a) > pointY(b));
    return swap ? TTraceSegment{b, a} : TTraceSegment{a, b};
}

}  // namespace

int32_t Router::setSheetSize(int32_t width, int32_t height) {
    // A new search starts here whatever the outcome: nothing of the last one stays.
    width_ = 0;
    height_ = 0;
    flags_.clear();
    flags_.shrink_to_fit();
    weights_.clear();
    weights_.shrink_to_fit();
    start_ = -1;
    end_ = -1;
    route_.clear();
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide ||
        int64_t(width) * int64_t(height) > kMaxCells)
        return kTraceNoGrid;
    const auto cells = std::size_t(int64_t(width) * int64_t(height));
    flags_.assign(cells, 0);
    weights_.assign(cells, 0);
    width_ = width;
    height_ = height;
    return kTraceOk;
}

int64_t Router::cellOf(uint32_t point) const {
    const int64_t x = pointX(point);
    const int64_t y = pointY(point);
    return inGrid(x, y) ? y * width_ + x : -1;
}

uint32_t Router::packCell(int64_t cell) const {
    return packPoint(uint32_t(cell % width_), uint32_t(cell / width_));
}

int32_t Router::addBlock(uint32_t corner1, uint32_t corner2) {
    if (!hasGrid()) return kTraceNoGrid;
    const int64_t left = std::min(pointX(corner1), pointX(corner2));
    const int64_t right = std::min<int64_t>(std::max(pointX(corner1), pointX(corner2)), width_ - 1);
    const int64_t top = std::min(pointY(corner1), pointY(corner2));
    const int64_t bottom = std::min<int64_t>(std::max(pointY(corner1), pointY(corner2)), height_ - 1);
    if (left > right || top > bottom) return kTraceOutside;  // wholly outside the grid
    for (int64_t y = top; y <= bottom; ++y)
        for (int64_t x = left; x <= right; ++x) flags_[std::size_t(y * width_ + x)] |= kBlocked;
    return kTraceOk;
}

int32_t Router::addLine(uint32_t pointA, uint32_t pointB) {
    if (!hasGrid()) return kTraceNoGrid;
    const TTraceSegment s = normalized(pointA, pointB);
    const int64_t x1 = pointX(s.PointA), y1 = pointY(s.PointA);
    const int64_t x2 = pointX(s.PointB), y2 = pointY(s.PointB);
    bool inside = false;
    // Its end points are never passed through, whatever the segment's shape.
    for (const int64_t cell : {cellOf(s.PointA), cellOf(s.PointB)}) {
        if (cell >= 0) {
            flags_[std::size_t(cell)] |= kLineEnd;
            inside = true;
        }
    }
    if (x1 != x2 && y1 != y2) return kTraceOutside;  // not along X or Y: only its ends are kept
    if (y1 == y2 && y1 < height_) {
        for (int64_t x = x1; x < x2 && x + 1 < width_; ++x) {
            flags_[std::size_t(y1 * width_ + x)] |= kEdgeEast;
            inside = true;
        }
    } else if (x1 == x2 && x1 < width_) {
        for (int64_t y = y1; y < y2 && y + 1 < height_; ++y) {
            flags_[std::size_t(y * width_ + x1)] |= kEdgeSouth;
            inside = true;
        }
    }
    return inside ? kTraceOk : kTraceOutside;
}

int32_t Router::markCell(uint32_t point, uint8_t weight) {
    if (!hasGrid()) return kTraceNoGrid;
    const int64_t cell = cellOf(point);
    if (cell < 0) return kTraceOutside;
    uint8_t& w = weights_[std::size_t(cell)];
    w = std::max(w, weight);  // overlapping marks keep the heavier one
    return kTraceOk;
}

int32_t Router::setStart(uint32_t point) {
    start_ = -1;
    if (!hasGrid()) return kTraceNoGrid;
    start_ = cellOf(point);
    return start_ < 0 ? kTraceOutside : kTraceOk;
}

int32_t Router::setEnd(uint32_t point) {
    end_ = -1;
    if (!hasGrid()) return kTraceNoGrid;
    end_ = cellOf(point);
    return end_ < 0 ? kTraceOutside : kTraceOk;
}

const TTraceSegment* Router::segment(int32_t index) const {
    if (index < 0 || std::size_t(index) >= route_.size()) return nullptr;
    return &route_[std::size_t(index)];
}

int64_t Router::neighbour(int64_t cell, int dir) const {
    const int64_t x = cell % width_ + kDx[dir];
    const int64_t y = cell / width_ + kDy[dir];
    return inGrid(x, y) ? y * width_ + x : -1;
}

bool Router::canStep(int64_t from, int dir, int64_t& to) const {
    to = neighbour(from, dir);
    if (to < 0) return false;
    const uint8_t fromFlags = flags_[std::size_t(from)];
    const uint8_t toFlags = flags_[std::size_t(to)];
    // Never along an existing connection.
    switch (dir) {
    case 0: if (fromFlags & kEdgeEast) return false; break;
    case 1: if (fromFlags & kEdgeSouth) return false; break;
    case 2: if (toFlags & kEdgeEast) return false; break;
    default: if (toFlags & kEdgeSouth) return false; break;
    }
    // Never from one block cell to another (two pins of one block).
    if ((fromFlags & kBlocked) && (toFlags & kBlocked)) return false;
    if (to == end_) return true;
    return (toFlags & (kBlocked | kLineEnd)) == 0;
}

// Whether the end can be reached at all; a cell flood, cheap beside the search
// and exact, since every restriction of a step is one of the two cells it joins.
bool Router::reachable() const {
    std::vector<uint8_t> seen(flags_.size(), 0);
    std::vector<uint32_t> queue;
    queue.reserve(1024);
    queue.push_back(uint32_t(start_));
    seen[std::size_t(start_)] = 1;
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const int64_t cell = queue[head];
        if (cell == end_) return true;
        for (int dir = 0; dir < 4; ++dir) {
            int64_t next = -1;
            if (canStep(cell, dir, next) && !seen[std::size_t(next)]) {
                seen[std::size_t(next)] = 1;
                queue.push_back(uint32_t(next));
            }
        }
    }
    return false;
}

uint32_t Router::estimate(int64_t cell, int dir) const {
    const int64_t dx = end_ % width_ - cell % width_;
    const int64_t dy = end_ / width_ - cell / width_;
    int64_t forward = 0;
    int64_t lateral = 0;
    switch (dir) {
    case 0: forward = dx; lateral = dy; break;
    case 1: forward = dy; lateral = dx; break;
    case 2: forward = -dx; lateral = dy; break;
    default: forward = -dy; lateral = dx; break;
    }
    uint32_t bends = 0;
    if (forward < 0) bends = 2;
    else if (lateral != 0) bends = 1;
    const int64_t distance = (dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy);
    return uint32_t(distance) * kStep + bends * kBend;
}

int32_t Router::findRoute() {
    route_.clear();
    if (!hasGrid()) return kTraceNoGrid;
    if (start_ < 0 || end_ < 0) return kTraceOutside;
    if (start_ == end_) return kTraceSameCell;
    if (!reachable()) return kTraceNoRoute;
    return search();
}

int32_t Router::search() {
    const std::size_t states = flags_.size() * 4;
    std::vector<uint32_t> g(states, kUnreached);
    std::vector<uint8_t> info(states, 0);
    std::priority_queue<OpenItem, std::vector<OpenItem>, OpenOrder> open;

    for (int dir = 0; dir < 4; ++dir) {
        const auto s = uint32_t(start_ * 4 + dir);
        g[s] = 0;
        open.push({estimate(start_, dir), 0, s});
    }
    uint32_t expansions = 0;
    int64_t goal = -1;
    while (!open.empty()) {
        const OpenItem item = open.top();
        open.pop();
        if ((info[item.state] & kClosed) || item.g != g[item.state]) continue;  // stale
        info[item.state] |= kClosed;
        const int64_t cell = item.state / 4;
        const int dir = int(item.state % 4);
        if (cell == end_) {
            goal = item.state;
            break;
        }
        if (++expansions > kMaxExpansions) return kTraceSearchLimit;
        for (const int turn : {0, 1, 3}) {  // straight on, right, left; never back
            const int next = (dir + turn) % 4;
            int64_t to = -1;
            if (!canStep(cell, next, to)) continue;
            const auto s = uint32_t(to * 4 + next);
            if (info[s] & kClosed) continue;
            const uint32_t cost = item.g + kStep + weights_[std::size_t(to)] + (turn ? kBend : 0);
            if (cost >= g[s]) continue;
            g[s] = cost;
            info[s] = uint8_t(kHasPrev | dir);
            open.push({cost + estimate(to, next), cost, s});
        }
    }
    if (goal < 0) return kTraceNoRoute;

    // Walk back to the start, noting the cells where the direction changes.
    std::vector<int64_t> corners;  // end first
    corners.push_back(end_);
    int64_t state = goal;
    while (info[std::size_t(state)] & kHasPrev) {
        const int64_t cell = state / 4;
        const int dir = int(state % 4);
        const int prev = info[std::size_t(state)] & 3;
        const int64_t from = neighbour(cell, (dir + 2) % 4);
        if (prev != dir) corners.push_back(from);
        state = from * 4 + prev;
    }
    if (corners.back() != start_) corners.push_back(start_);
    // A caller reads only the low 16 bits of the count: a longer route would
    // be handed over cut short, so it is refused instead.
    if (corners.size() - 1 > kMaxSegments) return kTraceRouteTooLong;
    std::reverse(corners.begin(), corners.end());
    route_.reserve(corners.size() - 1);
    for (std::size_t i = 0; i + 1 < corners.size(); ++i)
        route_.push_back(normalized(packCell(corners[i]), packCell(corners[i + 1])));
    return kTraceOk;
}

}  // namespace zo::trace
