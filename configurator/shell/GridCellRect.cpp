#include "configurator/shell/GridCellRect.h"

#include <cmath>

namespace zo::configurator {

namespace {
// Nearest integer, ties to the even neighbour (the default rounding mode).
int32_t roundEven(double value) { return static_cast<int32_t>(std::nearbyint(value)); }
}  // namespace

TZoRect GridCellRect(const TZoRect& area, int count, int index) {
    if (count < 1 || index < 1 || index > count) return {};
    const int columns = static_cast<int>(std::sqrt(static_cast<double>(count)));
    int placed = 0;
    for (int k = 1; k <= columns; ++k) {
        const int cells = (count - placed) / (columns - k + 1);
        if (index <= placed + cells) {
            const int row = index - placed;
            const double width = double(area.right) - double(area.left);
            const double height = double(area.bottom) - double(area.top);
            TZoRect cell;
            cell.left = area.left + roundEven(width / columns * (k - 1));
            cell.right = area.left + roundEven(width / columns * k);
            cell.top = area.top + roundEven(height / cells * (row - 1));
            cell.bottom = area.top + roundEven(height / cells * row);
            return cell;
        }
        placed += cells;
    }
    return {};
}

}  // namespace zo::configurator
