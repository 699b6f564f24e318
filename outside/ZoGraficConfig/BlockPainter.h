#pragma once
// The block painter: the picture of a function block from what its description
// says (name, caption, pins) and its display parameters (turn, label).

#include "common/abi/PinRecord.h"

#include <QFont>
#include <QImage>

class QPainter;

#include <cstdint>
#include <string>
#include <vector>

namespace zo::grafic {

inline constexpr int kCell = 12;           // grid cell, pixels
inline constexpr int kMaxCells = 1024;     // longest side of a picture, cells

struct PinSpec {
    int16_t field = 0;     // index of the pin's item in the description
    bool out = false;      // "OUT" (right side at turn 0) or "IN" (left side)
    std::string name;      // Windows-1251
    uint32_t colour = 0;   // 0x00BBGGRR of the pin's connection type
};

struct BlockSpec {
    std::string name;     // Windows-1251
    std::string caption;  // Windows-1251
    std::string label;    // Windows-1251; empty: no label row
    int turn = 0;         // 0 IN left; 1 IN top; 2 IN right; 3 IN bottom
    // The display has a "Turn": the kernel writes the block's label on the
    // sheet over the upper half of the picture's first row (before the turn),
    // so that half stays white and the frame starts below it.
    bool kernelLabel = false;
    bool pinNames = true;  // the pin names written beside the pins inside the frame
    std::vector<PinSpec> pins;
};

enum class PaintResult { Ok, TooLarge, NoMemory };

// Draws the block into picture (Format_ARGB32, whole cells) and lists its pin
// cells, all inside the picture. The frame with everything inside it and the
// pin leads are opaque; the rest (round the frame, under the kernel's label)
// is transparent. Every text fits its row inside the frame: written smaller,
// or cut short with an ellipsis when even the smallest size is too wide.
// Text needs a running QGuiApplication.
PaintResult paintBlock(const BlockSpec& spec, QImage& picture, std::vector<TPinRecord>& pins);

// Smallest pixel size a text of a picture is written in.
inline constexpr int kMinTextPixels = 6;

// Writes text into box in font or the largest smaller size (not under
// kMinTextPixels) in which it fits the box's width and height; a text that
// fits no size is cut short with an ellipsis. Nothing is written outside box.
void drawFittedText(QPainter& painter, const QRect& box, Qt::Alignment align, const QString& text, QFont font);

// 0x00BBGGRR -> QColor.
QColor colourOf(uint32_t bgr);

}  // namespace zo::grafic
