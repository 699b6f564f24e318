#include "configurator/windows/XPHintWindow.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace zo::configurator {

namespace {
constexpr int kMargin = 4;     // between the frame and the text
constexpr int kBelowPointer = 20;  // the hint opens below the pointer's arrow
}  // namespace

bool IsDropShadowSupported(bool ntFamily, int major, int minor) { return ntFamily && major >= 5 && minor >= 1; }

bool IsDropShadowSupported() { return IsDropShadowSupported(false, 0, 0); }

TXPHintWindow::TXPHintWindow() : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint) {
    setObjectName("XPHintWindow");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void TXPHintWindow::ActivateHint(const QPoint& screenPos, const QString& text) {
    text_ = text;
    const QFontMetrics metrics(font());
    const QRect textRect = metrics.boundingRect(QRect(0, 0, 400, 10000), Qt::TextWordWrap | Qt::AlignLeft, text);
    const QSize size(textRect.width() + 2 * kMargin + 2, textRect.height() + 2 * kMargin);
    QPoint at = screenPos + QPoint(0, kBelowPointer);
    if (const QScreen* screen = QGuiApplication::screenAt(screenPos) ? QGuiApplication::screenAt(screenPos)
                                                                     : QGuiApplication::primaryScreen()) {
        const QRect desk = screen->geometry();
        at.setX(std::max(desk.left(), std::min(at.x(), desk.right() + 1 - size.width())));
        if (at.y() + size.height() > desk.bottom() + 1) at.setY(screenPos.y() - size.height());
    }
    setGeometry(QRect(at, size));
    show();
    raise();
    update();
}

void TXPHintWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, palette().color(QPalette::ToolTipBase));
    // The etched edge: a sunken outer line and a raised inner one.
    const QColor shadow(0x80, 0x80, 0x80), light(0xFF, 0xFF, 0xFF);
    const int w = r.width(), h = r.height();
    p.setPen(shadow);
    p.drawLine(0, 0, w - 2, 0);
    p.drawLine(0, 0, 0, h - 2);
    p.drawLine(1, h - 2, w - 2, h - 2);
    p.drawLine(w - 2, 1, w - 2, h - 2);
    p.setPen(light);
    p.drawLine(1, 1, w - 3, 1);
    p.drawLine(1, 1, 1, h - 3);
    p.drawLine(0, h - 1, w - 1, h - 1);
    p.drawLine(w - 1, 0, w - 1, h - 1);
    p.setPen(palette().color(QPalette::ToolTipText));
    p.drawText(r.adjusted(kMargin + 1, kMargin, -kMargin - 1, -kMargin), Qt::TextWordWrap | Qt::AlignLeft, text_);
}

}  // namespace zo::configurator
