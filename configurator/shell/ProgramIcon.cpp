#include "configurator/shell/ProgramIcon.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPen>

namespace zo::configurator {

void DrawProgramMark(QPainter& p, const QRect& box) {
    // Laid out on a 120 x 140 design, scaled into the box.
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 120.0, box.height() / 140.0);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawRect(QRect(36, 44, 48, 60));
    p.drawLine(20, 60, 36, 60);
    p.drawLine(20, 88, 36, 88);
    p.drawLine(84, 74, 100, 74);
    QFont mark("DejaVu Sans");
    mark.setPixelSize(13);
    mark.setBold(true);
    p.setFont(mark);
    p.drawText(QRect(0, 116, 120, 20), Qt::AlignCenter, "FBD");
    p.restore();
}

QImage ProgramIcon(int size) {
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient field(0, 0, size, 0);
    field.setColorAt(0, QColor(0x1C, 0x3F, 0x7A));
    field.setColorAt(1, QColor(0x3A, 0x6E, 0xB8));
    p.setPen(Qt::NoPen);
    p.setBrush(field);
    p.drawRoundedRect(QRectF(0, 0, size, size), size / 8.0, size / 8.0);
    // The mark's design is taller than wide: centred, its top margin cut.
    const int h = size * 140 / 120;
    DrawProgramMark(p, QRect(0, -(h - size) / 2 - size / 10, size, h));
    return icon;
}

}  // namespace zo::configurator
