// The routing library, loaded from the program folder and driven through its
// record as the kernel drives it.

#include "common/abi/TraceOptions.h"
#include "platform/DynLib.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Cell {
    int x = 0;
    int y = 0;
    bool operator==(const Cell&) const = default;
    auto operator<=>(const Cell&) const = default;
};

uint32_t P(int x, int y) { return (uint32_t(y) << 16) | (uint32_t(x) & 0xFFFFu); }
uint32_t P(Cell c) { return P(c.x, c.y); }
Cell C(uint32_t point) { return {int(point & 0xFFFFu), int(point >> 16)}; }

std::string show(Cell c) { return "(" + std::to_string(c.x) + "," + std::to_string(c.y) + ")"; }

// A route checked for its shape: segments along X or Y with PointA <= PointB,
// each joined to the next at a bend, from the start to the end; `cells` holds
// every cell passed, start and end included.
struct Walk {
    bool ok = false;
    std::vector<Cell> cells;
    int bends = 0;
    int length() const { return int(cells.size()) - 1; }
};

Walk walk(const std::vector<TTraceSegment>& segments, Cell start, Cell end) {
    Walk w;
    if (segments.empty()) {
        ADD_FAILURE() << "empty route";
        return w;
    }
    Cell at = start;
    w.cells.push_back(at);
    int previousAxis = -1;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const Cell a = C(segments[i].PointA);
        const Cell b = C(segments[i].PointB);
        const bool alongX = a.y == b.y && a.x < b.x;
        const bool alongY = a.x == b.x && a.y < b.y;
        if (!alongX && !alongY) {
            ADD_FAILURE() << "segment " << i << " " << show(a) << "-" << show(b) << " is not along X or Y in order";
            return w;
        }
        const int axis = alongX ? 0 : 1;
        if (axis == previousAxis) {
            ADD_FAILURE() << "segment " << i << " continues the one before it without a bend";
            return w;
        }
        previousAxis = axis;
        Cell to;
        if (a == at) to = b;
        else if (b == at) to = a;
        else {
            ADD_FAILURE() << "segment " << i << " does not start at " << show(at);
            return w;
        }
        while (at != to) {
            at.x += (to.x > at.x) - (to.x < at.x);
            at.y += (to.y > at.y) - (to.y < at.y);
            w.cells.push_back(at);
        }
    }
    if (at != end) {
        ADD_FAILURE() << "route ends at " << show(at) << " instead of " << show(end);
        return w;
    }
    const std::set<Cell> distinct(w.cells.begin(), w.cells.end());
    if (distinct.size() != w.cells.size()) {
        ADD_FAILURE() << "route passes a cell twice";
        return w;
    }
    w.bends = int(segments.size()) - 1;
    w.ok = true;
    return w;
}

bool inRect(Cell c, Cell tl, Cell br) { return c.x >= tl.x && c.x <= br.x && c.y >= tl.y && c.y <= br.y; }

// Whether the route moves from one cell of a straight line to the next along it.
bool runsAlong(const Walk& w, Cell a, Cell b) {
    for (std::size_t i = 0; i + 1 < w.cells.size(); ++i) {
        const Cell p = w.cells[i], q = w.cells[i + 1];
        if (a.y == b.y && p.y == a.y && q.y == a.y && std::min(p.x, q.x) >= a.x && std::max(p.x, q.x) <= b.x) return true;
        if (a.x == b.x && p.x == a.x && q.x == a.x && std::min(p.y, q.y) >= a.y && std::max(p.y, q.y) <= b.y) return true;
    }
    return false;
}

// Whether a cell is passed between the start and the end.
bool passes(const Walk& w, Cell c) {
    return w.cells.size() > 2 && std::find(w.cells.begin() + 1, w.cells.end() - 1, c) != w.cells.end() - 1;
}

class ZoTraceSchemTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        handle_ = zo::platform::loadLibrary(ZO_PROGRAM_DIR "/System/ZoTraceSchem.so");
        ASSERT_NE(handle_, nullptr) << zo::platform::lastLibraryError();
        auto getInfo = reinterpret_cast<void (*)(void**, int32_t*)>(zo::platform::findSymbol(handle_, "GetInfo"));
        ASSERT_NE(getInfo, nullptr);
        void* record = nullptr;
        size_ = 0;
        getInfo(&record, &size_);
        trace_ = static_cast<TTraceOptions*>(record);
    }
    static void TearDownTestSuite() {
        zo::platform::unloadLibrary(handle_);
        handle_ = nullptr;
        trace_ = nullptr;
    }

    void SetUp() override {
        ASSERT_NE(trace_, nullptr);
        ASSERT_EQ(size_, int32_t(sizeof(TTraceOptions)));
        t = trace_;
    }

    int32_t find(Cell start, Cell end) {
        EXPECT_EQ(t->SetStartPoint(P(start)), kTraceOk);
        EXPECT_EQ(t->SetEndPoint(P(end)), kTraceOk);
        return t->FindRoute();
    }

    std::vector<TTraceSegment> route() {
        std::vector<TTraceSegment> out;
        const int32_t count = t->GetRoutePointCount();
        for (int32_t i = 0; i < (count & 0xFFFF); ++i) {
            const TTraceSegment* s = t->GetRoutePoint(i);
            if (!s) {
                ADD_FAILURE() << "segment " << i << " of " << count << " missing";
                break;
            }
            out.push_back(*s);
        }
        EXPECT_EQ(t->GetRoutePoint(count), nullptr);
        return out;
    }

    // Finds a route that must exist and checks its shape.
    Walk routed(Cell start, Cell end) {
        const int32_t result = find(start, end);
        EXPECT_EQ(result, kTraceOk) << show(start) << " -> " << show(end);
        if (result != kTraceOk) return {};
        return walk(route(), start, end);
    }

    TTraceOptions* t = nullptr;
    static inline void* handle_ = nullptr;
    static inline TTraceOptions* trace_ = nullptr;
    static inline int32_t size_ = 0;
};

TEST_F(ZoTraceSchemTest, RecordIsCompleteAndDescribed) {
    for (const void* entry :
         {(const void*)t->SetSheetSize, (const void*)t->AddBlockObstacle, (const void*)t->AddLineObstacle,
          (const void*)t->SetStartPoint, (const void*)t->SetEndPoint, (const void*)t->MarkCell,
          (const void*)t->FindRoute, (const void*)t->GetRoutePointCount, (const void*)t->GetRoutePoint})
        EXPECT_NE(entry, nullptr);
    const std::size_t length = strnlen(t->Description, sizeof t->Description);
    EXPECT_GT(length, 0u);
    EXPECT_LT(length, sizeof t->Description);

    // A host that passes no place for one of the answers still gets the other.
    auto getInfo = reinterpret_cast<void (*)(void**, int32_t*)>(zo::platform::findSymbol(handle_, "GetInfo"));
    int32_t size = 0;
    getInfo(nullptr, &size);
    EXPECT_EQ(size, size_);
    void* record = nullptr;
    getInfo(&record, nullptr);
    EXPECT_EQ(record, static_cast<void*>(t));
}

TEST_F(ZoTraceSchemTest, StraightRouteOnAnEmptyGridIsOneOrderedSegment) {
    struct Case {
        Cell start, end;
    } cases[] = {
        {{2, 5}, {20, 5}},
        {{20, 5}, {2, 5}},   // drawn right to left: still stored left to right
        {{7, 1}, {7, 28}},
        {{7, 28}, {7, 1}},
        {{0, 0}, {39, 0}},   // along the grid's edge
        {{39, 29}, {39, 0}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(t->SetSheetSize(40, 30), kTraceOk);
        const Walk w = routed(c.start, c.end);
        ASSERT_TRUE(w.ok) << show(c.start) << " -> " << show(c.end);
        EXPECT_EQ(w.bends, 0);
        EXPECT_EQ(w.length(), std::abs(c.end.x - c.start.x) + std::abs(c.end.y - c.start.y));
        ASSERT_EQ(t->GetRoutePointCount(), 1);
        const TTraceSegment* s = t->GetRoutePoint(0);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->PointA, std::min(P(c.start), P(c.end)));
        EXPECT_EQ(s->PointB, std::max(P(c.start), P(c.end)));
    }
}

// One route on a 40 x 30 sheet among blocks and lines: it never enters a block,
// never runs along a line, and takes the bends and length given.
TEST_F(ZoTraceSchemTest, SingleRoutesAmongBlocksAndLines) {
    using Obstacle = std::pair<Cell, Cell>;
    struct Case {
        const char* what;
        std::vector<Obstacle> blocks, lines;
        Cell start, end;
        int bends;
        int length;                  // -1: any
        std::optional<Cell> crosses;  // a cell the route passes
    };
    const std::vector<Obstacle> ring = {
        {{8, 3}, {14, 3}}, {{8, 9}, {14, 9}}, {{8, 3}, {8, 9}}, {{14, 3}, {14, 9}}};
    const Case cases[] = {
        {"diagonal ends are joined with one bend", {}, {}, {2, 2}, {10, 8}, 1, 14, {}},
        // Up (or down) to clear the block, across, and back: two bends, no
        // longer than any route around it.
        {"around a block with the fewest bends", {{{8, 3}, {12, 7}}}, {}, {0, 5}, {20, 5}, 2, 26, {}},
        {"block corners in any order", {{{12, 7}, {8, 3}}}, {}, {0, 5}, {20, 5}, 2, 26, {}},
        {"an existing line is crossed at right angles", {}, {{{10, 0}, {10, 29}}}, {2, 5}, {20, 5}, 0, 18, Cell{10, 5}},
        {"an end inside a ring of lines is reached across the ring", {}, ring, {11, 0}, {11, 6}, 0, 6, Cell{11, 3}},
        {"a route may continue a line from its end", {}, {{{5, 10}, {15, 10}}}, {15, 10}, {30, 10}, 0, 15, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(t->SetSheetSize(40, 30), kTraceOk);
        for (const auto& [a, b] : c.blocks) ASSERT_EQ(t->AddBlockObstacle(P(a), P(b)), kTraceOk);
        for (const auto& [a, b] : c.lines) ASSERT_EQ(t->AddLineObstacle(P(a), P(b)), kTraceOk);
        const Walk w = routed(c.start, c.end);
        ASSERT_TRUE(w.ok);
        EXPECT_EQ(w.bends, c.bends);
        if (c.length >= 0) { EXPECT_EQ(w.length(), c.length); }
        if (c.crosses) { EXPECT_TRUE(passes(w, *c.crosses)) << show(*c.crosses); }
        for (const auto& [a, b] : c.blocks) {
            const Cell tl{std::min(a.x, b.x), std::min(a.y, b.y)}, br{std::max(a.x, b.x), std::max(a.y, b.y)};
            for (const Cell& cell : w.cells) EXPECT_FALSE(inRect(cell, tl, br)) << show(cell);
        }
        for (const auto& [a, b] : c.lines) EXPECT_FALSE(runsAlong(w, std::min(a, b), std::max(a, b))) << show(a);
    }
}

TEST_F(ZoTraceSchemTest, SerpentineIsFollowedThroughEveryGap) {
    // Walls on the odd rows with a gap at alternate ends: the only way down
    // zigzags, two bends per wall.
    ASSERT_EQ(t->SetSheetSize(64, 64), kTraceOk);
    for (int k = 0; k <= 30; ++k) {
        const int y = 2 * k + 1;
        if (k % 2 == 0) ASSERT_EQ(t->AddBlockObstacle(P(0, y), P(62, y)), kTraceOk);
        else ASSERT_EQ(t->AddBlockObstacle(P(1, y), P(63, y)), kTraceOk);
    }
    const Walk w = routed({0, 0}, {0, 62});
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(t->GetRoutePointCount(), 63);
    for (const Cell& c : w.cells) {
        if (c.y % 2 == 1) { EXPECT_EQ(c.x, ((c.y - 1) / 2) % 2 == 0 ? 63 : 0) << "through a wall at " << show(c); }
    }
}

TEST_F(ZoTraceSchemTest, RouteNeverRunsAlongALineNorThroughItsEnds) {
    struct Case {
        Cell lineA, lineB, start, end;
        int bends;
    } cases[] = {
        // Collinear with the way to go: leaves the row to pass the line.
        {{5, 5}, {15, 5}, {2, 5}, {20, 5}, 2},
        {{15, 5}, {5, 5}, {2, 5}, {20, 5}, 2},   // line given right to left
        {{12, 2}, {12, 20}, {12, 0}, {12, 25}, 2},
        // The straight way would pass the line's end point: crosses beside it.
        {{10, 3}, {10, 29}, {2, 3}, {20, 3}, 2},
        {{10, 0}, {10, 3}, {2, 3}, {20, 3}, 2},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(t->SetSheetSize(40, 30), kTraceOk);
        ASSERT_EQ(t->AddLineObstacle(P(c.lineA), P(c.lineB)), kTraceOk);
        const Walk w = routed(c.start, c.end);
        ASSERT_TRUE(w.ok) << show(c.start) << " -> " << show(c.end);
        const Cell a = std::min(c.lineA, c.lineB), b = std::max(c.lineA, c.lineB);
        EXPECT_FALSE(runsAlong(w, a, b)) << show(c.start) << " -> " << show(c.end);
        EXPECT_FALSE(passes(w, c.lineA));
        EXPECT_FALSE(passes(w, c.lineB));
        EXPECT_EQ(w.bends, c.bends) << show(c.start) << " -> " << show(c.end);
    }
}

TEST_F(ZoTraceSchemTest, RouteNeverTurnsOnALine) {
    // With the way over the top blocked, one bend would have to lie on the
    // line's inside cell (10,10); the route turns before or after it instead.
    ASSERT_EQ(t->SetSheetSize(40, 30), kTraceOk);
    ASSERT_EQ(t->AddLineObstacle(P(5, 10), P(15, 10)), kTraceOk);
    ASSERT_EQ(t->AddBlockObstacle(P(18, 0), P(20, 8)), kTraceOk);
    const Walk w = routed({10, 2}, {25, 10});
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.bends, 2);
    EXPECT_FALSE(runsAlong(w, {5, 10}, {15, 10}));
    for (std::size_t i = 1; i + 1 < w.cells.size(); ++i) {
        const Cell p = w.cells[i - 1], c = w.cells[i], n = w.cells[i + 1];
        const bool turns = (p.x == c.x) != (c.x == n.x);
        if (c.y == 10 && c.x >= 5 && c.x <= 15) { EXPECT_FALSE(turns) << "turns on the line at " << show(c); }
    }
}

TEST_F(ZoTraceSchemTest, RouteFromTheInsideOfALineLeavesItAtRightAngles) {
    struct Case {
        Cell end;
        int bends;
    } cases[] = {
        {{15, 20}, 0},  // straight off the line
        {{30, 10}, 2},  // beyond the line's end in its own row: not along the line
        {{2, 10}, 2},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(t->SetSheetSize(40, 30), kTraceOk);
        ASSERT_EQ(t->AddLineObstacle(P(5, 10), P(25, 10)), kTraceOk);
        const Walk w = routed({15, 10}, c.end);
        ASSERT_TRUE(w.ok) << show(c.end);
        EXPECT_FALSE(runsAlong(w, {5, 10}, {25, 10})) << show(c.end);
        EXPECT_EQ(w.bends, c.bends) << show(c.end);
    }
}

TEST_F(ZoTraceSchemTest, StartOnALineHemmedInAcrossItIsRefused) {
    // Blocks on both sides of the line at the start: the only ways out run
    // along the line, which a route never does.
    ASSERT_EQ(t->SetSheetSize(40, 30), kTraceOk);
    ASSERT_EQ(t->AddLineObstacle(P(5, 10), P(25, 10)), kTraceOk);
    ASSERT_EQ(t->AddBlockObstacle(P(14, 6), P(16, 9)), kTraceOk);
    ASSERT_EQ(t->AddBlockObstacle(P(14, 11), P(16, 14)), kTraceOk);
    EXPECT_EQ(find({15, 10}, {30, 20}), kTraceNoRoute);
    EXPECT_EQ(find({30, 20}, {15, 10}), kTraceNoRoute);
}

TEST_F(ZoTraceSchemTest, PinsOnABlockEdgeAreLeftOutwardNeverThroughTheBlock) {
    const Cell tl{10, 10}, br{14, 16};
    struct Case {
        Cell start, end;
        int length, bends;
    } cases[] = {
        {{10, 12}, {2, 12}, 8, 0},    // left pin straight to the left
        {{10, 12}, {10, 13}, 3, 2},   // two neighbouring pins of one block: around, outside
        {{10, 12}, {14, 12}, -1, 4},  // left pin to right pin: around the block
        {{2, 12}, {14, 13}, -1, 3},   // to a right pin: around the block, in from the right
    };
    for (const Case& c : cases) {
        ASSERT_EQ(t->SetSheetSize(40, 30), kTraceOk);
        ASSERT_EQ(t->AddBlockObstacle(P(tl), P(br)), kTraceOk);
        const Walk w = routed(c.start, c.end);
        ASSERT_TRUE(w.ok) << show(c.start) << " -> " << show(c.end);
        for (std::size_t i = 1; i + 1 < w.cells.size(); ++i) EXPECT_FALSE(inRect(w.cells[i], tl, br)) << show(w.cells[i]);
        if (c.length >= 0) { EXPECT_EQ(w.length(), c.length) << show(c.start) << " -> " << show(c.end); }
        EXPECT_EQ(w.bends, c.bends) << show(c.start) << " -> " << show(c.end);
    }
}

TEST_F(ZoTraceSchemTest, MarkedCellsCostTheirWeight) {
    struct Case {
        uint32_t weight;
        bool straight;
    } cases[] = {
        {3, true},       // a light mark is crossed
        {255, false},    // a heavy one is gone around
        {0x1FF, false},  // only the low byte counts
        {0x100, true},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(t->SetSheetSize(40, 30), kTraceOk);
        for (int y = 5; y <= 15; ++y) ASSERT_EQ(t->MarkCell(P(15, y), c.weight), kTraceOk);
        const Walk w = routed({2, 10}, {30, 10});
        ASSERT_TRUE(w.ok) << c.weight;
        EXPECT_EQ(w.bends == 0, c.straight) << c.weight;
        if (!c.straight) {
            for (const Cell& cell : w.cells) EXPECT_FALSE(cell.x == 15 && cell.y >= 5 && cell.y <= 15) << show(cell);
        }
    }
}

TEST_F(ZoTraceSchemTest, EnclosedEndIsRefusedAndLeavesNoRoute) {
    ASSERT_EQ(t->SetSheetSize(40, 30), kTraceOk);
    ASSERT_TRUE(routed({2, 2}, {20, 15}).ok);
    ASSERT_GT(t->GetRoutePointCount(), 0);

    ASSERT_EQ(t->AddBlockObstacle(P(18, 13), P(22, 13)), kTraceOk);
    ASSERT_EQ(t->AddBlockObstacle(P(18, 17), P(22, 17)), kTraceOk);
    ASSERT_EQ(t->AddBlockObstacle(P(18, 13), P(18, 17)), kTraceOk);
    ASSERT_EQ(t->AddBlockObstacle(P(22, 13), P(22, 17)), kTraceOk);
    EXPECT_EQ(find({2, 2}, {20, 15}), kTraceNoRoute);
    EXPECT_EQ(t->GetRoutePointCount(), 0);
    EXPECT_EQ(t->GetRoutePoint(0), nullptr);
    // Enclosed the other way round: the start.
    EXPECT_EQ(find({20, 15}, {2, 2}), kTraceNoRoute);
}

TEST_F(ZoTraceSchemTest, UnreachableCellsAreRefused) {
    struct Case {
        const char* what;
        Cell start, end;
    } cases[] = {
        {"start inside a block", {12, 13}, {2, 2}},
        {"end inside a block", {2, 2}, {12, 13}},
        {"end where two lines cross", {2, 2}, {20, 5}},
        {"end on a line's end hemmed in by blocks", {2, 2}, {30, 20}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(t->SetSheetSize(40, 30), kTraceOk);
        ASSERT_EQ(t->AddBlockObstacle(P(10, 10), P(14, 16)), kTraceOk);
        ASSERT_EQ(t->AddLineObstacle(P(20, 0), P(20, 29)), kTraceOk);
        ASSERT_EQ(t->AddLineObstacle(P(15, 5), P(25, 5)), kTraceOk);
        ASSERT_EQ(t->AddLineObstacle(P(30, 20), P(35, 20)), kTraceOk);
        ASSERT_EQ(t->AddBlockObstacle(P(29, 19), P(31, 19)), kTraceOk);
        ASSERT_EQ(t->AddBlockObstacle(P(29, 21), P(31, 21)), kTraceOk);
        ASSERT_EQ(t->AddBlockObstacle(P(29, 20), P(29, 20)), kTraceOk);
        EXPECT_EQ(find(c.start, c.end), kTraceNoRoute) << c.what;
        EXPECT_EQ(t->GetRoutePointCount(), 0) << c.what;
    }
}

TEST_F(ZoTraceSchemTest, SheetSizesBeyondTheGridAreRefused) {
    struct Case {
        int32_t width, height, result;
    } cases[] = {
        {0, 10, kTraceNoGrid},      {10, 0, kTraceNoGrid},         {-1, 10, kTraceNoGrid},
        {10, -5, kTraceNoGrid},     {65537, 1, kTraceNoGrid},      {1, 65537, kTraceNoGrid},
        {2000, 2000, kTraceNoGrid}, {65535, 65535, kTraceNoGrid},  {65536, 16, kTraceOk},
        {1024, 1024, kTraceOk},     {1, 2, kTraceOk},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(t->SetSheetSize(c.width, c.height), c.result) << c.width << "x" << c.height;
        if (c.result != kTraceOk) {
            // Without a grid every later entry refuses too.
            EXPECT_EQ(t->AddBlockObstacle(P(0, 0), P(1, 1)), kTraceNoGrid);
            EXPECT_EQ(t->AddLineObstacle(P(0, 0), P(1, 0)), kTraceNoGrid);
            EXPECT_EQ(t->MarkCell(P(0, 0), 3), kTraceNoGrid);
            EXPECT_EQ(t->SetStartPoint(P(0, 0)), kTraceNoGrid);
            EXPECT_EQ(t->SetEndPoint(P(0, 1)), kTraceNoGrid);
            EXPECT_EQ(t->FindRoute(), kTraceNoGrid);
            EXPECT_EQ(t->GetRoutePointCount(), 0);
        }
    }
}

TEST_F(ZoTraceSchemTest, PointsOutsideTheGridAreRefused) {
    ASSERT_EQ(t->SetSheetSize(40, 30), kTraceOk);
    EXPECT_EQ(t->SetStartPoint(P(40, 5)), kTraceOutside);
    EXPECT_EQ(t->SetEndPoint(P(20, 5)), kTraceOk);
    EXPECT_EQ(t->FindRoute(), kTraceOutside);

    EXPECT_EQ(t->SetStartPoint(P(2, 5)), kTraceOk);
    EXPECT_EQ(t->SetEndPoint(P(5, 30)), kTraceOutside);
    EXPECT_EQ(t->FindRoute(), kTraceOutside);
    EXPECT_EQ(t->SetEndPoint(0xFFFFFFFFu), kTraceOutside);
    EXPECT_EQ(t->FindRoute(), kTraceOutside);

    // A refused point replaces the one set before, so no stale point is used.
    EXPECT_EQ(t->SetEndPoint(P(20, 5)), kTraceOk);
    EXPECT_EQ(t->SetStartPoint(P(39, 30)), kTraceOutside);
    EXPECT_EQ(t->FindRoute(), kTraceOutside);
    EXPECT_EQ(t->GetRoutePointCount(), 0);

    EXPECT_EQ(t->MarkCell(P(40, 0), 3), kTraceOutside);
    EXPECT_EQ(t->AddBlockObstacle(P(40, 30), P(50, 40)), kTraceOutside);
    EXPECT_EQ(t->AddLineObstacle(P(0, 30), P(39, 30)), kTraceOutside);
    EXPECT_EQ(t->AddLineObstacle(P(2, 2), P(5, 7)), kTraceOutside);  // neither along X nor along Y
}

TEST_F(ZoTraceSchemTest, NewSheetSizeForgetsTheLastSearch) {
    ASSERT_EQ(t->SetSheetSize(40, 30), kTraceOk);
    ASSERT_EQ(t->AddBlockObstacle(P(8, 0), P(12, 29)), kTraceOk);  // a wall from top to bottom
    EXPECT_EQ(find({2, 5}, {20, 5}), kTraceNoRoute);

    ASSERT_EQ(t->SetSheetSize(40, 30), kTraceOk);
    EXPECT_EQ(t->FindRoute(), kTraceOutside);  // start and end are gone too
    const Walk w = routed({2, 5}, {20, 5});
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.bends, 0);

    ASSERT_EQ(t->SetSheetSize(40, 30), kTraceOk);
    EXPECT_EQ(t->GetRoutePointCount(), 0);
    EXPECT_EQ(t->GetRoutePoint(0), nullptr);
}

TEST_F(ZoTraceSchemTest, StartEqualToEndIsRefused) {
    ASSERT_EQ(t->SetSheetSize(40, 30), kTraceOk);
    EXPECT_EQ(find({7, 7}, {7, 7}), kTraceSameCell);
    EXPECT_EQ(t->GetRoutePointCount(), 0);
}

TEST_F(ZoTraceSchemTest, ObstaclesReachingPastTheGridAreClipped) {
    ASSERT_EQ(t->SetSheetSize(40, 30), kTraceOk);
    ASSERT_EQ(t->AddBlockObstacle(P(30, 10), P(60000, 60000)), kTraceOk);
    ASSERT_EQ(t->AddLineObstacle(P(5, 20), P(65535, 20)), kTraceOk);
    const Walk w = routed({35, 2}, {20, 25});
    ASSERT_TRUE(w.ok);
    for (const Cell& c : w.cells) EXPECT_FALSE(c.x >= 30 && c.y >= 10) << show(c);
    EXPECT_FALSE(runsAlong(w, {5, 20}, {39, 20}));
}

TEST_F(ZoTraceSchemTest, BadRouteIndexesGiveNoSegment) {
    ASSERT_EQ(t->SetSheetSize(40, 30), kTraceOk);
    ASSERT_TRUE(routed({2, 2}, {10, 8}).ok);
    const int32_t count = t->GetRoutePointCount();
    for (const int32_t index : {-1, count, count + 1, int32_t(0x7FFFFFFF), int32_t(0x80000000)})
        EXPECT_EQ(t->GetRoutePoint(index), nullptr) << index;
}

TEST_F(ZoTraceSchemTest, RouteWithMoreSegmentsThanA16BitCountIsRefused) {
    // A one-cell staircase zigzagging down a 16-cell-wide grid: every cell a
    // bend, some 131000 segments in all.
    ASSERT_EQ(t->SetSheetSize(16, 65536), kTraceOk);
    int refused = 0;
    for (int y = 0; y < 65536; ++y) {
        const int j = y % 16;
        const int left = (y / 16) % 2 == 0 ? j : 14 - j;  // the two free cells: left, left + 1
        if (left > 0) refused += t->AddBlockObstacle(P(0, y), P(left - 1, y)) != kTraceOk;
        if (left + 2 <= 15) refused += t->AddBlockObstacle(P(left + 2, y), P(15, y)) != kTraceOk;
    }
    ASSERT_EQ(refused, 0);
    EXPECT_EQ(find({0, 0}, {0, 65535}), kTraceRouteTooLong);
    EXPECT_EQ(t->GetRoutePointCount(), 0);

    // A shorter stretch of the same staircase is handed over whole.
    EXPECT_EQ(find({0, 0}, {0, 31}), kTraceOk);
    const Walk w = walk(route(), {0, 0}, {0, 31});
    ASSERT_TRUE(w.ok);
    EXPECT_GT(w.bends, 50);
}

TEST_F(ZoTraceSchemTest, SearchStopsAtItsBoundOnTheLargestGrid) {
    // Every cell of the largest grid heavily marked: the estimate is far below
    // the cost, so the search would visit nearly every state; it gives up at
    // its bound instead, in bounded time.
    ASSERT_EQ(t->SetSheetSize(1024, 1024), kTraceOk);
    int refused = 0;
    for (int y = 0; y < 1024; ++y)
        for (int x = 0; x < 1024; ++x) refused += t->MarkCell(P(x, y), 255) != kTraceOk;
    ASSERT_EQ(refused, 0);
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(find({0, 0}, {1023, 1023}), kTraceSearchLimit);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(30));
    EXPECT_EQ(t->GetRoutePointCount(), 0);

    // Unmarked, the same grid routes at once.
    ASSERT_EQ(t->SetSheetSize(1024, 1024), kTraceOk);
    const Walk w = routed({0, 0}, {1023, 1023});
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.bends, 1);
}

}  // namespace
