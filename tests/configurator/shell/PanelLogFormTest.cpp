// The log panel: caption with size and position, the scroll handler's
// positions, following the end with the timer, and small or empty views.
#include "configurator/link/LogLink.h"
#include "configurator/shell/PanelLogForm.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <vector>

namespace zo::configurator {
namespace {

// A logging library record whose RenderLogView answers from this state.
struct RenderState {
    int64_t size = 0;
    int64_t lineUp = -1, lineDown = -1, pageUp = -1, pageDown = -1;
    int64_t position = -1;  // when set, the position reported whatever the mode
    int result = 0;
    bool pictureOnFailure = false;  // a failed render hands its picture over all the same
    std::vector<TLogView> seen;  // every view the panel handed over
    QImage picture{4, 4, QImage::Format_RGB32};
} g_state;

int32_t fakeRender(TLogView* view, void** graphic) {
    g_state.seen.push_back(*view);
    view->Size = g_state.size;
    if (view->Mode == 2) view->Position = g_state.size;
    if (g_state.position >= 0) view->Position = g_state.position;
    view->LineUpPosition = g_state.lineUp;
    view->LineDownPosition = g_state.lineDown;
    view->PageUpPosition = g_state.pageUp;
    view->PageDownPosition = g_state.pageDown;
    if (g_state.result == 0 || g_state.pictureOnFailure) *graphic = &g_state.picture;
    return g_state.result;
}

struct Panel {
    TLogsOptions record{};
    TLogsOptions* pointer = &record;
    TLogLink link{pointer};
    TPanelLogForm form{link};
    Panel() {
        g_state = RenderState{};
        record.RenderLogView = &fakeRender;
        form.ResetView("Vezevire.log");
        form.resize(400, 120);
    }
    const TLogView& last() const { return g_state.seen.back(); }
};

QString kb(double value, const char* unit) { return QLocale().toString(value, 'f', 1) + unit; }

TEST(LogPanelText, SizesInBytesKilobytesAndMegabytes) {
    EXPECT_EQ(LogSizeText(0), "0 B");
    EXPECT_EQ(LogSizeText(1024), "1024 B");
    EXPECT_EQ(LogSizeText(1025), kb(1.0, " kB"));
    EXPECT_EQ(LogSizeText(1048576), kb(1024.0, " kB"));
    EXPECT_EQ(LogSizeText(1048577), kb(1.0, " MB"));
}

TEST(LogPanelText, ScrollPositionRoundsAndSurvivesAnEmptyLog) {
    EXPECT_EQ(LogScrollPosition(0, 0), 100);
    EXPECT_EQ(LogScrollPosition(5, 0), 100);
    EXPECT_EQ(LogScrollPosition(0, 1000), 0);
    EXPECT_EQ(LogScrollPosition(505, 1000), 51);
    EXPECT_EQ(LogScrollPosition(1000, 1000), 100);
    // Positions of a log of several gigabytes stay exact in 64 bits.
    EXPECT_EQ(LogScrollPosition(int64_t(3) << 32, int64_t(6) << 32), 50);
}

TEST(LogPanel, CaptionShowsNameSizeAndPosition) {
    Panel p;
    g_state.size = 2048;
    p.form.TimerLogTimer();
    EXPECT_EQ(p.form.windowTitle(), QString::fromUtf8("\"Vezevire.log\"  Размер: ") + kb(2.0, " kB") + "  100 %");
    EXPECT_TRUE(p.form.TimerLog()->isActive());
}

TEST(LogPanel, ScrollCodesTakeTheLibrarysPositionsOnlyWhenNotNegative) {
    Panel p;
    g_state.size = 1000;
    g_state.lineUp = 900;
    g_state.pageUp = 100;
    g_state.pageDown = 600;
    g_state.lineDown = 650;
    p.form.TimerLogTimer();  // following the end: Position 1000; the library reports the four moves
    using Code = TPanelLogForm::ScrollCode;
    p.form.ScrollBarLogScroll(Code::LineUp, 0);
    EXPECT_EQ(ZO_FIELD(p.last(), Mode), 1);
    EXPECT_EQ(ZO_FIELD(p.last(), Position), 900);
    EXPECT_EQ(p.form.ScrollBarLog()->sliderPosition(), 90);
    EXPECT_FALSE(p.form.TimerLog()->isActive()) << "reading: the picture stays still";
    p.form.ScrollBarLogScroll(Code::PageUp, 0);
    EXPECT_EQ(ZO_FIELD(p.last(), Position), 100);
    p.form.ScrollBarLogScroll(Code::PageDown, 0);
    EXPECT_EQ(ZO_FIELD(p.last(), Position), 600);
    g_state.lineUp = -1;  // the top of the log: the library reports no line above
    p.form.ScrollBarLogScroll(Code::LineDown, 0);
    EXPECT_EQ(ZO_FIELD(p.last(), Position), 650);
    p.form.ScrollBarLogScroll(Code::LineUp, 0);
    EXPECT_EQ(ZO_FIELD(p.last(), Position), 650) << "a negative position keeps Position";
    p.form.ScrollBarLogScroll(Code::Other, 0);
    EXPECT_EQ(ZO_FIELD(p.last(), Position), 650);
    p.form.ScrollBarLogScroll(Code::Track, 25);
    EXPECT_EQ(ZO_FIELD(p.last(), Position), 250);
    EXPECT_EQ(ZO_FIELD(p.last(), Mode), 1);
    // Dragging the thumb to the end follows the log again.
    p.form.ScrollBarLogScroll(Code::Track, 100);
    EXPECT_EQ(ZO_FIELD(p.last(), Mode), 2);
    EXPECT_TRUE(p.form.TimerLog()->isActive());
}

TEST(LogPanel, ScrollBarActionsReachTheHandler) {
    Panel p;
    g_state.size = 1000;
    g_state.lineUp = 500;
    p.form.TimerLogTimer();
    p.form.ScrollBarLog()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(ZO_FIELD(p.last(), Position), 500);
    EXPECT_EQ(p.form.ScrollBarLog()->value(), 50);
}

TEST(LogPanel, PressMarksAtThePointAndKeepsTheMode) {
    Panel p;
    g_state.size = 10;
    p.form.show();
    QTest::mouseClick(p.form.ImageLog(), Qt::LeftButton, {}, QPoint(7, 9));
    ASSERT_FALSE(g_state.seen.empty());
    EXPECT_EQ(ZO_FIELD(p.last(), Action), 1);
    EXPECT_EQ(ZO_FIELD(p.last(), X), 7);
    EXPECT_EQ(ZO_FIELD(p.last(), Y), 9);
    EXPECT_EQ(ZO_FIELD(p.last(), Mode), 2);
}

TEST(LogPanel, NarrowPanelAsksForNoPictureAndAnEmptyLogDividesByNothing) {
    Panel p;
    g_state.size = 0;
    p.form.resize(10, 10);  // narrower than its scroll bar
    p.form.PanelLogFormCanResize();
    ASSERT_FALSE(g_state.seen.empty());
    EXPECT_EQ(ZO_FIELD(p.last(), Width), 0);
    EXPECT_EQ(ZO_FIELD(p.last(), Height), 8);
    EXPECT_EQ(p.form.windowTitle(), QString::fromUtf8("\"Vezevire.log\"  Размер: 0 B  100 %"));
    p.form.resize(400, 120);
    p.form.PanelLogFormCanResize();
    EXPECT_EQ(ZO_FIELD(p.last(), Width), 400 - p.form.ScrollBarLog()->sizeHint().width() - 2);
    EXPECT_EQ(ZO_FIELD(p.last(), Height), 118);
}

TEST(LogPanel, WithoutTheLibraryNoHandlerCallsIt) {
    TLogsOptions* none = nullptr;
    TLogLink link(none);
    TPanelLogForm form(link);
    form.ResetView("Vezevire.log");
    form.resize(10, 10);
    form.TimerLogTimer();
    form.ScrollBarLogScroll(TPanelLogForm::ScrollCode::LineUp, 0);
    form.ImageLogMouseDown(QPoint(1, 1));
    form.PanelLogFormCanResize();
    EXPECT_TRUE(form.windowTitle().isEmpty());
}

TEST(LogPanel, FailedRenderDrawsNothingAndLeavesTheTimer) {
    Panel p;
    g_state.picture.fill(Qt::blue);
    p.form.PanelLogFormCanResize();  // the panel's picture with a blue corner drawn
    ASSERT_FALSE(p.form.ImageLog()->Bitmap().isNull());
    ASSERT_EQ(p.form.ImageLog()->Bitmap().pixelColor(QPoint(0, 0)), QColor(Qt::blue));
    // A failed render whose picture and position would, taken, be drawn and stop the timer.
    g_state.size = 100;
    g_state.position = 30;
    g_state.result = -3;
    g_state.pictureOnFailure = true;
    g_state.picture.fill(Qt::red);
    const size_t renders = g_state.seen.size();
    p.form.TimerLogTimer();
    EXPECT_EQ(g_state.seen.size(), renders + 1) << "the render was asked for";
    const QImage& shown = p.form.ImageLog()->Bitmap();
    for (const QPoint at : {QPoint(0, 0), QPoint(3, 3)}) EXPECT_EQ(shown.pixelColor(at), QColor(Qt::blue)) << at.x();
    EXPECT_TRUE(p.form.TimerLog()->isActive());
    EXPECT_EQ(p.form.ScrollBarLog()->sliderPosition(), 100);
    // The same render succeeding draws and stops following the end.
    g_state.result = 0;
    p.form.TimerLogTimer();
    EXPECT_EQ(p.form.ImageLog()->Bitmap().pixelColor(QPoint(0, 0)), QColor(Qt::red));
    EXPECT_FALSE(p.form.TimerLog()->isActive());
    EXPECT_EQ(p.form.ScrollBarLog()->sliderPosition(), 30);
}

}  // namespace
}  // namespace zo::configurator
