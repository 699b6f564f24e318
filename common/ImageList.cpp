#include "common/ImageList.h"

#include "common/Canvas.h"

#include <QPainter>

#include <algorithm>

namespace zo {

TImageList::TImageList(int width, int height) : width_(std::max(0, width)), height_(std::max(0, height)) {}

void TImageList::SetSize(int width, int height) {
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    cells_.clear();
}

int TImageList::AddMasked(const QImage& image, int32_t maskColor) {
    if (image.isNull() || width_ <= 0 || height_ <= 0) return -1;
    const QImage cell = image.copy(0, 0, width_, height_).convertToFormat(QImage::Format_RGB32);
    const QRgb key = ToQRgb(maskColor) & RGB_MASK;
    QImage mask(width_, height_, QImage::Format_Mono);
    mask.fill(0);
    for (int y = 0; y < height_; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(cell.constScanLine(y));
        for (int x = 0; x < width_; ++x) {
            const bool outside = x >= image.width() || y >= image.height();
            if (outside || (row[x] & RGB_MASK) == key) mask.setPixel(x, y, 1);
        }
    }
    return addCell(cell, mask);
}

int TImageList::Add(const QImage& image, const QImage& mask) {
    if (image.isNull() || width_ <= 0 || height_ <= 0) return -1;
    const QImage cell = image.copy(0, 0, width_, height_).convertToFormat(QImage::Format_RGB32);
    QImage bits(width_, height_, QImage::Format_Mono);
    bits.fill(0);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const bool outside = x >= image.width() || y >= image.height();
            bool transparent = outside;
            if (!transparent && !mask.isNull() && mask.valid(x, y)) {
                transparent = mask.depth() == 1 ? mask.pixelIndex(x, y) != 0 : (mask.pixel(x, y) & RGB_MASK) != 0;
            }
            if (transparent) bits.setPixel(x, y, 1);
        }
    }
    return addCell(cell, bits);
}

int TImageList::addCell(QImage image, QImage mask) {
    mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    QImage composed(width_, height_, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height_; ++y) {
        const QRgb* src = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        QRgb* dst = reinterpret_cast<QRgb*>(composed.scanLine(y));
        for (int x = 0; x < width_; ++x) {
            dst[x] = mask.pixelIndex(x, y) != 0 ? 0u : (src[x] | 0xFF000000u);
        }
    }
    cells_.push_back(Cell{std::move(image), std::move(mask), std::move(composed)});
    return Count() - 1;
}

QImage TImageList::Image(int index) const {
    if (index < 0 || index >= Count()) return QImage();
    return cells_[static_cast<size_t>(index)].image;
}

QImage TImageList::Mask(int index) const {
    if (index < 0 || index >= Count()) return QImage();
    return cells_[static_cast<size_t>(index)].mask;
}

QImage TImageList::Composed(int index) const {
    if (index < 0 || index >= Count()) return QImage();
    return cells_[static_cast<size_t>(index)].composed;
}

bool TImageList::Draw(QPainter& painter, int x, int y, int index) const {
    if (index < 0 || index >= Count() || !painter.isActive()) return false;
    const Cell& cell = cells_[static_cast<size_t>(index)];
    painter.save();
    if (masked_) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawImage(x, y, cell.composed);
    } else {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(x, y, cell.image);
    }
    painter.restore();
    return true;
}

bool TImageList::Draw(QImage& target, int x, int y, int index) const {
    if (index < 0 || index >= Count() || target.isNull()) return false;
    QPainter painter(&target);
    return Draw(painter, x, y, index);
}

}  // namespace zo
