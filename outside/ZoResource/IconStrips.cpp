// The icon strips of the program's tool bar and menus. Every icon is drawn on
// a 32 x 32 design grid and scaled to the strip's cell size, without
// anti-aliasing so that no pixel blends with the background. The outermost
// ring of each cell stays background, so each cell's corners give the mask
// colour.
//
// Icon indexes:
//   0 new project        1 open project       2 save project      3 save project as
//   4 close project      5 undo               6 redo              7 selection mode
//   8 connection mode    9 debug mode        10 project parameters
//  11 new sheet         12 create configuration file            13 build project
//  14 run project       15 stop project      16 zoom out         17 zoom in
//  18 zoom 100%         19 cascade schemes   20 tile schemes     21 minimize schemes
//  22 options           23 help              24 exit

#include "outside/ZoResource/Strips.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <functional>
#include <vector>

namespace zores {

namespace {

const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kPaper(250, 250, 240);
const QColor kFolder(240, 200, 60);
const QColor kFolderDark(176, 128, 24);
const QColor kBlue(40, 90, 200);
const QColor kLightBlue(170, 200, 240);
const QColor kGreen(30, 150, 60);
const QColor kRed(210, 40, 40);
const QColor kGrey(150, 150, 150);
const QColor kDarkGrey(90, 90, 90);
const QColor kBrown(140, 90, 40);
const QColor kOrange(240, 140, 30);

QPen pen(const QColor& color, double width) {
    QPen p(color, width);
    p.setCapStyle(Qt::SquareCap);
    p.setJoinStyle(Qt::MiterJoin);
    return p;
}

void box(QPainter& p, const QRectF& r, const QColor& fill, const QColor& line = kBlack, double width = 2) {
    p.setPen(pen(line, width));
    p.setBrush(fill);
    p.drawRect(r);
}

void polygon(QPainter& p, const QPolygonF& poly, const QColor& fill, const QColor& line = kBlack, double width = 2) {
    p.setPen(pen(line, width));
    p.setBrush(fill);
    p.drawPolygon(poly);
}

void line(QPainter& p, QPointF a, QPointF b, const QColor& color, double width) {
    p.setPen(pen(color, width));
    p.drawLine(a, b);
}

// A sheet of paper with a folded top-right corner.
void page(QPainter& p, double left = 6, double right = 24) {
    polygon(p, QPolygonF({{left, 3}, {right - 6, 3}, {right, 9}, {right, 29}, {left, 29}}), kPaper);
    polygon(p, QPolygonF({{right - 6, 3}, {right - 6, 9}, {right, 9}}), kGrey);
}

void plus(QPainter& p, QPointF c, double r, const QColor& color) {
    line(p, {c.x() - r, c.y()}, {c.x() + r, c.y()}, color, 3);
    line(p, {c.x(), c.y() - r}, {c.x(), c.y() + r}, color, 3);
}

void cross(QPainter& p, QPointF c, double r, const QColor& color) {
    line(p, {c.x() - r, c.y() - r}, {c.x() + r, c.y() + r}, color, 3);
    line(p, {c.x() - r, c.y() + r}, {c.x() + r, c.y() - r}, color, 3);
}

void folder(QPainter& p) {
    polygon(p, QPolygonF({{3, 8}, {11, 8}, {13, 11}, {27, 11}, {27, 27}, {3, 27}}), kFolderDark);
    polygon(p, QPolygonF({{7, 15}, {30, 15}, {27, 27}, {3, 27}}), kFolder);
}

void floppy(QPainter& p) {
    polygon(p, QPolygonF({{4, 4}, {25, 4}, {28, 7}, {28, 28}, {4, 28}}), kBlue);
    box(p, QRectF(9, 4, 13, 8), kLightBlue);
    box(p, QRectF(8, 17, 16, 11), kWhite);
    line(p, {11, 21}, {21, 21}, kGrey, 2);
    line(p, {11, 24}, {21, 24}, kGrey, 2);
}

// A curved arrow; mirrored for redo.
void turnArrow(QPainter& p, bool mirrored) {
    p.save();
    if (mirrored) {
        p.translate(32, 0);
        p.scale(-1, 1);
    }
    QPainterPath arc;
    arc.moveTo(9, 13);
    arc.cubicTo(18, 5, 29, 10, 27, 19);
    arc.cubicTo(26, 24, 21, 27, 16, 27);
    p.setPen(pen(kBlue, 4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
    polygon(p, QPolygonF({{3, 13}, {13, 5}, {14, 19}}), kBlue, kBlue, 1);
    p.restore();
}

void magnifier(QPainter& p) {
    line(p, {20, 20}, {28, 28}, kBrown, 5);
    p.setPen(pen(kBlack, 2.5));
    p.setBrush(kLightBlue);
    p.drawEllipse(QPointF(13, 13), 9.5, 9.5);
}

// A small window with a title bar.
void window(QPainter& p, const QRectF& r) {
    box(p, r, kWhite);
    box(p, QRectF(r.left(), r.top(), r.width(), 4), kBlue);
}

using Glyph = std::function<void(QPainter&)>;

const std::vector<Glyph>& glyphs() {
    static const std::vector<Glyph> all = {
        // 0 new project
        [](QPainter& p) {
            page(p);
            plus(p, {21, 22}, 6, kGreen);
        },
        // 1 open project
        [](QPainter& p) { folder(p); },
        // 2 save project
        [](QPainter& p) { floppy(p); },
        // 3 save project as
        [](QPainter& p) {
            floppy(p);
            box(p, QRectF(17, 17, 13, 13), kOrange);
            for (double x : {20.0, 23.5, 27.0}) line(p, {x, 26}, {x, 26}, kBlack, 2);
        },
        // 4 close project
        [](QPainter& p) {
            folder(p);
            cross(p, {22, 20}, 6, kRed);
        },
        // 5 undo, 6 redo
        [](QPainter& p) { turnArrow(p, false); },
        [](QPainter& p) { turnArrow(p, true); },
        // 7 selection mode: an arrow cursor
        [](QPainter& p) {
            polygon(p, QPolygonF({{8, 3}, {8, 25}, {13, 20}, {17, 29}, {21, 27}, {17, 19}, {24, 19}}), kWhite);
        },
        // 8 connection mode: two blocks joined by a wire
        [](QPainter& p) {
            line(p, {11, 9}, {17, 9}, kBlue, 3);
            line(p, {17, 9}, {17, 23}, kBlue, 3);
            line(p, {17, 23}, {22, 23}, kBlue, 3);
            box(p, QRectF(3, 4, 8, 10), kLightBlue);
            box(p, QRectF(22, 18, 7, 10), kLightBlue);
            box(p, QRectF(15, 7, 4, 4), kBlack, kBlack, 1);
        },
        // 9 debug mode: a beetle
        [](QPainter& p) {
            for (double y : {12.0, 18.0, 24.0}) {
                line(p, {5, y - 2}, {27, y + 2}, kBlack, 2);
                line(p, {5, y + 2}, {27, y - 2}, kBlack, 2);
            }
            p.setPen(pen(kBlack, 2));
            p.setBrush(kRed);
            p.drawEllipse(QPointF(16, 19), 7, 9);
            p.setBrush(kBlack);
            p.drawEllipse(QPointF(16, 8), 4, 3);
            line(p, {16, 11}, {16, 27}, kBlack, 2);
        },
        // 10 project parameters: three sliders
        [](QPainter& p) {
            const double knobs[] = {20, 10, 16};
            for (int i = 0; i < 3; ++i) {
                const double y = 8 + 8 * i;
                line(p, {4, y}, {28, y}, kDarkGrey, 2);
                box(p, QRectF(knobs[i] - 3, y - 4, 6, 8), kOrange);
            }
        },
        // 11 new sheet: a sheet with grid dots
        [](QPainter& p) {
            page(p);
            for (double y : {13.0, 18.0, 23.0})
                for (double x : {10.0, 15.0, 20.0}) box(p, QRectF(x, y, 1, 1), kBlue, kBlue, 1);
            plus(p, {23, 24}, 5, kGreen);
        },
        // 12 create configuration file: lines of text and a tick
        [](QPainter& p) {
            page(p);
            for (double y : {12.0, 16.0, 20.0}) line(p, {9, y}, {19, y}, kDarkGrey, 2);
            p.setPen(pen(kGreen, 3));
            p.setBrush(Qt::NoBrush);
            p.drawPolyline(QPolygonF({{14, 23}, {18, 27}, {28, 15}}));
        },
        // 13 build project: a hammer
        [](QPainter& p) {
            line(p, {10, 28}, {21, 13}, kBrown, 4);
            polygon(p, QPolygonF({{12, 9}, {20, 3}, {29, 12}, {25, 15}, {20, 11}, {17, 14}}), kGrey);
        },
        // 14 run project
        [](QPainter& p) { polygon(p, QPolygonF({{9, 5}, {26, 16}, {9, 27}}), kGreen); },
        // 15 stop project
        [](QPainter& p) { box(p, QRectF(7, 7, 18, 18), kRed); },
        // 16 zoom out, 17 zoom in, 18 zoom 100%
        [](QPainter& p) {
            magnifier(p);
            line(p, {8, 13}, {18, 13}, kBlack, 3);
        },
        [](QPainter& p) {
            magnifier(p);
            plus(p, {13, 13}, 5, kBlack);
        },
        [](QPainter& p) {
            magnifier(p);
            line(p, {9, 9}, {9, 18}, kBlack, 2);
            line(p, {17, 9}, {17, 18}, kBlack, 2);
            box(p, QRectF(12.5, 10, 1, 1), kBlack, kBlack, 1);
            box(p, QRectF(12.5, 15, 1, 1), kBlack, kBlack, 1);
        },
        // 19 cascade schemes
        [](QPainter& p) {
            window(p, QRectF(3, 3, 16, 13));
            window(p, QRectF(8, 9, 16, 13));
            window(p, QRectF(13, 15, 16, 13));
        },
        // 20 tile schemes
        [](QPainter& p) {
            window(p, QRectF(3, 3, 12, 12));
            window(p, QRectF(17, 3, 12, 12));
            window(p, QRectF(3, 17, 12, 12));
            window(p, QRectF(17, 17, 12, 12));
        },
        // 21 minimize schemes
        [](QPainter& p) {
            window(p, QRectF(4, 4, 24, 18));
            box(p, QRectF(8, 25, 16, 4), kBlue);
        },
        // 22 options: a list of ticked boxes
        [](QPainter& p) {
            for (int i = 0; i < 3; ++i) {
                const double y = 4 + 9 * i;
                box(p, QRectF(4, y, 7, 7), kWhite);
                line(p, {15, y + 3.5}, {28, y + 3.5}, kDarkGrey, 2);
            }
            p.setPen(pen(kGreen, 2));
            p.drawPolyline(QPolygonF({{5, 7}, {7, 10}, {12, 3}}));
            p.drawPolyline(QPolygonF({{5, 25}, {7, 28}, {12, 21}}));
        },
        // 23 help: a question mark on a blue disc
        [](QPainter& p) {
            p.setPen(pen(kBlack, 2));
            p.setBrush(kBlue);
            p.drawEllipse(QPointF(16, 16), 13, 13);
            QPainterPath hook;
            hook.moveTo(11, 12);
            hook.cubicTo(11, 5, 22, 5, 21, 12);
            hook.cubicTo(20, 16, 16, 15, 16, 20);
            p.setPen(pen(kWhite, 3.5));
            p.setBrush(Qt::NoBrush);
            p.drawPath(hook);
            box(p, QRectF(14.5, 23, 3, 3), kWhite, kWhite, 1);
        },
        // 24 exit: a door with an arrow leading out
        [](QPainter& p) {
            box(p, QRectF(4, 3, 15, 26), kBrown);
            box(p, QRectF(15, 15, 1, 1), kFolder, kFolder, 1);
            line(p, {13, 16}, {24, 16}, kGreen, 4);
            polygon(p, QPolygonF({{22, 9}, {30, 16}, {22, 23}}), kGreen, kGreen, 1);
        },
    };
    return all;
}

}  // namespace

QImage drawIconStrip(int size) {
    QImage strip(size * kIconCount, size, QImage::Format_RGB32);
    strip.fill(kStripBackground);
    const std::vector<Glyph>& all = glyphs();
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < kIconCount && i < static_cast<int>(all.size()); ++i) {
        p.save();
        p.setClipRect(QRect(size * i + 1, 1, size - 2, size - 2));
        p.translate(size * i, 0);
        p.scale(size / 32.0, size / 32.0);
        all[static_cast<size_t>(i)](p);
        p.restore();
    }
    return strip;
}

QImage drawDisabledIconStrip(int size) {
    QImage strip = drawIconStrip(size);
    for (int y = 0; y < strip.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(strip.scanLine(y));
        for (int x = 0; x < strip.width(); ++x) {
            if (row[x] == kStripBackground) continue;
            // A light grey of the pixel's brightness: never the background colour.
            const int grey = 128 + qGray(row[x]) / 2;
            row[x] = qRgb(grey, grey, grey);
        }
    }
    return strip;
}

}  // namespace zores
