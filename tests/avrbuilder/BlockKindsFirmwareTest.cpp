// The code files of the counter, trigger, inverter, off-delay timer,
// conversions and arithmetic run in simavr from a configuration table of
// their own: pins drive them, output pins and the net table show their results.
#include "AvrFixture.h"
#include "Firmware.h"

#include <gtest/gtest.h>

#include <initializer_list>

using namespace zo::test;

namespace {

constexpr uint64_t kMs = Firmware::kClock / 1000;
constexpr uint32_t kNets = 0x0100;  // the net table: 4 bytes a net from the start of SRAM

std::string block(std::initializer_list<int> bytes) {
    std::string b;
    for (int v : bytes) b.push_back(char(v));
    return b;
}

int16_t netInt(const Firmware& f, int net) {
    return int16_t(f.ram(kNets + 4 * uint32_t(net)) | (f.ram(kNets + 4 * uint32_t(net) + 1) << 8));
}

// Inputs change slower than a scan takes (the multiplications of this table
// take most of a scan's half millisecond).
constexpr uint64_t kHold = 2 * kMs;

void pulse(Firmware& f) {
    f.setPin('D', 0, true);
    ASSERT_TRUE(f.run(kHold));
    f.setPin('D', 0, false);
    ASSERT_TRUE(f.run(kHold));
}

TEST(BlockKindsFirmware, CounterTriggerTimerAndArithmeticWork) {
    AvrFixture f;
    // Nets: 0..2 pins PD0..PD2; 3 CTU.Q; 4 CTU.CV; 5 RS.Q; 6 NOT; 7 TOF.Q;
    // 8 CV as Real; 9 CV*CV*0.5; 10 CV+CV; 11 CMP; 12 REAL2INT.
    f.nets = 13;
    f.blocks = {
        block({0, 3, 0, 100, 0}), block({1, 3, 1, 100, 0}), block({2, 3, 2, 100, 0}),  // PinIn PD0..PD2
        block({0, 1, 3, 4, 3, 0, 42, 0}),             // CTU CU=PD0 R=PD1 PV=3
        block({0, 1, 5, 0, 10, 0}),                   // RS S=PD0 R=PD1, reset wins
        block({2, 6, 4, 0}),                          // NOT PD2
        block({2, 7, 20, 0, 41, 0}),                  // TOF PD2, 20 ms
        block({4, 8, 30, 0}),                         // INT2REAL CV
        block({8, 8, 9, 0x00, 0x00, 0x00, 0x3F, 21, 0}),  // MUL CV*CV*0.5
        block({8, 8, 10, 20, 0}),                     // ADD CV+CV
        block({9, 10, 11, 0, 0, 0, 0, 0, 22, 0}),     // CMP CV*CV/2 > 2*CV
        block({9, 12, 0, 31, 0}),                     // REAL2INT to the nearest
        block({3, 1, 0, 101, 0}), block({5, 1, 1, 101, 0}), block({6, 1, 2, 101, 0}),  // PinOut PB0..PB2
        block({7, 1, 3, 101, 0}), block({11, 1, 4, 101, 0}),                           // PinOut PB3, PB4
    };
    f.codeFiles = {"convert.inc", "counter.inc", "logic.inc", "math.inc", "port.inc", "timer.inc", "trigger.inc"};
    ASSERT_EQ(f.host.run(), 0) << f.host.logText();
    Firmware fw(f.inUpload("Demo.hex"));
    ASSERT_TRUE(fw.loaded());
    ASSERT_TRUE(fw.run(5 * kMs));  // RAM cleared, the first scans done
    EXPECT_TRUE(fw.output('B', 2));  // NOT of a low input
    EXPECT_FALSE(fw.output('B', 0));
    EXPECT_FALSE(fw.output('B', 1));

    pulse(fw);
    EXPECT_TRUE(fw.output('B', 1));  // RS set by the first pulse and kept
    EXPECT_FALSE(fw.output('B', 0));
    pulse(fw);
    pulse(fw);
    EXPECT_EQ(netInt(fw, 4), 3);
    EXPECT_TRUE(fw.output('B', 0));    // CV reached PV
    EXPECT_EQ(netInt(fw, 12), 5);      // 3 * 3 * 0.5 = 4.5 rounds to 5
    EXPECT_FALSE(fw.output('B', 4));   // 4.5 > 6 does not hold
    pulse(fw);
    pulse(fw);
    EXPECT_EQ(netInt(fw, 4), 5);
    EXPECT_EQ(netInt(fw, 12), 13);     // 12.5 rounds to 13
    EXPECT_TRUE(fw.output('B', 4));    // 12.5 > 10

    fw.setPin('D', 1, true);           // reset
    ASSERT_TRUE(fw.run(kHold));
    EXPECT_EQ(netInt(fw, 4), 0);
    EXPECT_FALSE(fw.output('B', 0));
    EXPECT_FALSE(fw.output('B', 1));
    fw.setPin('D', 1, false);

    fw.setPin('D', 2, true);
    ASSERT_TRUE(fw.run(kHold));
    EXPECT_TRUE(fw.output('B', 3));
    EXPECT_FALSE(fw.output('B', 2));
    fw.setPin('D', 2, false);
    ASSERT_TRUE(fw.run(19 * kMs));
    EXPECT_TRUE(fw.output('B', 3));   // off-delay still running
    ASSERT_TRUE(fw.run(3 * kMs));  // one tick and a scan past the preset
    EXPECT_FALSE(fw.output('B', 3));
}

}  // namespace
