#include "configurator/windows/SchemForm.h"

#include "common/Canvas.h"
#include "common/PictureMemory.h"
#include "configurator/link/CursorTable.h"
#include "configurator/link/KeyTable.h"
#include "configurator/link/SchemeCommandLink.h"
#include "configurator/windows/DragMimeType.h"
#include "configurator/windows/SchemActions.h"
#include "configurator/windows/XPHintWindow.h"

#include <QApplication>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFont>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cstring>

namespace zo::configurator {

namespace {

constexpr int kDesignWidth = 475;
constexpr int kDesignHeight = 261;

QString pointText(int x, int y) { return "X=" + QString::number(x) + ": Y=" + QString::number(y); }

}  // namespace

// ---- canvas ----------------------------------------------------------------

TSchemCanvas::TSchemCanvas(TSchemForm& form) : form_(form) {
    setObjectName("SchemCanvas");
    setMouseTracking(true);  // hover reaches the kernel without a button held
    setFocusPolicy(Qt::ClickFocus);
    setAcceptDrops(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TSchemCanvas::paintEvent(QPaintEvent*) { form_.PaintCanvas(); }
void TSchemCanvas::resizeEvent(QResizeEvent*) { form_.FormPaint(); }
void TSchemCanvas::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    form_.FormMouseMove(p.x(), p.y());
}
void TSchemCanvas::mousePressEvent(QMouseEvent* e) { form_.FormMouseDown(e); }
void TSchemCanvas::mouseDoubleClickEvent(QMouseEvent* e) { form_.FormMouseDown(e); }
void TSchemCanvas::mouseReleaseEvent(QMouseEvent* e) { form_.FormMouseUp(e); }
void TSchemCanvas::wheelEvent(QWheelEvent* e) { form_.FormMouseWheel(e); }
void TSchemCanvas::keyPressEvent(QKeyEvent* e) {
    form_.FormKey(e, true);
    QWidget::keyPressEvent(e);  // the key goes on to the toolkit unchanged
}
void TSchemCanvas::keyReleaseEvent(QKeyEvent* e) {
    form_.FormKey(e, false);
    QWidget::keyReleaseEvent(e);
}
void TSchemCanvas::dragEnterEvent(QDragEnterEvent* e) {
    // Only the element library's drags are offered to the kernel. The entry
    // itself is always taken, so the window follows the drag; each move then
    // carries the kernel's verdict.
    if (!e->mimeData() || !e->mimeData()->hasFormat(kDragObjectMimeType)) return;
    form_.FormDragOver(e);
    e->acceptProposedAction();
}
void TSchemCanvas::dragMoveEvent(QDragMoveEvent* e) {
    if (!e->mimeData() || !e->mimeData()->hasFormat(kDragObjectMimeType)) return;
    form_.FormDragOver(e);
}
void TSchemCanvas::dropEvent(QDropEvent* e) { form_.FormDragDrop(e); }
void TSchemCanvas::leaveEvent(QEvent* e) {
    form_.HideHint();
    QWidget::leaveEvent(e);
}

// ---- window ----------------------------------------------------------------

TSchemForm::TSchemForm(SchemeLink& link, QWidget* parent)
    : QMdiSubWindow(parent), link_(link), canvas_(new TSchemCanvas(*this)), timer_(this), hintTimer_(this) {
    setObjectName("SchemForm");
    setAttribute(Qt::WA_DeleteOnClose);  // the window is freed on close
    setWindowTitle("Schem");
    setFont(QFont("Tahoma"));
    setWidget(canvas_);

    hBar_ = new QScrollBar(Qt::Horizontal, canvas_);
    hBar_->setObjectName("Hr_scrl");
    vBar_ = new QScrollBar(Qt::Vertical, canvas_);
    vBar_->setObjectName("Vr_scrl");
    for (QScrollBar* bar : {hBar_, vBar_}) {
        bar->setRange(0, 10000);
        bar->setPageStep(0);
        bar->setFocusPolicy(Qt::NoFocus);
        bar->setCursor(Qt::ArrowCursor);
        bar->hide();
    }
    // Each bar sets its own coordinate of the centre.
    connect(hBar_, &QScrollBar::valueChanged, this, [this](int value) { OnScroll(Qt::Horizontal, value); });
    connect(vBar_, &QScrollBar::valueChanged, this, [this](int value) { OnScroll(Qt::Vertical, value); });
    timer_.setObjectName("Timer");
    timer_.setInterval(100);
    hintTimer_.setObjectName("HintTimer");
    hintTimer_.setInterval(500);
    connect(&hintTimer_, &QTimer::timeout, this, [this] { HintTimerTimer(); });

    canvas_->resize(kDesignWidth, kDesignHeight);
    resize(sizeHint().expandedTo(QSize(kDesignWidth, kDesignHeight)));
    commands_ = new TSchemActions(*this);
}

TSchemForm::~TSchemForm() {
    if (appCursorPushed_) QApplication::restoreOverrideCursor();
    LogClosed();
}

void TSchemForm::LogClosed() {
    if (HasKernel()) link_.Log(QString::fromUtf8("Закрыт \"") + sheetName_ + "\"", 1);
    attached_ = false;
}

void TSchemForm::SetSchemeName(const QString& name) {
    sheetName_ = name.left(260);
    setWindowTitle(sheetName_);
}

int TSchemForm::LoadSchemeBitmap() {
    if (!HasKernel()) return -1;
    const QImage* picture = nullptr;
    if (link_.PaintScheme(sheetName_, &picture) != 0) return -2;
    if (!picture) return -3;
    const int w = picture->width() + 2 * kFrame, h = picture->height() + 2 * kFrame;
    if (bitmap_.width() != w || bitmap_.height() != h || bitmap_.format() != QImage::Format_RGB32) {
        bitmap_ = NewPicture(w, h);
        framed_ = QRegion();
    }
    picture_ = picture;
    pictureKey_ = picture->cacheKey();
    copied_ = QRegion();
    ExposeView(CurrentLayout());
    return 0;
}

SchemeLayout TSchemForm::CurrentLayout() const {
    return layoutScheme(canvas_->width(), canvas_->height(), bitmap_.width(), bitmap_.height(), scale_, centreX_,
                        centreY_, vBar_->sizeHint().width(), hBar_->sizeHint().height());
}

void TSchemForm::ExposeView(const SchemeLayout& l) const {
    if (l.source.right < l.source.left || l.source.bottom < l.source.top) return;
    ExposeFrame(QRect(l.source.left, l.source.top, l.source.right - l.source.left + 1,
                      l.source.bottom - l.source.top + 1));
    ExposePicture(QRect(l.source.left - kFrame, l.source.top - kFrame, l.source.right - l.source.left + 1,
                        l.source.bottom - l.source.top + 1));
}

// The frame is drawn as it is shown too: a picture of a large sheet is not
// written row by row (every page of it) before it is shown.
void TSchemForm::ExposeFrame(const QRect& part) const {
    const QRegion missing = (FrameBands(bitmap_.width(), bitmap_.height()) & part) - framed_;
    if (missing.isEmpty()) return;
    DrawFrame(bitmap_, missing);
    framed_ += missing;
}

void TSchemForm::ExposePicture(const QRect& part) const {
    if (!picture_ || !HasKernel()) return;
    const QRegion missing = QRegion(part.intersected(QRect(0, 0, bitmap_.width() - 2 * kFrame,
                                                            bitmap_.height() - 2 * kFrame))) -
                            copied_;
    if (missing.isEmpty()) return;
    // The kernel has painted over its picture since (another sheet, or this one
    // again): what is copied now must come from this sheet's picture as it is.
    if (picture_->cacheKey() != pictureKey_ || picture_->width() + 2 * kFrame != bitmap_.width() ||
        picture_->height() + 2 * kFrame != bitmap_.height()) {
        const_cast<TSchemForm*>(this)->LoadSchemeBitmap();
        if (picture_ && picture_->cacheKey() == pictureKey_) ExposePicture(part);
        return;
    }
    const QImage source =
        picture_->format() == QImage::Format_RGB32 ? *picture_ : picture_->convertToFormat(QImage::Format_RGB32);
    for (const QRect& r : missing) {
        const size_t rowBytes = size_t(r.width()) * 4;
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::memcpy(bitmap_.scanLine(y + kFrame) + (r.left() + kFrame) * 4, source.constScanLine(y) + r.left() * 4,
                        rowBytes);
    }
    copied_ += missing;
}

const QImage& TSchemForm::Bitmap() const {
    ExposeFrame(bitmap_.rect());
    ExposePicture(QRect(0, 0, bitmap_.width() - 2 * kFrame, bitmap_.height() - 2 * kFrame));
    return bitmap_;
}

void TSchemForm::Refresh() {
    LoadSchemeBitmap();
    FormPaint();
}

int TSchemForm::RefreshScheme() {
    const int result = LoadSchemeBitmap();
    FormPaint();
    FollowHintObject();
    return result;
}

void TSchemForm::FormPaint() {
    if (!HasKernel()) return;
    layout_ = CurrentLayout();
    ExposeView(layout_);
    settingBars_ = true;
    hBar_->setGeometry(layout_.hBarRect);
    vBar_->setGeometry(layout_.vBarRect);
    hBar_->setVisible(layout_.hBar);
    vBar_->setVisible(layout_.vBar);
    // A bar's range is the range of the shown centre; its page (which Qt keeps
    // out of the range) only sizes the thumb and is the step of a trough click.
    if (layout_.hBar) {
        hBar_->setRange(layout_.hMin, layout_.hMax);
        hBar_->setPageStep(layout_.showW);
        hBar_->setValue(layout_.hPos);
    }
    if (layout_.vBar) {
        vBar_->setRange(layout_.vMin, layout_.vMax);
        vBar_->setPageStep(layout_.showH);
        vBar_->setValue(layout_.vPos);
    }
    settingBars_ = false;
    canvas_->update(ViewRegion());
    Status(1, scaleText(scale_));
}

QRegion TSchemForm::ViewRegion() const {
    QRegion view(canvas_->rect());
    if (hBar_->isVisible()) view -= hBar_->geometry();
    if (vBar_->isVisible()) view -= vBar_->geometry();
    return view;
}

void TSchemForm::PaintView(QPainter& p) {
    const QRect client(0, 0, canvas_->width(), canvas_->height());
    const ViewRect& d = layout_.dest;
    const ViewRect& s = layout_.source;
    const bool picture = HasKernel() && !bitmap_.isNull() && d.right >= d.left && d.bottom >= d.top &&
                         s.right >= s.left && s.bottom >= s.top;
    const QRect dest(d.left, d.top, d.right - d.left + 1, d.bottom - d.top + 1);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    // The margin round the picture; the picture covers the rest.
    const QColor margin = palette().color(QPalette::Dark);
    if (!picture) {
        p.fillRect(client, margin);
        return;
    }
    p.fillRect(QRect(0, 0, client.width(), dest.top()), margin);
    p.fillRect(QRect(0, dest.bottom() + 1, client.width(), client.height() - dest.bottom() - 1), margin);
    p.fillRect(QRect(0, dest.top(), dest.left(), dest.height()), margin);
    p.fillRect(QRect(dest.right() + 1, dest.top(), client.width() - dest.right() - 1, dest.height()), margin);
    p.setRenderHint(QPainter::SmoothPixmapTransform, scale_ != 1.0f);
    p.drawImage(dest, bitmap_, QRect(s.left, s.top, s.right - s.left + 1, s.bottom - s.top + 1));
}

void TSchemForm::PaintCanvas() {
    const int cw = canvas_->width(), ch = canvas_->height();
    if (cw <= 0 || ch <= 0) return;
    if (!resizing_) {
        // The backing store is the off-screen picture: the view is drawn into it once.
        QPainter w(canvas_);
        PaintView(w);
        return;
    }
    // The outline of a canvas-resize drag is inverted over the view, which needs
    // a picture of our own for the raster operation.
    if (frame_.width() != cw || frame_.height() != ch) frame_ = QImage(cw, ch, QImage::Format_RGB32);
    {
        QPainter p(&frame_);
        PaintView(p);
        DrawXorRect(resizeOutline(layout_.dest, resizeAmounts_, scale_), &p);
    }
    QPainter w(canvas_);
    w.drawImage(0, 0, frame_);
}

void TSchemForm::ScalePlus() {
    centreX_ = bitmap_.width() / 2;
    centreY_ = bitmap_.height() / 2;
    scale_ = scalePlus(scale_);
    FormPaint();
}

void TSchemForm::ScaleMinus() {
    centreX_ = bitmap_.width() / 2;
    centreY_ = bitmap_.height() / 2;
    scale_ = scaleMinus(scale_);
    FormPaint();
}

void TSchemForm::Scale100() {
    centreX_ = bitmap_.width() / 2;
    centreY_ = bitmap_.height() / 2;
    scale_ = 1.0f;
    FormPaint();
}

void TSchemForm::SetScale(float scale) {
    scale_ = validScale(scale);
    FormPaint();
}

void TSchemForm::SetScrollPositions(int horizontal, int vertical) {
    centreX_ = horizontal;
    centreY_ = vertical;
    FormPaint();
}

void TSchemForm::SaveView() {
    if (!HasKernel()) return;
    const QRect g = geometry();
    link_.SetSheetWindow(sheetName_, g.left(), g.top(), g.left() + g.width(), g.top() + g.height(), hBar_->value(),
                         vBar_->value(), scale_);
}

void TSchemForm::OnScroll(Qt::Orientation bar, int value) {
    if (settingBars_) return;
    if (bar == Qt::Horizontal) centreX_ = value;
    else centreY_ = value;
    FormPaint();
}

void TSchemForm::Status(int panel, const QString& text) const { link_.SetStatusText(panel, text); }

void TSchemForm::SetAppCursor(int16_t cursor) {
    if (cursor == kCursorDefault) {
        if (appCursorPushed_) QApplication::restoreOverrideCursor();
        appCursorPushed_ = false;
        return;
    }
    if (appCursorPushed_) QApplication::changeOverrideCursor(QCursor(cursorShape(cursor)));
    else QApplication::setOverrideCursor(QCursor(cursorShape(cursor)));
    appCursorPushed_ = true;
}

// ---- pointer ---------------------------------------------------------------

void TSchemForm::FormMouseMove(int x, int y) {
    if (!hintTimer_.isActive()) hintTimer_.start();
    if (!HasKernel()) return;
    Status(0, QString());
    Status(2, QString());
    hint_.clear();
    if (resizing_) {
        ResizeMove(x, y);
        return;
    }
    if (!layout_.dest.Contains(x, y)) {
        // The grey margin round the picture: no zone, no point the kernel could take.
        pointerZone_ = kZoneBeyond;
        pointerX_ = pointerY_ = kNoPoint;
        Status(2, QString::fromUtf8("Форма отображения схемы"));
        canvas_->setCursor(cursorShape(kCursorDefault));
        hintText_.clear();
        return;
    }
    hintText_.clear();  // only the sheet itself has hints
    const QPoint b = bitmapPoint(layout_, scale_, x, y);
    pointerZone_ = pointerZoneOf(b.x(), b.y(), bitmap_.width(), bitmap_.height());
    if (pointerZone_ == kZoneBeyond) pointerX_ = pointerY_ = kNoPoint;
    if (draggingOver_) {
        // Only the sheet itself gives a drop a position; over the frame there is none.
        if (pointerZone_ == kZoneInside) {
            pointerX_ = uint16_t(b.x() - kFrame);
            pointerY_ = uint16_t(b.y() - kFrame);
            Status(0, pointText(pointerX_, pointerY_));
        } else {
            pointerX_ = pointerY_ = kNoPoint;
        }
        Status(2, QString::fromUtf8("Перенос обьекта на холст"));
        return;
    }
    if (pointerZone_ == kZoneInside) {
        pointerX_ = uint16_t(b.x() - kFrame);
        pointerY_ = uint16_t(b.y() - kFrame);
        lastSheetX_ = pointerX_;
        lastSheetY_ = pointerY_;
        Status(0, pointText(pointerX_, pointerY_));
        SchemeLink::MouseAnswer answer;
        answer.cursor = kCursorDefault;
        hintText_.clear();
        if (link_.MouseMove(sheetName_, pointerX_, pointerY_, answer) == 0) {
            hintText_ = answer.hint;
            Status(2, answer.status);
            if (answer.changed) Refresh();
        }
        SetAppCursor(buttonDown_ ? answer.cursor : kCursorDefault);
        canvas_->setCursor(cursorShape(answer.cursor));
        return;
    }
    if (isFrameZone(pointerZone_)) {
        Status(2, QString::fromUtf8("Изменить размер холста"));
        canvas_->setCursor(cursorShape(zoneCursor(pointerZone_)));
        return;
    }
    canvas_->setCursor(cursorShape(kCursorDefault));
}

void TSchemForm::ResizeMove(int x, int y) {
    if (!isFrameZone(pointerZone_)) {
        canvas_->setCursor(cursorShape(kCursorDefault));
        resizing_ = false;
        canvas_->update();
        return;
    }
    resizeAmounts_ = resizeAmounts(pointerZone_, pressX_, pressY_, x, y);
    resizeDelta_ = resizeDelta(resizeAmounts_, scale_);
    canvas_->update();  // the outline is drawn over the view by the paint
    Status(0, "(" + QString::number(resizeDelta_[0]) + "," + QString::number(resizeDelta_[1]) + "," +
                  QString::number(resizeDelta_[2]) + "," + QString::number(resizeDelta_[3]) + ")");
    Status(1, pointText(resizeAmounts_.sx, resizeAmounts_.sy));
    Status(2, QString::fromUtf8("Изменение размера холста"));
}

void TSchemForm::FormMouseDown(QMouseEvent* event) {
    canvas_->setFocus(Qt::MouseFocusReason);
    if (popupOpen_) {
        popupOpen_ = false;
        return;
    }
    buttonDown_ = true;
    const bool left = event->button() == Qt::LeftButton;
    if (isFrameZone(pointerZone_) && left) {
        resizeDelta_ = {0, 0, 0, 0};
        resizeAmounts_ = ResizeAmounts{};
        const QPoint p = event->position().toPoint();
        pressX_ = p.x();
        pressY_ = p.y();
        resizing_ = true;
        return;
    }
    // Only a press on the sheet itself reaches the kernel, never a stale point.
    if (!HasKernel() || !left || pointerZone_ != kZoneInside) return;
    SchemeLink::MouseAnswer answer;
    kernelPress_ = true;
    if (link_.MouseDown(sheetName_, pointerX_, pointerY_, 0, answer) != 0) return;
    Status(2, answer.status);
    if (answer.changed) LoadSchemeBitmap();
    // A repaint is only scheduled: a handler whose kernel call closed this
    // window never runs a nested event loop under it.
    FormPaint();
}

void TSchemForm::FormMouseUp(QMouseEvent* event) {
    buttonDown_ = false;
    SetAppCursor(kCursorDefault);
    if (resizing_ && HasKernel()) {
        timer_.stop();
        resizing_ = false;
        link_.ResizeSheet(sheetName_, resizeDelta_[0], resizeDelta_[1], resizeDelta_[2], resizeDelta_[3]);
        Refresh();
        return;
    }
    resizing_ = false;
    if (!HasKernel() || event->button() != Qt::LeftButton) return;
    // The release ends the kernel's own gesture only: it is sent after a press
    // the kernel took, with the last position on the sheet (also when the
    // pointer has left the picture since).
    if (!kernelPress_) return;
    kernelPress_ = false;
    SchemeLink::MouseAnswer answer;
    if (link_.MouseUp(sheetName_, lastSheetX_, lastSheetY_, 0, answer) != 0) return;
    Status(2, answer.status);
    if (answer.changed) Refresh();
}

void TSchemForm::FormKey(QKeyEvent* event, bool down) {
    if (!HasKernel()) return;
    const uint16_t key = kernelKeyCode(event->key());
    if (key == 0) return;
    const uint8_t shift = kernelShiftState(event->modifiers(), QGuiApplication::mouseButtons());
    bool changed = false;
    const int32_t result =
        down ? link_.KeyDown(sheetName_, key, shift, changed) : link_.KeyUp(sheetName_, key, shift, changed);
    if (result == 0 && changed) {
        Refresh();
        FollowHintObject();
    }
}

void TSchemForm::FormMouseWheel(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        event->ignore();
        return;
    }
    event->accept();
    const int delta = event->angleDelta().y();
    if (delta > 0) {
        scale_ = wheelIn(scale_);
        // Zooming in brings the point under the pointer to the middle of the view.
        if (pointerX_ != kNoPoint && pointerY_ != kNoPoint) {
            centreX_ = pointerX_;
            centreY_ = pointerY_;
        }
    } else if (delta < 0) {
        scale_ = wheelOut(scale_);
    }
    FormPaint();
}

// ---- drag and drop ---------------------------------------------------------

void TSchemForm::FormDragOver(QDragMoveEvent* event) {
    const QPoint p = event->position().toPoint();
    draggingOver_ = true;
    FormMouseMove(p.x(), p.y());
    draggingOver_ = false;
    LoadSchemeBitmap();
    // Beyond the picture the kernel gives no verdict and the drag is taken.
    bool accepted = true;
    if (pointerX_ != kNoPoint && pointerY_ != kNoPoint && HasKernel()) {
        TMyDragObject* source = unpackDragObject(event->mimeData());
        accepted = link_.DragOver(sheetName_, &bitmap_, source, pointerX_, pointerY_) == 0;
        canvas_->setCursor(cursorShape(accepted ? kCursorDrag : kCursorNoDrop));
    }
    // The drag's own cursor is what the user sees: it shows the verdict.
    if (accepted) event->acceptProposedAction();
    else event->ignore();
    framed_ = QRegion();  // drawn again as it is shown
    FormPaint();
}

void TSchemForm::FormDragDrop(QDropEvent* event) {
    canvas_->setFocus(Qt::OtherFocusReason);
    LoadSchemeBitmap();
    // The drop's own position decides, as the last drag-over would have.
    const QPoint p = event->position().toPoint();
    draggingOver_ = true;
    FormMouseMove(p.x(), p.y());
    if (pointerX_ != kNoPoint && pointerY_ != kNoPoint && HasKernel()) {
        TMyDragObject* source = unpackDragObject(event->mimeData());
        link_.DragDrop(sheetName_, source, pointerX_, pointerY_);
        link_.RepaintSchemeWindows();
    }
    draggingOver_ = false;
    event->acceptProposedAction();
    canvas_->setCursor(cursorShape(kCursorDefault));
}

// ---- hints -----------------------------------------------------------------

void TSchemForm::HintTimerTimer() {
    // With the display options' hints off the kernel's hints are never shown.
    if (!link_.HintsShown()) hintText_.clear();
    if (hintText_ != hint_) {
        hint_ = hintText_;
        if (!hint_.isEmpty()) {
            if (!hintWindow_) hintWindow_ = std::make_unique<TXPHintWindow>();
            hintWindow_->ActivateHint(QCursor::pos(), hint_);
            hintObject_ = ObjectUnderPointer();
            hintTimer_.setInterval(3000);
        } else {
            if (hintWindow_) hintWindow_->hide();
            hintTimer_.setInterval(400);
        }
    } else if (hintWindow_) {
        hintWindow_->hide();
    }
    hintTimer_.stop();
}

const TXPHintWindow* TSchemForm::ShownHint() const {
    return hintWindow_ && hintWindow_->isVisible() ? hintWindow_.get() : nullptr;
}

void TSchemForm::HideHint() {
    if (hintWindow_) hintWindow_->hide();
    hint_.clear();
    hintText_.clear();
    hintTimer_.stop();
    hintTimer_.setInterval(500);
}

std::pair<int32_t, int32_t> TSchemForm::ObjectUnderPointer() const {
    TSchemeCommandLink::Hit hit;
    if (!HasKernel() || TSchemeCommandLink(link_).HitTest(sheetName_, lastSheetX_, lastSheetY_, hit) != 0)
        return {-1, -1};
    return {hit.blockIndex, hit.linkIndex};
}

void TSchemForm::FollowHintObject() {
    if (ShownHint() && ObjectUnderPointer() != hintObject_) HideHint();
}

void TSchemForm::hideEvent(QHideEvent* event) {
    HideHint();
    QMdiSubWindow::hideEvent(event);
}

void TSchemForm::changeEvent(QEvent* event) {
    // Another window of the program was activated, or this one was minimised.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) HideHint();
    if (event->type() == QEvent::WindowStateChange && isMinimized()) HideHint();
    QMdiSubWindow::changeEvent(event);
}

SchemeWindowFactory schemeFormFactory(SchemeLink& link) {
    return [&link](QMdiArea& area) -> ISchemeWindow* {
        auto* form = new TSchemForm(link);
        area.addSubWindow(form);
        form->SetKernel(true);
        return form;
    };
}

}  // namespace zo::configurator
