#pragma once
// Dropping an element library block on a sheet: the drag object of the element
// library window (common/abi/DragObject.h) carries the block's description path.

#include "common/abi/DragObject.h"

#include <cstdint>

namespace zo::kernel {

// The node record an accepted drag source carries: the source is a
// "TMyDragObject" whose control is a "TTreeView" with a selected node that
// holds a record with a description path. Nil when the source is not accepted.
const TLibraryNodeRecord* AcceptedNode(const void* source);

}  // namespace zo::kernel

extern "C" {
// 0 accept; -1 no such sheet; -2 no bitmap; -3 the source is not accepted.
int32_t SheetDragOver(const char* sheetName, void* bitmap, void* source, uint16_t x, uint16_t y, int32_t kind);
// 0 block added; -1 no such sheet; -3 source not accepted, preparation failed or
// the place is not free; -4 the block could not be appended. Any failure leaves
// the sheet as it was.
int32_t SheetDragDrop(const char* sheetName, void* source, uint16_t x, uint16_t y);
}
