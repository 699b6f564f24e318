#include "configurator/shell/DialogUnits.h"

#include <QFontMetrics>

#include <cmath>

namespace zo::configurator {

QSize AverageCharSize(const QFont& font) {
    const QFontMetrics metrics(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return QSize(metrics.horizontalAdvance(letters) / 52, metrics.height());
}

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    return static_cast<int>(std::lround(static_cast<double>(a) * b / c));
}

}  // namespace zo::configurator
