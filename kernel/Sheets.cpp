#include "kernel/Sheets.h"

#include "common/MenObj.h"
#include "kernel/BlockPrepare.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "kernel/PictureDeferral.h"
#include "kernel/ProjectTreeNodes.h"
#include "kernel/Selection.h"
#include "kernel/SheetIndex.h"
#include "platform/Cp1251.h"

#include <QImage>

#include <algorithm>

#include <cstdint>
#include <cstring>
#include <exception>
#include <string>

namespace zo::kernel {

namespace {

// A new sheet's canvas and window.
constexpr uint16_t kNewWidth = 40;
constexpr uint16_t kNewHeight = 30;
constexpr int32_t kNewLeft = 50, kNewTop = 50, kNewRight = 150, kNewBottom = 100;
// The smallest canvas: more than 3 by 2 cells; the largest a Word holds.
constexpr int64_t kMinWidth = 4, kMinHeight = 3, kMaxSide = 65535;

std::string nameOf(const TSheetRecord& sheet) { return std::string(sheet.Name, strnlen(sheet.Name, sizeof sheet.Name)); }

void copyName(char (&target)[61], const std::string& name) {
    std::memset(target, 0, sizeof target);
    std::memcpy(target, name.data(), std::min(name.size(), sizeof target - 1));
}

TBlockRecord* blockAt(const TMenObj* blocks, uint16_t i) { return static_cast<TBlockRecord*>(blocks->GetItem(i)); }
TConnectionRecord* linkAt(const TMenObj* links, uint16_t i) { return static_cast<TConnectionRecord*>(links->GetItem(i)); }

std::string freeSheetName() {
    const TMenObj& sheets = State().sheets;
    for (uint32_t n = 1;; ++n) {
        const std::string name = ZO_RU("Лист ") + std::to_string(n);
        uint16_t index = 0;
        if (!sheets.FindName(index, name.c_str())) return name;
    }
}

// -------- resizing

struct Move {
    int32_t left, top, right, bottom;  // cells, outward positive
};

bool blocksStay(const TSheetRecord& sheet, const Move& d) {
    const TMenObj* blocks = sheet.Blocks;
    for (uint16_t i = 0; blocks && i < blocks->Count; ++i) {
        const TBlockRecord* b = blockAt(blocks, i);
        const int64_t left = b->Left, top = b->Top, right = b->Right, bottom = b->Bottom;
        // Right and Bottom are inclusive: the last cell must stay inside.
        if (d.left < 0 && left + d.left < 0) return false;
        if (d.top < 0 && top + d.top < 0) return false;
        if (d.right < 0 && right - d.right >= sheet.Width) return false;
        if (d.bottom < 0 && bottom - d.bottom >= sheet.Height) return false;
    }
    return true;
}

bool linksStay(const TSheetRecord& sheet, const Move& d) {
    const TMenObj* links = sheet.Links;
    for (uint16_t i = 0; links && i < links->Count; ++i) {
        const TConnectionRecord* l = linkAt(links, i);
        const TPackedPoint a = l->PointA, b = l->PointB;
        // Both points are tested: a segment stored right to left must not wrap
        // below cell 0 when it moves.
        const int64_t minX = std::min(PointX(a), PointX(b)), maxX = std::max(PointX(a), PointX(b));
        const int64_t minY = std::min(PointY(a), PointY(b)), maxY = std::max(PointY(a), PointY(b));
        if (d.left < 0 && minX + d.left < 0) return false;
        if (d.top < 0 && minY + d.top < 0) return false;
        if (d.right < 0 && maxX - d.right >= sheet.Width) return false;
        if (d.bottom < 0 && maxY - d.bottom >= sheet.Height) return false;
    }
    return true;
}

void moveContents(TSheetRecord& sheet, int32_t dx, int32_t dy) {
    TMenObj* blocks = sheet.Blocks;
    for (uint16_t i = 0; blocks && i < blocks->Count; ++i) {
        TBlockRecord* b = blockAt(blocks, i);
        b->Left += dx;
        b->Right += dx;
        b->Top += dy;
        b->Bottom += dy;
    }
    TMenObj* links = sheet.Links;
    for (uint16_t i = 0; links && i < links->Count; ++i) {
        TConnectionRecord* l = linkAt(links, i);
        const TPackedPoint a = l->PointA, b = l->PointB;
        l->PointA = PackPoint(uint32_t(PointX(a) + dx), uint32_t(PointY(a) + dy));
        l->PointB = PackPoint(uint32_t(PointX(b) + dx), uint32_t(PointY(b) + dy));
    }
    MarkSheetsChanged();
}

}  // namespace

int CheckBlockPlace(const char* sheetName, const TZoRect& rect) {
    const TSheetRecord* sheet = FindSheet(sheetName);
    if (!sheet || !sheet->Blocks) return -1;
    if (rect.left < 0 || rect.top < 0 || rect.right >= sheet->Width || rect.bottom >= sheet->Height) return -2;
    const TMenObj* blocks = sheet->Blocks;
    for (uint16_t i = 0; i < blocks->Count; ++i) {
        const TBlockRecord* b = blockAt(blocks, i);
        const TZoRect placed{b->Left, b->Top, b->Right, b->Bottom};
        if (RectsOverlap(placed, rect)) return -3;
    }
    return 0;
}

void FreeSheetContents(TSheetRecord& sheet) {
    State().paintedSheet.Forget();
    if (TMenObj* blocks = sheet.Blocks) {
        ForgetPendingPictures(blocks);
        for (uint16_t i = 0; i < blocks->Count; ++i) ReleaseBlock(blockAt(blocks, i));
        delete blocks;
    }
    delete sheet.Links;
    delete static_cast<QImage*>(sheet.Picture);
    delete static_cast<TSheetExtra*>(sheet.Extra);
    sheet.Blocks = nullptr;
    sheet.Links = nullptr;
    sheet.Picture = nullptr;
    sheet.Extra = nullptr;
}

void ClearSheets() {
    TMenObj& sheets = State().sheets;
    for (uint16_t i = 0; i < sheets.Count; ++i) FreeSheetContents(*static_cast<TSheetRecord*>(sheets.GetItem(i)));
    sheets.Clear();
}

}  // namespace zo::kernel

using namespace zo;
using namespace zo::kernel;

extern "C" void AddSheet() {
    TSheetRecord sheet{};
    try {
        KernelState& s = State();
        const std::string name = freeSheetName();
        copyName(sheet.Name, name);
        sheet.Width = kNewWidth;
        sheet.Height = kNewHeight;
        sheet.Left = kNewLeft;
        sheet.Top = kNewTop;
        sheet.Right = kNewRight;
        sheet.Bottom = kNewBottom;
        sheet.Blocks = new TMenObj;
        sheet.Blocks->SetItemSize(kBlockItemSize);
        sheet.Links = new TMenObj;
        sheet.Links->SetItemSize(kConnectionItemSize);
        const uint8_t* before = s.sheets.Data;
        if (s.sheets.AddItem(&sheet) != 1) {
            FreeSheetContents(sheet);
            return;
        }
        if (s.sheets.Data != before) EmptyInspector();  // it may show the record of a sheet that moved or went
        char hostName[61];
        copyName(hostName, name);
        const TCreateSchemeWindowProc create = Options().CreateSchemeWindow;
        create(hostName, nullptr, nullptr, nullptr);
        RefreshProjectTree();
        Log(ZO_RU("Добавлен новый лист: ") + Q + name + Q + ".", kLogInformation);
    } catch (const std::exception&) {
        // Out of memory before the sheet joined the list.
        if (!FindSheet(sheet.Name)) FreeSheetContents(sheet);
    }
}

extern "C" int32_t DeleteSheet(const char* sheetName) {
    uint16_t index = 0;
    TSheetRecord* sheet = FindSheet(sheetName, &index);
    if (!sheet) return kDeleteNoSuchSheet;
    const std::string name = nameOf(*sheet);
    if (sheet->Blocks && sheet->Blocks->Count > 0) {
        Log(ZO_RU("Лист: ") + Q + name + Q + ZO_RU(" содержит FBD блоки, удаление невозможно."), kLogError);
        return kSheetHoldsBlocks;
    }
    FreeSheetContents(*sheet);
    State().sheets.DeleteItem(index);
    EmptyInspector();  // it may show the record of a sheet that moved or went
    Log(ZO_RU("Лист: ") + Q + name + Q + ZO_RU(" удаён."), kLogInformation);
    return kSheetDeleted;
}

extern "C" int32_t OpenSheetWindow(const char* sheetName) {
    if (!sheetName) return kOpenNoSuchSheet;
    const TPathProc show = Options().ShowSchemeWindow;
    if (show(sheetName) == 0) return kOpenAlreadyShown;
    const TSheetRecord* sheet = FindSheet(sheetName);
    if (!sheet) return kOpenNoSuchSheet;
    // The host reads the placement; it gets aligned copies, since the record's
    // fields are packed and the host may call back into the kernel meanwhile.
    char name[61];
    std::memcpy(name, sheet->Name, sizeof name);
    name[60] = 0;
    int32_t rect[4] = {sheet->Left, sheet->Top, sheet->Right, sheet->Bottom};
    int32_t scroll[2] = {sheet->HScroll, sheet->VScroll};
    float scale = sheet->Scale;
    const TCreateSchemeWindowProc create = Options().CreateSchemeWindow;
    return create(name, rect, scroll, &scale);
}

extern "C" int32_t ResizeSheet(const char* sheetName, int32_t dLeft, int32_t dTop, int32_t dRight, int32_t dBottom) {
    if (State().mode == kModeDebug) return kResizeRefused;
    TSheetRecord* sheet = FindSheet(sheetName);
    if (!sheet) return kResizeRefused;
    const Move d{dLeft / kGridCell, dTop / kGridCell, dRight / kGridCell, dBottom / kGridCell};
    if (!blocksStay(*sheet, d)) return kResizeLosesBlock;
    if (!linksStay(*sheet, d)) return kResizeLosesLink;
    const int64_t width = int64_t(sheet->Width) + d.left + d.right;
    const int64_t height = int64_t(sheet->Height) + d.top + d.bottom;
    if (width < kMinWidth || height < kMinHeight || width > kMaxSide || height > kMaxSide) return kResizeOutOfBounds;
    sheet->Width = uint16_t(width);
    sheet->Height = uint16_t(height);
    moveContents(*sheet, d.left, d.top);
    Log(ZO_RU("Изменение размера холста: ") + Q + nameOf(*sheet) + Q + ZO_RU("  ширина-") + std::to_string(width) +
            ZO_RU(" высота-") + std::to_string(height),
        kLogMilestone);
    // The inspector shows the sheet's selection (or the sheet) as it is now.
    ShowSelectionProperties(sheet);
    return kSheetResized;
}

extern "C" int32_t SetSheetWindow(const char* sheetName, int32_t left, int32_t top, int32_t right, int32_t bottom,
                                  int32_t hScroll, int32_t vScroll, float scale) {
    uint16_t index = 0;
    if (!sheetName || !State().sheets.FindName(index, sheetName)) return kWindowNoSuchSheet;
    auto* sheet = static_cast<TSheetRecord*>(State().sheets.GetItem(index));
    if (!sheet) return kWindowNoRecord;
    sheet->Left = left;
    sheet->Top = top;
    sheet->Right = right;
    sheet->Bottom = bottom;
    sheet->HScroll = hScroll;
    sheet->VScroll = vScroll;
    sheet->Scale = scale;
    return kSheetWindowStored;
}

extern "C" int32_t GetSheetCount() { return State().sheets.Count; }

extern "C" TSheetRecord* GetSheet(int32_t index) {
    if (index < 0 || index >= State().sheets.Count) return nullptr;
    return static_cast<TSheetRecord*>(State().sheets.GetItem(uint16_t(index)));
}
