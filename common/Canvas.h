#pragma once
// Drawing steps on a canvas: colours, the rubber band, rotated text, the dot
// grid, pin labels, the selection frame and image-list cells.
//
// Canvases are QImage pictures (the raster engine). Where a routine draws with
// the canvas's own font, pen and brush it takes a QPainter that is active on
// such a picture: the painter's font is the canvas font, its pen colour the
// text colour, and its brush the text background (Qt::NoBrush = clear, text
// drawn transparently; any other style fills the text cell first). Raster
// operations (the XOR rubber band) need a 32-bit picture (Format_RGB32 or
// Format_ARGB32_Premultiplied). Texts are Windows-1251, as everywhere inside
// the system.

#include "common/Geometry.h"

#include <QColor>
#include <QImage>
#include <QRgb>

#include <cstdint>
#include <string>

class QPainter;

namespace zo {

class TImageList;

// The system's colour values: 0x00BBGGRR (blue in the high byte). A value with
// 0xFF in the top byte names the system colour of its low byte (the Windows
// colour index, e.g. 15 button face), taken from the application palette.
QColor ToQColor(int32_t color);
// The system colour of grey (disabled, read-only) text.
inline constexpr int32_t kGreyText = static_cast<int32_t>(0xFF000011u);
QRgb ToQRgb(int32_t color);  // opaque
// Back to 0x00BBGGRR (alpha dropped).
int32_t FromQColor(const QColor& color);
int32_t FromQRgb(QRgb rgb);

// A dotted rectangle in not-xor mode (black pen, so every pixel under the
// dotted outline is inverted): drawing the same rectangle twice restores the
// picture. The rectangle is normalised first; its outline covers the pixels
// left..right-1 and top..bottom-1. Nothing is drawn for a null picture.
// A picture of another format is drawn on as a 32-bit copy and converted back.
void DrawXorRect(const TZoRect& rect, QImage* image);
// The same through a painter that is already active on a 32-bit picture; its
// state is restored afterwards. Nothing for a null or inactive painter.
void DrawXorRect(const TZoRect& rect, QPainter* painter);

// The text with the top-left corner of its cell at (x, y), in the canvas font
// rotated counter-clockwise by the angle in degrees (rounded to tenths).
void TextOutAngle(QPainter& canvas, int x, int y, const std::string& text, double angle);

// Fills the grid area (0, 0) to (columns * step, rows * step), exclusive, with
// the background colour, where columns = width div step and rows = height div
// step; unless noDots is set, puts one pixel of the dot colour at
// (step * c + step div 2, step * r + step div 2) for every column c and row r.
// A step of 0 draws nothing.
void DrawDotGrid(QPainter& canvas, uint16_t width, uint16_t height, uint8_t step, bool noDots, int32_t background,
                 int32_t dot);

// Where a pin label's text cell starts and how it is turned, for a label of the
// given text width beside the point (x, y); side is taken modulo 4: 0 right,
// 1 below, 2 left, 3 above; fontSize is the canvas font's size in points.
struct TPinLabelPlace {
    int x = 0;
    int y = 0;
    double angle = 0;
};
TPinLabelPlace PinLabelPlace(int x, int y, int textWidth, int fontSize, int side);

// Draws the label beside the point at PinLabelPlace. Answers 0.
int DrawPinLabel(QPainter& canvas, int x, int y, const std::string& text, int side);

// A dotted frame of the colour, one pixel wide, inset by one pixel: its
// outline covers left+1..right-2 and top+1..bottom-2. Leaves the painter with a
// solid pen of width 1 and a solid brush, both of the colour. Answers 0.
int DrawSelectionRect(QPainter& canvas, const TZoRect& rect, int32_t color);

// Adds the cell of the list's size whose top-left corner is (x, y) in the
// bitmap to the list, masked by the colour of the cell's top-right pixel (parts
// outside the bitmap are black). The list becomes masked. Answers 0, or -1
// when the bitmap is null or the list's cell size is empty.
int AddBitmapCell(const QImage& bitmap, int x, int y, TImageList& list);

}  // namespace zo
