#include "kernel/Gesture.h"

#include "kernel/KernelState.h"

#include <cstring>

namespace zo::kernel {

namespace {
TGesture g_gesture;

char lowerLatin(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
}  // namespace

TGesture& Gesture() { return g_gesture; }

void ResetGesture() {
    TGesture& g = g_gesture;
    std::memset(g.downSheet, 0, sizeof g.downSheet);
    g.areaSelecting = 0;
    g.dragging = 0;
    g.layingLine = 0;
    g.blockWasSelected = 0;
    g.linkWasSelected = 0;
    if (StateExists()) State().layingLink.Clear();
}

void ClearGestureState() {
    ResetGesture();
    g_gesture = TGesture{};
}

void NotePointer(int32_t x, int32_t y) {
    if (x >= 0 && x != kOutsideSheet) g_gesture.pointerX = x;
    if (y >= 0 && y != kOutsideSheet) g_gesture.pointerY = y;
}

void CurrentCell(int32_t& x, int32_t& y) {
    x = g_gesture.pointerX / kCellPixels;
    y = g_gesture.pointerY / kCellPixels;
}

bool DragOffsetOn(const char* sheetName, int32_t& dx, int32_t& dy) {
    dx = dy = 0;
    const TGesture& g = g_gesture;
    if (!StateExists() || State().mode != kModeSelect || !g.dragging) return false;
    if (!SameSheetName(sheetName, g.downSheet)) return false;
    dx = (g.currentX - g.downX) / kCellPixels;
    dy = (g.currentY - g.downY) / kCellPixels;
    return true;
}

bool SameSheetName(const char* a, const char* b) {
    if (!a || !b) return false;
    for (;; ++a, ++b) {
        if (lowerLatin(*a) != lowerLatin(*b)) return false;
        if (!*a) return true;
    }
}

}  // namespace zo::kernel
