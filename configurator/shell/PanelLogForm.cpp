#include "configurator/shell/PanelLogForm.h"

#include "configurator/link/LogLink.h"
#include "platform/Cp1251.h"

#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace zo::configurator {

namespace {

constexpr int kScrollMaximum = 100;
constexpr int kTimerInterval = 500;
constexpr int kMaxPictureSide = 0xFFFF;  // the view record's 16-bit sizes

uint16_t pictureSide(int pixels) { return static_cast<uint16_t>(std::clamp(pixels, 0, kMaxPictureSide)); }

}  // namespace

QString LogSizeText(qint64 size) {
    const QLocale locale;
    if (size > 1048576) return locale.toString(double(size) / 1048576.0, 'f', 1) + " MB";
    if (size > 1024) return locale.toString(double(size) / 1024.0, 'f', 1) + " kB";
    return QString::number(size) + " B";
}

int LogScrollPosition(qint64 position, qint64 size) {
    if (size <= 0) return kScrollMaximum;
    // 64-bit product, then a floating-point division.
    const double value = double(position * kScrollMaximum) / double(size);
    return static_cast<int>(std::clamp<double>(std::round(value), 0, kScrollMaximum));
}

// ---------------------------------------------------------------------------------------------

TLogImage::TLogImage(QWidget* parent) : QWidget(parent) {
    setObjectName("ImageLog");
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TLogImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (!bitmap_.isNull()) painter.drawImage(0, 0, bitmap_);
}

void TLogImage::mousePressEvent(QMouseEvent* event) {
    emit pressed(event->position().toPoint());
    QWidget::mousePressEvent(event);
}

// ---------------------------------------------------------------------------------------------

TPanelLogForm::TPanelLogForm(TLogLink& link, QWidget* parent)
    : QWidget(parent), link_(link), image_(new TLogImage(this)), scrollBar_(new QScrollBar(Qt::Vertical, this)),
      timer_(new QTimer(this)) {
    setObjectName("PanelLogForm");
    scrollBar_->setObjectName("ScrollBarLog");
    scrollBar_->setRange(0, kScrollMaximum);
    scrollBar_->setPageStep(0);
    scrollBar_->setSingleStep(1);
    timer_->setObjectName("TimerLog");
    timer_->setInterval(kTimerInterval);
    connect(timer_, &QTimer::timeout, this, &TPanelLogForm::TimerLogTimer);
    connect(scrollBar_, &QScrollBar::actionTriggered, this, &TPanelLogForm::OnScrollAction);
    connect(image_, &TLogImage::pressed, this, &TPanelLogForm::ImageLogMouseDown);
    timer_->start();
}

void TPanelLogForm::ResetView(const char* logName) {
    view_ = TLogView{};
    std::strncpy(view_.LogName, logName ? logName : "", sizeof view_.LogName - 1);
    view_.Mode = 2;
    scrollBar_->setSliderPosition(kScrollMaximum);  // following the end
    timer_->start();
}

int TPanelLogForm::RenderStep() {
    const QImage* graphic = nullptr;
    const int result = link_.Render(view_, graphic);
    int position = -1;
    if (result == 0 && graphic) {
        QImage& bitmap = image_->Bitmap();
        if (!bitmap.isNull()) {
            QPainter painter(&bitmap);
            painter.drawImage(0, 0, *graphic);
        }
        image_->update();
        position = LogScrollPosition(ZO_FIELD(view_, Position), ZO_FIELD(view_, Size));
        if (position == kScrollMaximum) {
            if (!timer_->isActive()) timer_->start();
        } else {
            timer_->stop();
        }
        scrollBar_->setSliderPosition(position);
    }
    const QString name = platform::cp1251ToQString(std::string(view_.LogName, strnlen(view_.LogName, 255)));
    setWindowTitle("\"" + name + "\"" + QString::fromUtf8("  Размер: ") + LogSizeText(ZO_FIELD(view_, Size)) + "  " +
                   QString::number(scrollBar_->sliderPosition()) + " %");
    return position;
}

void TPanelLogForm::TimerLogTimer() {
    if (!link_.Bound()) return;
    view_.Action = 0;
    if (scrollBar_->sliderPosition() == kScrollMaximum) view_.Mode = 2;
    RenderStep();
}

void TPanelLogForm::ScrollBarLogScroll(ScrollCode code, int newPosition) {
    if (!link_.Bound()) return;
    view_.Mode = 1;
    view_.Action = 0;
    auto take = [this](int64_t position) {
        if (position >= 0) view_.Position = position;
    };
    switch (code) {
    case ScrollCode::LineUp: take(ZO_FIELD(view_, LineUpPosition)); break;
    case ScrollCode::LineDown: take(ZO_FIELD(view_, LineDownPosition)); break;
    case ScrollCode::PageUp: take(ZO_FIELD(view_, PageUpPosition)); break;
    case ScrollCode::PageDown: take(ZO_FIELD(view_, PageDownPosition)); break;
    case ScrollCode::Track:
        if (newPosition == kScrollMaximum) view_.Mode = 2;
        view_.Position = std::llround(double(newPosition) / kScrollMaximum * double(ZO_FIELD(view_, Size)));
        break;
    case ScrollCode::Other: break;
    }
    RenderStep();
}

void TPanelLogForm::ImageLogMouseDown(QPoint point) {
    if (!link_.Bound()) return;
    view_.Action = 1;
    view_.X = point.x();
    view_.Y = point.y();
    RenderStep();
}

void TPanelLogForm::PanelLogFormCanResize() {
    const int barWidth = scrollBar_->sizeHint().width();
    scrollBar_->setGeometry(width() - barWidth, 0, barWidth, height());
    // A panel narrower than its scroll bar asks for an empty picture, never a
    // wrapped-around 16-bit width.
    view_.Width = pictureSide(width() - barWidth - 2);
    view_.Height = pictureSide(height() - 2);
    image_->setGeometry(1, 1, view_.Width, view_.Height);
    QImage& bitmap = image_->Bitmap();
    if (view_.Width > 0 && view_.Height > 0) {
        bitmap = QImage(view_.Width, view_.Height, QImage::Format_RGB32);
        bitmap.fill(Qt::white);
    } else {
        bitmap = QImage();
    }
    TimerLogTimer();
}

void TPanelLogForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PanelLogFormCanResize();
}

void TPanelLogForm::OnScrollAction(int action) {
    ScrollCode code = ScrollCode::Other;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: code = ScrollCode::LineUp; break;
    case QAbstractSlider::SliderSingleStepAdd: code = ScrollCode::LineDown; break;
    case QAbstractSlider::SliderPageStepSub: code = ScrollCode::PageUp; break;
    case QAbstractSlider::SliderPageStepAdd: code = ScrollCode::PageDown; break;
    case QAbstractSlider::SliderMove: code = ScrollCode::Track; break;
    default: break;
    }
    ScrollBarLogScroll(code, scrollBar_->sliderPosition());
}

}  // namespace zo::configurator
