// The scheme window's arithmetic without a window: rounding, zoom steps, the
// frame, the layout of picture and bars, pointer zones and canvas resizing.
#include "configurator/windows/SchemeView.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace zo;
using namespace zo::configurator;

TEST(SchemeView, RoundsHalvesToEven) {
    const struct {
        double value;
        int rounded;
    } cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {2.49, 2}, {2.51, 3}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2}};
    for (const auto& c : cases) EXPECT_EQ(roundEven(c.value), c.rounded) << c.value;
}

TEST(SchemeView, ZoomStepsStayWithinTheirRange) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        float (*step)(float);
        float from, to;
    } cases[] = {
        {scalePlus, 7.75f, 8.0f},  {scalePlus, 8.0f, 8.0f},    {scalePlus, 1.0f, 1.5f},
        {scaleMinus, 0.5f, 0.25f}, {scaleMinus, 0.25f, 0.25f}, {scaleMinus, 2.0f, 1.5f},
        {wheelIn, 7.9f, 8.0f},     {wheelOut, 0.3f, 0.25f},    {wheelOut, 1.0f, 0.75f},
        // A stored scale of 0 or beyond the range (a new sheet) counts as 1.0.
        {validScale, 0.0f, 1.0f},  {validScale, 9.0f, 1.0f},   {validScale, 0.1f, 1.0f},
        {validScale, -1.0f, 1.0f}, {validScale, nan, 1.0f},    {validScale, 0.25f, 0.25f},
        {scalePlus, 0.0f, 1.5f},
    };
    for (const auto& c : cases) EXPECT_FLOAT_EQ(c.step(c.from), c.to) << c.from;
    EXPECT_EQ(scaleText(1.0f), "100%");
    EXPECT_EQ(scaleText(0.25f), "25%");
    EXPECT_EQ(scaleText(7.75f), "775%");
}

TEST(SchemeView, FrameHasSilverBandsAndEightDarkBlueHandles) {
    QImage image(41, 31, QImage::Format_RGB32);
    image.fill(0xFF123456u);
    DrawFrame(image);
    const QRgb silver = 0xFFC0C0C0u, handle = 0xFF000096u, inside = 0xFF123456u;
    const int w = 41, h = 31;
    // The handles' top-left corners: corners, then the middles of the edges.
    const QPoint handles[] = {{2, 2},          {2, h - 5},         {w - 5, 2},         {w - 5, h - 5},
                              {2, h / 2 - 1},  {w / 2 - 1, h - 5}, {w / 2 - 1, 2},     {w - 5, h / 2 - 1}};
    auto isHandle = [&](int x, int y) {
        for (const QPoint& p : handles)
            if (x >= p.x() && x < p.x() + 3 && y >= p.y() && y < p.y() + 3) return true;
        return false;
    };
    int handlePixels = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool band = x < 5 || y < 5 || x >= w - 5 || y >= h - 5;
            const QRgb expected = isHandle(x, y) ? handle : band ? silver : inside;
            handlePixels += isHandle(x, y);
            ASSERT_EQ(image.pixel(x, y), expected) << x << "," << y;
        }
    EXPECT_EQ(handlePixels, 8 * 9);
}

TEST(SchemeView, SmallPictureIsCentredWithoutBars) {
    const SchemeLayout l = layoutScheme(400, 300, 100, 50, 1.0f, 150, 150, 16, 16);
    EXPECT_FALSE(l.hBar);
    EXPECT_FALSE(l.vBar);
    EXPECT_EQ(l.showW, 100);
    EXPECT_EQ(l.showH, 50);
    EXPECT_EQ(l.source.left, 0);
    EXPECT_EQ(l.source.right, 99);
    EXPECT_EQ(l.dest.left, 150);
    EXPECT_EQ(l.dest.top, 125);
    EXPECT_EQ(l.dest.right, 249);
    EXPECT_EQ(l.dest.bottom, 174);
    // At 200 % the same picture fills 200 x 100 of the middle.
    const SchemeLayout z = layoutScheme(400, 300, 100, 50, 2.0f, 50, 25, 16, 16);
    EXPECT_EQ(z.dest.left, 100);
    EXPECT_EQ(z.dest.right, 299);
    EXPECT_EQ(z.dest.top, 100);
    EXPECT_EQ(z.dest.bottom, 199);
}

TEST(SchemeView, LargePictureGetsBothBarsWhoseRangeIsTheCentre) {
    const SchemeLayout l = layoutScheme(475, 261, 490, 370, 1.0f, 150, 150, 16, 16);
    ASSERT_TRUE(l.hBar);
    ASSERT_TRUE(l.vBar);
    EXPECT_EQ(l.viewW, 459);
    EXPECT_EQ(l.viewH, 245);
    EXPECT_EQ(l.hBarRect, QRect(0, 245, 459, 16));
    EXPECT_EQ(l.vBarRect, QRect(459, 0, 16, 245));
    EXPECT_EQ(l.showW, 459);
    EXPECT_EQ(l.hMin, 229);
    EXPECT_EQ(l.hMax, 490 - 459 + 229);
    EXPECT_EQ(l.hPos, 229);  // a centre of 150 is too far left: clamped
    EXPECT_EQ(l.source.left, 0);
    EXPECT_EQ(l.vPos, 150);
    EXPECT_EQ(l.source.top, 150 - 122);
    // A centre beyond the picture keeps the shown part inside it.
    const SchemeLayout far = layoutScheme(475, 261, 490, 370, 1.0f, 5000, 5000, 16, 16);
    EXPECT_EQ(far.source.right, 489);
    EXPECT_EQ(far.source.bottom, 369);
    EXPECT_EQ(far.hPos, far.hMax);
}

TEST(SchemeView, WindowSmallerThanItsBarsNeverWrapsItsSize) {
    for (const QSize client : {QSize(5, 5), QSize(0, 0), QSize(15, 300), QSize(300, 15)}) {
        const SchemeLayout l = layoutScheme(client.width(), client.height(), 490, 370, 1.0f, 150, 150, 16, 16);
        EXPECT_GE(l.viewW, 0);
        EXPECT_GE(l.viewH, 0);
        EXPECT_LE(l.viewW, client.width());
        EXPECT_LE(l.viewH, client.height());
        EXPECT_GE(l.showW, 0);
        EXPECT_GE(l.showH, 0);
        EXPECT_LE(l.dest.right - l.dest.left + 1, l.viewW);
        EXPECT_LE(l.dest.bottom - l.dest.top + 1, l.viewH);
    }
}

TEST(SchemeView, ZoneBoundaries) {
    const int w = 100, h = 60;
    const struct {
        int bx, by, zone;
    } cases[] = {
        {50, 30, kZoneInside}, {5, 5, kZoneInside},           {94, 54, kZoneInside},
        {4, 30, kZoneLeft},    {0, 30, kZoneLeft},            {95, 30, kZoneRight},
        {99, 30, kZoneRight},  {100, 30, kZoneBeyond},        {50, 4, kZoneTop},
        {50, 55, kZoneBottom}, {50, 60, kZoneBottom},         {50, 61, kZoneBeyond},
        {2, 2, kZoneTopLeft},  {2, 58, kZoneBottomLeft},      {97, 2, kZoneTopRight},
        {97, 58, kZoneBottomRight},
    };
    for (const auto& c : cases) EXPECT_EQ(pointerZoneOf(c.bx, c.by, w, h), c.zone) << c.bx << "," << c.by;
    EXPECT_EQ(zoneCursor(kZoneLeft), -9);
    EXPECT_EQ(zoneCursor(kZoneBottom), -7);
    EXPECT_EQ(zoneCursor(kZoneTopLeft), -8);
    EXPECT_EQ(zoneCursor(kZoneBottomLeft), -6);
    EXPECT_EQ(zoneCursor(kZoneTopRight), -6);
    EXPECT_EQ(zoneCursor(kZoneBottomRight), -8);
    EXPECT_EQ(zoneCursor(kZoneInside), 0);
}

TEST(SchemeView, ResizeAmountsFollowTheZoneAndTheScale) {
    // A drag from (100, 100) to (130, 80).
    const struct {
        int zone;
        std::array<int, 4> amounts;  // left, top, right, bottom
        int sx, sy;
    } cases[] = {
        {kZoneLeft, {-30, 0, 0, 0}, -30, 0},        {kZoneRight, {0, 0, 30, 0}, 30, 0},
        {kZoneTop, {0, 20, 0, 0}, 0, 20},           {kZoneBottom, {0, 0, 0, -20}, 0, -20},
        {kZoneTopLeft, {-30, 20, 0, 0}, -30, 20},   {kZoneBottomLeft, {-30, 0, 0, -20}, -30, -20},
        {kZoneTopRight, {0, 20, 30, 0}, 30, 20},    {kZoneBottomRight, {0, 0, 30, -20}, 30, -20},
    };
    for (const auto& c : cases) {
        const ResizeAmounts a = resizeAmounts(c.zone, 100, 100, 130, 80);
        EXPECT_EQ((std::array<int, 4>{a.left, a.top, a.right, a.bottom}), c.amounts) << c.zone;
        EXPECT_EQ(a.sx, c.sx);
        EXPECT_EQ(a.sy, c.sy);
    }
    EXPECT_EQ(resizeDelta(resizeAmounts(kZoneRight, 100, 100, 130, 100), 2.0f), (std::array<int32_t, 4>{0, 0, 15, 0}));
    EXPECT_EQ(resizeDelta(resizeAmounts(kZoneRight, 100, 100, 103, 100), 0.25f),
              (std::array<int32_t, 4>{0, 0, 12, 0}));
    // 5 window pixels at 200 % are 2.5 sheet pixels: halves go to even.
    EXPECT_EQ(resizeDelta(resizeAmounts(kZoneLeft, 100, 100, 95, 100), 2.0f), (std::array<int32_t, 4>{2, 0, 0, 0}));
}

TEST(SchemeView, ResizeOutlineLiesOnThePictureInsideTheFrame) {
    const ViewRect dest{10, 20, 209, 119};
    const TZoRect still = resizeOutline(dest, ResizeAmounts{}, 2.0f);
    EXPECT_EQ(still.left, 20);
    EXPECT_EQ(still.top, 30);
    EXPECT_EQ(still.right, 199);
    EXPECT_EQ(still.bottom, 109);
    const TZoRect moved = resizeOutline(dest, resizeAmounts(kZoneBottomRight, 0, 0, 30, 40), 2.0f);
    EXPECT_EQ(moved.right, 229);
    EXPECT_EQ(moved.bottom, 149);
}

TEST(SchemeView, WindowPointMapsOntoTheBitmapAtTheScale) {
    const SchemeLayout l = layoutScheme(400, 300, 100, 50, 2.0f, 50, 25, 16, 16);  // dest from (100, 100)
    EXPECT_EQ(bitmapPoint(l, 2.0f, 100, 100), QPoint(0, 0));
    EXPECT_EQ(bitmapPoint(l, 2.0f, 299, 199), QPoint(100, 50));  // 99.5 and 49.5 round to even
    EXPECT_EQ(bitmapPoint(l, 2.0f, 120, 130), QPoint(10, 15));
}
