// The program's bindings of the logging, conversion, dialogs and connection
// libraries: search order, messages word for word, unloading.
#include "configurator/link/KroConnect.h"
#include "configurator/link/KroConvert.h"
#include "configurator/link/KroDialogs.h"
#include "configurator/link/KroLog.h"
#include "configurator/link/LogLink.h"
#include "configurator/shell/PanelLogForm.h"
#include "configurator/link/BindingTestSupport.h"

#include <gtest/gtest.h>

#include <QScrollBar>

#include <cstring>

namespace zo::configurator {
namespace {

using test::BindingFolder;
using test::loggedLines;
using test::mapped;
using test::recordLog;
using test::systemLibrary;
using test::testLibrary;

std::vector<std::string> texts() {
    std::vector<std::string> out;
    for (const auto& line : loggedLines()) out.push_back(line.text);
    return out;
}

TEST(ConvertBinding, FoundOnlyUnderTheRegistryPathLogsTheRegistryLineFirst) {
    BindingFolder folder;
    folder.placeInRegistry(systemLibrary("ZoConvert.so"), "ZoConvert.so");
    LoadConvertLibrary("\\system", &recordLog);
    ASSERT_NE(ConvertOptionsPtr, nullptr);
    const std::string path = folder.registry() + "\\System\\ZoConvert.so";
    const std::string native = folder.registry() + "/System/ZoConvert.so";
    ASSERT_EQ(loggedLines().size(), 2u);
    EXPECT_EQ(loggedLines()[0].text, "Путь к библиотеки \"" + path + "\" получен из реестра");
    EXPECT_EQ(loggedLines()[0].level, 1);
    EXPECT_EQ(loggedLines()[1].text.rfind("Загружена библиотека \"" + path + "\"  ", 0), 0u) << loggedLines()[1].text;
    EXPECT_EQ(loggedLines()[1].level, 2);
    UnloadConvertLibrary(&recordLog);
    EXPECT_EQ(ConvertOptionsPtr, nullptr);
    EXPECT_EQ(loggedLines().back().text, "Выгружена библиотека \"ZoConvert.so\"");
    EXPECT_FALSE(mapped(native)) << "still mapped after unloading";
}

TEST(ConvertBinding, RecordOneByteShortIsRefusedAndUnmapped) {
    BindingFolder folder;
    folder.placeHere(testLibrary("OffByOne.so"), "ZoConvert.so");
    LoadConvertLibrary("\\system", &recordLog);
    EXPECT_EQ(ConvertOptionsPtr, nullptr);
    ASSERT_EQ(loggedLines().size(), 1u);
    EXPECT_EQ(loggedLines()[0].text,
              "Не совпадение размера структуры TConvertOptions библиотеки \"" + folder.here() + "\\System\\ZoConvert.so\"");
    EXPECT_EQ(loggedLines()[0].level, 5);
    EXPECT_FALSE(mapped(folder.here() + "/System/ZoConvert.so"));
    // Nothing was bound, so unbinding says nothing.
    UnloadConvertLibrary(&recordLog);
    EXPECT_EQ(loggedLines().size(), 1u);
}

TEST(ConvertBinding, MissingLibraryNamesWhereItWasLookedForFirst) {
    BindingFolder folder;
    LoadConvertLibrary("\\system", &recordLog);
    EXPECT_EQ(ConvertOptionsPtr, nullptr);
    EXPECT_EQ(texts(), std::vector<std::string>{"Не найдена библиотека " + folder.here() + "\\System\\ZoConvert.so\""});
}

TEST(LogsBinding, BindsSilentlyAndWriteLogReachesTheLog) {
    BindingFolder folder;
    WriteLog("before binding", 1);  // nothing bound: nothing happens
    folder.placeHere(systemLibrary("ZoLogs.so"), "ZoLogs.so");
    LoadLogsLibrary("\\system", nullptr, nullptr);
    ASSERT_TRUE(LogsLibraryBound());
    LogsOptionsPtr->OpenLog(kProgramLogName, 20000);
    WriteLog(test::cp("строка журнала").c_str(), LogLevel::Milestone);
    UnloadLogsLibrary();
    EXPECT_FALSE(LogsLibraryBound());
    EXPECT_FALSE(mapped(folder.here() + "/System/ZoLogs.so"));
    const std::string log = test::readBytes(folder.here() + "/Log/Vezevire.log");
    EXPECT_NE(log.find("[2] " + test::cp("строка журнала")), std::string::npos) << log;
    EXPECT_EQ(log.find("before binding"), std::string::npos);
    WriteLog("after unbinding", 1);  // unbound again: no call into freed code
}

TEST(LogsBinding, EmptyLogInATenPixelPanel) {
    BindingFolder folder;
    folder.placeHere(systemLibrary("ZoLogs.so"), "ZoLogs.so");
    LoadLogsLibrary("\\system", nullptr, nullptr);
    ASSERT_TRUE(LogsLibraryBound());
    LogsOptionsPtr->OpenLog("Empty.log", 20000);
    {
        TPanelLogForm panel(ProgramLogLink());
        panel.ResetView("Empty.log");
        panel.resize(10, 10);
        panel.PanelLogFormCanResize();
        EXPECT_EQ(ZO_FIELD(panel.LogView(), Width), 0);
        EXPECT_EQ(panel.windowTitle(), QString::fromUtf8("\"Empty.log\"  Размер: 0 B  100 %"));
        panel.resize(300, 80);
        LogsOptionsPtr->WriteLine("Empty.log", "one line", 3, 1);
        panel.PanelLogFormCanResize();
        EXPECT_GT(ZO_FIELD(panel.LogView(), Size), 0);
        EXPECT_EQ(panel.ScrollBarLog()->value(), 100);
    }
    UnloadLogsLibrary();
}

TEST(LogsBinding, MissingOrUnfitLibraryStaysSilent) {
    BindingFolder folder;
    LoadLogsLibrary("\\system", nullptr, nullptr);
    EXPECT_FALSE(LogsLibraryBound());
    folder.placeHere(testLibrary("OffByOne.so"), "ZoLogs.so");
    LoadLogsLibrary("\\system", nullptr, nullptr);
    EXPECT_FALSE(LogsLibraryBound());
    EXPECT_FALSE(mapped(folder.here() + "/System/ZoLogs.so"));
}

TEST(DialogsBinding, UnboundCallAnswersMinus1000) {
    BindingFolder folder;
    LoadDialogsLibrary("\\System", &recordLog);
    EXPECT_FALSE(DialogsLibraryBound());
    EXPECT_EQ(CallOpenDialogOfType(nullptr, "Color", nullptr), kDialogsNotBound);
    EXPECT_EQ(texts(), std::vector<std::string>{"Не найдена библиотека " + folder.here() + "\\System\\ZoDialogs.so\""});
}

TEST(DialogsBinding, LibraryWithoutTheExportIsRefused) {
    BindingFolder folder;
    folder.placeHere(testLibrary("OffByOne.so"), "ZoDialogs.so");
    LoadDialogsLibrary("\\System", &recordLog);
    EXPECT_FALSE(DialogsLibraryBound());
    EXPECT_EQ(texts(), std::vector<std::string>{"Не получен адрес OpenDialogOfType библиотеки \"" + folder.here() +
                                                "\\System\\ZoDialogs.so\""});
    EXPECT_FALSE(mapped(folder.here() + "/System/ZoDialogs.so"));
}

TEST(ConnectBinding, WritesHostObjectsAndLogThenRunsLifeSlots) {
    BindingFolder folder;
    folder.placeHere(testLibrary("TestConnect.so"), "ZoConnect.so");
    int application = 0, screen = 0;
    LoadConnectLibrary("\\system", &application, &screen, &recordLog);
    ASSERT_NE(ConnectOptionsPtr, nullptr);
    EXPECT_EQ(ConnectOptionsPtr->HostApplication, &application);
    EXPECT_EQ(ConnectOptionsPtr->HostScreen, &screen);
    EXPECT_EQ(ConnectOptionsPtr->Log, &recordLog);
    EXPECT_EQ(reinterpret_cast<intptr_t>(ConnectOptionsPtr->Reserved1[0]), 1) << "initialization ran once";
    const std::string path = folder.here() + "/System/ZoConnect.so";
    EXPECT_EQ(texts(), std::vector<std::string>{"Загружена библиотека \"" + folder.here() + "\\System\\ZoConnect.so\"   TestConnect"});
    UnloadConnectLibrary(&recordLog);
    EXPECT_EQ(ConnectOptionsPtr, nullptr);
    EXPECT_EQ(loggedLines().back().text, "Выгружена библиотека \"ZoConnect.so\"");
    EXPECT_FALSE(mapped(path));
}

TEST(ConnectBinding, AbsoluteFolderIsTakenAsItIs) {
    BindingFolder folder;
    folder.placeInRegistry(testLibrary("TestConnect.so"), "ZoConnect.so", "Elsewhere");
    LoadConnectLibrary(folder.registry() + "/Elsewhere", nullptr, nullptr, &recordLog);
    ASSERT_NE(ConnectOptionsPtr, nullptr);
    UnloadConnectLibrary(&recordLog);
    folder.placeHere(testLibrary("OffByOne.so"), "ZoConnect.so");
    LoadConnectLibrary("\\system", nullptr, nullptr, &recordLog);
    EXPECT_EQ(ConnectOptionsPtr, nullptr);
    EXPECT_EQ(loggedLines().back().text, "Не совпадение размера структуры TConnectOptions библиотеки \"" +
                                             folder.here() + "\\System\\ZoConnect.so\"");
}

}  // namespace
}  // namespace zo::configurator
