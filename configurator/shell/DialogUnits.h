#pragma once
// The average character size of a font, from which dialogs built at run time
// take their dialog units (a quarter of the width, an eighth of the height).

#include <QFont>
#include <QSize>

namespace zo::configurator {

// Width of the 52 letters A to Z and a to z divided by 52 (whole pixels),
// and the height of that text.
QSize AverageCharSize(const QFont& font);

// a * b / c rounded to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c);

}  // namespace zo::configurator
