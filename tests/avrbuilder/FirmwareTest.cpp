// The shipped example project built by the plug-in with the real kernel, the
// converter and avra, then run on an ATmega128 in simavr: its AND gate gives
// the truth table on its output pin, its on-delay timer rises after its preset
// time, within one timer tick, and not before.
#include "AvrKernel.h"
#include "BuildHost.h"
#include "Firmware.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

using namespace zo::test;
namespace fs = std::filesystem;

namespace {

constexpr uint64_t kCyclesPerMs = Firmware::kClock / 1000;
constexpr int kPresetMs = 50;  // PT of the example's TON

void copyText(char* field, size_t size, const char* text) {
    std::memset(field, 0, size);
    std::strncpy(field, text ? text : "", size - 1);
}

class ExampleFirmware : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(kernel_.bound());
        TKernelOptions& k = kernel_.k();
        ASSERT_EQ(k.OpenProject((folder_.path() + "/Project/AvrDemo.hc").c_str()), 0);
        TBuildParams& p = host_.params;
        copyText(p.ProjectName, sizeof p.ProjectName, "AvrDemo");
        copyText(p.DeviceFilePath, sizeof p.DeviceFilePath, "\\Device\\OrvantaAVR.dev");
        copyText(p.DeviceProgram, sizeof p.DeviceProgram, k.GetDeviceProgram());
        copyText(p.ProgramFolder, sizeof p.ProgramFolder, k.GetProgramFolder());
        copyText(p.DeviceRuntimeFolder, sizeof p.DeviceRuntimeFolder, k.GetDeviceRuntimeFolder());
        copyText(p.UploadFolder, sizeof p.UploadFolder, k.GetUploadFolder());
        p.CreateConfig = k.CreateConfigFile;
        ASSERT_EQ(host_.run(), 0) << host_.logText();
        firmware_ = std::make_unique<Firmware>(folder_.path() + "/Upload/AvrDemo.hex");
        ASSERT_TRUE(firmware_->loaded());
    }

    AvrProgramFolder folder_;
    AvrKernel kernel_{folder_};
    BuildHost host_;
    std::unique_ptr<Firmware> firmware_;
};

TEST_F(ExampleFirmware, VectorsSitAtTheirAddresses) {
    Firmware& f = *firmware_;
    EXPECT_EQ(f.word(0x0000), 0x940C);  // jmp RESET
    for (uint32_t vector = 0x0002; vector < 0x0046; vector += 2) {
        if (vector == 0x0018) continue;
        EXPECT_EQ(f.word(vector), 0x9518) << "reti at vector " << vector;  // reti
    }
    // Timer/Counter1 compare match A jumps to the tick handler, which saves r16.
    const uint16_t jump = f.word(0x0018);
    ASSERT_EQ(jump & 0xF000, 0xC000);
    const int offset = (jump & 0x0800) ? int(jump & 0x0FFF) - 0x1000 : int(jump & 0x0FFF);
    EXPECT_EQ(f.word(uint32_t(0x0018 + 1 + offset)), 0x930F);  // push r16
}

TEST_F(ExampleFirmware, AndGateGivesItsTruthTable) {
    Firmware& f = *firmware_;
    ASSERT_TRUE(f.run(kCyclesPerMs));
    const bool table[4][3] = {{false, false, false}, {false, true, false}, {true, false, false}, {true, true, true}};
    for (int pass = 0; pass < 2; ++pass) {
        for (const auto& row : table) {
            SCOPED_TRACE(std::to_string(row[0]) + " AND " + std::to_string(row[1]));
            f.setPin('D', 0, row[0]);
            f.setPin('D', 1, row[1]);
            ASSERT_TRUE(f.run(kCyclesPerMs / 4));
            EXPECT_EQ(f.output('B', 0), row[2]);
        }
    }
    EXPECT_FALSE(f.output('B', 1));  // the timer's input stayed low
}

TEST_F(ExampleFirmware, OnDelayRisesAfterItsPresetWithinOneTick) {
    Firmware& f = *firmware_;
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // A start at a different phase of the tick each round.
        ASSERT_TRUE(f.run(kCyclesPerMs + uint64_t(round) * 3331));
        ASSERT_FALSE(f.output('B', 1));
        f.setPin('D', 2, true);
        const uint64_t start = f.cycle();
        while (!f.output('B', 1) && f.cycle() - start < uint64_t(kPresetMs + 5) * kCyclesPerMs)
            ASSERT_TRUE(f.run(40));
        const uint64_t elapsed = f.cycle() - start;
        ASSERT_TRUE(f.output('B', 1)) << "no rise within " << kPresetMs + 5 << " ms";
        EXPECT_GE(elapsed, uint64_t(kPresetMs) * kCyclesPerMs);
        // One tick, plus the scan that sees it.
        EXPECT_LE(elapsed, uint64_t(kPresetMs + 1) * kCyclesPerMs + 400);
        f.setPin('D', 2, false);
        ASSERT_TRUE(f.run(kCyclesPerMs / 4));
        EXPECT_FALSE(f.output('B', 1));
    }
}

}  // namespace
