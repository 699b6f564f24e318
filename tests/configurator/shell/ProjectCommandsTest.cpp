// The project commands of the main window against the shared fake of the
// kernel record: the new-project proposal and the name checks, open with
// Cancel, save and save as with their results examined, close asking before
// unsaved work goes, the recent projects and the File and Project menus.
#include "common/abi/SheetRecord.h"
#include "configurator/link/KroLog.h"
#include "configurator/link/ProjectSession.h"
#include "configurator/shell/MainForm.h"
#include "configurator/shell/ProjectCommands.h"
#include "configurator/shell/RecentFiles.h"
#include "platform/Web.h"
#include "platform/DialogHook.h"
#include "CommandsFixture.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace zo::configurator {
namespace {

namespace fs = std::filesystem;
using test::FakeKernel;
using platform::RegistryRoot;

using Runner = test_support::ScopedDialogRunner;

// The program folder with Project/ and Device/ (one device file), the kernel's
// project folder below it.
struct Fixture : test_support::CommandsFixture {
    TProjectCommands* commands;
    Fixture() : CommandsFixture({"Project", "Device"}) {
        test::writeBytes(dir.file("Device/Plc.dev"), "<Micro/>");
        fake.setText("GetProjectFolder", dir.str() + "/Project");
        fake.setText("GetDeviceFilePath", "\\Device\\Plc.dev");
        commands = &form.ProjectCommands();
    }
    std::vector<std::string> recent() const { return RecentFiles(RegistryRoot::CurrentUser, kClosedProjectsKey); }
    void openAs(const std::string& name, const std::string& folder) {
        form.Session().Assign(QString::fromStdString(folder), QString::fromStdString(name));
        form.UpdateActionStates();
        fake.clearCalls();
    }
};

TEST(ProjectCommands, ConnectedToTheActionsAndMenus) {
    Fixture f;
    ASSERT_NE(f.commands, nullptr);
    ASSERT_NE(f.commands->FileMenu(), nullptr);
    EXPECT_EQ(f.commands->FileMenu()->title(), QString::fromUtf8("Файл"));
    EXPECT_EQ(f.commands->ProjectMenu()->title(), QString::fromUtf8("Проект"));
    f.openAs("P", "/x/");
    f.form.Action("ProjectAddList")->trigger();
    f.form.Action("ProjectParam")->trigger();
    EXPECT_EQ(f.fake.slotsCalled(), (std::vector<std::string>{"AddSheet", "EditProjectHeader"}));
}

TEST(ProjectCommands, ProposedNameSkipsExistingProjects) {
    test::TempDir dir;
    EXPECT_EQ(ProposedProjectName(QString::fromStdString(dir.str())), "Project1");
    test::writeBytes(dir.file("Project1.hc"), "");
    test::writeBytes(dir.file("Project2.hc"), "");
    test::writeBytes(dir.file("Project4.hc"), "");
    EXPECT_EQ(ProposedProjectName(QString::fromStdString(dir.str())), "Project3");
}

TEST(ProjectCommands, NameChecks) {
    EXPECT_EQ(ProjectNameError("Project3"), "");
    EXPECT_EQ(ProjectNameError(test::cp("Насос 1")), "");
    EXPECT_EQ(ProjectNameError(std::string(60, 'a')), "");
    for (const std::string& bad : {std::string(), std::string(61, 'a'), std::string("a/b"), std::string("a\\b"),
                                  std::string(".."), std::string("a..b"), std::string("a:b"), std::string("a.")})
        EXPECT_NE(ProjectNameError(bad), "") << bad;
}

// Without the dialogs library the fallback asks; the kernel creates the project.
TEST(ProjectCommands, NewProjectThroughTheFallbackDialog) {
    Fixture f;
    int shown = 0;
    Runner r([&](QDialog& dialog) {
        ++shown;
        auto* edit = dialog.findChild<QLineEdit*>("Edit");
        auto* list = dialog.findChild<QComboBox*>("FileList");
        if (!edit || !list || list->count() != 1) return int(QDialog::Rejected);
        EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Новый проект"));
        edit->setText(QString::fromUtf8("Насос"));
        list->setCurrentIndex(0);
        dialog.findChild<QPushButton*>("OK")->click();
        return dialog.result();
    });
    f.form.Action("NewProject")->trigger();
    EXPECT_EQ(shown, 1);
    ASSERT_EQ(f.fake.count("NewProject"), 1);
    EXPECT_EQ(f.fake.callsOf("NewProject")[0].args, (std::vector<std::string>{test::cp("Насос"), "Plc.dev"}));
    EXPECT_EQ(f.ui.messages, std::vector<std::string>{"Проект Насос создан."});
    EXPECT_EQ(f.form.Session().Name(), QString::fromUtf8("Насос"));
    EXPECT_EQ(f.form.Session().Folder(), "");
    EXPECT_EQ(f.form.windowTitle(), QString::fromUtf8("Orvanta configurator - Насос  (device: Plc.dev)"));
    EXPECT_EQ(f.form.windowIconText(), QString::fromUtf8("Насос.hc"));
    EXPECT_EQ(f.fake.count("AddSheet"), 1);
    EXPECT_FALSE(f.form.Action("NewProject")->isEnabled());
    EXPECT_TRUE(f.form.Action("SaveProject")->isEnabled());
}

// The dialogs library's new-project dialog is offered the first free name.
TEST(ProjectCommands, TheNewProjectDialogProposesTheFirstFreeName) {
    Fixture f;
    fs::create_directories(f.dir.path() / "System");
    fs::copy_file(std::string(ZO_PROGRAM_DIR) + "/System/ZoDialogs.so", f.dir.path() / "System" / "ZoDialogs.so");
    test::writeBytes(f.dir.file("Project/Project1.hc"), "");
    test::writeBytes(f.dir.file("Project/Project2.hc"), "");
    QString proposed;
    Runner r([&](QDialog& dialog) {
        auto* name = dialog.findChild<QLineEdit*>("ProjectName");
        if (dialog.objectName() != "TNewConfiguratorProject" || !name) return int(QDialog::Rejected);
        proposed = name->text();
        return int(QDialog::Accepted);
    });
    f.form.Action("NewProject")->trigger();
    EXPECT_EQ(proposed, "Project3");
    ASSERT_EQ(f.fake.count("NewProject"), 1);
    EXPECT_EQ(f.fake.callsOf("NewProject")[0].args, (std::vector<std::string>{"Project3", "Plc.dev"}));
    EXPECT_EQ(f.form.Session().Name(), "Project3");
}

TEST(ProjectCommands, NewProjectRefusesBadNamesAndCancel) {
    for (const char* name : {"../evil", "a/b", ""}) {
        Fixture f;
        Runner r([&](QDialog& dialog) {
            dialog.findChild<QLineEdit*>("Edit")->setText(name);
            dialog.findChild<QComboBox*>("FileList")->setCurrentIndex(0);
            dialog.findChild<QPushButton*>("OK")->click();
            return dialog.result();
        });
        f.form.Action("NewProject")->trigger();
        EXPECT_EQ(f.fake.count("NewProject"), 0) << name;
        EXPECT_EQ(f.form.Session().Name(), "") << name;
        EXPECT_EQ(f.ui.messages.size(), std::string(name).empty() ? 0u : 1u) << name;
    }
    Fixture f;
    f.form.Action("NewProject")->trigger();  // no runner: the dialog is rejected
    EXPECT_EQ(f.fake.count("NewProject"), 0);
}

TEST(ProjectCommands, OpenCancelChangesNothing) {
    Fixture f;
    f.openAs("Old", f.dir.str() + "/Project/");
    f.form.setWindowTitle("before");
    f.form.Action("OpenProject")->trigger();  // rejected
    EXPECT_EQ(f.fake.count("CloseProject"), 0);
    EXPECT_EQ(f.fake.count("OpenProject"), 0);
    EXPECT_EQ(f.form.Session().Name(), "Old");
    EXPECT_EQ(f.form.windowTitle(), "before");
}

TEST(ProjectCommands, OpenChosenFileClosesTheOldOneFirst) {
    Fixture f;
    const std::string file = f.dir.str() + "/Project/Pump.hc";
    test::writeBytes(file, "");
    f.openAs("Old", f.dir.str() + "/Project/");
    // The old project has no file to compare with, so it counts as changed: its work is declined.
    f.ui.answer = platform::Answer::No;
    QString title;
    Runner r([&](QDialog& dialog) {
        auto* chooser = qobject_cast<QFileDialog*>(&dialog);
        if (!chooser) return int(QDialog::Rejected);
        title = chooser->windowTitle();
        chooser->selectFile(QString::fromStdString(file));
        return int(QDialog::Accepted);
    });
    f.commands->OpenProjectExecute();
    EXPECT_EQ(title, QString::fromUtf8("Открытие проекта \"Orvanta configurator\""));
    // The old project (its work declined) is closed, then the chosen one opened; nothing is saved.
    std::vector<std::string> project;
    for (const std::string& slot : f.fake.slotsCalled())
        if (slot == "SaveProject" || slot == "CloseProject" || slot == "OpenProject") project.push_back(slot);
    EXPECT_EQ(project, (std::vector<std::string>{"CloseProject", "OpenProject"}));
    ASSERT_EQ(f.fake.count("CloseProject"), 1);
    EXPECT_EQ(f.fake.callsOf("CloseProject")[0].args[0], f.dir.str() + "/Project/Old.hc");
    EXPECT_EQ(f.fake.callsOf("OpenProject")[0].args[0], file);
    EXPECT_EQ(f.form.Session().Name(), "Pump");
    EXPECT_EQ(f.form.windowTitle(), QString::fromStdString("Orvanta configurator - " + file + "  (device: Plc.dev)"));
    EXPECT_TRUE(f.recent().empty());  // opening does not touch the recent list

    // A failed open logs, closes and leaves no project.
    f.fake.setResult("OpenProject", 3);
    f.fake.clearCalls();
    f.commands->OpenProjectExecute();
    EXPECT_EQ(f.form.Session().Name(), "");
    EXPECT_EQ(f.form.windowTitle(), "Orvanta configurator");
    EXPECT_EQ(f.form.windowIconText(), "Configurator");
    EXPECT_EQ(f.fake.callsOf("CloseProject").back().args[0], "");
}

TEST(ProjectCommands, SaveStoresInTheProjectFolderAndRemembersIt) {
    Fixture f;
    f.openAs("Pump", "");
    f.form.Action("SaveProject")->trigger();
    const std::string path = f.dir.str() + "/Project/Pump.hc";
    ASSERT_EQ(f.fake.count("SaveProject"), 1);
    EXPECT_EQ(f.fake.callsOf("SaveProject")[0].args[0], path);
    EXPECT_EQ(f.form.Session().Folder().toStdString(), f.dir.str() + "/Project/");
    EXPECT_EQ(f.recent(), std::vector<std::string>{path});
    EXPECT_EQ(f.form.windowTitle(), QString::fromStdString("Orvanta configurator - " + path + "  (device: Plc.dev)"));
}

// The kernel's refusal (a read-only folder, a full disk) is reported and the
// recent list, the title and the names stay as they were.
TEST(ProjectCommands, FailedSaveChangesNothing) {
    Fixture f;
    f.fake.setResult("SaveProject", -2);
    f.openAs("Pump", "");
    f.form.setWindowTitle("before");
    f.form.Action("SaveProject")->trigger();
    EXPECT_EQ(f.ui.messages.size(), 1u);
    EXPECT_TRUE(f.recent().empty());
    EXPECT_EQ(f.form.windowTitle(), "before");
    EXPECT_EQ(f.form.Session().Folder(), "");

    Runner r([&](QDialog& dialog) {
        qobject_cast<QFileDialog*>(&dialog)->selectFile(QString::fromStdString(f.dir.str() + "/Other.hc"));
        return int(QDialog::Accepted);
    });
    f.form.Action("SaveProjectAs")->trigger();
    EXPECT_EQ(f.ui.messages.size(), 2u);
    EXPECT_TRUE(f.recent().empty());
    EXPECT_EQ(f.form.Session().Name(), "Pump");
    EXPECT_EQ(f.form.windowTitle(), "before");
}

// A path the kernel's Windows-1251 cannot hold never reaches the kernel: the
// box names it readably, the open project stays, nothing is saved there.
TEST(ProjectCommands, APathOutsideWindows1251IsRefusedBeforeTheKernel) {
    Fixture f;
    const std::string folder = f.dir.str() + "/日本 ü";
    std::filesystem::create_directories(folder);
    test::writeBytes(folder + "/Plant.hc", "<x/>");
    f.openAs("Pump", f.dir.str() + "/Project/");
    Runner open([&](QDialog& dialog) {
        qobject_cast<QFileDialog*>(&dialog)->selectFile(QString::fromStdString(folder + "/Plant.hc"));
        return int(QDialog::Accepted);
    });
    f.commands->OpenProjectExecute();
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_NE(f.ui.messages[0].find(f.dir.str() + "/<U+65E5><U+672C> <U+00FC>/Plant.hc"), std::string::npos)
        << f.ui.messages[0];
    EXPECT_NE(f.ui.messages[0].find("Windows-1251"), std::string::npos);
    EXPECT_EQ(f.fake.count("OpenProject"), 0);
    EXPECT_EQ(f.fake.count("CloseProject"), 0);
    EXPECT_EQ(f.form.Session().Name(), "Pump");

    Runner saveAs([&](QDialog& dialog) {
        qobject_cast<QFileDialog*>(&dialog)->selectFile(QString::fromStdString(folder + "/Pump.hc"));
        return int(QDialog::Accepted);
    });
    f.form.Action("SaveProjectAs")->trigger();
    EXPECT_EQ(f.ui.messages.size(), 2u);
    EXPECT_EQ(f.fake.count("SaveProject"), 0);
    EXPECT_EQ(f.form.Session().Folder().toStdString(), f.dir.str() + "/Project/");
    EXPECT_TRUE(f.recent().empty());
}

// The file every route opens (the command line, the open command, the recent
// list) is checked before the kernel or the open project is touched: a name
// New and Save As would refuse (a quote and blanks that would split a tool's
// command line, a line feed that would continue it), no such file, a folder.
// The box names the file readably.
TEST(ProjectCommands, AnOpenedFileIsCheckedOnEveryRouteBeforeTheKernel) {
    enum Route { CommandLine, Open, Recent };
    struct Case {
        const char* what;
        std::string name;
        enum { File, Folder, Missing } kind;
        std::string said;  // in the box (UTF-8)
    } cases[] = {
        {"quote", "AvrDemo\" \"-o=pwned.hc", Case::File, "Недопустимое имя проекта: \"AvrDemo\" \"-o=pwned\""},
        {"line feed", "Pump\nnop.hc", Case::File, "Недопустимое имя проекта: \"Pump<U+000A>nop\""},
        {"missing", "Gone.hc", Case::Missing, "/Project/Gone.hc\" не найден."},
        {"folder", "Dir.hc", Case::Folder, "/Project/Dir.hc\" не открыт: это папка, а не файл проекта."},
    };
    for (const Case& c : cases)
        for (const Route route : {CommandLine, Open, Recent}) {
            // The chooser itself hands out no folder, and reads quotes in a
            // typed name as its own list of names.
            if (route == Open && (c.kind == Case::Folder || c.name.find('"') != std::string::npos)) continue;
            SCOPED_TRACE(std::string(c.what) + " route " + std::to_string(route));
            Fixture f;
            const std::string path = f.dir.str() + "/Project/" + c.name;
            if (c.kind == Case::File) test::writeBytes(path, "<x/>");
            if (c.kind == Case::Folder) fs::create_directories(path);
            const QString file = QString::fromStdString(path);
            if (route == CommandLine) {
                // The options file the first showing reads.
                fs::copy_file(std::string(ZO_PROGRAM_DIR) + "/Struct/Options.xml", f.dir.file("Options.xml"));
                f.form.Session().Assign(QFileInfo(file).absolutePath(), QFileInfo(file).completeBaseName());
                f.form.FormShow();
            } else {
                f.openAs("Old", f.dir.str() + "/Project/");
                if (route == Open) {
                    Runner r([&](QDialog& dialog) {
                        qobject_cast<QFileDialog*>(&dialog)->selectFile(file);
                        return int(QDialog::Accepted);
                    });
                    f.commands->OpenProjectExecute();
                } else {
                    AddRecentFile(RegistryRoot::CurrentUser, kClosedProjectsKey, test::cp(path));
                    f.commands->FastOpenPrjClick(0);
                }
                EXPECT_EQ(f.form.Session().Name(), "Old");
                EXPECT_TRUE(f.ui.questions.empty()) << "nothing is asked about the open project";
            }
            ASSERT_EQ(f.ui.messages.size(), 1u);
            EXPECT_NE(f.ui.messages[0].find(c.said), std::string::npos) << f.ui.messages[0];
            EXPECT_EQ(f.ui.messages[0].find("Pump\nnop"), std::string::npos) << "the line feed is named, not written";
            EXPECT_EQ(f.fake.count("OpenProject"), 0);
            EXPECT_EQ(f.fake.count("CloseProject"), 0);
            if (route == CommandLine) {
                EXPECT_FALSE(f.form.Session().IsOpen());
            }
        }
}

TEST(ProjectCommands, FirstSaveAsksBeforeReplacingAFile) {
    Fixture f;
    test::writeBytes(f.dir.file("Project/Pump.hc"), "old");
    f.openAs("Pump", "");
    f.ui.answer = platform::Answer::No;
    f.form.Action("SaveProject")->trigger();
    EXPECT_EQ(f.ui.questions.size(), 1u);
    EXPECT_EQ(f.fake.count("SaveProject"), 0);
    EXPECT_EQ(f.form.Session().Folder(), "");
    f.ui.answer = platform::Answer::Yes;
    f.form.Action("SaveProject")->trigger();
    EXPECT_EQ(f.fake.count("SaveProject"), 1);
}

TEST(ProjectCommands, SaveAsTakesTheChosenFile) {
    Fixture f;
    f.openAs("Pump", f.dir.str() + "/Project/");
    const std::string chosen = f.dir.str() + "/Project/Copy.hc";
    QString proposed;
    Runner r([&](QDialog& dialog) {
        auto* chooser = qobject_cast<QFileDialog*>(&dialog);
        proposed = chooser->windowTitle();
        chooser->selectFile(QString::fromStdString(chosen));
        return int(QDialog::Accepted);
    });
    f.form.Action("SaveProjectAs")->trigger();
    EXPECT_EQ(proposed, QString::fromUtf8("Сохранение проекта \"Orvanta configurator\""));
    EXPECT_EQ(f.fake.callsOf("SaveProject")[0].args[0], chosen);
    EXPECT_EQ(f.form.Session().Name(), "Copy");
    EXPECT_EQ(f.recent(), std::vector<std::string>{chosen});
    EXPECT_EQ(f.form.windowIconText(), "Copy.hc");
}

TEST(ProjectCommands, CloseRemembersTheProjectAndCancelKeepsIt) {
    Fixture f;
    const std::string path = f.dir.str() + "/Project/Pump.hc";
    test::writeBytes(path, "<x/>");
    f.openAs("Pump", f.dir.str() + "/Project/");
    f.ui.answer = platform::Answer::Cancel;
    f.form.Action("CloseProject")->trigger();
    EXPECT_EQ(f.ui.questions.size(), 1u);
    EXPECT_EQ(f.fake.count("CloseProject"), 0);
    EXPECT_EQ(f.form.Session().Name(), "Pump");
    f.ui.answer = platform::Answer::No;
    f.form.Action("CloseProject")->trigger();
    EXPECT_EQ(f.fake.callsOf("CloseProject").back().args[0], path);
    EXPECT_EQ(f.form.Session().Name(), "");
    EXPECT_EQ(f.recent(), std::vector<std::string>{path});
    EXPECT_EQ(f.form.windowTitle(), "Orvanta configurator");
}

// A project never saved has no file to compare with: closing it always asks,
// and Да saves it into the project folder first.
TEST(ProjectCommands, ClosingANeverSavedProjectAsksAndSavesIt) {
    Fixture f;
    f.openAs("Pump", "");
    f.ui.answer = platform::Answer::Cancel;
    f.form.Action("CloseProject")->trigger();
    EXPECT_EQ(f.ui.questions.size(), 1u);
    EXPECT_EQ(f.fake.count("CloseProject"), 0);
    EXPECT_EQ(f.form.Session().Name(), "Pump");
    f.ui.answer = platform::Answer::Yes;
    f.form.Action("CloseProject")->trigger();
    const std::string path = f.dir.str() + "/Project/Pump.hc";
    const std::vector<std::string> order = f.fake.slotsCalled();
    const auto saved = std::find(order.begin(), order.end(), "SaveProject");
    ASSERT_NE(saved, order.end());
    EXPECT_NE(std::find(saved, order.end(), "CloseProject"), order.end()) << "saved before it is closed";
    EXPECT_EQ(f.fake.callsOf("SaveProject")[0].args[0], path);
    EXPECT_EQ(f.fake.callsOf("CloseProject")[0].args[0], path);
    EXPECT_EQ(f.form.Session().Name(), "");
    EXPECT_EQ(f.recent(), std::vector<std::string>{path});
}

// Closing the main window goes the same way: a project never saved is saved
// into the project folder, not as "<name>.hc" of the current folder.
TEST(ProjectCommands, ClosingTheWindowWithANeverSavedProjectSavesIntoTheProjectFolder) {
    Fixture f;
    f.openAs("Pump", "");
    f.ui.answer = platform::Answer::Cancel;
    EXPECT_FALSE(f.form.close());
    EXPECT_EQ(f.ui.questions.size(), 1u);
    EXPECT_EQ(f.fake.count("SaveProject"), 0);
    f.ui.answer = platform::Answer::Yes;
    EXPECT_TRUE(f.form.close());
    ASSERT_EQ(f.fake.count("SaveProject"), 1);
    EXPECT_EQ(f.fake.callsOf("SaveProject")[0].args[0], f.dir.str() + "/Project/Pump.hc");
    EXPECT_FALSE(std::filesystem::exists(f.dir.file("Pump.hc")));
}

// A save that fails in the close question is reported and the question comes
// again: save elsewhere, close without saving, or keep the window.
TEST(ProjectCommands, AFailedSaveInTheCloseQuestionOffersAnotherPlaceOrClosing) {
    Fixture f;
    f.openAs("Pump", "");
    f.fake.setResult("SaveProject", -1);
    using platform::Answer;
    // Да (fails), then Отмена: the window stays.
    f.ui.answers = {Answer::Yes, Answer::Cancel};
    EXPECT_FALSE(f.form.close());
    ASSERT_EQ(f.ui.questions.size(), 2u);
    EXPECT_NE(f.ui.questions[1].find("не сохранен"), std::string::npos) << f.ui.questions[1];
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_NE(f.ui.messages[0].find("Не удалось сохранить проект"), std::string::npos);
    EXPECT_EQ(f.form.Session().Name(), "Pump");
    // Да (fails), Да: another place, which saves.
    f.fake.setHook<TPathProc>("SaveProject", [&](const char* path) {
        return std::string(path).find("/Elsewhere/") != std::string::npos ? 0 : -1;
    });
    std::filesystem::create_directories(f.dir.file("Elsewhere"));
    Runner r([&](QDialog& dialog) {
        qobject_cast<QFileDialog*>(&dialog)->selectFile(QString::fromStdString(f.dir.str() + "/Elsewhere/Pump.hc"));
        return int(QDialog::Accepted);
    });
    f.ui.answers = {Answer::Yes, Answer::Yes};
    EXPECT_TRUE(f.form.close());
    EXPECT_EQ(f.fake.callsOf("SaveProject").back().args[0], f.dir.str() + "/Elsewhere/Pump.hc");
}

// Нет after a failed save closes without saving.
TEST(ProjectCommands, AFailedSaveInTheCloseQuestionCanCloseWithoutSaving) {
    Fixture f;
    f.openAs("Pump", "");
    f.fake.setResult("SaveProject", -1);
    f.ui.answers = {platform::Answer::Yes, platform::Answer::No};
    EXPECT_TRUE(f.form.close());
    EXPECT_EQ(f.fake.count("SaveProject"), 1);
}

TEST(ProjectCommands, FileMenuListsRecentProjectsAndFastOpens) {
    Fixture f;
    const std::string a = f.dir.str() + "/Project/A.hc";
    const std::string b = f.dir.str() + "/Project/B.hc";
    test::writeBytes(a, "");
    test::writeBytes(b, "");
    AddRecentFile(RegistryRoot::CurrentUser, kClosedProjectsKey, a);
    AddRecentFile(RegistryRoot::CurrentUser, kClosedProjectsKey, f.dir.str() + "/gone.hc");
    AddRecentFile(RegistryRoot::CurrentUser, kClosedProjectsKey, b);
    QMenu& menu = *f.commands->FileMenu();
    f.commands->FilesClick(menu);
    QStringList texts;
    for (QAction* item : menu.actions()) texts << (item->isSeparator() ? "-" : item->text());
    EXPECT_EQ(texts, (QStringList{QString::fromUtf8("Новый проект"), QString::fromUtf8("Открыть проект"),
                                  QString::fromUtf8("Закрыть проект"), "-", QString::fromUtf8("Схранить проект"),
                                  QString::fromUtf8("Сохранить проект как"), "-",
                                  QString::fromStdString("0. " + b), QString::fromStdString("1. " + a), "-",
                                  QString::fromUtf8("Выход")}));
    f.openAs("Open", f.dir.str() + "/Project/");
    f.commands->FilesClick(menu);
    EXPECT_FALSE(menu.findChild<QAction*>("FileNewProject")->isEnabled());
    EXPECT_FALSE(menu.findChild<QAction*>("FileOpenProject")->isEnabled());
    // The open project has no file to compare with here: the question comes first.
    f.ui.answer = platform::Answer::Cancel;
    menu.findChild<QAction*>("Recent1")->trigger();
    EXPECT_EQ(f.ui.questions.size(), 1u);
    EXPECT_EQ(f.fake.count("CloseProject"), 0);
    EXPECT_EQ(f.form.Session().Name(), "Open");
    f.ui.answer = platform::Answer::No;
    f.fake.clearCalls();
    menu.findChild<QAction*>("Recent1")->trigger();
    EXPECT_EQ(f.fake.slotsCalled()[0], "CloseProject");
    EXPECT_EQ(f.fake.callsOf("OpenProject")[0].args[0], a);
    EXPECT_EQ(f.form.Session().Name(), "A");
}

TEST(ProjectCommands, ProjectMenuSheetsFilesAndRunItemsForTheRuntimeDevice) {
    Fixture f;
    f.openAs("Pump", "/p/");
    f.fake.setResult("GetSheetCount", 0x10002);  // the low 16 bits count
    static TSheetRecord sheets[2] = {};
    std::strcpy(sheets[0].Name, "Main");
    std::strcpy(sheets[1].Name, "Pumps");
    f.fake.setHook<TGetSheetProc>("GetSheet", [](int32_t i) { return &sheets[i]; });
    f.fake.setResult("LibraryFileCount", 1);
    f.fake.setText("GetLibraryFile", "\\Lib\\Base.xml");
    QUrl shown;
    platform::SetUrlOpener([&](const QString& url) { shown = QUrl(url); return true; });
    QMenu& menu = *f.commands->ProjectMenu();
    auto configItems = [&] {
        f.commands->Project1Click(menu);
        return menu.findChild<QMenu*>("Configuration")->actions().size();
    };
    EXPECT_EQ(configItems(), 3);
    f.fake.setText("GetDeviceProgram", "VT_win.exe");
    EXPECT_EQ(configItems(), 6);
    QMenu* schemes = menu.findChild<QMenu*>("Shems");
    ASSERT_NE(schemes, nullptr);
    ASSERT_EQ(schemes->actions().size(), 2);
    EXPECT_EQ(schemes->actions()[1]->text(), "Pumps");
    schemes->actions()[1]->trigger();
    EXPECT_EQ(f.fake.callsOf("OpenSheetWindow")[0].args[0], "Pumps");
    menu.findChild<QMenu*>("LibraryFiles")->actions()[0]->trigger();
    EXPECT_EQ(shown.toLocalFile().toStdString(), f.dir.str() + "/Lib/Base.xml");
    platform::SetUrlOpener({});
}

TEST(ProjectCommands, ZoomWithoutASchemeWindowDoesNothing) {
    Fixture f;
    f.commands->ScalePlExecute();
    f.commands->ScaleMiExecute();
    f.commands->Scale100Execute();
    EXPECT_TRUE(f.fake.calls().empty());
}

}  // namespace
}  // namespace zo::configurator
