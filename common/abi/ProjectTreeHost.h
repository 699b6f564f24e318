#pragma once
// TProjectTreeHost: the host's project tree as the kernel edits it. The host
// slot GetProjectTree answers the address of this record (nil when the host has
// no tree); the kernel fills the tree with one top-level node per sheet and one
// child per block, reusing the nodes that are already there.
//
// A node is an opaque handle of the host's; nil means "none". Every entry takes
// the record itself first, so a host can keep its own context in Owner. Texts
// are zero-terminated Windows-1251. A node's data is a 32-bit value: all bits set
// for a sheet node, the block's index in its sheet for a block node.

#include "common/abi/AbiLayout.h"

#include <cstdint>

extern "C" {

struct TProjectTreeHost;
typedef void* TProjectTreeNode;

// The first top-level node, or nil.
typedef TProjectTreeNode (*TTreeFirstNodeProc)(TProjectTreeHost* tree);
// The node after this one under the same parent (or at the top level), or nil.
typedef TProjectTreeNode (*TTreeNextSiblingProc)(TProjectTreeHost* tree, TProjectTreeNode node);
// The first child of a node, or nil.
typedef TProjectTreeNode (*TTreeFirstChildProc)(TProjectTreeHost* tree, TProjectTreeNode node);
// Appends a node with the text at the top level (parent nil) or as the last
// child of parent; answers the new node, nil when it could not be added.
typedef TProjectTreeNode (*TTreeAddNodeProc)(TProjectTreeHost* tree, TProjectTreeNode parent, const char* text);
// Sets a node's text and data.
typedef void (*TTreeSetNodeProc)(TProjectTreeHost* tree, TProjectTreeNode node, const char* text, uint32_t data);
// Removes a node together with its children; the handle is invalid afterwards.
typedef void (*TTreeDeleteNodeProc)(TProjectTreeHost* tree, TProjectTreeNode node);

#pragma pack(push, 1)
struct TProjectTreeHost {
    void* Owner;  // the host's own context; the kernel never touches it
    TTreeFirstNodeProc FirstNode;
    TTreeNextSiblingProc NextSibling;
    TTreeFirstChildProc FirstChild;
    TTreeAddNodeProc AddNode;
    TTreeSetNodeProc SetNode;
    TTreeDeleteNodeProc DeleteNode;
};
#pragma pack(pop)

}  // extern "C"

// The data of a sheet node.
inline constexpr uint32_t kProjectTreeSheetData = 0xFFFFFFFFu;

ZO_ABI_CHECK_OFFSET(TProjectTreeHost, FirstNode, 4, 1);
ZO_ABI_CHECK_OFFSET(TProjectTreeHost, NextSibling, 8, 2);
ZO_ABI_CHECK_OFFSET(TProjectTreeHost, FirstChild, 12, 3);
ZO_ABI_CHECK_OFFSET(TProjectTreeHost, AddNode, 16, 4);
ZO_ABI_CHECK_OFFSET(TProjectTreeHost, SetNode, 20, 5);
ZO_ABI_CHECK_OFFSET(TProjectTreeHost, DeleteNode, 24, 6);
ZO_ABI_CHECK_SIZE(TProjectTreeHost, 28, 7);
