#include "kernel/ProjectTree.h"

#include "common/Struct.h"
#include "common/abi/ProjectTreeHost.h"
#include "kernel/BlockPrepare.h"
#include "kernel/Gesture.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "kernel/KeyboardEditing.h"
#include "kernel/Selection.h"
#include "kernel/SheetIndex.h"
#include "kernel/Sheets.h"
#include "platform/Cp1251.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace zo::kernel {

namespace {

// "<block name> (<structure name>)".
std::string blockNodeText(const TBlockRecord& block) {
    const auto* description = static_cast<const TStruct*>(block.Block.Struct);
    const std::string structName = description ? description->GetName() : std::string();
    return std::string(block.Name, strnlen(block.Name, sizeof block.Name)) + " (" + structName + ")";
}

// Deletes node and every sibling after it.
void deleteFrom(TProjectTreeHost* tree, TProjectTreeNode node) {
    while (node) {
        TProjectTreeNode next = tree->NextSibling(tree, node);
        tree->DeleteNode(tree, node);
        node = next;
    }
}

// The next node to use: the existing one, else a new one appended under parent.
TProjectTreeNode reuseOrAdd(TProjectTreeHost* tree, TProjectTreeNode existing, TProjectTreeNode parent,
                            const std::string& text) {
    return existing ? existing : tree->AddNode(tree, parent, text.c_str());
}

void refreshBlockNodes(TProjectTreeHost* tree, TProjectTreeNode sheetNode, const TMenObj* blocks) {
    TProjectTreeNode node = tree->FirstChild(tree, sheetNode);
    const uint16_t count = blocks ? blocks->Count : 0;
    for (uint16_t i = 0; i < count; ++i) {
        const auto* block = static_cast<const TBlockRecord*>(blocks->GetItem(i));
        const std::string text = blockNodeText(*block);
        node = reuseOrAdd(tree, node, sheetNode, text);
        if (!node) return;
        tree->SetNode(tree, node, text.c_str(), i);
        node = tree->NextSibling(tree, node);
    }
    deleteFrom(tree, node);
}

}  // namespace

void RefreshProjectTree() {
    TGetProjectTreeProc getTree = Options().GetProjectTree;
    auto* tree = getTree ? static_cast<TProjectTreeHost*>(getTree()) : nullptr;
    if (!tree) return;
    const TMenObj& sheets = State().sheets;
    TProjectTreeNode node = tree->FirstNode(tree);
    for (uint16_t i = 0; i < sheets.Count; ++i) {
        const auto* sheet = static_cast<const TSheetRecord*>(sheets.GetItem(i));
        const std::string name(sheet->Name, strnlen(sheet->Name, sizeof sheet->Name));
        node = reuseOrAdd(tree, node, nullptr, name);
        if (!node) return;
        tree->SetNode(tree, node, name.c_str(), kProjectTreeSheetData);
        refreshBlockNodes(tree, node, sheet->Blocks);
        node = tree->NextSibling(tree, node);
    }
    deleteFrom(tree, node);
}

namespace {

constexpr uint16_t kDeleteKey = 46;
constexpr uint32_t kLastBlockIndex = 65535;

std::string nameOf(const TSheetRecord& sheet) { return std::string(sheet.Name, strnlen(sheet.Name, 60)); }

void setName(TSheetRecord& sheet, const std::string& name) {
    std::memset(sheet.Name, 0, sizeof sheet.Name);
    std::memcpy(sheet.Name, name.data(), std::min<size_t>(name.size(), 60));
}

void repaintSchemeWindows() {
    if (auto repaint = Options().RepaintSchemeWindows) repaint();
}

// The sheet of a tree node: 0 and the sheet; -1 nil name; -2 no such sheet;
// -3 the sheet has no lists.
int32_t nodeSheet(const char* name, TSheetRecord*& sheet) {
    sheet = nullptr;
    if (!name) return -1;
    sheet = FindSheet(name);
    if (!sheet) return -2;
    return (sheet->Blocks && sheet->Links) ? 0 : -3;
}

// Makes the block the only selected item of its sheet.
void selectOnly(TSheetRecord* sheet, uint16_t index) {
    ClearSheetSelection(sheet);
    static_cast<TBlockRecord*>(sheet->Blocks->GetItem(index))->Selected = 1;
}

int32_t treeClick(const char* name, uint32_t index) {
    TSheetRecord* sheet = nullptr;
    if (const int32_t rc = nodeSheet(name, sheet); rc != 0) return rc;
    OpenSheetWindow(name);
    // The host may have called back while opening the window: look again.
    if (const int32_t rc = nodeSheet(name, sheet); rc != 0) return rc;
    if (index > kLastBlockIndex) return -4;
    if (index >= sheet->Blocks->Count) return -5;
    selectOnly(sheet, uint16_t(index));
    ShowSelectionProperties(sheet);
    RepaintInspector();
    if (auto show = Options().ShowSchemeWindow) show(name);
    return 0;
}

// Delete on a block node removes that block, whatever else was selected.
int32_t deleteBlockNode(TSheetRecord* sheet, uint32_t index) {
    if (index >= sheet->Blocks->Count) return -5;
    selectOnly(sheet, uint16_t(index));
    EmptyInspector();
    DeleteSelection(sheet);
    repaintSchemeWindows();
    return 0;
}

// Delete on a sheet node removes the sheet (refused while it holds blocks) and closes its window.
int32_t deleteSheetNode(const char* name) {
    const std::string sheetName(name);
    if (DeleteSheet(sheetName.c_str()) == 0)
        if (auto close = Options().CloseSchemeWindow) close(sheetName.c_str());
    RefreshProjectTree();
    return 0;
}

int32_t treeKeyUp(const char* name, uint32_t index, uint16_t key) {
    TSheetRecord* sheet = nullptr;
    if (const int32_t rc = nodeSheet(name, sheet); rc != 0) return rc;
    if (key != kDeleteKey) return 0;
    return index <= kLastBlockIndex ? deleteBlockNode(sheet, index) : deleteSheetNode(name);
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
    Log(message, 3);
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
        Log(ZO_RU("Не удалось переименовать схему ") + Q + oldName + Q + ZO_RU(" в ") + Q + newName + Q + ".", 5);
        setName(*sheet, oldName);
        RepaintInspector();
        return;
    }
    RepaintInspector();
    Log(ZO_RU("Cхема ") + Q + oldName + Q + ZO_RU(" переименована в ") + Q + newName + Q + ".", 1);
    SetInspectedSheetName(newName.c_str());
    RefreshProjectTree();
}

void blockPropertiesChanged() {
    TSheetRecord* sheet = InspectedSheet();
    if (!sheet || !sheet->Blocks) return;
    for (uint16_t i = 0; i < sheet->Blocks->Count; ++i) {
        auto* block = static_cast<TBlockRecord*>(sheet->Blocks->GetItem(i));
        if (block->Selected) RedrawBlockPicture(block);
    }
    MarkSheetsChanged();
    repaintSchemeWindows();
    RefreshProjectTree();
}

}  // namespace

}  // namespace zo::kernel

using namespace zo::kernel;

extern "C" int32_t ProjectTreeClick(const char* sheetName, uint32_t blockIndex) {
    try {
        return treeClick(sheetName, blockIndex);
    } catch (...) {
        return -3;
    }
}

extern "C" void ProjectTreeDblClick(const char* sheetName) {
    try {
        Log("Project dblclick " + std::string(sheetName ? sheetName : ""), 1);
    } catch (...) {
    }
}

extern "C" int32_t ProjectTreeKeyUp(const char* sheetName, uint32_t blockIndex, uint16_t key) {
    try {
        return treeKeyUp(sheetName, blockIndex, key);
    } catch (...) {
        return -3;
    }
}

extern "C" void OnBlockPropertiesChanged() {
    try {
        blockPropertiesChanged();
    } catch (...) {
    }
}

extern "C" void OnSheetPropertiesChanged() {
    try {
        sheetPropertiesChanged();
    } catch (...) {
    }
}
