#pragma once
// Keyboard editing of a sheet in select mode: delete, copy, cut, paste, select
// all, clear the selection, and moves of the selection by one cell. The scheme
// window forwards its key presses here; its Copy, Paste, Cut, Select all and
// Clear selection commands send the same keys.

#include "common/abi/SheetRecord.h"

#include <cstdint>

namespace zo::kernel {

// Removes the selected blocks (each released) and connections of the sheet,
// merges and renumbers the connections and refreshes the project tree:
// 0; -1 nil sheet.
int DeleteSelection(TSheetRecord* sheet);

}  // namespace zo::kernel

extern "C" {
// Key is a key code and Shift the shift bits of common/abi/KeyCodes.h.
// 0; -1 no sheet of that name. Changed is 1 when the host must repaint.
int32_t SheetKeyDown(const char* sheetName, uint16_t key, uint8_t shift, uint8_t* changed);
// Does nothing: 0.
int32_t SheetKeyUp(const char* sheetName, uint16_t key, uint8_t shift, uint8_t* changed);
}
