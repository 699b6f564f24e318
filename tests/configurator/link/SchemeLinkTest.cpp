// The scheme window's link to the kernel: texts cross in Windows-1251, and a
// link that follows the program's record variable never calls a kernel that
// is not bound.
#include "support/FakeKernel.h"

#include "configurator/link/SchemeLink.h"
#include "platform/Cp1251.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstring>

using namespace zo;
using namespace zo::configurator;
using namespace zo::test;

TEST(SchemeLink, FollowsTheRecordVariable) {
    FakeKernel fake;
    TKernelOptions* program = nullptr;
    SchemeLink link(&program);
    const QImage* picture = nullptr;
    EXPECT_FALSE(link.Bound());
    EXPECT_EQ(link.PaintScheme("S", &picture), SchemeLink::kNoKernel);
    link.SetStatusText(1, "100%");
    EXPECT_TRUE(fake.calls().empty());
    program = fake.recordPtr();
    EXPECT_TRUE(link.Bound());
    EXPECT_EQ(link.PaintScheme("S", &picture), 0);
    EXPECT_EQ(picture, nullptr);
    EXPECT_EQ(fake.count("PaintScheme"), 1);
    program = nullptr;  // unbound again
    bool changed = true;
    EXPECT_EQ(link.KeyDown("S", 46, 0, changed), SchemeLink::kNoKernel);
    EXPECT_FALSE(changed);
    EXPECT_EQ(fake.count("SheetKeyDown"), 0);
}

TEST(SchemeLink, TextsCrossInWindows1251) {
    FakeKernel fake;
    SchemeLink link(fake.recordPtr());
    fake.setHook<TSheetMouseMoveProc>(
        "SheetMouseMove", [](const char*, int32_t, int32_t, char* status, char* hint, int16_t* cursor, uint8_t* changed) {
            std::memset(status, 'x', 261);  // no terminator: the link ends the text itself
            std::strcpy(hint, platform::utf8ToCp1251("Вход IN1").c_str());
            *cursor = -21;
            *changed = 1;
            return 0;
        });
    SchemeLink::MouseAnswer answer;
    EXPECT_EQ(link.MouseMove("Лист 1", 10, 20, answer), 0);
    EXPECT_EQ(answer.status, QString(260, 'x'));
    EXPECT_EQ(answer.hint, "Вход IN1");
    EXPECT_EQ(answer.cursor, -21);
    EXPECT_TRUE(answer.changed);
    const FakeCall call = fake.callsOf("SheetMouseMove").at(0);
    EXPECT_EQ(call.args.at(0), platform::utf8ToCp1251("Лист 1"));
    link.SetStatusText(2, "Изменить размер холста");
    EXPECT_EQ(fake.callsOf("SetStatusText").at(0).args.at(1), platform::utf8ToCp1251("Изменить размер холста"));
    link.Log("Закрыт \"Лист 1\"", 1);
    EXPECT_EQ(fake.callsOf("KernelLog").at(0).args,
              (std::vector<std::string>{platform::utf8ToCp1251("Закрыт \"Лист 1\""), "1"}));
}
