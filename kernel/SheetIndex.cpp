#include "kernel/SheetIndex.h"

#include "common/Geometry.h"
#include "common/MenObj.h"
#include "common/Struct.h"
#include "kernel/KernelState.h"
#include "kernel/SheetList.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>

namespace zo::kernel {

namespace {

constexpr int kBucketShift = 3;         // buckets of 8 x 8 cells
constexpr int64_t kMaxItemBuckets = 256;  // an item spanning more goes to the wide list
constexpr int32_t kMaxCell = 0xFFFF;

uint64_t g_generation = 1;

int32_t clampCell(int64_t v) { return int32_t(std::clamp<int64_t>(v, 0, kMaxCell)); }

// Items by the buckets their rectangles touch: every item's rectangle is
// gathered, then laid out once in flat arrays (a count a bucket, then the
// items of each bucket side by side), no allocation a bucket. Buckets are
// 8 x 8 cells, coarser where the items lie so far apart that the grid of
// buckets would grow too large.
class Buckets {
public:
    void clear() {
        pending_.clear();
        wide_.clear();
        starts_.clear();
        items_.clear();
        columns_ = rows_ = 0;
        shift_ = kBucketShift;
    }
    void add(uint16_t index, int32_t l, int32_t t, int32_t r, int32_t b) {
        if (l < 0 || t < 0 || r > kMaxCell || b > kMaxCell) {
            wide_.push_back(index);
            return;
        }
        pending_.push_back(Pending{index, l, t, r, b});
    }
    // Lays out what was added; queries answer from it.
    void finish() {
        int32_t right = 0, bottom = 0;
        for (const Pending& p : pending_) {
            right = std::max(right, p.r);
            bottom = std::max(bottom, p.b);
        }
        shift_ = kBucketShift;
        while ((int64_t(right >> shift_) + 1) * ((bottom >> shift_) + 1) > kMaxGrid) ++shift_;
        columns_ = (right >> shift_) + 1;
        rows_ = (bottom >> shift_) + 1;
        starts_.assign(size_t(columns_) * size_t(rows_) + 1, 0);
        auto each = [this](const Pending& p, auto&& visit) {
            const int32_t bl = p.l >> shift_, br = p.r >> shift_, bt = p.t >> shift_, bb = p.b >> shift_;
            for (int32_t by = bt; by <= bb; ++by)
                for (int32_t bx = bl; bx <= br; ++bx) visit(size_t(by) * size_t(columns_) + size_t(bx));
        };
        // An item spanning too many buckets goes to the wide list.
        std::erase_if(pending_, [this](const Pending& p) {
            const bool wide =
                (int64_t(p.r >> shift_) - (p.l >> shift_) + 1) * ((p.b >> shift_) - (p.t >> shift_) + 1) >
                kMaxItemBuckets;
            if (wide) wide_.push_back(p.index);
            return wide;
        });
        for (const Pending& p : pending_) each(p, [this](size_t bucket) { ++starts_[bucket + 1]; });
        for (size_t k = 1; k < starts_.size(); ++k) starts_[k] += starts_[k - 1];
        items_.resize(starts_.back());
        std::vector<uint32_t> next(starts_.begin(), starts_.end() - 1);
        for (const Pending& p : pending_) each(p, [&](size_t bucket) { items_[next[bucket]++] = p.index; });
        pending_.clear();
        pending_.shrink_to_fit();
    }
    // Candidates for the cell rectangle; count is the list's item count, so a
    // rectangle wider than the list answers every item.
    void query(int32_t l, int32_t t, int32_t r, int32_t b, uint16_t count, std::vector<uint16_t>& out) const {
        out.clear();
        const int32_t bl = clampCell(l) >> shift_, br = clampCell(r) >> shift_;
        const int32_t bt = clampCell(t) >> shift_, bb = clampCell(b) >> shift_;
        if (int64_t(br - bl + 1) * (bb - bt + 1) >= count) {
            for (uint16_t i = 0; i < count; ++i) out.push_back(i);
            return;
        }
        out = wide_;
        for (int32_t by = bt; by <= std::min(bb, rows_ - 1); ++by)
            for (int32_t bx = bl; bx <= std::min(br, columns_ - 1); ++bx) {
                const size_t bucket = size_t(by) * size_t(columns_) + size_t(bx);
                out.insert(out.end(), items_.begin() + starts_[bucket], items_.begin() + starts_[bucket + 1]);
            }
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
    }

private:
    static constexpr int64_t kMaxGrid = int64_t(1) << 20;  // buckets at most
    struct Pending {
        uint16_t index;
        int32_t l, t, r, b;
    };
    std::vector<Pending> pending_;
    std::vector<uint16_t> wide_;
    std::vector<uint32_t> starts_;  // where each bucket's items start in items_, and the end
    std::vector<uint16_t> items_;
    int32_t columns_ = 0, rows_ = 0;
    int shift_ = kBucketShift;
};

struct NetBinding {
    int32_t inBlock = -1, inField = -1;
    int32_t outBlock = -1, outField = -1;
};

struct CellIndex {
    // What the index was built from.
    const TSheetRecord* sheet = nullptr;
    const TMenObj* blocks = nullptr;
    const uint8_t* blockData = nullptr;
    uint16_t blockCount = 0;
    const TMenObj* links = nullptr;
    const uint8_t* linkData = nullptr;
    uint16_t linkCount = 0;
    uint64_t generation = 0;
    uint64_t fingerprint = 0;

    Buckets blockCells;
    Buckets linkCells;
    bool netsBuilt = false;
    std::unordered_map<std::string, NetBinding> nets;  // pin field value -> bound fields
};

CellIndex g_index;

TBlockRecord* blockAt(const TSheetRecord* sheet, int32_t i) {
    if (!sheet || !sheet->Blocks || i < 0 || i > 0xFFFF) return nullptr;
    return static_cast<TBlockRecord*>(sheet->Blocks->GetItem(uint16_t(i)));
}
TConnectionRecord* linkAt(const TSheetRecord* sheet, int32_t i) {
    if (!sheet || !sheet->Links || i < 0 || i > 0xFFFF) return nullptr;
    return static_cast<TConnectionRecord*>(sheet->Links->GetItem(uint16_t(i)));
}

TStruct* descriptionOf(const TBlockRecord* block) { return static_cast<TStruct*>(block->Block.Struct); }
void* dataOf(const TBlockRecord* block) { return block->Block.Data; }

void linkRect(const TConnectionRecord& link, TZoRect& r) {
    const uint32_t a = link.PointA, b = link.PointB;
    NormalizeRect(TZoRect{PointX(a), PointY(a), PointX(b), PointY(b)}, r);
}

bool current(const TSheetRecord* sheet) {
    const CellIndex& x = g_index;
    return x.sheet == sheet && x.generation == g_generation && x.blocks == sheet->Blocks &&
           x.blockData == sheet->Blocks->Data && x.blockCount == sheet->Blocks->Count && x.links == sheet->Links &&
           x.linkData == sheet->Links->Data && x.linkCount == sheet->Links->Count;
}

// What the index depends on, in one number: every block's place, pins and
// records and every connection's points and net. One pass of integer mixing
// over the lists, so that a change made in place, or lists that were freed and
// made again at the same addresses, are noticed too.
uint64_t fingerprintOf(const TSheetRecord* sheet) {
    uint64_t h = 1469598103934665603ull;
    auto mix = [&h](uint64_t v) { h = (h ^ v) * 1099511628211ull; };
    for (uint16_t i = 0; i < sheet->Blocks->Count; ++i) {
        const auto* b = static_cast<const TBlockRecord*>(sheet->Blocks->GetItem(i));
        mix((uint64_t(uint32_t(b->Left)) << 32) | uint32_t(b->Top));
        mix((uint64_t(uint32_t(b->Right)) << 32) | uint32_t(b->Bottom));
        mix(reinterpret_cast<uintptr_t>(b->Block.Struct) ^ reinterpret_cast<uintptr_t>(b->Block.Data));
        mix(reinterpret_cast<uintptr_t>(b->Pins));
        mix(b->Pins ? b->Pins->Count : 0);
    }
    for (uint16_t i = 0; i < sheet->Links->Count; ++i) {
        const auto* l = static_cast<const TConnectionRecord*>(sheet->Links->GetItem(i));
        mix((uint64_t(l->PointA) << 32) | l->PointB);
        mix(uint16_t(l->NetIndex));
    }
    return h;
}

CellIndex& indexFor(TSheetRecord* sheet) {
    CellIndex& x = g_index;
    const uint64_t fingerprint = fingerprintOf(sheet);
    if (current(sheet) && x.fingerprint == fingerprint) return x;
    x.fingerprint = fingerprint;
    x.sheet = sheet;
    x.blocks = sheet->Blocks;
    x.blockData = sheet->Blocks->Data;
    x.blockCount = sheet->Blocks->Count;
    x.links = sheet->Links;
    x.linkData = sheet->Links->Data;
    x.linkCount = sheet->Links->Count;
    x.generation = g_generation;
    x.blockCells.clear();
    x.linkCells.clear();
    x.netsBuilt = false;
    x.nets.clear();
    for (uint16_t i = 0; i < x.blockCount; ++i) {
        const auto* b = static_cast<const TBlockRecord*>(sheet->Blocks->GetItem(i));
        TZoRect r;
        NormalizeRect(TZoRect{b->Left, b->Top, b->Right, b->Bottom}, r);
        x.blockCells.add(i, r.left, r.top, r.right, r.bottom);
    }
    for (uint16_t i = 0; i < x.linkCount; ++i) {
        TZoRect r;
        linkRect(*static_cast<const TConnectionRecord*>(sheet->Links->GetItem(i)), r);
        x.linkCells.add(i, r.left, r.top, r.right, r.bottom);
    }
    x.blockCells.finish();
    x.linkCells.finish();
    return x;
}

// Pin fields by their value text, built on first demand.
void buildNets(CellIndex& x, const TSheetRecord* sheet) {
    if (x.netsBuilt) return;
    x.netsBuilt = true;
    for (uint16_t i = 0; i < sheet->Blocks->Count; ++i) {
        const auto* block = static_cast<const TBlockRecord*>(sheet->Blocks->GetItem(i));
        const TStruct* s = descriptionOf(block);
        const void* data = dataOf(block);
        if (!s || !data) continue;
        for (int k = 0; k < s->GetItemCount(); ++k) {
            const TStructItem* item = s->GetItem(k);
            if (!item) continue;
            const bool in = std::strcmp(item->Kind, "IN") == 0, out = std::strcmp(item->Kind, "OUT") == 0;
            if (!in && !out) continue;
            NetBinding& n = x.nets[s->GetValue(data, k)];
            if (in && n.inBlock < 0) n.inBlock = i, n.inField = k;
            if (out && n.outBlock < 0) n.outBlock = i, n.outField = k;
        }
    }
}

bool blockHolds(const TBlockRecord* b, int32_t cx, int32_t cy) {
    TZoRect r;
    NormalizeRect(TZoRect{b->Left, b->Top, b->Right, b->Bottom}, r);
    return PointInRect(r, cx, cy) && descriptionOf(b) != nullptr;
}

bool linkHolds(const TConnectionRecord* l, int32_t cx, int32_t cy) {
    TZoRect r;
    linkRect(*l, r);
    return PointInRect(r, cx, cy);
}

void findPin(THit& hit, int32_t cx, int32_t cy) {
    const TBlockRecord* b = hit.Block();
    const zo::TMenObj* pins = b->Pins;
    if (!pins) return;
    for (uint16_t i = 0; i < pins->Count; ++i) {
        TPinRecord p;
        std::memcpy(&p, pins->GetItem(i), sizeof p);
        if (int64_t(b->Left) + p.X == cx && int64_t(b->Top) + p.Y == cy) hit.pin = i;
    }
}

void findPinItem(THit& hit, CellIndex& x) {
    buildNets(x, hit.sheet);
    const TConnectionRecord* l = hit.Link();
    auto it = x.nets.find(std::to_string(int(l->NetIndex)));
    if (it == x.nets.end()) return;
    const NetBinding& n = it->second;
    if (n.outBlock >= 0) hit.pinItemBlock = n.outBlock, hit.pinItemField = n.outField;
    else hit.pinItemBlock = n.inBlock, hit.pinItemField = n.inField;
}

}  // namespace

TSheetRecord* LookupSheet(const char* name) { return StateExists() ? FindSheet(name) : nullptr; }

TBlockRecord* THit::Block() const { return blockAt(sheet, block); }
TConnectionRecord* THit::Link() const { return linkAt(sheet, link); }

TPinRecord* THit::Pin() const {
    const TBlockRecord* b = Block();
    if (!b || pin < 0) return nullptr;
    const zo::TMenObj* pins = b->Pins;
    return pins ? static_cast<TPinRecord*>(pins->GetItem(uint16_t(pin))) : nullptr;
}

const TStructItem* THit::PinField() const {
    const TPinRecord* p = Pin();
    if (!p) return nullptr;
    return BlockField(Block(), p->FieldIndex);
}

const TStructItem* THit::PinItem() const { return BlockField(blockAt(sheet, pinItemBlock), pinItemField); }

const TStructItem* BlockField(const TBlockRecord* block, int32_t field) {
    if (!block || field < 0) return nullptr;
    const TStruct* s = descriptionOf(block);
    return s ? s->GetItem(field) : nullptr;
}

bool DisplayValue(const TBlockRecord* block, const char* name, std::string& value) {
    value.clear();
    if (!block) return false;
    const auto* s = static_cast<const TStruct*>(block->Display.Struct);
    const void* data = block->Display.Data;
    int16_t index = -1;
    if (!s || !data || !s->FindItem(name, index) || index < 0) return false;
    value = s->GetValue(data, index);
    return true;
}

void NormalizedPoints(const TConnectionRecord& link, uint32_t& a, uint32_t& b) {
    a = link.PointA;
    b = link.PointB;
    if (PointX(b) < PointX(a) || (PointX(b) == PointX(a) && PointY(b) < PointY(a))) std::swap(a, b);
}

THit HitCell(TSheetRecord* sheet, int32_t cx, int32_t cy, bool sameCellAgain) {
    THit hit;
    hit.sheet = sheet;
    if (!sheet || !sheet->Blocks || !sheet->Links) return hit;
    // Pointer moves inside one cell ask again for the same cell.
    static struct {
        bool valid = false;
        int32_t x = 0, y = 0;
        THit hit;
    } last;
    if (sameCellAgain && last.valid && last.x == cx && last.y == cy && last.hit.sheet == sheet && current(sheet))
        return last.hit;
    const bool inRange = cx >= 0 && cy >= 0 && cx <= kMaxCell && cy <= kMaxCell;
    std::vector<uint16_t> candidates;
    CellIndex& x = indexFor(sheet);
    if (inRange) x.blockCells.query(cx, cy, cx, cy, x.blockCount, candidates);
    else
        for (uint16_t i = 0; i < x.blockCount; ++i) candidates.push_back(i);
    for (auto it = candidates.rbegin(); it != candidates.rend(); ++it)
        if (blockHolds(blockAt(sheet, *it), cx, cy)) {
            hit.block = *it;
            break;
        }
    if (hit.block >= 0) findPin(hit, cx, cy);
    if (inRange) x.linkCells.query(cx, cy, cx, cy, x.linkCount, candidates);
    else {
        candidates.clear();
        for (uint16_t i = 0; i < x.linkCount; ++i) candidates.push_back(i);
    }
    for (uint16_t i : candidates)
        if (linkHolds(linkAt(sheet, i), cx, cy)) {
            hit.link = i;
            break;
        }
    if (hit.link >= 0) findPinItem(hit, x);
    last.valid = true;
    last.x = cx;
    last.y = cy;
    last.hit = hit;
    return hit;
}

int HitAt(const char* sheetName, int32_t x, int32_t y, THit& hit, bool sameCellAgain) {
    hit = THit{};
    if (!sheetName) return -1;
    TSheetRecord* sheet = LookupSheet(sheetName);
    if (!sheet) return -2;
    if (!sheet->Blocks || !sheet->Links) return -3;
    hit = HitCell(sheet, x / 12, y / 12, sameCellAgain);
    return 0;
}

void MarkSheetsChanged() { ++g_generation; }

void BlocksNear(TSheetRecord* sheet, int32_t l, int32_t t, int32_t r, int32_t b, std::vector<uint16_t>& out) {
    out.clear();
    if (!sheet || !sheet->Blocks || !sheet->Links) return;
    CellIndex& x = indexFor(sheet);
    x.blockCells.query(l, t, r, b, x.blockCount, out);
}

void LinksNear(TSheetRecord* sheet, int32_t l, int32_t t, int32_t r, int32_t b, std::vector<uint16_t>& out) {
    out.clear();
    if (!sheet || !sheet->Blocks || !sheet->Links) return;
    CellIndex& x = indexFor(sheet);
    x.linkCells.query(l, t, r, b, x.linkCount, out);
}

}  // namespace zo::kernel
