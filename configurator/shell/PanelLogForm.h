#pragma once
// The log panel: the log "Vezevire.log" as the logging library renders it
// (ImageLog), a scroll bar over the log in per cent (ScrollBarLog), and a
// timer (TimerLog, 500 ms) that keeps the picture at the log's end while the
// view follows it. The caption names the log, its size and the position.

#include "common/abi/LogsOptions.h"

#include <QImage>
#include <QString>
#include <QWidget>

class QScrollBar;
class QTimer;

namespace zo::configurator {

class TLogLink;

// "1024 B", "1,0 kB" / "1.0 kB" (the locale's separator), "1.0 MB".
QString LogSizeText(qint64 size);
// The nearest integer to position * 100 / size; 100 for an empty log (its
// end is its start, and the view keeps following it).
int LogScrollPosition(qint64 position, qint64 size);

// The picture of the log; a press reports its point.
class TLogImage : public QWidget {
    Q_OBJECT
public:
    explicit TLogImage(QWidget* parent);
    QImage& Bitmap() { return bitmap_; }

signals:
    void pressed(QPoint point);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage bitmap_;
};

class TPanelLogForm : public QWidget {
    Q_OBJECT
public:
    // The scroll codes the scroll handler tells apart.
    enum class ScrollCode { LineUp, LineDown, PageUp, PageDown, Track, Other };

    TPanelLogForm(TLogLink& link, QWidget* parent = nullptr);

    // The view record: zeroed, the log's name, following its end (done when
    // the main window is first shown).
    void ResetView(const char* logName);
    TLogView& LogView() { return view_; }

    TLogImage* ImageLog() const { return image_; }
    QScrollBar* ScrollBarLog() const { return scrollBar_; }
    QTimer* TimerLog() const { return timer_; }

    // The handlers (each does nothing while the logging library is not bound).
    void TimerLogTimer();
    void ScrollBarLogScroll(ScrollCode code, int newPosition);
    void ImageLogMouseDown(QPoint point);
    void PanelLogFormCanResize();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Renders the view; the scroll position it works out (-1 when nothing was drawn).
    int RenderStep();
    void OnScrollAction(int action);

    TLogLink& link_;
    TLogView view_{};
    TLogImage* image_;
    QScrollBar* scrollBar_;
    QTimer* timer_;
};

}  // namespace zo::configurator
