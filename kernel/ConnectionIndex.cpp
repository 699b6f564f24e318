#include "kernel/ConnectionIndex.h"

#include "common/Struct.h"
#include "common/abi/BlockRecord.h"
#include "common/abi/ConnectionRecord.h"
#include "common/abi/PinRecord.h"
#include "common/abi/SheetRecord.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "platform/Cp1251.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <span>
#include <string>
#include <vector>

namespace zo::kernel {

namespace {

TConnectionRecord& link(TMenObj& links, uint16_t index) {
    return *static_cast<TConnectionRecord*>(links.GetItem(index));
}

std::string sheetName(const TSheetRecord& sheet) { return std::string(sheet.Name, strnlen(sheet.Name, sizeof sheet.Name)); }

// The connection ends of a sheet by point: one entry per end, so a point where
// exactly two ends meet holds two entries, in the order of the connections
// (PointA before PointB). Flat arrays: one sort, no allocation a point.
class EndIndex {
public:
    // The connections whose ends lie at one point.
    using Ends = std::span<const uint16_t>;

    explicit EndIndex(TMenObj& links) {
        const size_t n = links.Count;
        std::vector<uint64_t> keys(n * 2);  // point, then end number (connection * 2 + side)
        for (uint16_t i = 0; i < links.Count; ++i) {
            keys[size_t(i) * 2] = (uint64_t(link(links, i).PointA) << 32) | (uint32_t(i) * 2);
            keys[size_t(i) * 2 + 1] = (uint64_t(link(links, i).PointB) << 32) | (uint32_t(i) * 2 + 1);
        }
        std::sort(keys.begin(), keys.end());
        links_.resize(keys.size());
        pointOfEnd_.resize(keys.size());
        for (size_t k = 0; k < keys.size(); ++k) {
            const uint32_t point = uint32_t(keys[k] >> 32), end = uint32_t(keys[k]);
            if (points_.empty() || points_.back() != point) {
                points_.push_back(point);
                starts_.push_back(uint32_t(k));
            }
            links_[k] = uint16_t(end / 2);
            pointOfEnd_[end] = uint32_t(points_.size() - 1);
        }
        starts_.push_back(uint32_t(keys.size()));
    }
    size_t PointCount() const { return points_.size(); }
    // The point number of connection i's end (0 PointA, 1 PointB).
    uint32_t PointOf(uint16_t i, int side) const { return pointOfEnd_[size_t(i) * 2 + size_t(side)]; }
    Ends AtPoint(uint32_t number) const {
        return Ends(links_.data() + starts_[number], links_.data() + starts_[number + 1]);
    }
    Ends at(uint32_t point) const {
        const auto found = std::lower_bound(points_.begin(), points_.end(), point);
        if (found == points_.end() || *found != point) return Ends{};
        return AtPoint(uint32_t(found - points_.begin()));
    }

private:
    std::vector<uint32_t> points_;      // the points, ascending
    std::vector<uint32_t> starts_;      // where each point's ends start in links_, and the end
    std::vector<uint16_t> links_;       // the connection of each end, by point
    std::vector<uint32_t> pointOfEnd_;  // the point number of each end
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
