#include "common/Geometry.h"

#include <gtest/gtest.h>

using namespace zo;

namespace {
TZoSegment seg(uint32_t x1, uint32_t y1, uint32_t x2, uint32_t y2) { return {PackPoint(x1, y1), PackPoint(x2, y2)}; }
}  // namespace

TEST(Geometry, PackPointKeepsXLowAndYHigh) {
    EXPECT_EQ(PackPoint(0x1234, 0xABCD), 0xABCD1234u);
    EXPECT_EQ(PointX(PackPoint(65535, 7)), 65535);
    EXPECT_EQ(PointY(PackPoint(65535, 7)), 7);
    // Values beyond 16 bits are cut, not carried into the other half.
    EXPECT_EQ(PackPoint(0x10001, 2), PackPoint(1, 2));
}

TEST(Geometry, PointInRectIncludesEdges) {
    const TZoRect r{10, 20, 30, 40};
    struct Case {
        int x, y;
        bool in;
    } cases[] = {
        {10, 20, true}, {30, 40, true}, {20, 30, true}, {9, 30, false},
        {31, 30, false}, {20, 19, false}, {20, 41, false},
    };
    for (const Case& c : cases) EXPECT_EQ(PointInRect(r, c.x, c.y), c.in) << c.x << "," << c.y;
}

TEST(Geometry, NormalizeRectOrdersCorners) {
    TZoRect out;
    NormalizeRect({30, 40, 10, 20}, out);
    EXPECT_EQ(out.left, 10);
    EXPECT_EQ(out.top, 20);
    EXPECT_EQ(out.right, 30);
    EXPECT_EQ(out.bottom, 40);
    // The same record as source and result.
    TZoRect r{5, -1, -5, -9};
    NormalizeRect(r, r);
    EXPECT_EQ(r.left, -5);
    EXPECT_EQ(r.top, -9);
    EXPECT_EQ(r.right, 5);
    EXPECT_EQ(r.bottom, -1);
}

TEST(Geometry, OverlapCountsTouchingEdgesIntersectDoesNot) {
    struct Case {
        TZoRect a, b;
        bool overlap, intersect;
    } cases[] = {
        {{0, 0, 10, 10}, {10, 0, 20, 10}, true, false},   // shared vertical edge
        {{0, 0, 10, 10}, {0, 10, 10, 20}, true, false},   // shared horizontal edge
        {{0, 0, 10, 10}, {10, 10, 20, 20}, true, false},  // shared corner
        {{0, 0, 10, 10}, {9, 9, 20, 20}, true, true},
        {{0, 0, 10, 10}, {2, 2, 4, 4}, true, true},        // inside
        {{0, 0, 10, 10}, {11, 0, 20, 10}, false, false},
        {{0, 0, 10, 10}, {0, 11, 10, 20}, false, false},
        {{5, 5, 5, 5}, {0, 0, 10, 10}, true, false},       // a point inside: not an area
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RectsOverlap(c.a, c.b), c.overlap) << c.b.left << "," << c.b.top;
        EXPECT_EQ(RectsOverlap(c.b, c.a), c.overlap);
        EXPECT_EQ(RectsIntersect(c.a, c.b), c.intersect) << c.b.left << "," << c.b.top;
        EXPECT_EQ(RectsIntersect(c.b, c.a), c.intersect);
    }
}

TEST(Geometry, SegmentDirectionTable) {
    struct Case {
        TZoSegment s;
        int direction;
    } cases[] = {
        {seg(1, 5, 9, 5), kSegmentAlongX},
        {seg(3, 1, 3, 8), kSegmentAlongY},
        {seg(9, 5, 1, 5), kSegmentNone},  // right to left
        {seg(3, 8, 3, 1), kSegmentNone},  // bottom to top
        {seg(4, 4, 4, 4), kSegmentNone},  // a point
        {seg(1, 1, 5, 5), kSegmentNone},  // diagonal
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SegmentDirection(c.s), c.direction) << std::hex << c.s.first << " " << c.s.second;
    }
}

TEST(Geometry, PointOnSegmentOnlyStrictlyInside) {
    struct Case {
        TZoSegment s;
        uint32_t x, y;
        bool on;
    } cases[] = {
        {seg(1, 5, 9, 5), 2, 5, true},
        {seg(1, 5, 9, 5), 8, 5, true},
        {seg(1, 5, 9, 5), 1, 5, false},  // first end
        {seg(1, 5, 9, 5), 9, 5, false},  // second end
        {seg(1, 5, 9, 5), 5, 6, false},  // other row
        {seg(3, 1, 3, 8), 3, 4, true},
        {seg(3, 1, 3, 8), 3, 8, false},
        {seg(3, 1, 3, 8), 4, 4, false},
        {seg(9, 5, 1, 5), 5, 5, false},  // right to left: no direction
        {seg(3, 8, 3, 1), 3, 4, false},
        {seg(1, 1, 5, 5), 3, 3, false},  // diagonal
        {seg(4, 4, 5, 4), 4, 4, false},  // no cell between neighbours
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PointOnSegment(c.s, PackPoint(c.x, c.y)), c.on) << c.x << "," << c.y;
    }
}

TEST(Geometry, MoveSegmentClampsBothPointsByTheSameOffset) {
    struct Case {
        TZoSegment s;
        int32_t dx, dy;
        uint32_t x1, y1, x2, y2;
    } cases[] = {
        {seg(10, 20, 30, 20), 5, -3, 15, 17, 35, 17},                    // free move
        {seg(10, 20, 65530, 20), 100, 0, 15, 20, 65535, 20},              // right point stops at 65535
        {seg(65530, 20, 10, 20), 100, 0, 65535, 20, 15, 20},              // the same with the points swapped
        {seg(10, 20, 30, 40), -50, 0, 0, 20, 20, 40},                    // left point stops at 0
        {seg(30, 20, 10, 40), -50, 0, 20, 20, 0, 40},                    // second point's lower clamp
        {seg(5, 65000, 5, 100), 0, 1000, 5, 65535, 5, 635},               // dy upper clamp by the first point
        {seg(5, 3, 5, 100), 0, -10, 5, 0, 5, 97},                         // dy lower clamp
        {seg(0, 0, 65535, 65535), 7, -7, 0, 0, 65535, 65535},             // full span cannot move
        {seg(100, 100, 200, 200), INT32_MAX, INT32_MIN, 65435, 0, 65535, 100},  // no overflow at the limits
    };
    for (const Case& c : cases) {
        TPackedPoint p1 = 0, p2 = 0;
        MoveSegment(c.s, c.dx, c.dy, p1, p2);
        EXPECT_EQ(PointX(p1), c.x1) << c.dx << "," << c.dy;
        EXPECT_EQ(PointY(p1), c.y1) << c.dx << "," << c.dy;
        EXPECT_EQ(PointX(p2), c.x2) << c.dx << "," << c.dy;
        EXPECT_EQ(PointY(p2), c.y2) << c.dx << "," << c.dy;
    }
}
