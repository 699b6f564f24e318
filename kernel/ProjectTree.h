#pragma once
// The slots of the host's project tree: a click on a node, a double click and
// a key on it. Its nodes are kept by ProjectTreeNodes.

#include <cstdint>

namespace zo::kernel {

// Results of ProjectTreeClick and ProjectTreeKeyUp.
enum ProjectTreeResult : int32_t {
    kTreeDone = 0,
    kTreeNilName = -1,
    kTreeNoSuchSheet = -2,
    kTreeNoLists = -3,       // the sheet has no block or connection list (also: the slot failed)
    kTreeNotABlock = -4,     // click: the node's data is no block index
    kTreeNoSuchBlock = -5,
};

}  // namespace zo::kernel

extern "C" {
// Slots of the project tree: SheetName is the text of the sheet node (the
// parent of a block node), BlockIndex the node's data.
// A ProjectTreeResult.
int32_t ProjectTreeClick(const char* sheetName, uint32_t blockIndex);
void ProjectTreeDblClick(const char* sheetName);
// A ProjectTreeResult (kTreeDone for any key but Delete).
int32_t ProjectTreeKeyUp(const char* sheetName, uint32_t blockIndex, uint16_t key);
}
