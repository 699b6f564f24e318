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
