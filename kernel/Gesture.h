#pragma once
// The one pointer gesture of the program (a single gesture at a time over all
// sheets): where it started, where the pointer is now, and what it does
// (rubber band, drag of the selection, laying a connection). The mouse
// handlers write it; the painter, the connection drawing and the clipboard
// read it. The route of the connection being laid is the kernel list
// State().layingLink.

#include <cstdint>

namespace zo::kernel {

inline constexpr uint8_t kModeStraight = 1;  // straight connection segments
inline constexpr int kCellPixels = 12;        // one grid cell
inline constexpr int32_t kOutsideSheet = 0xFFFF;  // a pointer coordinate outside the sheet

// Results of the pointer slots (SheetMouseDown, -Move, -Up) and of the steps
// that end a gesture.
enum PointerResult : int32_t {
    kPointerDone = 0,
    kPointerRefused = -1,  // no such sheet, or (up) nothing was under way at that point
};

struct TGesture {
    char downSheet[61] = {};  // sheet on which the gesture started
    int32_t downX = 0;        // pixels in mode 0, cells in modes 1 and 2
    int32_t downY = 0;
    int32_t currentX = 0;     // last pointer position, same units
    int32_t currentY = 0;
    uint8_t areaSelecting = 0;
    uint8_t dragging = 0;
    uint8_t layingLine = 0;
    uint8_t blockWasSelected = 0;
    uint8_t linkWasSelected = 0;
    int32_t pointerX = 0;     // last pointer position over a sheet, in pixels in every mode
    int32_t pointerY = 0;
};

TGesture& Gesture();

// Ends any gesture in progress: flags cleared, the start sheet forgotten, the
// route being laid emptied. The last pointer position stays (paste uses it).
// Called when the editing mode changes.
void ResetGesture();

// Everything back to the start (kernel start and tests).
void ClearGestureState();

// Remembers the pointer position (sheet pixels) of a pointer event; a
// coordinate outside the sheet is not taken.
void NotePointer(int32_t x, int32_t y);

// The cell of the last pointer position (whatever mode the pointer moved in):
// where a paste lands.
void CurrentCell(int32_t& x, int32_t& y);

// True while the selection is being dragged in mode 0 on the named sheet
// (case-insensitive for Latin letters); dx, dy then hold the whole-cell offset
// of the drag, truncated toward zero, else 0.
bool DragOffsetOn(const char* sheetName, int32_t& dx, int32_t& dy);

// Names compared as sheet names are: case-insensitive for Latin letters.
bool SameSheetName(const char* a, const char* b);

}  // namespace zo::kernel
