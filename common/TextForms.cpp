#include "common/TextForms.h"

#include "common/Canvas.h"
#include "common/ConvStr.h"
#include "platform/Cp1251.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace zo {

namespace {

// Style ordinals of the text forms and the toolkit's styles they stand for.
const Qt::BrushStyle kBrushStyles[] = {
    Qt::SolidPattern,  // 0 solid
    Qt::NoBrush,       // 1 clear
    Qt::HorPattern,    // 2 horizontal
    Qt::VerPattern,    // 3 vertical
    Qt::FDiagPattern,  // 4 forward diagonal
    Qt::BDiagPattern,  // 5 backward diagonal
    Qt::CrossPattern,  // 6 cross
    Qt::DiagCrossPattern,  // 7 diagonal cross
};
const Qt::PenStyle kPenStyles[] = {
    Qt::SolidLine,       // 0 solid
    Qt::DashLine,        // 1 dash
    Qt::DotLine,         // 2 dot
    Qt::DashDotLine,     // 3 dash dot
    Qt::DashDotDotLine,  // 4 dash dot dot
    Qt::NoPen,           // 5 clear
    Qt::SolidLine,       // 6 inside frame: drawn solid (read back as 0)
};

template <typename Style, size_t N>
int ordinalOf(const Style (&table)[N], Style style) {
    for (size_t i = 0; i < N; ++i)
        if (table[i] == style) return int(i);
    return 0;
}

// A decimal integer, or nothing when the whole field is not one.
std::optional<int32_t> number(const std::string& field) {
    int32_t value = 0;
    const char* begin = field.data();
    const char* end = begin + field.size();
    if (begin != end && *begin == '+') ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || begin == end) return std::nullopt;
    return value;
}

std::string field(const std::string& text, int n) { return GetDelimField(text, '|', n); }

struct ColorStyle {
    std::optional<int32_t> color;
    std::optional<int32_t> style;
};

// Both fields of a brush or pen text, or nothing when one does not convert or
// the style is not in a table of count entries.
std::optional<ColorStyle> parseColorStyle(const std::string& text, int count) {
    ColorStyle out;
    const std::string color = field(text, 1);
    const std::string style = field(text, 2);
    if (!color.empty() && !(out.color = number(color))) return std::nullopt;
    if (!style.empty()) {
        out.style = number(style);
        if (!out.style || *out.style < 0 || *out.style >= count) return std::nullopt;
    }
    return out;
}

std::string colorStyleText(const QColor& color, int style) {
    return std::to_string(FromQColor(color)) + "|" + std::to_string(style);
}

}  // namespace

std::string FontToStr(const TTextFont* font) {
    if (!font) return {};
    const QFont& f = font->font;
    const double points = f.pointSizeF() > 0 ? f.pointSizeF() : f.pixelSize() * 72.0 / font->pixelsPerInch;
    const int size = int(std::lround(points));
    const int height = -int(std::lround(points * font->pixelsPerInch / 72.0));
    std::string styles;
    for (bool on : {f.bold(), f.italic(), f.underline(), f.strikeOut()}) styles += on ? 'y' : 'n';
    return std::to_string(font->color) + "|" + std::to_string(height) + "|" + platform::qstringToCp1251(f.family()) +
           "|" + std::to_string(font->pitch) + "|" + std::to_string(font->pixelsPerInch) + "|" + std::to_string(size) +
           "|" + styles;
}

int StrToFont(const std::string& text, TTextFont& font) {
    std::optional<int32_t> values[6];
    for (int n : {1, 2, 4, 5, 6}) {
        const std::string f = field(text, n);
        if (f.empty()) continue;
        values[n - 1] = number(f);
        if (!values[n - 1]) return -1;
    }
    const std::optional<int32_t>& height = values[1];
    const std::optional<int32_t>& pitch = values[3];
    const std::optional<int32_t>& ppi = values[4];
    const std::optional<int32_t>& size = values[5];
    if (height && *height == 0) return -1;
    if (pitch && (*pitch < 0 || *pitch > 2)) return -1;
    if (ppi && *ppi <= 0) return -1;
    if (size && *size <= 0) return -1;

    // Every field is good: apply them in their order.
    if (values[0]) font.color = *values[0];
    if (height) font.font.setPointSizeF(std::abs(double(*height)) * 72.0 / font.pixelsPerInch);
    const std::string name = field(text, 3);
    if (!name.empty()) font.font.setFamily(platform::cp1251ToQString(name));
    if (pitch) {
        font.pitch = *pitch;
        font.font.setFixedPitch(*pitch == 2);
    }
    if (ppi) font.pixelsPerInch = *ppi;
    if (size) font.font.setPointSize(*size);
    const std::string styles = field(text, 7);
    if (!styles.empty()) {
        auto on = [&](size_t i) { return i < styles.size() && styles[i] == 'y'; };
        font.font.setBold(on(0));
        font.font.setItalic(on(1));
        font.font.setUnderline(on(2));
        font.font.setStrikeOut(on(3));
    }
    return 0;
}

std::string BrushToStr(const QBrush* brush) {
    if (!brush) return {};
    return colorStyleText(brush->color(), ordinalOf(kBrushStyles, brush->style()));
}

int StrToBrush(const std::string& text, QBrush& brush) {
    const auto parsed = parseColorStyle(text, int(std::size(kBrushStyles)));
    if (!parsed) return -1;
    if (parsed->color) brush.setColor(ToQColor(*parsed->color));
    if (parsed->style) brush.setStyle(kBrushStyles[*parsed->style]);
    return 0;
}

std::string PenToStr(const QPen* pen) {
    if (!pen) return {};
    return colorStyleText(pen->color(), ordinalOf(kPenStyles, pen->style()));
}

int StrToPen(const std::string& text, QPen& pen) {
    const auto parsed = parseColorStyle(text, int(std::size(kPenStyles)));
    if (!parsed) return -1;
    if (parsed->color) pen.setColor(ToQColor(*parsed->color));
    if (parsed->style) pen.setStyle(kPenStyles[*parsed->style]);
    return 0;
}

}  // namespace zo
