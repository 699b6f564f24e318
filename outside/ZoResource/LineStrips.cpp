// The connection cell strips. A cell is 12 x 12 pixels; a line is three pixels
// wide (rows or columns 5..7) round the cell's centre pixel 6, which is where
// the sheet's grid dot lies.
//
// Shape cell i shows code i + 1. Codes 1..15 are sums of direction bits, each
// bit one arm from the centre to an edge: 1 to the left edge, 2 to the top, 4
// to the right, 8 to the bottom. Two arms make a straight run (5, 10) or a
// corner (3, 6, 9, 12); a single arm is an end and three or four arms a
// junction, both marked by a 5 x 5 dot on the centre. Code 16 is a line along Y
// broken round a line along X that it crosses without joining; code 17 the
// same for a line along X. The overlay cell under each shape marks it selected:
// black and white two-pixel dashes on the line's centre and a black ring round
// its dot.

#include "outside/ZoResource/Strips.h"

#include <bit>

namespace zores {

namespace {

constexpr QRgb kInk = 0xFF000000u;
constexpr QRgb kWhite = 0xFFFFFFFFu;

bool inBand(int v) { return v >= 5 && v <= 7; }
bool inDot(int x, int y) { return x >= 4 && x <= 8 && y >= 4 && y <= 8; }

bool hasDot(int code) {
    return code >= 1 && code <= 15 && std::popcount(static_cast<unsigned>(code)) != 2;
}

// The pixel lies on the part of the shape that runs along X.
bool alongX(int code, int x, int y) {
    if (!inBand(y)) return false;
    if (code == 17) return x <= 2 || x >= 10;
    if (code < 1 || code > 15) return false;
    return ((code & 1) && x <= 7) || ((code & 4) && x >= 5);
}

// The pixel lies on the part of the shape that runs along Y.
bool alongY(int code, int x, int y) {
    if (!inBand(x)) return false;
    if (code == 16) return y <= 2 || y >= 10;
    if (code < 1 || code > 15) return false;
    return ((code & 2) && y <= 7) || ((code & 8) && y >= 5);
}

bool shapePixel(int code, int x, int y) {
    return alongX(code, x, y) || alongY(code, x, y) || (hasDot(code) && inDot(x, y));
}

// 0 for a transparent overlay pixel.
QRgb overlayPixel(int code, int x, int y) {
    if (hasDot(code) && inDot(x, y) && (x == 4 || x == 8 || y == 4 || y == 8)) return kInk;
    auto dash = [](int along) { return (along / 2) % 2 ? kInk : kWhite; };
    if (y == 6 && alongX(code, x, y)) return dash(x);
    if (x == 6 && alongY(code, x, y)) return dash(y);
    if (hasDot(code) && inDot(x, y) && (x == 6 || y == 6)) return dash(x == 6 ? y : x);
    return 0;
}

}  // namespace

QImage drawLineStrip() {
    QImage strip(kLineCell * kLineShapes, 2 * kLineCell, QImage::Format_RGB32);
    strip.fill(kStripBackground);
    for (int i = 0; i < kLineShapes; ++i) {
        const int code = i + 1;
        for (int y = 0; y < kLineCell; ++y) {
            for (int x = 0; x < kLineCell; ++x) {
                if (shapePixel(code, x, y)) strip.setPixel(kLineCell * i + x, y, kInk);
                if (const QRgb over = overlayPixel(code, x, y)) strip.setPixel(kLineCell * i + x, kLineCell + y, over);
            }
        }
    }
    return strip;
}

// Mask column 1: long dashes (the outer three pixels at each end of a cell's
// arms); column 2: short dashes (the middle of the cell, dot included);
// column 3: a checker of every other pixel. Each column treats lines along X
// and along Y alike, so runs, corners and junctions take the same pattern.
QImage drawLineMaskStrip() {
    QImage strip(kLineCell * kMaskColumns, kLineCell, QImage::Format_RGB32);
    strip.fill(kMaskBackground);
    auto mark = [](int column, int x, int y) {
        const bool bandY = y >= 4 && y <= 8, bandX = x >= 4 && x <= 8;
        switch (column) {
            case 0:
                return (bandY && (x <= 2 || x >= 9)) || (bandX && (y <= 2 || y >= 9));
            case 1:
                return (bandY && x >= 3 && x <= 8) || (bandX && y >= 3 && y <= 8);
            default:
                return (x + y) % 2 == 1;
        }
    };
    for (int column = 0; column < kMaskColumns; ++column) {
        for (int y = 0; y < kLineCell; ++y) {
            for (int x = 0; x < kLineCell; ++x) {
                if (mark(column, x, y)) strip.setPixel(kLineCell * column + x, y, kInk);
            }
        }
    }
    return strip;
}

}  // namespace zores
