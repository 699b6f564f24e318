#pragma once
// TSchemForm: the window of one scheme sheet, a child of the main window's MDI
// area. It owns no scheme data: the kernel paints the sheet into a picture on
// request, and the window shows that picture framed, zoomed and scrolled, and
// forwards pointer, key, wheel and drop events to the kernel through its
// SchemeLink. Dragging the frame round the picture resizes the sheet's canvas.
//
// The client area is the canvas widget (objectName "SchemCanvas"); the scroll
// bars "Hr_scrl" and "Vr_scrl" are placed on it by the window itself, so that
// the view always shows the centre the bars name.

#include "configurator/link/SchemeLink.h"
#include "configurator/windows/ISchemeWindow.h"
#include "configurator/windows/SchemeView.h"

#include <QImage>
#include <QMdiSubWindow>
#include <QRegion>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>

class QPainter;
class QScrollBar;
class QMouseEvent;
class QWheelEvent;
class QKeyEvent;
class QDragMoveEvent;
class QDropEvent;

namespace zo::configurator {

class TSchemActions;
class TSchemForm;
class TXPHintWindow;

// The client area of a scheme window: paints the view and hands every event
// to its window.
class TSchemCanvas : public QWidget {
public:
    explicit TSchemCanvas(TSchemForm& form);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    TSchemForm& form_;
};

class TSchemForm : public QMdiSubWindow, public ISchemeWindow {
    Q_OBJECT

public:
    // Made detached (no kernel calls) until SetKernel(true).
    explicit TSchemForm(SchemeLink& link, QWidget* parent = nullptr);
    ~TSchemForm() override;

    // ISchemeWindow
    QMdiSubWindow* SubWindow() override { return this; }
    QString GetSchemeName() const override { return sheetName_; }
    void SetSchemeName(const QString& name) override;
    void DetachKernel() override { SetKernel(false); }
    void ClosedByKernel() override { LogClosed(); }
    int RefreshScheme() override;
    void SaveView() override;
    void SetScrollPositions(int horizontal, int vertical) override;
    void SetScale(float scale) override;

    // Attaches the window to the link's kernel, or detaches it: a detached
    // window neither paints nor calls the kernel.
    void SetKernel(bool attached) { attached_ = attached; }
    bool HasKernel() const { return attached_ && link_.Bound(); }

    // Fetches the sheet's picture: 0 done, -1 no kernel, -2 the kernel failed
    // to paint, -3 no picture. A failure leaves the framed picture as it was.
    // Only the part in view is copied into the framed picture; the rest follows
    // when it comes into view or the whole framed picture is asked for.
    int LoadSchemeBitmap();
    // Lays the view out, sets the bars and the zoom text and schedules a repaint.
    void FormPaint();
    void ScalePlus();
    void ScaleMinus();
    void Scale100();

    // State, for the main window's commands and for tests.
    float Scale() const { return scale_; }
    QPoint Centre() const { return {centreX_, centreY_}; }
    // The whole framed picture (what was not in view yet copied first).
    const QImage& Bitmap() const;
    const SchemeLayout& Layout() const { return layout_; }
    int PointerZone() const { return pointerZone_; }
    QPoint Pointer() const { return {pointerX_, pointerY_}; }
    bool Resizing() const { return resizing_; }
    std::array<int32_t, 4> ResizeDeltaNow() const { return resizeDelta_; }
    TSchemCanvas* Canvas() const { return canvas_; }
    // The part of the canvas the view is drawn on: all of it but the scroll
    // bars shown over it, which repaint themselves when they change.
    QRegion ViewRegion() const;
    QString CurrentHint() const { return hint_; }
    // The hint window while it is on the screen, else nil.
    const TXPHintWindow* ShownHint() const;
    // The hint goes: the pointer left the window, or what it named may have gone.
    void HideHint();
    // The context menu opened: the press that closes it does nothing else.
    void NotePopupOpened() { popupOpen_ = true; }
    // The link the window's commands reach the kernel through, and the commands and context menu.
    SchemeLink& Link() const { return link_; }
    TSchemActions* Commands() const { return commands_; }

protected:
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class TSchemCanvas;

    void PaintCanvas();
    // "Закрыт" and the sheet's name in the log when attached; then detached.
    void LogClosed();
    // The layout FormPaint gives the client area now.
    SchemeLayout CurrentLayout() const;
    // Copies the part of the kernel's picture in this rectangle of it that the
    // framed picture lacks; the picture is fetched again when the kernel has
    // painted over it since.
    void ExposePicture(const QRect& part) const;
    void ExposeFrame(const QRect& part) const;
    void ExposeView(const SchemeLayout& layout) const;
    void PaintView(QPainter& painter);
    void Refresh();  // LoadSchemeBitmap, then FormPaint
    void Status(int panel, const QString& text) const;
    void SetAppCursor(int16_t cursor);
    void OnScroll(Qt::Orientation bar, int value);
    void HintTimerTimer();
    // The block and connection under the pointer (-1 none), as the kernel's hit test names them.
    std::pair<int32_t, int32_t> ObjectUnderPointer() const;
    // After an edit: the hint goes when the object it named is no longer under the pointer.
    void FollowHintObject();

    void FormMouseMove(int x, int y);
    void FormMouseDown(QMouseEvent* event);
    void FormMouseUp(QMouseEvent* event);
    void FormKey(QKeyEvent* event, bool down);
    void FormMouseWheel(QWheelEvent* event);
    void FormDragOver(QDragMoveEvent* event);
    void FormDragDrop(QDropEvent* event);
    void ResizeMove(int x, int y);

    SchemeLink& link_;
    TSchemCanvas* canvas_;
    QScrollBar* hBar_;
    QScrollBar* vBar_;
    QTimer timer_;      // the canvas-resize timer: never started, stopped at the end of a drag
    QTimer hintTimer_;  // 500 ms, then 3000 ms after a hint was shown, 400 ms after one was hidden
    std::unique_ptr<TXPHintWindow> hintWindow_;
    std::pair<int32_t, int32_t> hintObject_{-1, -1};  // what the shown hint names

    bool attached_ = false;
    // The framed picture, filled from the kernel's picture as it is shown: the
    // kernel's picture last fetched (the kernel's own, unchanged while its
    // cacheKey is the one noted) and the part of it copied so far.
    mutable QImage bitmap_;
    mutable const QImage* picture_ = nullptr;
    mutable qint64 pictureKey_ = 0;
    mutable QRegion copied_;
    mutable QRegion framed_;  // the part of the frame drawn so far
    QImage frame_;   // the client image while a canvas-resize outline is shown
    SchemeLayout layout_;
    bool buttonDown_ = false;
    QString statusText_;
    QString hintText_;  // the kernel's hint of the last move
    QString hint_;      // the window's current hint
    QString sheetName_;
    int centreX_ = 150, centreY_ = 150;
    float scale_ = 1.0f;
    uint16_t pointerX_ = kNoPoint, pointerY_ = kNoPoint;
    uint16_t lastSheetX_ = 0, lastSheetY_ = 0;  // the last pointer position on the sheet
    bool kernelPress_ = false;                  // the kernel took the press of the held button
    std::array<int32_t, 4> resizeDelta_{};
    ResizeAmounts resizeAmounts_;
    int pointerZone_ = kZoneNone;
    bool resizing_ = false;
    int pressX_ = 0, pressY_ = 0;
    bool draggingOver_ = false;
    bool popupOpen_ = false;
    bool appCursorPushed_ = false;
    bool settingBars_ = false;
    TSchemActions* commands_ = nullptr;
};

// The factory the main window is given: a new attached TSchemForm in the area.
SchemeWindowFactory schemeFormFactory(SchemeLink& link);

}  // namespace zo::configurator
