#include "configurator/windows/JpegWriter.h"

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
    const QFileInfo target(fileName);
    std::string pattern = QFile::encodeName(target.absolutePath() + "/." + target.fileName() + ".XXXXXX").toStdString();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) return fail(QString::fromLocal8Bit(std::strerror(errno)));
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        ::close(fd);
        ::unlink(pattern.c_str());
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    }
    ErrorManager manager;
    const int result = compress(file, rgb.constBits(), rgb.width(), rgb.height(),
                                static_cast<int>(rgb.bytesPerLine()), quality, manager);
    const bool flushed = std::fflush(file) == 0 && ::fsync(fd) == 0;
    const int flushError = errno;
    const bool closed = std::fclose(file) == 0;
    if (result != 0 || !flushed || !closed) {
        ::unlink(pattern.c_str());
        return fail(result != 0 ? QString::fromLocal8Bit(manager.message)
                                : QString::fromLocal8Bit(std::strerror(flushError)));
    }
    // The picture is readable as an ordinary file of the user, not only by its owner.
    ::chmod(pattern.c_str(), 0644);
    if (std::rename(pattern.c_str(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
        const int renameError = errno;
        ::unlink(pattern.c_str());
        return fail(QString::fromLocal8Bit(std::strerror(renameError)));
    }
    return true;
}

}  // namespace zo::configurator
