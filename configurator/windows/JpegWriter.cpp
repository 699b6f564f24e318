#include "configurator/windows/JpegWriter.h"

#include "common/FileReplacement.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include <jpeglib.h>

namespace zo::configurator {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void errorExit(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

// Compresses the RGB rows into the open file; 0 done, otherwise the error text is in manager.message.
// No object with a destructor lives in this frame, so the long jump out of libjpeg is safe.
int compress(std::FILE* file, const unsigned char* pixels, int width, int height, int stride, int quality,
             ErrorManager& manager) {
    jpeg_compress_struct info;
    info.err = jpeg_std_error(&manager.base);
    manager.base.error_exit = errorExit;
    manager.message[0] = 0;
    if (setjmp(manager.jump)) {
        jpeg_destroy_compress(&info);
        return -1;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels + static_cast<size_t>(info.next_scanline) * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return 0;
}

}  // namespace

bool SaveJpeg(const QImage& image, const QString& fileName, int quality, QString* error) {
    QString reason;
    auto fail = [&](const QString& text) {
        if (error) *error = text;
        return false;
    };
    if (image.isNull()) return fail(QStringLiteral("no picture"));
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    // Replaced as every file is: a link's file written, its mode and owner kept.
    FileReplacement target(QFile::encodeName(QFileInfo(fileName).absoluteFilePath()).toStdString());
    if (target.Open() != kReplaceOk) return fail(QString::fromLocal8Bit(std::strerror(errno)));
    const int fd = ::dup(target.Descriptor());
    std::FILE* file = fd < 0 ? nullptr : ::fdopen(fd, "wb");
    if (!file) {
        if (fd >= 0) ::close(fd);
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    }
    ErrorManager manager;
    const int result = compress(file, rgb.constBits(), rgb.width(), rgb.height(),
                                static_cast<int>(rgb.bytesPerLine()), quality, manager);
    const bool flushed = std::fflush(file) == 0;
    const int flushError = errno;
    const bool closed = std::fclose(file) == 0;
    if (result != 0 || !flushed || !closed) {
        return fail(result != 0 ? QString::fromLocal8Bit(manager.message)
                                : QString::fromLocal8Bit(std::strerror(flushError)));
    }
    if (target.Commit() != kReplaceOk)
        return fail(QString::fromLocal8Bit(std::strerror(errno ? errno : EIO)));
    return true;
}

}  // namespace zo::configurator
