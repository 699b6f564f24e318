#pragma once
// Connections drawn cell by cell from the 12 x 12 images of their line type.
//
// A cell's image code: 1..15 the sum of the direction bits of the segment ends
// in the cell (8 a segment leaves downwards, 4 leaves to the right, 2 arrives
// from above, 1 arrives from the left), 16 a cell of a segment along Y that a
// segment along X crosses, 17 the same for a segment along X. A line type's
// image list holds the 17 normal images (index code - 1) and then the 17
// selected ones (index code + 16).

#include "common/Geometry.h"
#include "common/abi/ConnectionRecord.h"
#include "common/abi/SheetRecord.h"

#include <QImage>

#include <cstdint>
#include <unordered_map>
#include <vector>

class QPainter;

namespace zo {
class TMenObj;
}

namespace zo::kernel {

inline constexpr uint8_t kEndFromLeft = 1;
inline constexpr uint8_t kEndFromTop = 2;
inline constexpr uint8_t kEndRight = 4;
inline constexpr uint8_t kEndDown = 8;
inline constexpr uint8_t kRunAlongX = kEndFromLeft | kEndRight;  // 5
inline constexpr uint8_t kRunAlongY = kEndFromTop | kEndDown;    // 10
inline constexpr uint8_t kCrossedAlongY = 16;
inline constexpr uint8_t kCrossedAlongX = 17;

// Draws image code - 1 of the line type's list with its top-left corner at
// (x, y), or image code + 16 when selected is non-zero and the mode is 0. A
// line type that is negative, beyond the list or without images draws as type
// 0. False when nothing could be drawn (no such image): the caller logs that
// once per picture with LogLineCellFailure.
bool DrawLineCell(QPainter& canvas, int32_t x, int32_t y, int32_t lineType, uint8_t selected, uint8_t code);
void LogLineCellFailure();

// The direction bits a segment (any order of its points) gives its end at p.
uint8_t EndBits(uint32_t a, uint32_t b, uint32_t p);

// The connections of one sheet as the painter draws them: at their drawn
// positions (selected ones moved by the drag offset while a drag is in
// progress), with ends and crossings looked up from tables made once.
class TLinkDrawing {
public:
    // links: the sheet's connections; route: the connection being laid (nil or
    // empty for none); dx, dy: the drag offset in cells (0, 0 when no drag).
    TLinkDrawing(QPainter& canvas, const TMenObj* links, const TMenObj* route, bool dragging, int32_t dx, int32_t dy);
    // Only the cells of the cell rectangle (inclusive) drawn, by the
    // connections of taken (indexes in list order): every connection that
    // touches the rectangle must be among them, so that those cells come out
    // as the whole drawing gives them.
    TLinkDrawing(QPainter& canvas, const TMenObj* links, const TMenObj* route, bool dragging, int32_t dx, int32_t dy,
                 const std::vector<int32_t>& taken, const TZoRect& cells);
    ~TLinkDrawing();  // the painter's state as it was
    TLinkDrawing(const TLinkDrawing&) = delete;
    TLinkDrawing& operator=(const TLinkDrawing&) = delete;

    // Connection i's points where it is drawn, PointA before PointB.
    void DrawnPoints(int32_t i, uint32_t& a, uint32_t& b) const;

    // The cell of p with the directions of every connection that ends there.
    void DrawLinkEnds(uint32_t p, int32_t lineType, uint8_t selected);
    // The interior cells of connection i; crossings by connections 0..last.
    void DrawLinkBody(int32_t i, int32_t last);
    // The interior cells of route segment i, never selected; crossings by any
    // connection of the sheet and by route segments 0..last.
    void DrawRouteSegment(int32_t i, int32_t last);

    // Every end mark where the last connection ending there gives it.
    void DrawAllEnds();
    // Every connection's interior, each crossed by the ones before it.
    void DrawAllBodies();
    // The interior of every route segment, each crossed by the sheet's
    // connections and the route segments before it.
    void DrawRoute();

    // Some cell had no image.
    bool Failed() const { return failed_; }

private:
    struct Span {
        int32_t from, to;  // exclusive ends along the line
        int32_t index;
    };
    using Lines = std::unordered_map<int32_t, std::vector<Span>>;  // row or column -> spans

    void take(int32_t i, bool dragging, int32_t dx, int32_t dy);
    void takeRoute();
    static void addLine(Lines& alongX, Lines& alongY, uint32_t a, uint32_t b, int32_t index);
    static bool crossed(const Lines& lines, int32_t key, int32_t at, int32_t last);
    void drawInterior(uint32_t a, uint32_t b, int32_t lineType, uint8_t selected, const Lines* crossX,
                      const Lines* crossY, int32_t lastX, int32_t lastY, const Lines* moreX, const Lines* moreY,
                      int32_t moreLast);
    void cell(int32_t cx, int32_t cy, int32_t lineType, uint8_t selected, uint8_t code);
    // The picture of one cell image and whether it is drawn masked; nil for none.
    const QImage* cellImage(int32_t lineType, int index, bool& masked);

    QPainter& canvas_;
    const TMenObj* links_;
    const TMenObj* route_;
    int32_t minCellX_ = 0;
    int32_t minCellY_ = 0;
    int32_t maxCellX_;
    int32_t maxCellY_;
    std::vector<int32_t> taken_;                  // the connections drawn, in list order
    std::vector<uint32_t> a_, b_;                 // drawn points of the connections, by index
    std::unordered_map<uint32_t, uint8_t> ends_;  // point -> direction bits of ends there
    std::unordered_map<uint32_t, int32_t> lastEnd_;  // point -> last connection ending there
    Lines linksX_, linksY_;  // connections along X by row, along Y by column
    Lines routeX_, routeY_;
    bool failed_ = false;
    struct TypeImages {
        bool masked = true;
        std::vector<QImage> cells;  // composed (masked) or plain pictures, by image index
    };
    std::unordered_map<int32_t, TypeImages> images_;  // by line type drawn
    int mode_ = -1;                                   // composition mode in force
};

}  // namespace zo::kernel
