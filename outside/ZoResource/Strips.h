#pragma once
// The pictures of the resource library, drawn in code.

#include <QImage>
#include <QRgb>

namespace zores {

// Background of every strip (the colour of its top-left pixel); no glyph uses it.
inline constexpr QRgb kStripBackground = 0xFFFF00FFu;  // magenta
// Background of the mask strip; its marks are black.
inline constexpr QRgb kMaskBackground = 0xFFFFFFFFu;

inline constexpr int kLineCell = 12;
inline constexpr int kLineShapes = 17;    // codes 1..17, cell i = code i + 1
inline constexpr int kMaskColumns = 3;

// "Line_12px": 17 cells of 12 x 12 in row 0, their selection overlays in row 1.
QImage drawLineStrip();
// "Line_12px_Mask": one 12 x 12 mask cell per column.
QImage drawLineMaskStrip();

inline constexpr int kIconCount = 25;
// "Icon16", "Icon24", "Icon32": kIconCount square cells of the given size.
QImage drawIconStrip(int size);
// "Icon32dis": the 32-pixel icons greyed for disabled buttons.
QImage drawDisabledIconStrip(int size);

}  // namespace zores
