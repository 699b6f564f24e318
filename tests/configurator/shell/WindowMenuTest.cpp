// The window menu (panels shown and hidden) and the arranging of the scheme
// windows within the MDI area's viewport.
#include "configurator/link/ProjectSession.h"
#include "configurator/shell/MainForm.h"
#include "configurator/shell/MainMenus.h"
#include "configurator/shell/WindowMenu.h"
#include "support/FakeSchemeWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusBar>
#include <QTest>

namespace zo::configurator {
namespace {

struct Fixture {
    TProjectSession session;
    TMainForm form{session, test::fakeSchemeWindowFactory()};
    QMdiSubWindow* other = nullptr;

    Fixture() {
        form.resize(1000, 800);
        form.show();
        QCoreApplication::processEvents();
    }
    QMdiSubWindow* addScheme(const QString& name) {
        EXPECT_EQ(form.CreateSchemeWindow(name, std::nullopt, std::nullopt, std::nullopt), 0);
        QMdiSubWindow* child = form.MdiArea()->subWindowList(QMdiArea::CreationOrder).last();
        child->show();
        return child;
    }
    QMdiSubWindow* addOther() {
        other = form.MdiArea()->addSubWindow(new QWidget);
        other->setWindowTitle("other");
        other->setGeometry(500, 500, 100, 100);
        other->show();
        return other;
    }
};

TEST(WindowCommands, CascadeThreeAtTwentyTwoStepsTwoFifthsOfTheViewport) {
    Fixture f;
    QMdiSubWindow* w[] = {f.addScheme("A"), f.addScheme("B"), f.addScheme("C")};
    w[1]->showMinimized();
    WinCascade(*f.form.MdiArea());
    const QSize room = f.form.MdiArea()->viewport()->size();
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(w[k]->geometry(), QRect(22 * k, 22 * k, room.width() / 5 * 2, room.height() / 5 * 2)) << k;
        EXPECT_FALSE(w[k]->isMinimized());
    }
}

TEST(WindowCommands, CascadeWithoutSchemesStillShowsTheOtherChildren) {
    Fixture f;
    QMdiSubWindow* other = f.addOther();
    other->hide();
    const QRect before = other->geometry();
    WinCascade(*f.form.MdiArea());
    EXPECT_TRUE(other->isVisible());
    EXPECT_EQ(other->geometry(), before);
}

TEST(WindowCommands, TilingFillsTheViewportAndNothingWithoutSchemes) {
    Fixture f;
    QMdiSubWindow* other = f.addOther();
    const QRect before = other->geometry();
    WinHorizontal(*f.form.MdiArea());  // no scheme window: nothing moves
    EXPECT_EQ(other->geometry(), before);

    QMdiSubWindow* a = f.addScheme("A");
    QMdiSubWindow* b = f.addScheme("B");
    a->showMaximized();
    WinHorizontal(*f.form.MdiArea());
    const QRect room(QPoint(0, 0), f.form.MdiArea()->viewport()->size());
    EXPECT_FALSE(a->isMaximized());
    for (QMdiSubWindow* w : {a, b}) EXPECT_TRUE(room.contains(w->geometry())) << w->geometry().x();
    EXPECT_FALSE(a->geometry().intersects(b->geometry()));
    EXPECT_EQ(other->geometry(), before);

    WinMinimize(*f.form.MdiArea());
    EXPECT_TRUE(a->isMinimized());
    EXPECT_TRUE(b->isMinimized());
    EXPECT_FALSE(other->isMinimized());
}

TEST(WindowMenu, PanelsCheckedByVisibilityAndToggledByTheirItems) {
    Fixture f;
    f.addScheme("Лист 1");
    QMenu* menu = MainMenu(f.form, "Windows");
    ASSERT_NE(menu, nullptr);
    emit menu->aboutToShow();
    QStringList captions;
    for (QAction* a : menu->actions()) captions << (a->isSeparator() ? QString("-") : a->text());
    ASSERT_GE(captions.size(), 5);
    EXPECT_EQ(captions.mid(captions.size() - 4),
              (QStringList{"Панель инструментов", "StatusBar", "-", "Лист 1"}));
    QAction* status = menu->actions()[captions.indexOf("StatusBar")];
    EXPECT_TRUE(status->isChecked());
    status->trigger();
    EXPECT_FALSE(f.form.statusBar()->isVisible());
    emit menu->aboutToShow();
    QAction* again = nullptr;
    for (QAction* a : menu->actions())
        if (a->text() == "StatusBar") again = a;
    ASSERT_NE(again, nullptr);
    EXPECT_FALSE(again->isChecked());
    again->trigger();
    EXPECT_TRUE(f.form.statusBar()->isVisible());
}

TEST(WindowMenu, CaptionCutToThirtyOneCharactersElseNameElseClass) {
    QWidget panel;
    panel.setWindowTitle(QString(40, QChar(0x0416)));
    EXPECT_EQ(PanelCaption(panel), QString(31, QChar(0x0416)));
    panel.setWindowTitle({});
    panel.setObjectName("Named");
    EXPECT_EQ(PanelCaption(panel), "Named");
    panel.setObjectName({});
    EXPECT_EQ(PanelCaption(panel), "QWidget");
}

TEST(WindowMenu, PointerOverTheEmptyAreaClearsTheFirstThreePanels) {
    Fixture f;
    for (int i = 0; i < 4; ++i) f.form.SetStatusText(i, "x");
    QMouseEvent move(QEvent::MouseMove, QPointF(60, 60), QPointF(60, 60), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f.form.MdiArea()->viewport(), &move);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(f.form.StatusPanel(i)->text().isEmpty()) << i;
    EXPECT_EQ(f.form.StatusPanel(3)->text(), "x");
}

}  // namespace
}  // namespace zo::configurator
