#include "kernel/KeyboardEditing.h"

#include "common/MenObj.h"
#include "common/abi/BlockRecord.h"
#include "common/abi/ConnectionRecord.h"
#include "common/abi/KeyCodes.h"
#include "kernel/BlockPrepare.h"
#include "kernel/Clipboard.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "kernel/LinkMerge.h"
#include "kernel/ProjectTreeNodes.h"
#include "kernel/Selection.h"
#include "kernel/Sheets.h"
#include "platform/Cp1251.h"

#include <string>

namespace zo::kernel {

namespace {

void setSelected(TSheetRecord* sheet, uint8_t selected) {
    for (uint16_t i = 0; sheet->Blocks && i < sheet->Blocks->Count; ++i)
        static_cast<TBlockRecord*>(sheet->Blocks->GetItem(i))->Selected = selected;
    for (uint16_t i = 0; sheet->Links && i < sheet->Links->Count; ++i)
        static_cast<TConnectionRecord*>(sheet->Links->GetItem(i))->Selected = selected;
}

std::string quotedName(const TSheetRecord* sheet) { return Q + sheet->Name + Q; }

// One row of the key table: the key, the shift bit it needs (0: any), what it
// does, and whether the host must repaint afterwards.
struct KeyAction {
    uint16_t key;
    uint8_t shiftBit;
    void (*act)(TSheetRecord* sheet);
    uint8_t changed;
};

void deleteKey(TSheetRecord* sheet) {
    EmptyInspector();
    DeleteSelection(sheet);
}

void copyKey(TSheetRecord* sheet) {
    CopySelection(sheet);
    Log(ZO_RU("Скопировано"), kLogInformation);
}

void pasteKey(TSheetRecord* sheet) {
    PasteClipboard(sheet);
    Log(ZO_RU("Вставлено"), kLogInformation);
}

void cutKey(TSheetRecord* sheet) {
    CopySelection(sheet);
    EmptyInspector();
    DeleteSelection(sheet);
    Log(ZO_RU("Вырезано"), kLogInformation);
}

// Both show the selection as it is now in the inspector: the block it showed
// may no longer be the selection, and its "Selected" row would be untrue.
void selectAllKey(TSheetRecord* sheet) {
    setSelected(sheet, 1);
    ShowSelectionProperties(sheet);
    Log(ZO_RU("Выделены все элементы листа ") + quotedName(sheet), kLogInformation);
}

void deselectAllKey(TSheetRecord* sheet) {
    setSelected(sheet, 0);
    ShowSelectionProperties(sheet);
    Log(ZO_RU("Сброшено выделение элементов листа ") + quotedName(sheet), kLogInformation);
}

void upKey(TSheetRecord* sheet) { MoveSelection(sheet, 0, -1); }
void downKey(TSheetRecord* sheet) { MoveSelection(sheet, 0, 1); }
void rightKey(TSheetRecord* sheet) { MoveSelection(sheet, 1, 0); }
void leftKey(TSheetRecord* sheet) { MoveSelection(sheet, -1, 0); }

// The first row that matches acts; Ctrl comes before Shift, so Ctrl+Shift+A selects all.
const KeyAction kKeyActions[] = {
    {kKeyDelete, 0, deleteKey, 1},
    {kKeyC, kShiftBitCtrl, copyKey, 0},
    {kKeyV, kShiftBitCtrl, pasteKey, 1},
    {kKeyX, kShiftBitCtrl, cutKey, 1},
    {kKeyA, kShiftBitCtrl, selectAllKey, 1},
    {kKeyA, kShiftBitShift, deselectAllKey, 1},
    {kKeyUp, kShiftBitCtrl, upKey, 1},
    {kKeyDown, kShiftBitCtrl, downKey, 1},
    {kKeyRight, kShiftBitCtrl, rightKey, 1},
    {kKeyLeft, kShiftBitCtrl, leftKey, 1},
};

const KeyAction* findAction(uint16_t key, uint8_t shift) {
    for (const KeyAction& a : kKeyActions)
        if (a.key == key && (a.shiftBit == 0 || (shift & a.shiftBit) != 0)) return &a;
    return nullptr;
}

int32_t keyDown(const char* sheetName, uint16_t key, uint8_t shift, uint8_t* changed) {
    Log(ZO_RU("Нажата клавиша на ") + std::string(sheetName ? sheetName : "") + ZO_RU(" код-(") +
            std::to_string(key) + ")",
        kLogInformation);
    TSheetRecord* sheet = FindSheet(sheetName);
    if (!sheet) return kKeyNoSheet;
    if (State().mode != kModeSelect) return kKeyDone;
    const KeyAction* action = findAction(key, shift);
    if (!action) return kKeyDone;
    action->act(sheet);
    if (changed) *changed = action->changed;
    return kKeyDone;
}

}  // namespace

int DeleteSelection(TSheetRecord* sheet) {
    if (!sheet) return kKeyNoSheet;
    TMenObj* blocks = sheet->Blocks;
    for (uint16_t i = blocks ? blocks->Count : 0; i-- > 0;) {
        auto* block = static_cast<TBlockRecord*>(blocks->GetItem(i));
        if (!block->Selected) continue;
        ReleaseBlock(block);
        blocks->DeleteItem(i);
    }
    TMenObj* links = sheet->Links;
    for (uint16_t i = links ? links->Count : 0; i-- > 0;)
        if (static_cast<TConnectionRecord*>(links->GetItem(i))->Selected) links->DeleteItem(i);
    MergeLinks(sheet);
    RefreshProjectTree();
    return kKeyDone;
}

}  // namespace zo::kernel

using namespace zo::kernel;

extern "C" int32_t SheetKeyDown(const char* sheetName, uint16_t key, uint8_t shift, uint8_t* changed) {
    if (changed) *changed = 0;
    return keyDown(sheetName, key, shift, changed);
}

extern "C" int32_t SheetKeyUp(const char*, uint16_t, uint8_t, uint8_t*) { return kKeyDone; }
