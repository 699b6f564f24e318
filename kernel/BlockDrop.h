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

namespace zo::kernel {

// Results of SheetDragOver and SheetDragDrop.
enum DragResult : int32_t {
    kDragAccepted = 0,      // over: the drop would be taken; drop: the block is added
    kDragNoSheet = -1,      // no such sheet
    kDragNoBitmap = -2,     // over: no bitmap
    kDragRefused = -3,      // the source is not accepted; drop: also preparation failed or the place is not free
    kDragNotAppended = -4,  // drop: the block could not be appended
};

}  // namespace zo::kernel

extern "C" {
// A DragResult.
int32_t SheetDragOver(const char* sheetName, void* bitmap, void* source, uint16_t x, uint16_t y, int32_t kind);
// A DragResult; any failure leaves the sheet as it was.
int32_t SheetDragDrop(const char* sheetName, void* source, uint16_t x, uint16_t y);
}
