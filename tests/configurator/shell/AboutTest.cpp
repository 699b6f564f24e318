// The about box and the version text.
#include "configurator/shell/About.h"
#include "configurator/shell/Version.h"

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

namespace zo::configurator {
namespace {

TEST(Version, FourDecimalNumbers) {
    std::string text = "x";
    GetVersionString(text);
    EXPECT_TRUE(QRegularExpression("^\\d+\\.\\d+\\.\\d+\\.\\d+$").match(QString::fromStdString(text)).hasMatch())
        << text;
}

TEST(AboutBox, SizedToItsPictureWithTextLinkAndButtonInPlace) {
    TAboutForm box;
    EXPECT_EQ(box.size(), box.Picture().size());
    EXPECT_TRUE(box.windowFlags() & Qt::FramelessWindowHint);
    // Some text was drawn on the field right of x = 130 on the first line.
    const QRgb field = box.Picture().pixel(470, 55);
    bool inked = false;
    for (int x = 130; x < 300 && !inked; ++x)
        for (int y = 50; y < 60 && !inked; ++y) inked = box.Picture().pixel(x, y) != field && qGray(box.Picture().pixel(x, y)) < 100;
    EXPECT_TRUE(inked);
    EXPECT_EQ(box.LinkLabel->x(), box.width() - box.LinkLabel->width() - 70);
    EXPECT_EQ(box.LinkLabel->y(), box.height() - 45);
    EXPECT_EQ(box.ButtonClose->x() + box.ButtonClose->width(), box.width() - 10);
    EXPECT_EQ(box.ButtonClose->y() + box.ButtonClose->height(), box.height() - 6);
    EXPECT_EQ(box.ButtonClose->text(), QString::fromUtf8("Закрыть"));
}

TEST(AboutBox, PressInTheTopRightCornerClosesAndElsewhereDrags) {
    TAboutForm box;
    box.move(100, 100);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    const QPoint start = box.pos();
    QTest::mousePress(&box, Qt::LeftButton, {}, QPoint(200, 150));
    QMouseEvent move(QEvent::MouseMove, QPointF(200, 150), box.mapToGlobal(QPointF(230, 170)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&box, &move);
    QTest::mouseRelease(&box, Qt::LeftButton, {}, QPoint(230, 170));
    EXPECT_EQ(box.pos(), start + QPoint(30, 20));
    EXPECT_TRUE(box.isVisible());

    // The right button drags too, also from the corner, and its release ends the drag.
    const QPoint corner(box.width() - 39, 39);
    QTest::mousePress(&box, Qt::RightButton, {}, corner);
    QMouseEvent drag(QEvent::MouseMove, QPointF(corner), box.mapToGlobal(QPointF(corner + QPoint(-10, 5))),
                     Qt::NoButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(&box, &drag);
    QTest::mouseRelease(&box, Qt::RightButton, {}, corner);
    EXPECT_EQ(box.pos(), start + QPoint(20, 25));
    EXPECT_TRUE(box.isVisible());
    QMouseEvent after(QEvent::MouseMove, QPointF(corner), box.mapToGlobal(QPointF(corner + QPoint(50, 50))),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&box, &after);
    EXPECT_EQ(box.pos(), start + QPoint(20, 25));

    QTest::mouseMove(&box, corner);
    QTest::mousePress(&box, Qt::LeftButton, {}, corner);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Rejected);
}

}  // namespace
}  // namespace zo::configurator
