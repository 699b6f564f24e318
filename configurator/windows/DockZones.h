#pragma once
// The dock tree of a site as a tree of zones, apart from any widget. A zone
// either holds one panel (a leaf, named after the panel) or splits its area
// among its child zones along one axis: orientation 1 (horizontal) stacks them
// one above the other, 2 (vertical) sets them side by side. A child's limit is
// where it ends along its parent's axis, in the site's client coordinates; the
// top zone's limit is the site's extent across the top zone's axis, and the
// tree's top limit its extent along it. In the stream the zones follow one
// another depth first, each with its level (the top zone 0).

#include "configurator/windows/CustomDockForm.h"
#include "configurator/windows/DockStreams.h"

#include <QSize>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zo::configurator {

inline constexpr uint8_t kZoneNoOrientation = 0;
inline constexpr uint8_t kZoneStacked = 1;     // children one above the other: limits are heights' ends
inline constexpr uint8_t kZoneSideBySide = 2;  // children side by side: limits are widths' ends

struct TZoneNode {
    uint8_t Orientation = kZoneNoOrientation;
    int32_t Limit = 0;
    std::string Name;  // the panel of a leaf
    std::vector<TZoneNode> Children;
    bool IsPanel() const { return Children.empty(); }
};

struct TZoneTree {
    int32_t TopLimit = 0;
    TZoneNode Top;
};

// A panel and where it lies in its site's client area.
struct TPanelPlace {
    std::string Name;
    TEdges Rect;
};

// The zone items of a layout as a tree; nothing when there are none. A level
// that jumps by more than one counts as one deeper; a second top zone joins
// the first one's children.
std::optional<TZoneTree> ReadZoneTree(const TDockLayout& layout);
// The tree as the layout's top limit and zone items.
void WriteZoneTree(const TZoneTree& tree, TDockLayout& layout);

// The tree of panels as they lie in a site of that size: each zone is split
// where a line runs between its panels, along preferred first at the top.
// Panels no line separates (one above another on top of each other) are
// stacked in their order.
TZoneTree ZoneTreeOf(std::vector<TPanelPlace> panels, QSize site, uint8_t preferred);

// Leaves whose panel is not known go, their room to the zone after them (or
// before the last); a zone left with one child becomes that child. False when
// no panel is left.
bool PruneZoneTree(TZoneTree& tree, const std::function<bool(const std::string&)>& known);

// Where each panel of the tree lies in a site of that size: every zone's
// share of its parent is the share its limits gave it, less gap pixels
// between it and the zone after it (room for the splitter between them).
std::vector<TPanelPlace> ZonePlaces(const TZoneTree& tree, QSize site, int gap);

}  // namespace zo::configurator
