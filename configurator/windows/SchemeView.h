#pragma once
// The arithmetic of the scheme window, apart from the window: the framed
// picture, the zoom steps, where the picture and the scroll bars go in the
// client area, which part of the framed picture a window point names, the
// pointer zones of the frame and the amounts of a canvas-resize drag.
//
// The framed picture ("Bitmap") is the kernel's sheet picture with a frame of
// kFrame pixels on each side; sheet pixels are Bitmap pixels minus kFrame.

#include "common/Geometry.h"

#include <QImage>
#include <QRegion>
#include <QRect>
#include <QString>

#include <array>
#include <cstdint>

namespace zo::configurator {

inline constexpr int kFrame = 5;
inline constexpr float kMinScale = 0.25f;
inline constexpr float kMaxScale = 8.0f;
// A pointer position beyond the picture.
inline constexpr uint16_t kNoPoint = 0xFFFF;

// Nearest integer, halves to even (2.5 -> 2, 3.5 -> 4).
int roundEven(double value);

// A stored scale of 0, one outside 0.25 .. 8 or not a number is 1.0.
float validScale(float scale);
float scalePlus(float scale);   // + 0.5, at most 8
float scaleMinus(float scale);  // - 0.5, at least 0.25
float wheelIn(float scale);     // + 0.25, at most 8
float wheelOut(float scale);    // - 0.25, at least 0.25
// The zoom text of the status bar: "100%".
QString scaleText(float scale);

// Paints the frame into a framed picture: four silver bands of kFrame pixels
// and eight dark-blue 3 x 3 handles in the bands' inner three pixels.
void DrawFrame(QImage& bitmap);
// The same, only the pixels of clip.
void DrawFrame(QImage& bitmap, const QRegion& clip);
// The frame's bands of a framed picture of width x height.
QRegion FrameBands(int width, int height);

// A rectangle with inclusive right and bottom, as the window keeps them.
struct ViewRect {
    int left = 0, top = 0, right = -1, bottom = -1;
    bool Contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

// Where everything goes for one paint.
struct SchemeLayout {
    int viewW = 0, viewH = 0;  // the client area less the visible bars (never below 0)
    bool hBar = false, vBar = false;
    QRect hBarRect, vBarRect;  // the bars' places in the client area
    int hMin = 0, hMax = 0, hPos = 0;  // the horizontal bar: the range of the shown centre
    int vMin = 0, vMax = 0, vPos = 0;
    int showW = 0, showH = 0;  // Bitmap pixels shown
    ViewRect source;           // in Bitmap pixels
    ViewRect dest;             // in the client area
};

// The layout of a client area of clientW x clientH at the scale with the view
// centred on (centreX, centreY) of a framed picture of bitmapW x bitmapH; the
// bars are vBarWidth wide and hBarHeight high.
SchemeLayout layoutScheme(int clientW, int clientH, int bitmapW, int bitmapH, float scale, int centreX, int centreY,
                          int vBarWidth, int hBarHeight);

// The Bitmap point a client point names (it need not lie on the picture).
QPoint bitmapPoint(const SchemeLayout& layout, float scale, int x, int y);

// Zones of the framed picture.
enum PointerZone : int {
    kZoneBeyond = -1,
    kZoneNone = 0,  // at creation
    kZoneInside = 1,
    kZoneLeft = 2,
    kZoneRight = 3,
    kZoneTop = 4,
    kZoneBottom = 5,
    kZoneTopLeft = 6,
    kZoneBottomLeft = 7,
    kZoneTopRight = 8,
    kZoneBottomRight = 9,
};
int pointerZoneOf(int bx, int by, int bitmapW, int bitmapH);
bool isFrameZone(int zone);
// The cursor number a frame zone shows (0 elsewhere).
int16_t zoneCursor(int zone);

// A canvas-resize drag: the window-pixel amounts by which each edge moves and
// the pair shown in the status bar.
struct ResizeAmounts {
    int left = 0, top = 0, right = 0, bottom = 0;
    int sx = 0, sy = 0;
};
// The amounts of a drag in a frame zone from the press to (x, y).
ResizeAmounts resizeAmounts(int zone, int pressX, int pressY, int x, int y);
// The amounts in sheet pixels at the scale: what ResizeSheet is given.
std::array<int32_t, 4> resizeDelta(const ResizeAmounts& amounts, float scale);
// The outline of the resized canvas in the client area.
TZoRect resizeOutline(const ViewRect& dest, const ResizeAmounts& amounts, float scale);

}  // namespace zo::configurator
