#include "kernel/BlockDrop.h"

#include "common/MenObj.h"
#include "kernel/BlockPrepare.h"
#include "kernel/KernelState.h"
#include "kernel/ProjectTreeNodes.h"
#include "kernel/Selection.h"
#include "kernel/Sheets.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <string>

namespace zo::kernel {

namespace {

bool named(const TDragClassName& field, const char* name) {
    return strnlen(field, sizeof field) < sizeof field && std::strcmp(field, name) == 0;
}

bool sameLatinCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(*a) != lower(*b)) return false;
        if (*a == 0) return true;
    }
}

bool blockNameTaken(const TMenObj& blocks, const char* name) {
    for (uint16_t i = 0; i < blocks.Count; ++i) {
        const auto* b = static_cast<const TBlockRecord*>(blocks.GetItem(i));
        char existing[61];
        std::memcpy(existing, b->Name, sizeof existing);
        existing[60] = 0;
        if (sameLatinCase(existing, name)) return true;
    }
    return false;
}

// The prepared name, a blank and the first free number.
void nameBlock(TBlockRecord& block, const TMenObj& blocks) {
    const std::string base(block.Name, strnlen(block.Name, sizeof block.Name));
    for (uint32_t n = 1;; ++n) {
        std::string name = base + " " + std::to_string(n);
        name.resize(std::min<size_t>(name.size(), sizeof block.Name - 1));
        if (!blockNameTaken(blocks, name.c_str())) {
            std::memset(block.Name, 0, sizeof block.Name);
            std::memcpy(block.Name, name.data(), name.size());
            return;
        }
    }
}

// Every block and connection of the sheet but the last block loses its selection.
void selectOnlyLastBlock(TSheetRecord& sheet) {
    TMenObj* blocks = sheet.Blocks;
    for (uint16_t i = 0; i + 1 < blocks->Count; ++i) static_cast<TBlockRecord*>(blocks->GetItem(i))->Selected = 0;
    for (uint16_t i = 0; sheet.Links && i < sheet.Links->Count; ++i)
        static_cast<TConnectionRecord*>(sheet.Links->GetItem(i))->Selected = 0;
}

// Releases a prepared block unless it was handed to the sheet.
class PreparedBlock {
public:
    explicit PreparedBlock(TBlockRecord& block) : block_(block) {}
    ~PreparedBlock() {
        if (!kept_) ReleaseBlock(&block_);
    }
    PreparedBlock(const PreparedBlock&) = delete;
    PreparedBlock& operator=(const PreparedBlock&) = delete;
    void keep() { kept_ = true; }

private:
    TBlockRecord& block_;
    bool kept_ = false;
};

int32_t dropBlock(const char* sheetName, void* source, uint16_t x, uint16_t y) {
    TSheetRecord* sheet = FindSheet(sheetName);
    if (!sheet || !sheet->Blocks) return kDragNoSheet;
    const TLibraryNodeRecord* node = AcceptedNode(source);
    if (!node) return kDragRefused;

    TBlockRecord block{};
    std::memcpy(block.DescriptionPath, node->Path, strnlen(node->Path, sizeof block.DescriptionPath - 1));
    if (PrepareBlock(&block) != 0) return kDragRefused;
    PreparedBlock prepared(block);
    const TZoRect rect{x / kGridCell, y / kGridCell, x / kGridCell + block.Right, y / kGridCell + block.Bottom};
    if (CheckBlockPlace(sheetName, rect) != 0) return kDragRefused;
    nameBlock(block, *sheet->Blocks);
    block.Left = rect.left;
    block.Top = rect.top;
    block.Right = rect.right;
    block.Bottom = rect.bottom;
    block.Selected = 1;
    if (sheet->Blocks->AddItem(&block) != 1) return kDragNotAppended;
    prepared.keep();
    selectOnlyLastBlock(*sheet);
    RefreshProjectTree();
    ShowSelectionProperties(sheet);
    return kDragAccepted;
}

}  // namespace

const TLibraryNodeRecord* AcceptedNode(const void* source) {
    const auto* drag = static_cast<const TMyDragObject*>(source);
    if (!drag || !named(drag->ClassName, kDragObjectClassName)) return nullptr;
    const TDragControl* tree = drag->SourceTree;
    if (!tree || !named(tree->ClassName, kDragTreeClassName)) return nullptr;
    const auto* node = static_cast<const TLibraryNodeRecord*>(tree->SelectedData);
    // A node without a record (the root of an included file) or with an empty
    // path (a group) names no block.
    if (!node || node->Path[0] == 0) return nullptr;
    return node;
}

}  // namespace zo::kernel

using namespace zo::kernel;

extern "C" int32_t SheetDragOver(const char* sheetName, void* bitmap, void* source, uint16_t, uint16_t, int32_t) {
    const TSheetRecord* sheet = FindSheet(sheetName);
    if (!sheet) return kDragNoSheet;
    if (!bitmap) return kDragNoBitmap;
    return AcceptedNode(source) ? kDragAccepted : kDragRefused;
}

extern "C" int32_t SheetDragDrop(const char* sheetName, void* source, uint16_t x, uint16_t y) {
    return dropBlock(sheetName, source, x, y);
}
