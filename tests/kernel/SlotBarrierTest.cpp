// Every slot of the kernel's record runs behind the barrier: whatever its body
// throws (a failed allocation, or something that is no std::exception at all)
// comes back as the slot's failure result with one level-5 line naming the slot.
#include "SheetKernel.h"

#include "platform/Cp1251.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>

using namespace zo;
using namespace zo::test;

namespace {

// The host's log writer that throws, once armed, on the first line holding the
// trigger (the line the slot itself writes), as a host whose memory ran out
// would; every other line is recorded.
enum class Throw { Nothing, BadAlloc, NotAnException };
Throw g_throw = Throw::Nothing;
std::string g_trigger;  // UTF-8

void throwingWriter(const char* logName, const char* text, int32_t mode, int32_t level) {
    const Throw t = g_throw;
    if (t != Throw::Nothing && platform::cp1251ToUtf8(text ? text : "").find(g_trigger) != std::string::npos) {
        g_throw = Throw::Nothing;
        if (t == Throw::BadAlloc) throw std::bad_alloc();
        throw 42;
    }
    LogRecorder::WriteProc(logName, text, mode, level);
}

struct SlotCase {
    const char* slot;
    Throw thrown;
    const char* trigger;  // UTF-8
    std::function<int32_t(TKernelOptions&, const std::string& sheet, const std::string& folder)> call;
    int32_t failure;
    const char* what;
};

class SlotBarrier : public SheetKernel, public ::testing::WithParamInterface<SlotCase> {
protected:
    void TearDown() override {
        g_throw = Throw::Nothing;
        SheetKernel::TearDown();
    }
    std::vector<std::string> failureLines() const {
        std::vector<std::string> found;
        for (const LogLine& l : log_.lines)
            if (l.text.rfind("Сбой в ", 0) == 0) {
                EXPECT_EQ(l.level, 5) << l.text;
                found.push_back(l.text);
            }
        return found;
    }
};

TEST_P(SlotBarrier, AThrowInsideTheSlotGivesItsFailureResultAndOneLine) {
    const SlotCase& c = GetParam();
    ASSERT_EQ(kernel().NewProject("Pump", "OrvantaPLC.dev"), 0);
    const std::string sheet = addSheet();
    kernel().SetLogCallback("Vezevire.log", throwingWriter);
    log_.lines.clear();
    g_trigger = c.trigger;
    g_throw = c.thrown;
    EXPECT_EQ(c.call(kernel(), sheet, program_.path()), c.failure);
    EXPECT_EQ(g_throw, Throw::Nothing) << "the slot never reached the log";
    const std::vector<std::string> lines = failureLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], std::string("Сбой в ") + c.slot + ": " + c.what);
}

constexpr int32_t kVoid = 1000;  // the result a test gives for a slot without one

INSTANTIATE_TEST_SUITE_P(
    Kernel, SlotBarrier,
    ::testing::Values(
        SlotCase{"KernelInit", Throw::BadAlloc, "Путь программы", [](TKernelOptions& k, auto&, auto&) { k.KernelInit(); return kVoid; },
                 kVoid, "std::bad_alloc"},
        SlotCase{"DeleteSheet", Throw::BadAlloc, "удаён",
                 [](TKernelOptions& k, const std::string& s, auto&) { return k.DeleteSheet(s.c_str()); }, -2,
                 "std::bad_alloc"},
        SlotCase{"DeleteSheet", Throw::NotAnException, "удаён",
                 [](TKernelOptions& k, const std::string& s, auto&) { return k.DeleteSheet(s.c_str()); }, -2,
                 "unknown exception"},
        SlotCase{"AddSheet", Throw::NotAnException, "Добавлен новый лист", [](TKernelOptions& k, auto&, auto&) { k.AddSheet(); return kVoid; },
                 kVoid, "unknown exception"},
        SlotCase{"ResizeSheet", Throw::BadAlloc, "Изменение размера холста",
                 [](TKernelOptions& k, const std::string& s, auto&) { return k.ResizeSheet(s.c_str(), 0, 0, 120, 0); },
                 -1, "std::bad_alloc"},
        SlotCase{"SaveProject", Throw::NotAnException, "сохранен",
                 [](TKernelOptions& k, auto&, const std::string& folder) {
                     return k.SaveProject((folder + "/Project/Pump.hc").c_str());
                 },
                 -2, "unknown exception"}),
    [](const ::testing::TestParamInfo<SlotCase>& info) {
        return std::string(info.param.slot) + (info.param.thrown == Throw::BadAlloc ? "_BadAlloc" : "_NotAnException");
    });

}  // namespace
