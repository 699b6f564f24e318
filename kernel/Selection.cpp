#include "kernel/Selection.h"

#include "common/MenObj.h"
#include "common/Struct.h"
#include "common/abi/BlockRecord.h"
#include "common/abi/ConnectionRecord.h"
#include "kernel/BlockEdits.h"
#include "kernel/BlockPrepare.h"
#include "kernel/Gesture.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "kernel/LinkMerge.h"
#include "kernel/ProjectFile.h"
#include "kernel/ProjectTreeNodes.h"
#include "kernel/SheetIndex.h"
#include "platform/Cp1251.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace zo::kernel {

namespace {

// The inspector's sheet: its name, and its connection list, which stays with
// the sheet when the sheet list moves or the sheet is renamed.
struct Inspected {
    std::string name;
    const TMenObj* links = nullptr;
    std::string caption;  // the caption the inspector was last given
};
Inspected g_inspected;

TBlockRecord* blockAt(const TSheetRecord* sheet, uint16_t i) {
    return static_cast<TBlockRecord*>(sheet->Blocks->GetItem(i));
}
TConnectionRecord* linkAt(const TSheetRecord* sheet, uint16_t i) {
    return static_cast<TConnectionRecord*>(sheet->Links->GetItem(i));
}
uint16_t blockCount(const TSheetRecord* sheet) { return sheet && sheet->Blocks ? sheet->Blocks->Count : 0; }
uint16_t linkCount(const TSheetRecord* sheet) { return sheet && sheet->Links ? sheet->Links->Count : 0; }

TSheetRecord* sheetAt(uint16_t i) { return static_cast<TSheetRecord*>(State().sheets.GetItem(i)); }

void showItems(const std::string& caption, int32_t count, const TStructInstance* items, TPropertiesChangedProc change) {
    g_inspected.caption = caption;
    if (auto f = Options().Inspector.ReplaceElementProperties) f(caption.c_str(), count, items, change);
}

std::string blockCaption(const TSheetRecord* sheet, const TBlockRecord* block) {
    return std::string(block->Name, strnlen(block->Name, sizeof block->Name)) + "   (" +
           std::string(sheet->Name, strnlen(sheet->Name, sizeof sheet->Name)) + ")";
}

void showBlock(const TSheetRecord* sheet, const TBlockRecord* block) {
    const std::string path = StructDescriptionPath(BlockDescriptionName());
    if (CheckStructure(State().structCache, path.c_str(), kBlockStoredSize) != 0) return;
    const TStructInstance items[3] = {
        {State().structCache->GetStruct(path.c_str()), const_cast<TBlockRecord*>(block)},
        {block->Display.Struct, block->Display.Data},
        {block->Block.Struct, block->Block.Data},
    };
    showItems(blockCaption(sheet, block), 3, items, ZO_KERNEL_SLOT(OnBlockPropertiesChanged));
}

void showLink(TSheetRecord* sheet, TConnectionRecord* link) {
    const std::string path = StructDescriptionPath(LinkDescriptionName());
    if (CheckStructure(State().structCache, path.c_str(), int32_t(sizeof(TConnectionRecord))) == 0) {
        const TStructInstance item{State().structCache->GetStruct(path.c_str()), link};
        showItems(LinkDescriptionName(), 1, &item, nullptr);
    }
    SelectChain(sheet, link->Chain);
}

void showSheet(TSheetRecord* sheet) {
    const std::string path = StructDescriptionPath(SheetDescriptionName());
    if (CheckStructure(State().structCache, path.c_str(), kSheetStoredSize) != 0) return;
    if (auto f = Options().StoreSchemeWindowState) f(sheet->Name);
    const TStructInstance item{State().structCache->GetStruct(path.c_str()), sheet};
    showItems(SheetDescriptionName(), 1, &item, ZO_KERNEL_SLOT(OnSheetPropertiesChanged));
}

// The move keeps every selected item on the sheet: on the side it moves
// towards, no coordinate may pass cell 0 or the sheet's last cell.
bool moveFits(const TSheetRecord* sheet, int32_t dx, int32_t dy) {
    auto fits = [&](int64_t low, int64_t high, int32_t d, int64_t limit) {
        return d < 0 ? low + d >= 0 : (d == 0 || high + d < limit);
    };
    for (uint16_t i = 0; i < blockCount(sheet); ++i) {
        const TBlockRecord* b = blockAt(sheet, i);
        if (!b->Selected) continue;
        if (!fits(b->Left, b->Right, dx, sheet->Width) || !fits(b->Top, b->Bottom, dy, sheet->Height)) return false;
    }
    for (uint16_t i = 0; i < linkCount(sheet); ++i) {
        const TConnectionRecord* l = linkAt(sheet, i);
        if (!l->Selected) continue;
        uint32_t a = 0, b = 0;
        NormalizedPoints(*l, a, b);
        const int64_t x1 = std::min(PointX(a), PointX(b)), x2 = std::max(PointX(a), PointX(b));
        const int64_t y1 = std::min(PointY(a), PointY(b)), y2 = std::max(PointY(a), PointY(b));
        if (!fits(x1, x2, dx, sheet->Width) || !fits(y1, y2, dy, sheet->Height)) return false;
    }
    return true;
}

}  // namespace

int SelectChain(TSheetRecord* sheet, int32_t chain) {
    if (!sheet) return -1;
    for (uint16_t i = 0; i < linkCount(sheet); ++i)
        if (linkAt(sheet, i)->Chain == chain) linkAt(sheet, i)->Selected = 1;
    return 0;
}

void EmptyInspector() { showItems({}, 0, nullptr, nullptr); }

void RepaintInspector() {
    if (auto f = Options().Inspector.RepaintInspector) f();
}

void ClearSheetSelection(TSheetRecord* sheet) {
    for (uint16_t i = 0; i < blockCount(sheet); ++i) SetBlockSelected(sheet->Blocks, i, 0);
    for (uint16_t i = 0; i < linkCount(sheet); ++i) linkAt(sheet, i)->Selected = 0;
}

void ClearAllSelections() {
    EmptyInspector();
    for (uint16_t s = 0; s < State().sheets.Count; ++s) ClearSheetSelection(sheetAt(s));
}

void SelectInRect(TSheetRecord* sheet, const TZoRect& pixels) {
    if (!sheet) return;
    TZoRect cells;
    NormalizeRect(TZoRect{pixels.left / 12, pixels.top / 12, pixels.right / 12, pixels.bottom / 12}, cells);
    std::vector<uint16_t> near;
    BlocksNear(sheet, cells.left, cells.top, cells.right, cells.bottom, near);
    for (uint16_t i : near) {
        TBlockRecord* b = blockAt(sheet, i);
        if (RectsOverlap(TZoRect{b->Left, b->Top, b->Right, b->Bottom}, cells)) SetBlockSelected(sheet->Blocks, i, 1);
    }
    LinksNear(sheet, cells.left, cells.top, cells.right, cells.bottom, near);
    for (uint16_t i : near) {
        TConnectionRecord* l = linkAt(sheet, i);
        TZoRect r;
        NormalizeRect(TZoRect{PointX(l->PointA), PointY(l->PointA), PointX(l->PointB), PointY(l->PointB)}, r);
        if (RectsOverlap(r, cells)) l->Selected = 1;
    }
    ShowSelectionProperties(sheet);
}

int ShowSelectionProperties(TSheetRecord* sheet) {
    EmptyInspector();
    if (!sheet) return -1;
    g_inspected.name.assign(sheet->Name, strnlen(sheet->Name, 60));
    g_inspected.links = sheet->Links;
    int blocks = 0, links = 0;
    TBlockRecord* block = nullptr;
    TConnectionRecord* link = nullptr;
    for (uint16_t i = 0; i < blockCount(sheet); ++i)
        if (blockAt(sheet, i)->Selected) ++blocks, block = blockAt(sheet, i);
    for (uint16_t i = 0; i < linkCount(sheet); ++i)
        if (linkAt(sheet, i)->Selected) ++links, link = linkAt(sheet, i);
    if (blocks == 1 && links == 0 && block->Block.Struct) showBlock(sheet, block);
    else if (blocks == 0 && links == 1) showLink(sheet, link);
    else if (blocks == 0 && links == 0) showSheet(sheet);
    return 0;
}

int CountSelectedBlocks() {
    int n = 0;
    for (uint16_t s = 0; s < State().sheets.Count; ++s) {
        const TSheetRecord* sheet = sheetAt(s);
        for (uint16_t i = 0; i < blockCount(sheet); ++i) n += blockAt(sheet, i)->Selected != 0;
    }
    return n;
}

void SelectAllBlocks() {
    for (uint16_t s = 0; s < State().sheets.Count; ++s) {
        const TSheetRecord* sheet = sheetAt(s);
        for (uint16_t i = 0; i < blockCount(sheet); ++i) SetBlockSelected(sheet->Blocks, i, 1);
    }
}

int MoveSelection(TSheetRecord* sheet, int32_t dx, int32_t dy) {
    if (!sheet) return -1;
    if (dx == 0 && dy == 0) return 0;
    if (!moveFits(sheet, dx, dy)) return -2;
    for (uint16_t i = 0; i < blockCount(sheet); ++i) {
        TBlockRecord* b = blockAt(sheet, i);
        if (!b->Selected) continue;
        b->Left += dx;
        b->Right += dx;
        b->Top += dy;
        b->Bottom += dy;
        BlockEdits().Note(sheet->Blocks, i);
    }
    for (uint16_t i = 0; i < linkCount(sheet); ++i) {
        TConnectionRecord* l = linkAt(sheet, i);
        if (!l->Selected) continue;
        l->PointA = PackPoint(uint32_t(PointX(l->PointA) + dx), uint32_t(PointY(l->PointA) + dy));
        l->PointB = PackPoint(uint32_t(PointX(l->PointB) + dx), uint32_t(PointY(l->PointB) + dy));
    }
    MarkSheetsChanged();
    MergeLinks(sheet);
    ShowSelectionProperties(sheet);
    return 0;
}

TSheetRecord* InspectedSheet() {
    if (!StateExists() || g_inspected.name.empty()) return nullptr;
    if (TSheetRecord* sheet = LookupSheet(g_inspected.name.c_str())) return sheet;
    for (uint16_t s = 0; s < State().sheets.Count; ++s)
        if (g_inspected.links && sheetAt(s)->Links == g_inspected.links) return sheetAt(s);
    return nullptr;
}

const char* InspectedSheetName() { return g_inspected.name.c_str(); }

void SetInspectedSheetName(const char* name) { g_inspected.name.assign(name ? name : "", name ? strnlen(name, 60) : 0); }

void ForgetInspectedSheet() { g_inspected = Inspected{}; }

// ---------------------------------------------------------------------------
// The inspector's change callbacks

namespace {

std::string nameOf(const TSheetRecord& sheet) { return std::string(sheet.Name, strnlen(sheet.Name, 60)); }

void setName(TSheetRecord& sheet, const std::string& name) {
    std::memset(sheet.Name, 0, sizeof sheet.Name);
    std::memcpy(sheet.Name, name.data(), std::min<size_t>(name.size(), 60));
}

void repaintSchemeWindows() {
    if (auto repaint = Options().RepaintSchemeWindows) repaint();
}

// The number of sheets other than this one whose name equals name (Latin letters in any case).
int otherSheetsNamed(const TSheetRecord* sheet, const std::string& name) {
    int count = 0;
    const TMenObj& sheets = State().sheets;
    for (uint16_t i = 0; i < sheets.Count; ++i) {
        const auto* other = static_cast<const TSheetRecord*>(sheets.GetItem(i));
        if (other != sheet && SameSheetName(nameOf(*other).c_str(), name.c_str())) ++count;
    }
    return count;
}

// A name the sheet cannot take: the old one goes back into the record.
void refuseName(TSheetRecord* sheet, const std::string& oldName, const std::string& message) {
    Log(message, kLogWarning);
    setName(*sheet, oldName);
    RepaintInspector();
}

void sheetPropertiesChanged() {
    TSheetRecord* sheet = InspectedSheet();
    if (!sheet) return;
    const std::string oldName = std::string(InspectedSheetName()).substr(0, 60);
    const std::string newName = nameOf(*sheet);
    if (newName == oldName) return;
    if (newName.empty()) return refuseName(sheet, oldName, ZO_RU("Имя схемы не может быть пустым."));
    if (otherSheetsNamed(sheet, newName) > 0)
        return refuseName(sheet, oldName, ZO_RU("Имя схемы ") + Q + newName + Q + ZO_RU(" уже есть."));
    const TRenameProc rename = Options().RenameSchemeWindow;
    if (!rename || rename(oldName.c_str(), newName.c_str()) != 0) {
        // The window keeps the old name, and so do the record, the inspector and the tree.
        Log(ZO_RU("Не удалось переименовать схему ") + Q + oldName + Q + ZO_RU(" в ") + Q + newName + Q + ".", kLogError);
        setName(*sheet, oldName);
        RepaintInspector();
        return;
    }
    RepaintInspector();
    Log(ZO_RU("Cхема ") + Q + oldName + Q + ZO_RU(" переименована в ") + Q + newName + Q + ".", kLogInformation);
    SetInspectedSheetName(newName.c_str());
    RefreshProjectTree();
}

void blockPropertiesChanged() {
    MarkBlockPicturesChanged();  // a name or a display parameter may have a new value
    TSheetRecord* sheet = InspectedSheet();
    if (!sheet || !sheet->Blocks) return;
    const TBlockRecord* shown = nullptr;
    for (uint16_t i = 0; i < sheet->Blocks->Count; ++i) {
        auto* block = static_cast<TBlockRecord*>(sheet->Blocks->GetItem(i));
        if (!block->Selected) continue;
        RedrawBlockPicture(block);
        shown = block;
    }
    MarkSheetsChanged();
    // A renamed block: the inspector's caption names it anew.
    if (shown && blockCaption(sheet, shown) != g_inspected.caption) ShowSelectionProperties(sheet);
    repaintSchemeWindows();
    RefreshProjectTree();
}

}  // namespace

}  // namespace zo::kernel

using namespace zo::kernel;

extern "C" void OnBlockPropertiesChanged() { blockPropertiesChanged(); }

extern "C" void OnSheetPropertiesChanged() { sheetPropertiesChanged(); }
