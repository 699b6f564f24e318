#include "BlockPainter.h"

#include "platform/Cp1251.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace zo::grafic {

namespace {

const QColor kBody(255, 255, 255);        // opaque inside the frame
const QColor kFrame(0, 0, 0);
const QColor kHeader(0xC8, 0xDC, 0xFF);   // band behind the block's name
const QColor kText(0, 0, 0);
const QColor kLabel(0x00, 0x00, 0x80);

// The block laid out with its pins on the left and right sides (turns 0 and 2):
// a frame spanning all rows between the two pin columns; inside it the name row,
// the caption row, one row per pin pair, the label row.
struct HorizontalLayout {
    int widthCells = 0;
    int heightCells = 0;
    int headerRows = 0;
    bool hasLabel = false;
};

QFont makeFont(int pixelSize, bool bold, bool italic) {
    QFont font = QGuiApplication::font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

int textWidth(const QFont& font, const QString& text) {
    return text.isEmpty() ? 0 : QFontMetrics(font).horizontalAdvance(text);
}

int cellsFor(int pixels) { return (pixels + kCell - 1) / kCell; }

}  // namespace

void drawFittedText(QPainter& painter, const QRect& box, Qt::Alignment align, const QString& text, QFont font) {
    if (text.isEmpty() || box.width() <= 0 || box.height() <= 0) return;
    int size = std::max(font.pixelSize(), kMinTextPixels);
    for (; size > kMinTextPixels; --size) {
        font.setPixelSize(size);
        const QFontMetrics metrics(font, painter.device());
        if (metrics.horizontalAdvance(text) <= box.width() && metrics.height() <= box.height()) break;
    }
    font.setPixelSize(size);
    const QFontMetrics metrics(font, painter.device());
    const QString shown =
        metrics.horizontalAdvance(text) <= box.width() ? text : metrics.elidedText(text, Qt::ElideRight, box.width());
    painter.save();
    painter.setClipRect(box, Qt::IntersectClip);
    painter.setFont(font);
    painter.drawText(box, int(align) | Qt::TextSingleLine, shown);
    painter.restore();
}

QColor colourOf(uint32_t bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

PaintResult paintBlock(const BlockSpec& spec, QImage& picture, std::vector<TPinRecord>& pins) {
    pins.clear();
    const QFont nameFont = makeFont(10, true, false);
    const QFont textFont = makeFont(9, false, false);
    const QFont labelFont = makeFont(9, false, true);

    const QString name = platform::cp1251ToQString(spec.name);
    const QString caption = platform::cp1251ToQString(spec.caption);
    const QString label = platform::cp1251ToQString(spec.label);

    int inCount = 0, outCount = 0, inWidth = 0, outWidth = 0;
    std::vector<QString> pinNames;
    pinNames.reserve(spec.pins.size());
    for (const PinSpec& pin : spec.pins) {
        pinNames.push_back(platform::cp1251ToQString(pin.name));
        const int w = textWidth(textFont, pinNames.back());
        if (pin.out) {
            ++outCount;
            outWidth = std::max(outWidth, w);
        } else {
            ++inCount;
            inWidth = std::max(inWidth, w);
        }
    }

    HorizontalLayout layout;
    layout.headerRows = caption.isEmpty() ? 1 : 2;
    layout.hasLabel = !label.isEmpty();
    const int pinRows = std::max({inCount, outCount, 1});
    const int pinTexts = (inWidth > 0 && outWidth > 0) ? inWidth + outWidth + 12 : std::max(inWidth, outWidth) + 6;
    const int inner = std::max({textWidth(nameFont, name) + 6, textWidth(textFont, caption) + 6,
                                textWidth(labelFont, label) + 6, pinTexts, 2 * kCell});
    if (pinRows > kMaxCells || inner > kMaxCells * kCell) return PaintResult::TooLarge;
    layout.widthCells = cellsFor(inner) + 2;
    layout.heightCells = layout.headerRows + pinRows + (layout.hasLabel ? 1 : 0);
    if (layout.widthCells > kMaxCells || layout.heightCells > kMaxCells) return PaintResult::TooLarge;

    const bool vertical = spec.turn == 1 || spec.turn == 3;
    // IN pins on the right for turn 2, and for turn 1, which is that picture turned a
    // quarter counter-clockwise (the right side comes to the top).
    const bool mirrored = spec.turn == 1 || spec.turn == 2;

    const int w = layout.widthCells * kCell;
    const int h = layout.heightCells * kCell;
    QImage image(w, h, QImage::Format_ARGB32);
    if (image.isNull()) return PaintResult::NoMemory;
    image.fill(Qt::transparent);

    const int bodyLeft = kCell;
    const int bodyRight = w - kCell - 1;  // inclusive
    const int bodyWidth = bodyRight - bodyLeft + 1;
    // Under the kernel's label the frame starts at the middle of the first row
    // and the header band holds no name (the label names the block).
    const int top = spec.kernelLabel ? kCell / 2 : 0;
    {
        QPainter painter(&image);
        painter.fillRect(bodyLeft, top, bodyWidth, h - top, kBody);
        painter.fillRect(bodyLeft + 1, top + 1, bodyWidth - 2, kCell - top - 1, kHeader);
        painter.fillRect(bodyLeft, top, bodyWidth, 1, kFrame);
        painter.fillRect(bodyLeft, h - 1, bodyWidth, 1, kFrame);
        painter.fillRect(bodyLeft, top, 1, h - top, kFrame);
        painter.fillRect(bodyRight, top, 1, h - top, kFrame);

        // Between the frame's lines, a pixel of air on either side.
        const QRect innerRow(bodyLeft + 2, 0, bodyWidth - 4, kCell);
        painter.setPen(kText);
        if (!spec.kernelLabel) drawFittedText(painter, innerRow.adjusted(0, 1, 0, 0), Qt::AlignCenter, name, nameFont);
        if (!caption.isEmpty()) drawFittedText(painter, innerRow.translated(0, kCell), Qt::AlignCenter, caption, textFont);
        if (layout.hasLabel) {
            painter.setPen(kLabel);
            drawFittedText(painter, innerRow.translated(0, h - kCell).adjusted(0, 0, 0, -1), Qt::AlignCenter, label,
                           labelFont);
        }

        painter.setPen(kText);
        int inRow = layout.headerRows, outRow = layout.headerRows;
        for (size_t i = 0; i < spec.pins.size(); ++i) {
            const PinSpec& pin = spec.pins[i];
            const int row = pin.out ? outRow++ : inRow++;
            const bool onLeft = pin.out == mirrored;
            const int column = onLeft ? 0 : layout.widthCells - 1;
            // The lead crosses the whole pin cell at its middle, two pixels thick,
            // in the colour of the pin's connection type.
            painter.fillRect(column * kCell, row * kCell + 5, kCell, 2, colourOf(pin.colour));
            if (spec.pinNames)
                drawFittedText(painter, innerRow.translated(0, row * kCell),
                               (onLeft ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, pinNames[i], textFont);
            pins.push_back(TPinRecord{int16_t(column), int16_t(row), pin.field, int16_t(-1)});
        }
    }

    if (vertical) {
        // A quarter turn counter-clockwise (the right side comes to the top; the
        // texts then read upwards). The pin cells go through the very transform
        // the picture goes through, so the leads and the pin list cannot part.
        const QTransform quarter = QTransform().rotate(-90);
        QImage turned = image.transformed(quarter);
        if (turned.isNull()) return PaintResult::NoMemory;
        if (turned.format() != QImage::Format_ARGB32) turned.convertTo(QImage::Format_ARGB32);
        const QTransform placed = QImage::trueMatrix(quarter, w, h);
        for (TPinRecord& pin : pins) {
            const QPointF centre = placed.map(QPointF(pin.X * kCell + kCell / 2.0, pin.Y * kCell + kCell / 2.0));
            pin.X = int16_t(std::floor(centre.x() / kCell));
            pin.Y = int16_t(std::floor(centre.y() / kCell));
        }
        image = std::move(turned);
    }
    picture = std::move(image);
    return PaintResult::Ok;
}

}  // namespace zo::grafic
