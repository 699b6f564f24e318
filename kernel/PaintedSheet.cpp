#include "kernel/PaintedSheet.h"

#include "common/MenObj.h"
#include "common/Struct.h"

#include <QImage>

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace zo::kernel {

namespace {

// Item i of a list, i below its count (the lists are walked item after item).
const uint8_t* itemAt(const TMenObj& list, size_t i) { return list.Data + i * list.ItemSize; }

const TBlockRecord* blockAt(const TSheetRecord& sheet, uint16_t i) {
    return reinterpret_cast<const TBlockRecord*>(itemAt(*sheet.Blocks, i));
}

// The part of a block record compared byte for byte: from Left to its end.
constexpr size_t kBlockFrom = offsetof(TBlockRecord, Left);
constexpr size_t kBlockSpan = sizeof(TBlockRecord) - kBlockFrom;

std::string listBytes(const TMenObj& list) {
    if (!list.Data || list.Count == 0) return std::string();
    return std::string(reinterpret_cast<const char*>(list.Data), size_t(list.Count) * list.ItemSize);
}

int64_t pictureKeyOf(const void* picture) {
    return picture ? static_cast<const QImage*>(picture)->cacheKey() : 0;
}

void sortedPoints(uint32_t& a, uint32_t& b) {
    if (PointX(b) < PointX(a) || (PointX(b) == PointX(a) && PointY(b) < PointY(a))) std::swap(a, b);
}

void add(std::vector<QRect>& dirty, const QRect& r) {
    if (!r.isEmpty()) dirty.push_back(r);
}
void add(std::vector<QRect>& dirty, const TBlockBoxes& boxes) {
    add(dirty, boxes.label);
    add(dirty, boxes.body);
}

// The pixels the rubber band's dotted outline can take: its four edges.
void addBandEdges(std::vector<QRect>& dirty, const int32_t corners[4]) {
    const int64_t l = std::min(corners[0], corners[2]), r = std::max(corners[0], corners[2]);
    const int64_t t = std::min(corners[1], corners[3]), b = std::max(corners[1], corners[3]);
    if (r <= l || b <= t) return;
    const int w = int(r - l), h = int(b - t);
    add(dirty, QRect(int(l), int(t), w, 1));
    add(dirty, QRect(int(l), int(b - 1), w, 1));
    add(dirty, QRect(int(l), int(t), 1, h));
    add(dirty, QRect(int(r - 1), int(t), 1, h));
}

}  // namespace

bool TPaintedSheet::Fits(const TSheetRecord& sheet, const TSceneState& scene, const QFont& font,
                         int64_t pictureKey) const {
    if (!kept_ || linesFailed_ || pictureKey != pictureKey_) return false;
    if (sheet.Blocks != sheetBlocks_ || sheet.Links != sheetLinks_) return false;
    if (std::memcmp(sheet.Name, sheetName_, sizeof sheetName_) != 0) return false;
    if (sheet.Width != width_ || sheet.Height != height_ || scene.mode != mode_ || scene.cellPixels != cell_)
        return false;
    if (std::memcmp(&scene.visible, &visible_, sizeof visible_) != 0) return false;
    const TMenObj* types = scene.lineTypes;
    const size_t typeBytes = types && types->Data ? size_t(types->Count) * types->ItemSize : 0;
    if (typeBytes != lineTypes_.size() || (typeBytes && std::memcmp(types->Data, lineTypes_.data(), typeBytes) != 0))
        return false;
    return font == font_;
}

QRect TPaintedSheet::cellsBox(const TZoRect& cells) const {
    return QRect(cells.left * cell_, cells.top * cell_, (cells.right - cells.left + 1) * cell_,
                 (cells.bottom - cells.top + 1) * cell_);
}

void TPaintedSheet::Forget() {
    kept_ = false;
    places_.clear();
    watch_.Forget();
    blockBytes_.clear();
    blocks_.clear();
    links_.clear();
    route_.clear();
    linkBytes_.clear();
}

void TPaintedSheet::takeBlockBytes(const TSheetRecord& sheet) {
    const TMenObj& list = *sheet.Blocks;
    blockBytes_.resize(size_t(list.Count) * kBlockSpan);
    for (uint16_t i = 0; i < list.Count; ++i)
        std::memcpy(blockBytes_.data() + size_t(i) * kBlockSpan, itemAt(list, i) + kBlockFrom, kBlockSpan);
}

void TPaintedSheet::takeFrame(const TSheetRecord& sheet, const TSceneState& scene, const QFont& font) {
    sheetBlocks_ = sheet.Blocks;
    sheetLinks_ = sheet.Links;
    std::memcpy(sheetName_, sheet.Name, sizeof sheetName_);
    width_ = sheet.Width;
    height_ = sheet.Height;
    mode_ = scene.mode;
    cell_ = scene.cellPixels;
    visible_ = scene.visible;
    pictureGeneration_ = scene.pictureGeneration;
    dragged_ = scene.dragging;
    dragDx_ = scene.dx;
    dragDy_ = scene.dy;
    lineTypes_ = scene.lineTypes ? listBytes(*scene.lineTypes) : std::string();
    font_ = font;
}

void TPaintedSheet::Take(const TSheetRecord& sheet, const TSceneState& scene, const QFont& font,
                         const std::vector<TBlockBoxes>& boxes) {
    Forget();
    takeFrame(sheet, scene, font);
    blocks_.reserve(sheet.Blocks->Count);
    places_.reserve(sheet.Blocks->Count);
    for (uint16_t i = 0; i < sheet.Blocks->Count; ++i) {
        const TBlockRecord* b = blockAt(sheet, i);
        places_.push_back(placeIn(*b, scene));
        blocks_.push_back(lookOf(*b));
        if (i < boxes.size()) blocks_.back().boxes = boxes[i];
    }
    indexBlocks();
    takeBlockBytes(sheet);
    watch_.Take(*sheet.Blocks);
    std::vector<QRect> ignored;
    updateLinks(sheet, scene, ignored);
    updateRoute(scene, ignored);
    updateBand(scene, ignored);
    kept_ = true;
}

void TPaintedSheet::Update(const TSheetRecord& sheet, const TSceneState& scene, const BoxesOf& boxes,
                           std::vector<QRect>& dirty) {
    updateBlocks(sheet, scene, boxes, dirty);
    pictureGeneration_ = scene.pictureGeneration;
    updateLinks(sheet, scene, dirty);
    updateRoute(scene, dirty);
    updateBand(scene, dirty);
}

// ---- where things lie --------------------------------------------------------------

void TPaintedSheet::Buckets::Reset(int width, int height) {
    columns_ = std::max(0, (width >> kShift) + 1);
    rows_ = std::max(0, (height >> kShift) + 1);
    squares_.assign(size_t(columns_) * size_t(rows_), {});
}

bool TPaintedSheet::Buckets::span(const QRect& box, int& l, int& t, int& r, int& b) const {
    if (box.isEmpty() || columns_ == 0 || rows_ == 0) return false;
    l = std::clamp(box.left() >> kShift, 0, columns_ - 1);
    r = std::clamp(box.right() >> kShift, 0, columns_ - 1);
    t = std::clamp(box.top() >> kShift, 0, rows_ - 1);
    b = std::clamp(box.bottom() >> kShift, 0, rows_ - 1);
    return true;
}

void TPaintedSheet::Buckets::Add(uint32_t item, const QRect& box) {
    int l, t, r, b;
    if (!span(box, l, t, r, b)) return;
    for (int y = t; y <= b; ++y)
        for (int x = l; x <= r; ++x) squares_[size_t(y) * size_t(columns_) + size_t(x)].push_back(item);
}

void TPaintedSheet::Buckets::Remove(uint32_t item, const QRect& box) {
    int l, t, r, b;
    if (!span(box, l, t, r, b)) return;
    for (int y = t; y <= b; ++y)
        for (int x = l; x <= r; ++x) {
            std::vector<uint32_t>& square = squares_[size_t(y) * size_t(columns_) + size_t(x)];
            const auto at = std::find(square.begin(), square.end(), item);
            if (at != square.end()) square.erase(at);
        }
}

void TPaintedSheet::Buckets::Query(const QRect& box, std::vector<uint32_t>& out) const {
    out.clear();
    int l, t, r, b;
    if (!span(box, l, t, r, b)) return;
    for (int y = t; y <= b; ++y)
        for (int x = l; x <= r; ++x) {
            const std::vector<uint32_t>& square = squares_[size_t(y) * size_t(columns_) + size_t(x)];
            out.insert(out.end(), square.begin(), square.end());
        }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
}

void TPaintedSheet::indexBlocks() {
    blockSquares_.Reset(int(width_) * cell_, int(height_) * cell_);
    for (size_t i = 0; i < blocks_.size(); ++i) blockSquares_.Add(uint32_t(i), unionOf(blocks_[i].boxes));
}

void TPaintedSheet::indexLinks() {
    linkSquares_.Reset(int(width_) * cell_, int(height_) * cell_);
    for (size_t i = 0; i < links_.size(); ++i) linkSquares_.Add(uint32_t(i), cellsBox(links_[i].cells));
}

void TPaintedSheet::Near(const QRect& pixels, std::vector<uint32_t>& blocks, std::vector<uint32_t>& links) const {
    blockSquares_.Query(pixels, blocks);
    linkSquares_.Query(pixels, links);
}

// ---- blocks ------------------------------------------------------------------

const uint8_t* TPaintedSheet::displayAt(const TBlockRecord& block, size_t& size) {
    size = 0;
    const auto* description = static_cast<const TStruct*>(block.Display.Struct);
    auto* data = static_cast<uint8_t*>(block.Display.Data);
    if (!description || !data) return nullptr;
    if (display_.description != description) {
        display_ = DisplayLayout{description};
        int16_t index = -1;
        if (description->FindItem("Turn", index) == 1) {
            const auto* at = static_cast<const uint8_t*>(description->GetValuePtr(data, index));
            display_.turnAt = at ? int(at - data) : -1;
            display_.turnSize = std::max(description->GetItemSize(index), 0);
        }
        if (description->FindItem("Label", index) == 1) {
            const auto* at = static_cast<const uint8_t*>(description->GetValuePtr(data, index));
            display_.labelAt = at ? int(at - data) : -1;
            display_.labelSize = std::max(description->GetItemSize(index), 0);
        }
        // Turn and Label side by side (as "Отобр." lays them out) are one run of bytes.
        display_.joined = display_.turnAt >= 0 && display_.labelAt == display_.turnAt + display_.turnSize;
    }
    if (!display_.joined) return nullptr;
    size = size_t(display_.turnSize + display_.labelSize);
    return data + display_.turnAt;
}

std::string TPaintedSheet::displayBytes(const TBlockRecord& block) {
    size_t size = 0;
    if (const uint8_t* at = displayAt(block, size)) return std::string(reinterpret_cast<const char*>(at), size);
    // Apart, or not both there: each as far as it is there.
    std::string bytes(1, char((display_.turnAt >= 0 ? 1 : 0) | (display_.labelAt >= 0 ? 2 : 0)));
    const auto* data = static_cast<const uint8_t*>(block.Display.Data);
    if (!data || !block.Display.Struct) return std::string();
    if (display_.turnAt >= 0) bytes.append(reinterpret_cast<const char*>(data + display_.turnAt), size_t(display_.turnSize));
    if (display_.labelAt >= 0)
        bytes.append(reinterpret_cast<const char*>(data + display_.labelAt), size_t(display_.labelSize));
    return bytes;
}

TPaintedSheet::BlockPlace TPaintedSheet::placeOf(const TBlockRecord& block, int32_t dx, int32_t dy) {
    BlockPlace p;
    p.id = block.Block.Data;
    p.picture = block.Picture;
    p.rect[0] = block.Left;
    p.rect[1] = block.Top;
    p.rect[2] = block.Right;
    p.rect[3] = block.Bottom;
    p.dx = dx;
    p.dy = dy;
    p.selected = block.Selected;
    return p;
}

TPaintedSheet::BlockPlace TPaintedSheet::placeIn(const TBlockRecord& block, const TSceneState& scene) {
    const bool moved = scene.dragging && block.Selected;
    return placeOf(block, moved ? scene.dx : 0, moved ? scene.dy : 0);
}

bool TPaintedSheet::samePlace(const BlockPlace& a, const BlockPlace& b) {
    return a.id == b.id && a.picture == b.picture && a.rect[0] == b.rect[0] && a.rect[1] == b.rect[1] &&
           a.rect[2] == b.rect[2] && a.rect[3] == b.rect[3] && a.dx == b.dx && a.dy == b.dy &&
           a.selected == b.selected;
}

// The picture's content, the name and the display parameters.
bool TPaintedSheet::sameLook(const BlockLook& look, const TBlockRecord& block) {
    if (look.pictureKey != pictureKeyOf(block.Picture) || std::memcmp(look.name, block.Name, sizeof look.name) != 0)
        return false;
    size_t size = 0;
    if (const uint8_t* at = displayAt(block, size))
        return size == look.display.size() && std::memcmp(at, look.display.data(), size) == 0;
    return look.display == displayBytes(block);
}

TPaintedSheet::BlockLook TPaintedSheet::lookOf(const TBlockRecord& block) {
    BlockLook look;
    look.pictureKey = pictureKeyOf(block.Picture);
    std::memcpy(look.name, block.Name, sizeof look.name);
    look.display = displayBytes(block);
    return look;
}

bool TPaintedSheet::notedBlocks(const TSheetRecord& sheet, bool deep, bool sameDrag, std::vector<uint16_t>& out) const {
    if (deep || blockBytes_.size() != size_t(sheet.Blocks->Count) * kBlockSpan || !watch_.Since(*sheet.Blocks, out))
        return false;
    if (sameDrag) return true;
    // A new drag offset moves every selected block.
    for (size_t i = 0; i < places_.size(); ++i)
        if (places_[i].selected) out.push_back(uint16_t(i));
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return true;
}

bool TPaintedSheet::lookAgain(const TSheetRecord& sheet, size_t i, const TSceneState& scene, const BoxesOf& boxes,
                              bool deep, bool sameDrag, std::vector<QRect>& dirty) {
    const uint8_t* record = itemAt(*sheet.Blocks, i);
    const TBlockRecord& b = *reinterpret_cast<const TBlockRecord*>(record);
    const size_t known = std::min(blockBytes_.size() / kBlockSpan, places_.size());
    uint8_t* was = i < known ? blockBytes_.data() + i * kBlockSpan : nullptr;
    if (!deep && was && (sameDrag || !b.Selected) && std::memcmp(record + kBlockFrom, was, kBlockSpan) == 0)
        return true;
    if (was) std::memcpy(was, record + kBlockFrom, kBlockSpan);
    const BlockPlace now = placeIn(b, scene);
    if (places_[i].id != now.id) return false;
    if (samePlace(places_[i], now) && (!deep || sameLook(blocks_[i], b))) return true;
    add(dirty, blocks_[i].boxes);
    blockSquares_.Remove(uint32_t(i), unionOf(blocks_[i].boxes));
    places_[i] = now;
    blocks_[i] = lookOf(b);
    blocks_[i].boxes = boxes(b, now.dx, now.dy);
    blockSquares_.Add(uint32_t(i), unionOf(blocks_[i].boxes));
    add(dirty, blocks_[i].boxes);
    return true;
}

void TPaintedSheet::updateBlocks(const TSheetRecord& sheet, const TSceneState& scene, const BoxesOf& boxes,
                                 std::vector<QRect>& dirty) {
    const uint16_t count = sheet.Blocks->Count;
    const bool deep = scene.pictureGeneration != pictureGeneration_;
    auto same = [&](size_t j, const BlockPlace& now, const TBlockRecord& b) {
        return samePlace(places_[j], now) && (!deep || sameLook(blocks_[j], b));
    };
    // Blocks in the places they had: changed ones are looked at again.
    const bool sameDrag = dragged_ == scene.dragging && (!scene.dragging || (dragDx_ == scene.dx && dragDy_ == scene.dy));
    std::vector<uint16_t> noted;
    const bool onlyNoted = notedBlocks(sheet, deep, sameDrag, noted);
    dragged_ = scene.dragging;
    dragDx_ = scene.dx;
    dragDy_ = scene.dy;
    watch_.Take(*sheet.Blocks);
    size_t i = 0;
    if (onlyNoted) {
        // The others are as they were: a noted one that another block took
        // the place of is where the blocks came or went.
        const auto taken = std::find_if(noted.begin(), noted.end(), [&](uint16_t k) {
            return !lookAgain(sheet, k, scene, boxes, deep, sameDrag, dirty);
        });
        if (taken == noted.end()) return;
        i = *taken;
    } else {
        const size_t known = std::min(blockBytes_.size() / kBlockSpan, places_.size());
        for (; i < count && i < places_.size(); ++i)
            if (!lookAgain(sheet, i, scene, boxes, deep, sameDrag, dirty)) break;
        if (i == count && i == places_.size()) {
            if (known < count) takeBlockBytes(sheet);
            return;
        }
    }
    // Blocks came or went before the rest: the rest are found by their data
    // records. One drawn out of its old order among the others counts as changed.
    std::unordered_map<const void*, size_t> before;
    for (size_t j = i; j < places_.size(); ++j)
        if (places_[j].id) before.emplace(places_[j].id, j);
    std::vector<bool> used(places_.size(), false);
    std::vector<BlockPlace> places(places_.begin(), places_.begin() + std::ptrdiff_t(i));
    std::vector<BlockLook> looks;
    places.reserve(count);
    looks.reserve(count);
    for (size_t j = 0; j < i; ++j) looks.push_back(std::move(blocks_[j]));
    size_t lastOld = i;  // the highest old place taken so far, plus one
    for (size_t k = i; k < count; ++k) {
        const TBlockRecord& b = *blockAt(sheet, uint16_t(k));
        const BlockPlace now = placeIn(b, scene);
        const auto found = now.id ? before.find(now.id) : before.end();
        if (found != before.end() && !used[found->second]) {
            const size_t j = found->second;
            used[j] = true;
            const bool inOrder = j + 1 > lastOld;
            lastOld = std::max(lastOld, j + 1);
            if (inOrder && same(j, now, b)) {
                places.push_back(now);
                looks.push_back(std::move(blocks_[j]));
                continue;
            }
            add(dirty, blocks_[j].boxes);
        }
        places.push_back(now);
        looks.push_back(lookOf(b));
        looks.back().boxes = boxes(b, now.dx, now.dy);
        add(dirty, looks.back().boxes);
    }
    for (size_t j = i; j < places_.size(); ++j)
        if (!used[j]) add(dirty, blocks_[j].boxes);
    places_ = std::move(places);
    blocks_ = std::move(looks);
    indexBlocks();
    takeBlockBytes(sheet);
}

// ---- connections -----------------------------------------------------------------

TPaintedSheet::LinkLook TPaintedSheet::linkLook(const TConnectionRecord& link, const TSceneState& scene) {
    LinkLook look;
    uint32_t a = link.PointA, b = link.PointB;
    look.rawA = a;
    look.rawB = b;
    if (scene.dragging && link.Selected) MoveSegment(TZoSegment{a, b}, scene.dx, scene.dy, a, b);
    sortedPoints(a, b);
    look.a = a;
    look.b = b;
    look.lineType = link.LineType;
    look.selected = link.Selected;
    NormalizeRect(TZoRect{PointX(a), PointY(a), PointX(b), PointY(b)}, look.cells);
    return look;
}

struct LinkKeyHash {
    size_t operator()(const std::pair<uint64_t, uint32_t>& k) const {
        return std::hash<uint64_t>()(k.first * 0x9E3779B97F4A7C15ull ^ k.second);
    }
};

void TPaintedSheet::updateLinks(const TSheetRecord& sheet, const TSceneState& scene, std::vector<QRect>& dirty) {
    const TMenObj& list = *sheet.Links;
    const bool sameDrag =
        linksDragged_ == scene.dragging && (!scene.dragging || (linkDx_ == scene.dx && linkDy_ == scene.dy));
    const size_t bytes = list.Data ? size_t(list.Count) * list.ItemSize : 0;
    if (kept_ && sameDrag && bytes == linkBytes_.size() &&
        (bytes == 0 || std::memcmp(list.Data, linkBytes_.data(), bytes) == 0))
        return;
    linkBytes_.assign(reinterpret_cast<const char*>(list.Data), bytes);
    linksDragged_ = scene.dragging;
    linkDx_ = scene.dx;
    linkDy_ = scene.dy;
    if (kept_ && list.Count == links_.size()) {
        // The same connections, some perhaps looking otherwise (moved, selected,
        // typed); their nets and chains are not drawn.
        for (uint16_t k = 0; k < list.Count; ++k) {
            TConnectionRecord record;
            std::memcpy(&record, itemAt(list, k), sizeof record);
            const LinkLook& was = links_[k];
            // Drawn where it was drawn: as stored, and not moved, or moved as before.
            if (record.PointA == was.rawA && record.PointB == was.rawB && record.LineType == was.lineType &&
                record.Selected == was.selected && (!record.Selected || sameDrag))
                continue;
            const LinkLook look = linkLook(record, scene);
            if (look == links_[k]) continue;
            add(dirty, cellsBox(links_[k].cells));
            add(dirty, cellsBox(look.cells));
            linkSquares_.Remove(k, cellsBox(links_[k].cells));
            linkSquares_.Add(k, cellsBox(look.cells));
            links_[k] = look;
        }
        return;
    }
    std::vector<LinkLook> now;
    now.reserve(list.Count);
    for (uint16_t i = 0; i < list.Count; ++i) {
        TConnectionRecord link;
        std::memcpy(&link, list.GetItem(i), sizeof link);
        now.push_back(linkLook(link, scene));
    }
    if (!kept_) {
        links_ = std::move(now);
        indexLinks();
        return;
    }
    size_t i = 0;
    while (i < now.size() && i < links_.size() && now[i] == links_[i]) ++i;
    if (i < now.size() || i < links_.size()) {
        // The rest matched by what they look like, in their old order.
        auto keyOf = [](const LinkLook& l) {
            return std::make_pair((uint64_t(l.a) << 32) | l.b, (uint32_t(uint16_t(l.lineType)) << 8) | l.selected);
        };
        std::unordered_map<std::pair<uint64_t, uint32_t>, std::vector<size_t>, LinkKeyHash> before;
        for (size_t j = links_.size(); j-- > i;) before[keyOf(links_[j])].push_back(j);  // lowest place last
        std::vector<bool> used(links_.size(), false);
        size_t lastOld = i;
        for (size_t k = i; k < now.size(); ++k) {
            auto found = before.find(keyOf(now[k]));
            if (found != before.end() && !found->second.empty()) {
                const size_t j = found->second.back();
                found->second.pop_back();
                used[j] = true;
                const bool inOrder = j + 1 > lastOld;
                lastOld = std::max(lastOld, j + 1);
                if (inOrder) continue;
            }
            add(dirty, cellsBox(now[k].cells));
        }
        for (size_t j = i; j < links_.size(); ++j)
            if (!used[j]) add(dirty, cellsBox(links_[j].cells));
    }
    links_ = std::move(now);
    indexLinks();
}

void TPaintedSheet::updateRoute(const TSceneState& scene, std::vector<QRect>& dirty) {
    std::vector<LinkLook> now;
    const int32_t count = scene.route ? scene.route->Count : 0;
    for (int32_t i = 0; i < count; ++i) {
        TConnectionRecord segment;
        std::memcpy(&segment, scene.route->GetItem(uint16_t(i)), sizeof segment);
        segment.Selected = 0;  // a route is drawn as not selected, and never moved
        now.push_back(linkLook(segment, TSceneState{}));
    }
    if (now == route_) return;
    for (const LinkLook& l : route_) add(dirty, cellsBox(l.cells));
    for (const LinkLook& l : now) add(dirty, cellsBox(l.cells));
    route_ = std::move(now);
}

void TPaintedSheet::updateBand(const TSceneState& scene, std::vector<QRect>& dirty) {
    if (band_ == scene.band && (!band_ || std::memcmp(bandRect_, scene.bandRect, sizeof bandRect_) == 0)) return;
    if (band_) addBandEdges(dirty, bandRect_);
    if (scene.band) addBandEdges(dirty, scene.bandRect);
    band_ = scene.band;
    std::memcpy(bandRect_, scene.bandRect, sizeof bandRect_);
}

}  // namespace zo::kernel
