// The upload folder commands and the modes: the configuration log window's
// place, the configuration file, the start script read without a shell, run
// and stop of the programs started from the upload folder (and only those).
#include "configurator/shell/MainForm.h"
#include "configurator/shell/UploadCommands.h"
#include "platform/DialogHook.h"
#include "platform/Web.h"
#include "CommandsFixture.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QProcess>
#include <QUrl>

#include <signal.h>

#include <filesystem>
#include <thread>

namespace zo::configurator {
namespace {

namespace fs = std::filesystem;

using Runner = test_support::ScopedDialogRunner;

bool waitGone(pid_t pid) {
    for (int i = 0; i < 300 && test::processRunning(pid); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return !test::processRunning(pid);
}

// A program folder with Upload/ holding a copy of sleep and the start script.
struct Fixture : test_support::CommandsFixture {
    TUploadCommands* commands;
    Fixture() : CommandsFixture({"Upload", "Configuration"}) {
        fs::copy_file("/bin/sleep", dir.path() / "Upload" / "VT_win");
        test::writeBytes(dir.file("Upload/autoexec.bat"), "start VT_win.exe 30\r\n");
        fake.setText("GetUploadFolder", dir.str() + "/Upload");
        form.Session().Assign(form.Session().Folder(), "Pump");
        form.UpdateActionStates();
        fake.clearCalls();
        commands = &form.UploadCommands();
        commands->SetGrace(std::chrono::milliseconds(500));
    }
    ~Fixture() {
        if (commands->StartedPid() > 0 && test::processRunning(commands->StartedPid())) ::kill(commands->StartedPid(), SIGKILL);
    }
};

TEST(UploadCommands, ConfigLogWindowPlace) {
    struct Case {
        QSize client;
        QRect rect;
    } cases[] = {
        {{300, 200}, QRect(25, 0, 250, 200)},           // both limited from below
        {{1000, 600}, QRect(200, 120, 600, 360)},       // 0.6 of each
        {{3000, 2000}, QRect(1000, 650, 1000, 700)},    // limited from above
        {{1001, 501}, QRect(200, 100, 601, 301)},       // 600.6 and 300.6 round up
    };
    for (const Case& c : cases) EXPECT_EQ(ConfigLogWindowRect(c.client), c.rect) << c.client.width();
}

TEST(UploadCommands, ModesSetTheKernelMode) {
    Fixture f;
    f.form.Action("RegimSoeden")->trigger();
    f.form.Action("RegimDebug")->trigger();
    f.form.Action("ReginSelect")->trigger();
    std::vector<std::string> modes;
    for (const auto& call : f.fake.callsOf("SetMode")) modes.push_back(call.args[0]);
    EXPECT_EQ(modes, (std::vector<std::string>{"2", "3", "0"}));
}

TEST(UploadCommands, ConfigurationFileToTheChosenFile) {
    Fixture f;
    const std::string chosen = f.dir.str() + "/Configuration/Pump.cfg";
    QString title;
    Runner r([&](QDialog& dialog) {
        auto* chooser = qobject_cast<QFileDialog*>(&dialog);
        title = chooser->windowTitle();
        chooser->selectFile(QString::fromStdString(chosen));
        return int(QDialog::Accepted);
    });
    f.form.Action("ProjectCreateCFG")->trigger();
    EXPECT_EQ(title, QString::fromUtf8("Сохранение конфигурации"));
    ASSERT_EQ(f.fake.count("CreateConfigFile"), 1);
    EXPECT_EQ(f.fake.callsOf("CreateConfigFile")[0].args,
              (std::vector<std::string>{chosen, "CreateConfig.log", "<nil>"}));
    f.fake.clearCalls();
    platform::setDialogRunner({});
    f.form.Action("ProjectCreateCFG")->trigger();  // cancelled
    EXPECT_EQ(f.fake.count("CreateConfigFile"), 0);
}

TEST(UploadCommands, TheUploadFolderOpensOnTheDesktopOrABoxSaysItCannot) {
    Fixture f;
    QStringList urls;
    bool opens = true;
    platform::SetUrlOpener([&](const QString& url) {
        urls << url;
        return opens;
    });
    f.form.Action("ProjectOpenUpload")->trigger();
    EXPECT_TRUE(f.ui.messages.empty());
    opens = false;
    f.form.Action("ProjectOpenUpload")->trigger();
    platform::SetUrlOpener({});
    const QString upload = QUrl::fromLocalFile(QString::fromStdString(f.dir.str() + "/Upload")).toString();
    EXPECT_EQ(urls, (QStringList{upload, upload}));
    EXPECT_EQ(f.ui.messages, std::vector<std::string>{platform::kNoBrowserMessage});
}

TEST(UploadCommands, StartScriptNamesAPlainProgram) {
    test::TempDir dir;
    const QString folder = QString::fromStdString(dir.str());
    test::writeBytes(dir.file("prog"), "");
    test::writeBytes(dir.file("autoexec.bat"), "start prog.exe Pump.cfg\r\n");
    TStartCommand c = ReadStartScript(folder);
    EXPECT_EQ(c.program, folder + "/prog");
    EXPECT_EQ(c.arguments, QStringList{"Pump.cfg"});
    test::writeBytes(dir.file("autoexec.bat"), "prog Pump.cfg\r\n");
    EXPECT_EQ(ReadStartScript(folder).program, folder + "/prog");
    // A quoted word keeps its blanks (a project name with a blank) and its doubled quotes.
    test::writeBytes(dir.file("autoexec.bat"), test::cp("start prog.exe \"Схема 1.cfg\" \"a \"\"b\"\"\"\r\n"));
    c = ReadStartScript(folder);
    EXPECT_EQ(c.program, folder + "/prog");
    EXPECT_EQ(c.arguments, (QStringList{QString::fromUtf8("Схема 1.cfg"), "a \"b\""}));
    for (const char* script : {"start ..\\evil.exe x\r\n", "start /bin/sh -c x\r\n", "start\r\n", "start \"\"\r\n", ""}) {
        test::writeBytes(dir.file("autoexec.bat"), script);
        EXPECT_TRUE(ReadStartScript(folder).program.isEmpty()) << script;
        EXPECT_EQ(StartUploadProgram(folder).result, kStartNoProgram) << script;
    }
}

// A program that ends within the start window was not started: a result of
// 32 or below, its exit code (or signal) and first output lines, no pid kept
// and no debugging started on it.
TEST(UploadCommands, AProgramEndingAtOnceIsNotStarted) {
    Fixture f;
    fs::remove(f.dir.path() / "Upload" / "VT_win");
    fs::copy_file("/bin/sh", f.dir.path() / "Upload" / "VT_win");
    struct Case {
        const char* script;
        int exitCode;
        bool signalled;
        QStringList output;
    } cases[] = {
        {"start VT_win.exe -c \"echo 'usage: VT_win <file>' >&2; echo second; echo third; echo fourth; exit 3\"\r\n", 3,
         false, {"usage: VT_win <file>", "second", "third"}},
        {"start VT_win.exe -c \"kill -9 $$\"\r\n", 9, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        test::writeBytes(f.dir.file("Upload/autoexec.bat"), c.script);
        const TStartOutcome outcome =
            StartUploadProgram(QString::fromStdString(f.dir.str() + "/Upload"), std::chrono::milliseconds(5000));
        EXPECT_EQ(outcome.result, kStartEnded);
        EXPECT_LE(outcome.result, 32);
        EXPECT_EQ(outcome.program, "VT_win");
        EXPECT_EQ(outcome.exitCode, c.exitCode);
        EXPECT_EQ(outcome.signalled, c.signalled);
        EXPECT_EQ(outcome.output, c.output);
        EXPECT_FALSE(test::processRunning(outcome.pid));
    }
    // Through the command: nothing counts as started, the mode stays.
    f.commands->SetBuild([] { return true; });
    f.commands->SetStartWindow(std::chrono::milliseconds(5000));
    f.form.Action("ProjectRunUpload")->trigger();
    EXPECT_EQ(f.commands->StartedPid(), 0);
    EXPECT_EQ(f.fake.count("SetMode"), 0);
}

TEST(UploadCommands, RunStartsTheUploadProgramAndStopEndsOnlyIt) {
    Fixture f;
    // The same program started from another folder and from a sub-folder survives.
    fs::create_directories(f.dir.path() / "Other");
    fs::create_directories(f.dir.path() / "Upload" / "sub");
    fs::copy_file("/bin/sleep", f.dir.path() / "Other" / "VT_win");
    fs::copy_file("/bin/sleep", f.dir.path() / "Upload" / "sub" / "VT_win");
    QProcess other, sub;
    other.start(QString::fromStdString(f.dir.file("Other/VT_win")), {"30"});
    sub.start(QString::fromStdString(f.dir.file("Upload/sub/VT_win")), {"30"});
    ASSERT_TRUE(other.waitForStarted(5000));
    ASSERT_TRUE(sub.waitForStarted(5000));

    int builds = 0;
    f.commands->SetBuild([&] { ++builds; return true; });
    f.form.Action("ProjectRunUpload")->trigger();
    EXPECT_EQ(builds, 1);
    const pid_t pid = f.commands->StartedPid();
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(test::processRunning(pid));
    ASSERT_EQ(f.fake.count("SetMode"), 1);
    EXPECT_EQ(f.fake.callsOf("SetMode")[0].args[0], "3");

    // Running again stops the first one; the kernel already in mode 3 is left so.
    f.fake.setResult("GetMode", 3);
    f.fake.clearCalls();
    f.form.Action("ProjectRunUpload")->trigger();
    EXPECT_TRUE(waitGone(pid));
    const pid_t second = f.commands->StartedPid();
    EXPECT_NE(second, pid);
    EXPECT_TRUE(test::processRunning(second));
    EXPECT_EQ(f.fake.count("SetMode"), 0);

    f.form.Action("ProjectStopUpload")->trigger();
    EXPECT_TRUE(waitGone(second));
    ASSERT_EQ(f.fake.count("SetMode"), 1);
    EXPECT_EQ(f.fake.callsOf("SetMode")[0].args[0], "0");
    EXPECT_EQ(other.state(), QProcess::Running);
    EXPECT_EQ(sub.state(), QProcess::Running);
    other.kill();
    sub.kill();
    other.waitForFinished(5000);
    sub.waitForFinished(5000);
}

TEST(UploadCommands, RunAfterAFailedBuildStartsNothing) {
    Fixture f;
    f.commands->SetBuild([] { return false; });
    f.form.Action("ProjectRunUpload")->trigger();
    EXPECT_EQ(f.commands->StartedPid(), 0);
    EXPECT_EQ(f.fake.count("SetMode"), 0);
}

TEST(UploadCommands, AProgramIgnoringSigtermIsKilled) {
    test::TempDir dir;
    fs::copy_file("/bin/sh", dir.path() / "stubborn");
    QProcess p;
    p.start(QString::fromStdString(dir.file("stubborn")),
            {"-c", "trap '' TERM; echo ignoring; while :; do sleep 0.05; done"});
    ASSERT_TRUE(p.waitForStarted(5000));
    // SIGTERM is ignored once the shell says so.
    QByteArray said = p.readAllStandardOutput();
    while (!said.contains("ignoring")) {
        ASSERT_TRUE(p.waitForReadyRead(15000)) << said.toStdString();
        said += p.readAllStandardOutput();
    }
    // (a child the shell forks has its program file too until it runs sleep)
    EXPECT_GE(StopUploadPrograms(QString::fromStdString(dir.str()), std::chrono::milliseconds(200)), 1);
    EXPECT_TRUE(p.waitForFinished(5000));
    EXPECT_EQ(p.exitStatus(), QProcess::CrashExit);
}

}  // namespace
}  // namespace zo::configurator
