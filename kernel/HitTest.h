#pragma once
// What lies under a point of a sheet: blocks, pins and connections, and the
// texts of a block (its description path, its code file).

#include "common/abi/BlockRecord.h"
#include "common/abi/ConnectionRecord.h"
#include "common/abi/PinRecord.h"
#include "common/abi/SheetRecord.h"

#include <cstdint>

namespace zo {
struct TStructItem;
}

namespace zo::kernel {

// Results of SheetHitTest and FindPinAt.
enum HitResult : int32_t {
    kHitDone = 0,
    kHitNilName = -1,
    kHitNoSuchSheet = -2,
    kHitNoRecord = -3,  // the sheet has no block or connection list
};

// The hit at a point. Block and Pin: the last block whose rectangle holds the
// cell and that has its description, and its pin at that cell (nil when
// none). Link: the first connection whose rectangle (edges included) holds
// the cell. PinItem: for that connection, the pin field bound to its net:
// the first "OUT" field of any block, else the first "IN" field.
struct TPinHit {
    TSheetRecord* Sheet = nullptr;
    TBlockRecord* Block = nullptr;
    TPinRecord* Pin = nullptr;
    TConnectionRecord* Link = nullptr;
    const TStructItem* PinItem = nullptr;
    int32_t BlockIndex = -1;
    int32_t PinIndex = -1;
    int32_t LinkIndex = -1;
    int32_t PinItemBlock = -1;  // the block of PinItem, and the field's index
    int32_t PinItemField = -1;
};

// A HitResult. The hit is cleared first. X and Y are sheet pixels.
int FindPinAt(const char* sheetName, int32_t x, int32_t y, TPinHit& hit);

}  // namespace zo::kernel

extern "C" {
// A HitResult. The outputs are set first
// (0, 0, -1, -1): the selected blocks and connections of the sheet, the last
// block whose rectangle holds the cell, the last connection that passes
// strictly through it.
int32_t SheetHitTest(const char* sheetName, int32_t x, int32_t y, int32_t* selectedBlocks, int32_t* selectedLinks,
                     int32_t* blockIndex, int32_t* linkIndex);
// The block's description path inside its record; nil for a nil name, an
// unknown sheet or a bad index.
const char* GetBlockPath(const char* sheetName, int32_t blockIndex);
// The block's display parameter "Library" in the structure layer's result
// buffer; nil when the block or the parameter does not exist.
const char* GetBlockLibrary(const char* sheetName, int32_t blockIndex);
}
