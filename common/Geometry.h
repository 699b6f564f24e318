#pragma once
// Arithmetic on the sheet's packed points, segments and rectangles.
//
// A packed point is 32 bits: X in the low 16 bits, Y in the high 16 bits, both
// unsigned (0..65535). A segment is two packed points. A rectangle is four
// signed 32-bit integers left, top, right, bottom.

#include <cstdint>

namespace zo {

using TPackedPoint = uint32_t;

struct TZoRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

struct TZoSegment {
    TPackedPoint first = 0;
    TPackedPoint second = 0;
};

// Y shifted into the high 16 bits, X in the low 16 bits (each cut to 16 bits).
constexpr TPackedPoint PackPoint(uint32_t x, uint32_t y) {
    return ((y & 0xFFFFu) << 16) | (x & 0xFFFFu);
}
constexpr uint16_t PointX(TPackedPoint p) { return static_cast<uint16_t>(p & 0xFFFFu); }
constexpr uint16_t PointY(TPackedPoint p) { return static_cast<uint16_t>(p >> 16); }

// Segment directions.
enum : int { kSegmentNone = 0, kSegmentAlongX = 1, kSegmentAlongY = 2 };

// left <= x <= right and top <= y <= bottom: the edges belong to the rectangle.
bool PointInRect(const TZoRect& rect, int32_t x, int32_t y);

// The same rectangle with left <= right and top <= bottom.
void NormalizeRect(const TZoRect& source, TZoRect& out);

// min(rights) >= max(lefts) and min(bottoms) >= max(tops): touching edges count.
bool RectsOverlap(const TZoRect& a, const TZoRect& b);

// The intersection (max lefts, max tops, min rights, min bottoms) is not empty,
// that is right > left and bottom > top: touching edges do not count.
bool RectsIntersect(const TZoRect& a, const TZoRect& b);

// kSegmentAlongX when both points share Y and X1 < X2; kSegmentAlongY when both
// share X and Y1 < Y2; kSegmentNone otherwise (a point, a diagonal, or a segment
// whose second point lies left of or above the first).
int SegmentDirection(const TZoSegment& segment);

// True only strictly between the two end points of a segment along X or Y.
bool PointOnSegment(const TZoSegment& segment, TPackedPoint point);

// Both points moved by the same dx and dy, the offsets clamped so that every
// coordinate stays within 0..65535: first dx is lowered for the upper bound
// (first point, then second), then raised for the lower bound (first point,
// then second); dy likewise.
void MoveSegment(const TZoSegment& segment, int32_t dx, int32_t dy, TPackedPoint& first, TPackedPoint& second);

}  // namespace zo
