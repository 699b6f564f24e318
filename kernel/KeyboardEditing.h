#pragma once
// Keyboard editing of a sheet in select mode: delete, copy, cut, paste, select
// all, clear the selection, and moves of the selection by one cell. The scheme
// window forwards its key presses here; its Copy, Paste, Cut, Select all and
// Clear selection commands send the same keys.

#include "common/abi/SheetRecord.h"

#include <cstdint>

namespace zo::kernel {

// Results of SheetKeyDown, SheetKeyUp and DeleteSelection.
enum KeyResult : int32_t {
    kKeyDone = 0,
    kKeyNoSheet = -1,  // no sheet of that name (nil sheet)
};

// Removes the selected blocks (each released) and connections of the sheet,
// merges and renumbers the connections and refreshes the project tree: a KeyResult.
int DeleteSelection(TSheetRecord* sheet);

}  // namespace zo::kernel

extern "C" {
// Key is a key code and Shift the shift bits of common/abi/KeyCodes.h.
// A KeyResult. Changed is 1 when the host must repaint.
int32_t SheetKeyDown(const char* sheetName, uint16_t key, uint8_t shift, uint8_t* changed);
// Does nothing: kKeyDone.
int32_t SheetKeyUp(const char* sheetName, uint16_t key, uint8_t shift, uint8_t* changed);
}
