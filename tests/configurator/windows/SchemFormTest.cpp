// The scheme window against the real kernel: the framed picture, the view,
// pointer and key input, canvas resizing, drops from the element library,
// hints and closing.
#include "SchemeKernel.h"

#include "common/MenObj.h"
#include "common/abi/BlockRecord.h"
#include "common/abi/SheetRecord.h"
#include "configurator/link/SchemeLink.h"
#include "configurator/windows/DragMimeType.h"
#include "configurator/windows/SchemForm.h"
#include "configurator/windows/SchemeView.h"

#include <QApplication>
#include <QMdiArea>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QTest>

#include <memory>

using namespace zo;
using namespace zo::configurator;
using namespace zo::test;

namespace {

class SchemForm : public SchemeKernel {
protected:
    void SetUp() override {
        SchemeKernel::SetUp();
        link = std::make_unique<SchemeLink>(&kernel());
        form = new TSchemForm(*link);
        area.addSubWindow(form);
        area.resize(900, 700);
        area.show();
        form->SetKernel(true);
        form->SetSchemeName(sheetName);
        form->show();
        setClient(475, 261);
        form->RefreshScheme();
    }
    void TearDown() override {
        delete form.data();
        link.reset();
        SchemeKernel::TearDown();
    }
    void setClient(int w, int h) {
        const QSize frame = form->size() - form->Canvas()->size();
        form->resize(frame + QSize(w, h));
        ASSERT_EQ(form->Canvas()->size(), QSize(w, h));
    }
    QScrollBar* bar(const char* name) { return form->Canvas()->findChild<QScrollBar*>(name); }
    // A client point on the Bitmap point (bx, by) as the last paint laid it out.
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
    // A drag of the element library's object entering the window and moving
    // to p; whether the move was taken (the verdict the drag's cursor shows).
    bool dragTo(QMimeData& data, LibraryDrag& drag, QPoint p) {
        data.setData(kDragObjectMimeType, packDragObject(&drag.object));
        QDragEnterEvent enter(p, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form->Canvas(), &enter);
        EXPECT_TRUE(enter.isAccepted());  // the window follows every drag of the library
        QDragMoveEvent over(p, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form->Canvas(), &over);
        return over.isAccepted();
    }
    void drop(QMimeData& data, QPoint p) {
        QDropEvent drop(p, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form->Canvas(), &drop);
    }
    void dropAt(LibraryDrag& drag, QPoint p) {
        QMimeData data;
        dragTo(data, drag, p);
        drop(data, p);
    }

    QMdiArea area;
    std::unique_ptr<SchemeLink> link;
    QPointer<TSchemForm> form;
};

TEST_F(SchemForm, FramedPictureIsTheKernelPictureInsideTheFrame) {
    void* bitmap = nullptr;
    ASSERT_EQ(kernel().PaintScheme(sheet()->Name, &bitmap), 0);
    const QImage picture = static_cast<const QImage*>(bitmap)->convertToFormat(QImage::Format_RGB32);
    const QImage& framed = form->Bitmap();
    ASSERT_EQ(framed.size(), picture.size() + QSize(10, 10));
    EXPECT_EQ(framed.copy(5, 5, picture.width(), picture.height()), picture);
    EXPECT_EQ(framed.pixel(0, 0), 0xFFC0C0C0u);
    EXPECT_EQ(framed.pixel(3, 3), 0xFF000096u);
    EXPECT_EQ(framed.pixel(framed.width() - 1, framed.height() / 2), 0xFFC0C0C0u);
    EXPECT_EQ(framed.pixel(framed.width() - 4, framed.height() / 2), 0xFF000096u);
    EXPECT_EQ(form->windowTitle(), sheetName);
    EXPECT_EQ(calls.lastStatus(1), "100%");
}

// The frame is drawn where the view shows it: every corner of a sheet larger
// than the view has its frame when scrolled to, and the whole framed picture
// is the one a frame drawn at once gives.
TEST_F(SchemForm, ALargeSheetIsFramedWhereverItIsShown) {
    void* bitmap = nullptr;
    ASSERT_EQ(kernel().PaintScheme(sheet()->Name, &bitmap), 0);
    const QImage picture = static_cast<const QImage*>(bitmap)->convertToFormat(QImage::Format_RGB32);
    QImage whole(picture.size() + QSize(10, 10), QImage::Format_RGB32);
    whole.fill(Qt::white);
    DrawFrame(whole);
    {
        QPainter p(&whole);
        p.drawImage(5, 5, picture);
    }
    const int bw = whole.width(), bh = whole.height();
    ASSERT_TRUE(bar("Hr_scrl")->isVisible());
    for (const QPoint corner : {QPoint(0, 0), QPoint(bw, 0), QPoint(0, bh), QPoint(bw, bh)}) {
        form->SetScrollPositions(corner.x(), corner.y());
        const SchemeLayout& l = form->Layout();
        const QImage shown = form->Canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect source(l.source.left, l.source.top, l.source.right - l.source.left + 1,
                           l.source.bottom - l.source.top + 1);
        EXPECT_EQ(shown.copy(l.dest.left, l.dest.top, source.width(), source.height()), whole.copy(source))
            << corner.x() << "," << corner.y();
    }
    EXPECT_EQ(form->Bitmap(), whole);
}

TEST_F(SchemForm, LoadCodesAndDetachedWindowKeepsItsPicture) {
    EXPECT_EQ(form->LoadSchemeBitmap(), 0);
    const QImage before = form->Bitmap();
    form->SetSchemeName("no such sheet");
    EXPECT_EQ(form->LoadSchemeBitmap(), -2);
    EXPECT_EQ(form->Bitmap(), before);
    form->DetachKernel();
    EXPECT_EQ(form->LoadSchemeBitmap(), -1);
    EXPECT_EQ(form->RefreshScheme(), -1);
}

TEST_F(SchemForm, SmallSheetShowsCentredWithoutBars) {
    form->SetScale(0.5f);
    const SchemeLayout& l = form->Layout();
    EXPECT_FALSE(bar("Hr_scrl")->isVisible());
    EXPECT_FALSE(bar("Vr_scrl")->isVisible());
    const int w = form->Bitmap().width(), h = form->Bitmap().height();  // 490 x 370
    EXPECT_EQ(l.dest.right - l.dest.left + 1, w / 2);
    EXPECT_EQ(l.dest.left, (475 - w / 2) / 2);
    EXPECT_EQ(l.dest.top, (261 - h / 2) / 2);
    const QImage shown = form->Canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.pixel(l.dest.left, l.dest.top), 0xFFC0C0C0u);  // the frame's corner
    const QRgb margin = form->palette().color(QPalette::Dark).rgb();
    EXPECT_EQ(shown.pixel(l.dest.left - 1, l.dest.top), margin);
    EXPECT_EQ(shown.pixel(l.dest.right + 1, l.dest.bottom), margin);
    EXPECT_EQ(calls.lastStatus(1), "50%");
}

TEST_F(SchemForm, LargeSheetShowsBothBarsAndScrollingMovesTheCentre) {
    QScrollBar* h = bar("Hr_scrl");
    QScrollBar* v = bar("Vr_scrl");
    ASSERT_TRUE(h->isVisible());
    ASSERT_TRUE(v->isVisible());
    EXPECT_EQ(h->minimum(), form->Layout().hMin);
    EXPECT_EQ(h->maximum(), form->Layout().hMax);
    EXPECT_EQ(v->geometry().right(), 474);
    EXPECT_EQ(h->geometry().bottom(), 260);
    form->SetScrollPositions(0, 5000);  // a centre below the picture: the bar shows its end
    ASSERT_EQ(v->value(), v->maximum());
    h->setValue(h->maximum());
    EXPECT_EQ(form->Centre().x(), h->maximum());
    EXPECT_EQ(form->Centre().y(), 5000);  // the other bar's coordinate stays as it was
    EXPECT_EQ(form->Layout().source.right, form->Bitmap().width() - 1);
    // The placement reported to the kernel names the bars' positions and the zoom.
    form->ScalePlus();
    form->SaveView();
    const TSheetRecord& s = *sheet();
    EXPECT_FLOAT_EQ(ZO_FIELD(s, Scale), 1.5f);
    EXPECT_EQ(ZO_FIELD(s, HScroll), h->value());
    EXPECT_EQ(ZO_FIELD(s, VScroll), v->value());
    EXPECT_EQ(ZO_FIELD(s, Right) - ZO_FIELD(s, Left), form->width());
}

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* e) override {
        paints += e->type() == QEvent::Paint;
        return false;
    }
    int paints = 0;
};

TEST_F(SchemForm, TheViewRepaintsWithoutTheScrollBarsUnlessTheyChange) {
    QScrollBar* h = bar("Hr_scrl");
    QScrollBar* v = bar("Vr_scrl");
    ASSERT_TRUE(h->isVisible());
    ASSERT_TRUE(v->isVisible());
    PaintCounter canvas, hc, vc;
    form->Canvas()->installEventFilter(&canvas);
    h->installEventFilter(&hc);
    v->installEventFilter(&vc);
    QApplication::processEvents();
    canvas.paints = hc.paints = vc.paints = 0;
    form->RefreshScheme();
    QApplication::processEvents();
    EXPECT_GT(canvas.paints, 0);
    EXPECT_EQ(hc.paints, 0);
    EXPECT_EQ(vc.paints, 0);
    // Scrolling moves a thumb: that bar paints itself.
    form->SetScrollPositions(h->value() + 40, v->value());
    QApplication::processEvents();
    EXPECT_GT(hc.paints, 0);
    // The corner between the bars belongs to the view.
    const QRegion view = form->ViewRegion();
    EXPECT_TRUE(view.contains(QPoint(h->geometry().right() + 1, v->geometry().bottom() + 1)));
    EXPECT_FALSE(view.intersects(h->geometry()));
    EXPECT_FALSE(view.intersects(v->geometry()));
}

TEST_F(SchemForm, ZoomCommandsAndAStoredScaleOfZero) {
    const struct {
        float from;
        void (TSchemForm::*command)();
        float to;
    } cases[] = {{7.75f, &TSchemForm::ScalePlus, 8.0f},
                 {8.0f, &TSchemForm::ScalePlus, 8.0f},
                 {0.5f, &TSchemForm::ScaleMinus, 0.25f},
                 {0.25f, &TSchemForm::ScaleMinus, 0.25f},
                 {3.0f, &TSchemForm::Scale100, 1.0f}};
    for (const auto& c : cases) {
        form->SetScale(c.from);
        (form->*c.command)();
        EXPECT_FLOAT_EQ(form->Scale(), c.to) << c.from;
        EXPECT_EQ(form->Centre(), QPoint(form->Bitmap().width() / 2, form->Bitmap().height() / 2));
    }
    form->SetScale(0.0f);
    EXPECT_FLOAT_EQ(form->Scale(), 1.0f);
}

TEST_F(SchemForm, TinyClientDoesNotCrash) {
    form->setMinimumSize(0, 0);
    form->Canvas()->setMinimumSize(0, 0);
    form->Canvas()->resize(5, 5);
    ASSERT_EQ(form->Canvas()->size(), QSize(5, 5));
    form->RefreshScheme();
    EXPECT_GE(form->Layout().viewW, 0);
    EXPECT_GE(form->Layout().viewH, 0);
    const QImage shown = form->Canvas()->grab().toImage();
    EXPECT_EQ(shown.size(), QSize(5, 5));
    move(QPoint(2, 2));
    press(QPoint(2, 2));
    release(QPoint(2, 2));
}

TEST_F(SchemForm, RightEdgeDragAtDoubleScaleResizesTheSheet) {
    form->SetScale(2.0f);
    form->SetScrollPositions(form->Bitmap().width(), form->Bitmap().height() / 2);  // the right edge in view
    const int width = ZO_FIELD(*sheet(), Width);
    const QPoint edge = at(form->Bitmap().width() - 3, form->Bitmap().height() / 2);
    move(edge);
    ASSERT_EQ(form->PointerZone(), kZoneRight);
    const QImage before = form->Canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    press(edge);
    ASSERT_TRUE(form->Resizing());
    move(edge + QPoint(30, 0), Qt::LeftButton);
    EXPECT_EQ(form->ResizeDeltaNow(), (std::array<int32_t, 4>{0, 0, 15, 0}));
    // The outline is drawn inverted over the view while the drag lasts, and
    // nothing else of the view changes.
    const QImage during = form->Canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const ViewRect d = form->Layout().dest;
    const int left = d.left + 10, top = d.top + 10, right = d.right + 30 - 10, bottom = d.bottom - 10;
    int inverted = 0;
    for (int y = 0; y < during.height(); ++y)
        for (int x = 0; x < during.width(); ++x) {
            if (during.pixel(x, y) == before.pixel(x, y)) continue;
            const bool onOutline = ((x == left || x == right - 1) && y >= top && y < bottom) ||
                                   ((y == top || y == bottom - 1) && x >= left && x < right);
            ASSERT_TRUE(onOutline) << x << "," << y;
            EXPECT_EQ(during.pixel(x, y) & 0xFFFFFF, ~before.pixel(x, y) & 0xFFFFFF);
            ++inverted;
        }
    EXPECT_GT(inverted, 100);
    release(edge + QPoint(30, 0));
    EXPECT_FALSE(form->Resizing());
    EXPECT_EQ(ZO_FIELD(*sheet(), Width), width + 1);  // 15 pixels are one whole cell
    EXPECT_EQ(form->Bitmap().width(), (width + 1) * 12 + 10);
}

TEST_F(SchemForm, DropFromTheElementLibraryAddsABlock) {
    form->SetScale(0.5f);
    LibraryDrag drag(kAndPath);
    QMimeData data;
    const QPoint p = at(5 + 121, 5 + 61);  // even Bitmap pixels: exact at 50 %
    EXPECT_TRUE(dragTo(data, drag, p));
    EXPECT_EQ(form->Canvas()->cursor().shape(), Qt::DragCopyCursor);  // the kernel's verdict: accepted
    EXPECT_EQ(blockCount(), 0);
    drop(data, p);
    ASSERT_EQ(blockCount(), 1);
    const auto* block = static_cast<const TBlockRecord*>(sheet()->Blocks->GetItem(0));
    EXPECT_EQ(std::string(block->DescriptionPath), kAndPath);
    EXPECT_EQ(calls.repaints, 1);
    EXPECT_EQ(calls.lastStatus(2), "Перенос обьекта на холст");
}

TEST_F(SchemForm, FactoryMakesAnAttachedWindowTheHostFindsInTheArea) {
    SchemeWindowFactory make = schemeFormFactory(*link);
    ISchemeWindow* window = make(area);
    ASSERT_NE(window, nullptr);
    window->SetSchemeName(sheetName);
    EXPECT_EQ(schemeWindowOf(area.subWindowList().back()), window);
    EXPECT_EQ(window->RefreshScheme(), 0);
    EXPECT_EQ(window->SubWindow()->windowTitle(), sheetName);
    delete window->SubWindow();
}

TEST_F(SchemForm, DragOfAGroupShowsTheKernelsRefusal) {
    form->SetScale(0.5f);
    LibraryDrag drag("");  // a group node names no block
    QMimeData data;
    EXPECT_FALSE(dragTo(data, drag, at(100, 100)));  // the move is refused: the drag shows no-drop
    EXPECT_EQ(form->Canvas()->cursor().shape(), Qt::ForbiddenCursor);
    drop(data, at(100, 100));  // a drop is still the kernel's to decide, and it refuses
    EXPECT_EQ(blockCount(), 0);
    EXPECT_EQ(calls.repaints, 1);
}

TEST_F(SchemForm, PressOnABlockSelectsItThroughTheKernel) {
    form->SetScrollPositions(0, 0);
    LibraryDrag drag(kAndPath);
    dropAt(drag, at(5 + 60, 5 + 60));
    ASSERT_EQ(blockCount(), 1);
    auto* block = static_cast<TBlockRecord*>(sheet()->Blocks->GetItem(0));
    // A press on the empty sheet clears the selection the drop made.
    move(at(5 + 300, 5 + 200));
    press(at(5 + 300, 5 + 200));
    release(at(5 + 300, 5 + 200));
    ASSERT_EQ(block->Selected, 0);
    const QPoint onBlock = at(5 + (ZO_FIELD(*block, Left) + 1) * 12 + 6, 5 + (ZO_FIELD(*block, Top) + 1) * 12 + 6);
    move(onBlock);
    press(onBlock);
    release(onBlock);
    EXPECT_EQ(block->Selected, 1);
}

TEST_F(SchemForm, WheelZoomInCentresThePointersSheetPoint) {
    auto wheel = [this](QPoint p, int delta, Qt::KeyboardModifiers modifiers) {
        QWheelEvent e(p, form->Canvas()->mapToGlobal(p), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(form->Canvas(), &e);
    };
    const QPoint p(300, 100);
    move(p);
    const QPoint pointer = form->Pointer();
    ASSERT_NE(pointer.x(), kNoPoint);
    ASSERT_NE(form->Centre(), pointer);
    wheel(p, 120, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(form->Scale(), 1.25f);
    EXPECT_EQ(form->Centre(), pointer);
    // Zooming out keeps the centre; without Ctrl the wheel does nothing.
    form->SetScrollPositions(200, 150);
    const QPoint centre = form->Centre();
    wheel(p, -120, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(form->Scale(), 1.0f);
    EXPECT_EQ(form->Centre(), centre);
    wheel(p, 120, Qt::NoModifier);
    EXPECT_FLOAT_EQ(form->Scale(), 1.0f);
}

}  // namespace
