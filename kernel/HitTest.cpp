#include "kernel/HitTest.h"

#include "common/Geometry.h"
#include "common/MenObj.h"
#include "common/Struct.h"
#include "kernel/KernelState.h"
#include "kernel/Sheets.h"

#include <cstring>
#include <string>

namespace zo::kernel {

namespace {

TBlockRecord* blockAt(const TMenObj* blocks, uint16_t i) { return static_cast<TBlockRecord*>(blocks->GetItem(i)); }
TConnectionRecord* linkAt(const TMenObj* links, uint16_t i) { return static_cast<TConnectionRecord*>(links->GetItem(i)); }

bool blockHolds(const TBlockRecord& b, int32_t cx, int32_t cy) {
    return PointInRect(TZoRect{b.Left, b.Top, b.Right, b.Bottom}, cx, cy);
}

bool onSheetGrid(int32_t cx, int32_t cy) { return cx >= 0 && cy >= 0 && cx <= 0xFFFF && cy <= 0xFFFF; }

// The sheet of the name: a HitResult.
int sheetFor(const char* name, TSheetRecord*& sheet) {
    sheet = nullptr;
    if (!name) return kHitNilName;
    uint16_t index = 0;
    if (!State().sheets.FindName(index, name)) return kHitNoSuchSheet;
    sheet = static_cast<TSheetRecord*>(State().sheets.GetItem(index));
    if (!sheet || !sheet->Blocks || !sheet->Links) return kHitNoRecord;
    return kHitDone;
}

void findBlockAndPin(const TSheetRecord& sheet, int32_t cx, int32_t cy, TPinHit& hit) {
    const TMenObj* blocks = sheet.Blocks;
    for (uint16_t i = 0; i < blocks->Count; ++i) {
        TBlockRecord* b = blockAt(blocks, i);
        if (!b->Block.Struct || !blockHolds(*b, cx, cy)) continue;
        hit.Block = b;
        hit.BlockIndex = i;
        hit.Pin = nullptr;
        hit.PinIndex = -1;
        const int32_t px = cx - b->Left, py = cy - b->Top;
        for (uint16_t k = 0; b->Pins && k < b->Pins->Count; ++k) {
            auto* pin = static_cast<TPinRecord*>(b->Pins->GetItem(k));
            if (pin->X == px && pin->Y == py) {
                hit.Pin = pin;
                hit.PinIndex = k;
            }
        }
    }
}

void findLink(const TSheetRecord& sheet, int32_t cx, int32_t cy, TPinHit& hit) {
    const TMenObj* links = sheet.Links;
    for (uint16_t i = 0; i < links->Count; ++i) {
        TConnectionRecord* l = linkAt(links, i);
        const TPackedPoint a = l->PointA, b = l->PointB;
        TZoRect r;
        NormalizeRect(TZoRect{PointX(a), PointY(a), PointX(b), PointY(b)}, r);
        if (PointInRect(r, cx, cy)) {
            hit.Link = l;
            hit.LinkIndex = i;
            return;
        }
    }
}

// The pin field bound to the hit connection's net: an "OUT" field ends the
// search, else the first "IN" field stays.
void findPinItem(const TSheetRecord& sheet, TPinHit& hit) {
    const std::string net = std::to_string(int(hit.Link->NetIndex));
    const TMenObj* blocks = sheet.Blocks;
    for (uint16_t i = 0; i < blocks->Count; ++i) {
        const TBlockRecord* b = blockAt(blocks, i);
        const auto* description = static_cast<const TStruct*>(b->Block.Struct);
        if (!description || !b->Block.Data) continue;
        for (int f = 0; f < description->GetItemCount(); ++f) {
            const TStructItem* item = description->GetItem(f);
            const bool out = std::strcmp(item->Kind, "OUT") == 0;
            if (!out && std::strcmp(item->Kind, "IN") != 0) continue;
            if (description->GetValue(b->Block.Data, f) != net) continue;
            if (out || !hit.PinItem) {
                hit.PinItem = item;
                hit.PinItemBlock = i;
                hit.PinItemField = f;
            }
            if (out) return;
        }
    }
}

const TBlockRecord* blockOf(const char* sheetName, int32_t blockIndex) {
    TSheetRecord* sheet = nullptr;
    if (sheetFor(sheetName, sheet) != 0 || blockIndex < 0 || blockIndex >= sheet->Blocks->Count) return nullptr;
    return blockAt(sheet->Blocks, uint16_t(blockIndex));
}

}  // namespace

int FindPinAt(const char* sheetName, int32_t x, int32_t y, TPinHit& hit) {
    hit = TPinHit{};
    TSheetRecord* sheet = nullptr;
    const int found = sheetFor(sheetName, sheet);
    if (found != kHitDone) return found;
    hit.Sheet = sheet;
    const int32_t cx = x / kGridCell, cy = y / kGridCell;
    findBlockAndPin(*sheet, cx, cy, hit);
    findLink(*sheet, cx, cy, hit);
    if (hit.Link) findPinItem(*sheet, hit);
    return kHitDone;
}

}  // namespace zo::kernel

using namespace zo;
using namespace zo::kernel;

extern "C" int32_t SheetHitTest(const char* sheetName, int32_t x, int32_t y, int32_t* selectedBlocks,
                                int32_t* selectedLinks, int32_t* blockIndex, int32_t* linkIndex) {
    int32_t blocksSelected = 0, linksSelected = 0, block = -1, link = -1;
    const auto publish = [&](int32_t result) {
        if (selectedBlocks) *selectedBlocks = blocksSelected;
        if (selectedLinks) *selectedLinks = linksSelected;
        if (blockIndex) *blockIndex = block;
        if (linkIndex) *linkIndex = link;
        return result;
    };
    publish(kHitDone);
    TSheetRecord* sheet = nullptr;
    if (const int found = sheetFor(sheetName, sheet); found != kHitDone) return found;
    const int32_t cx = x / kGridCell, cy = y / kGridCell;
    const TMenObj* blocks = sheet->Blocks;
    for (uint16_t i = 0; i < blocks->Count; ++i) {
        const TBlockRecord* b = blockAt(blocks, i);
        if (b->Selected == 1) ++blocksSelected;
        if (blockHolds(*b, cx, cy)) block = i;
    }
    const bool onGrid = onSheetGrid(cx, cy);
    const TPackedPoint cell = onGrid ? PackPoint(uint32_t(cx), uint32_t(cy)) : 0;
    const TMenObj* links = sheet->Links;
    for (uint16_t i = 0; i < links->Count; ++i) {
        const TConnectionRecord* l = linkAt(links, i);
        if (l->Selected == 1) ++linksSelected;
        if (onGrid && PointOnSegment(TZoSegment{l->PointA, l->PointB}, cell)) link = i;
    }
    return publish(kHitDone);
}

extern "C" const char* GetBlockPath(const char* sheetName, int32_t blockIndex) {
    const TBlockRecord* block = blockOf(sheetName, blockIndex);
    if (!block) return nullptr;
    // The path field ends at its terminator at the latest.
    auto* editable = const_cast<TBlockRecord*>(block);
    editable->DescriptionPath[sizeof editable->DescriptionPath - 1] = 0;
    return block->DescriptionPath;
}

extern "C" const char* GetBlockLibrary(const char* sheetName, int32_t blockIndex) {
    const TBlockRecord* block = blockOf(sheetName, blockIndex);
    if (!block || !block->Display.Struct || !block->Display.Data) return nullptr;
    int16_t index = -1;
    if (FindStructItem(&block->Display, "Library", &index) != 1 || index < 0) return nullptr;
    return GetStructItemValue(&block->Display, uint16_t(index));
}
