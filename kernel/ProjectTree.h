#pragma once
// The slots of the host's project tree: a click on a node, a double click and
// a key on it. Its nodes are kept by ProjectTreeNodes.

#include <cstdint>

extern "C" {
// Slots of the project tree: SheetName is the text of the sheet node (the
// parent of a block node), BlockIndex the node's data.
int32_t ProjectTreeClick(const char* sheetName, uint32_t blockIndex);
void ProjectTreeDblClick(const char* sheetName);
int32_t ProjectTreeKeyUp(const char* sheetName, uint32_t blockIndex, uint16_t key);
}
