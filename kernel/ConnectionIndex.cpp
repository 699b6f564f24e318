#include "kernel/ConnectionIndex.h"

#include "common/Struct.h"
#include "common/abi/BlockRecord.h"
#include "common/abi/ConnectionRecord.h"
#include "common/abi/PinRecord.h"
#include "common/abi/SheetRecord.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "platform/Cp1251.h"

#include <cstring>
#include <new>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace zo::kernel {

namespace {

TConnectionRecord& link(TMenObj& links, uint16_t index) {
    return *static_cast<TConnectionRecord*>(links.GetItem(index));
}

std::string sheetName(const TSheetRecord& sheet) { return std::string(sheet.Name, strnlen(sheet.Name, sizeof sheet.Name)); }

// The connection ends of a sheet by point: one entry per end, so a point where
// exactly two ends meet holds two entries.
class EndIndex {
public:
    explicit EndIndex(TMenObj& links) {
        ends_.reserve(size_t(links.Count) * 2);
        for (uint16_t i = 0; i < links.Count; ++i) {
            const uint32_t a = link(links, i).PointA;
            const uint32_t b = link(links, i).PointB;
            ends_[a].push_back(i);
            ends_[b].push_back(i);
        }
    }
    const std::vector<uint16_t>& at(uint32_t point) const {
        const auto found = ends_.find(point);
        return found == ends_.end() ? none_ : found->second;
    }

private:
    std::unordered_map<uint32_t, std::vector<uint16_t>> ends_;
    std::vector<uint16_t> none_;
};

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
        : links_(links), ends_(ends), field_(field), onlyTwoEnds_(onlyTwoEnds) {}

    void from(uint16_t start) {
        const int16_t value = get(link(links_, start), field_);
        std::vector<uint16_t> pending{start};
        while (!pending.empty()) {
            const TConnectionRecord& c = link(links_, pending.back());
            pending.pop_back();
            for (const uint32_t point : {uint32_t(c.PointA), uint32_t(c.PointB)}) {
                const std::vector<uint16_t>& here = ends_.at(point);
                if (onlyTwoEnds_ && here.size() != 2) continue;
                if (!expanded_.insert(point).second) continue;
                for (const uint16_t j : here) {
                    TConnectionRecord& other = link(links_, j);
                    if (get(other, field_) != -1) continue;
                    set(other, field_, value);
                    pending.push_back(j);
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
    std::unordered_set<uint32_t> expanded_;
};

uint32_t packPoint(int32_t x, int32_t y) { return uint32_t(uint16_t(x)) | (uint32_t(uint16_t(y)) << 16); }

// Writes each pin's net number into its field of the block's data, and the
// pin's line type into the connections at its point.
void bindPins(TMenObj& links, const EndIndex& ends, TBlockRecord& block) {
    const auto* description = static_cast<const TStruct*>(block.Block.Struct);
    void* data = block.Block.Data;
    TMenObj* pins = block.Pins;
    if (!description || !data || !pins) return;
    const std::string unbound = std::to_string(kUnboundPin);
    for (uint16_t p = 0; p < pins->Count; ++p) {
        TPinRecord pin;
        std::memcpy(&pin, pins->GetItem(p), sizeof pin);
        description->SetValue(data, pin.FieldIndex, unbound.c_str());
        for (const uint16_t j : ends.at(packPoint(block.Left + pin.X, block.Top + pin.Y))) {
            TConnectionRecord& c = link(links, j);
            description->SetValue(data, pin.FieldIndex, std::to_string(uint16_t(c.NetIndex)).c_str());
            c.LineType = pin.LineType;
        }
    }
}

}  // namespace

int IndexSheetConnections(TSheetRecord* sheet, int next) {
    if (!sheet || !sheet->Links || next < 0) return -1;
    TMenObj& links = *sheet->Links;
    for (uint16_t i = 0; i < links.Count; ++i) {
        TConnectionRecord& c = link(links, i);
        c.NetIndex = -1;
        c.Chain = -1;
        c.LineType = -1;
    }
    const EndIndex ends(links);
    Spread nets(links, ends, Field::Net, false);
    Spread chains(links, ends, Field::Chain, true);
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
    if (TMenObj* blocks = sheet->Blocks)
        for (uint16_t b = 0; b < blocks->Count; ++b)
            bindPins(links, ends, *static_cast<TBlockRecord*>(blocks->GetItem(b)));
    Spread lineTypes(links, ends, Field::LineType, false);
    for (uint16_t i = 0; i < links.Count; ++i)
        if (link(links, i).LineType != -1) lineTypes.from(i);
    return next;
}

int IndexConnections() {
    try {
        TMenObj& sheets = State().sheets;
        int next = 0;
        for (uint16_t i = 0; i < sheets.Count; ++i) {
            auto* sheet = static_cast<TSheetRecord*>(sheets.GetItem(i));
            next = IndexSheetConnections(sheet, next);
            if (next < 0) {
                Log(ZO_RU("Ошибка индексации соеденений схемы ") + Q + sheetName(*sheet) + Q, kLogError);
                return -1;
            }
        }
        return next;
    } catch (...) {
        return -1;
    }
}

}  // namespace zo::kernel
