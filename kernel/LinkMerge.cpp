#include "kernel/LinkMerge.h"

#include "common/Geometry.h"
#include "common/MenObj.h"
#include "common/abi/ConnectionRecord.h"
#include "kernel/ConnectionIndex.h"
#include "kernel/EndIndex.h"
#include "kernel/SheetIndex.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zo::kernel {

namespace {

TConnectionRecord* linkAt(const TSheetRecord* sheet, uint16_t i) {
    return static_cast<TConnectionRecord*>(sheet->Links->GetItem(i));
}

void sortPoints(uint32_t& a, uint32_t& b) {
    if (PointX(b) < PointX(a) || (PointX(b) == PointX(a) && PointY(b) < PointY(a))) std::swap(a, b);
}

// Whether some segment continues another end to end where no third end is:
// the segment's PointA is another's PointB, both run the same way, and those
// two are the only ends at that point.
bool anyJoin(const std::vector<TConnectionRecord>& items) {
    const EndIndex ends(items);
    auto direction = [&items](uint16_t i) { return SegmentDirection(TZoSegment{items[i].PointA, items[i].PointB}); };
    // Segment b's PointB at the point, then segment a from its PointA on, the same way.
    auto continues = [&](uint16_t b, uint16_t a, uint32_t point) {
        const int dir = direction(a);
        return ends.PointOf(a, 0) == point && ends.PointOf(b, 1) == point && dir != kSegmentNone &&
               direction(b) == dir;
    };
    for (uint32_t point = 0; point < ends.PointCount(); ++point) {
        const EndIndex::Ends here = ends.AtPoint(point);
        if (here.size() != 2 || here[0] == here[1]) continue;
        if (continues(here[0], here[1], point) || continues(here[1], here[0], point)) return true;
    }
    return false;
}

// Joins the segments that continue one another, from the last segment back.
void join(std::vector<TConnectionRecord>& items, std::vector<bool>& alive) {
    const int32_t n = int32_t(items.size());
    std::unordered_map<uint32_t, int> ends;
    std::unordered_map<uint32_t, std::vector<int32_t>> byB;  // PointB -> segments
    for (int32_t i = 0; i < n; ++i) {
        const uint32_t a = items[size_t(i)].PointA, b = items[size_t(i)].PointB;  // (packed records)
        ++ends[a];
        ++ends[b];
        byB[b].push_back(i);
    }
    auto direction = [&](int32_t i) {
        return SegmentDirection(TZoSegment{items[size_t(i)].PointA, items[size_t(i)].PointB});
    };
    for (int32_t i = n - 1; i >= 0; --i) {
        const uint32_t a = items[size_t(i)].PointA, b = items[size_t(i)].PointB;
        const int dir = direction(i);
        if (dir == kSegmentNone || ends[a] != 2) continue;
        std::vector<int32_t>& at = byB[a];
        auto j = std::find_if(at.begin(), at.end(),
                              [&](int32_t k) { return k != i && alive[size_t(k)] && direction(k) == dir; });
        if (j == at.end()) continue;
        const int32_t k = *j;
        at.erase(j);
        items[size_t(k)].PointB = b;
        std::vector<int32_t>& atB = byB[b];
        atB.erase(std::remove(atB.begin(), atB.end(), i), atB.end());
        atB.push_back(k);
        ends[a] -= 2;
        alive[size_t(i)] = false;
    }
}

}  // namespace

int MergeLinks(TSheetRecord* sheet) {
    if (!sheet) return -1;
    if (sheet->Links) {
        TMenObj& links = *sheet->Links;
        const int32_t n = links.Count;
        std::vector<TConnectionRecord> items(static_cast<size_t>(n));
        for (int32_t i = 0; i < n; ++i) {
            TConnectionRecord& it = items[size_t(i)];
            it = *linkAt(sheet, uint16_t(i));
            uint32_t a = it.PointA, b = it.PointB;
            sortPoints(a, b);
            it.PointA = a;
            it.PointB = b;
        }
        if (anyJoin(items)) {
            std::vector<bool> alive(static_cast<size_t>(n), true);
            join(items, alive);
            links.Clear();
            for (int32_t i = 0; i < n; ++i)
                if (alive[size_t(i)]) links.AddItem(&items[size_t(i)]);
        } else {
            // Nothing to join (the usual case): the points are stored in order in place.
            for (int32_t i = 0; i < n; ++i) {
                TConnectionRecord& it = *linkAt(sheet, uint16_t(i));
                it.PointA = items[size_t(i)].PointA;
                it.PointB = items[size_t(i)].PointB;
            }
        }
    }
    IndexConnections();
    MarkSheetsChanged();
    return 0;
}

}  // namespace zo::kernel
