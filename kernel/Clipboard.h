#pragma once
// The kernel's own clipboard: copies of the selected blocks and connections of
// one sheet, with coordinates relative to the copied group. Every copied block
// owns its own Data, DisplayData and Pins (its Picture is nil); a paste gives
// the sheet fresh copies of them, so the same group can be pasted again and
// every pasted block is independent of the others. The clipboard is not tied
// to a sheet: a group copied on one sheet can be pasted on another.

#include "common/abi/BlockRecord.h"
#include "common/abi/SheetRecord.h"

#include <cstdint>

namespace zo::kernel {

// Replaces the clipboard with the selected blocks and connections of the
// sheet: 0; -1 nil sheet. With nothing selected the clipboard ends up empty.
int CopySelection(TSheetRecord* sheet);

// Releases the clipboard's blocks and empties both lists.
void ClearClipboard();

// Pastes the clipboard onto the sheet at the last pointer position (whole
// cells), renaming blocks whose name the sheet already holds, and leaves the
// pasted items selected: 0; -1 nil sheet.
int PasteClipboard(TSheetRecord* sheet);

// A copy of a block that owns copies of its Data, DisplayData and Pins and has
// no picture. False (and nothing allocated) when memory runs out.
bool CloneBlock(const TBlockRecord& source, TBlockRecord& copy);

}  // namespace zo::kernel
