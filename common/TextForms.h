#pragma once
// The one-line text forms in which the property inspector keeps its fonts,
// brushes and pens. Fields are separated by "|":
//   font:  color|height|name|pitch|pixels per inch|size|BIUS
//          (BIUS: four letters "y" or "n" for bold, italic, underline, strike-out)
//   brush: color|style        pen: color|style
// Colours are the system's 0x00BBGGRR values (system colours 0xFF0000nn) as
// signed decimal integers; pitch and styles are the ordinals of the tables in
// TextForms.cpp (0 default, 1 variable, 2 fixed; brush 0 solid .. 7 diagonal
// cross; pen 0 solid .. 6 inside frame), never the toolkit's enum values.
// Texts are Windows-1251.
//
// A parse reads every field first and changes the object only when all of
// them are good: a failed parse (-1) leaves it as it was.

#include <QBrush>
#include <QFont>
#include <QPen>

#include <cstdint>
#include <string>

namespace zo {

// A font with what QFont does not carry: its colour, pitch ordinal and the
// resolution its height is counted in.
struct TTextFont {
    QFont font;
    int32_t color = 0;          // 0x00BBGGRR
    int pitch = 0;              // 0 default, 1 variable, 2 fixed
    int pixelsPerInch = 96;
};

// The texts; empty for a nil object.
std::string FontToStr(const TTextFont* font);
std::string BrushToStr(const QBrush* brush);
std::string PenToStr(const QPen* pen);

// 0, or -1 when a field does not convert (or is out of range: a size or
// height of 0 or below, a resolution of 0 or below, an unknown pitch or
// style); then nothing is changed. Empty fields keep the object's value.
int StrToFont(const std::string& text, TTextFont& font);
int StrToBrush(const std::string& text, QBrush& brush);
int StrToPen(const std::string& text, QPen& pen);

}  // namespace zo
