#pragma once
// The connection ends of a sheet by point: one entry per end, so a point where
// exactly two ends meet holds two entries, in the order of the connections
// (PointA before PointB). Flat arrays: one sort, no allocation a point, and a
// hash of the points for looking one up.

#include "common/abi/ConnectionRecord.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zo {
class TMenObj;
}

namespace zo::kernel {

class EndIndex {
public:
    // The connections whose ends lie at one point.
    using Ends = std::span<const uint16_t>;

    // Of a sheet's connection list.
    explicit EndIndex(const TMenObj& links);
    // Of connection records held apart.
    explicit EndIndex(std::span<const TConnectionRecord> links);

    size_t PointCount() const { return points_.size(); }
    // The point number of connection i's end (0 PointA, 1 PointB).
    uint32_t PointOf(uint16_t i, int side) const { return pointOfEnd_[size_t(i) * 2 + size_t(side)]; }
    Ends AtPoint(uint32_t number) const {
        return Ends(links_.data() + starts_[number], links_.data() + starts_[number + 1]);
    }
    // The connections with an end at the packed point (none when no end is there).
    Ends At(uint32_t point) const;

private:
    template <typename PointsOf>
    void build(size_t count, PointsOf pointsOf);
    size_t placeOf(uint32_t point) const { return size_t((point * 0x9E3779B1u) >> (32 - bits_)); }

    int bits_ = 1;
    std::vector<uint32_t> numbers_;     // point number + 1 by the point's hash place, 0 where none
    std::vector<uint32_t> points_;      // the points, ascending
    std::vector<uint32_t> starts_;      // where each point's ends start in links_, and the end
    std::vector<uint16_t> links_;       // the connection of each end, by point
    std::vector<uint32_t> pointOfEnd_;  // the point number of each end
};

}  // namespace zo::kernel
