#include "ProjectModel.h"

#include "kernel/ConnectionIndex.h"
#include "kernel/KernelState.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <vector>

using namespace zo;
using namespace zo::kernel;
using namespace zo::test;

namespace {

class ConnectionIndex : public ProjectModel {
protected:
    std::vector<int> nets(uint16_t s) {
        std::vector<int> out;
        for (uint16_t i = 0; i < sheet(s)->Links->Count; ++i) out.push_back(ZO_FIELD(link(s, i), NetIndex));
        return out;
    }
    std::vector<int> chains(uint16_t s) {
        std::vector<int> out;
        for (uint16_t i = 0; i < sheet(s)->Links->Count; ++i) out.push_back(ZO_FIELD(link(s, i), Chain));
        return out;
    }
    std::vector<int> lineTypes(uint16_t s) {
        std::vector<int> out;
        for (uint16_t i = 0; i < sheet(s)->Links->Count; ++i) out.push_back(ZO_FIELD(link(s, i), LineType));
        return out;
    }
};

TEST_F(ConnectionIndex, NetNumbersRunOnAcrossSheets) {
    EXPECT_EQ(IndexConnections(), 0);  // no sheets

    const uint16_t s1 = addSheet("Лист 1");
    addLink(s1, 1, 1, 5, 1);
    addLink(s1, 1, 3, 5, 3);
    addLink(s1, 5, 1, 5, 0);  // touches the first at (5, 1)
    addLink(s1, 8, 8, 9, 8);
    const uint16_t s2 = addSheet("Лист 2");
    addLink(s2, 1, 1, 2, 1);
    addLink(s2, 5, 5, 6, 5);
    addLink(s2, 6, 5, 6, 9);
    addSheet("Лист 3");  // no connections

    EXPECT_EQ(IndexConnections(), 5);
    EXPECT_EQ(nets(s1), (std::vector<int>{0, 1, 0, 2}));
    EXPECT_EQ(nets(s2), (std::vector<int>{3, 4, 4}));
    // No pins, so no line types.
    EXPECT_EQ(lineTypes(s1), (std::vector<int>{-1, -1, -1, -1}));
    // Indexing again gives the same numbers.
    EXPECT_EQ(IndexConnections(), 5);
    EXPECT_EQ(nets(s2), (std::vector<int>{3, 4, 4}));
}

TEST_F(ConnectionIndex, JunctionOfThreeIsOneNetWhereChainsEnd) {
    const uint16_t s = addSheet("Лист 1");
    addLink(s, 0, 5, 5, 5);    // 0: left arm of the T
    addLink(s, 5, 5, 10, 5);   // 1: right arm
    addLink(s, 5, 0, 5, 5);    // 2: stem
    addLink(s, 10, 5, 10, 9);  // 3: continues the right arm around a corner
    addLink(s, 10, 9, 4, 9);   // 4: and on
    EXPECT_EQ(IndexSheetConnections(sheet(s), 7), 8);
    EXPECT_EQ(nets(s), (std::vector<int>{7, 7, 7, 7, 7}));
    EXPECT_EQ(chains(s), (std::vector<int>{0, 1, 2, 1, 1}));
}

TEST_F(ConnectionIndex, PinsAreBoundToTheirNetsOrHoldUnbound) {
    const uint16_t s = addSheet("Лист 1");
    addLink(s, 9, 9, 9, 12);  // net 0, touches no pin
    addLink(s, 2, 3, 6, 3);   // net 1, ends at the output's pin
    TBlockRecord* out = block(s, addBlock(s, basePath("Orvan_Out"), "Orvan_Out 1", 2, 2));
    addPin(out, 0, 1, 0, 1);  // field "In" at (2, 3)
    TBlockRecord* in = block(s, addBlock(s, basePath("Orvan_In"), "Orvan_In 1", 20, 20));
    addPin(in, 2, 0, 0, -1);  // field "Out" at (22, 20): nothing there
    setData(in, "Out", "1");  // a stale binding

    ASSERT_EQ(IndexConnections(), 2);
    EXPECT_EQ(data(block(s, 0), "In"), "1");
    EXPECT_EQ(data(block(s, 1), "Out"), "65535");
    EXPECT_EQ(lineTypes(s), (std::vector<int>{-1, 1}));

    // The connection goes away: the pin is unbound again.
    sheet(s)->Links->DeleteItem(1);
    ASSERT_EQ(IndexConnections(), 1);
    EXPECT_EQ(data(block(s, 0), "In"), "65535");
}

TEST_F(ConnectionIndex, PinLineTypeReachesTheWholeNet) {
    const uint16_t s = addSheet("Лист 1");
    addLink(s, 10, 8, 6, 8);   // 0: two segments away from the pin
    addLink(s, 6, 3, 6, 8);    // 1
    addLink(s, 2, 3, 6, 3);    // 2: at the pin
    addLink(s, 6, 3, 6, 0);    // 3: a branch
    addLink(s, 20, 20, 21, 20);  // 4: another net
    TBlockRecord* b = block(s, addBlock(s, basePath("Orvan_Out"), "Orvan_Out 1", 2, 2));
    addPin(b, 0, 1, 0, 3);
    ASSERT_EQ(IndexConnections(), 2);
    EXPECT_EQ(lineTypes(s), (std::vector<int>{3, 3, 3, 3, -1}));
}

TEST_F(ConnectionIndex, ProjectRunningOutOfNetNumbersFailsInsteadOfWrapping) {
    // Sheet 1 uses up every number but one; its pins read numbers above 32767.
    const uint16_t s1 = addSheet("Лист 1");
    sheet(s1)->Links->SetCapacity(kMaxNets - 1);
    for (uint16_t i = 0; i < kMaxNets - 1; ++i) addLink(s1, uint16_t(i), 0, uint16_t(i), 1);
    TBlockRecord* b = block(s1, addBlock(s1, basePath("Orvan_Out"), "Orvan_Out 1", 40000, 3));
    addPin(b, 0, -2, 0, -1);  // at (40000, 1), the end of net 40000
    const uint16_t s2 = addSheet("Лист 2");
    addLink(s2, 1, 1, 2, 1);
    EXPECT_EQ(IndexConnections(), kMaxNets);
    EXPECT_EQ(data(block(s1, 0), "In"), "40000");
    EXPECT_EQ(uint16_t(ZO_FIELD(link(s1, 40000), NetIndex)), 40000);

    // One net more than there are numbers.
    addLink(s2, 5, 5, 6, 5);
    EXPECT_EQ(IndexConnections(), -1);
    EXPECT_TRUE(log_.has("Превышено число соединений проекта (65534) на схеме \"Лист 2\""));
    EXPECT_TRUE(log_.has("Ошибка индексации соеденений схемы \"Лист 2\""));
    EXPECT_EQ(IndexSheetConnections(sheet(s2), kMaxNets - 2), kMaxNets);
    EXPECT_EQ(IndexSheetConnections(nullptr, 0), -1);
}

// The cost of this case is measured by the indexing benchmark; here only the
// results count (a quadratic spread would still end, far later).
TEST_F(ConnectionIndex, LongNetsAndCrowdedPointsIndexWhole) {
    // One chain of 30000 segments end to end, and a point where 30000 segments meet.
    const uint16_t line = addSheet("Линия");
    sheet(line)->Links->SetCapacity(30000);
    for (uint16_t x = 0; x < 30000; ++x) addLink(line, x, 0, uint16_t(x + 1), 0);
    const uint16_t star = addSheet("Звезда");
    sheet(star)->Links->SetCapacity(30000);
    for (uint16_t x = 1; x <= 30000; ++x) addLink(star, 0, 0, x, 5);
    TBlockRecord* b = block(star, addBlock(star, basePath("Orvan_Out"), "Orvan_Out 1", 30000, 5));
    addPin(b, 0, 0, 0, 2);

    ASSERT_EQ(IndexConnections(), 2);

    const std::vector<int> lineChains = chains(line);
    EXPECT_EQ(std::count(lineChains.begin(), lineChains.end(), 0), 30000);
    const std::vector<int> starNets = nets(star);
    EXPECT_EQ(std::count(starNets.begin(), starNets.end(), 1), 30000);
    const std::vector<int> starChains = chains(star);
    EXPECT_EQ(starChains.front(), 0);
    EXPECT_EQ(starChains.back(), 29999);  // every arm a chain of its own
    const std::vector<int> starTypes = lineTypes(star);
    EXPECT_EQ(std::count(starTypes.begin(), starTypes.end(), 2), 30000);
}

}  // namespace
