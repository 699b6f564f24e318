#pragma once
// The drag object of the element library window as the kernel receives it in
// SheetDragOver and SheetDragDrop. The program owns it: its element library
// window fills one TMyDragObject when a drag starts and hands its address to
// the scheme window, which passes it on to the kernel as the drag source.
//
// Every drag source the program hands the kernel begins with its class name,
// so the kernel can tell an element library drag from any other: it accepts a
// source only when that name is exactly "TMyDragObject" and the control it
// carries names itself exactly "TTreeView". The data of the tree's selected
// node is a TLibraryNodeRecord whose first 261 bytes are the block's
// zero-terminated description path.

#include "common/abi/AbiLayout.h"

#include <cstdint>

extern "C" {

#pragma pack(push, 1)

// A class name: zero-terminated, at most 31 characters.
typedef char TDragClassName[32];

// The data of one node of the element library tree (zero-filled when made).
struct TLibraryNodeRecord {
    char Path[261];    // description path of a block; empty for a group
    char Caption[61];  // the element's IM text
};

// The control a drag object carries. For the element library tree the class
// name is "TTreeView" and SelectedData is the data of its selected node: nil
// when no node is selected or the node carries no record (the root node of
// an included file).
struct TDragControl {
    TDragClassName ClassName;
    void* SelectedData;
};

// The element library's drag object.
struct TMyDragObject {
    TDragClassName ClassName;  // "TMyDragObject"
    TDragControl* SourceTree;  // the element library tree
    void* DragImages;          // the program's drag image list; the kernel never touches it
};

#pragma pack(pop)

}  // extern "C"

inline constexpr char kDragObjectClassName[] = "TMyDragObject";
inline constexpr char kDragTreeClassName[] = "TTreeView";

ZO_ABI_CHECK_OFFSET(TLibraryNodeRecord, Caption, 261, 0);
ZO_ABI_CHECK_SIZE(TLibraryNodeRecord, 322, 0);
ZO_ABI_CHECK_OFFSET(TDragControl, SelectedData, 32, 0);
ZO_ABI_CHECK_SIZE(TDragControl, 36, 1);
ZO_ABI_CHECK_OFFSET(TMyDragObject, SourceTree, 32, 0);
ZO_ABI_CHECK_OFFSET(TMyDragObject, DragImages, 36, 1);
ZO_ABI_CHECK_SIZE(TMyDragObject, 40, 2);
