// The dock tree of a site as zones: read from and written to the zone items,
// made from where panels lie, pruned of unknown panels, and shared out over a
// site of another size.
#include "configurator/windows/DockZones.h"

#include <gtest/gtest.h>

namespace zo::configurator {
namespace {

// A left site 240 x 600: A on top (to 300), below it B (to 120) beside C.
TDockLayout nestedLayout() {
    TDockLayout layout;
    layout.TopLimit = 600;
    layout.Zones = {{0, kZoneStacked, 240, ""}, {1, kZoneNoOrientation, 300, "A"}, {1, kZoneSideBySide, 600, ""},
                    {2, kZoneNoOrientation, 120, "B"}, {2, kZoneNoOrientation, 240, "C"}};
    return layout;
}

std::vector<std::string> names(const TZoneNode& node) {
    if (node.IsPanel()) return {node.Name};
    std::vector<std::string> out;
    for (const TZoneNode& child : node.Children)
        for (std::string& name : names(child)) out.push_back(std::move(name));
    return out;
}

TEST(DockZones, ItemsReadAsATreeAndWrittenBackLevelByLevel) {
    const TDockLayout layout = nestedLayout();
    const std::optional<TZoneTree> tree = ReadZoneTree(layout);
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->TopLimit, 600);
    ASSERT_EQ(tree->Top.Children.size(), 2u);
    EXPECT_EQ(tree->Top.Children[1].Orientation, kZoneSideBySide);
    EXPECT_EQ(names(tree->Top), (std::vector<std::string>{"A", "B", "C"}));
    TDockLayout written;
    WriteZoneTree(*tree, written);
    ASSERT_EQ(written.Zones.size(), layout.Zones.size());
    for (size_t i = 0; i < layout.Zones.size(); ++i) {
        EXPECT_EQ(written.Zones[i].Level, layout.Zones[i].Level) << i;
        EXPECT_EQ(written.Zones[i].Limit, layout.Zones[i].Limit) << i;
        EXPECT_EQ(written.Zones[i].Name, layout.Zones[i].Name) << i;
    }
    // A jump of two levels counts as one deeper; its follower at the same level is its sibling.
    TDockLayout jumping;
    jumping.Zones = {{0, kZoneStacked, 100, ""}, {3, 0, 50, "X"}, {3, 0, 100, "Y"}, {0, 0, 100, "Z"}};
    const std::optional<TZoneTree> jumped = ReadZoneTree(jumping);
    ASSERT_TRUE(jumped);
    EXPECT_EQ(jumped->Top.Children.size(), 3u);  // the second top zone joins the first one's children
    EXPECT_EQ(names(jumped->Top), (std::vector<std::string>{"X", "Y", "Z"}));
    EXPECT_FALSE(ReadZoneTree(TDockLayout()));
}

TEST(DockZones, PanelsAsTheyLieGiveTheNestedTree) {
    // Qt leaves a few pixels between panels; the gap is shared.
    const TZoneTree tree =
        ZoneTreeOf({{"C", {124, 304, 240, 600}}, {"A", {0, 0, 240, 296}}, {"B", {0, 304, 116, 600}}},
                   QSize(240, 600), kZoneStacked);
    EXPECT_EQ(tree.TopLimit, 600);
    EXPECT_EQ(tree.Top.Limit, 240);
    EXPECT_EQ(tree.Top.Orientation, kZoneStacked);
    ASSERT_EQ(tree.Top.Children.size(), 2u);
    EXPECT_EQ(tree.Top.Children[0].Name, "A");
    EXPECT_EQ(tree.Top.Children[0].Limit, 300);
    const TZoneNode& lower = tree.Top.Children[1];
    EXPECT_EQ(lower.Orientation, kZoneSideBySide);
    EXPECT_EQ(lower.Limit, 600);
    ASSERT_EQ(lower.Children.size(), 2u);
    EXPECT_EQ(lower.Children[0].Name, "B");
    EXPECT_EQ(lower.Children[0].Limit, 120);
    EXPECT_EQ(lower.Children[1].Limit, 240);
    // A bottom site sets its panels side by side; panels lying on each other are stacked in order.
    EXPECT_EQ(ZoneTreeOf({{"L", {0, 0, 300, 150}}, {"R", {306, 0, 600, 150}}}, QSize(600, 150), kZoneSideBySide)
                  .Top.Orientation,
              kZoneSideBySide);
    const TZoneTree piled = ZoneTreeOf({{"P", {0, 0, 100, 100}}, {"Q", {0, 0, 100, 100}}}, QSize(100, 100), kZoneStacked);
    EXPECT_EQ(names(piled.Top), (std::vector<std::string>{"P", "Q"}));
    EXPECT_EQ(piled.Top.Children[0].Limit, 50);
}

TEST(DockZones, PlacesShareAnotherSiteAsTheLimitsDid) {
    const std::optional<TZoneTree> tree = ReadZoneTree(nestedLayout());
    ASSERT_TRUE(tree);
    const std::vector<TPanelPlace> places = ZonePlaces(*tree, QSize(480, 300), 0);
    ASSERT_EQ(places.size(), 3u);
    EXPECT_EQ(places[0].Rect, (TEdges{0, 0, 480, 150}));
    EXPECT_EQ(places[1].Rect, (TEdges{0, 150, 240, 300}));
    EXPECT_EQ(places[2].Rect, (TEdges{240, 150, 480, 300}));
    // The gap is taken from each zone before the next.
    const std::vector<TPanelPlace> gapped = ZonePlaces(*tree, QSize(480, 300), 4);
    EXPECT_EQ(gapped[0].Rect, (TEdges{0, 0, 480, 146}));
    EXPECT_EQ(gapped[1].Rect, (TEdges{0, 150, 236, 300}));
    // Limits out of order or a saved size of nothing still place every panel inside the site.
    TDockLayout broken = nestedLayout();
    broken.TopLimit = 0;
    for (const TPanelPlace& p : ZonePlaces(*ReadZoneTree(broken), QSize(200, 100), 0)) {
        EXPECT_GE(p.Rect.Left, 0);
        EXPECT_LE(p.Rect.Right, 200);
        EXPECT_LE(p.Rect.Left, p.Rect.Right);
        EXPECT_LE(p.Rect.Bottom, 100);
    }
}

TEST(DockZones, PruningDropsUnknownPanelsAndCollapsesSingleZones) {
    std::optional<TZoneTree> tree = ReadZoneTree(nestedLayout());
    ASSERT_TRUE(tree);
    ASSERT_TRUE(PruneZoneTree(*tree, [](const std::string& name) { return name != "B"; }));
    ASSERT_EQ(tree->Top.Children.size(), 2u);
    EXPECT_EQ(tree->Top.Children[1].Name, "C");  // the zone of B and C is C alone
    EXPECT_EQ(tree->Top.Children[1].Limit, 600);
    // Only B beside C left: the top zone becomes their side-by-side zone.
    tree = ReadZoneTree(nestedLayout());
    ASSERT_TRUE(PruneZoneTree(*tree, [](const std::string& name) { return name != "A"; }));
    EXPECT_EQ(tree->Top.Orientation, kZoneSideBySide);
    EXPECT_EQ(tree->TopLimit, 240);
    EXPECT_EQ(tree->Top.Limit, 600);
    const std::vector<TPanelPlace> places = ZonePlaces(*tree, QSize(240, 600), 0);
    ASSERT_EQ(places.size(), 2u);
    EXPECT_EQ(places[0].Rect, (TEdges{0, 0, 120, 600}));
    // A panel named twice keeps its first place; nothing known leaves nothing.
    TDockLayout twice = nestedLayout();
    twice.Zones[4].Name = "A";
    tree = ReadZoneTree(twice);
    ASSERT_TRUE(PruneZoneTree(*tree, [](const std::string&) { return true; }));
    EXPECT_EQ(names(tree->Top), (std::vector<std::string>{"A", "B"}));
    tree = ReadZoneTree(nestedLayout());
    EXPECT_FALSE(PruneZoneTree(*tree, [](const std::string&) { return false; }));
}

}  // namespace
}  // namespace zo::configurator
