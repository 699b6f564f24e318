#pragma once
// A picture saved as a baseline JPEG file through libjpeg. The file is written
// under a temporary name in its own folder and renamed over the target only
// when complete, so a failed save leaves an existing file as it was.

#include <QImage>
#include <QString>

namespace zo::configurator {

// True when saved; otherwise false with the reason in error.
bool SaveJpeg(const QImage& image, const QString& fileName, int quality, QString* error);

}  // namespace zo::configurator
