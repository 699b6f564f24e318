// The program itself started as a user starts it: from another folder, with a
// relative project path, offscreen, ended by SIGTERM; and "/Setup".
#include "configurator/shell/Associations.h"
#include "configurator/link/ProjectSession.h"
#include "configurator/shell/MainForm.h"
#include "configurator/shell/MainMenus.h"
#include "configurator/shell/ProgramFrame.h"
#include "configurator/windows/CustomDockForm.h"
#include "configurator/windows/FloatTreeCep.h"
#include "configurator/windows/FrameSite.h"
#include "support/ProgramFolder.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/syscall.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zo::configurator {
namespace {

namespace fs = std::filesystem;

// A copy of the built program folder (its libraries find their log folder from
// where they lie, so they are copied, not linked), with its own settings homes.
class ProgramRun : public ::testing::Test {
protected:
    void SetUp() override {
        program = dir.file("Program Folder");
        test::CopyProgramFolder(program);
        fs::create_directories(dir.file("work/sub"));
        fs::copy_file(program + "/Project/ExamplePLC.hc", dir.file("work/sub/ExamplePLC.hc"));
    }

    // Runs the program in work/ with the arguments; ends it with SIGTERM once
    // the log holds `until` (when empty, lets it end by itself); answers the exit code.
    int run(const QStringList& args, const std::string& until, int timeoutMs = 60000) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", QString::fromStdString(dir.file("config")));
        env.insert("XDG_DATA_HOME", QString::fromStdString(dir.file("data")));
        env.insert("ASAN_OPTIONS", "detect_leaks=1");
        env.insert("LSAN_OPTIONS", "suppressions=" ZO_SOURCE_DIR "/tests/lsan.supp");
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(QString::fromStdString(dir.file("work")));
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QString::fromStdString(program + "/Configurator"), args);
        if (!p.waitForStarted(10000)) return -1000;
        const auto start = std::chrono::steady_clock::now();
        while (!until.empty() && p.state() == QProcess::Running && log().find(until) == std::string::npos) {
            if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(timeoutMs)) break;
            p.waitForFinished(100);
        }
        if (!until.empty() && p.state() == QProcess::Running) {
            // Start-up done: the program's main thread waits for events (seen twice in a row).
            for (int seen = 0; seen < 2 && p.state() == QProcess::Running;) {
                if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(timeoutMs)) break;
                seen = waitsForEvents(pid_t(p.processId())) ? seen + 1 : 0;
                p.waitForFinished(50);
            }
            p.terminate();
        }
        if (!p.waitForFinished(timeoutMs)) {
            p.kill();
            p.waitForFinished();
            return -1001;
        }
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1002;
    }

    // Whether the process's main thread waits in poll, as an event loop with nothing to do.
    static bool waitsForEvents(pid_t pid) {
        std::ifstream in("/proc/" + std::to_string(pid) + "/syscall");
        long number = -1;
        if (!(in >> number)) return false;  // "running", or gone
#ifdef SYS_poll
        if (number == SYS_poll) return true;
#endif
        return number == SYS_ppoll;
    }

    std::string log() const { return test::utf(readIfAny(program + "/Log/Vezevire.log")); }
    static std::string readIfAny(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::vector<std::string> logLines() const {
        std::vector<std::string> lines;
        std::istringstream in(log());
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    // The index of the first line holding text at or after from, -1 when none.
    int lineOf(const std::string& text, int from = 0) const {
        const auto lines = logLines();
        for (int i = from; i < int(lines.size()); ++i)
            if (lines[size_t(i)].find(text) != std::string::npos) return i;
        return -1;
    }

    test::TempDir dir;
    std::string program;
};

TEST_F(ProgramRun, StartsOnARelativeProjectAndShutsDownInOrder) {
    const std::string project = dir.file("work/sub/ExamplePLC.hc");
    ASSERT_EQ(run({"sub/ExamplePLC.hc"}, "Открытие проекта: "), 0) << log();
    const int started = lineOf("Запуск конструктора  Путь: \"" + program + "/\"");
    const int opened = lineOf("Открытие проекта: " + project, started);
    const int terminate = lineOf("Terminate Application", opened);
    const int closing = lineOf("Завершение работы конструктора", terminate);
    EXPECT_GE(started, 0) << log();
    EXPECT_GT(opened, started) << log();
    EXPECT_GT(terminate, opened) << log();
    EXPECT_GT(closing, terminate) << log();
    EXPECT_EQ(closing, int(logLines().size()) - 1) << log();
    EXPECT_EQ(lineOf("[5]"), -1) << log();

    // A first start without Configurator.xml gave every block its defaults,
    // and the exit saved them all, readable by the owner only.
    const std::string settings = program + "/Struct/Configurator.xml";
    const std::string text = test::utf(readIfAny(settings));
    for (const char* block : {"ConfiguratorUpdate", "ConfiguratorVisible", "ConfiguratorConnect", "ConfiguratorBuilder"})
        EXPECT_NE(text.find(std::string("<") + block), std::string::npos) << block << "\n" << text;
    struct stat st{};
    ASSERT_EQ(::stat(settings.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // The project itself was not written: SIGTERM saves nothing.
    EXPECT_EQ(readIfAny(project), readIfAny(program + "/Project/ExamplePLC.hc"));
}

TEST_F(ProgramRun, SetupRegistersAndBindsNeitherTheConversionLibraryNorTheKernel) {
    ASSERT_EQ(run({"/Setup"}, ""), 0) << log();
    EXPECT_GE(lineOf("Добавление записей в реестр"), 0) << log();
    EXPECT_EQ(lineOf("ZoConvert"), -1) << log();
    EXPECT_EQ(lineOf("ZoKernelConfig"), -1) << log();
    EXPECT_EQ(lineOf("Не удается добавить"), -1) << log();
    test::ScopedEnv data("XDG_DATA_HOME", dir.file("data"));
    EXPECT_EQ(IsFileTypeAssociated(".hc", "Orvanta.configurator", program + "/Configurator"), 1);
    test::ScopedEnv config("XDG_CONFIG_HOME", dir.file("config"));
    EXPECT_EQ(platform::registryProgramPath(), program);
}

TEST_F(ProgramRun, LowerCaseSetupIsAProjectPath) {
    // The project file it names does not exist: refused before the kernel.
    ASSERT_EQ(run({"/setup"}, "/setup.hc"), 0) << log();
    EXPECT_GE(lineOf("Файл \"/setup.hc\" не найден."), 0) << log();
    EXPECT_EQ(lineOf("Добавление записей в реестр"), -1) << log();
}

TEST(MainFormStartUp, WithoutTheKernelTheProjectActionsAreDisabledAndTheLogPanelDocks) {
    // The test program's folder holds no System/: nothing binds.
    test::ScopedCurrentDir keep(std::filesystem::current_path());
    test::UiRecorder ui;
    {
        TProjectSession session;
        TMainForm form{session};
        form.FormCreate();
        ASSERT_FALSE(form.SetupRan());
        form.show();
        form.FormShow();
        form.FormShow();  // shown again: nothing runs twice
        QApplication::processEvents();
        for (const char* name : {"SaveProject", "SaveProjectAs", "CloseProject", "ProjectAddList", "ProjectUpload",
                                 "ProjectCreateCFG", "ReginSelect", "ScalePl"}) {
            ASSERT_NE(form.Action(name), nullptr) << name;
            EXPECT_FALSE(form.Action(name)->isEnabled()) << name;
        }
        EXPECT_EQ(form.windowTitle(), "Orvanta configurator");
        EXPECT_TRUE(form.Session().Name().isEmpty());
        auto* logFrame = qobject_cast<TCustomDockFormEx*>(form.LogDock());
        ASSERT_NE(logFrame, nullptr);
        EXPECT_EQ(form.dockWidgetArea(logFrame), Qt::BottomDockWidgetArea);
        EXPECT_EQ(form.Frame().FrameSiteBottom->VisibleDockClients(), 1);
        // The panels come up all the same, empty.
        EXPECT_EQ(form.Frame().FrameSiteLeft->VisibleDockClients(), 2);
        EXPECT_EQ(form.Frame().FrameSiteRight->VisibleDockClients(), 1);
        for (const char* name : {"SourceForm", "ProjectForm", "ObjInspect"}) {
            auto* panel = form.findChild<QWidget*>(name);
            ASSERT_NE(panel, nullptr) << name;
            EXPECT_TRUE(panel->isVisibleTo(&form)) << name;
        }
    }
    // The missing logging library was reported once.
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_NE(ui.messages[0].find("ZoLogs.so"), std::string::npos);
}

TEST(MainFormStartUp, TheWindowMenuShowsAndHidesADockedPanelWithItsFrame) {
    test::ScopedCurrentDir keep(std::filesystem::current_path());
    test::UiRecorder ui;
    {
        TProjectSession session;
        TMainForm form{session};
        form.FormCreate();
        form.show();
        form.FormShow();
        QApplication::processEvents();
        auto* library = form.findChild<QWidget*>("SourceForm");
        ASSERT_NE(library, nullptr);
        TCustomDockFormEx* frame = form.Frame().FrameOf(library);
        ASSERT_NE(frame, nullptr);
        QMenu* menu = MainMenu(form, "Windows");
        ASSERT_NE(menu, nullptr);
        auto item = [&]() -> QAction* {
            emit menu->aboutToShow();
            for (QAction* a : menu->actions())
                if (a->text() == library->windowTitle()) return a;
            return nullptr;
        };
        // Closed by its frame's cross, the panel is unchecked and comes back with its frame.
        frame->close();
        QApplication::processEvents();
        QAction* shown = item();
        ASSERT_NE(shown, nullptr);
        EXPECT_FALSE(shown->isChecked());
        shown->trigger();
        QApplication::processEvents();
        EXPECT_TRUE(frame->isVisible());
        EXPECT_TRUE(library->isVisible());
        QAction* hidden = item();
        ASSERT_NE(hidden, nullptr);
        EXPECT_TRUE(hidden->isChecked());
        hidden->trigger();
        QApplication::processEvents();
        EXPECT_FALSE(frame->isVisible());
    }
}

}  // namespace
}  // namespace zo::configurator
