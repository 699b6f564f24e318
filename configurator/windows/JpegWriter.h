#pragma once
// A picture saved as a baseline JPEG file through libjpeg. The file is
// replaced as common/FileReplacement replaces files: written under a temporary
// name beside it and renamed over it only when complete (a failed save leaves
// an existing file as it was), through a link to the file it names, with the
// old file's mode.

#include <QImage>
#include <QString>

namespace zo::configurator {

// True when saved; otherwise false with the reason in error.
bool SaveJpeg(const QImage& image, const QString& fileName, int quality, QString* error);

}  // namespace zo::configurator
