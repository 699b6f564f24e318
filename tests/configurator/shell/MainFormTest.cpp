// The main window's actions (one table, captions as the users know them) and
// their states with and without a project, a kernel and an active scheme window.
#include "configurator/link/ProjectSession.h"
#include "configurator/shell/Actions.h"
#include "configurator/shell/MainForm.h"
#include "configurator/shell/PanelLogForm.h"
#include "support/FakeKernel.h"
#include "support/FakeSchemeWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDockWidget>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>

#include <initializer_list>

namespace zo::configurator {
namespace {

using test::FakeKernel;

const char* const kProject[] = {"SaveProject",   "SaveProjectAs",    "CloseProject",      "WinMinimize",
                                "WinHorizontal", "WinCascade",       "ProjectUpload",     "ProjectParam",
                                "ProjectAddList", "ProjectCreateCFG", "ProjectRunUpload", "ProjectStopUpload",
                                "ReginSelect",   "RegimSoeden",      "RegimDebug"};
const char* const kView[] = {"ScalePl", "ScaleMi", "Scale100"};

void expectEnabled(TMainForm& form, std::initializer_list<const char*> names, bool enabled) {
    for (const char* name : names) EXPECT_EQ(form.Action(name)->isEnabled(), enabled) << name;
}

// Nothing to view, and Undo and Redo off (they always are).
void expectViewAndUndoOff(TMainForm& form) {
    for (const char* name : kView) EXPECT_FALSE(form.Action(name)->isEnabled()) << name;
    expectEnabled(form, {"EditUndo", "EditRedo"}, false);
}

TEST(MainFormActions, CaptionsShortcutsAndHintsFromTheTable) {
    TProjectSession session;
    TMainForm form{session};
    struct Row {
        const char* name;
        const char* caption;
    } rows[] = {{"NewProject", "Новый проект"},
                {"OpenProject", "Открыть проект"},
                {"SaveProject", "Схранить проект"},
                {"SaveProjectAs", "Сохранить проект как"},
                {"CloseProject", "Закрыть проект"},
                {"WinMinimize", "Свернуть схемы"},
                {"WinHorizontal", "Расположить схемы"},
                {"WinCascade", "Каскадом схемы"},
                {"ProjectUpload", "Собрать проект"},
                {"ProjectParam", "Параметры пректа"},
                {"ProjectAddList", "Новый лист"},
                {"ProjectCreateCFG", "Создать файл конфигураций"},
                {"ProjectRunUpload", "Выполнить\\Перезапустить собранный проект"},
                {"ProjectStopUpload", "Остановить запущенный проект"},
                {"ReginSelect", "Режим выбора"},
                {"RegimSoeden", "Режим соединения"},
                {"RegimDebug", "Режим отладка"},
                {"EditUndo", "Отменить"},
                {"EditRedo", "Повторить"},
                {"ScalePl", "Увеличить"},
                {"ScaleMi", "Уменьшить"}};
    for (const Row& row : rows) {
        QAction* a = form.Action(row.name);
        ASSERT_NE(a, nullptr) << row.name;
        EXPECT_EQ(a->text(), QString::fromUtf8(row.caption)) << row.name;
    }
    EXPECT_EQ(form.Action("EditUndo")->shortcut(), QKeySequence("Ctrl+Z"));
    EXPECT_EQ(form.Action("EditRedo")->shortcut(), QKeySequence("Ctrl+U"));
    EXPECT_EQ(form.Action("Scale100")->toolTip(), "100%");
    EXPECT_EQ(form.Action("ProjectRunUpload")->toolTip(), QString::fromUtf8("Запустить Upload\\autoexec.bat"));
    EXPECT_EQ(form.Action("ProjectStopUpload")->toolTip(), QString::fromUtf8("Остановить запущенное из \"Upload\\\""));
    EXPECT_EQ(form.Action("NoSuchAction"), nullptr);
    EXPECT_EQ(form.Actions().All().size(), 24);
}

// Every command declared in the table has exactly the handler it is declared
// with once the window made its commands: the two that do nothing have none.
TEST(MainFormActions, EveryDeclaredCommandIsHandledAndTheInertOnesAreNot) {
    TProjectSession session;
    TMainForm form{session};
    EXPECT_EQ(form.Actions().Unhandled(), QVector<ActionId>{});
    for (std::size_t i = 0; i < kActionCount; ++i) {
        const TActionSpec& spec = ActionSpec(ActionId(i));
        ASSERT_EQ(form.Action(ActionId(i)), form.Action(QString::fromLatin1(spec.name))) << spec.name;
        EXPECT_EQ(spec.handled, std::string(spec.name) != "EditUndo" && std::string(spec.name) != "EditRedo")
            << spec.name;
    }
    // A further action declared but not connected is reported.
    TActions loose(form);
    EXPECT_EQ(loose.Unhandled().size(), qsizetype(kActionCount - 2));
}

TEST(MainFormActions, WithoutProjectOrKernelOnlyNewAndOpenAreEnabled) {
    TProjectSession session;
    TMainForm form{session};
    form.UpdateActionStates();
    expectEnabled(form, {"NewProject", "OpenProject"}, true);
    for (const char* name : kProject) EXPECT_FALSE(form.Action(name)->isEnabled()) << name;
    expectViewAndUndoOff(form);
}

TEST(MainFormActions, ActivatingTheMainWindowBringsTheStatesUpToDate) {
    TProjectSession session;
    TMainForm form{session};
    form.show();
    form.Action("NewProject")->setEnabled(false);  // a state gone stale
    form.Action("SaveProject")->setEnabled(true);
    QApplication::setActiveWindow(&form);
    QApplication::processEvents();
    ASSERT_TRUE(form.isActiveWindow());
    EXPECT_TRUE(form.Action("NewProject")->isEnabled());
    EXPECT_FALSE(form.Action("SaveProject")->isEnabled());
}

TEST(MainFormActions, OpenProjectEnablesProjectActionsAndChecksTheKernelMode) {
    FakeKernel fake;
    TProjectSession session;
    TMainForm form{session};
    form.Session().SetRecord(&fake.record());
    form.Session().Assign(form.Session().Folder(), "Project1");
    const struct {
        int mode;
        const char* checked;
    } modes[] = {{0, "ReginSelect"}, {2, "RegimSoeden"}, {3, "RegimDebug"}, {1, nullptr}, {7, nullptr}};
    for (const auto& m : modes) {
        fake.setResult("GetMode", m.mode);
        form.UpdateActionStates();
        for (const char* name : {"ReginSelect", "RegimSoeden", "RegimDebug"})
            EXPECT_EQ(form.Action(name)->isChecked(), m.checked && std::string(m.checked) == name)
                << "mode " << m.mode << " " << name;
    }
    expectEnabled(form, {"NewProject", "OpenProject"}, false);
    for (const char* name : kProject) EXPECT_TRUE(form.Action(name)->isEnabled()) << name;
    // No active scheme window: the view actions stay off; Undo and Redo always.
    expectViewAndUndoOff(form);
}

TEST(MainFormActions, ViewActionsFollowTheActiveChild) {
    FakeKernel fake;
    TProjectSession session;
    TMainForm form(session, test::fakeSchemeWindowFactory());
    form.Session().SetRecord(&fake.record());
    form.Session().Assign(form.Session().Folder(), "Project1");
    form.resize(800, 600);
    form.show();
    ASSERT_EQ(form.CreateSchemeWindow("S", std::nullopt, std::nullopt, std::nullopt), 0);
    QMdiSubWindow* scheme = form.MdiArea()->subWindowList().first();
    form.MdiArea()->setActiveSubWindow(scheme);
    for (const char* name : kView) EXPECT_TRUE(form.Action(name)->isEnabled()) << name;
    EXPECT_FALSE(form.Action("EditUndo")->isEnabled());
    // Another child (e.g. the element library) active: the view actions go off.
    QMdiSubWindow* other = form.MdiArea()->addSubWindow(new QLabel("library"));
    other->show();
    form.MdiArea()->setActiveSubWindow(other);
    for (const char* name : kView) EXPECT_FALSE(form.Action(name)->isEnabled()) << name;
    // Without a project nothing of the view is enabled, whatever is active.
    form.Session().Assign({}, {});
    form.MdiArea()->setActiveSubWindow(scheme);
    for (const char* name : kView) EXPECT_FALSE(form.Action(name)->isEnabled()) << name;
    EXPECT_TRUE(form.Action("NewProject")->isEnabled());
}

TEST(MainFormActions, KernelSlotUpdatesTheStates) {
    FakeKernel fake;
    TProjectSession session;
    TMainForm form{session};
    form.Session().SetRecord(&fake.record());
    SetHostServices(&form);
    WriteHostSlots(*form.Session().Record());
    form.Session().Assign(form.Session().Folder(), "P");
    fake.setResult("GetMode", 3);
    fake.record().UpdateActionStates();
    EXPECT_TRUE(form.Action("RegimDebug")->isChecked());
    EXPECT_TRUE(form.Action("SaveProject")->isEnabled());
    SetHostServices(nullptr);
}

TEST(MainForm, HoldsTheMdiAreaTheLogPanelAndFourStatusPanels) {
    TProjectSession session;
    TMainForm form{session};
    EXPECT_EQ(form.centralWidget(), form.MdiArea());
    ASSERT_NE(form.LogPanel(), nullptr);
    EXPECT_EQ(form.LogDock()->widget(), form.LogPanel());
    EXPECT_EQ(form.findChild<TPanelLogForm*>("PanelLogForm"), form.LogPanel());
    for (int i = 0; i < TMainForm::kStatusPanels; ++i)
        EXPECT_NE(form.findChild<QLabel*>(QString("StatusPanel%1").arg(i)), nullptr) << i;
    EXPECT_EQ(form.StatusPanel(4), nullptr);
}

}  // namespace
}  // namespace zo::configurator
