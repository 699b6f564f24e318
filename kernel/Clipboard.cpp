#include "kernel/Clipboard.h"

#include "common/Geometry.h"
#include "common/MenObj.h"
#include "common/Struct.h"
#include "common/abi/ConnectionRecord.h"
#include "kernel/BlockPrepare.h"
#include "kernel/Gesture.h"
#include "kernel/KernelState.h"
#include "kernel/LinkMerge.h"
#include "kernel/ProjectTreeNodes.h"
#include "kernel/Selection.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace zo::kernel {

namespace {

TBlockRecord* blockAt(const TMenObj* list, uint16_t i) { return static_cast<TBlockRecord*>(list->GetItem(i)); }
TConnectionRecord* linkAt(const TMenObj* list, uint16_t i) {
    return static_cast<TConnectionRecord*>(list->GetItem(i));
}

// A copy of a value record of the structure; nil for no record or an unknown size.
void* copyRecord(const void* structure, const void* record, bool& failed) {
    const auto* description = static_cast<const TStruct*>(structure);
    if (!record || !description) return nullptr;
    const int size = description->GetSize();
    if (size <= 0) return nullptr;
    void* copy = std::malloc(size_t(size));
    if (!copy) {
        failed = true;
        return nullptr;
    }
    std::memcpy(copy, record, size_t(size));
    return copy;
}

TMenObj* copyPins(const TMenObj* pins, bool& failed) {
    if (!pins) return nullptr;
    auto* copy = new (std::nothrow) TMenObj;
    if (!copy) {
        failed = true;
        return nullptr;
    }
    copy->SetItemSize(pins->ItemSize);
    for (uint16_t i = 0; i < pins->Count; ++i)
        if (!copy->AddItem(pins->GetItem(i))) failed = true;
    return copy;
}

// Whether the block list holds a block of that name (case-insensitive for Latin letters).
bool hasBlockNamed(const TMenObj* blocks, const std::string& name) {
    uint16_t index = 0;
    return blocks && blocks->FindName(index, name.c_str());
}

// A pasted block whose name the sheet already holds is named after its
// structure with the first free number.
void giveFreeName(const TMenObj* blocks, TBlockRecord& block) {
    if (!hasBlockNamed(blocks, std::string(block.Name, strnlen(block.Name, sizeof block.Name)))) return;
    const auto* description = static_cast<const TStruct*>(block.Block.Struct);
    const std::string base = description ? description->GetName() : std::string();
    for (uint32_t n = 1; n <= TMenObj::kMaxCount + 1; ++n) {
        const std::string name = (base + " " + std::to_string(n)).substr(0, sizeof block.Name - 1);
        if (!hasBlockNamed(blocks, name)) {
            std::memset(block.Name, 0, sizeof block.Name);
            std::memcpy(block.Name, name.data(), name.size());
            return;
        }
    }
}

void copySelectedBlocks(const TMenObj* blocks, TMenObj& clip) {
    for (uint16_t i = 0; blocks && i < blocks->Count; ++i) {
        const TBlockRecord* block = blockAt(blocks, i);
        if (!block->Selected) continue;
        TBlockRecord copy{};
        if (!CloneBlock(*block, copy)) continue;
        if (!clip.AddItem(&copy)) ReleaseBlock(&copy);
    }
}

void copySelectedLinks(const TMenObj* links, TMenObj& clip) {
    for (uint16_t i = 0; links && i < links->Count; ++i)
        if (linkAt(links, i)->Selected) clip.AddItem(links->GetItem(i));
}

// Moves the copied group so that its top-left item starts at cell (0, 0):
// the smallest Left/Top of the blocks and X/Y of the connections' first points.
void makeRelative(TMenObj& blocks, TMenObj& links) {
    uint16_t minX = 0xFFFF;
    uint16_t minY = 0xFFFF;
    auto lower = [](uint16_t& min, uint16_t value) {
        if (value < min) min = value;
    };
    for (uint16_t i = 0; i < blocks.Count; ++i) {
        lower(minX, uint16_t(blockAt(&blocks, i)->Left));
        lower(minY, uint16_t(blockAt(&blocks, i)->Top));
    }
    for (uint16_t i = 0; i < links.Count; ++i) {
        lower(minX, PointX(linkAt(&links, i)->PointA));
        lower(minY, PointY(linkAt(&links, i)->PointA));
    }
    for (uint16_t i = 0; i < blocks.Count; ++i) {
        TBlockRecord* b = blockAt(&blocks, i);
        b->Left -= minX;
        b->Right -= minX;
        b->Top -= minY;
        b->Bottom -= minY;
    }
    for (uint16_t i = 0; i < links.Count; ++i) {
        TConnectionRecord* l = linkAt(&links, i);
        TPackedPoint a = 0, b = 0;
        MoveSegment(TZoSegment{l->PointA, l->PointB}, -int32_t(minX), -int32_t(minY), a, b);
        l->PointA = a;
        l->PointB = b;
    }
}

void pasteBlocks(TSheetRecord* sheet, int32_t dx, int32_t dy) {
    const TMenObj& clip = State().clipboardBlocks;
    for (uint16_t i = 0; i < clip.Count; ++i) {
        TBlockRecord block{};
        if (!CloneBlock(*blockAt(&clip, i), block)) continue;
        giveFreeName(sheet->Blocks, block);
        RedrawBlockPicture(&block);
        block.Left += dx;
        block.Right += dx;
        block.Top += dy;
        block.Bottom += dy;
        if (!sheet->Blocks->AddItem(&block)) ReleaseBlock(&block);
    }
}

void pasteLinks(TSheetRecord* sheet, int32_t dx, int32_t dy) {
    const TMenObj& clip = State().clipboardLinks;
    for (uint16_t i = 0; i < clip.Count; ++i) {
        TConnectionRecord link = *linkAt(&clip, i);
        TPackedPoint a = 0, b = 0;
        MoveSegment(TZoSegment{link.PointA, link.PointB}, dx, dy, a, b);
        link.PointA = a;
        link.PointB = b;
        sheet->Links->AddItem(&link);
    }
}

}  // namespace

bool CloneBlock(const TBlockRecord& source, TBlockRecord& copy) {
    copy = source;
    copy.Picture = nullptr;
    bool failed = false;
    copy.Block.Data = copyRecord(source.Block.Struct, source.Block.Data, failed);
    copy.Display.Data = copyRecord(source.Display.Struct, source.Display.Data, failed);
    copy.Pins = copyPins(source.Pins, failed);
    if (failed) ReleaseBlock(&copy);
    return !failed;
}

void ClearClipboard() {
    if (!StateExists()) return;
    TMenObj& blocks = State().clipboardBlocks;
    for (uint16_t i = 0; i < blocks.Count; ++i) ReleaseBlock(blockAt(&blocks, i));
    blocks.Clear();
    State().clipboardLinks.Clear();
}

int CopySelection(TSheetRecord* sheet) {
    if (!sheet) return -1;
    ClearClipboard();
    TMenObj& blocks = State().clipboardBlocks;
    TMenObj& links = State().clipboardLinks;
    copySelectedBlocks(sheet->Blocks, blocks);
    copySelectedLinks(sheet->Links, links);
    makeRelative(blocks, links);
    return 0;
}

int PasteClipboard(TSheetRecord* sheet) {
    if (!sheet) return -1;
    if (!sheet->Blocks || !sheet->Links) return -1;
    if (State().clipboardBlocks.Count == 0 && State().clipboardLinks.Count == 0) return 0;
    ClearAllSelections();
    int32_t dx = 0, dy = 0;
    CurrentCell(dx, dy);
    pasteBlocks(sheet, dx, dy);
    pasteLinks(sheet, dx, dy);
    MergeLinks(sheet);
    // The pasted blocks and connections are the selection the inspector shows.
    ShowSelectionProperties(sheet);
    if (auto repaint = Options().RepaintSchemeWindows) repaint();
    RefreshProjectTree();
    return 0;
}

}  // namespace zo::kernel
