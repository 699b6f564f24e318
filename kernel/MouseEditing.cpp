#include "kernel/MouseEditing.h"

#include "common/MenObj.h"
#include "common/Struct.h"
#include "kernel/BlockEdits.h"
#include "kernel/Connections.h"
#include "kernel/DebugMode.h"
#include "kernel/Gesture.h"
#include "kernel/KernelState.h"
#include "kernel/LinkMerge.h"
#include "kernel/OutsideLibraries.h"
#include "kernel/ProjectTreeNodes.h"
#include "kernel/Selection.h"
#include "kernel/SheetIndex.h"
#include "platform/Cp1251.h"
#include "platform/KeyState.h"

#include <cstring>
#include <string>

namespace zo::kernel {

namespace {

bool valid(int32_t x, int32_t y) { return x != kOutsideSheet && y != kOutsideSheet; }

// The rubber band last applied, in cells: a move inside the same cells selects
// the same items, so it is not done again.
struct Band {
    bool valid = false;
    TZoRect cells;
    bool ctrl = false;
};
Band g_band;

const TStruct* descriptionOf(const TBlockRecord* block) { return static_cast<const TStruct*>(block->Block.Struct); }

std::string caption(const TBlockRecord* block) {
    const TStruct* s = descriptionOf(block);
    return s ? s->GetCaption() : std::string();
}

// The block name in double quotes and one blank.
std::string quotedName(const TBlockRecord* block) {
    return "\"" + std::string(block->Name, strnlen(block->Name, 60)) + "\" ";
}

std::string linkText(const TConnectionRecord* link) { return ZO_RU("Соединение ") + std::to_string(link->NetIndex); }

std::string lineTypeCaption(int32_t lineType) {
    const TMenObj& types = State().lineTypes;
    if (lineType < 0 || lineType >= types.Count) return {};
    const char* text = static_cast<const char*>(types.GetItem(uint16_t(lineType))) + 42;
    return std::string(text, strnlen(text, 41));
}

std::string blockHint(const TBlockRecord* block) {
    std::string hint = quotedName(block) + caption(block);
    const TStruct* s = descriptionOf(block);
    for (int k = 0; s && block->Block.Data && k < s->GetItemCount(); ++k) {
        const std::string name = s->GetItemName(k);
        if (name == "IM") hint += "\r\n\"" + s->GetValue(block->Block.Data, k) + "\"";
        else if (name == "ID") hint += "\r\nID- " + s->GetValue(block->Block.Data, k);
    }
    return hint;
}

void fillTexts(const THit& hit, char* status, char* hint) {
    const TBlockRecord* block = hit.Block();
    const TConnectionRecord* link = hit.Link();
    std::string s, h;
    if (!block && link) {
        s = linkText(link);
        h = s;
        const std::string type = lineTypeCaption(link->LineType);
        if (link->LineType >= 0 && link->LineType < State().lineTypes.Count) h += "\r\n" + type;
    } else if (block) {
        const TStructItem* field = hit.PinField();
        if (field) {
            s = quotedName(block) + field->Kind + " " + field->TypeName + " (" + field->Caption + ")";
            h = quotedName(block) + caption(block) + "\r\n" + field->Kind + " (" + field->Caption + ")" + " " +
                field->TypeName;
        } else {
            s = quotedName(block) + caption(block);
            h = blockHint(block);
        }
    } else {
        s = hit.sheet->Name;
    }
    CopyText(status, s);
    CopyText(hint, h);
}

void switchMode(uint8_t mode) {
    if (State().mode != mode) SetMode(mode);
}

void selectHit(const THit& hit) {
    if (hit.Block()) SetBlockSelected(hit.sheet->Blocks, uint16_t(hit.block), 1);
    if (TConnectionRecord* l = hit.Link()) l->Selected = 1;
}

bool traceLoaded() { return TraceOptions() != nullptr; }

int32_t mouseDown(const char* name, int32_t x, int32_t y, uint8_t button, char* status, uint8_t* changed) {
    THit hit;
    if (HitAt(name, x, y, hit) != 0) return kPointerRefused;
    NotePointer(x, y);
    if (changed) *changed = 0;
    CopyText(status, {});
    const uint8_t mode = State().mode;
    if ((mode == kModeSelect || mode == kModeConnect) && hit.block >= 0) {
        switchMode(hit.pin >= 0 ? kModeConnect : kModeSelect);
        if (HitAt(name, x, y, hit) != 0) return kPointerRefused;  // the mode change may have called the host
    }
    TGesture& g = Gesture();
    const TBlockRecord* block = hit.Block();
    const TConnectionRecord* link = hit.Link();
    g.blockWasSelected = block && block->Selected;
    g.linkWasSelected = link && link->Selected;
    if (button != 0) return kPointerDone;
    TSheetRecord* sheet = hit.sheet;
    switch (State().mode) {
        case kModeSelect: {
            if (!platform::isCtrlDown() && !g.blockWasSelected && !g.linkWasSelected) ClearAllSelections();
            selectHit(hit);
            g.downX = g.currentX = x;
            g.downY = g.currentY = y;
            CopyText(g.downSheet, std::string(sheet->Name, strnlen(sheet->Name, 60)));
            const bool something = hit.block >= 0 || hit.link >= 0;
            g.dragging = something;
            g.areaSelecting = !something;
            g_band.valid = false;
            if (changed) *changed = 1;
            break;
        }
        case kModeStraight:
            ClearAllSelections();
            LayingDown(sheet->Name, sheet, x / kCellPixels, y / kCellPixels);
            break;
        case kModeConnect:
            if (!traceLoaded()) break;
            ClearAllSelections();
            LayingDown(sheet->Name, sheet, x / kCellPixels, y / kCellPixels);
            break;
        default:
            break;
    }
    return kPointerDone;
}

void bandMove(TSheetRecord* sheet, int32_t x, int32_t y, uint8_t* changed) {
    TGesture& g = Gesture();
    g.currentX = x;
    g.currentY = y;
    const bool ctrl = platform::isCtrlDown();
    TZoRect cells;
    NormalizeRect(TZoRect{g.downX / kCellPixels, g.downY / kCellPixels, x / kCellPixels, y / kCellPixels}, cells);
    const bool same = g_band.valid && g_band.ctrl == ctrl && g_band.cells.left == cells.left &&
                      g_band.cells.top == cells.top && g_band.cells.right == cells.right &&
                      g_band.cells.bottom == cells.bottom;
    if (!same) {
        if (!ctrl) ClearAllSelections();
        SelectInRect(sheet, TZoRect{g.downX, g.downY, x, y});
        g_band = Band{true, cells, ctrl};
    }
    if (changed) *changed = 1;
}

int32_t mouseMove(const char* name, int32_t x, int32_t y, char* status, char* hint, int16_t* cursor,
                  uint8_t* changed) {
    if (changed) *changed = 0;
    CopyText(status, {});
    CopyText(hint, {});
    THit hit;
    if (HitAt(name, x, y, hit, true) != 0) return kPointerRefused;
    NotePointer(x, y);
    TGesture& g = Gesture();
    // A pointer outside the sheet does not move the drag or the band there.
    if (valid(x, y)) {
        g.currentX = x;
        g.currentY = y;
    }
    if (!g.areaSelecting && !g.layingLine) fillTexts(hit, status, hint);
    int16_t shape = cursor ? *cursor : 0;
    uint8_t redraw = 0;
    switch (State().mode) {
        case kModeSelect:
            shape = hit.block >= 0 ? kCursorHand : kCursorArrow;
            if (g.areaSelecting && valid(x, y)) bandMove(hit.sheet, x, y, &redraw);
            if (g.dragging && valid(x, y)) redraw = 1;
            break;
        case kModeStraight:
            shape = (hit.block >= 0 && hit.pin < 0) ? kCursorNo : kCursorCross;
            if (g.layingLine) StraightMove(name, hit.sheet, x / kCellPixels, y / kCellPixels, redraw);
            break;
        case kModeConnect:
            shape = hit.pin >= 0 ? kCursorCross : hit.block >= 0 ? kCursorHand : kCursorCross;
            g.currentX = x / kCellPixels;
            g.currentY = y / kCellPixels;
            if (g.layingLine && traceLoaded())
                RoutedMove(name, hit.sheet, g.currentX, g.currentY, hint, shape, redraw);
            break;
        default:
            break;
    }
    if (cursor) *cursor = shape;
    if (changed) *changed = redraw;
    RepaintInspector();
    return kPointerDone;
}

// The end of a rubber band or of a drag (mode 0): 0, or -1 when neither is in
// progress or the pointer is outside the sheet.
int32_t selectUp(const THit& hit, int32_t x, int32_t y, uint8_t& redraw) {
    TGesture& g = Gesture();
    TSheetRecord* sheet = hit.sheet;
    if (!valid(x, y) || (!g.areaSelecting && !g.dragging)) return kPointerRefused;
    g.currentX = x;
    g.currentY = y;
    redraw = 1;
    if (g.areaSelecting) {
        g.areaSelecting = 0;
        SelectInRect(sheet, TZoRect{g.downX, g.downY, x, y});
        RepaintInspector();
        return kPointerDone;
    }
    g.dragging = 0;
    const int32_t dx = (g.currentX - g.downX) / kCellPixels;
    const int32_t dy = (g.currentY - g.downY) / kCellPixels;
    if (platform::isCtrlDown() && dx == 0 && dy == 0) {  // a Ctrl-click takes back what was selected
        TBlockRecord* block = hit.Block();
        TConnectionRecord* link = hit.Link();
        if (block && block->Selected && g.blockWasSelected) SetBlockSelected(sheet->Blocks, uint16_t(hit.block), 0);
        if (link && link->Selected && g.linkWasSelected) link->Selected = 0;
    }
    MergeLinks(sheet);
    ShowSelectionProperties(sheet);
    MoveSelection(sheet, dx, dy);
    return kPointerDone;
}

int32_t mouseUp(const char* name, int32_t x, int32_t y, uint8_t button, char* status, uint8_t* changed) {
    if (changed) *changed = 0;
    CopyText(status, {});
    THit hit;
    if (HitAt(name, x, y, hit) != 0) return kPointerRefused;
    NotePointer(x, y);
    const TGesture& g = Gesture();
    uint8_t redraw = 0;
    int32_t result = kPointerRefused;
    if (button == 0) {
        switch (State().mode) {
            case kModeSelect:
                result = selectUp(hit, x, y, redraw);
                break;
            case kModeStraight:
                if (g.layingLine) result = StraightUp(name, hit.sheet, x, y, redraw);
                break;
            case kModeConnect:
                if (g.layingLine && traceLoaded()) result = RoutedUp(name, hit.sheet, x, y, redraw);
                break;
            default:
                break;
        }
    }
    if (changed) *changed = redraw;
    RefreshProjectTree();
    return result;
}

}  // namespace

}  // namespace zo::kernel

using namespace zo::kernel;

extern "C" int32_t SheetMouseDown(const char* sheetName, int32_t x, int32_t y, uint8_t button, char* statusText,
                                  uint8_t* changed) {
    return mouseDown(sheetName, x, y, button, statusText, changed);
}

extern "C" int32_t SheetMouseMove(const char* sheetName, int32_t x, int32_t y, char* statusText, char* hintText,
                                  int16_t* cursor, uint8_t* changed) {
    return mouseMove(sheetName, x, y, statusText, hintText, cursor, changed);
}

extern "C" int32_t SheetMouseUp(const char* sheetName, int32_t x, int32_t y, uint8_t button, char* statusText,
                                uint8_t* changed) {
    return mouseUp(sheetName, x, y, button, statusText, changed);
}
