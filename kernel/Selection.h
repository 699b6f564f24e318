#pragma once
// Selection of blocks and connections (the Selected byte of their records) and
// the property inspector showing it: one block, one connection (with its
// chain) or, when nothing is selected, the sheet itself.

#include "common/Geometry.h"
#include "common/abi/SheetRecord.h"

#include <cstdint>

namespace zo::kernel {

// Selects every connection of the chain: 0, -1 nil sheet.
int SelectChain(TSheetRecord* sheet, int32_t chain);

// The inspector emptied (replace callback with nil, 0, nil, nil).
void EmptyInspector();
// The inspector's repaint callback, when the host gave one.
void RepaintInspector();

// Empties the inspector, then deselects every block and connection of every sheet.
void ClearAllSelections();
// Deselects every block and connection of the sheet.
void ClearSheetSelection(TSheetRecord* sheet);
// Selects the blocks and connections of the sheet whose rectangles overlap the
// rectangle (pixels, any corner order; edges count), then shows the selection.
void SelectInRect(TSheetRecord* sheet, const TZoRect& pixels);

// Shows what is selected on the sheet in the inspector: 0, -1 nil sheet.
int ShowSelectionProperties(TSheetRecord* sheet);

// Selected blocks over all sheets; and selecting every block of every sheet.
int CountSelectedBlocks();
void SelectAllBlocks();

// Moves the selected blocks and connections of the sheet by whole cells, then
// merges the connections and shows the selection: 0 (also for no move);
// -1 nil sheet; -2 refused because an item would leave the sheet (below cell 0
// or past its width or height), nothing moved.
int MoveSelection(TSheetRecord* sheet, int32_t dx, int32_t dy);

// The sheet whose item the inspector shows. It is kept by name and looked up
// again on every call (the sheet list moves when sheets come and go); a sheet
// renamed through the inspector is still found (by its lists). Nil when none.
TSheetRecord* InspectedSheet();
const char* InspectedSheetName();
// After a rename has been accepted: the inspector's sheet is known by the new name.
void SetInspectedSheetName(const char* name);
void ForgetInspectedSheet();

}  // namespace zo::kernel

extern "C" {
// Change callbacks handed to the inspector with the block and the sheet
// properties: a changed block is drawn again, a renamed sheet renames its
// window (or takes its old name back).
void OnBlockPropertiesChanged();
void OnSheetPropertiesChanged();
}
