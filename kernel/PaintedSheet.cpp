#include "kernel/PaintedSheet.h"

#include "common/MenObj.h"
#include "common/Struct.h"

#include <QImage>

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace zo::kernel {

namespace {

const TBlockRecord* blockAt(const TSheetRecord& sheet, uint16_t i) {
    return static_cast<const TBlockRecord*>(sheet.Blocks->GetItem(i));
}

std::string listBytes(const TMenObj& list) {
    if (!list.Data || list.Count == 0) return std::string();
    return std::string(reinterpret_cast<const char*>(list.Data), size_t(list.Count) * list.ItemSize);
}

// Left, Top, Right, Bottom and Selected, as they lie in the record.
const uint8_t* placeOf(const TBlockRecord& block) {
    return reinterpret_cast<const uint8_t*>(&block) + offsetof(TBlockRecord, Left);
}
static_assert(offsetof(TBlockRecord, Selected) - offsetof(TBlockRecord, Left) == 16);

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
    const std::string types = scene.lineTypes ? listBytes(*scene.lineTypes) : std::string();
    if (types != lineTypes_) return false;
    return font == font_;
}

QRect TPaintedSheet::cellsBox(const TZoRect& cells) const {
    return QRect(cells.left * cell_, cells.top * cell_, (cells.right - cells.left + 1) * cell_,
                 (cells.bottom - cells.top + 1) * cell_);
}

void TPaintedSheet::Forget() {
    kept_ = false;
    blocks_.clear();
    links_.clear();
    route_.clear();
    linkBytes_.clear();
}

void TPaintedSheet::takeFrame(const TSheetRecord& sheet, const TSceneState& scene, const QFont& font) {
    sheetBlocks_ = sheet.Blocks;
    sheetLinks_ = sheet.Links;
    std::memcpy(sheetName_, sheet.Name, sizeof sheetName_);
    width_ = sheet.Width;
    height_ = sheet.Height;
    mode_ = scene.mode;
    cell_ = scene.cellPixels;
    lineTypes_ = scene.lineTypes ? listBytes(*scene.lineTypes) : std::string();
    font_ = font;
}

void TPaintedSheet::Take(const TSheetRecord& sheet, const TSceneState& scene, const QFont& font,
                         const std::vector<TBlockBoxes>& boxes) {
    Forget();
    takeFrame(sheet, scene, font);
    blocks_.reserve(sheet.Blocks->Count);
    for (uint16_t i = 0; i < sheet.Blocks->Count; ++i) {
        const TBlockRecord* b = blockAt(sheet, i);
        const bool moved = scene.dragging && b->Selected;
        blocks_.push_back(lookOf(*b, moved ? scene.dx : 0, moved ? scene.dy : 0));
        if (i < boxes.size()) blocks_.back().boxes = boxes[i];
    }
    std::vector<QRect> ignored;
    updateLinks(sheet, scene, ignored);
    updateRoute(scene, ignored);
    updateBand(scene, ignored);
    kept_ = true;
}

void TPaintedSheet::Update(const TSheetRecord& sheet, const TSceneState& scene, const BoxesOf& boxes,
                           std::vector<QRect>& dirty) {
    updateBlocks(sheet, scene, boxes, dirty);
    updateLinks(sheet, scene, dirty);
    updateRoute(scene, dirty);
    updateBand(scene, dirty);
}

// ---- blocks ------------------------------------------------------------------

std::string TPaintedSheet::displayBytes(const TBlockRecord& block) {
    const auto* description = static_cast<const TStruct*>(block.Display.Struct);
    auto* data = static_cast<uint8_t*>(block.Display.Data);
    if (!description || !data) return std::string();
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
    }
    std::string bytes(1, char((display_.turnAt >= 0 ? 1 : 0) | (display_.labelAt >= 0 ? 2 : 0)));
    if (display_.turnAt >= 0) bytes.append(reinterpret_cast<const char*>(data + display_.turnAt), size_t(display_.turnSize));
    if (display_.labelAt >= 0)
        bytes.append(reinterpret_cast<const char*>(data + display_.labelAt), size_t(display_.labelSize));
    return bytes;
}

bool TPaintedSheet::sameBlock(const BlockLook& look, const TBlockRecord& block, int32_t dx, int32_t dy) {
    return look.dx == dx && look.dy == dy && std::memcmp(look.place, placeOf(block), sizeof look.place) == 0 &&
           look.picture == block.Picture && look.pictureKey == pictureKeyOf(block.Picture) &&
           std::memcmp(look.name, block.Name, sizeof look.name) == 0 && look.display == displayBytes(block);
}

TPaintedSheet::BlockLook TPaintedSheet::lookOf(const TBlockRecord& block, int32_t dx, int32_t dy) {
    BlockLook look;
    look.id = block.Block.Data;
    std::memcpy(look.place, placeOf(block), sizeof look.place);
    look.dx = dx;
    look.dy = dy;
    look.picture = block.Picture;
    look.pictureKey = pictureKeyOf(block.Picture);
    std::memcpy(look.name, block.Name, sizeof look.name);
    look.display = displayBytes(block);
    return look;
}

void TPaintedSheet::updateBlocks(const TSheetRecord& sheet, const TSceneState& scene, const BoxesOf& boxes,
                                 std::vector<QRect>& dirty) {
    const uint16_t count = sheet.Blocks->Count;
    auto offset = [&scene](const TBlockRecord& b, int32_t& dx, int32_t& dy) {
        const bool moved = scene.dragging && b.Selected;
        dx = moved ? scene.dx : 0;
        dy = moved ? scene.dy : 0;
    };
    // Blocks in the places they had: changed ones are looked at again.
    size_t i = 0;
    for (; i < count && i < blocks_.size(); ++i) {
        const TBlockRecord& b = *blockAt(sheet, uint16_t(i));
        if (blocks_[i].id != b.Block.Data) break;
        int32_t dx, dy;
        offset(b, dx, dy);
        if (sameBlock(blocks_[i], b, dx, dy)) continue;
        add(dirty, blocks_[i].boxes);
        blocks_[i] = lookOf(b, dx, dy);
        blocks_[i].boxes = boxes(b, dx, dy);
        add(dirty, blocks_[i].boxes);
    }
    if (i == count && i == blocks_.size()) return;
    // Blocks came or went before the rest: the rest are found by their data
    // records. One drawn out of its old order among the others counts as changed.
    std::unordered_map<const void*, size_t> before;
    for (size_t j = i; j < blocks_.size(); ++j)
        if (blocks_[j].id) before.emplace(blocks_[j].id, j);
    std::vector<bool> used(blocks_.size(), false);
    std::vector<BlockLook> now;
    now.reserve(count);
    for (size_t j = 0; j < i; ++j) now.push_back(std::move(blocks_[j]));
    size_t lastOld = i;  // the highest old place taken so far, plus one
    for (size_t k = i; k < count; ++k) {
        const TBlockRecord& b = *blockAt(sheet, uint16_t(k));
        int32_t dx, dy;
        offset(b, dx, dy);
        const void* id = b.Block.Data;
        const auto found = id ? before.find(id) : before.end();
        const bool known = found != before.end() && !used[found->second];
        if (known) {
            const size_t j = found->second;
            used[j] = true;
            const bool inOrder = j + 1 > lastOld;
            lastOld = std::max(lastOld, j + 1);
            if (inOrder && sameBlock(blocks_[j], b, dx, dy)) {
                now.push_back(std::move(blocks_[j]));
                continue;
            }
            add(dirty, blocks_[j].boxes);
        }
        now.push_back(lookOf(b, dx, dy));
        now.back().boxes = boxes(b, dx, dy);
        add(dirty, now.back().boxes);
    }
    for (size_t j = i; j < blocks_.size(); ++j)
        if (!used[j]) add(dirty, blocks_[j].boxes);
    blocks_ = std::move(now);
}

// ---- connections -----------------------------------------------------------------

TPaintedSheet::LinkLook TPaintedSheet::linkLook(const TConnectionRecord& link, const TSceneState& scene) {
    LinkLook look;
    uint32_t a = link.PointA, b = link.PointB;
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
    linkBytes_ = listBytes(list);
    linksDragged_ = scene.dragging;
    linkDx_ = scene.dx;
    linkDy_ = scene.dy;
    std::vector<LinkLook> now;
    now.reserve(list.Count);
    for (uint16_t i = 0; i < list.Count; ++i) {
        TConnectionRecord link;
        std::memcpy(&link, list.GetItem(i), sizeof link);
        now.push_back(linkLook(link, scene));
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
