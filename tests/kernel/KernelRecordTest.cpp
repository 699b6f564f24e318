#include "KernelHost.h"

#include "platform/Cp1251.h"
#include "platform/DynLib.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

using namespace zo;
using namespace zo::test;

namespace {

// Binds the built kernel from the built program folder.
class KernelRecord : public ::testing::Test {
protected:
    void SetUp() override {
        LoadKernelLibrary("\\system", &app_, &screen_, LogRecorder::Proc);
        ASSERT_NE(KernelOptionsPtr, nullptr);
    }
    void TearDown() override { UnloadKernelLibrary(nullptr); }

    LogRecorder log_;
    ScopedCurrentDir cd_{ZO_PROGRAM_DIR};
    int app_ = 0, screen_ = 0;
};

}  // namespace

TEST_F(KernelRecord, LoadsThroughGetInfoWithDescriptionAndHostObjects) {
    TKernelOptions& o = *KernelOptionsPtr;
    EXPECT_EQ(utf(o.Description), "библиотека ядра Orvanta Configurator");
    EXPECT_EQ(ZO_FIELD(o, HostApplication), &app_);
    EXPECT_EQ(ZO_FIELD(o, HostScreen), &screen_);
    const std::string path = std::string(ZO_PROGRAM_DIR) + "\\System\\ZoKernelConfig.so";
    EXPECT_EQ(log_.texts(),
              std::vector<std::string>{"Загружена библиотека \"" + path + "\" библиотека ядра Orvanta Configurator"});
    EXPECT_EQ(log_.lines[0].level, 2);

    void* lib = platform::loadLibrary(std::string(ZO_PROGRAM_DIR) + "/System/ZoKernelConfig.so");
    auto getInfo = reinterpret_cast<TGetInfoProc>(platform::findSymbol(lib, "GetInfo"));
    ASSERT_NE(getInfo, nullptr);
    void* a = nullptr;
    void* b = nullptr;
    int32_t size = 0;
    getInfo(&a, &size);
    getInfo(&b, &size);
    EXPECT_EQ(a, KernelOptionsPtr);
    EXPECT_EQ(b, a);
    EXPECT_EQ(size, int32_t(sizeof(TKernelOptions)));
    platform::unloadLibrary(lib);
}

TEST_F(KernelRecord, HostSlotsAnswerTheirDefaults) {
    TKernelOptions& o = *KernelOptionsPtr;
    EXPECT_EQ(o.CloseSchemeWindow("x"), -1);
    EXPECT_EQ(o.CloseAllSchemeWindows(), -1);
    EXPECT_EQ(o.CreateSchemeWindow("x", nullptr, nullptr, nullptr), -1);
    EXPECT_EQ(o.ShowSchemeWindow("x"), -1);
    EXPECT_EQ(o.StoreSchemeWindowState("x"), -1);
    EXPECT_EQ(o.RenameSchemeWindow("x", "y"), -1);
    EXPECT_EQ(o.SetStatusText(0, "x"), -100);
    EXPECT_EQ(o.GetProjectTree(), nullptr);
    o.UpdateActionStates();
    o.RepaintSchemeWindows();
    // Both copies of the structure accessors hold the same routines.
    EXPECT_EQ(std::memcmp(&o.StructAccess, &o.Inspector.StructAccess, sizeof(TStructAccess)), 0);
    EXPECT_NE(ZO_FIELD(o.StructAccess, GetStructName), nullptr);
    EXPECT_NE(ZO_FIELD(o.Inspector, GetStructPath), nullptr);
    EXPECT_EQ(ZO_FIELD(o.Inspector, ConvertOptions), nullptr);
}

TEST_F(KernelRecord, KernelLogReachesTheCallbackOnlyOnceSet) {
    TKernelOptions& o = *KernelOptionsPtr;
    log_.lines.clear();
    o.KernelLog("before", 1);  // no callback yet: nothing, no failure
    EXPECT_TRUE(log_.lines.empty());

    o.SetLogCallback("Vezevire.log", LogRecorder::WriteProc);
    o.KernelLog(cp("строка").c_str(), 5);
    ASSERT_EQ(log_.lines.size(), 1u);
    EXPECT_EQ(log_.lines[0].text, "строка");
    EXPECT_EQ(log_.lines[0].level, 5);
    EXPECT_EQ(log_.logNames[0], "Vezevire.log");
    EXPECT_EQ(log_.modes[0], 3);

    o.SetLogCallback(nullptr, LogRecorder::WriteProc);
    o.SetLogCallback("Other.log", nullptr);
    o.KernelLog("again", 1);
    EXPECT_EQ(log_.logNames.back(), "Vezevire.log");

    const std::string longName(300, 'n');
    o.SetLogCallback(longName.c_str(), LogRecorder::WriteProc);
    o.KernelLog("long", 1);
    EXPECT_EQ(log_.logNames.back(), std::string(260, 'n'));
}

TEST_F(KernelRecord, FolderGettersGiveBareSuffixesBeforeInit) {
    TKernelOptions& o = *KernelOptionsPtr;
    EXPECT_STREQ(o.GetDeviceFolder(), "\\Device");
    EXPECT_STREQ(o.GetProjectFolder(), "\\Project");
    EXPECT_STREQ(o.GetStructFolder(), "\\Struct");
    EXPECT_STREQ(o.GetUploadFolder(), "\\Upload");
    EXPECT_STREQ(o.GetConfigurationFolder(), "\\Configuration");
    EXPECT_STREQ(o.GetDeviceRuntimeFolder(), "\\Runtime\\");
    EXPECT_EQ(std::string(o.GetProgramFolder()), std::string(ZO_PROGRAM_DIR));
}

TEST(KernelBinding, UnloadLogsOnceAndUnboundUnloadDoesNothing) {
    ScopedCurrentDir cd(ZO_PROGRAM_DIR);
    LogRecorder log;
    UnloadKernelLibrary(LogRecorder::Proc);  // never bound
    EXPECT_TRUE(log.lines.empty());
    LoadKernelLibrary("\\system", nullptr, nullptr, LogRecorder::Proc);
    ASSERT_NE(KernelOptionsPtr, nullptr);
    log.lines.clear();
    UnloadKernelLibrary(LogRecorder::Proc);
    EXPECT_EQ(KernelOptionsPtr, nullptr);
    EXPECT_EQ(log.texts(), std::vector<std::string>{"Выгружена библиотека \"ZoKernelConfig.so\""});
    UnloadKernelLibrary(LogRecorder::Proc);
    EXPECT_EQ(log.lines.size(), 1u);
}

TEST(KernelBinding, ReloadRunsInitialisationAgain) {
    TempDir other;
    {
        ScopedCurrentDir cd(ZO_PROGRAM_DIR);
        LoadKernelLibrary("\\System", nullptr, nullptr, nullptr);
        ASSERT_NE(KernelOptionsPtr, nullptr);
        EXPECT_EQ(std::string(KernelOptionsPtr->GetProgramFolder()), std::string(ZO_PROGRAM_DIR));
        UnloadKernelLibrary(nullptr);
    }
    std::filesystem::create_directory_symlink(std::string(ZO_PROGRAM_DIR) + "/System", other.file("System"));
    ScopedCurrentDir cd(other.path());
    LoadKernelLibrary("\\System", nullptr, nullptr, nullptr);
    ASSERT_NE(KernelOptionsPtr, nullptr);
    EXPECT_EQ(std::string(KernelOptionsPtr->GetProgramFolder()), other.str());
    UnloadKernelLibrary(nullptr);
}

TEST(KernelBinding, FailuresLeaveItUnboundWithOneLine) {
    struct Case {
        const char* folder;  // below the fixture folder; empty: none
        const char* line;    // expected log line with %s for the path
    } cases[] = {
        {"small", "Не совпадение размера структуры TKernelOptions библиотеки \"%s\""},
        {"large", "Не совпадение размера структуры TKernelOptions библиотеки \"%s\""},
        {"noexport", "Не получен адрес GetInfo библиотеки \"%s\""},
    };
    TempDir config;
    ScopedEnv env("XDG_CONFIG_HOME", config.str());
    for (const Case& c : cases) {
        const std::string dir = std::string(ZO_FIXTURE_DIR) + "/" + c.folder;
        ScopedCurrentDir cd(dir);
        LogRecorder log;
        LoadKernelLibrary("\\system", nullptr, nullptr, LogRecorder::Proc);
        EXPECT_EQ(KernelOptionsPtr, nullptr) << c.folder;
        std::string expected = c.line;
        expected.replace(expected.find("%s"), 2, dir + "\\System\\ZoKernelConfig.so");
        EXPECT_EQ(log.texts(), std::vector<std::string>{expected}) << c.folder;
        EXPECT_EQ(log.lines.at(0).level, 5);
        UnloadKernelLibrary(LogRecorder::Proc);
        EXPECT_EQ(log.lines.size(), 1u);
    }
}

TEST(KernelBinding, MissingLibraryFallsBackToTheRegistry) {
    TempDir config, empty;
    ScopedEnv env("XDG_CONFIG_HOME", config.str());
    ScopedCurrentDir cd(empty.path());
    {
        LogRecorder log;
        LoadKernelLibrary("\\system", nullptr, nullptr, LogRecorder::Proc);
        EXPECT_EQ(KernelOptionsPtr, nullptr);
        EXPECT_EQ(log.texts(), std::vector<std::string>{"Не найдена библиотека " + empty.str() +
                                                        "\\System\\ZoKernelConfig.so\""});
    }
    ASSERT_TRUE(platform::writeRegistry(platform::RegistryRoot::LocalMachine, platform::kProgramKey, "path", ZO_PROGRAM_DIR));
    LogRecorder log;
    LoadKernelLibrary("\\system", nullptr, nullptr, LogRecorder::Proc);
    ASSERT_NE(KernelOptionsPtr, nullptr);
    const std::string path = std::string(ZO_PROGRAM_DIR) + "\\System\\ZoKernelConfig.so";
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0].text, "Путь к библиотеки \"" + path + "\" получен из реестра");
    EXPECT_EQ(log.lines[0].level, 1);
    UnloadKernelLibrary(nullptr);
}
