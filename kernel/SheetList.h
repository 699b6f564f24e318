#pragma once
// Finding a sheet of the sheet list (State().sheets) by name, and the grid the
// sheets are drawn on: what every unit that works on sheets needs, below the
// units that add, change and index them.

#include "common/abi/SheetRecord.h"

#include <cstdint>

namespace zo::kernel {

// One grid cell in pixels.
inline constexpr int32_t kGridCell = 12;

// The sheet of that name (case-insensitive for Latin letters) and its index;
// nil for a nil name or no such sheet.
TSheetRecord* FindSheet(const char* name, uint16_t* index = nullptr);

}  // namespace zo::kernel
