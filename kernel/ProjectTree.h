#pragma once
// The project tree of the host (one node per sheet, one child per block) and
// the two change callbacks the inspector calls after the user edited a block or
// a sheet.

#include <cstdint>

namespace zo::kernel {

// Brings the host's tree (host slot GetProjectTree) in step with the sheets and
// their blocks, reusing the nodes already there. Call after every change of
// sheets or blocks. Does nothing while the host has no tree.
void RefreshProjectTree();

}  // namespace zo::kernel

extern "C" {
// Slots of the project tree: SheetName is the text of the sheet node (the
// parent of a block node), BlockIndex the node's data.
int32_t ProjectTreeClick(const char* sheetName, uint32_t blockIndex);
void ProjectTreeDblClick(const char* sheetName);
int32_t ProjectTreeKeyUp(const char* sheetName, uint32_t blockIndex, uint16_t key);

// Change callbacks handed to the inspector with the block and the sheet properties.
void OnBlockPropertiesChanged();
void OnSheetPropertiesChanged();
}
