#pragma once
// What lies under a cell of a sheet: the block, its pin, the connection and the
// pin field bound to that connection's net. Answers come from a cell index of
// the sheet (blocks and connections by 8 x 8-cell buckets, pin fields by net),
// rebuilt when the sheet's lists change, so a pointer move does not walk every
// block and connection.
//
// The index notices lists that were replaced, grew or shrank, and items that
// moved in place. Code that changes blocks or connections calls
// MarkSheetsChanged() afterwards all the same, so that the next question does
// not take the answer of the last one.

#include "common/abi/BlockRecord.h"
#include "common/abi/ConnectionRecord.h"
#include "common/abi/PinRecord.h"
#include "common/abi/SheetRecord.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zo {
class TStruct;
struct TStructItem;
}

namespace zo::kernel {

// The sheet of that name (case-insensitive for Latin letters), nil when none.
TSheetRecord* LookupSheet(const char* name);

struct THit {
    TSheetRecord* sheet = nullptr;
    int32_t block = -1;         // last block whose rectangle holds the cell and that has its description
    int32_t pin = -1;           // pin of that block at the cell (index in its Pins)
    int32_t link = -1;          // first connection whose rectangle holds the cell, edges included
    int32_t pinItemBlock = -1;  // the block and field bound to that connection's net: the
    int32_t pinItemField = -1;  // first "OUT" field, else the first "IN" field

    TBlockRecord* Block() const;
    TPinRecord* Pin() const;
    TConnectionRecord* Link() const;
    // The description and field of the hit pin, and of the bound pin field; nil when none.
    const TStructItem* PinField() const;
    const TStructItem* PinItem() const;
};

// The hit at a cell of the sheet (a cell beyond 0..65535 is looked up by a
// walk). The index is checked against the sheet first, by one pass of integer
// mixing over its lists; sameCellAgain answers a question about the cell
// asked last without that pass while nothing was marked changed (pointer
// moves inside one cell).
THit HitCell(TSheetRecord* sheet, int32_t cellX, int32_t cellY, bool sameCellAgain = false);

// The hit at a point in sheet pixels: 0; -1 nil name; -2 no such sheet;
// -3 no sheet record (no lists). Every output is cleared first.
int HitAt(const char* sheetName, int32_t x, int32_t y, THit& hit, bool sameCellAgain = false);

// Tells the index that blocks, connections or pin values changed in place.
void MarkSheetsChanged();

// Candidates from the index: indexes of blocks / connections whose rectangles
// may touch the cell rectangle (a superset, sorted, each once).
void BlocksNear(TSheetRecord* sheet, int32_t l, int32_t t, int32_t r, int32_t b, std::vector<uint16_t>& out);
void LinksNear(TSheetRecord* sheet, int32_t l, int32_t t, int32_t r, int32_t b, std::vector<uint16_t>& out);

// The description item of a block's field, nil for a bad index or no description.
const TStructItem* BlockField(const TBlockRecord* block, int32_t field);

// The value (text) of a block's display parameter; false when the block has no
// such parameter.
bool DisplayValue(const TBlockRecord* block, const char* name, std::string& value);

// A connection's points in order (PointA before PointB: X, then Y).
void NormalizedPoints(const TConnectionRecord& link, uint32_t& a, uint32_t& b);

}  // namespace zo::kernel
