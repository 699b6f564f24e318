// Pictures with memory of their own: sized and laid out as ordinary ones,
// shared until written to, and given back with their last copy (the sanitizer
// sees any use after that or any leak).
#include "common/PictureMemory.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QPainter>

namespace zo {
namespace {

TEST(PictureMemory, SmallAndLargePicturesBehaveAsImages) {
    // 100 x 100 is ordinary; 3442 x 1462 is a 10,000-block project's sheet with its frame.
    for (const QSize size : {QSize(100, 100), QSize(3442, 1462), QSize(2049, 1025)}) {
        QImage picture = NewPicture(size.width(), size.height());
        ASSERT_FALSE(picture.isNull()) << size.width();
        EXPECT_EQ(picture.size(), size);
        EXPECT_EQ(picture.format(), QImage::Format_RGB32);
        EXPECT_EQ(picture.bytesPerLine(), size.width() * 4);
        picture.fill(QColor(Qt::white));
        {
            QPainter p(&picture);
            p.fillRect(QRect(size.width() - 3, size.height() - 2, 3, 2), QColor(0, 0, 0x96));
        }
        EXPECT_EQ(picture.pixel(size.width() - 1, size.height() - 1), qRgb(0, 0, 0x96));
        EXPECT_EQ(picture.pixel(0, 0), qRgb(255, 255, 255));

        // A copy shares the pixels until one of the two is written to.
        QImage copy = picture;
        EXPECT_EQ(copy.constBits(), picture.constBits());
        copy.setPixel(0, 0, qRgb(1, 2, 3));
        EXPECT_NE(copy.constBits(), picture.constBits());
        EXPECT_EQ(picture.pixel(0, 0), qRgb(255, 255, 255));
        EXPECT_EQ(copy.pixel(0, 0), qRgb(1, 2, 3));
        EXPECT_EQ(copy.pixel(size.width() - 1, size.height() - 1), qRgb(0, 0, 0x96));

        // The picture outlives the one it was made as.
        const QImage kept = picture;
        picture = QImage();
        EXPECT_EQ(kept.pixel(size.width() - 2, size.height() - 1), qRgb(0, 0, 0x96));
    }
}

TEST(PictureMemory, NoPictureWithoutASize) {
    for (const QSize size : {QSize(0, 10), QSize(10, 0), QSize(-5, 3000), QSize(3000, -1)})
        EXPECT_TRUE(NewPicture(size.width(), size.height()).isNull()) << size.width() << "x" << size.height();
}

}  // namespace
}  // namespace zo
