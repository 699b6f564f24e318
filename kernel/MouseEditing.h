#pragma once
// The pointer on a sheet: the scheme window forwards pointer-down, -move and
// -up in sheet pixels (0xFFFF for a coordinate outside the sheet). Depending on
// the mode the kernel selects (click, Ctrl-click, rubber band), drags the
// selection on the grid or lays connections, and answers the status and hint
// texts (261-byte buffers), the pointer shape and whether to repaint.

#include "kernel/Gesture.h"

#include <cstdint>

namespace zo::kernel {

// Pointer shapes: the windowing toolkit's standard cursors.
inline constexpr int16_t kCursorArrow = 0;
inline constexpr int16_t kCursorHand = -21;
inline constexpr int16_t kCursorCross = -3;
inline constexpr int16_t kCursorNo = -18;

}  // namespace zo::kernel

extern "C" {
// Each a PointerResult (kernel/Gesture.h).
int32_t SheetMouseDown(const char* sheetName, int32_t x, int32_t y, uint8_t button, char* statusText,
                       uint8_t* changed);
int32_t SheetMouseMove(const char* sheetName, int32_t x, int32_t y, char* statusText, char* hintText,
                       int16_t* cursor, uint8_t* changed);
int32_t SheetMouseUp(const char* sheetName, int32_t x, int32_t y, uint8_t button, char* statusText,
                     uint8_t* changed);
}
