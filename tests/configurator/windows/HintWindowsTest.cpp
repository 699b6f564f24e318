// The hint windows and the block picture window.
#include "configurator/windows/FormShowBMP.h"
#include "configurator/windows/GraphicHintWindow.h"
#include "configurator/windows/XPHintWindow.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPointer>
#include <QScreen>

#include <gtest/gtest.h>

using namespace zo::configurator;

TEST(HintWindows, DropShadowRuleTestsMajorAndMinorSeparately) {
    const struct {
        bool nt;
        int major, minor;
        bool shadow;
    } cases[] = {{true, 5, 1, true},  {true, 5, 2, true},   {true, 6, 1, true}, {true, 6, 0, false},
                 {true, 10, 0, false}, {true, 4, 1, false}, {false, 6, 1, false}};
    for (const auto& c : cases)
        EXPECT_EQ(IsDropShadowSupported(c.nt, c.major, c.minor), c.shadow) << c.major << "." << c.minor;
    EXPECT_FALSE(IsDropShadowSupported());
}

TEST(HintWindows, PictureHintTakesThePictureSizeAndStaysOnTheDesktop) {
    const QRect desk = QGuiApplication::primaryScreen()->virtualGeometry();
    QImage empty;  // 0 x 0
    SetHintBitmap(&empty);
    TGraphicHintWindow hint;
    hint.ActivateHint(QRect(100, 100, 50, 20), "AND");
    EXPECT_EQ(hint.geometry(), QRect(100, 100, 2, 3));
    EXPECT_FALSE(hint.Activating());

    QImage picture(60, 40, QImage::Format_RGB32);
    picture.fill(Qt::red);
    SetHintBitmap(&picture);
    const int right = desk.x() + desk.width(), bottom = desk.y() + desk.height();
    hint.ActivateHint(QRect(right - 10, bottom - 5, 10, 10), "AND");
    EXPECT_EQ(hint.geometry(), QRect(right - 62, bottom - 43, 62, 43));
    hint.ActivateHint(QRect(desk.x() - 30, desk.y() + 10, 10, 10), "AND");
    EXPECT_EQ(hint.geometry().left(), desk.x());
    // The picture is drawn inside the window's grey border.
    picture.setPixel(0, picture.height() - 1, qRgb(0, 0, 255));  // the transparent colour
    hint.ActivateHint(QRect(200, 200, 1, 1), "AND");
    const QImage shown = hint.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.pixel(0, 10), qRgb(0x80, 0x80, 0x80));
    EXPECT_EQ(shown.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(1, picture.height()), qRgb(255, 255, 255));
    SetHintBitmap(nullptr);
    hint.hide();
}

TEST(HintWindows, TextHintShowsItsTextOnTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    TXPHintWindow hint;
    hint.ActivateHint(QPoint(screen.right() - 2, 50), "Вход IN1: Bool");
    EXPECT_TRUE(hint.isVisible());
    EXPECT_EQ(hint.text(), "Вход IN1: Bool");
    EXPECT_LE(hint.geometry().right(), screen.right());
    EXPECT_GT(hint.width(), hint.fontMetrics().horizontalAdvance("Вход IN1: Bool"));
    // The etched edge: a grey outer line and a white inner one.
    const QImage shown = hint.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.pixel(0, 5), qRgb(0x80, 0x80, 0x80));
    EXPECT_EQ(shown.pixel(1, 5), qRgb(0xFF, 0xFF, 0xFF));
    hint.hide();
}

TEST(HintWindows, BlockPictureWindowsFreeThemselvesWhenClosed) {
    QImage picture(120, 80, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QPointer<TFormShowBMP> first = new TFormShowBMP;
    QPointer<TFormShowBMP> second = new TFormShowBMP;
    first->SetPicture(&picture, "AND");
    second->SetPicture(nullptr, "OR");  // a caption without a picture
    second->SetPicture(nullptr, QString());  // neither: nothing changes
    EXPECT_EQ(first->windowTitle(), "AND");
    EXPECT_EQ(first->size(), QSize(120, 80));
    EXPECT_EQ(first->Picture().pixel(5, 5), qRgb(0, 0, 255));
    EXPECT_EQ(second->windowTitle(), "OR");
    first->show();
    second->show();
    EXPECT_TRUE(first->windowFlags() & Qt::WindowStaysOnTopHint);
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    EXPECT_FALSE(second.isNull());
    second->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(second.isNull());
}
