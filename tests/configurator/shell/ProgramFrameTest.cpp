// The main window's frame with the real kernel: the command-line project and
// its captions, the option blocks of a first start, the unsaved-work question.
#include "configurator/shell/ProgramFrame.h"

#include "configurator/link/ProjectComparison.h"
#include "configurator/link/ProjectSession.h"
#include "configurator/shell/MainForm.h"
#include "configurator/shell/ProjectCommands.h"

#include "common/KroKernelConfig.h"
#include "configurator/shell/Options.h"
#include "common/abi/SheetRecord.h"
#include "common/abi/VisibleOptions.h"
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
        session.SetRecord(KernelOptionsPtr, SaveProjectCopyPtr);
    }
    void TearDown() override {
        session.SetRecord(nullptr);
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
    // Defaults of Options.xml: the proxy port 8080 and the sheet's grey 0xB0B0B0.
    EXPECT_EQ(ZO_FIELD(b.Connect, ProxyPort), 8080);
    EXPECT_EQ(b.Connect.UseProxy, 0);
    int32_t back = 0;
    std::memcpy(&back, b.Visible + 8, 4);
    EXPECT_EQ(back, 0xB0B0B0);
    TProgramFrame::SaveOptions(session);
    const std::string text = test::readBytes(root + "/Struct/Configurator.xml");
    for (const char* block : {"ConfiguratorUpdate", "ConfiguratorVisible", "ConfiguratorConnect", "ConfiguratorBuilder"})
        EXPECT_NE(text.find(std::string("<") + block), std::string::npos) << block;
}

// The first sheet of the example project as the kernel paints it now.
QImage paintFirstSheet() {
    const TSheetRecord* sheet = KernelOptionsPtr->GetSheet(0);
    void* bitmap = nullptr;
    if (!sheet || KernelOptionsPtr->PaintScheme(sheet->Name, &bitmap) != 0 || !bitmap) return QImage();
    return static_cast<const QImage*>(bitmap)->copy();
}

int darkPixels(const QImage& image) {
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 64;
    return dark;
}

TEST_F(WithKernel, TheDisplayOptionsReachThePainterAndStayAfterARestart) {
    TProgramOptionBlocks& b = ProgramOptionBlocks();
    TProgramFrame::LoadOptions(session);
    const std::string file = root + "/Project/ExamplePLC.hc";
    ASSERT_EQ(KernelOptionsPtr->OpenProject(file.c_str()), 0);
    // Cell (0, 0) is empty on the example's sheet: its middle is a grid dot.
    QImage shown = paintFirstSheet();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.pixel(6, 6) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(shown.pixel(0, 0) & 0xFFFFFF, 0xB0B0B0u);

    TVisibleOptions visible;
    std::memcpy(&visible, b.Visible, sizeof visible);
    visible.ShowGrid = 0;
    visible.BackColor = 0xFFE0C0;  // 0x00BBGGRR: a light blue
    std::memcpy(b.Visible, &visible, sizeof visible);
    ASSERT_TRUE(HandVisibleOptionsToKernel(session));
    shown = paintFirstSheet();
    EXPECT_EQ(shown.pixel(6, 6) & 0xFFFFFF, 0xC0E0FFu);
    EXPECT_EQ(shown.pixel(0, 0) & 0xFFFFFF, 0xC0E0FFu);

    // The exit saves the block; the next start's kernel paints it the same way.
    TProgramFrame::SaveOptions(session);
    KernelOptionsPtr->CloseProject("");
    UnloadKernelLibrary(nullptr);
    std::memset(&b, 0, sizeof b);
    LoadKernelLibrary("\\system", nullptr, nullptr, nullptr);
    ASSERT_NE(KernelOptionsPtr, nullptr);
    KernelOptionsPtr->ConvertOptions = static_cast<TConvertOptions*>(convert.record);
    KernelOptionsPtr->KernelInit();
    session.SetRecord(KernelOptionsPtr);
    TProgramFrame::LoadOptions(session);
    ASSERT_EQ(KernelOptionsPtr->OpenProject(file.c_str()), 0);
    shown = paintFirstSheet();
    EXPECT_EQ(shown.pixel(6, 6) & 0xFFFFFF, 0xC0E0FFu);
}

TEST_F(WithKernel, BlockAndPinNamesGoWithTheirOptions) {
    TProgramOptionBlocks& b = ProgramOptionBlocks();
    TProgramFrame::LoadOptions(session);
    const std::string file = root + "/Project/ExamplePLC.hc";
    ASSERT_EQ(KernelOptionsPtr->OpenProject(file.c_str()), 0);
    TVisibleOptions visible;
    std::memcpy(&visible, b.Visible, sizeof visible);
    visible.ShowGrid = 0;  // only texts and lines are dark
    std::memcpy(b.Visible, &visible, sizeof visible);
    HandVisibleOptionsToKernel(session);
    const QImage all = paintFirstSheet();
    const struct {
        uint8_t TVisibleOptions::*flag;
        const char* what;
    } cases[] = {{&TVisibleOptions::ShowBlockNames, "block names"}, {&TVisibleOptions::ShowPinNames, "pin names"}};
    for (const auto& c : cases) {
        TVisibleOptions off = visible;
        off.*c.flag = 0;
        std::memcpy(b.Visible, &off, sizeof off);
        HandVisibleOptionsToKernel(session);
        const QImage without = paintFirstSheet();
        EXPECT_EQ(without.size(), all.size()) << c.what << ": the blocks keep their places and sizes";
        EXPECT_LT(darkPixels(without), darkPixels(all)) << c.what;
        std::memcpy(b.Visible, &visible, sizeof visible);
        HandVisibleOptionsToKernel(session);
        EXPECT_EQ(paintFirstSheet(), all) << c.what << " back";
    }
}

TEST_F(WithKernel, UnsavedWorkIsAskedAboutOnlyWhenTheProjectDiffers) {
    const std::string file = root + "/Project/ExamplePLC.hc";
    ASSERT_EQ(session.Open(QString::fromStdString(file)), SessionResult::Done);
    TMainForm window(session);
    const std::string before = test::readBytes(file);
    EXPECT_TRUE(window.ProjectCommands().ConfirmDrop());
    EXPECT_TRUE(ui.questions.empty());

    KernelOptionsPtr->AddSheet();
    ui.answer = platform::Answer::Cancel;
    EXPECT_FALSE(window.ProjectCommands().ConfirmDrop());
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_NE(ui.questions[0].find("изменен"), std::string::npos);
    ui.answer = platform::Answer::No;
    EXPECT_TRUE(window.ProjectCommands().ConfirmDrop());
    EXPECT_EQ(test::readBytes(file), before);
    ui.answer = platform::Answer::Yes;
    EXPECT_TRUE(window.ProjectCommands().ConfirmDrop());
    EXPECT_NE(test::readBytes(file), before);
    // Saved, it no longer differs.
    ui.questions.clear();
    EXPECT_TRUE(window.ProjectCommands().ConfirmDrop());
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
