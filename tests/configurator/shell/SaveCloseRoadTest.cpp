// Saving and closing from the main window over a copy of the built program
// folder, as a user does: the unsaved-work check leaves the project file and
// the channel base as they were, a build alone is no work to save, another
// program's save over the project file is not replaced unasked, and a SIGTERM
// keeps unsaved work in a recovery copy that the next open tells of.
#include "configurator/shell/MainForm.h"
#include "configurator/shell/StartUp.h"
#include "support/ProgramWindowTest.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>

namespace zo::configurator {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using platform::Answer;

// How many sheets a project text holds.
size_t sheetsIn(const std::string& text) {
    const std::string sheet = test::cp("<Схема ");
    size_t n = 0;
    for (size_t at = text.find(sheet); at != std::string::npos; at = text.find(sheet, at + 1)) ++n;
    return n;
}

class SaveCloseRoad : public test::ProgramWindowTest {
protected:
    void start() {
        createProgram();
        form->show();
        form->FormShow();
        ASSERT_TRUE(form->Session().Bound());
    }
    std::string project() const { return program + "/Project/ExamplePLC.hc"; }
    std::string canals() const { return program + "/Struct/Canals.xml"; }

    // What a file is: its bytes and its modification time (absent: empty bytes).
    struct Kept {
        std::string bytes;
        fs::file_time_type time;
        bool operator==(const Kept&) const = default;
    };
    static Kept keptOf(const std::string& path) {
        if (!fs::exists(path)) return {};
        return {test::readBytes(path), fs::last_write_time(path)};
    }
    // The project saved once (so the channel base holds it), then both files
    // dated back, so that any rewrite shows in their times.
    void openSavedExample() {
        open(project());
        ASSERT_EQ(form->Session().Name(), "ExamplePLC");
        form->Action("SaveProject")->trigger();
        ASSERT_TRUE(fs::exists(canals()));
        const auto old = fs::last_write_time(project()) - std::chrono::hours(24 * 400);
        fs::last_write_time(project(), old);
        fs::last_write_time(canals(), old);
    }
};

// The unsaved-work check of every closing route writes neither the project
// file nor the channel base: not when nothing was edited, not when the
// answer is "Нет".
TEST_F(SaveCloseRoad, ClosingKeepsTheProjectFileAndTheChannelBaseAsTheyWere) {
    struct Route {
        const char* name;
        std::function<void(TMainForm&)> close;
        std::function<bool(TMainForm&)> closed;
    };
    const Route routes[] = {
        {"Закрыть проект", [](TMainForm& f) { f.Action("CloseProject")->trigger(); },
         [](TMainForm& f) { return !f.Session().IsOpen(); }},
        {"the main window closed", [](TMainForm& f) { f.close(); }, [](TMainForm& f) { return !f.isVisible(); }},
    };
    for (const Route& route : routes) {
        for (const bool edited : {false, true}) {
            SCOPED_TRACE(std::string(route.name) + (edited ? ", a sheet added, answered No" : ", nothing edited"));
            start();
            openSavedExample();
            const Kept file = keptOf(project());
            const Kept base = keptOf(canals());
            if (edited) form->Action("ProjectAddList")->trigger();
            ui.questions.clear();
            ui.answer = Answer::No;
            route.close(*form);
            EXPECT_EQ(ui.questions.size(), edited ? 1u : 0u);
            EXPECT_TRUE(route.closed(*form));
            EXPECT_TRUE(keptOf(project()) == file);
            EXPECT_TRUE(keptOf(canals()) == base);
            form.reset();
        }
    }
}

// A build recomputes the connection chains and clears the selection: that is no work to save.
TEST_F(SaveCloseRoad, ABuildAloneLeavesNothingToSave) {
    for (const char* name : {"ExamplePLC", "AvrDemo"}) {
        SCOPED_TRACE(name);
        start();
        const std::string file = program + "/Project/" + name + ".hc";
        open(file);
        ASSERT_EQ(form->Session().Name().toStdString(), name);
        const Kept before = keptOf(file);
        form->Action("ProjectUpload")->trigger();

        EXPECT_NE(log().find(std::string("Проект \"") + name + "\" успешно собран."), std::string::npos) << log();
        ui.questions.clear();
        ui.answer = Answer::Yes;
        form->Action("CloseProject")->trigger();
        EXPECT_TRUE(ui.questions.empty()) << ui.questions.front();
        EXPECT_TRUE(keptOf(file) == before);
        form.reset();
    }
}

// Another instance saved over the project file after this one opened it:
// "Схранить проект" and the close question's "Да" ask before replacing it
// (replace, save elsewhere, cancel).
TEST_F(SaveCloseRoad, AnotherProgramsSaveOverTheProjectFileIsNotReplacedUnasked) {
    start();
    open(project());
    form->Action("ProjectAddList")->trigger();
    // The other instance's save: the same project with a sheet of its own.
    std::string theirs = test::readBytes(project());
    const std::string sheet = test::cp("<Схема Name=\"");
    theirs.insert(theirs.find(sheet) + sheet.size(), test::cp("Их "));
    test::writeBytes(project(), theirs);

    // Cancel at the save: their file stays.
    ui.answers = {Answer::Cancel};
    form->Action("SaveProject")->trigger();
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_NE(ui.questions[0].find("изменен другой программой"), std::string::npos) << ui.questions[0];
    EXPECT_EQ(test::readBytes(project()), theirs);

    // The close question's "Да", then Cancel at the conflict: the project stays open, their file too.
    ui.questions.clear();
    ui.answers = {Answer::Yes, Answer::Cancel};
    form->Action("CloseProject")->trigger();
    EXPECT_EQ(ui.questions.size(), 2u);
    EXPECT_TRUE(form->Session().IsOpen());
    EXPECT_EQ(test::readBytes(project()), theirs);

    // "Нет" at the conflict saves elsewhere through the save-as chooser.
    const std::string elsewhere = program + "/Project/Mine.hc";
    {
        test::ScopedDialogRunner r(test::chooseFile(elsewhere));
        ui.answers = {Answer::No};
        form->Action("SaveProject")->trigger();
    }
    EXPECT_EQ(test::readBytes(project()), theirs);
    ASSERT_TRUE(fs::exists(elsewhere));
    EXPECT_EQ(sheetsIn(test::readBytes(elsewhere)), sheetsIn(theirs) + 1);
    EXPECT_EQ(form->Session().FilePath().toStdString(), elsewhere);

    // Saved here, the file is this instance's: the next save asks nothing.
    ui.questions.clear();
    form->Action("ProjectAddList")->trigger();
    form->Action("SaveProject")->trigger();
    EXPECT_TRUE(ui.questions.empty());

    // "Да" at the conflict replaces their file.
    std::string again = test::readBytes(elsewhere);
    again += "\n";
    test::writeBytes(elsewhere, again);
    form->Action("ProjectAddList")->trigger();
    ui.answers = {Answer::Yes};
    form->Action("SaveProject")->trigger();
    EXPECT_EQ(ui.questions.size(), 1u);
    EXPECT_NE(test::readBytes(elsewhere), again);
    EXPECT_EQ(log().find("Сбой"), std::string::npos) << log();
}

// The program folder a test hands the fresh process it starts.
constexpr char kSharedProgramFolder[] = "ZO_TEST_SHARED_PROGRAM_FOLDER";

// SIGTERM with unsaved work: the work goes into a recovery copy beside the
// project, asking nothing; the project file stays; the next open tells of the copy.
TEST_F(SaveCloseRoad, ASigtermKeepsUnsavedWorkInARecoveryCopyThatTheNextOpenTellsOf) {
    // The program ends by the signal in a process started afresh for it (a
    // forked one would inherit the painting threads of earlier tests without
    // their threads), working in this test's program folder.
    if (!std::getenv(kSharedProgramFolder)) ::setenv(kSharedProgramFolder, program.c_str(), 1);
    const std::string shared = std::getenv(kSharedProgramFolder);
    const std::string file = shared + "/Project/ExamplePLC.hc";
    const std::string copy = file + ".recovery";
    const std::string before = test::readBytes(file);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            program = shared;
            start();
            open(file);
            if (form->Session().Name() != "ExamplePLC") ::_exit(10);
            form->Action("ProjectAddList")->trigger();
            InstallTerminateSignals();
            ::kill(::getpid(), SIGTERM);
            QApplication::exec();
            form.reset();
            ::_exit(ui.questions.empty() ? 0 : 11);
        },
        ::testing::ExitedWithCode(0), "");
    ::unsetenv(kSharedProgramFolder);
    EXPECT_EQ(test::readBytes(file), before);
    ASSERT_TRUE(fs::exists(copy));
    EXPECT_EQ(sheetsIn(test::readBytes(copy)), sheetsIn(before) + 1);
    EXPECT_NE(log().find("записаны в \"" + copy + "\""), std::string::npos) << log();
    // Written whole through a name of its own: nothing else was left in the folder.
    for (const auto& entry : fs::directory_iterator(program + "/Project"))
        EXPECT_TRUE(entry.path().extension() == ".hc" || entry.path() == copy) << entry.path();

    start();
    ui.messages.clear();
    open(file);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("Найдена копия несохраненных изменений"), std::string::npos) << ui.messages[0];
    EXPECT_NE(ui.messages[0].find(copy), std::string::npos) << ui.messages[0];
}

}  // namespace
}  // namespace zo::configurator
