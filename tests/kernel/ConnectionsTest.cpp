#include "EditingFixture.h"

#include "common/Geometry.h"
#include "common/MenObj.h"
#include "kernel/Connections.h"
#include "kernel/Gesture.h"
#include "kernel/KernelState.h"
#include "kernel/LinkMerge.h"
#include "kernel/MouseEditing.h"
#include "kernel/Selection.h"
#include "platform/Cp1251.h"

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <vector>

using namespace zo;
using namespace zo::kernel;
using namespace zo::test;

namespace {

class Connections : public EditingFixture {
protected:
    void SetUp() override {
        EditingFixture::SetUp();
        addSheet("S", 40, 30);
    }
    // A straight segment laid in mode 1 from cell to cell (pointer inside each cell).
    int32_t lay(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
        State().mode = kModeStraight;
        EXPECT_EQ(down("S", x1 * 12 + 5, y1 * 12 + 7), 0);
        EXPECT_EQ(move("S", x2 * 12 + 3, y2 * 12 + 9), 0);
        return up("S", x2 * 12 + 3, y2 * 12 + 9);
    }
    std::set<std::string> linkSet() {
        const std::vector<std::string> v = links("S");
        return {v.begin(), v.end()};
    }
    static uint32_t P(int32_t x, int32_t y) { return PackPoint(uint32_t(x), uint32_t(y)); }
};

}  // namespace

TEST_F(Connections, StraightSegmentIsStoredInOrderAndLogged) {
    EXPECT_EQ(lay(9, 4, 3, 4), 0);
    EXPECT_EQ(links("S"), std::vector<std::string>{"3,4-9,4"});
    const TConnectionRecord l = link("S", 0);
    EXPECT_EQ(l.Selected, 0);
    EXPECT_EQ(int64_t(l.NetIndex), 0);  // indexed after the change
    EXPECT_TRUE(log_.has("Добавляем соединение  S позиция-(3 ,4 ,9 ,4)"));
    EXPECT_EQ(State().layingLink.Count, 0);
    EXPECT_EQ(Gesture().layingLine, 0);
}

TEST_F(Connections, StraightPreviewFollowsThePointer) {
    State().mode = kModeStraight;
    ASSERT_EQ(down("S", 2 * 12, 2 * 12), 0);
    EXPECT_EQ(changed_, 0);
    ASSERT_EQ(move("S", 2 * 12, 7 * 12 + 11), 0);
    EXPECT_EQ(changed_, 1);
    ASSERT_EQ(State().layingLink.Count, 1);
    TConnectionRecord preview;
    std::memcpy(&preview, State().layingLink.GetItem(0), sizeof preview);
    EXPECT_EQ(int64_t(preview.PointA), P(2, 2));
    EXPECT_EQ(int64_t(preview.PointB), P(2, 7));
    EXPECT_EQ(int64_t(preview.LineType), 0);
    ASSERT_EQ(move("S", 5 * 12, 7 * 12), 0);  // diagonal: no preview
    EXPECT_EQ(State().layingLink.Count, 0);
}

TEST_F(Connections, ReleasingWhereItStartedStoresNothing) {
    EXPECT_EQ(lay(5, 5, 5, 5), -1);
    EXPECT_TRUE(links("S").empty());
    EXPECT_EQ(changed_, 1);
    EXPECT_EQ(lay(5, 5, 8, 9), -1);  // diagonal
    EXPECT_TRUE(links("S").empty());
    EXPECT_EQ(State().layingLink.Count, 0);  // no preview left behind
}

TEST_F(Connections, PointsOutsideTheSheetAreRefused) {
    State().mode = kModeStraight;
    // Pressed outside: nothing is being laid.
    ASSERT_EQ(down("S", kOutsideSheet, 5 * 12), 0);
    EXPECT_EQ(Gesture().layingLine, 0);
    EXPECT_EQ(up("S", 2 * 12, 5 * 12), -1);
    // Released outside: the segment is dropped, not stored at cell 5461.
    ASSERT_EQ(down("S", 2 * 12, 5 * 12), 0);
    ASSERT_EQ(move("S", 9 * 12, 5 * 12), 0);
    EXPECT_EQ(up("S", kOutsideSheet, 5 * 12), -1);
    EXPECT_TRUE(links("S").empty());
    EXPECT_EQ(State().layingLink.Count, 0);
    // Past the sheet's width (40 cells).
    ASSERT_EQ(down("S", 30 * 12, 5 * 12), 0);
    EXPECT_EQ(up("S", 45 * 12, 5 * 12), -1);
    EXPECT_TRUE(links("S").empty());
}

TEST_F(Connections, SegmentEndingInsideAnotherSplitsIt) {
    ASSERT_EQ(lay(2, 5, 10, 5), 0);
    ASSERT_EQ(lay(6, 1, 6, 5), 0);
    EXPECT_EQ(linkSet(), (std::set<std::string>{"2,5-6,5", "6,5-10,5", "6,1-6,5"}));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(int64_t(link("S", i).NetIndex), 0) << i;  // one net
    EXPECT_EQ(CountLinkEnds(sheet("S"), P(6, 5)), 3);
}

TEST_F(Connections, CollinearSegmentsMergeWhereNoThirdEndMeets) {
    ASSERT_EQ(lay(2, 3, 5, 3), 0);
    ASSERT_EQ(lay(5, 3, 9, 3), 0);
    EXPECT_EQ(links("S"), std::vector<std::string>{"2,3-9,3"});
    ASSERT_EQ(lay(4, 10, 4, 6), 0);
    ASSERT_EQ(lay(4, 10, 4, 14), 0);
    EXPECT_EQ(linkSet(), (std::set<std::string>{"2,3-9,3", "4,6-4,14"}));
    // A third end at the junction keeps the two apart.
    ASSERT_EQ(lay(20, 3, 24, 3), 0);
    ASSERT_EQ(lay(24, 0, 24, 3), 0);
    ASSERT_EQ(lay(24, 3, 28, 3), 0);
    EXPECT_EQ(linkSet(), (std::set<std::string>{"2,3-9,3", "4,6-4,14", "20,3-24,3", "24,0-24,3", "24,3-28,3"}));
}

TEST_F(Connections, MergeLinksStoresReversedSegmentsInOrderAndJoinsThem) {
    addLink("S", 9, 3, 5, 3);  // as a file might hold them
    addLink("S", 5, 3, 2, 3);
    addLink("S", 7, 8, 7, 1);
    ASSERT_EQ(MergeLinks(sheet("S")), 0);
    EXPECT_EQ(linkSet(), (std::set<std::string>{"2,3-9,3", "7,1-7,8"}));
    EXPECT_EQ(MergeLinks(nullptr), -1);
}

TEST_F(Connections, MergeFollowsAChainWhateverTheListOrder) {
    addLink("S", 6, 2, 8, 2);
    addLink("S", 1, 2, 3, 2);
    addLink("S", 8, 2, 12, 2);
    addLink("S", 3, 2, 6, 2);
    ASSERT_EQ(MergeLinks(sheet("S")), 0);
    EXPECT_EQ(links("S"), std::vector<std::string>{"1,2-12,2"});
}

// The joining rule written out plainly, a map of ends and one pass from the
// last segment back: what MergeLinks must leave, segment for segment.
std::vector<std::string> joinedPlainly(std::vector<std::pair<uint32_t, uint32_t>> segments) {
    auto x = [](uint32_t p) { return int(PointX(p)); };
    auto y = [](uint32_t p) { return int(PointY(p)); };
    for (auto& [a, b] : segments)
        if (x(b) < x(a) || (x(b) == x(a) && y(b) < y(a))) std::swap(a, b);
    auto direction = [&](size_t i) { return SegmentDirection(TZoSegment{segments[i].first, segments[i].second}); };
    std::map<uint32_t, int> ends;
    for (const auto& [a, b] : segments) ++ends[a], ++ends[b];
    std::vector<bool> alive(segments.size(), true);
    for (size_t i = segments.size(); i-- > 0;) {
        const uint32_t a = segments[i].first;
        if (direction(i) == kSegmentNone || ends[a] != 2) continue;
        for (size_t k = 0; k < segments.size(); ++k)
            if (k != i && alive[k] && segments[k].second == a && direction(k) == direction(i)) {
                segments[k].second = segments[i].second;
                ends[a] -= 2;
                alive[i] = false;
                break;
            }
    }
    std::vector<std::string> out;
    for (size_t i = 0; i < segments.size(); ++i)
        if (alive[i])
            out.push_back(std::to_string(x(segments[i].first)) + "," + std::to_string(y(segments[i].first)) + "-" +
                          std::to_string(x(segments[i].second)) + "," + std::to_string(y(segments[i].second)));
    return out;
}

TEST_F(Connections, MergeLinksJoinsAsThePlainRuleOnRandomSheets) {
    std::mt19937 random(7);
    auto coordinate = [&random] { return int32_t(random() % 6); };
    int joined = 0;
    for (int round = 0; round < 400; ++round) {
        clearSheet("S");
        std::vector<std::pair<uint32_t, uint32_t>> segments;
        const int count = 1 + int(random() % 8);
        int32_t lastX = 0, lastY = 0;
        for (int k = 0; k < count; ++k) {
            // Half of them go on from where the one before ended.
            const bool goOn = k > 0 && random() % 2;
            const int32_t x1 = goOn ? lastX : coordinate(), y1 = goOn ? lastY : coordinate();
            int32_t x2 = coordinate(), y2 = coordinate();
            const unsigned shape = random() % 5;  // 0: any two points, mostly askew
            if (shape == 1 || shape == 2) y2 = y1;
            if (shape >= 3) x2 = x1;
            lastX = x2;
            lastY = y2;
            addLink("S", x1, y1, x2, y2);
            segments.push_back({P(x1, y1), P(x2, y2)});
        }
        const std::vector<std::string> expected = joinedPlainly(segments);
        joined += expected.size() < segments.size();
        ASSERT_EQ(MergeLinks(sheet("S")), 0);
        ASSERT_EQ(links("S"), expected) << "round " << round;
    }
    EXPECT_GT(joined, 40) << "too few sheets with segments to join";
}

TEST_F(Connections, SplitLinkAtSplitsTheLastSegmentThroughThePoint) {
    addLink("S", 1, 1, 9, 1);
    addLink("S", 4, 0, 4, 6);
    addLink("S", 2, 1, 7, 1);  // also through (4, 1), later in the list
    ASSERT_EQ(SplitLinkAt(sheet("S"), P(4, 1)), 0);
    EXPECT_EQ(links("S"), (std::vector<std::string>{"1,1-9,1", "4,0-4,6", "4,1-7,1", "2,1-4,1"}));
    EXPECT_EQ(SplitLinkAt(sheet("S"), P(9, 1)), -1);  // an end point is not inside
    EXPECT_EQ(SplitLinkAt(sheet("S"), P(20, 20)), -1);
}

TEST_F(Connections, ChainsAndNetStates) {
    addLink("S", 1, 1, 5, 1);
    addLink("S", 5, 1, 5, 4);   // same chain (two ends meet)
    addLink("S", 5, 4, 8, 4);
    addLink("S", 5, 4, 5, 9);   // three ends at (5, 4): a new chain
    addLink("S", 20, 20, 25, 20);
    ASSERT_EQ(MergeLinks(sheet("S")), 0);
    ASSERT_EQ(links("S"), (std::vector<std::string>{"1,1-5,1", "5,1-5,4", "5,4-8,4", "5,4-5,9", "20,20-25,20"}));
    // A chain runs through points where two ends meet and ends where three do:
    // the first two segments make one, each branch at (5, 4) another.
    const int16_t chain = link("S", 0).Chain;
    const auto chainOf = [&](int i) { return int64_t(link("S", i).Chain); };
    EXPECT_EQ(chainOf(1), chain);
    for (int i = 2; i < 5; ++i) EXPECT_NE(chainOf(i), chain) << i;
    EXPECT_NE(chainOf(2), chainOf(3));
    ASSERT_EQ(SelectChain(sheet("S"), chain), 0);
    std::set<std::string> selected;
    for (int i = 0; i < sheet("S")->Links->Count; ++i)
        if (link("S", i).Selected) selected.insert(links("S")[size_t(i)]);
    EXPECT_EQ(selected, (std::set<std::string>{"1,1-5,1", "5,1-5,4"}));
    EXPECT_EQ(SelectChain(nullptr, 0), -1);

    const int16_t net = link("S", 4).NetIndex;
    EXPECT_EQ(GetConnectionState(net), int64_t(link("S", 4).Chain));
    SetConnectionState(net, 77);
    EXPECT_EQ(GetConnectionState(net), 77);
    EXPECT_EQ(GetConnectionState(999), 65535);
}

TEST_F(Connections, LinkEndsInRangeFollowTheDraggedSelection) {
    addLink("S", 1, 1, 5, 1);
    addLink("S", 7, 7, 9, 7);
    TSheetRecord* s = sheet("S");
    EXPECT_TRUE(IsLinkEndInRange(s, P(5, 1), 0, 0));
    EXPECT_FALSE(IsLinkEndInRange(s, P(5, 1), 1, 1));
    EXPECT_FALSE(IsLinkEndInRange(s, P(3, 1), 0, 1));
    EXPECT_TRUE(IsLinkEndInRange(s, P(9, 7), 0, 99));
    // The first is selected and dragged one cell down.
    s->Links->Data[0] = 1;
    State().mode = kModeSelect;
    TGesture& g = Gesture();
    std::strcpy(g.downSheet, "S");
    g.dragging = 1;
    g.downX = 100, g.downY = 100, g.currentX = 100, g.currentY = 112;
    EXPECT_FALSE(IsLinkEndInRange(s, P(5, 1), 0, 1));
    EXPECT_TRUE(IsLinkEndInRange(s, P(5, 2), 0, 1));
}

// -------- routed connections

namespace {

class Routing : public Connections {
protected:
    // Lays a routed connection from cell to cell through the slots: the
    // press on a pin switches to mode 2 by itself.
    int32_t route(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
        EXPECT_EQ(down("S", x1 * 12 + 6, y1 * 12 + 6), 0);
        EXPECT_EQ(move("S", x2 * 12 + 6, y2 * 12 + 6), 0);
        moveHint_ = hint_;
        moveCursor_ = cursor_;
        return up("S", x2 * 12 + 6, y2 * 12 + 6);
    }
    // Every cell the connections of the sheet cover.
    std::set<std::pair<int, int>> covered() {
        std::set<std::pair<int, int>> cells;
        for (int i = 0; i < sheet("S")->Links->Count; ++i) {
            const TConnectionRecord l = link("S", i);
            for (int x = PointX(l.PointA); x <= PointX(l.PointB); ++x)
                for (int y = PointY(l.PointA); y <= PointY(l.PointB); ++y) cells.insert({x, y});
        }
        return cells;
    }
    std::string moveHint_;
    int16_t moveCursor_ = 0;
};

}  // namespace

TEST_F(Routing, RouteRunsAroundABlockBetweenTwoPins) {
    const int from = addBlock("S", "AND", 2, 10);
    const int to = addBlock("S", "AND", 26, 10);
    int32_t qx, qy, ax, ay;
    pinCell("S", from, "Q", qx, qy);
    pinCell("S", to, "A", ax, ay);
    ASSERT_EQ(qy, ay);  // a straight run would cross the wall
    const int wall = addBlock("S", "CNT", 14, qy - 1);
    const TBlockRecord* w = block("S", wall);
    ASSERT_TRUE(w->Top <= qy && qy <= w->Bottom);

    EXPECT_EQ(route(qx, qy, ax, ay), 0);
    EXPECT_EQ(State().mode, kModeConnect);
    EXPECT_TRUE(moveHint_.empty()) << moveHint_;
    ASSERT_GE(sheet("S")->Links->Count, 3);  // it had to turn
    const auto cells = covered();
    EXPECT_TRUE(cells.count({qx, qy}));
    EXPECT_TRUE(cells.count({ax, ay}));
    for (int x = w->Left; x <= w->Right; ++x)
        for (int y = w->Top; y <= w->Bottom; ++y) EXPECT_FALSE(cells.count({x, y})) << x << "," << y;
    // Stored in order, along X or Y, all one net, and the pins are bound to it.
    const int16_t net = link("S", 0).NetIndex;
    for (int i = 0; i < sheet("S")->Links->Count; ++i) {
        const TConnectionRecord l = link("S", i);
        EXPECT_NE(SegmentDirection(TZoSegment{l.PointA, l.PointB}), kSegmentNone) << i;
        EXPECT_EQ(int64_t(l.NetIndex), net);
    }
    EXPECT_EQ(State().layingLink.Count, 0);
}

TEST_F(Routing, RefusalsNameTheirReason) {
    const int and1 = addBlock("S", "AND", 2, 2);
    const int and2 = addBlock("S", "AND", 20, 2);
    const int cnt = addBlock("S", "CNT", 2, 16);
    int32_t q1x, q1y, q2x, q2y, a2x, a2y, cx, cy;
    pinCell("S", and1, "Q", q1x, q1y);
    pinCell("S", and2, "Q", q2x, q2y);
    pinCell("S", and2, "A", a2x, a2y);
    pinCell("S", cnt, "C", cx, cy);
    const TBlockRecord* b2 = block("S", and2);
    const int32_t bodyX = (b2->Left + b2->Right) / 2, bodyY = (b2->Top + b2->Bottom) / 2;

    struct Case {
        int32_t x1, y1, x2, y2;
        const char* reason;
    };
    const Case cases[] = {
        {q1x, q1y, q2x, q2y, "Обьеденение выводов FBD блоков"},
        {q1x, q1y, cx, cy, "Несоответствие типов"},
        {q1x, q1y, bodyX, bodyY, "Невозможно проложить линию через FBD блок"},
    };
    for (const Case& c : cases) {
        char message[261] = {};
        EXPECT_EQ(RouteConnection(sheet("S"), P(c.x1, c.y1), P(c.x2, c.y2), message), -2) << c.reason;
        EXPECT_EQ(platform::cp1251ToUtf8(message), c.reason);
        EXPECT_EQ(RouteConnection(sheet("S"), P(c.x1, c.y1), P(c.x2, c.y2), nullptr), -2);
    }
    EXPECT_EQ(RouteConnection(sheet("S"), P(q1x, q1y), P(q1x, q1y), nullptr), -1);
    EXPECT_EQ(RouteConnection(nullptr, P(1, 1), P(2, 2), nullptr), -1);

    // Connected: the pin is taken, and both ends on one net.
    EXPECT_EQ(route(q1x, q1y, a2x, a2y), 0);
    ASSERT_GT(sheet("S")->Links->Count, 0);
    char message[261] = {};
    EXPECT_EQ(RouteConnection(sheet("S"), P(q1x, q1y), P(cx, cy), message), -2);
    EXPECT_EQ(platform::cp1251ToUtf8(message), "Вывод FBD блока уже соеденен");
    // Two cells on the same connection, neither a pin.
    uint32_t u = 0, v = 0;
    for (int i = 0; i < sheet("S")->Links->Count && !v; ++i) {
        const TConnectionRecord l = link("S", i);
        const int len = PointX(l.PointB) - PointX(l.PointA) + PointY(l.PointB) - PointY(l.PointA);
        if (len < 4) continue;
        const bool alongX = PointY(l.PointA) == PointY(l.PointB);
        u = alongX ? P(PointX(l.PointA) + 1, PointY(l.PointA)) : P(PointX(l.PointA), PointY(l.PointA) + 1);
        v = alongX ? P(PointX(l.PointA) + 3, PointY(l.PointA)) : P(PointX(l.PointA), PointY(l.PointA) + 3);
    }
    ASSERT_NE(v, 0u);
    EXPECT_EQ(RouteConnection(sheet("S"), u, v, message), -2);
    EXPECT_EQ(platform::cp1251ToUtf8(message), "Соеденение одной и тойже линии");
}

TEST_F(Routing, OutputToOutputIsRefusedWhileMovingAndOnRelease) {
    const int and1 = addBlock("S", "AND", 2, 2);
    const int and2 = addBlock("S", "AND", 20, 12);
    int32_t q1x, q1y, q2x, q2y;
    pinCell("S", and1, "Q", q1x, q1y);
    pinCell("S", and2, "Q", q2x, q2y);
    log_.lines.clear();
    EXPECT_EQ(route(q1x, q1y, q2x, q2y), 0);
    EXPECT_EQ(moveHint_, "Обьеденение выводов FBD блоков");
    EXPECT_EQ(moveCursor_, kCursorNo);
    EXPECT_TRUE(links("S").empty());
    bool logged = false;
    for (const LogLine& l : log_.lines) logged |= l.text == "Обьеденение выводов FBD блоков" && l.level == 3;
    EXPECT_TRUE(logged);
    EXPECT_EQ(State().layingLink.Count, 0);
}
