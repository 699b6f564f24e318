#include "configurator/windows/SchemeView.h"

#include <QColor>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace zo::configurator {

int roundEven(double value) {
    const double lower = std::floor(value);
    const double diff = value - lower;
    double r = lower;
    if (diff > 0.5) r = lower + 1;
    else if (diff == 0.5) r = std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
    return int(r);
}

float validScale(float scale) {
    if (!(scale >= kMinScale && scale <= kMaxScale)) return 1.0f;
    return scale;
}

float scalePlus(float scale) { return std::min(validScale(scale) + 0.5f, kMaxScale); }
float scaleMinus(float scale) { return std::max(validScale(scale) - 0.5f, kMinScale); }
float wheelIn(float scale) { return std::min(validScale(scale) + 0.25f, kMaxScale); }
float wheelOut(float scale) { return std::max(validScale(scale) - 0.25f, kMinScale); }

QString scaleText(float scale) { return QString::number(roundEven(double(scale) * 100.0)) + "%"; }

void DrawFrame(QImage& bitmap) { DrawFrame(bitmap, QRegion(bitmap.rect())); }

void DrawFrame(QImage& bitmap, const QRegion& clip) {
    const int w = bitmap.width(), h = bitmap.height();
    if (w <= 0 || h <= 0 || clip.isEmpty()) return;
    QPainter p(&bitmap);
    p.setClipRegion(clip);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    // Rectangles as left, top, right, bottom with right and bottom exclusive.
    auto fill = [&p](int l, int t, int r, int b, const QColor& c) {
        if (r > l && b > t) p.fillRect(QRect(l, t, r - l, b - t), c);
    };
    const QColor silver(0xC0, 0xC0, 0xC0);
    fill(0, 0, w, 5, silver);
    fill(0, h - 5, w, h, silver);
    fill(0, 5, 5, h - 5, silver);
    fill(w - 5, 5, w, h - 5, silver);
    const QColor handle(0x00, 0x00, 0x96);  // 0x960000 as blue-green-red
    fill(2, 2, 5, 5, handle);
    fill(2, h - 5, 5, h - 2, handle);
    fill(w - 5, 2, w - 2, 5, handle);
    fill(w - 5, h - 5, w - 2, h - 2, handle);
    fill(2, h / 2 - 1, 5, h / 2 + 2, handle);
    fill(w / 2 - 1, h - 5, w / 2 + 2, h - 2, handle);
    fill(w / 2 - 1, 2, w / 2 + 2, 5, handle);
    fill(w - 5, h / 2 - 1, w - 2, h / 2 + 2, handle);
}

QRegion FrameBands(int width, int height) {
    if (width <= 0 || height <= 0) return QRegion();
    return QRegion(0, 0, width, height) - QRegion(kFrame, kFrame, width - 2 * kFrame, height - 2 * kFrame);
}

SchemeLayout layoutScheme(int clientW, int clientH, int bitmapW, int bitmapH, float scale, int centreX, int centreY,
                          int vBarWidth, int hBarHeight) {
    const double s = validScale(scale);
    SchemeLayout l;
    const int fullW = std::max(clientW, 0), fullH = std::max(clientH, 0);
    // The client less a bar never goes below 0 (a window smaller than its bars).
    int cw = fullW, ch = fullH;
    int visW = roundEven(cw / s), visH = roundEven(ch / s);
    bool hNeeded = false, vNeeded = false;
    if (visW < bitmapW) {
        ch = std::max(ch - hBarHeight, 0);
        visH = roundEven(ch / s);
        hNeeded = true;
    }
    if (visH < bitmapH) {
        cw = std::max(cw - vBarWidth, 0);
        visW = roundEven(cw / s);
        vNeeded = true;
    }
    if (!hNeeded && visW < bitmapW) {
        ch = std::max(ch - hBarHeight, 0);
        visH = roundEven(ch / s);
        // The lower view may now need the vertical bar too: make room for it.
        if (!vNeeded && visH < bitmapH) {
            cw = std::max(cw - vBarWidth, 0);
            visW = roundEven(cw / s);
        }
    }
    l.viewW = cw;
    l.viewH = ch;
    l.hBar = visW < bitmapW;
    l.vBar = visH < bitmapH;
    l.hBarRect = QRect(0, fullH - hBarHeight, cw, hBarHeight);
    l.vBarRect = QRect(fullW - vBarWidth, 0, vBarWidth, ch);

    l.showW = std::max(std::min(visW, bitmapW), 0);
    l.showH = std::max(std::min(visH, bitmapH), 0);
    int srcX = centreX - l.showW / 2;
    if (srcX < 0) srcX = 0;
    if (srcX + l.showW > bitmapW) srcX = bitmapW - l.showW;
    int srcY = centreY - l.showH / 2;
    if (srcY < 0) srcY = 0;
    if (srcY + l.showH > bitmapH) srcY = bitmapH - l.showH;
    l.hMin = l.showW / 2;
    l.hMax = bitmapW - l.showW + l.showW / 2;
    l.hPos = srcX + l.showW / 2;
    l.vMin = l.showH / 2;
    l.vMax = bitmapH - l.showH + l.showH / 2;
    l.vPos = srcY + l.showH / 2;
    l.source = {srcX, srcY, srcX + l.showW - 1, srcY + l.showH - 1};

    const int destH = std::min(roundEven(l.showH * s), ch);
    const int destW = std::min(roundEven(l.showW * s), cw);
    const int destX = (cw - destW) / 2, destY = (ch - destH) / 2;
    l.dest = {destX, destY, destX + destW - 1, destY + destH - 1};
    return l;
}

QPoint bitmapPoint(const SchemeLayout& layout, float scale, int x, int y) {
    const double s = validScale(scale);
    return {layout.source.left + roundEven((x - layout.dest.left) / s),
            layout.source.top + roundEven((y - layout.dest.top) / s)};
}

int pointerZoneOf(int bx, int by, int w, int h) {
    int zone = kZoneNone;
    if (bx < 5) zone = kZoneLeft;
    if (bx >= w - 5) zone = kZoneRight;
    if (by < 5) zone = kZoneTop;
    if (by >= h - 5) zone = kZoneBottom;
    if (bx < 5 && by < 5) zone = kZoneTopLeft;
    if (bx < 5 && by >= h - 5) zone = kZoneBottomLeft;
    if (bx >= w - 5 && by < 5) zone = kZoneTopRight;
    if (bx >= w - 5 && by >= h - 5) zone = kZoneBottomRight;
    if (bx >= 5 && bx < w - 5 && by >= 5 && by < h - 5) zone = kZoneInside;
    if (bx >= w || by > h || bx < 0 || by < 0) zone = kZoneBeyond;
    return zone;
}

bool isFrameZone(int zone) { return zone >= kZoneLeft && zone <= kZoneBottomRight; }

int16_t zoneCursor(int zone) {
    switch (zone) {
    case kZoneLeft:
    case kZoneRight: return -9;
    case kZoneTop:
    case kZoneBottom: return -7;
    case kZoneTopLeft:
    case kZoneBottomRight: return -8;
    case kZoneBottomLeft:
    case kZoneTopRight: return -6;
    default: return 0;
    }
}

ResizeAmounts resizeAmounts(int zone, int pressX, int pressY, int x, int y) {
    ResizeAmounts a;
    const bool left = zone == kZoneLeft || zone == kZoneTopLeft || zone == kZoneBottomLeft;
    const bool right = zone == kZoneRight || zone == kZoneTopRight || zone == kZoneBottomRight;
    const bool top = zone == kZoneTop || zone == kZoneTopLeft || zone == kZoneTopRight;
    const bool bottom = zone == kZoneBottom || zone == kZoneBottomLeft || zone == kZoneBottomRight;
    if (left) a.left = a.sx = pressX - x;
    if (right) a.right = a.sx = x - pressX;
    if (top) a.top = a.sy = pressY - y;
    if (bottom) a.bottom = a.sy = y - pressY;
    return a;
}

std::array<int32_t, 4> resizeDelta(const ResizeAmounts& a, float scale) {
    const double s = validScale(scale);
    return {roundEven(a.left / s), roundEven(a.top / s), roundEven(a.right / s), roundEven(a.bottom / s)};
}

TZoRect resizeOutline(const ViewRect& dest, const ResizeAmounts& a, float scale) {
    const int m = roundEven(double(validScale(scale)) * 5.0);
    return {dest.left + m - a.left, dest.top + m - a.top, dest.right + a.right - m, dest.bottom + a.bottom - m};
}

}  // namespace zo::configurator
