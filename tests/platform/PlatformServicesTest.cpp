#include "platform/Cp1251.h"
#include "platform/DynLib.h"
#include "platform/KeyState.h"
#include "platform/Registry.h"
#include "platform/UiServices.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace zo::platform;
using zo::test::ScopedEnv;
using zo::test::TempDir;

TEST(Cp1251, RoundTripsCyrillicAndMarksLoss) {
    const std::string utf8 = "Проект Ёё №5";
    bool lossless = false;
    const std::string cp = utf8ToCp1251(utf8, &lossless);
    EXPECT_TRUE(lossless);
    EXPECT_EQ(cp.size(), 12u);
    EXPECT_EQ(static_cast<unsigned char>(cp[0]), 0xCF);  // П
    EXPECT_EQ(cp1251ToUtf8(cp), utf8);
    EXPECT_EQ(qstringToCp1251(cp1251ToQString(cp)), cp);
    EXPECT_EQ(utf8ToCp1251("a€b", nullptr), "a\x88" "b");  // the euro sign exists in 1251
    EXPECT_EQ(utf8ToCp1251("a中b", &lossless), "a?b");
    EXPECT_FALSE(lossless);
    EXPECT_EQ(ZO_RU("Ошибка").size(), 6u);
}

TEST(Cp1251, ReadableFormNamesWhatTheCodePageLacks) {
    EXPECT_EQ(readableCp1251(QString::fromUtf8("/p/Проект.hc")), utf8ToCp1251("/p/Проект.hc"));
    EXPECT_EQ(readableCp1251(QString::fromUtf8("/日本 ü/a.hc")), "/<U+65E5><U+672C> <U+00FC>/a.hc");
    // A character beyond the basic plane is one code point, not two halves.
    EXPECT_EQ(readableCp1251(QString::fromUtf8("x\U0001F600y")), "x<U+1F600>y");
}

TEST(UiServicesHook, RecorderReceivesAndDefaultIsSafe) {
    {
        zo::test::UiRecorder rec;
        rec.answer = Answer::Ignore;
        showMessage(utf8ToCp1251("Текст"));
        EXPECT_EQ(ask("q", "c", Buttons::AbortIgnore), Answer::Ignore);
        ASSERT_EQ(rec.messages.size(), 1u);
        EXPECT_EQ(rec.messages[0], "Текст");
        EXPECT_EQ(rec.questions.size(), 1u);
    }
    EXPECT_EQ(ask("q", "c", Buttons::AbortIgnore), Answer::Abort);
    EXPECT_EQ(ask("q", "c", Buttons::YesNo), Answer::No);
}

TEST(Registry, ValuesLiveUnderXdgConfigHome) {
    TempDir dir;
    ScopedEnv env("XDG_CONFIG_HOME", dir.str());
    EXPECT_EQ(registryProgramPath(), "");
    EXPECT_FALSE(readRegistry(RegistryRoot::LocalMachine, kProgramKey, "path").has_value());
    const std::string value = utf8ToCp1251("/opt/Конфигуратор");
    ASSERT_TRUE(writeRegistry(RegistryRoot::LocalMachine, kProgramKey, "path", value));
    EXPECT_EQ(registryProgramPath(), value);
    EXPECT_EQ(registryFile(RegistryRoot::LocalMachine), dir.str() + "/Orvanta/machine.ini");
    const std::string sub = std::string(kProgramKey) + "\\Closed Projects";
    ASSERT_TRUE(writeRegistry(RegistryRoot::CurrentUser, sub, "File_0", "a.hc"));
    EXPECT_EQ(registryValueNames(RegistryRoot::CurrentUser, sub), std::vector<std::string>{"File_0"});
    EXPECT_TRUE(deleteRegistryValue(RegistryRoot::CurrentUser, sub, "File_0"));
    EXPECT_TRUE(registryValueNames(RegistryRoot::CurrentUser, sub).empty());
}

TEST(DynLib, MissingLibraryAndSymbol) {
    EXPECT_EQ(loadLibrary("\\no\\such\\lib.so"), nullptr);
    EXPECT_FALSE(lastLibraryError().empty());
    EXPECT_EQ(findSymbol(nullptr, "GetInfo"), nullptr);
    unloadLibrary(nullptr);
}

TEST(KeyState, HookAnswers) {
    EXPECT_FALSE(isCtrlDown());
    auto prev = setCtrlStateHook([] { return true; });
    EXPECT_TRUE(isCtrlDown());
    setCtrlStateHook(prev);
    EXPECT_FALSE(isCtrlDown());
}
