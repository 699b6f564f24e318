#include "kernel/Connections.h"

#include "common/Geometry.h"
#include "common/MenObj.h"
#include "common/Struct.h"
#include "kernel/ConnectionIndex.h"
#include "kernel/Gesture.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "kernel/LinkMerge.h"
#include "kernel/OutsideLibraries.h"
#include "kernel/Selection.h"
#include "kernel/SheetIndex.h"
#include "platform/Cp1251.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace zo::kernel {

namespace {

TConnectionRecord* linkAt(const TSheetRecord* sheet, uint16_t i) {
    return static_cast<TConnectionRecord*>(sheet->Links->GetItem(i));
}

bool hasLinks(const TSheetRecord* sheet) { return sheet && sheet->Links; }

void sortPoints(uint32_t& a, uint32_t& b) {
    if (PointX(b) < PointX(a) || (PointX(b) == PointX(a) && PointY(b) < PointY(a))) std::swap(a, b);
}

bool insideSheet(const TSheetRecord* sheet, int64_t x, int64_t y) {
    return x >= 0 && y >= 0 && x < sheet->Width && y < sheet->Height;
}
bool insideSheet(const TSheetRecord* sheet, uint32_t p) { return insideSheet(sheet, PointX(p), PointY(p)); }

bool isKind(const TStructItem* item, const char* kind) { return item && std::strcmp(item->Kind, kind) == 0; }

// What lies at one end of a connection being laid.
struct End {
    THit hit;
    bool onBlockBody() const { return hit.block >= 0 && hit.pin < 0; }
    bool pinTaken() const { return hit.pin >= 0 && hit.link >= 0; }
    bool output() const {
        return isKind(hit.PinField(), "OUT") || (hit.link >= 0 && isKind(hit.PinItem(), "OUT"));
    }
    // The data type of the pin, or of the pin bound to the connection; empty for none.
    std::string type() const {
        if (const TStructItem* f = hit.PinField()) return f->TypeName;
        if (hit.link >= 0)
            if (const TStructItem* f = hit.PinItem()) return f->TypeName;
        return {};
    }
};

const char* refusal(const End& s, const End& e) {
    if (s.onBlockBody() || e.onBlockBody()) return RefusalThroughBlock();
    if (s.pinTaken() || e.pinTaken()) return RefusalPinTaken();
    if (s.hit.link >= 0 && e.hit.link >= 0 && s.hit.Link()->NetIndex == e.hit.Link()->NetIndex)
        return RefusalSameNet();
    if (s.output() && e.output()) return RefusalTwoOutputs();
    const std::string ts = s.type(), te = e.type();
    if (!ts.empty() && !te.empty() && ts != te) return RefusalTypes();
    return nullptr;
}

int countKind(const TStruct* s, const char* kind) {
    int n = 0;
    for (int k = 0; s && k < s->GetItemCount(); ++k) n += isKind(s->GetItem(k), kind);
    return n;
}

// Weighted cells beside a block's pin sides, so that routes keep off them.
void markBlockSides(const TTraceOptions& t, const TSheetRecord* sheet, const TBlockRecord* block) {
    const auto* s = static_cast<const TStruct*>(block->Block.Struct);
    const zo::TMenObj* pins = block->Pins;
    std::string turnText;
    if (!pins || pins->Count == 0 || !DisplayValue(block, "Turn", turnText)) return;
    const int turn = std::atoi(turnText.c_str()) & 0xFF;
    const bool ins = countKind(s, "IN") > 0, outs = countKind(s, "OUT") > 0;
    int dL = 1, dR = 1;
    if (turn == 0) {
        if (ins) dL = 3;
        if (outs) dR = 3;
    } else if (turn == 2) {
        if (ins) dR = 3;
        if (outs) dL = 3;
    }
    const int64_t left = int64_t(block->Left) - dL, right = int64_t(block->Right) + dR;
    for (int64_t y = block->Top; y <= block->Bottom; ++y) {
        for (int k = 1; k <= dL; ++k)
            if (insideSheet(sheet, left, y)) t.MarkCell(PackPoint(uint32_t(left), uint32_t(y)), uint32_t(k + 2));
        for (int k = 1; k <= dR; ++k)
            if (insideSheet(sheet, right, y)) t.MarkCell(PackPoint(uint32_t(right), uint32_t(y)), uint32_t(k + 2));
    }
}

void addObstacles(const TTraceOptions& t, const TSheetRecord* sheet) {
    for (uint16_t i = 0; i < sheet->Links->Count; ++i) {
        uint32_t a = linkAt(sheet, i)->PointA, b = linkAt(sheet, i)->PointB;
        sortPoints(a, b);
        if (insideSheet(sheet, a) && insideSheet(sheet, b)) t.AddLineObstacle(a, b);
    }
    for (uint16_t i = 0; sheet->Blocks && i < sheet->Blocks->Count; ++i) {
        const auto* block = static_cast<const TBlockRecord*>(sheet->Blocks->GetItem(i));
        const auto* s = static_cast<const TStruct*>(block->Block.Struct);
        int16_t cod = -1;
        if (!s || !s->FindItem("Cod", cod)) continue;
        markBlockSides(t, sheet, block);
        TZoRect r;
        NormalizeRect(TZoRect{block->Left, block->Top, block->Right, block->Bottom}, r);
        r.left = std::max(r.left, 0);
        r.top = std::max(r.top, 0);
        r.right = std::min<int32_t>(r.right, sheet->Width - 1);
        r.bottom = std::min<int32_t>(r.bottom, sheet->Height - 1);
        if (r.left <= r.right && r.top <= r.bottom)
            t.AddBlockObstacle(PackPoint(uint32_t(r.left), uint32_t(r.top)),
                               PackPoint(uint32_t(r.right), uint32_t(r.bottom)));
    }
}

// The segments of the route the routing library holds, checked: every point
// inside the sheet, every segment along X or along Y. False when any is not.
bool routeSegments(const TSheetRecord* sheet, std::vector<TConnectionRecord>& out) {
    out.clear();
    const TTraceOptions* t = TraceOptions();
    if (!t || !t->GetRoutePointCount || !t->GetRoutePoint) return false;
    const int32_t count = t->GetRoutePointCount() & 0xFFFF;
    for (int32_t i = 0; i < count; ++i) {
        const TTraceSegment* s = t->GetRoutePoint(i);
        if (!s) return false;
        TTraceSegment seg;
        std::memcpy(&seg, s, sizeof seg);
        uint32_t a = seg.PointA, b = seg.PointB;
        sortPoints(a, b);
        if (!insideSheet(sheet, a) || !insideSheet(sheet, b) || SegmentDirection(TZoSegment{a, b}) == kSegmentNone)
            return false;
        TConnectionRecord item{};
        item.PointA = a;
        item.PointB = b;
        out.push_back(item);
    }
    return true;
}

void repaintInspector() {
    if (auto f = Options().Inspector.RepaintInspector) f();
}

// The straight segment between the two cells: (min X, min Y) to (max X, max Y).
TZoSegment straightSegment(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    return TZoSegment{PackPoint(uint32_t(std::min(x1, x2)), uint32_t(std::min(y1, y2))),
                      PackPoint(uint32_t(std::max(x1, x2)), uint32_t(std::max(y1, y2)))};
}

bool validSegment(const TZoSegment& s) { return SegmentDirection(s) != kSegmentNone; }

void previewOne(const TZoSegment& s) {
    TConnectionRecord item{};
    item.PointA = s.first;
    item.PointB = s.second;
    State().layingLink.AddItem(&item);
}

// The last route asked for while moving: the same cells give the same answer,
// so a pointer move within one cell does not search again.
struct RouteMemo {
    bool valid = false;
    const TSheetRecord* sheet = nullptr;
    const TMenObj* links = nullptr;
    uint32_t start = 0, end = 0;
    int result = 0;
    std::string message;
    std::vector<TConnectionRecord> segments;
};
RouteMemo g_memo;

}  // namespace

const char* RefusalThroughBlock() { return ZO_RU("Невозможно проложить линию через FBD блок").c_str(); }
const char* RefusalPinTaken() { return ZO_RU("Вывод FBD блока уже соеденен").c_str(); }
const char* RefusalSameNet() { return ZO_RU("Соеденение одной и тойже линии").c_str(); }
const char* RefusalTwoOutputs() { return ZO_RU("Обьеденение выводов FBD блоков").c_str(); }
const char* RefusalTypes() { return ZO_RU("Несоответствие типов").c_str(); }

void CopyText(char* buffer, const std::string& text) {
    if (!buffer) return;
    const size_t n = std::min<size_t>(text.size(), 260);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = 0;
}

int RouteConnection(TSheetRecord* sheet, uint32_t start, uint32_t end, char* message) {
    if (start == end || !hasLinks(sheet) || !sheet->Blocks) return -1;
    const End s{HitCell(sheet, PointX(start), PointY(start))};
    const End e{HitCell(sheet, PointX(end), PointY(end))};
    if (const char* reason = refusal(s, e)) {
        CopyText(message, reason);
        return -2;
    }
    const TTraceOptions* t = TraceOptions();
    if (!t || !t->SetSheetSize || !t->AddBlockObstacle || !t->AddLineObstacle || !t->SetStartPoint ||
        !t->SetEndPoint || !t->MarkCell || !t->FindRoute)
        return -1;
    t->SetSheetSize(sheet->Width, sheet->Height);
    addObstacles(*t, sheet);
    t->SetStartPoint(start);
    t->SetEndPoint(end);
    return t->FindRoute();
}

int SplitLinkAt(TSheetRecord* sheet, uint32_t point) {
    if (!hasLinks(sheet)) return -1;
    for (int32_t i = int32_t(sheet->Links->Count) - 1; i >= 0; --i) {
        TConnectionRecord old = *linkAt(sheet, uint16_t(i));
        uint32_t a = old.PointA, b = old.PointB;
        sortPoints(a, b);
        if (!PointOnSegment(TZoSegment{a, b}, point)) continue;
        TConnectionRecord second = old;
        second.PointA = point;
        second.PointB = b;
        if (!sheet->Links->InsertItem(uint16_t(i), &second)) return -1;
        TConnectionRecord* first = linkAt(sheet, uint16_t(i + 1));
        first->PointA = a;
        first->PointB = point;
        MarkSheetsChanged();
        return 0;
    }
    return -1;
}

int CountLinkEnds(const TSheetRecord* sheet, uint32_t point) {
    if (!hasLinks(sheet)) return 0;
    int n = 0;
    for (uint16_t i = 0; i < sheet->Links->Count; ++i) {
        const TConnectionRecord* l = linkAt(sheet, i);
        n += (l->PointA == point) + (l->PointB == point);
    }
    return n;
}

bool IsLinkEndInRange(const TSheetRecord* sheet, uint32_t point, int32_t first, int32_t last) {
    if (!hasLinks(sheet)) return false;
    int32_t dx = 0, dy = 0;
    const bool dragging = DragOffsetOn(sheet->Name, dx, dy);
    first = std::max(first, 0);
    last = std::min<int32_t>(last, int32_t(sheet->Links->Count) - 1);
    for (int32_t i = first; i <= last; ++i) {
        const TConnectionRecord* l = linkAt(sheet, uint16_t(i));
        uint32_t a = l->PointA, b = l->PointB;
        if (dragging && l->Selected) MoveSegment(TZoSegment{a, b}, dx, dy, a, b);
        if (a == point || b == point) return true;
    }
    return false;
}

int32_t GetConnectionState(int32_t net) {
    const TMenObj& sheets = State().sheets;
    for (uint16_t s = 0; s < sheets.Count; ++s) {
        const auto* sheet = static_cast<const TSheetRecord*>(sheets.GetItem(s));
        for (uint16_t i = 0; hasLinks(sheet) && i < sheet->Links->Count; ++i)
            if (linkAt(sheet, i)->NetIndex == net) return linkAt(sheet, i)->Chain;
    }
    return 65535;
}

void SetConnectionState(int32_t net, int32_t value) {
    const TMenObj& sheets = State().sheets;
    for (uint16_t s = 0; s < sheets.Count; ++s) {
        const auto* sheet = static_cast<const TSheetRecord*>(sheets.GetItem(s));
        for (uint16_t i = 0; hasLinks(sheet) && i < sheet->Links->Count; ++i)
            if (linkAt(sheet, i)->NetIndex == net) linkAt(sheet, i)->Chain = int16_t(value);
    }
}

bool AppendLink(TSheetRecord* sheet, uint32_t a, uint32_t b) {
    if (!hasLinks(sheet)) return false;
    sortPoints(a, b);
    TConnectionRecord item{};
    item.PointA = a;
    item.PointB = b;
    item.NetIndex = -1;
    item.Chain = -1;
    item.LineType = -1;
    MarkSheetsChanged();
    return sheet->Links->AddItem(&item) != 0;
}

void LayingDown(const char* sheetName, const TSheetRecord* sheet, int32_t cellX, int32_t cellY) {
    if (!insideSheet(sheet, cellX, cellY)) return;
    TGesture& g = Gesture();
    g.downX = cellX;
    g.downY = cellY;
    CopyText(g.downSheet, std::string(sheetName).substr(0, 60));
    g.layingLine = 1;
    g_memo.valid = false;
}

void StraightMove(const char* sheetName, const TSheetRecord* sheet, int32_t cellX, int32_t cellY, uint8_t& changed) {
    TGesture& g = Gesture();
    if (!insideSheet(sheet, cellX, cellY) || !SameSheetName(sheetName, g.downSheet)) return;
    g.currentX = cellX;
    g.currentY = cellY;
    State().layingLink.Clear();
    const TZoSegment s = straightSegment(g.downX, g.downY, cellX, cellY);
    if (validSegment(s)) previewOne(s);
    changed = 1;
}

int StraightUp(const char* sheetName, TSheetRecord* sheet, int32_t x, int32_t y, uint8_t& changed) {
    TGesture& g = Gesture();
    const int32_t cellX = x / kCellPixels, cellY = y / kCellPixels;
    const bool sameSheet = SameSheetName(sheetName, g.downSheet);
    SelectInRect(sheet, TZoRect{x, y, x, y});
    g.layingLine = 0;
    State().layingLink.Clear();
    changed = 1;
    if (!insideSheet(sheet, cellX, cellY) || !sameSheet) return kPointerRefused;
    g.currentX = cellX;
    g.currentY = cellY;
    const TZoSegment s = straightSegment(g.downX, g.downY, cellX, cellY);
    if (!validSegment(s)) return kPointerRefused;
    Log(ZO_RU("Добавляем соединение  ") + sheet->Name + ZO_RU(" позиция-(") + std::to_string(PointX(s.first)) +
            " ," + std::to_string(PointY(s.first)) + " ," + std::to_string(PointX(s.second)) + " ," +
            std::to_string(PointY(s.second)) + ")",
        kLogInformation);
    SplitLinkAt(sheet, s.first);
    SplitLinkAt(sheet, s.second);
    AppendLink(sheet, s.first, s.second);
    MergeLinks(sheet);
    repaintInspector();
    return kPointerDone;
}

void RoutedMove(const char* sheetName, TSheetRecord* sheet, int32_t cellX, int32_t cellY, char* hint,
                int16_t& cursor, uint8_t& changed) {
    TGesture& g = Gesture();
    State().layingLink.Clear();
    changed = 1;
    if (!SameSheetName(sheetName, g.downSheet)) return;
    const uint32_t start = PackPoint(uint32_t(g.downX), uint32_t(g.downY));
    const uint32_t end = PackPoint(uint32_t(cellX), uint32_t(cellY));
    RouteMemo& m = g_memo;
    if (!(m.valid && m.sheet == sheet && m.links == sheet->Links && m.start == start && m.end == end)) {
        m = RouteMemo{};
        char message[261] = {};
        m.result = insideSheet(sheet, cellX, cellY) ? RouteConnection(sheet, start, end, message) : -1;
        m.message = message;
        if (m.result == 0 && !routeSegments(sheet, m.segments)) m.result = -1;
        m.valid = true;
        m.sheet = sheet;
        m.links = sheet->Links;
        m.start = start;
        m.end = end;
    }
    if (m.result != 0) {
        CopyText(hint, m.message);
        cursor = -18;
        return;
    }
    for (const TConnectionRecord& s : m.segments) State().layingLink.AddItem(&s);
}

int RoutedUp(const char* sheetName, TSheetRecord* sheet, int32_t x, int32_t y, uint8_t& changed) {
    TGesture& g = Gesture();
    const int32_t cellX = x / kCellPixels, cellY = y / kCellPixels;
    const bool sameSheet = SameSheetName(sheetName, g.downSheet);
    SelectInRect(sheet, TZoRect{x, y, x, y});
    g.currentX = cellX;
    g.currentY = cellY;
    std::memset(g.downSheet, 0, sizeof g.downSheet);
    g.layingLine = 0;
    g_memo.valid = false;
    State().layingLink.Clear();
    changed = 1;
    if (sameSheet && insideSheet(sheet, cellX, cellY)) {
        const uint32_t start = PackPoint(uint32_t(g.downX), uint32_t(g.downY));
        const uint32_t end = PackPoint(uint32_t(cellX), uint32_t(cellY));
        if (const TTraceOptions* t = TraceOptions(); t && t->SetEndPoint) t->SetEndPoint(end);
        char message[261] = {};
        std::vector<TConnectionRecord> segments;
        if (RouteConnection(sheet, start, end, message) == 0 && routeSegments(sheet, segments)) {
            for (const TConnectionRecord& s : segments) AppendLink(sheet, s.PointA, s.PointB);
            SplitLinkAt(sheet, start);
            SplitLinkAt(sheet, end);
            MergeLinks(sheet);
        } else if (message[0]) {
            Log(message, kLogWarning);
        }
    }
    repaintInspector();
    return kPointerDone;
}

}  // namespace zo::kernel
