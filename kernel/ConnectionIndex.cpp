#include "kernel/ConnectionIndex.h"

#include "common/Struct.h"
#include "common/abi/BlockRecord.h"
#include "common/abi/ConnectionRecord.h"
#include "common/abi/PinRecord.h"
#include "common/abi/SheetRecord.h"
#include "kernel/BlockEdits.h"
#include "kernel/BlockPrepare.h"
#include "kernel/EndIndex.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "platform/Cp1251.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace zo::kernel {

namespace {

TConnectionRecord& link(TMenObj& links, uint16_t index) {
    return *static_cast<TConnectionRecord*>(links.GetItem(index));
}

std::string sheetName(const TSheetRecord& sheet) { return std::string(sheet.Name, strnlen(sheet.Name, sizeof sheet.Name)); }

// The three numbers indexing writes into a connection.
enum class Field { Net, Chain, LineType };

int16_t get(const TConnectionRecord& c, Field f) {
    switch (f) {
        case Field::Net: return c.NetIndex;
        case Field::Chain: return c.Chain;
        case Field::LineType: return c.LineType;
    }
    return -1;
}

void set(TConnectionRecord& c, Field f, int16_t value) {
    switch (f) {
        case Field::Net: c.NetIndex = value; break;
        case Field::Chain: c.Chain = value; break;
        case Field::LineType: c.LineType = value; break;
    }
}

// Gives a connection's number to every connection reachable from it through
// shared end points (any point, or only points where exactly two ends meet)
// whose field still holds -1. Iterative, and each point is expanded once per
// pass: a net may have tens of thousands of segments, and a point thousands of
// ends.
class Spread {
public:
    Spread(TMenObj& links, const EndIndex& ends, Field field, bool onlyTwoEnds)
        : links_(links), ends_(ends), field_(field), onlyTwoEnds_(onlyTwoEnds), expanded_(ends.PointCount(), 0) {}

    void from(uint16_t start) {
        const int16_t value = get(link(links_, start), field_);
        pending_.assign(1, start);
        while (!pending_.empty()) {
            const uint16_t at = pending_.back();
            pending_.pop_back();
            for (const int side : {0, 1}) {
                const uint32_t point = ends_.PointOf(at, side);
                const EndIndex::Ends here = ends_.AtPoint(point);
                if (onlyTwoEnds_ && here.size() != 2) continue;
                if (expanded_[point]) continue;
                expanded_[point] = 1;
                for (const uint16_t j : here) {
                    TConnectionRecord& other = link(links_, j);
                    if (get(other, field_) != -1) continue;
                    set(other, field_, value);
                    pending_.push_back(j);
                }
            }
        }
    }

private:
    TMenObj& links_;
    const EndIndex& ends_;
    Field field_;
    bool onlyTwoEnds_;
    // Every connection at an expanded point holds a number already.
    std::vector<uint8_t> expanded_;  // by point number
    std::vector<uint16_t> pending_;
};

uint32_t packPoint(int32_t x, int32_t y) { return uint32_t(uint16_t(x)) | (uint32_t(uint16_t(y)) << 16); }

// A line type a pin gave to a connection at its point.
struct Given {
    uint16_t link;
    int16_t lineType;
};

// The blocks bound since IndexConnections last began (LastBoundBlocks).
uint32_t g_boundBlocks = 0;

// Writes each pin's net number into its field of the block's data, and the
// pin's line type into the connections at its point; given, when there, gets
// those line types in the order they were written.
void bindPins(TMenObj& links, const EndIndex& ends, TBlockRecord& block, std::vector<Given>* given) {
    ++g_boundBlocks;
    const auto* description = static_cast<const TStruct*>(block.Block.Struct);
    void* data = block.Block.Data;
    TMenObj* pins = block.Pins;
    if (!description || !data || !pins) return;
    const std::string unbound = std::to_string(kUnboundPin);
    for (uint16_t p = 0; p < pins->Count; ++p) {
        TPinRecord pin;
        std::memcpy(&pin, pins->GetItem(p), sizeof pin);
        const EndIndex::Ends here = ends.At(packPoint(block.Left + pin.X, block.Top + pin.Y));
        for (const uint16_t j : here) {
            link(links, j).LineType = pin.LineType;
            if (given) given->push_back({j, pin.LineType});
        }
        // The field takes the net of the last connection at the pin whose
        // number it can hold, else the unbound mark; a field that takes
        // neither keeps its value.
        bool stored = false;
        for (auto j = here.rbegin(); j != here.rend() && !stored; ++j)
            stored = description->SetValue(data, pin.FieldIndex,
                                           std::to_string(uint16_t(link(links, *j).NetIndex)).c_str()) == 0;
        if (!stored) description->SetValue(data, pin.FieldIndex, unbound.c_str());
    }
}

// What indexing read and wrote on one sheet, kept for the next indexing in
// the pointer and paint slots.
struct SheetMemo {
    const TSheetRecord* sheet = nullptr;
    const TMenObj* links = nullptr;
    const void* linkItems = nullptr;
    TBlockWatch blocks;                 // the block list as it was bound
    int next = 0, after = 0;            // the first net number and the one after the sheet's nets
    std::vector<uint32_t> points;       // PointA and PointB of every connection
    std::vector<int16_t> nets, chains;  // the numbers given
    std::vector<uint32_t> givenFrom;    // where each block's line types start in given, and the end
    std::vector<Given> given;
    std::unique_ptr<EndIndex> ends;
};

// The last indexing run inside a slot that notes its block edits. Until
// anything else runs (the journal's watch) and while no block picture was
// drawn again (pins and sizes stay), the blocks not noted since hold what
// that indexing wrote, and each still gives the line types it gave: on a
// sheet whose connections lie where they lay, only the noted blocks are
// bound again.
struct IndexMemo {
    bool valid = false;
    uint64_t pictures = 0;
    std::vector<SheetMemo> sheets;
};

IndexMemo& memo() {
    static IndexMemo m;
    return m;
}

void spreadLineTypes(TMenObj& links, const EndIndex& ends) {
    Spread lineTypes(links, ends, Field::LineType, false);
    for (uint16_t i = 0; i < links.Count; ++i)
        if (link(links, i).LineType != -1) lineTypes.from(i);
}

int indexSheet(TSheetRecord* sheet, int next, SheetMemo* keep) {
    if (!sheet || !sheet->Links || next < 0) return -1;
    const int first = next;
    TMenObj& links = *sheet->Links;
    for (uint16_t i = 0; i < links.Count; ++i) {
        TConnectionRecord& c = link(links, i);
        c.NetIndex = -1;
        c.Chain = -1;
        c.LineType = -1;
    }
    auto ends = std::make_unique<EndIndex>(links);
    Spread nets(links, *ends, Field::Net, false);
    Spread chains(links, *ends, Field::Chain, true);
    int chain = 0;
    for (uint16_t i = 0; i < links.Count; ++i) {
        TConnectionRecord& c = link(links, i);
        if (c.NetIndex == -1) {
            if (next >= kMaxNets) {
                Log(ZO_RU("Превышено число соединений проекта (") + std::to_string(kMaxNets) + ZO_RU(") на схеме ") +
                        Q + sheetName(*sheet) + Q,
                    kLogError);
                return -1;
            }
            // Numbers above 32767 are kept as their 16-bit pattern.
            c.NetIndex = int16_t(uint16_t(next++));
            nets.from(i);
        }
        if (c.Chain == -1) {
            c.Chain = int16_t(uint16_t(chain++));
            chains.from(i);
        }
    }
    std::vector<uint32_t> givenFrom;
    std::vector<Given> given;
    if (TMenObj* blocks = sheet->Blocks)
        for (uint16_t b = 0; b < blocks->Count; ++b) {
            if (keep) givenFrom.push_back(uint32_t(given.size()));
            bindPins(links, *ends, *static_cast<TBlockRecord*>(blocks->GetItem(b)), keep ? &given : nullptr);
        }
    spreadLineTypes(links, *ends);
    if (keep) {
        givenFrom.push_back(uint32_t(given.size()));
        SheetMemo& m = *keep;
        m.sheet = sheet;
        m.links = sheet->Links;
        m.linkItems = links.Data;
        if (sheet->Blocks) m.blocks.Take(*sheet->Blocks);
        else m.blocks.Forget();
        m.next = first;
        m.after = next;
        m.points.resize(size_t(links.Count) * 2);
        m.nets.resize(links.Count);
        m.chains.resize(links.Count);
        for (uint16_t i = 0; i < links.Count; ++i) {
            const TConnectionRecord& c = link(links, i);
            m.points[size_t(i) * 2] = c.PointA;
            m.points[size_t(i) * 2 + 1] = c.PointB;
            m.nets[i] = c.NetIndex;
            m.chains[i] = c.Chain;
        }
        m.givenFrom = std::move(givenFrom);
        m.given = std::move(given);
        m.ends = std::move(ends);
    }
    return next;
}

// The sheet indexed from its memo: its connections lie where they lay and
// are numbered from the same number, so they get the numbers they got; the
// blocks noted since are bound again, the others give their line types as
// before. False, with nothing written, when the memo does not hold.
bool reindexSheet(TSheetRecord* sheet, int next, SheetMemo& m) {
    if (!sheet || m.sheet != sheet || !m.ends || m.next != next || sheet->Links != m.links || !sheet->Blocks)
        return false;
    TMenObj& links = *sheet->Links;
    TMenObj& blocks = *sheet->Blocks;
    std::vector<uint16_t> noted;
    if (links.Data != m.linkItems || size_t(links.Count) * 2 != m.points.size() ||
        m.givenFrom.size() != size_t(blocks.Count) + 1 || !m.blocks.Since(blocks, noted))
        return false;
    for (uint16_t i = 0; i < links.Count; ++i) {
        const TConnectionRecord& c = link(links, i);
        if (c.PointA != m.points[size_t(i) * 2] || c.PointB != m.points[size_t(i) * 2 + 1]) return false;
    }
    for (uint16_t i = 0; i < links.Count; ++i) {
        TConnectionRecord& c = link(links, i);
        c.NetIndex = m.nets[i];
        c.Chain = m.chains[i];
        c.LineType = -1;
    }
    std::vector<uint32_t> givenFrom;
    std::vector<Given> given;
    givenFrom.reserve(size_t(blocks.Count) + 1);
    given.reserve(m.given.size());
    auto again = noted.begin();
    for (uint16_t b = 0; b < blocks.Count; ++b) {
        givenFrom.push_back(uint32_t(given.size()));
        if (again != noted.end() && *again == b) {
            ++again;
            bindPins(links, *m.ends, *static_cast<TBlockRecord*>(blocks.GetItem(b)), &given);
            continue;
        }
        for (uint32_t k = m.givenFrom[b]; k < m.givenFrom[size_t(b) + 1]; ++k) {
            link(links, m.given[k].link).LineType = m.given[k].lineType;
            given.push_back(m.given[k]);
        }
    }
    givenFrom.push_back(uint32_t(given.size()));
    m.givenFrom = std::move(givenFrom);
    m.given = std::move(given);
    m.blocks.Take(blocks);
    spreadLineTypes(links, *m.ends);
    return true;
}

}  // namespace

int IndexSheetConnections(TSheetRecord* sheet, int next) { return indexSheet(sheet, next, nullptr); }

uint32_t LastBoundBlocks() { return g_boundBlocks; }

int IndexConnections() {
    IndexMemo& m = memo();
    g_boundBlocks = 0;
    try {
        TMenObj& sheets = State().sheets;
        const bool noting = BlockEdits().Noting();
        const bool reuse = noting && m.valid && m.pictures == BlockPictureGeneration() && m.sheets.size() == sheets.Count;
        m.valid = false;
        if (!noting) m.sheets.clear();
        else m.sheets.resize(sheets.Count);
        int next = 0;
        for (uint16_t i = 0; i < sheets.Count; ++i) {
            auto* sheet = static_cast<TSheetRecord*>(sheets.GetItem(i));
            if (reuse && reindexSheet(sheet, next, m.sheets[i])) {
                next = m.sheets[i].after;
                continue;
            }
            next = indexSheet(sheet, next, noting ? &m.sheets[i] : nullptr);
            if (next < 0) {
                m.sheets.clear();
                Log(ZO_RU("Ошибка индексации соеденений схемы ") + Q + sheetName(*sheet) + Q, kLogError);
                return -1;
            }
        }
        m.valid = noting;
        m.pictures = BlockPictureGeneration();
        return next;
    } catch (...) {
        m.valid = false;
        m.sheets.clear();
        return -1;
    }
}

}  // namespace zo::kernel
