#include "kernel/EndIndex.h"

#include "common/MenObj.h"

#include <algorithm>
#include <cstring>

namespace zo::kernel {

EndIndex::EndIndex(const TMenObj& links) {
    build(links.Count, [&links](size_t i, uint32_t& a, uint32_t& b) {
        TConnectionRecord c;
        std::memcpy(&c, links.GetItem(uint16_t(i)), sizeof c);
        a = c.PointA;
        b = c.PointB;
    });
}

EndIndex::EndIndex(std::span<const TConnectionRecord> links) {
    build(links.size(), [links](size_t i, uint32_t& a, uint32_t& b) {
        a = links[i].PointA;
        b = links[i].PointB;
    });
}

template <typename PointsOf>
void EndIndex::build(size_t count, PointsOf pointsOf) {
    std::vector<uint64_t> keys(count * 2);  // point, then end number (connection * 2 + side)
    for (size_t i = 0; i < count; ++i) {
        uint32_t a = 0, b = 0;
        pointsOf(i, a, b);
        keys[i * 2] = (uint64_t(a) << 32) | uint32_t(i * 2);
        keys[i * 2 + 1] = (uint64_t(b) << 32) | uint32_t(i * 2 + 1);
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
    // Twice as many hash places as points.
    while ((size_t(1) << bits_) < points_.size() * 2) ++bits_;
    numbers_.assign(size_t(1) << bits_, 0);
    const size_t mask = numbers_.size() - 1;
    for (uint32_t number = 0; number < points_.size(); ++number) {
        size_t place = placeOf(points_[number]);
        while (numbers_[place] != 0) place = (place + 1) & mask;
        numbers_[place] = number + 1;
    }
}

EndIndex::Ends EndIndex::At(uint32_t point) const {
    const size_t mask = numbers_.size() - 1;
    for (size_t place = placeOf(point); numbers_[place] != 0; place = (place + 1) & mask)
        if (points_[numbers_[place] - 1] == point) return AtPoint(numbers_[place] - 1);
    return Ends{};
}

}  // namespace zo::kernel
