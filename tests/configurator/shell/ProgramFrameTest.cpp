// The main window's frame with the real kernel: the command-line project and
// its captions, the option blocks of a first start, the unsaved-work question.
#include "configurator/shell/ProgramFrame.h"

#include "configurator/link/ProjectComparison.h"
#include "configurator/link/ProjectSession.h"
#include "configurator/shell/MainForm.h"
#include "configurator/shell/ProjectCommands.h"

#include "common/KroKernelConfig.h"
#include "configurator/shell/Options.h"
#include "configurator/windows/CustomDockForm.h"
#include "configurator/windows/FloatTreeCep.h"
#include "configurator/windows/FrameSite.h"
#include "platform/Cp1251.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QMainWindow>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace zo::configurator {
namespace {

namespace fs = std::filesystem;

// A program folder of its own with the real kernel bound and started in it.
class WithKernel : public ::testing::Test {
protected:
    void SetUp() override {
        root = dir.str();
        test::writeBytes(root + "/Configurator", "");
        for (const char* d : {"Struct", "Device", "Library", "Project", "Runtime"})
            fs::copy(std::string(ZO_PROGRAM_DIR) + "/" + d, root + "/" + d, fs::copy_options::recursive);
        for (const char* d : {"Configuration", "Upload", "Update"}) fs::create_directory(root + "/" + d);
        fs::remove(root + "/Struct/Configurator.xml");
        fs::create_directory_symlink(std::string(ZO_PROGRAM_DIR) + "/System", root + "/System");
        here = std::make_unique<test::ScopedCurrentDir>(root);
        convert = test::LoadLibraryRecord("ZoConvert.so");
        LoadKernelLibrary("\\system", nullptr, nullptr, nullptr);
        ASSERT_NE(KernelOptionsPtr, nullptr);
        KernelOptionsPtr->ConvertOptions = static_cast<TConvertOptions*>(convert.record);
        KernelOptionsPtr->KernelInit();
        session.setRecord(KernelOptionsPtr, SaveProjectCopyPtr);
    }
    void TearDown() override {
        session.setRecord(nullptr);
        if (KernelOptionsPtr && KernelOptionsPtr->CloseProject) KernelOptionsPtr->CloseProject("");
        UnloadKernelLibrary(nullptr);
        here.reset();
    }

    test::TempDir dir;
    std::string root;
    std::unique_ptr<test::ScopedCurrentDir> here;
    test::LibraryRecord convert;
    test::UiRecorder ui;
    TProjectSession session;
};

TEST_F(WithKernel, CommandLineProjectSetsTheCaptionsOrLeavesTheProjectCommandsTitles) {
    TMainForm window(session);
    const QString folder = QString::fromStdString(root + "/Project/");
    session.Assign(folder, "ExamplePLC");
    ASSERT_EQ(session.OpenAssigned(), SessionResult::Done);
    EXPECT_EQ(window.windowTitle(), "Orvanta configurator - " + folder + "ExamplePLC.hc  (device: OrvantaPLC.dev)");
    EXPECT_EQ(window.windowIconText(), "ExamplePLC.hc");
    ASSERT_GT(KernelOptionsPtr->GetSheetCount(), 0);

    session.Assign(folder, "Nothing");
    EXPECT_EQ(session.OpenAssigned(), SessionResult::Refused);
    EXPECT_EQ(window.windowTitle(), "Orvanta configurator");
    EXPECT_EQ(window.windowIconText(), "Configurator");
    EXPECT_TRUE(session.Name().isEmpty());
    EXPECT_TRUE(session.Folder().isEmpty());
    EXPECT_EQ(KernelOptionsPtr->GetSheetCount() & 0xFFFF, 0);
}

TEST_F(WithKernel, AFirstStartGivesEveryBlockItsDefaultsAndTheExitSavesThem) {
    TProgramOptionBlocks& b = ProgramOptionBlocks();
    std::memset(&b, 0xEE, sizeof b);
    TProgramFrame::LoadOptions(session);
    // Defaults of Options.xml: the proxy port 8080 and the grid colour 12632256 (0xC0C0C0).
    EXPECT_EQ(ZO_FIELD(b.Connect, ProxyPort), 8080);
    EXPECT_EQ(b.Connect.UseProxy, 0);
    int32_t grid = 0;
    std::memcpy(&grid, b.Visible + 4, 4);
    EXPECT_EQ(grid, 0xC0C0C0);
    TProgramFrame::SaveOptions(session);
    const std::string text = test::readBytes(root + "/Struct/Configurator.xml");
    for (const char* block : {"ConfiguratorUpdate", "ConfiguratorVisible", "ConfiguratorConnect", "ConfiguratorBuilder"})
        EXPECT_NE(text.find(std::string("<") + block), std::string::npos) << block;
}

TEST_F(WithKernel, UnsavedWorkIsAskedAboutOnlyWhenTheProjectDiffers) {
    const std::string file = root + "/Project/ExamplePLC.hc";
    ASSERT_EQ(session.Open(QString::fromStdString(file)), SessionResult::Done);
    TMainForm window(session);
    const std::string before = test::readBytes(file);
    EXPECT_TRUE(window.projectCommands().ConfirmDrop());
    EXPECT_TRUE(ui.questions.empty());

    KernelOptionsPtr->AddSheet();
    ui.answer = platform::Answer::Cancel;
    EXPECT_FALSE(window.projectCommands().ConfirmDrop());
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_NE(ui.questions[0].find("изменен"), std::string::npos);
    ui.answer = platform::Answer::No;
    EXPECT_TRUE(window.projectCommands().ConfirmDrop());
    EXPECT_EQ(test::readBytes(file), before);
    ui.answer = platform::Answer::Yes;
    EXPECT_TRUE(window.projectCommands().ConfirmDrop());
    EXPECT_NE(test::readBytes(file), before);
    // Saved, it no longer differs.
    ui.questions.clear();
    EXPECT_TRUE(window.projectCommands().ConfirmDrop());
    EXPECT_TRUE(ui.questions.empty());
}

TEST_F(WithKernel, TheComparisonWritesNoFileOfTheUsersAndLeavesTheKernelWithTheProjectsOwnFile) {
    // A full-type project never saved in this program folder: no channel base yet.
    const std::string file = root + "/Project/ExamplePLC.hc";
    const std::string canals = root + "/Struct/Canals.xml";
    fs::remove(canals);
    ASSERT_EQ(session.Open(QString::fromStdString(file)), SessionResult::Done);
    const std::string before = test::readBytes(file);
    const auto time = fs::last_write_time(file);
    EXPECT_FALSE(session.DiffersFromFile());
    KernelOptionsPtr->AddSheet();
    EXPECT_TRUE(session.DiffersFromFile());
    EXPECT_EQ(test::readBytes(file), before);
    EXPECT_EQ(fs::last_write_time(file), time);
    EXPECT_FALSE(fs::exists(canals));
    // The kernel still takes the project's own file for the project: a save
    // records that file in the channel base and asks nothing.
    ASSERT_EQ(session.Save(QString::fromStdString(file)), SessionResult::Done);
    const std::string base = test::readBytes(canals);
    EXPECT_NE(base.find("File=\"" + file + "\""), std::string::npos) << base;
    EXPECT_TRUE(ui.questions.empty());
    // Saved, the comparison finds nothing and changes neither file.
    const auto saved = fs::last_write_time(file);
    const auto baseTime = fs::last_write_time(canals);
    EXPECT_FALSE(session.DiffersFromFile());
    EXPECT_EQ(fs::last_write_time(file), saved);
    EXPECT_EQ(fs::last_write_time(canals), baseTime);
    EXPECT_EQ(test::readBytes(canals), base);
}

TEST(ProgramFrame, PanelsDockIntoTheirSitesInFramesOfTheirOwn) {
    TFloatTreeCep floatTree;
    QMainWindow window;
    window.resize(900, 600);
    TProgramFrame frame(window, floatTree);
    auto* library = new QLabel("library");
    library->setObjectName("SourceForm");
    TCustomDockFormEx* dock = frame.DockPanel(library, frame.FrameSiteLeft);
    ASSERT_NE(dock, nullptr);
    EXPECT_EQ(dock->objectName(), "SourceFormFrame");
    EXPECT_EQ(frame.FrameOf(library), dock);
    EXPECT_EQ(frame.DockPanel(library, frame.FrameSiteLeft), dock);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::processEvents();
    EXPECT_EQ(window.dockWidgetArea(dock), Qt::LeftDockWidgetArea);
    EXPECT_EQ(frame.FrameSiteLeft->Kind, 1);
    EXPECT_EQ(frame.FrameSiteLeft->VisibleDockClients(), 1);
    EXPECT_EQ(frame.FrameSiteRight->VisibleDockClients(), 0);
}

}  // namespace
}  // namespace zo::configurator
