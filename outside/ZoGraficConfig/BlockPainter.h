#pragma once
// The block painter: the picture of a function block from what its description
// says (name, caption, pins) and its display parameters (turn, label).

#include "common/abi/PinRecord.h"

#include <QImage>

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
    std::vector<PinSpec> pins;
};

enum class PaintResult { Ok, TooLarge, NoMemory };

// Draws the block into picture (Format_RGB32, whole cells) and lists its pin
// cells, all inside the picture. Text needs a running QGuiApplication.
PaintResult paintBlock(const BlockSpec& spec, QImage& picture, std::vector<TPinRecord>& pins);

// 0x00BBGGRR -> QColor.
QColor colourOf(uint32_t bgr);

}  // namespace zo::grafic
