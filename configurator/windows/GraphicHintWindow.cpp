#include "configurator/windows/GraphicHintWindow.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>

namespace zo::configurator {

namespace {
const QImage* g_hintBitmap = nullptr;
}

void SetHintBitmap(const QImage* bitmap) { g_hintBitmap = bitmap; }
const QImage* HintBitmap() { return g_hintBitmap; }

TGraphicHintWindow::TGraphicHintWindow() : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint) {
    setObjectName("GraphicHintWindow");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    QFont f("Arial");
    f.setBold(true);
    setFont(f);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
}

void TGraphicHintWindow::ActivateHint(QRect rect, const QString& text) {
    activating_ = true;
    setWindowTitle(text);
    if (const QImage* bitmap = g_hintBitmap) {
        rect.setHeight(bitmap->height() + 3);
        rect.setWidth(bitmap->width() + 2);
    }
    // Pulled onto the desktop: past the bottom or the right edge it moves back,
    // left of the left edge it moves right.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desk = screen->virtualGeometry();
        const int deskRight = desk.x() + desk.width(), deskBottom = desk.y() + desk.height();
        if (rect.top() + rect.height() > deskBottom) rect.moveTop(deskBottom - rect.height());
        if (rect.left() + rect.width() > deskRight) rect.moveLeft(deskRight - rect.width());
        if (rect.left() < desk.left()) rect.moveLeft(desk.left());
    }
    setGeometry(rect);
    show();
    raise();
    update();
    activating_ = false;
}

void TGraphicHintWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    // The hint window's one-pixel border (the margins the picture is given), in the pen's grey.
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const QImage* bitmap = g_hintBitmap;
    if (!bitmap || bitmap->isNull()) return;
    // Drawn transparently: the colour of the bottom-left pixel is left out.
    QImage picture = bitmap->convertToFormat(QImage::Format_ARGB32);
    const QRgb key = picture.pixel(0, picture.height() - 1);
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            if (line[x] == key) line[x] = 0;
    }
    p.drawImage(1, 1, picture);
}

}  // namespace zo::configurator
