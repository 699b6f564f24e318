#include "common/Canvas.h"
#include "common/ImageList.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace zo;

namespace {

// A picture with a different colour in every pixel, so that any change shows.
QImage pattern(int w, int h, QImage::Format format = QImage::Format_RGB32) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb((x * 37) & 0xFF, (y * 53) & 0xFF, (x * y) & 0xFF));
    return img.convertToFormat(format);
}

int countDifferent(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) n += (a.pixel(x, y) & RGB_MASK) != (b.pixel(x, y) & RGB_MASK);
    return n;
}

// The bounding box of the pixels that differ from the colour.
QRect extentNot(const QImage& img, QRgb background) {
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & RGB_MASK) != (background & RGB_MASK)) box |= QRect(x, y, 1, 1);
    return box;
}

}  // namespace

TEST(Canvas, ColourHelperRoundTrip) {
    const int32_t values[] = {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000, 0x123456, 0xB0B0B0, 0x960000};
    for (int32_t v : values) EXPECT_EQ(FromQColor(ToQColor(v)), v) << std::hex << v;
    // Blue in the high byte, red in the low byte.
    EXPECT_EQ(ToQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(ToQColor(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(FromQColor(QColor(0x12, 0x34, 0x56)), 0x563412);
    EXPECT_EQ(FromQRgb(qRgba(1, 2, 3, 0)), 0x030201);  // alpha dropped
}

TEST(Canvas, SystemColoursComeFromThePalette) {
    const QPalette pal = QGuiApplication::palette();
    EXPECT_EQ(ToQColor(static_cast<int32_t>(0xFF00000Fu)), pal.color(QPalette::Active, QPalette::Button));
    EXPECT_EQ(ToQColor(static_cast<int32_t>(0xFF00000Du)), pal.color(QPalette::Active, QPalette::Highlight));
    EXPECT_EQ(ToQColor(static_cast<int32_t>(0xFF000005u)), pal.color(QPalette::Active, QPalette::Base));
}

// Read-only values are drawn in grey text on a button face: it must stay well
// apart from both the face and the ordinary text, whatever the palette.
TEST(Canvas, GreyTextStaysReadableOnTheButtonFace) {
    const QPalette saved = QGuiApplication::palette();
    QPalette dark = saved;
    dark.setColor(QPalette::Active, QPalette::Button, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Active, QPalette::Text, QColor(0xF0, 0xF0, 0xF0));
    QPalette light = saved;
    light.setColor(QPalette::Active, QPalette::Button, QColor(0xD4, 0xD0, 0xC8));
    light.setColor(QPalette::Active, QPalette::Text, Qt::black);
    light.setColor(QPalette::Disabled, QPalette::Text, QColor(0xBE, 0xBE, 0xBE));  // a style's faint grey
    for (const QPalette& pal : {light, dark}) {
        QGuiApplication::setPalette(pal);
        const int face = qGray(pal.color(QPalette::Active, QPalette::Button).rgb());
        const int text = qGray(pal.color(QPalette::Active, QPalette::Text).rgb());
        const int grey = qGray(ToQColor(kGreyText).rgb());
        EXPECT_GE(std::abs(grey - face), std::abs(text - face) / 3) << grey;
        EXPECT_GE(std::abs(grey - text), std::abs(text - face) / 3) << grey;
    }
    QGuiApplication::setPalette(saved);
}

TEST(Canvas, XorRectDrawnTwiceRestoresThePicture) {
    const TZoRect rects[] = {{3, 4, 40, 30}, {40, 30, 3, 4}, {5, 5, 6, 20}, {5, 5, 30, 6}, {-10, -10, 30, 30}};
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_RGB888, QImage::Format_ARGB32_Premultiplied}) {
        for (const TZoRect& r : rects) {
            const QImage original = pattern(48, 36, format);
            QImage img = original;
            DrawXorRect(r, &img);
            EXPECT_GT(countDifferent(img, original), 0) << r.left << "," << r.top;
            EXPECT_EQ(img.format(), format);
            DrawXorRect(r, &img);
            EXPECT_EQ(countDifferent(img, original), 0) << r.left << "," << r.top << " format " << format;
        }
    }
}

TEST(Canvas, XorRectIsADottedInvertedOutline) {
    QImage img(40, 30, QImage::Format_RGB32);
    img.fill(qRgb(255, 255, 255));
    DrawXorRect({4, 5, 24, 15}, &img);
    // Inverted white is black; the outline covers left..right-1, top..bottom-1.
    EXPECT_EQ(extentNot(img, qRgb(255, 255, 255)), QRect(QPoint(4, 5), QPoint(23, 14)));
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const QRgb p = img.pixel(x, y) & RGB_MASK;
            ASSERT_TRUE(p == 0xFFFFFFu || p == 0) << x << "," << y;
        }
    // Dotted: along the top edge every other pixel.
    for (int x = 4; x < 24; ++x) EXPECT_EQ(img.pixel(x, 5) & RGB_MASK, (x - 4) % 2 ? 0xFFFFFFu : 0u) << x;
    // The interior is untouched.
    EXPECT_EQ(extentNot(img.copy(5, 6, 18, 8), qRgb(255, 255, 255)), QRect());
}

TEST(Canvas, XorRectThroughAnActivePainter) {
    const QImage original = pattern(20, 20);
    QImage img = original;
    {
        QPainter p(&img);
        p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);  // left as the caller set it
        DrawXorRect({2, 2, 18, 18}, &p);
        EXPECT_EQ(p.compositionMode(), QPainter::RasterOp_SourceAndDestination);
        DrawXorRect({2, 2, 18, 18}, &p);
    }
    EXPECT_EQ(countDifferent(img, original), 0);
}

TEST(Canvas, XorRectIgnoresNullPicture) {
    DrawXorRect({0, 0, 10, 10}, static_cast<QImage*>(nullptr));
    QImage empty;
    DrawXorRect({0, 0, 10, 10}, &empty);
    EXPECT_TRUE(empty.isNull());
    DrawXorRect({0, 0, 10, 10}, static_cast<QPainter*>(nullptr));
}

TEST(Canvas, DotGridPutsOneDotPerCell) {
    QImage img(60, 40, QImage::Format_RGB32);
    img.fill(qRgb(1, 2, 3));
    {
        QPainter p(&img);
        DrawDotGrid(p, 50, 38, 12, false, 0xB0B0B0, 0x000000);
    }
    // 4 columns, 3 rows: the grid area is 48 x 36 pixels.
    const QRgb grey = qRgb(0xB0, 0xB0, 0xB0), black = qRgb(0, 0, 0), untouched = qRgb(1, 2, 3);
    int dots = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            const QRgb p = img.pixel(x, y);
            if (x >= 48 || y >= 36) {
                EXPECT_EQ(p, untouched) << x << "," << y;
            } else if (x % 12 == 6 && y % 12 == 6) {
                EXPECT_EQ(p, black) << x << "," << y;
                ++dots;
            } else {
                EXPECT_EQ(p, grey) << x << "," << y;
            }
        }
    EXPECT_EQ(dots, 12);
}

TEST(Canvas, DotGridWithoutDotsOrColumns) {
    const QRgb grey = qRgb(0xB0, 0xB0, 0xB0), untouched = qRgb(1, 2, 3);
    QImage img(30, 30, QImage::Format_RGB32);
    img.fill(untouched);
    {
        QPainter p(&img);
        DrawDotGrid(p, 30, 30, 10, true, 0xB0B0B0, 0x000000);
    }
    EXPECT_EQ(extentNot(img, grey), QRect());  // background only

    img.fill(untouched);
    {
        QPainter p(&img);
        DrawDotGrid(p, 9, 30, 10, false, 0xB0B0B0, 0x000000);  // narrower than a step
        DrawDotGrid(p, 30, 30, 0, false, 0xB0B0B0, 0x000000);  // no step
    }
    EXPECT_EQ(extentNot(img, untouched), QRect());
}

TEST(Canvas, DotGridIgnoresTheCallersRasterOperation) {
    QImage img(24, 24, QImage::Format_RGB32);
    img.fill(qRgb(0x0F, 0x0F, 0x0F));
    {
        QPainter p(&img);
        p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        DrawDotGrid(p, 24, 24, 12, true, 0xB0B0B0, 0);
    }
    EXPECT_EQ(img.pixel(3, 3), qRgb(0xB0, 0xB0, 0xB0));
}

TEST(Canvas, SelectionRectIsInsetByOnePixel) {
    const QRgb white = qRgb(255, 255, 255);
    QImage img(40, 40, QImage::Format_RGB32);
    img.fill(white);
    {
        QPainter p(&img);
        DrawSelectionRect(p, {12, 12, 36, 24}, 0x0000FF);
        // The canvas is left with a solid pen and brush of the colour.
        EXPECT_EQ(p.pen().style(), Qt::SolidLine);
        EXPECT_EQ(p.pen().color(), QColor(255, 0, 0));
        EXPECT_EQ(p.brush().style(), Qt::SolidPattern);
        EXPECT_EQ(p.brush().color(), QColor(255, 0, 0));
    }
    // Outline from (left+1, top+1) to (right-2, bottom-2), in red, dotted, interior untouched.
    EXPECT_EQ(extentNot(img, white), QRect(QPoint(13, 13), QPoint(34, 22)));
    int red = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            if (img.pixel(x, y) != white) {
                EXPECT_EQ(img.pixel(x, y), qRgb(255, 0, 0));
                ++red;
            }
    const int perimeter = 2 * (34 - 13 + 1) + 2 * (22 - 13 + 1) - 4;
    EXPECT_EQ(red, (perimeter + 1) / 2);
    EXPECT_EQ(extentNot(img.copy(14, 14, 20, 8), white), QRect());
}

TEST(Canvas, PinLabelPlaces) {
    struct Case {
        int side;
        int x, y, angle;
    } cases[] = {
        // point (100, 50), text width 30, font size 8
        {0, 102, 43, 0}, {1, 94, 82, 90}, {2, 69, 43, 0}, {3, 94, 49, 90},
        {4, 102, 43, 0}, {-1, 94, 49, 90},  // side modulo 4
    };
    for (const Case& c : cases) {
        const TPinLabelPlace place = PinLabelPlace(100, 50, 30, 8, c.side);
        EXPECT_EQ(place.x, c.x) << c.side;
        EXPECT_EQ(place.y, c.y) << c.side;
        EXPECT_EQ(place.angle, c.angle) << c.side;
    }
}

TEST(Canvas, AddBitmapCellMasksByTheTopRightPixel) {
    // Two 8 x 8 cells on a strip: cell 0 on olive, cell 1 on red with one olive pixel.
    const QRgb olive = qRgb(128, 128, 0), blue = qRgb(0, 0, 255), red = qRgb(255, 0, 0);
    QImage strip(16, 8, QImage::Format_RGB32);
    strip.fill(olive);
    strip.setPixel(2, 3, blue);
    for (int y = 0; y < 8; ++y)
        for (int x = 8; x < 16; ++x) strip.setPixel(x, y, red);
    strip.setPixel(12, 4, olive);

    TImageList list(8, 8);
    list.SetMasked(false);
    ASSERT_EQ(AddBitmapCell(strip, 0, 0, list), 0);
    ASSERT_EQ(AddBitmapCell(strip, 8, 0, list), 0);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_TRUE(list.Masked());

    // Drawn masked: only the pixels that differ from the cell's top-right colour.
    QImage target(8, 16, QImage::Format_RGB32);
    const QRgb white = qRgb(255, 255, 255);
    target.fill(white);
    EXPECT_TRUE(list.Draw(target, 0, 0, 0));
    EXPECT_TRUE(list.Draw(target, 0, 8, 1));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x) {
            QRgb expected = white;
            if (y < 8 && x == 2 && y == 3) expected = blue;
            if (y >= 8 && x == 4 && y == 12) expected = olive;
            EXPECT_EQ(target.pixel(x, y), expected) << x << "," << y;
        }
    EXPECT_EQ(list.Mask(0).pixelIndex(0, 0), 1);
    EXPECT_EQ(list.Mask(0).pixelIndex(2, 3), 0);
    EXPECT_EQ(list.Image(1).pixel(4, 4), olive);  // the colour picture keeps every pixel
    EXPECT_EQ(list.Image(1).pixel(0, 0), red);
}

TEST(Canvas, AddBitmapCellRefusesWhatCannotBeAdded) {
    TImageList list(8, 8);
    EXPECT_EQ(AddBitmapCell(QImage(), 0, 0, list), -1);
    TImageList empty(0, 0);
    EXPECT_EQ(AddBitmapCell(QImage(8, 8, QImage::Format_RGB32), 0, 0, empty), -1);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(empty.Count(), 0);
}

TEST(ImageList, UnmaskedListCopiesTheWholeCellAndBadIndexDrawsNothing) {
    TImageList list(4, 4);
    list.SetMasked(false);
    QImage cell(4, 4, QImage::Format_RGB32);
    cell.fill(qRgb(9, 9, 9));
    cell.setPixel(1, 1, qRgb(200, 0, 0));
    ASSERT_EQ(list.AddMasked(cell, 0x090909), 0);
    QImage target(6, 6, QImage::Format_RGB32);
    target.fill(qRgb(255, 255, 255));
    EXPECT_TRUE(list.Draw(target, 1, 1, 0));
    EXPECT_EQ(target.pixel(1, 1), qRgb(9, 9, 9));
    EXPECT_EQ(target.pixel(2, 2), qRgb(200, 0, 0));
    EXPECT_EQ(target.pixel(0, 0), qRgb(255, 255, 255));
    const QImage before = target;
    EXPECT_FALSE(list.Draw(target, 0, 0, 1));
    EXPECT_FALSE(list.Draw(target, 0, 0, -1));
    EXPECT_EQ(target, before);
}

TEST(ImageList, ExplicitMaskAndResize) {
    TImageList list(3, 2);
    QImage cell(3, 2, QImage::Format_RGB32);
    cell.fill(qRgb(0, 128, 0));
    QImage mask(3, 2, QImage::Format_RGB32);
    mask.fill(qRgb(0, 0, 0));
    mask.setPixel(2, 1, qRgb(255, 255, 255));
    ASSERT_EQ(list.Add(cell, mask), 0);
    const QImage composed = list.Composed(0);
    EXPECT_EQ(qAlpha(composed.pixel(0, 0)), 255);
    EXPECT_EQ(qAlpha(composed.pixel(2, 1)), 0);
    // A picture smaller than the cell: the missing part is transparent.
    ASSERT_EQ(list.Add(QImage(2, 1, QImage::Format_RGB32)), 1);
    EXPECT_EQ(list.Mask(1).pixelIndex(2, 0), 1);
    EXPECT_EQ(list.Mask(1).pixelIndex(0, 1), 1);
    EXPECT_EQ(list.Mask(1).pixelIndex(0, 0), 0);
    list.SetSize(5, 5);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Width(), 5);
    EXPECT_TRUE(list.Image(0).isNull());
}

// The text cell is filled with the brush when the brush is not clear; with the
// pen in the same colour the inked area is exactly the (turned) cell, whatever
// the glyphs look like.
TEST(Canvas, TextOutAngleTurnsTheTextCellCounterClockwise) {
    const QRgb white = qRgb(255, 255, 255);
    for (double angle : {0.0, 90.0}) {
        QImage img(120, 120, QImage::Format_RGB32);
        img.fill(white);
        int w = 0, h = 0;
        {
            QPainter p(&img);
            QFont font("DejaVu Sans");
            font.setPointSize(10);
            p.setFont(font);
            p.setPen(QColor(0, 128, 0));
            p.setBrush(QColor(0, 128, 0));
            const QFontMetrics m(p.font(), p.device());
            w = m.horizontalAdvance("Abc");
            h = m.height();
            TextOutAngle(p, 40, 80, "Abc", angle);
        }
        ASSERT_GT(w, 0);
        const QRect box = extentNot(img, white);
        SCOPED_TRACE(angle);
        if (angle == 0.0) {
            EXPECT_EQ(box.topLeft(), QPoint(40, 80));
            EXPECT_NEAR(box.width(), w, 1);
            EXPECT_NEAR(box.height(), h, 1);
        } else {
            // Reading upwards from the point: the cell lies above it and to its right.
            EXPECT_NEAR(box.left(), 40, 1);
            EXPECT_NEAR(box.bottom(), 79, 1);
            EXPECT_NEAR(box.width(), h, 1);
            EXPECT_NEAR(box.height(), w, 1);
        }
    }
}
