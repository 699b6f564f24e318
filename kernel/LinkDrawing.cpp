#include "kernel/LinkDrawing.h"

#include "common/ImageList.h"
#include "common/MenObj.h"
#include "kernel/Gesture.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "kernel/LineTypes.h"
#include "platform/Cp1251.h"

#include <QPainter>

#include <algorithm>

namespace zo::kernel {

namespace {

TImageList* imagesOf(int32_t lineType) {
    const TMenObj& types = State().lineTypes;
    if (lineType >= 0 && lineType < types.Count)
        if (TImageList* images = LineTypeImages(types.GetItem(uint16_t(lineType)))) return images;
    return types.Count > 0 ? LineTypeImages(types.GetItem(0)) : nullptr;
}

const TConnectionRecord* itemOf(const TMenObj* list, int32_t i) {
    return list ? static_cast<const TConnectionRecord*>(list->GetItem(uint16_t(i))) : nullptr;
}

void sorted(uint32_t& a, uint32_t& b) {
    if (PointX(b) < PointX(a) || (PointX(b) == PointX(a) && PointY(b) < PointY(a))) std::swap(a, b);
}

}  // namespace

bool DrawLineCell(QPainter& canvas, int32_t x, int32_t y, int32_t lineType, uint8_t selected, uint8_t code) {
    TImageList* images = imagesOf(lineType);
    if (!images || code < 1 || code > kCrossedAlongX) return false;
    const int index = (selected && State().mode == kModeSelect) ? code + 16 : code - 1;
    return images->Draw(canvas, x, y, index);
}

void LogLineCellFailure() { Log(ZO_RU("Ошибка копирования фрагмента соеденительной линии"), kLogError); }

uint8_t EndBits(uint32_t a, uint32_t b, uint32_t p) {
    sorted(a, b);
    const int direction = SegmentDirection(TZoSegment{a, b});
    if (direction == kSegmentAlongX) return uint8_t((p == a ? kEndRight : 0) | (p == b ? kEndFromLeft : 0));
    if (direction == kSegmentAlongY) return uint8_t((p == a ? kEndDown : 0) | (p == b ? kEndFromTop : 0));
    return 0;
}

TLinkDrawing::TLinkDrawing(QPainter& canvas, const TMenObj* links, const TMenObj* route, bool dragging, int32_t dx,
                           int32_t dy)
    : canvas_(canvas), links_(links), route_(route) {
    canvas_.save();
    const QPaintDevice* device = canvas.device();
    maxCellX_ = device ? device->width() / kCellPixels : 0;
    maxCellY_ = device ? device->height() / kCellPixels : 0;
    const int32_t count = links ? links->Count : 0;
    a_.resize(size_t(count));
    b_.resize(size_t(count));
    taken_.reserve(size_t(count));
    for (int32_t i = 0; i < count; ++i) take(i, dragging, dx, dy);
    takeRoute();
}

TLinkDrawing::TLinkDrawing(QPainter& canvas, const TMenObj* links, const TMenObj* route, bool dragging, int32_t dx,
                           int32_t dy, const std::vector<int32_t>& taken, const TZoRect& cells)
    : canvas_(canvas), links_(links), route_(route) {
    canvas_.save();
    const QPaintDevice* device = canvas.device();
    minCellX_ = std::max(cells.left, 0);
    minCellY_ = std::max(cells.top, 0);
    maxCellX_ = std::min(cells.right, device ? device->width() / kCellPixels : 0);
    maxCellY_ = std::min(cells.bottom, device ? device->height() / kCellPixels : 0);
    const int32_t count = links ? links->Count : 0;
    a_.resize(size_t(count));
    b_.resize(size_t(count));
    taken_.reserve(taken.size());
    for (int32_t i : taken)
        if (i >= 0 && i < count) take(i, dragging, dx, dy);
    takeRoute();
}

void TLinkDrawing::take(int32_t i, bool dragging, int32_t dx, int32_t dy) {
    const TConnectionRecord* link = itemOf(links_, i);
    uint32_t a = link->PointA, b = link->PointB;
    if (dragging && link->Selected) MoveSegment(TZoSegment{a, b}, dx, dy, a, b);
    sorted(a, b);
    a_[size_t(i)] = a;
    b_[size_t(i)] = b;
    ends_[a] |= EndBits(a, b, a);
    ends_[b] |= EndBits(a, b, b);
    lastEnd_[a] = i;
    lastEnd_[b] = i;
    addLine(linksX_, linksY_, a, b, i);
    taken_.push_back(i);
}

void TLinkDrawing::takeRoute() {
    const int32_t routeCount = route_ ? route_->Count : 0;
    for (int32_t i = 0; i < routeCount; ++i) {
        const TConnectionRecord* segment = itemOf(route_, i);
        uint32_t a = segment->PointA, b = segment->PointB;
        sorted(a, b);
        addLine(routeX_, routeY_, a, b, i);
    }
}

TLinkDrawing::~TLinkDrawing() { canvas_.restore(); }

void TLinkDrawing::addLine(Lines& alongX, Lines& alongY, uint32_t a, uint32_t b, int32_t index) {
    const int direction = SegmentDirection(TZoSegment{a, b});
    if (direction == kSegmentAlongX) alongX[PointY(a)].push_back(Span{PointX(a), PointX(b), index});
    else if (direction == kSegmentAlongY) alongY[PointX(a)].push_back(Span{PointY(a), PointY(b), index});
}

// Some line of the table at key, with index up to last, passes strictly through at.
bool TLinkDrawing::crossed(const Lines& lines, int32_t key, int32_t at, int32_t last) {
    auto it = lines.find(key);
    if (it == lines.end()) return false;
    for (const Span& s : it->second)
        if (s.index <= last && s.from < at && at < s.to) return true;
    return false;
}

void TLinkDrawing::DrawnPoints(int32_t i, uint32_t& a, uint32_t& b) const {
    a = a_.at(size_t(i));
    b = b_.at(size_t(i));
}

// The same as DrawLineCell, with the line type's pictures taken once per
// drawing and the painter's state set once rather than for every cell.
void TLinkDrawing::cell(int32_t cx, int32_t cy, int32_t lineType, uint8_t selected, uint8_t code) {
    if (code < 1 || code > kCrossedAlongX) {
        failed_ = true;
        return;
    }
    const int index = (selected && State().mode == kModeSelect) ? code + 16 : code - 1;
    bool masked = true;
    const QImage* picture = cellImage(lineType, index, masked);
    if (!picture) {
        failed_ = true;
        return;
    }
    const int mode = masked ? QPainter::CompositionMode_SourceOver : QPainter::CompositionMode_Source;
    if (mode != mode_) {
        canvas_.setCompositionMode(QPainter::CompositionMode(mode));
        mode_ = mode;
    }
    canvas_.drawImage(cx * kCellPixels, cy * kCellPixels, *picture);
}

const QImage* TLinkDrawing::cellImage(int32_t lineType, int index, bool& masked) {
    auto it = images_.find(lineType);
    if (it == images_.end()) {
        TypeImages entry;
        if (const TImageList* list = imagesOf(lineType)) {
            entry.masked = list->Masked();
            for (int i = 0; i < list->Count(); ++i) entry.cells.push_back(entry.masked ? list->Composed(i) : list->Image(i));
        }
        it = images_.emplace(lineType, std::move(entry)).first;
    }
    masked = it->second.masked;
    if (index < 0 || index >= int(it->second.cells.size())) return nullptr;
    return &it->second.cells[size_t(index)];
}

void TLinkDrawing::DrawLinkEnds(uint32_t p, int32_t lineType, uint8_t selected) {
    auto it = ends_.find(p);
    cell(PointX(p), PointY(p), lineType, selected, it == ends_.end() ? 0 : it->second);
}

// Interior cells of a segment from a to b (sorted). A cell along X is crossed
// by a line along Y of crossY (index up to lastY) or of moreY (up to moreLast);
// likewise along Y.
void TLinkDrawing::drawInterior(uint32_t a, uint32_t b, int32_t lineType, uint8_t selected, const Lines* crossX,
                                const Lines* crossY, int32_t lastX, int32_t lastY, const Lines* moreX,
                                const Lines* moreY, int32_t moreLast) {
    const int direction = SegmentDirection(TZoSegment{a, b});
    if (direction == kSegmentAlongX) {
        const int32_t y = PointY(a);
        if (y > maxCellY_ || y < minCellY_) return;
        const int32_t to = std::min<int32_t>(PointX(b), maxCellX_ + 1);
        for (int32_t x = std::max<int32_t>(PointX(a) + 1, minCellX_); x < to; ++x) {
            const bool over = (crossY && crossed(*crossY, x, y, lastY)) || (moreY && crossed(*moreY, x, y, moreLast));
            cell(x, y, lineType, selected, over ? kCrossedAlongX : kRunAlongX);
        }
    } else if (direction == kSegmentAlongY) {
        const int32_t x = PointX(a);
        if (x > maxCellX_ || x < minCellX_) return;
        const int32_t to = std::min<int32_t>(PointY(b), maxCellY_ + 1);
        for (int32_t y = std::max<int32_t>(PointY(a) + 1, minCellY_); y < to; ++y) {
            const bool over = (crossX && crossed(*crossX, y, x, lastX)) || (moreX && crossed(*moreX, y, x, moreLast));
            cell(x, y, lineType, selected, over ? kCrossedAlongY : kRunAlongY);
        }
    }
}

void TLinkDrawing::DrawLinkBody(int32_t i, int32_t last) {
    const TConnectionRecord* link = itemOf(links_, i);
    if (!link) return;
    drawInterior(a_[size_t(i)], b_[size_t(i)], link->LineType, link->Selected, &linksX_, &linksY_, last, last,
                 nullptr, nullptr, -1);
}

void TLinkDrawing::DrawRouteSegment(int32_t i, int32_t last) {
    const TConnectionRecord* segment = itemOf(route_, i);
    if (!segment) return;
    uint32_t a = segment->PointA, b = segment->PointB;
    sorted(a, b);
    const int32_t all = links_ ? links_->Count : 0;
    drawInterior(a, b, segment->LineType, 0, &linksX_, &linksY_, all, all, &routeX_, &routeY_, last);
}

void TLinkDrawing::DrawAllEnds() {
    for (int32_t i : taken_) {
        const TConnectionRecord* link = itemOf(links_, i);
        const uint32_t a = a_[size_t(i)], b = b_[size_t(i)];
        for (uint32_t p : {a, b}) {
            if (PointX(p) > maxCellX_ || PointY(p) > maxCellY_ || PointX(p) < minCellX_ || PointY(p) < minCellY_)
                continue;
            if (lastEnd_[p] == i) DrawLinkEnds(p, link->LineType, link->Selected);
            if (a == b) break;  // a point: one mark
        }
    }
}

void TLinkDrawing::DrawAllBodies() {
    for (int32_t i : taken_) DrawLinkBody(i, i);
}

void TLinkDrawing::DrawRoute() {
    const int32_t count = route_ ? route_->Count : 0;
    for (int32_t i = 0; i < count; ++i) DrawRouteSegment(i, i);
}

}  // namespace zo::kernel
