#include "common/Geometry.h"

#include <algorithm>

namespace zo {

bool PointInRect(const TZoRect& rect, int32_t x, int32_t y) {
    return rect.left <= x && x <= rect.right && rect.top <= y && y <= rect.bottom;
}

void NormalizeRect(const TZoRect& source, TZoRect& out) {
    const TZoRect s = source;  // source and out may be the same record
    out.left = std::min(s.left, s.right);
    out.right = std::max(s.left, s.right);
    out.top = std::min(s.top, s.bottom);
    out.bottom = std::max(s.top, s.bottom);
}

bool RectsOverlap(const TZoRect& a, const TZoRect& b) {
    return std::min(a.right, b.right) >= std::max(a.left, b.left) &&
           std::min(a.bottom, b.bottom) >= std::max(a.top, b.top);
}

bool RectsIntersect(const TZoRect& a, const TZoRect& b) {
    const int32_t left = std::max(a.left, b.left);
    const int32_t top = std::max(a.top, b.top);
    const int32_t right = std::min(a.right, b.right);
    const int32_t bottom = std::min(a.bottom, b.bottom);
    return right > left && bottom > top;
}

int SegmentDirection(const TZoSegment& segment) {
    const uint16_t x1 = PointX(segment.first), y1 = PointY(segment.first);
    const uint16_t x2 = PointX(segment.second), y2 = PointY(segment.second);
    if (y1 == y2 && x1 < x2) return kSegmentAlongX;
    if (x1 == x2 && y1 < y2) return kSegmentAlongY;
    return kSegmentNone;
}

bool PointOnSegment(const TZoSegment& segment, TPackedPoint point) {
    const uint16_t x = PointX(point), y = PointY(point);
    const uint16_t x1 = PointX(segment.first), y1 = PointY(segment.first);
    const uint16_t x2 = PointX(segment.second), y2 = PointY(segment.second);
    switch (SegmentDirection(segment)) {
        case kSegmentAlongX:
            return y == y1 && x1 < x && x < x2;
        case kSegmentAlongY:
            return x == x1 && y1 < y && y < y2;
        default:
            return false;
    }
}

namespace {

// The offset for two coordinates a and b, clamped in the documented order.
// Computed in 64 bits so that an offset near the integer limits cannot overflow.
int64_t clampOffset(int64_t d, int64_t a, int64_t b) {
    constexpr int64_t kMax = 0xFFFF;
    if (a + d > kMax) d = kMax - a;
    if (b + d > kMax) d = kMax - b;
    if (a + d < 0) d = -a;
    if (b + d < 0) d = -b;
    return d;
}

}  // namespace

void MoveSegment(const TZoSegment& segment, int32_t dx, int32_t dy, TPackedPoint& first, TPackedPoint& second) {
    const int64_t x1 = PointX(segment.first), y1 = PointY(segment.first);
    const int64_t x2 = PointX(segment.second), y2 = PointY(segment.second);
    const int64_t mx = clampOffset(dx, x1, x2);
    const int64_t my = clampOffset(dy, y1, y2);
    // Both points hold 16-bit coordinates, so after the clamps every sum lies in 0..65535.
    first = PackPoint(static_cast<uint32_t>(x1 + mx), static_cast<uint32_t>(y1 + my));
    second = PackPoint(static_cast<uint32_t>(x2 + mx), static_cast<uint32_t>(y2 + my));
}

}  // namespace zo
