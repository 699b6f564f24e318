#include "common/Canvas.h"

#include "common/ImageList.h"
#include "platform/Cp1251.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPaintDevice>
#include <QPainter>
#include <QPalette>
#include <QPolygon>

#include <algorithm>
#include <cmath>

namespace zo {

namespace {

QPalette appPalette() {
    if (qGuiApp) return QGuiApplication::palette();
    return QPalette(QColor(0xC0, 0xC0, 0xC0));
}

// The Windows colour indexes by their nearest palette role.
QColor systemColor(int index) {
    const QPalette pal = appPalette();
    switch (index) {
        case 0:  // scroll bar
        case 10:  // active border
        case 11:  // inactive border
        case 15:  // button face
            return pal.color(QPalette::Active, QPalette::Button);
        case 1:  // desktop
        case 4:  // menu
        case 30:  // menu bar
            return pal.color(QPalette::Active, QPalette::Window);
        case 2:   // active caption
        case 13:  // highlight
        case 27:  // gradient active caption
        case 29:  // menu highlight
            return pal.color(QPalette::Active, QPalette::Highlight);
        case 3:   // inactive caption
        case 28:  // gradient inactive caption
            return pal.color(QPalette::Inactive, QPalette::Mid);
        case 5:  // window
            return pal.color(QPalette::Active, QPalette::Base);
        case 6:   // window frame
        case 21:  // 3-D dark shadow
            return pal.color(QPalette::Active, QPalette::Shadow);
        case 7:  // menu text
            return pal.color(QPalette::Active, QPalette::WindowText);
        case 8:  // window text
            return pal.color(QPalette::Active, QPalette::Text);
        case 9:   // caption text
        case 14:  // highlight text
            return pal.color(QPalette::Active, QPalette::HighlightedText);
        case 12:  // application work space
        case 16:  // button shadow
            return pal.color(QPalette::Active, QPalette::Dark);
        case 17: {  // grey text: halfway between text and button face, so it stays
                    // readable on the faces it is drawn on (a style's disabled text
                    // colour is meant for white and can all but vanish there)
            const QColor text = pal.color(QPalette::Active, QPalette::Text);
            const QColor face = pal.color(QPalette::Active, QPalette::Button);
            return QColor((text.red() + face.red()) / 2, (text.green() + face.green()) / 2,
                          (text.blue() + face.blue()) / 2);
        }
        case 18:  // button text
            return pal.color(QPalette::Active, QPalette::ButtonText);
        case 19:  // inactive caption text
            return pal.color(QPalette::Disabled, QPalette::WindowText);
        case 20:  // button highlight
            return pal.color(QPalette::Active, QPalette::Light);
        case 22:  // 3-D light
            return pal.color(QPalette::Active, QPalette::Midlight);
        case 23:  // tool tip text
            return pal.color(QPalette::Active, QPalette::ToolTipText);
        case 24:  // tool tip background
            return pal.color(QPalette::Active, QPalette::ToolTipBase);
        case 26:  // hot light
            return pal.color(QPalette::Active, QPalette::Link);
        default:
            return QColor(0, 0, 0);
    }
}

// The outline of the pixels left..right-1, top..bottom-1, each pixel once, in
// walking order round the rectangle; every other pixel when dotted.
QPolygon outlinePoints(const TZoRect& normal, bool dotted) {
    QPolygon points;
    const int64_t l = normal.left, t = normal.top, r = normal.right - 1, b = normal.bottom - 1;
    if (r < l || b < t) return points;
    int64_t k = 0;
    auto put = [&](int64_t x, int64_t y) {
        if (!dotted || k % 2 == 0) points.append(QPoint(static_cast<int>(x), static_cast<int>(y)));
        ++k;
    };
    for (int64_t x = l; x <= r; ++x) put(x, t);
    for (int64_t y = t + 1; y <= b; ++y) put(r, y);
    if (b > t) {
        for (int64_t x = r - 1; x >= l; --x) put(x, b);
    }
    if (r > l) {
        for (int64_t y = b - 1; y > t; --y) put(l, y);
    }
    return points;
}

// Canvas coordinates stay within what a picture can hold; larger rectangles are
// cut so that the outline walk stays bounded.
TZoRect clampToCanvas(const TZoRect& rect, const QPaintDevice* device) {
    TZoRect n;
    NormalizeRect(rect, n);
    if (!device) return n;
    const int32_t w = device->width(), h = device->height();
    // One pixel of margin keeps the outline's far edges outside when they are cut.
    n.left = std::max(n.left, -1);
    n.top = std::max(n.top, -1);
    n.right = std::min(n.right, w + 1);
    n.bottom = std::min(n.bottom, h + 1);
    return n;
}

}  // namespace

QColor ToQColor(int32_t color) {
    const uint32_t v = static_cast<uint32_t>(color);
    if ((v >> 24) == 0xFFu) return systemColor(static_cast<int>(v & 0xFFu));
    return QColor(static_cast<int>(v & 0xFFu), static_cast<int>((v >> 8) & 0xFFu), static_cast<int>((v >> 16) & 0xFFu));
}

QRgb ToQRgb(int32_t color) { return ToQColor(color).rgb() | 0xFF000000u; }

int32_t FromQColor(const QColor& color) { return FromQRgb(color.rgb()); }

int32_t FromQRgb(QRgb rgb) {
    return static_cast<int32_t>(static_cast<uint32_t>(qRed(rgb)) | (static_cast<uint32_t>(qGreen(rgb)) << 8) |
                                (static_cast<uint32_t>(qBlue(rgb)) << 16));
}

void DrawXorRect(const TZoRect& rect, QPainter* painter) {
    if (!painter || !painter->isActive()) return;
    const QPolygon points = outlinePoints(clampToCanvas(rect, painter->device()), true);
    if (points.isEmpty()) return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    // Not-xor with a black pen: each pixel becomes NOT(black XOR pixel), its inverse.
    painter->setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    QPen pen(QColor(0, 0, 0));
    pen.setWidth(0);  // cosmetic: one pixel whatever the transformation
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawPoints(points);
    painter->restore();
}

void DrawXorRect(const TZoRect& rect, QImage* image) {
    if (!image || image->isNull()) return;
    const QImage::Format format = image->format();
    if (format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied) {
        QPainter painter(image);
        DrawXorRect(rect, &painter);
        return;
    }
    // Raster operations need a 32-bit picture: draw on one and convert back.
    QImage work = image->convertToFormat(QImage::Format_RGB32);
    {
        QPainter painter(&work);
        DrawXorRect(rect, &painter);
    }
    *image = work.convertToFormat(format);
}

void TextOutAngle(QPainter& canvas, int x, int y, const std::string& text, double angle) {
    if (!canvas.isActive() || text.empty()) return;
    const QString s = platform::cp1251ToQString(text);
    const double tenths = std::round(angle * 10.0);
    const QFontMetrics metrics(canvas.font(), canvas.device());
    canvas.save();
    canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
    canvas.translate(x, y);
    // Counter-clockwise on the screen: y grows downwards, so the turn is negative.
    canvas.rotate(-tenths / 10.0);
    if (canvas.brush().style() != Qt::NoBrush) {
        canvas.fillRect(QRect(0, 0, metrics.horizontalAdvance(s), metrics.height()), canvas.brush().color());
    }
    canvas.drawText(QPoint(0, metrics.ascent()), s);
    canvas.restore();
}

void DrawDotGrid(QPainter& canvas, uint16_t width, uint16_t height, uint8_t step, bool noDots, int32_t background,
                 int32_t dot) {
    if (!canvas.isActive() || step == 0) return;
    const int columns = width / step;
    const int rows = height / step;
    canvas.save();
    canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.fillRect(QRect(0, 0, columns * step, rows * step), ToQColor(background));
    if (!noDots && columns > 0 && rows > 0) {
        QPen pen(ToQColor(dot));
        pen.setWidth(0);
        canvas.setPen(pen);
        QPolygon row(columns);
        for (int r = 0; r < rows; ++r) {
            const int y = step * r + step / 2;
            for (int c = 0; c < columns; ++c) row.setPoint(c, step * c + step / 2, y);
            canvas.drawPoints(row);
        }
    }
    canvas.restore();
}

TPinLabelPlace PinLabelPlace(int x, int y, int textWidth, int fontSize, int side) {
    switch (((side % 4) + 4) % 4) {
        case 0:
            return {x + 2, y - fontSize + 1, 0};
        case 1:
            return {x - fontSize + 2, y + textWidth + 2, 90};
        case 2:
            return {x - textWidth - 1, y - fontSize + 1, 0};
        default:
            return {x - fontSize + 2, y - 1, 90};
    }
}

int DrawPinLabel(QPainter& canvas, int x, int y, const std::string& text, int side) {
    if (!canvas.isActive()) return 0;
    const QFont font = canvas.font();
    int size = font.pointSize();
    if (size <= 0 && font.pixelSize() > 0) {
        const int dpi = canvas.device() ? canvas.device()->logicalDpiY() : 96;
        size = static_cast<int>(std::lround(font.pixelSize() * 72.0 / (dpi > 0 ? dpi : 96)));
    }
    const QFontMetrics metrics(font, canvas.device());
    const int width = metrics.horizontalAdvance(platform::cp1251ToQString(text));
    const TPinLabelPlace place = PinLabelPlace(x, y, width, size, side);
    TextOutAngle(canvas, place.x, place.y, text, place.angle);
    return 0;
}

int DrawSelectionRect(QPainter& canvas, const TZoRect& rect, int32_t color) {
    if (!canvas.isActive()) return 0;
    const QColor c = ToQColor(color);
    TZoRect inner;
    NormalizeRect(rect, inner);
    inner.left += 1;
    inner.top += 1;
    inner.right -= 1;
    inner.bottom -= 1;
    const QPolygon points = outlinePoints(clampToCanvas(inner, canvas.device()), true);
    canvas.save();
    canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
    canvas.setRenderHint(QPainter::Antialiasing, false);
    QPen dotted(c);
    dotted.setWidth(0);
    canvas.setPen(dotted);
    if (!points.isEmpty()) canvas.drawPoints(points);
    canvas.restore();
    QPen pen(c);
    pen.setWidth(1);
    pen.setStyle(Qt::SolidLine);
    canvas.setPen(pen);
    canvas.setBrush(QBrush(c, Qt::SolidPattern));
    return 0;
}

int AddBitmapCell(const QImage& bitmap, int x, int y, TImageList& list) {
    if (bitmap.isNull() || list.Width() <= 0 || list.Height() <= 0) return -1;
    // QImage::copy fills what lies outside the bitmap with zero bits: black.
    const QImage cell = bitmap.copy(x, y, list.Width(), list.Height()).convertToFormat(QImage::Format_RGB32);
    if (cell.isNull()) return -1;
    list.SetMasked(true);
    const int32_t maskColor = FromQRgb(cell.pixel(cell.width() - 1, 0));
    return list.AddMasked(cell, maskColor) >= 0 ? 0 : -1;
}

}  // namespace zo
