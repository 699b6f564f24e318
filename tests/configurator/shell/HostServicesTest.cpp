// The kernel's host slots as the main window serves them: scheme windows found,
// made, shown, renamed, stored and closed; the status text; the repaint queue.
#include "configurator/link/HostSlots.h"
#include "configurator/link/ProjectSession.h"
#include "configurator/shell/MainForm.h"
#include "configurator/shell/SchemeWindowServices.h"
#include "platform/Cp1251.h"
#include "support/FakeKernel.h"
#include "support/FakeSchemeWindow.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QMdiArea>
#include <QTest>

#include <cmath>
#include <limits>
#include <thread>

namespace zo::configurator {
namespace {

using test::FakeKernel;
using test::FakeSchemeWindow;

void flushDeletions() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// A main window over the fake kernel with its host slots written, as FormShow writes them.
struct Host {
    FakeKernel fake;
    TProjectSession session;
    TMainForm form{session, test::fakeSchemeWindowFactory()};
    TKernelOptions& k = fake.record();

    Host() {
        form.Session().SetRecord(&k);
        SetHostServices(&form);
        WriteHostSlots(*form.Session().Record());
    }
    ~Host() { SetHostServices(nullptr); }

    FakeSchemeWindow* window(int index) {
        return dynamic_cast<FakeSchemeWindow*>(form.SchemeWindows().SchemeWindows().value(index));
    }
    int count() { return int(form.SchemeWindows().SchemeWindows().size()); }
};

TEST(HostServices, CreateTakesRectangleScrollAndScale) {
    Host h;
    h.form.show();
    int32_t rect[4] = {10, 20, 410, 320};
    int32_t scroll[2] = {30, 40};
    float scale = 2.0f;
    ASSERT_EQ(h.k.CreateSchemeWindow("S1", rect, scroll, &scale), 0);
    FakeSchemeWindow* w = h.window(0);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->GetSchemeName(), "S1");
    EXPECT_EQ(w->windowTitle(), "S1");
    EXPECT_EQ(w->geometry(), QRect(10, 20, 400, 300));
    EXPECT_EQ(w->horizontal, 30);
    EXPECT_EQ(w->vertical, 40);
    EXPECT_FLOAT_EQ(w->scale, 2.0f);
    EXPECT_EQ(w->refreshes, 1);
    EXPECT_TRUE(w->isVisible()) << "made shown in the shown main window";
}

// A placement of no usable size (a sheet saved without its window ever shown)
// opens at the default size where it stood; a small but usable one is kept.
TEST(HostServices, CreateWithAPlacementTooSmallTakesTheDefaultSize) {
    struct Case {
        int32_t rect[4];
        QRect expected;
    };
    const Case cases[] = {
        {{0, 0, 0, 0}, QRect(0, 0, 300, 150)},
        {{50, 50, 150, 100}, QRect(50, 50, 300, 150)},
        {{10, 20, 600, 70}, QRect(10, 20, 300, 150)},
        {{30, 40, 30, 400}, QRect(30, 40, 300, 150)},
        {{5, 6, 155, 81}, QRect(5, 6, 150, 75)},
    };
    Host h;
    h.form.show();
    for (const Case& c : cases) {
        int32_t rect[4] = {c.rect[0], c.rect[1], c.rect[2], c.rect[3]};
        ASSERT_EQ(h.k.CreateSchemeWindow("S", rect, nullptr, nullptr), 0);
        EXPECT_EQ(h.window(h.count() - 1)->geometry(), c.expected) << c.rect[0] << "," << c.rect[1] << ","
                                                                   << c.rect[2] << "," << c.rect[3];
    }
}

TEST(HostServices, SchemeWindowsCarryTheSheetIconOnceOneIsSet) {
    Host h;
    ASSERT_EQ(h.k.CreateSchemeWindow("Plain", nullptr, nullptr, nullptr), 0);
    EXPECT_TRUE(h.window(0)->windowIcon().isNull());
    QPixmap sheet(16, 16);
    sheet.fill(Qt::red);
    h.form.SchemeWindows().SetWindowIcon(QIcon(sheet));
    ASSERT_EQ(h.k.CreateSchemeWindow("Iconed", nullptr, nullptr, nullptr), 0);
    const QImage shown = h.window(1)->windowIcon().pixmap(16, 16).toImage();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.pixelColor(8, 8), QColor(Qt::red));
}

TEST(HostServices, CreateWithoutPlacementOrWithBadScaleIsSafe) {
    Host h;
    EXPECT_EQ(h.k.CreateSchemeWindow(nullptr, nullptr, nullptr, nullptr), -1);
    EXPECT_EQ(h.count(), 0);
    ASSERT_EQ(h.k.CreateSchemeWindow("Plain", nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(h.window(0)->size(), QSize(300, 150));
    int32_t scroll[2] = {1, 2};
    const float bad[] = {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()};
    for (float value : bad) {
        float scale = value;
        ASSERT_EQ(h.k.CreateSchemeWindow("Bad", nullptr, scroll, &scale), 0);
        EXPECT_FLOAT_EQ(h.window(h.count() - 1)->scale, 1.0f) << value;
    }
    ASSERT_EQ(h.k.CreateSchemeWindow("NilScale", nullptr, scroll, nullptr), 0);
    EXPECT_FLOAT_EQ(h.window(h.count() - 1)->scale, 1.0f);
    EXPECT_EQ(h.window(h.count() - 1)->horizontal, 1);
}

TEST(HostServices, SameNameShowStoreRenameActOnTheFirstCloseOnTheLast) {
    Host h;
    ASSERT_EQ(h.k.CreateSchemeWindow("Twin", nullptr, nullptr, nullptr), 0);
    ASSERT_EQ(h.k.CreateSchemeWindow("Twin", nullptr, nullptr, nullptr), 0);
    FakeSchemeWindow* first = h.window(0);
    FakeSchemeWindow* second = h.window(1);
    EXPECT_EQ(h.k.ShowSchemeWindow("Twin"), 0);
    EXPECT_EQ(first->refreshes, 2);
    EXPECT_EQ(second->refreshes, 1);
    EXPECT_EQ(h.k.StoreSchemeWindowState("Twin"), 0);
    EXPECT_TRUE(first->log.contains("save"));
    EXPECT_FALSE(second->log.contains("save"));
    EXPECT_EQ(h.k.CloseSchemeWindow("Twin"), 0);
    EXPECT_EQ(h.count(), 1);
    EXPECT_EQ(h.window(0), first);
    EXPECT_EQ(second->log.last(), "closed");
    EXPECT_EQ(h.k.RenameSchemeWindow("Twin", "Single"), 0);
    EXPECT_EQ(first->GetSchemeName(), "Single");
    flushDeletions();
}

TEST(HostServices, UnknownNamesAnswerMinusOne) {
    Host h;
    ASSERT_EQ(h.k.CreateSchemeWindow("A", nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(h.k.ShowSchemeWindow("a"), -1);  // exact comparison
    EXPECT_EQ(h.k.CloseSchemeWindow("B"), -1);
    EXPECT_EQ(h.k.StoreSchemeWindowState("B"), -1);
    EXPECT_EQ(h.k.RenameSchemeWindow("B", "C"), -1);
    EXPECT_EQ(h.k.ShowSchemeWindow(nullptr), -1);
    EXPECT_EQ(h.k.CloseSchemeWindow(nullptr), -1);
    EXPECT_EQ(h.count(), 1);
}

TEST(HostServices, RenameTakesAtMost260CharactersAndCyrillicNames) {
    Host h;
    const std::string name = test::cp("Лист 1");
    ASSERT_EQ(h.k.CreateSchemeWindow(name.c_str(), nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(h.window(0)->GetSchemeName(), QString::fromUtf8("Лист 1"));
    const std::string longName(300, 'x');
    EXPECT_EQ(h.k.RenameSchemeWindow(name.c_str(), longName.c_str()), 0);
    EXPECT_EQ(h.window(0)->GetSchemeName(), QString(260, 'x'));
}

TEST(HostServices, CloseAllDetachesEveryWindowBeforeClosing) {
    Host h;
    for (const char* name : {"A", "B", "C"}) ASSERT_EQ(h.k.CreateSchemeWindow(name, nullptr, nullptr, nullptr), 0);
    QList<FakeSchemeWindow*> windows = {h.window(0), h.window(1), h.window(2)};
    const int before = FakeSchemeWindow::live;
    EXPECT_EQ(h.k.CloseAllSchemeWindows(), 0);
    EXPECT_EQ(h.count(), 0);
    for (FakeSchemeWindow* w : windows) {
        EXPECT_FALSE(w->attached);
        EXPECT_EQ(w->log.last(), "detach");  // nothing of the window ran after it was detached
    }
    flushDeletions();
    EXPECT_EQ(FakeSchemeWindow::live, before - 3);
}

TEST(HostServices, WindowClosedFromItsOwnKeyHandlerIsDeletedAfterTheHandler) {
    Host h;
    ASSERT_EQ(h.k.CreateSchemeWindow("Own", nullptr, nullptr, nullptr), 0);
    FakeSchemeWindow* w = h.window(0);
    // The key makes the kernel delete the window's sheet, which closes the window.
    w->onKey = [&](FakeSchemeWindow& self) { EXPECT_EQ(h.k.CloseSchemeWindow(self.GetSchemeName().toLatin1().constData()), 0); };
    const int before = FakeSchemeWindow::live;
    QTest::keyClick(w, Qt::Key_Delete);
    EXPECT_EQ(w->log.last(), "key handled");  // the handler ran to its end on a live window
    EXPECT_EQ(h.count(), 0);
    EXPECT_TRUE(w->isHidden());
    flushDeletions();
    EXPECT_EQ(FakeSchemeWindow::live, before - 1);
}

TEST(HostServices, OtherChildrenAreSkipped) {
    Host h;
    auto* other = h.form.MdiArea()->addSubWindow(new QLabel("other"));
    other->setWindowTitle("A");
    EXPECT_EQ(h.k.ShowSchemeWindow("A"), -1);
    EXPECT_EQ(h.k.CloseAllSchemeWindows(), 0);
    EXPECT_TRUE(h.form.MdiArea()->subWindowList().contains(other));
}

TEST(HostServices, StatusTextOnTheFourPanels) {
    Host h;
    EXPECT_EQ(h.k.SetStatusText(0, test::cp("Готово").c_str()), 0);
    EXPECT_EQ(h.form.StatusPanel(0)->text(), QString::fromUtf8("Готово"));
    EXPECT_EQ(h.k.Inspector.SetStatusText(3, "online"), 0);
    EXPECT_EQ(h.form.StatusPanel(3)->text(), "online");
    EXPECT_EQ(h.k.SetStatusText(4, "x"), -1);
    EXPECT_EQ(h.k.SetStatusText(-1, "x"), -1);
    EXPECT_EQ(h.k.SetStatusText(1, nullptr), -1);
    EXPECT_EQ(h.form.StatusPanel(1)->text(), "");
    EXPECT_EQ(h.form.StatusPanel(0)->width(), 150);
    EXPECT_EQ(h.form.StatusPanel(1)->width(), 100);
    EXPECT_EQ(h.form.StatusPanel(3)->width(), 90);
}

TEST(HostServices, RepaintFromAnotherThreadIsQueuedOnce) {
    Host h;
    ASSERT_EQ(h.k.CreateSchemeWindow("R", nullptr, nullptr, nullptr), 0);
    FakeSchemeWindow* w = h.window(0);
    const int before = w->refreshes;
    std::thread debugger([&] {
        for (int i = 0; i < 50; ++i) h.k.RepaintSchemeWindows();
    });
    debugger.join();
    h.k.RepaintSchemeWindows();
    EXPECT_EQ(w->refreshes, before) << "a repaint is only queued";
    QCoreApplication::processEvents();
    EXPECT_EQ(w->refreshes, before + 1) << "at most one repaint pending";
    h.k.RepaintSchemeWindows();
    QCoreApplication::processEvents();
    EXPECT_EQ(w->refreshes, before + 2);
}

TEST(HostServices, WithoutServicesTheSlotsAnswerSafely) {
    TKernelOptions record{};
    WriteHostSlots(record);
    SetHostServices(nullptr);
    EXPECT_EQ(record.ShowSchemeWindow("A"), -1);
    EXPECT_EQ(record.CreateSchemeWindow("A", nullptr, nullptr, nullptr), -1);
    EXPECT_EQ(record.SetStatusText(0, "x"), -1);
    EXPECT_EQ(record.CloseAllSchemeWindows(), 0);
    record.RepaintSchemeWindows();
    record.UpdateActionStates();
}

}  // namespace
}  // namespace zo::configurator
