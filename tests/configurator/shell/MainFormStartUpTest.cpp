// The main window over the real libraries of the program folder: bound at
// creation, the kernel's host slots written at the first showing, everything
// logged, and every library unbound and unmapped when the window goes.
#include "common/KroKernelConfig.h"
#include "configurator/link/BindingTestSupport.h"
#include "configurator/link/HostSlots.h"
#include "configurator/link/KroConvert.h"
#include "configurator/link/KroLog.h"
#include "configurator/link/ProjectSession.h"
#include "configurator/shell/Actions.h"
#include "configurator/shell/MainForm.h"
#include "configurator/shell/StartUp.h"
#include "configurator/shell/ProgramFrame.h"
#include "configurator/windows/CustomDockForm.h"
#include "configurator/windows/FloatTreeCep.h"
#include "configurator/windows/ObjInspect.h"
#include "configurator/windows/ProjectForm.h"
#include "configurator/windows/SourceForm.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QIcon>
#include <QApplication>
#include <QLabel>

#include <filesystem>

namespace zo::configurator {
namespace {

namespace fs = std::filesystem;

// A program folder whose entries lead to the built one; the logging library
// is a copy, so the log is written below this folder.
void linkProgramFolder(const fs::path& to) {
    const fs::path from = ZO_PROGRAM_DIR;
    for (const auto& entry : fs::directory_iterator(from)) {
        const std::string name = entry.path().filename().string();
        if (name == "Log" || name == "System") continue;
        fs::create_directory_symlink(entry.path(), to / name);
    }
    fs::create_directories(to / "System");
    for (const auto& entry : fs::directory_iterator(from / "System")) {
        const std::string name = entry.path().filename().string();
        if (name == "ZoLogs.so") fs::copy_file(entry.path(), to / "System" / name);
        else fs::create_symlink(entry.path(), to / "System" / name);
    }
}

std::vector<std::string> logLines(const std::string& file) {
    std::vector<std::string> lines;
    std::string text = test::utf(test::readBytes(file));
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        std::string line = text.substr(start, end - start);
        const size_t level = line.find("] ");  // after "<date> <time> [<level>] "
        if (level != std::string::npos) lines.push_back(line.substr(level + 2));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

// The index of the first line starting with prefix at or after from, or -1.
int find(const std::vector<std::string>& lines, const std::string& prefix, int from = 0) {
    if (from < 0) return -1;
    for (int i = from; i < int(lines.size()); ++i)
        if (lines[i].rfind(prefix, 0) == 0) return i;
    return -1;
}

// A program folder of its own (the built one's files linked in), its own
// settings and current folder, and recorded boxes.
class MainFormStartUpInFolder : public ::testing::Test {
protected:
    MainFormStartUpInFolder() { linkProgramFolder(dir.path()); }

    test::TempDir config;
    test::TempDir dir;
    test::ScopedEnv env{"XDG_CONFIG_HOME", config.str()};
    test::ScopedCurrentDir cd{dir.path()};
    test::UiRecorder ui;
    const std::string folder = dir.str();
};

TEST_F(MainFormStartUpInFolder, BindsLogsServesTheKernelAndUnbindsEverything) {
    {
        TProjectSession session;
        TMainForm form{session};
        form.FormCreate(QString::fromStdString(folder));
        ASSERT_NE(LogsOptionsPtr, nullptr);
        ASSERT_NE(ConvertOptionsPtr, nullptr);
        ASSERT_NE(KernelOptionsPtr, nullptr);
        ASSERT_EQ(form.Session().Record(), KernelOptionsPtr);
        form.FormShow();
        EXPECT_EQ(HostServices(), &form);
        TKernelOptions& k = *KernelOptionsPtr;
        EXPECT_EQ(ZO_FIELD(k, ShowSchemeWindow), &host::ShowSchemeWindow);
        EXPECT_EQ(ZO_FIELD(k, SetStatusText), &host::SetStatusText);
        EXPECT_EQ(ZO_FIELD(k, Inspector.SetStatusText), &host::SetStatusText);
        EXPECT_EQ(ZO_FIELD(k, ConvertOptions), ConvertOptionsPtr);
        // The kernel's status text reaches the status bar through the slot.
        EXPECT_EQ(k.SetStatusText(2, "ready"), 0);
        EXPECT_EQ(form.StatusPanel(2)->text(), "ready");
        EXPECT_TRUE(form.Action("NewProject")->isEnabled());
        EXPECT_FALSE(form.Action("SaveProject")->isEnabled());
    }
    EXPECT_EQ(HostServices(), nullptr);
    EXPECT_EQ(LogsOptionsPtr, nullptr);
    EXPECT_EQ(ConvertOptionsPtr, nullptr);
    EXPECT_EQ(KernelOptionsPtr, nullptr);
    for (const char* library : {"ZoLogs.so", "ZoConvert.so", "ZoKernelConfig.so"}) {
        EXPECT_FALSE(test::mapped(folder + "/System/" + library)) << library;
        EXPECT_FALSE(test::mapped(std::string(ZO_PROGRAM_DIR) + "/System/" + library)) << library;
    }
    const std::vector<std::string> lines = logLines(folder + "/Log/Vezevire.log");
    const int start = find(lines, "Запуск конструктора  Путь: \"" + folder + "/\"");
    const int convert = find(lines, "Загружена библиотека \"" + folder + "\\System\\ZoConvert.so\"  ", start);
    const int kernel = find(lines, "Загружена библиотека \"" + folder + "\\System\\ZoKernelConfig.so\" ", convert);
    const int unloadKernel = find(lines, "Выгружена библиотека \"ZoKernelConfig.so\"", kernel);
    const int unloadConvert = find(lines, "Выгружена библиотека \"ZoConvert.so\"", unloadKernel);
    const int end = find(lines, "Завершение работы конструктора", unloadConvert);
    EXPECT_EQ(start, 0);
    EXPECT_GT(convert, start);
    EXPECT_GT(kernel, convert);
    EXPECT_GT(unloadKernel, kernel);
    EXPECT_GT(unloadConvert, unloadKernel);
    EXPECT_GT(end, unloadConvert);
    if (end < 0)
        for (const std::string& line : lines) ADD_FAILURE() << line;
}

TEST_F(MainFormStartUpInFolder, DocksTheThreePanelsHandedTheKernelAndFilledForTheProject) {
    {
        TProjectSession session;
        TMainForm form{session};
        form.resize(1200, 800);
        form.FormCreate(QString::fromStdString(folder));
        ASSERT_NE(KernelOptionsPtr, nullptr);
        // The project the command line names.
        form.Session().Assign(QString::fromStdString(folder + "/Project/"), "ExamplePLC");
        form.show();
        form.FormShow();
        QApplication::processEvents();
        ASSERT_FALSE(form.Session().Name().isEmpty()) << "the example project did not open";

        auto* library = form.findChild<TSourceForm*>("SourceForm");
        auto* tree = form.findChild<TProjectForm*>("ProjectForm");
        auto* inspector = form.findChild<TObjInspect*>("ObjInspect");
        ASSERT_NE(library, nullptr);
        ASSERT_NE(tree, nullptr);
        ASSERT_NE(inspector, nullptr);
        const std::pair<QWidget*, Qt::DockWidgetArea> placed[] = {
            {library, Qt::LeftDockWidgetArea}, {tree, Qt::LeftDockWidgetArea}, {inspector, Qt::RightDockWidgetArea}};
        for (const auto& [panel, area] : placed) {
            TCustomDockFormEx* frame = form.Frame().FrameOf(panel);
            ASSERT_NE(frame, nullptr) << panel->objectName().toStdString();
            EXPECT_FALSE(frame->isFloating()) << panel->objectName().toStdString();
            EXPECT_EQ(form.dockWidgetArea(frame), area) << panel->objectName().toStdString();
            EXPECT_TRUE(panel->isVisibleTo(&form)) << panel->objectName().toStdString();
        }
        // The element library of the project's device, the project's sheets in the tree.
        EXPECT_GT(library->TreeView1()->topLevelItemCount(), 0);
        EXPECT_EQ(tree->TreeView1()->topLevelItemCount(), KernelOptionsPtr->GetSheetCount() & 0xFFFF);
        EXPECT_GT(tree->TreeView1()->topLevelItemCount(), 0);
        // The inspector reaches the kernel's inspector record and shows what the kernel hands it.
        const TReplaceElementPropertiesProc replace = ZO_FIELD(*KernelOptionsPtr, Inspector.ReplaceElementProperties);
        ASSERT_NE(replace, nullptr);
        EXPECT_EQ(replace("", 0, nullptr, nullptr), -3);
        EXPECT_EQ(inspector->OnLog, &WriteLog);
        EXPECT_FALSE(inspector->Lists().GlobalLists.empty());
    }
    EXPECT_EQ(KernelOptionsPtr, nullptr);
}

TEST_F(MainFormStartUpInFolder, ADisabledActionShowsItsPictureOfTheDisabledStrip) {
    TProjectSession session;
    TMainForm form{session};
    form.FormCreate(QString::fromStdString(folder));
    TProgramImageLists lists;
    const TIconStrips strips = FillImageLists(lists);
    ASSERT_FALSE(strips.Icon32dis.isNull());
    const int cell = ActionSpec(ActionId::SaveProject).icon;
    const QImage normal = strips.Icon32.copy(cell * 32, 0, 32, 32).convertToFormat(QImage::Format_RGB32);
    const QImage greyed = strips.Icon32dis.copy(cell * 32, 0, 32, 32).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(form.Action("SaveProject")->isEnabled());
    const QImage shown =
        form.Action("SaveProject")->icon().pixmap(32, QIcon::Disabled).toImage().convertToFormat(QImage::Format_RGB32);
    int compared = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (greyed.pixel(x, y) != normal.pixel(x, y) && greyed.pixel(x, y) != greyed.pixel(31, 0)) {
                EXPECT_EQ(shown.pixel(x, y), greyed.pixel(x, y)) << x << "," << y;
                ++compared;
            }
    EXPECT_GT(compared, 0);
    EXPECT_FALSE(form.Actions().Icon(24).isNull());  // the File menu's "Выход"
}

TEST_F(MainFormStartUpInFolder, ACommandLineProjectThatDoesNotOpenLeavesTheBareCaption) {
    TProjectSession session;
    TMainForm form{session};
    form.FormCreate(QString::fromStdString(folder));
    form.Session().Assign(QString::fromStdString(folder + "/Project/"), "Nothing");
    form.FormShow();
    EXPECT_TRUE(form.Session().Name().isEmpty());
    EXPECT_EQ(form.windowTitle(), "Orvanta configurator");
    EXPECT_EQ(form.windowIconText(), "Configurator.hc");
}

}  // namespace
}  // namespace zo::configurator
