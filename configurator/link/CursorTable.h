#pragma once
// The one table from the system's cursor numbers (the kernel's and the scheme
// window's own) to the toolkit's cursor shapes.

#include <Qt>

#include <cstdint>

namespace zo::configurator {

// Numbers the scheme window uses itself.
inline constexpr int16_t kCursorDefault = 0;
inline constexpr int16_t kCursorSizeNESW = -6;  // diagonal, top-right to bottom-left
inline constexpr int16_t kCursorSizeNS = -7;    // up-down
inline constexpr int16_t kCursorSizeNWSE = -8;  // diagonal, top-left to bottom-right
inline constexpr int16_t kCursorSizeWE = -9;    // left-right
inline constexpr int16_t kCursorDrag = -12;
inline constexpr int16_t kCursorNoDrop = -13;

// The shape of a cursor number; an unknown number is the arrow.
Qt::CursorShape cursorShape(int16_t cursor);

}  // namespace zo::configurator
