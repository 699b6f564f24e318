#include "configurator/windows/DockZones.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace zo::configurator {
namespace {

// ---- reading and writing the zone items ----

// The item at i and the deeper items that follow it, as one zone.
TZoneNode readZone(const std::vector<TDockZone>& items, size_t& i) {
    const TDockZone& item = items[i++];
    TZoneNode node{item.Orientation, item.Limit, item.Name, {}};
    while (i < items.size() && items[i].Level > item.Level) node.Children.push_back(readZone(items, i));
    return node;
}

void writeZone(const TZoneNode& node, int32_t level, std::vector<TDockZone>& items) {
    items.push_back({level, node.Orientation, node.Limit, node.Name});
    for (const TZoneNode& child : node.Children) writeZone(child, level + 1, items);
}

// ---- axes ----

bool sideBySide(uint8_t orientation) { return orientation == kZoneSideBySide; }
uint8_t across(uint8_t orientation) { return sideBySide(orientation) ? kZoneStacked : kZoneSideBySide; }
int startOf(const TEdges& r, uint8_t o) { return sideBySide(o) ? r.Left : r.Top; }
int endOf(const TEdges& r, uint8_t o) { return sideBySide(o) ? r.Right : r.Bottom; }
TEdges withRange(TEdges r, uint8_t o, int start, int end) {
    if (sideBySide(o)) {
        r.Left = start;
        r.Right = end;
    } else {
        r.Top = start;
        r.Bottom = end;
    }
    return r;
}

// ---- the tree of placed panels ----

using Group = std::vector<TPanelPlace>;

// The panels in runs along the axis, a new run where a panel starts at or
// beyond the end of every panel before it.
std::vector<Group> runsAlong(Group panels, uint8_t o) {
    std::stable_sort(panels.begin(), panels.end(), [o](const TPanelPlace& a, const TPanelPlace& b) {
        return startOf(a.Rect, o) < startOf(b.Rect, o);
    });
    std::vector<Group> runs;
    int end = 0;
    for (TPanelPlace& p : panels) {
        if (runs.empty() || startOf(p.Rect, o) >= end) {
            runs.emplace_back();
            end = endOf(p.Rect, o);
        }
        end = std::max(end, endOf(p.Rect, o));
        runs.back().push_back(std::move(p));
    }
    return runs;
}

TZoneNode splitZone(Group panels, const TEdges& area, uint8_t preferred) {
    if (panels.size() == 1) return {kZoneNoOrientation, 0, panels.front().Name, {}};
    uint8_t o = preferred;
    std::vector<Group> runs = runsAlong(panels, o);
    if (runs.size() < 2) {
        o = across(preferred);
        runs = runsAlong(panels, o);
    }
    const bool overlapping = runs.size() < 2;
    if (overlapping) {
        // No line runs between them: stacked in their order, sharing alike.
        o = preferred;
        runs.clear();
        for (TPanelPlace& p : panels) runs.push_back({std::move(p)});
    }
    TZoneNode node{o, 0, {}, {}};
    const int start = startOf(area, o), extent = endOf(area, o) - start;
    int from = start;
    for (size_t i = 0; i < runs.size(); ++i) {
        int limit = endOf(area, o);
        if (i + 1 < runs.size()) {
            if (overlapping) {
                limit = start + int(int64_t(extent) * int64_t(i + 1) / int64_t(runs.size()));
            } else {
                int end = from;
                for (const TPanelPlace& p : runs[i]) end = std::max(end, endOf(p.Rect, o));
                // The gap between two runs is shared between them.
                limit = (end + startOf(runs[i + 1].front().Rect, o)) / 2;
            }
        }
        TZoneNode child = splitZone(std::move(runs[i]), withRange(area, o, from, limit), across(o));
        child.Limit = limit;
        node.Children.push_back(std::move(child));
        from = limit;
    }
    return node;
}

// ---- pruning ----

bool pruneZone(TZoneNode& node, const std::function<bool(const std::string&)>& known) {
    if (node.IsPanel()) return !node.Name.empty() && known(node.Name);
    std::vector<TZoneNode> kept;
    for (TZoneNode& child : node.Children)
        if (pruneZone(child, known)) kept.push_back(std::move(child));
    if (kept.empty()) return false;
    // The last one kept reaches to the zone's end (ZonePlaces gives it that).
    if (kept.size() == 1) {
        const int32_t limit = node.Limit;
        TZoneNode only = std::move(kept.front());
        node = std::move(only);
        node.Limit = limit;
        return true;
    }
    node.Children = std::move(kept);
    return true;
}

// ---- placing ----

int scaled(int64_t offset, int64_t target, int64_t saved) {
    return int(std::nearbyint(double(offset) * double(target) / double(saved)));
}

void placeZone(const TZoneNode& node, const TEdges& saved, const TEdges& target, int gap, std::vector<TPanelPlace>& out) {
    if (node.IsPanel()) {
        if (!node.Name.empty()) out.push_back({node.Name, target});
        return;
    }
    const uint8_t o = node.Orientation == kZoneNoOrientation ? kZoneStacked : node.Orientation;
    const int b0 = startOf(saved, o), b1 = endOf(saved, o);
    const int t0 = startOf(target, o), t1 = endOf(target, o);
    const size_t n = node.Children.size();
    int from = b0, to = t0;
    for (size_t i = 0; i < n; ++i) {
        const TZoneNode& child = node.Children[i];
        const int limit = i + 1 == n ? b1 : std::clamp(child.Limit, from, std::max(from, b1));
        const int end = i + 1 == n ? t1
                        : b1 > b0   ? t0 + scaled(limit - b0, t1 - t0, b1 - b0)
                                    : t0 + int(int64_t(t1 - t0) * int64_t(i + 1) / int64_t(n));
        const int shown = i + 1 == n ? end : end - gap;
        placeZone(child, withRange(saved, o, from, limit), withRange(target, o, to, std::max(to, shown)), gap, out);
        from = limit;
        to = std::max(to, end);
    }
}

// The saved area of the tree: the top zone's extent across its axis and the
// top limit along it.
TEdges savedArea(const TZoneTree& tree) {
    return sideBySide(tree.Top.Orientation) ? TEdges{0, 0, tree.TopLimit, tree.Top.Limit}
                                            : TEdges{0, 0, tree.Top.Limit, tree.TopLimit};
}

}  // namespace

std::optional<TZoneTree> ReadZoneTree(const TDockLayout& layout) {
    if (layout.Zones.empty()) return std::nullopt;
    TZoneTree tree;
    tree.TopLimit = layout.TopLimit;
    size_t i = 0;
    tree.Top = readZone(layout.Zones, i);
    while (i < layout.Zones.size()) tree.Top.Children.push_back(readZone(layout.Zones, i));
    return tree;
}

void WriteZoneTree(const TZoneTree& tree, TDockLayout& layout) {
    layout.TopLimit = tree.TopLimit;
    layout.Zones.clear();
    writeZone(tree.Top, 0, layout.Zones);
}

TZoneTree ZoneTreeOf(std::vector<TPanelPlace> panels, QSize site, uint8_t preferred) {
    if (preferred != kZoneSideBySide) preferred = kZoneStacked;
    const TEdges area{0, 0, site.width(), site.height()};
    TZoneTree tree;
    if (panels.empty()) {
        tree.Top = {preferred, 0, {}, {}};
    } else if (panels.size() == 1) {
        // One panel fills the site: a top zone holding it.
        tree.Top = {preferred, 0, {}, {{kZoneNoOrientation, endOf(area, preferred), panels.front().Name, {}}}};
    } else {
        tree.Top = splitZone(std::move(panels), area, preferred);
    }
    tree.TopLimit = endOf(area, tree.Top.Orientation);
    tree.Top.Limit = endOf(area, across(tree.Top.Orientation));
    return tree;
}

bool PruneZoneTree(TZoneTree& tree, const std::function<bool(const std::string&)>& known) {
    const TEdges area = savedArea(tree);
    std::set<std::string> seen;
    // A panel named twice takes the first place only.
    const auto once = [&](const std::string& name) { return known(name) && seen.insert(name).second; };
    if (!pruneZone(tree.Top, once)) return false;
    // The top zone may now split along the other axis: its limits follow.
    const uint8_t o = tree.Top.Orientation == kZoneNoOrientation ? kZoneStacked : tree.Top.Orientation;
    tree.TopLimit = endOf(area, o);
    tree.Top.Limit = endOf(area, across(o));
    return true;
}

std::vector<TPanelPlace> ZonePlaces(const TZoneTree& tree, QSize site, int gap) {
    std::vector<TPanelPlace> places;
    placeZone(tree.Top, savedArea(tree), {0, 0, site.width(), site.height()}, std::max(0, gap), places);
    return places;
}

}  // namespace zo::configurator
