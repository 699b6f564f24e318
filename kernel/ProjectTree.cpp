#include "kernel/ProjectTree.h"

#include "common/MenObj.h"
#include "common/abi/BlockRecord.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "kernel/KeyboardEditing.h"
#include "kernel/ProjectTreeNodes.h"
#include "kernel/Selection.h"
#include "kernel/Sheets.h"

#include <string>

namespace zo::kernel {

namespace {

constexpr uint16_t kDeleteKey = 46;
constexpr uint32_t kLastBlockIndex = 65535;

void repaintSchemeWindows() {
    if (auto repaint = Options().RepaintSchemeWindows) repaint();
}

// The sheet of a tree node: kTreeDone and the sheet, or why not.
int32_t nodeSheet(const char* name, TSheetRecord*& sheet) {
    sheet = nullptr;
    if (!name) return kTreeNilName;
    sheet = FindSheet(name);
    if (!sheet) return kTreeNoSuchSheet;
    return (sheet->Blocks && sheet->Links) ? kTreeDone : kTreeNoLists;
}

// Makes the block the only selected item of its sheet.
void selectOnly(TSheetRecord* sheet, uint16_t index) {
    ClearSheetSelection(sheet);
    static_cast<TBlockRecord*>(sheet->Blocks->GetItem(index))->Selected = 1;
}

int32_t treeClick(const char* name, uint32_t index) {
    TSheetRecord* sheet = nullptr;
    if (const int32_t rc = nodeSheet(name, sheet); rc != kTreeDone) return rc;
    OpenSheetWindow(name);
    // The host may have called back while opening the window: look again.
    if (const int32_t rc = nodeSheet(name, sheet); rc != kTreeDone) return rc;
    if (index > kLastBlockIndex) return kTreeNotABlock;
    if (index >= sheet->Blocks->Count) return kTreeNoSuchBlock;
    selectOnly(sheet, uint16_t(index));
    ShowSelectionProperties(sheet);
    RepaintInspector();
    if (auto show = Options().ShowSchemeWindow) show(name);
    return kTreeDone;
}

// Delete on a block node removes that block, whatever else was selected.
int32_t deleteBlockNode(TSheetRecord* sheet, uint32_t index) {
    if (index >= sheet->Blocks->Count) return kTreeNoSuchBlock;
    selectOnly(sheet, uint16_t(index));
    EmptyInspector();
    DeleteSelection(sheet);
    repaintSchemeWindows();
    return kTreeDone;
}

// Delete on a sheet node removes the sheet (refused while it holds blocks) and closes its window.
int32_t deleteSheetNode(const char* name) {
    const std::string sheetName(name);
    if (DeleteSheet(sheetName.c_str()) == kSheetDeleted)
        if (auto close = Options().CloseSchemeWindow) close(sheetName.c_str());
    RefreshProjectTree();
    return kTreeDone;
}

int32_t treeKeyUp(const char* name, uint32_t index, uint16_t key) {
    TSheetRecord* sheet = nullptr;
    if (const int32_t rc = nodeSheet(name, sheet); rc != kTreeDone) return rc;
    if (key != kDeleteKey) return kTreeDone;
    return index <= kLastBlockIndex ? deleteBlockNode(sheet, index) : deleteSheetNode(name);
}

}  // namespace

}  // namespace zo::kernel

using namespace zo::kernel;

extern "C" int32_t ProjectTreeClick(const char* sheetName, uint32_t blockIndex) {
    return treeClick(sheetName, blockIndex);
}

extern "C" void ProjectTreeDblClick(const char* sheetName) {
    Log("Project dblclick " + std::string(sheetName ? sheetName : ""), kLogInformation);
}

extern "C" int32_t ProjectTreeKeyUp(const char* sheetName, uint32_t blockIndex, uint16_t key) {
    return treeKeyUp(sheetName, blockIndex, key);
}
