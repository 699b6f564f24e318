#include "common/PictureMemory.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace zo {

namespace {

constexpr size_t kHugePage = size_t(2) << 20;

// The mapping behind one picture, unmapped when the picture's last copy goes.
struct Mapping {
    void* base;
    size_t length;
};

void unmap(void* info) {
    auto* mapping = static_cast<Mapping*>(info);
    munmap(mapping->base, mapping->length);
    delete mapping;
}

}  // namespace

QImage NewPicture(int width, int height) {
    if (width <= 0 || height <= 0) return QImage();
    const size_t rowBytes = size_t(width) * 4;
    const size_t bytes = rowBytes * size_t(height);
    if (bytes < kOwnPictureMemory) return QImage(width, height, QImage::Format_RGB32);
    // One huge page more than needed, so that the pixels can start on a huge-page boundary.
    const size_t length = (bytes + kHugePage - 1) / kHugePage * kHugePage + kHugePage;
    void* base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) return QImage(width, height, QImage::Format_RGB32);
    auto* mapping = new (std::nothrow) Mapping{base, length};
    if (!mapping) {
        munmap(base, length);
        return QImage();
    }
    const uintptr_t start = (reinterpret_cast<uintptr_t>(base) + kHugePage - 1) & ~uintptr_t(kHugePage - 1);
    auto* pixels = reinterpret_cast<uchar*>(start);
    // Only a hint: where the system gives no huge pages the picture works in ordinary ones.
    madvise(pixels, length - (start - reinterpret_cast<uintptr_t>(base)), MADV_HUGEPAGE);
    QImage picture(pixels, width, height, qsizetype(rowBytes), QImage::Format_RGB32, unmap, mapping);
    if (picture.isNull()) unmap(mapping);
    return picture;
}

}  // namespace zo
