#pragma once
// The sheet list (State().sheets, TSheetRecord items): adding, deleting,
// opening, resizing and placing sheets, and the window state the host stores
// into them.
//
// A sheet owns its Blocks (TBlockRecord items, each released with
// ReleaseBlock), its Links, its cached Picture (a QImage made with new by the
// painter) and its Extra (a TSheetExtra made with new).

#include "common/Geometry.h"
#include "common/abi/SheetRecord.h"
#include "kernel/SheetList.h"

#include <cstdint>

namespace zo::kernel {

// Whatever a sheet keeps in Extra; deleted with the sheet.
class TSheetExtra {
public:
    virtual ~TSheetExtra() = default;
};

// Whether a block rectangle (cells, Right and Bottom inclusive) may be placed on
// the sheet: 0 fits; -1 no such sheet (or no block list); -2 a cell of it lies
// outside the canvas (Right >= Width, Bottom >= Height, or a negative Left or
// Top); -3 it overlaps a placed block (shared edges count).
int CheckBlockPlace(const char* sheetName, const TZoRect& rect);

// Frees everything the sheet owns (every block released) and clears the
// references; the record itself stays in its list.
void FreeSheetContents(TSheetRecord& sheet);

// Frees every sheet's contents and empties the sheet list (the kernel's end;
// the graphic library must still be bound to take the block pictures back).
void ClearSheets();

// Results of DeleteSheet.
enum DeleteSheetResult : int32_t {
    kSheetDeleted = 0,
    kDeleteNoSuchSheet = -1,
    kSheetHoldsBlocks = -2,  // also: the deletion failed
};

// Results of ResizeSheet.
enum ResizeSheetResult : int32_t {
    kSheetResized = 0,
    kResizeRefused = -1,      // debug mode or no such sheet
    kResizeLosesBlock = -2,   // a block would leave the canvas
    kResizeLosesLink = -3,    // a connection would
    kResizeOutOfBounds = -4,  // under 4 by 3 cells or over 65535 cells a side
};

// OpenSheetWindow's own results (else the host's CreateSchemeWindow).
enum OpenSheetWindowResult : int32_t {
    kOpenAlreadyShown = 0,
    kOpenNoSuchSheet = -1,
};

// Results of SetSheetWindow.
enum SetSheetWindowResult : int32_t {
    kSheetWindowStored = 0,
    kWindowNoSuchSheet = -1,
    kWindowNoRecord = -2,
};

}  // namespace zo::kernel

extern "C" {
// Adds "Лист N" (the smallest free N), opens its window, refreshes the project tree.
void AddSheet();
// A DeleteSheetResult.
int32_t DeleteSheet(const char* sheetName);
// kOpenNoSuchSheet for a nil name or no such sheet; kOpenAlreadyShown when the
// host already shows it; else the host's CreateSchemeWindow.
int32_t OpenSheetWindow(const char* sheetName);
// Moves the canvas edges by whole cells (pixels div 12, outward positive): a
// ResizeSheetResult.
int32_t ResizeSheet(const char* sheetName, int32_t dLeft, int32_t dTop, int32_t dRight, int32_t dBottom);
// A SetSheetWindowResult.
int32_t SetSheetWindow(const char* sheetName, int32_t left, int32_t top, int32_t right, int32_t bottom,
                       int32_t hScroll, int32_t vScroll, float scale);
int32_t GetSheetCount();
// Nil out of range.
TSheetRecord* GetSheet(int32_t index);
}
