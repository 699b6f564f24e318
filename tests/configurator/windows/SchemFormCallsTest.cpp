// The scheme window's calls to the kernel, against the shared fake of the
// kernel's record: which slot is called with which sheet point, and which is
// not called at all.
#include "support/FakeKernel.h"

#include "common/abi/VisibleOptions.h"
#include "configurator/windows/XPHintWindow.h"

#include "configurator/link/SchemeLink.h"
#include "configurator/shell/SchemeWindowServices.h"
#include "configurator/windows/DragMimeType.h"
#include "configurator/windows/SchemForm.h"
#include "platform/Cp1251.h"

#include "common/abi/DragObject.h"

#include <QApplication>
#include <QMdiArea>
#include <QMimeData>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace zo;
using namespace zo::configurator;
using namespace zo::test;

namespace {

using Args = std::vector<std::string>;

class SchemFormCalls : public ::testing::Test {
protected:
    void SetUp() override {
        picture = QImage(480, 360, QImage::Format_RGB32);
        picture.fill(Qt::white);
        fake.setHook<TSheetBitmapProc>("PaintScheme", [this](const char*, void** bitmap) {
            *bitmap = &picture;
            return 0;
        });
        link = std::make_unique<SchemeLink>(fake.recordPtr());
        form = new TSchemForm(*link);
        area.addSubWindow(form);
        area.resize(900, 700);
        area.show();
        form->SetKernel(true);
        form->SetSchemeName("S1");
        form->show();
        form->resize(form->size() - form->Canvas()->size() + QSize(475, 261));
        form->RefreshScheme();
        fake.clearCalls();
    }
    void TearDown() override { delete form.data(); }

    QPoint at(int bx, int by) {
        const SchemeLayout& l = form->Layout();
        return {l.dest.left + roundEven((bx - l.source.left) * double(form->Scale())),
                l.dest.top + roundEven((by - l.source.top) * double(form->Scale()))};
    }
    void move(QPoint p, Qt::MouseButtons buttons = Qt::NoButton) {
        QMouseEvent e(QEvent::MouseMove, p, form->Canvas()->mapToGlobal(p), Qt::NoButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(form->Canvas(), &e);
    }
    void press(QPoint p) { QTest::mousePress(form->Canvas(), Qt::LeftButton, Qt::NoModifier, p); }
    void release(QPoint p) { QTest::mouseRelease(form->Canvas(), Qt::LeftButton, Qt::NoModifier, p); }
    void dropAt(QPoint p) {
        TMyDragObject object{};  // what it carries is the kernel's to judge
        QMimeData data;
        data.setData(kDragObjectMimeType, packDragObject(&object));
        QDragEnterEvent enter(p, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form->Canvas(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(p, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form->Canvas(), &drop);
    }
    // The argument list of a slot's last call, from the second argument on
    // (the first is the sheet's name, checked here).
    Args last(const char* slot) {
        const auto calls = fake.callsOf(slot);
        if (calls.empty()) return {"<no call>"};
        EXPECT_EQ(calls.back().args.at(0), "S1") << slot;
        return Args(calls.back().args.begin() + 1, calls.back().args.end());
    }
    std::string lastStatus(int panel) {
        std::string text = "<none>";
        for (const FakeCall& c : fake.callsOf("SetStatusText"))
            if (c.args.at(0) == std::to_string(panel)) text = platform::cp1251ToUtf8(c.args.at(1));
        return text;
    }

    FakeKernel fake;
    QImage picture;
    QMdiArea area;
    std::unique_ptr<SchemeLink> link;
    QPointer<TSchemForm> form;
};

TEST_F(SchemFormCalls, HoverOnTheSheetGivesTheKernelSheetPixels) {
    move(at(5 + 30, 5 + 40));
    EXPECT_EQ(fake.count("SheetMouseMove"), 1);
    const Args a = last("SheetMouseMove");
    EXPECT_EQ(a.at(0), "30");
    EXPECT_EQ(a.at(1), "40");
    EXPECT_EQ(form->PointerZone(), kZoneInside);
    EXPECT_EQ(lastStatus(0), "X=30: Y=40");
    // On the frame the kernel is not asked and the cursor shows the edge.
    move(at(2, 100));
    EXPECT_EQ(fake.count("SheetMouseMove"), 1);
    EXPECT_EQ(form->PointerZone(), kZoneLeft);
    EXPECT_EQ(form->Canvas()->cursor().shape(), Qt::SizeHorCursor);
    EXPECT_EQ(lastStatus(2), "Изменить размер холста");
}

TEST_F(SchemFormCalls, KernelCursorAndHintOfAMove) {
    fake.setHook<TSheetMouseMoveProc>(
        "SheetMouseMove", [](const char*, int32_t, int32_t, char* status, char* hint, int16_t* cursor, uint8_t*) {
            std::strcpy(status, platform::utf8ToCp1251("Блок AND 1").c_str());
            std::strcpy(hint, "AND 1");
            *cursor = -21;
            return 0;
        });
    move(at(60, 60));
    EXPECT_EQ(form->Canvas()->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(lastStatus(2), "Блок AND 1");
    // The hint timer shows the kernel's hint and then waits 3 seconds.
    auto* timer = form->findChild<QTimer*>("HintTimer");
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 500);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->CurrentHint() == "AND 1"; }, 5000));
    EXPECT_EQ(timer->interval(), 3000);
    EXPECT_FALSE(timer->isActive());
}

// A hint goes when the pointer leaves the window and when the object it named
// is gone from under the pointer; with the display options' hints off none shows.
TEST_F(SchemFormCalls, AHintGoesWithThePointerOrItsObject) {
    fake.setHook<TSheetMouseMoveProc>(
        "SheetMouseMove", [](const char*, int32_t, int32_t, char* status, char* hint, int16_t*, uint8_t*) {
            status[0] = 0;
            std::strcpy(hint, "XOR 2");
            return 0;
        });
    int32_t underPointer = 0;  // the block the kernel's hit test finds, -1 none
    fake.setHook<TSheetHitTestProc>("SheetHitTest", [&underPointer](const char*, int32_t, int32_t, int32_t*, int32_t*,
                                                                    int32_t* block, int32_t* link) {
        *block = underPointer;
        *link = -1;
        return 0;
    });
    auto showHint = [&] {
        move(at(60, 60));
        return QTest::qWaitFor([&] { return form->ShownHint() != nullptr; }, 5000);
    };
    ASSERT_TRUE(showHint());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(form->Canvas(), &leave);
    EXPECT_EQ(form->ShownHint(), nullptr);
    EXPECT_TRUE(form->CurrentHint().isEmpty());

    ASSERT_TRUE(showHint());
    form->RefreshScheme();  // an edit elsewhere: the block is still there
    EXPECT_NE(form->ShownHint(), nullptr);
    underPointer = -1;  // deleted
    form->RefreshScheme();
    EXPECT_EQ(form->ShownHint(), nullptr);

    TVisibleOptions noHints = kDefaultVisibleOptions;
    noHints.ShowHints = 0;
    fake.setHook<TGetKernelOptionBlockProc>("GetKernelOptionBlock",
                                            [&noHints](const char*, void** data, int32_t* size, int32_t* reserved) {
                                                *data = &noHints;
                                                *size = int32_t(sizeof noHints);
                                                *reserved = 0;
                                                return 0;
                                            });
    underPointer = 0;
    move(at(61, 60));
    QTest::qWait(800);
    EXPECT_EQ(form->ShownHint(), nullptr);
}

TEST_F(SchemFormCalls, RightEdgeDragAtDoubleScaleGivesResizeSheetItsAmounts) {
    form->SetScale(2.0f);
    form->SetScrollPositions(form->Bitmap().width(), form->Bitmap().height() / 2);
    const QPoint edge = at(form->Bitmap().width() - 3, form->Bitmap().height() / 2);
    move(edge);
    ASSERT_EQ(form->PointerZone(), kZoneRight);
    press(edge);
    move(edge + QPoint(30, 0), Qt::LeftButton);
    EXPECT_EQ(lastStatus(0), "(0,0,15,0)");
    EXPECT_EQ(lastStatus(1), "X=30: Y=0");
    EXPECT_EQ(lastStatus(2), "Изменение размера холста");
    release(edge + QPoint(30, 0));
    EXPECT_EQ(last("ResizeSheet"), (Args{"0", "0", "15", "0"}));
    EXPECT_EQ(fake.count("SheetMouseDown"), 0);
    EXPECT_EQ(fake.count("SheetMouseUp"), 0);
    EXPECT_EQ(fake.count("PaintScheme"), 1);  // the picture is fetched again after the resize
}

TEST_F(SchemFormCalls, PressInTheMarginAfterHoveringTheFrameCallsNothing) {
    form->SetScale(0.5f);  // the whole sheet in view, a grey margin round it
    const SchemeLayout l = form->Layout();
    move(QPoint(l.dest.right - 1, (l.dest.top + l.dest.bottom) / 2));
    ASSERT_EQ(form->PointerZone(), kZoneRight);
    const QPoint margin(l.dest.right + 10, (l.dest.top + l.dest.bottom) / 2);
    move(margin);
    EXPECT_EQ(form->PointerZone(), kZoneBeyond);
    EXPECT_EQ(form->Pointer(), QPoint(kNoPoint, kNoPoint));
    fake.clearCalls();
    press(margin);
    EXPECT_FALSE(form->Resizing());
    move(margin + QPoint(5, 0), Qt::LeftButton);
    release(margin + QPoint(5, 0));
    for (const char* slot : {"SheetMouseDown", "SheetMouseUp", "SheetMouseMove", "ResizeSheet", "PaintScheme"})
        EXPECT_EQ(fake.count(slot), 0) << slot;
}

TEST_F(SchemFormCalls, ReleaseBeyondThePictureEndsTheGestureAtTheLastSheetPoint) {
    form->SetScale(0.5f);
    const QPoint onSheet = at(5 + 101, 5 + 81);  // even Bitmap pixels: exact at 50 %
    move(onSheet);
    press(onSheet);
    EXPECT_EQ(last("SheetMouseDown"), (Args{"101", "81", "0", "<ptr>", "<ptr>"}));
    const QPoint margin(form->Layout().dest.right + 20, onSheet.y());
    move(margin, Qt::LeftButton);
    release(margin);
    EXPECT_EQ(last("SheetMouseUp"), (Args{"101", "81", "0", "<ptr>", "<ptr>"}));
    // A release whose press the kernel never saw is not sent.
    press(margin);
    release(margin);
    EXPECT_EQ(fake.count("SheetMouseDown"), 1);
    EXPECT_EQ(fake.count("SheetMouseUp"), 1);
}

TEST_F(SchemFormCalls, PressAfterTheContextMenuClosedIsSwallowed) {
    const QPoint p = at(50, 50);
    move(p);
    form->NotePopupOpened();
    press(p);
    release(p);
    EXPECT_EQ(fake.count("SheetMouseDown"), 0);
    press(p);
    EXPECT_EQ(fake.count("SheetMouseDown"), 1);
    release(p);
}

TEST_F(SchemFormCalls, DropGivesTheKernelTheSheetPointOnlyOnTheSheet) {
    form->SetScale(0.5f);
    dropAt(at(5 + 121, 5 + 61));
    EXPECT_EQ(last("SheetDragOver"), (Args{"<ptr>", "<ptr>", "121", "61", "5"}));
    EXPECT_EQ(last("SheetDragDrop"), (Args{"<ptr>", "121", "61"}));
    EXPECT_EQ(fake.count("RepaintSchemeWindows"), 1);
    const ViewRect d = form->Layout().dest;
    fake.clearCalls();
    for (const QPoint p : {QPoint(d.left - 5, d.top + 20), QPoint(d.left + 1, d.top + 20), QPoint(d.right, d.bottom)}) {
        dropAt(p);
        EXPECT_EQ(form->Pointer(), QPoint(kNoPoint, kNoPoint)) << p.x() << "," << p.y();
    }
    EXPECT_EQ(fake.count("SheetDragOver"), 0);
    EXPECT_EQ(fake.count("SheetDragDrop"), 0);
}

TEST_F(SchemFormCalls, DragMoveIsTakenOnlyWhereTheKernelAccepts) {
    form->SetScale(0.5f);  // the view's last pixel then lies beyond the picture
    const ViewRect d = form->Layout().dest;
    const struct {
        QPoint at;
        int32_t verdict;
        bool taken;
        Qt::CursorShape cursor;
    } cases[] = {{at(5 + 40, 5 + 30), 0, true, Qt::DragCopyCursor},
                 {at(5 + 40, 5 + 30), -1, false, Qt::ForbiddenCursor},
                 {QPoint(d.right, d.bottom), -1, true, Qt::ArrowCursor}};  // beyond the picture: no verdict
    for (const auto& c : cases) {
        fake.setHook<TSheetDragOverProc>("SheetDragOver", [&c](const char*, void*, void*, uint16_t, uint16_t, int32_t) {
            return c.verdict;
        });
        form->Canvas()->setCursor(Qt::ArrowCursor);
        TMyDragObject object{};
        QMimeData data;
        data.setData(kDragObjectMimeType, packDragObject(&object));
        QDragEnterEvent enter(c.at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form->Canvas(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDragMoveEvent over(c.at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form->Canvas(), &over);
        EXPECT_EQ(over.isAccepted(), c.taken) << c.verdict;
        EXPECT_EQ(form->Canvas()->cursor().shape(), c.cursor) << c.verdict;
    }
}

TEST_F(SchemFormCalls, WheelZoomInBeyondThePictureKeepsTheCentre) {
    form->SetScale(0.5f);  // the view's last pixel then lies beyond the picture
    const ViewRect d = form->Layout().dest;
    const QPoint p(d.right, d.bottom);
    move(p);
    ASSERT_EQ(form->Pointer(), QPoint(kNoPoint, kNoPoint));
    const QPoint centre = form->Centre();
    QWheelEvent in(p, form->Canvas()->mapToGlobal(p), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(form->Canvas(), &in);
    EXPECT_FLOAT_EQ(form->Scale(), 0.75f);
    EXPECT_EQ(form->Centre(), centre);
}

TEST_F(SchemFormCalls, ClosedByTheKernelLogsAtOnceAndOnlyOnce) {
    TSchemeWindowServices services(area, {});
    EXPECT_EQ(services.CloseSchemeWindow("S1"), 0);
    ASSERT_EQ(fake.count("KernelLog"), 1);
    EXPECT_EQ(fake.callsOf("KernelLog")[0].args, (Args{platform::utf8ToCp1251("Закрыт \"S1\""), "1"}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(fake.count("KernelLog"), 1);
    // Windows closed all at once while the kernel empties its lists write nothing.
    auto* other = new TSchemForm(*link);
    area.addSubWindow(other);
    other->SetKernel(true);
    other->SetSchemeName("S2");
    EXPECT_EQ(services.CloseAllSchemeWindows(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(fake.count("KernelLog"), 1);
}

TEST_F(SchemFormCalls, KeysReachTheKernelThroughTheKeyTable) {
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        Args args;
    } cases[] = {{Qt::Key_Delete, Qt::ShiftModifier, {"46", "1", "<ptr>"}},
                 {Qt::Key_A, Qt::ControlModifier, {"65", "4", "<ptr>"}},
                 {Qt::Key_Left, Qt::NoModifier, {"37", "0", "<ptr>"}}};
    for (const auto& c : cases) {
        QKeyEvent down(QEvent::KeyPress, c.key, c.modifiers);
        QApplication::sendEvent(form->Canvas(), &down);
        EXPECT_EQ(last("SheetKeyDown"), c.args);
        QKeyEvent up(QEvent::KeyRelease, c.key, c.modifiers);
        QApplication::sendEvent(form->Canvas(), &up);
        EXPECT_EQ(last("SheetKeyUp"), c.args);
    }
    QKeyEvent menu(QEvent::KeyPress, Qt::Key_Menu, Qt::NoModifier);  // a key without a code
    QApplication::sendEvent(form->Canvas(), &menu);
    EXPECT_EQ(fake.count("SheetKeyDown"), 3);
    // A key that changed the sheet fetches its picture again.
    fake.setHook<TSheetKeyProc>("SheetKeyDown", [](const char*, uint16_t, uint8_t, uint8_t* changed) {
        *changed = 1;
        return 0;
    });
    fake.clearCalls();
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(form->Canvas(), &del);
    EXPECT_EQ(fake.count("PaintScheme"), 1);
}

TEST_F(SchemFormCalls, SaveViewReportsPlacementBarsAndScale) {
    form->ScalePlus();
    form->SaveView();
    const QRect g = form->geometry();
    auto* h = form->Canvas()->findChild<QScrollBar*>("Hr_scrl");
    auto* v = form->Canvas()->findChild<QScrollBar*>("Vr_scrl");
    EXPECT_EQ(last("SetSheetWindow"),
              (Args{std::to_string(g.left()), std::to_string(g.top()), std::to_string(g.left() + g.width()),
                    std::to_string(g.top() + g.height()), std::to_string(h->value()), std::to_string(v->value()),
                    "1.5"}));
}

TEST_F(SchemFormCalls, ClosingLogsOnlyWhenAttached) {
    form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
    ASSERT_EQ(fake.count("KernelLog"), 1);
    EXPECT_EQ(fake.callsOf("KernelLog")[0].args, (Args{platform::utf8ToCp1251("Закрыт \"S1\""), "1"}));

    auto* detached = new TSchemForm(*link);
    area.addSubWindow(detached);
    detached->SetKernel(true);
    detached->SetSchemeName("S2");
    detached->DetachKernel();
    detached->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(fake.count("KernelLog"), 1);
    // A detached window calls nothing at all.
    auto* quiet = new TSchemForm(*link);
    area.addSubWindow(quiet);
    fake.clearCalls();
    quiet->RefreshScheme();
    quiet->SaveView();
    quiet->ScalePlus();
    delete quiet;
    EXPECT_TRUE(fake.calls().empty());
}

}  // namespace

// A picture larger than the view: what comes into view by scrolling is the
// kernel's picture as it was fetched, without asking the kernel again; once
// the kernel has painted over its picture, it is fetched again first.
TEST_F(SchemFormCalls, ScrollingShowsTheFetchedPictureAndFetchesAgainAfterTheKernelPainted) {
    picture = QImage(2000, 1500, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) picture.setPixel(x, y, qRgb(x % 251, y % 241, (x * y) % 239));
    form->RefreshScheme();
    fake.clearCalls();
    // What the view shows of the sheet (inside the frame) and that part of the picture.
    auto shown = [this] {
        const SchemeLayout& l = form->Layout();
        const QRect framed(l.source.left, l.source.top, l.source.right - l.source.left + 1,
                           l.source.bottom - l.source.top + 1);
        const QRect part = framed.translated(-kFrame, -kFrame).intersected(picture.rect());
        const QImage view = form->Canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage viewed = view.copy(part.translated(kFrame - l.source.left + l.dest.left,
                                                        kFrame - l.source.top + l.dest.top));
        return std::make_pair(viewed, picture.copy(part));
    };
    form->SetScrollPositions(1800, 1300);
    auto [viewed, expected] = shown();
    EXPECT_EQ(viewed, expected);
    EXPECT_EQ(fake.count("PaintScheme"), 0);

    picture.fill(Qt::red);  // the kernel painted again
    form->SetScrollPositions(300, 200);
    std::tie(viewed, expected) = shown();
    EXPECT_EQ(fake.count("PaintScheme"), 1);
    EXPECT_EQ(viewed, expected);
    // The whole framed picture, asked for, is the picture in its frame.
    EXPECT_EQ(form->Bitmap().copy(kFrame, kFrame, 2000, 1500), picture);
    EXPECT_EQ(fake.count("PaintScheme"), 1);
}
