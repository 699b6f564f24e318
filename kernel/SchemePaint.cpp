#include "kernel/SchemePaint.h"

#include "common/Canvas.h"
#include "common/MenObj.h"
#include "common/Struct.h"
#include "kernel/Gesture.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "kernel/LinkDrawing.h"
#include "kernel/NetValues.h"
#include "kernel/OutsideLibraries.h"
#include "kernel/RepaintRequests.h"
#include "kernel/SheetIndex.h"
#include "kernel/Sheets.h"
#include "platform/Cp1251.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QStaticText>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>

namespace zo::kernel {

namespace {

constexpr QRgb kBackground = 0xFFB0B0B0u;
constexpr QRgb kDot = 0xFF000000u;
constexpr int32_t kRed = 0x0000FF;
constexpr int32_t kBlue = 0xFF0000;
constexpr int32_t kBlack = 0x000000;

float g_paintTime = 0;

const TBlockRecord* blockAt(const TSheetRecord* sheet, uint16_t i) {
    return static_cast<const TBlockRecord*>(sheet->Blocks->GetItem(i));
}

// Turn of a block, -1 when it has no "Turn" parameter.
int turnOf(const TBlockRecord* block) {
    std::string text;
    if (!DisplayValue(block, "Turn", text)) return -1;
    return std::atoi(text.c_str());
}

// Texts drawn once into small transparent pictures and kept for the next
// paints (block names, labels and values rarely change), by font, colour,
// turn and text.
class TextCache {
public:
    struct Entry {
        QImage picture;  // the text cell, turned when the angle is not 0
        int width = 0;   // the text's width unturned
    };
    // The font and colour of a run of texts, with their part of the key.
    struct Style {
        QFont font;
        QColor colour;
        std::string key;
        Style(const QFont& f, const QColor& c)
            : font(f), colour(c), key(f.key().toStdString() + '\n' + std::to_string(c.rgb()) + '\n') {}
    };
    const Entry& get(const Style& style, const std::string& text, int tenths) {
        key_.assign(style.key).append(std::to_string(tenths)).append(1, '\n').append(text);
        auto it = entries_.find(key_);
        if (it != entries_.end()) return it->second;
        if (entries_.size() >= kLimit) entries_.clear();
        return entries_.emplace(key_, make(style, text, tenths)).first->second;
    }

private:
    static Entry make(const Style& style, const std::string& text, int tenths) {
        Entry e;
        const QString q = platform::cp1251ToQString(text);
        const QFontMetrics metrics(style.font);
        e.width = metrics.horizontalAdvance(q);
        QImage cell(std::max(e.width, 1), std::max(metrics.height(), 1), QImage::Format_ARGB32_Premultiplied);
        cell.fill(Qt::transparent);
        {
            QPainter p(&cell);
            p.setFont(style.font);
            p.setPen(style.colour);
            p.drawText(QPoint(0, metrics.ascent()), q);
        }
        // Turned counter-clockwise on the screen about the cell's top-left corner.
        e.picture = tenths == 0 ? cell : cell.transformed(QTransform().rotate(-tenths / 10.0));
        return e;
    }

    static constexpr size_t kLimit = 8192;
    std::unordered_map<std::string, Entry> entries_;
    std::string key_;
};

// Kept while the kernel library is loaded: plain pictures, freed with it.
TextCache& texts() {
    static TextCache cache;
    return cache;
}

int textWidth(const TextCache::Style& style, const std::string& text) { return texts().get(style, text, 0).width; }

// A text beside a point, placed as DrawPinLabel places it (side 0 right, 1
// below, 2 left, 3 above; 1 and 3 turned by 90 degrees).
void drawLabel(QPainter& canvas, const TextCache::Style& style, int x, int y, const std::string& text, int side) {
    const TPinLabelPlace place = PinLabelPlace(x, y, textWidth(style, text), style.font.pointSize(), side);
    const int tenths = int(std::lround(place.angle * 10));
    const TextCache::Entry& e = texts().get(style, text, tenths);
    // A cell turned by 90 degrees ends at the point: its text runs upwards from it.
    const int top = tenths == 0 ? place.y : place.y - e.picture.height();
    canvas.drawImage(QPoint(place.x, top), e.picture);
}

// A block picture combined with the canvas by AND (the picture's white
// leaves the canvas, its colours darken it), clipped to the canvas.
void andPicture(QImage& canvas, int64_t x, int64_t y, const QImage& picture) {
    const QImage source = picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
                              ? picture
                              : picture.convertToFormat(QImage::Format_RGB32);
    const int left = int(std::max<int64_t>(x, 0)), top = int(std::max<int64_t>(y, 0));
    const int right = int(std::min<int64_t>(x + source.width(), canvas.width()));
    const int bottom = int(std::min<int64_t>(y + source.height(), canvas.height()));
    const int n = right - left;
    for (int row = top; row < bottom; ++row) {
        QRgb* out = reinterpret_cast<QRgb*>(canvas.scanLine(row)) + left;
        const QRgb* in = reinterpret_cast<const QRgb*>(source.constScanLine(int(row - y))) + (left - x);
        for (int k = 0; k < n; ++k) out[k] = (out[k] & in[k]) | 0xFF000000u;
    }
}

// Where the painter got to, for the failure line.
struct Progress {
    std::string block;
    int step = 0;
};

class ScenePainter {
public:
    ScenePainter(TSheetRecord& sheet, QImage& image, Progress& progress)
        : sheet_(sheet), image_(image), progress_(progress) {
        dragging_ = DragOffsetOn(sheet.Name, dx_, dy_);
    }

    // The grid, labels, connections, block pictures, frames and rubber band.
    bool paintStatic() {
        const int64_t width = int64_t(sheet_.Width) * kCellPixels, height = int64_t(sheet_.Height) * kCellPixels;
        // The picture of the last paint is painted over when it has the size.
        if (image_.width() != width || image_.height() != height || image_.format() != QImage::Format_RGB32)
            image_ = QImage(int(width), int(height), QImage::Format_RGB32);
        if (image_.isNull() && width > 0 && height > 0) return false;
        grid();
        QPainter canvas(&image_);
        labels(canvas);
        links(canvas);
        blocks(canvas);
        band(canvas);
        return true;
    }

    // The values of the pins (debug mode).
    void paintValues() {
        QPainter canvas(&image_);
        QFont font = canvas.font();
        font.setPointSize(8);
        font.setBold(true);
        canvas.setFont(font);
        canvas.setBrush(Qt::NoBrush);
        const ValueStyles styles{TextCache::Style(font, ToQColor(kRed)), TextCache::Style(font, ToQColor(kBlack)),
                                 TextCache::Style(font, ToQColor(kBlue))};
        for (uint16_t i = 0; i < sheet_.Blocks->Count; ++i) blockValues(canvas, styles, blockAt(&sheet_, i));
        progress_.step = 6;
    }

private:
    void grid() {
        image_.fill(kBackground);
        if (State().mode == kModeDebug) return;
        for (int r = 0; r < sheet_.Height; ++r) {
            auto* line = reinterpret_cast<QRgb*>(image_.scanLine(r * kCellPixels + kCellPixels / 2));
            for (int c = 0; c < sheet_.Width; ++c) line[c * kCellPixels + kCellPixels / 2] = kDot;
        }
    }

    void labels(QPainter& canvas) {
        QFont font = canvas.font();
        font.setPointSize(8);
        font.setBold(false);
        canvas.setFont(font);
        const TextCache::Style style(font, Qt::black);
        progress_.step = 0;
        for (uint16_t i = 0; i < sheet_.Blocks->Count; ++i) {
            const TBlockRecord* b = blockAt(&sheet_, i);
            progress_.block.assign(b->Name, strnlen(b->Name, 60));
            const int turn = turnOf(b);
            if (turn < 0 || turn > 3) continue;
            std::string text;
            if (!DisplayValue(b, "Label", text) || text.empty()) text = progress_.block;
            const int w = textWidth(style, text);
            const int64_t left = int64_t(b->Left) * kCellPixels, top = int64_t(b->Top) * kCellPixels;
            if (turn == 1 || turn == 3) {
                int64_t x = left - 2;
                const int64_t y = top + ((int64_t(b->Bottom) - b->Top) * kCellPixels - w) / 2 + 3;
                if (b->Left == b->Right) x -= 6;
                drawLabel(canvas, style, int(x), int(y), text, 1);
            } else {
                const int64_t x = left + ((int64_t(b->Right) - b->Left) * kCellPixels - w) / 2 + 6;
                int64_t y = top;
                if (b->Top == b->Bottom) y -= 6;
                drawLabel(canvas, style, int(x), int(y), text, 0);
            }
        }
        progress_.block.clear();
    }

    void links(QPainter& canvas) {
        const TGesture& g = Gesture();
        const TMenObj& route = State().layingLink;
        const bool ownRoute = route.Count > 0 && SameSheetName(g.downSheet, sheet_.Name);
        TLinkDrawing drawing(canvas, sheet_.Links, ownRoute ? &route : nullptr, dragging_, dx_, dy_);
        drawing.DrawAllEnds();
        drawing.DrawAllBodies();
        if (ownRoute) drawing.DrawRoute();
        if (drawing.Failed()) LogLineCellFailure();
    }

    void blocks(QPainter& canvas) {
        const bool select = State().mode == kModeSelect;
        for (uint16_t i = 0; i < sheet_.Blocks->Count; ++i) {
            const TBlockRecord* b = blockAt(&sheet_, i);
            const bool moved = dragging_ && b->Selected;
            const int64_t x = (int64_t(b->Left) + (moved ? dx_ : 0)) * kCellPixels;
            const int64_t y = (int64_t(b->Top) + (moved ? dy_ : 0)) * kCellPixels;
            // A block without a picture (no graphic library) has nothing to draw.
            if (const auto* picture = static_cast<const QImage*>(b->Picture); picture && !picture->isNull())
                andPicture(image_, x, y, *picture);
            if (select && b->Selected) {
                const int64_t w = (int64_t(b->Right) - b->Left + 1) * kCellPixels;
                const int64_t h = (int64_t(b->Bottom) - b->Top + 1) * kCellPixels;
                DrawSelectionRect(canvas, TZoRect{int32_t(x), int32_t(y), int32_t(x + w), int32_t(y + h)}, kRed);
            }
        }
    }

    void band(QPainter& canvas) {
        const TGesture& g = Gesture();
        if (!g.areaSelecting || std::strcmp(g.downSheet, sheet_.Name) != 0) return;
        DrawXorRect(TZoRect{g.downX, g.downY, g.currentX, g.currentY}, &canvas);
    }

    struct ValueStyles {
        TextCache::Style red, black, blue;
    };

    void blockValues(QPainter& canvas, const ValueStyles& styles, const TBlockRecord* b) {
        progress_.block.assign(b->Name, strnlen(b->Name, 60));
        progress_.step = 1;
        const auto* s = static_cast<const TStruct*>(b->Block.Struct);
        const int turn = turnOf(b);
        if (!s || !b->Block.Data || !b->Pins || turn < 0 || turn > 3) return;
        for (uint16_t k = 0; k < b->Pins->Count; ++k) {
            progress_.step = 2;
            TPinRecord pin;
            std::memcpy(&pin, b->Pins->GetItem(k), sizeof pin);
            const TStructItem* field = s->GetItem(pin.FieldIndex);
            if (!field) continue;
            const bool in = std::strcmp(field->Kind, "IN") == 0, out = std::strcmp(field->Kind, "OUT") == 0;
            if (!in && !out) continue;
            const std::string stored = s->GetValue(b->Block.Data, pin.FieldIndex);
            char* end = nullptr;
            const long net = std::strtol(stored.c_str(), &end, 10);
            if (stored.empty() || *end || net >= 65535) continue;
            progress_.step = 3;
            std::string text = ZO_RU("НЕТ");
            uint32_t tag = 0;
            bool tagged = false;
            if (net >= 0 && net < NetValueCount()) tagged = GetNetValue(int(net), text, tag);
            if (!tagged) text = ZO_RU("НЕТ");
            progress_.step = 4;
            int32_t colour = (text == ZO_RU("нет") || text == ZO_RU("НЕТ") || text == "err") ? kRed : kBlack;
            if (tagged && NetTagStatus(tag) == 0) colour = kBlue;
            const TextCache::Style& style =
                colour == kRed ? styles.red : colour == kBlue ? styles.blue : styles.black;
            progress_.step = 5;
            const int px = (pin.X + b->Left) * kCellPixels, py = (pin.Y + b->Top) * kCellPixels;
            static const int kIn[4][2] = {{4, 0}, {-2, 3}, {8, 0}, {-2, 8}};
            static const int kOut[4][2] = {{8, 0}, {-2, 8}, {4, 0}, {-2, 3}};
            const int(&at)[2] = in ? kIn[turn] : kOut[turn];
            drawLabel(canvas, style, px + at[0], py + at[1], text, in ? turn + 2 : turn);
        }
    }

    TSheetRecord& sheet_;
    QImage& image_;
    Progress& progress_;
    bool dragging_ = false;
    int32_t dx_ = 0, dy_ = 0;
};

void drawTiming(QImage& image, float seconds) {
    char ms[32];
    std::snprintf(ms, sizeof ms, "%.3f", double(seconds) * 1000.0);
    const std::string text = "cycle: " + std::to_string(RepaintCount()) + "  time: " + ms + " ms";
    QPainter canvas(&image);
    canvas.setPen(Qt::black);
    canvas.setBrush(Qt::NoBrush);
    const QFontMetrics metrics(canvas.font(), &image);
    const QString q = platform::cp1251ToQString(text);
    TextOutAngle(canvas, image.width() - metrics.horizontalAdvance(q), image.height() - metrics.height(), text, 0);
}

bool debugLayerWanted() { return State().mode == kModeDebug && DebugOptions() && State().convertOptions; }

int32_t paint(const char* sheetName, void** bitmap, Progress& progress) {
    const auto started = std::chrono::steady_clock::now();
    if (!bitmap || *bitmap) return kPaintBadBitmap;
    QImage& image = State().paintBitmap;
    *bitmap = &image;
    TSheetRecord* sheet = FindSheet(sheetName);
    if (!sheet || !sheet->Blocks || !sheet->Links) {
        image = QImage();
        return sheet ? kPaintNoRecord : kPaintNoSheet;
    }
    const bool debug = State().mode == kModeDebug;
    if (!debug && sheet->Picture) {
        delete static_cast<QImage*>(sheet->Picture);
        sheet->Picture = nullptr;
    }
    ScenePainter painter(*sheet, image, progress);
    if (sheet->Picture) image = *static_cast<const QImage*>(sheet->Picture);
    else if (!painter.paintStatic()) return kPaintFailed;
    if (debugLayerWanted()) {
        if (!sheet->Picture) sheet->Picture = new QImage(image.copy());
        if (TakeRepaintRequest()) RefreshNetValues();
        painter.paintValues();
    }
    g_paintTime = std::chrono::duration<float>(std::chrono::steady_clock::now() - started).count();
    if (debug) drawTiming(image, g_paintTime);
    return kSchemePainted;
}

}  // namespace

float LastPaintTime() { return g_paintTime; }

void ForgetPaintedPictures() {
    TMenObj& sheets = State().sheets;
    for (uint16_t i = 0; i < sheets.Count; ++i) {
        auto* sheet = static_cast<TSheetRecord*>(sheets.GetItem(i));
        delete static_cast<QImage*>(sheet->Picture);
        sheet->Picture = nullptr;
    }
}

}  // namespace zo::kernel

using namespace zo::kernel;

extern "C" int32_t PaintScheme(const char* sheetName, void** bitmap) {
    Progress progress;
    try {
        const int32_t result = paint(sheetName, bitmap, progress);
        if (result != kPaintFailed) return result;
    } catch (...) {
    }
    Log("Paint schem " + Q + (sheetName ? sheetName : "") + "   " + progress.block + Q + " Error - " +
            std::to_string(progress.step),
        kLogError);
    return kPaintFailed;
}
