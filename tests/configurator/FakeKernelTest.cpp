// The shared fake of the kernel record: calls recorded with their arguments,
// answers as set, hooks with the slot's own arguments.
#include "support/FakeKernel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace zo::test {
namespace {

TEST(FakeKernel, RecordsCallsWithTheirArgumentsInOrder) {
    FakeKernel fake;
    TKernelOptions& k = fake.record();
    EXPECT_EQ(k.OpenProject("a\\b.hc"), 0);
    int32_t rect[4] = {1, 2, 3, 4};
    k.SetSheetWindow("Sheet", 1, 2, 3, 4, -5, 6, 1.5f);
    k.SetMode(3);
    k.Inspector.SetStatusText(2, nullptr);
    (void)rect;
    ASSERT_EQ(fake.slotsCalled(), (std::vector<std::string>{"OpenProject", "SetSheetWindow", "SetMode",
                                                              "Inspector.SetStatusText"}));
    const auto calls = fake.calls();
    EXPECT_EQ(calls[0].args, std::vector<std::string>{"a\\b.hc"});
    EXPECT_EQ(calls[1].args, (std::vector<std::string>{"Sheet", "1", "2", "3", "4", "-5", "6", "1.5"}));
    EXPECT_EQ(calls[2].args, std::vector<std::string>{"3"});
    EXPECT_EQ(calls[3].args, (std::vector<std::string>{"2", "<nil>"}));
    fake.clearCalls();
    EXPECT_TRUE(fake.calls().empty());
}

TEST(FakeKernel, AnswersAsSetAndDefaultsOtherwise) {
    FakeKernel fake;
    TKernelOptions& k = fake.record();
    EXPECT_EQ(k.GetMode(), 0);
    EXPECT_STREQ(k.GetProgramFolder(), "");
    EXPECT_EQ(k.GetSheet(0), nullptr);
    fake.setResult("GetMode", 2);
    fake.setResult("OpenProject", -3);
    fake.setText("GetProgramFolder", "/opt/prog");
    int sheet = 0;
    fake.setPointer("GetSheet", &sheet);
    EXPECT_EQ(k.GetMode(), 2);
    EXPECT_EQ(k.OpenProject("x"), -3);
    EXPECT_STREQ(k.GetProgramFolder(), "/opt/prog");
    EXPECT_EQ(static_cast<void*>(k.GetSheet(4)), &sheet);
    EXPECT_EQ(fake.count("GetMode"), 2);
}

TEST(FakeKernel, HookSeesTheRawArgumentsAndFillsOutParameters) {
    FakeKernel fake;
    static int picture = 7;
    fake.setHook<TSheetBitmapProc>("PaintScheme", [](const char* name, void** bitmap) {
        *bitmap = &picture;
        return std::strcmp(name, "S1") == 0 ? 0 : -1;
    });
    void* bitmap = nullptr;
    EXPECT_EQ(fake.record().PaintScheme("S1", &bitmap), 0);
    EXPECT_EQ(bitmap, &picture);
    EXPECT_EQ(fake.record().PaintScheme("S2", &bitmap), -1);
    EXPECT_EQ(fake.count("PaintScheme"), 2);
}

TEST(FakeKernel, CallsFromAnotherThreadAreRecorded) {
    FakeKernel fake;
    std::thread other([&] {
        for (int i = 0; i < 100; ++i) fake.record().RepaintSchemeWindows();
    });
    for (int i = 0; i < 100; ++i) fake.record().GetMode();
    other.join();
    EXPECT_EQ(fake.count("RepaintSchemeWindows"), 100);
    EXPECT_EQ(fake.count("GetMode"), 100);
}

TEST(FakeKernel, SlotsAnswerDefaultsWhenNoFakeIsLive) {
    TKernelOptions copy{};
    {
        FakeKernel fake;
        copy = fake.record();
    }
    EXPECT_EQ(copy.OpenProject("x"), 0);
    EXPECT_STREQ(copy.GetDeviceFilePath(), "");
}

}  // namespace
}  // namespace zo::test
