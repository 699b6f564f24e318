#include "kernel/SchemePaint.h"

#include "common/Canvas.h"
#include "common/MenObj.h"
#include "common/PictureMemory.h"
#include "common/Struct.h"
#include "kernel/BlockPrepare.h"
#include "kernel/Gesture.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "kernel/LinkDrawing.h"
#include "kernel/NetValues.h"
#include "kernel/OutsideLibraries.h"
#include "kernel/PaintedSheet.h"
#include "kernel/RepaintRequests.h"
#include "kernel/SheetIndex.h"
#include "kernel/Sheets.h"
#include "platform/Cp1251.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QRegion>
#include <QStaticText>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>
#include <string>
#include <unordered_map>

namespace zo::kernel {

namespace {

constexpr int32_t kRed = 0x0000FF;
constexpr int32_t kBlue = 0xFF0000;
constexpr int32_t kBlack = 0x000000;

float g_paintTime = 0;
uint64_t g_paintedPixels = 0;

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
// below, 2 left, 3 above; 1 and 3 turned by 90 degrees): its picture and the
// picture's top-left corner.
const TextCache::Entry& placeLabel(const TextCache::Style& style, int x, int y, const std::string& text, int side,
                                   QPoint& at) {
    const TPinLabelPlace place = PinLabelPlace(x, y, textWidth(style, text), style.font.pointSize(), side);
    const int tenths = int(std::lround(place.angle * 10));
    const TextCache::Entry& e = texts().get(style, text, tenths);
    // A cell turned by 90 degrees ends at the point: its text runs upwards from it.
    at = QPoint(place.x, tenths == 0 ? place.y : place.y - e.picture.height());
    return e;
}

void drawLabel(QPainter& canvas, const TextCache::Style& style, int x, int y, const std::string& text, int side) {
    QPoint at;
    const TextCache::Entry& e = placeLabel(style, x, y, text, side, at);
    canvas.drawImage(at, e.picture);
}

QRect labelBox(const TextCache::Style& style, int x, int y, const std::string& text, int side) {
    QPoint at;
    const TextCache::Entry& e = placeLabel(style, x, y, text, side, at);
    return QRect(at, e.picture.size());
}

// A rectangle of pixels that may lie far off the picture, cut to a margin round it.
QRect clampedBox(int64_t x, int64_t y, int64_t w, int64_t h, const QImage& image) {
    const int64_t l = std::max<int64_t>(x, -16), t = std::max<int64_t>(y, -16);
    const int64_t r = std::min<int64_t>(x + w, int64_t(image.width()) + 16);
    const int64_t b = std::min<int64_t>(y + h, int64_t(image.height()) + 16);
    if (r <= l || b <= t) return QRect();
    return QRect(int(l), int(t), int(r - l), int(b - t));
}

// A block picture on the canvas, clipped to the canvas. A picture without an
// alpha channel combines with the canvas by AND (its white leaves the canvas,
// its colours darken it); one with an alpha channel is drawn as a transparent
// picture: its opaque pixels replace the canvas, its transparent ones leave it.
void andPicture(QImage& canvas, int64_t x, int64_t y, const QImage& picture, const QRect& clip) {
    const bool masked = picture.hasAlphaChannel();
    const QImage::Format format = masked ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    const QImage source = picture.format() == format ? picture : picture.convertToFormat(format);
    const int64_t clipLeft = std::max(clip.left(), 0), clipTop = std::max(clip.top(), 0);
    const int64_t clipRight = std::min(int64_t(clip.right()) + 1, int64_t(canvas.width()));
    const int64_t clipBottom = std::min(int64_t(clip.bottom()) + 1, int64_t(canvas.height()));
    const int left = int(std::max<int64_t>(x, clipLeft)), top = int(std::max<int64_t>(y, clipTop));
    const int right = int(std::min<int64_t>(x + source.width(), clipRight));
    const int bottom = int(std::min<int64_t>(y + source.height(), clipBottom));
    const int n = right - left;
    for (int row = top; row < bottom; ++row) {
        QRgb* out = reinterpret_cast<QRgb*>(canvas.scanLine(row)) + left;
        const QRgb* in = reinterpret_cast<const QRgb*>(source.constScanLine(int(row - y))) + (left - x);
        if (masked) {
            for (int k = 0; k < n; ++k)
                if (qAlpha(in[k]) >= 128) out[k] = in[k] | 0xFF000000u;
        } else {
            for (int k = 0; k < n; ++k) out[k] = (out[k] & in[k]) | 0xFF000000u;
        }
    }
}

// Where the painter got to, for the failure line.
struct Progress {
    std::string block;
    int step = 0;
};

// The style of the block labels on a canvas whose font is font, made once a
// font (making it reads the font's whole description); kept where it was made,
// so a style in use stays as it is when another font asks for its own.
const TextCache::Style& labelStyle(const QFont& font) {
    static std::list<std::pair<QFont, TextCache::Style>> styles;
    for (const auto& [from, style] : styles)
        if (from == font) return style;
    QFont label = font;
    label.setPointSize(8);
    label.setBold(false);
    return styles.emplace_back(font, TextCache::Style(label, Qt::black)).second;
}

// The font a painter on a picture of the kernel starts with, found again when
// the application's font changes.
QFont pictureFont() {
    static QFont application, painter;
    static bool known = false;
    if (!known || !(QFont() == application)) {
        QImage probe(1, 1, QImage::Format_RGB32);
        QPainter canvas(&probe);
        painter = canvas.font();
        application = QFont();
        known = true;
    }
    return painter;
}

// Where a block's label goes: false when the block shows none.
struct LabelPlan {
    std::string text;
    int x = 0, y = 0, side = 0;
};
bool planLabel(const TBlockRecord& b, const TextCache::Style& style, LabelPlan& plan) {
    const int turn = turnOf(&b);
    if (turn < 0 || turn > 3) return false;
    if (!DisplayValue(&b, "Label", plan.text) || plan.text.empty()) plan.text.assign(b.Name, strnlen(b.Name, 60));
    const int w = textWidth(style, plan.text);
    const int64_t left = int64_t(b.Left) * kCellPixels, top = int64_t(b.Top) * kCellPixels;
    if (turn == 1 || turn == 3) {
        int64_t x = left - 2;
        const int64_t y = top + ((int64_t(b.Bottom) - b.Top) * kCellPixels - w) / 2 + 3;
        if (b.Left == b.Right) x -= 6;
        plan.x = int(x), plan.y = int(y), plan.side = 1;
    } else {
        const int64_t x = left + ((int64_t(b.Right) - b.Left) * kCellPixels - w) / 2 + 6;
        int64_t y = top;
        if (b.Top == b.Bottom) y -= 6;
        plan.x = int(x), plan.y = int(y), plan.side = 0;
    }
    return true;
}

class ScenePainter {
public:
    ScenePainter(TSheetRecord& sheet, QImage& image, Progress& progress)
        : sheet_(sheet), image_(image), progress_(progress) {
        dragging_ = DragOffsetOn(sheet.Name, dx_, dy_);
    }

    // What moves between paints.
    TSceneState Scene() const {
        TSceneState scene;
        scene.cellPixels = kCellPixels;
        scene.lineTypes = &State().lineTypes;
        scene.pictureGeneration = BlockPictureGeneration();
        scene.mode = State().mode;
        scene.visible = State().visibleOptions;
        scene.dragging = dragging_;
        scene.dx = dx_;
        scene.dy = dy_;
        scene.route = ownRoute() ? &State().layingLink : nullptr;
        const TGesture& g = Gesture();
        scene.band = g.areaSelecting && std::strcmp(g.downSheet, sheet_.Name) == 0;
        if (scene.band) {
            const int32_t corners[4] = {g.downX, g.downY, g.currentX, g.currentY};
            std::memcpy(scene.bandRect, corners, sizeof corners);
        }
        return scene;
    }

    // Where a block's label and picture lie, drawn moved by dx, dy cells.
    TBlockBoxes Boxes(const TBlockRecord& b, int32_t dx, int32_t dy, const TextCache::Style& style) const {
        TBlockBoxes boxes;
        LabelPlan plan;
        if (State().visibleOptions.ShowBlockNames && planLabel(b, style, plan)) boxes.label = labelBox(style, plan.x, plan.y, plan.text, plan.side);
        const int64_t x = (int64_t(b.Left) + dx) * kCellPixels, y = (int64_t(b.Top) + dy) * kCellPixels;
        const int64_t w = (int64_t(b.Right) - b.Left + 1) * kCellPixels, h = (int64_t(b.Bottom) - b.Top + 1) * kCellPixels;
        boxes.body = clampedBox(x, y, w, h, image_);
        if (const auto* picture = static_cast<const QImage*>(b.Picture); picture && !picture->isNull())
            boxes.body |= clampedBox(x, y, picture->width(), picture->height(), image_);
        return boxes;
    }

    // The grid, labels, connections, block pictures, frames and rubber band;
    // boxes gets every block's boxes.
    bool paintStatic(std::vector<TBlockBoxes>& boxes) {
        const int64_t width = int64_t(sheet_.Width) * kCellPixels, height = int64_t(sheet_.Height) * kCellPixels;
        // The picture of the last paint is painted over when it has the size.
        if (image_.width() != width || image_.height() != height || image_.format() != QImage::Format_RGB32)
            image_ = NewPicture(int(width), int(height));
        if (image_.isNull() && width > 0 && height > 0) return false;
        grid(image_.rect());
        QPainter canvas(&image_);
        labels(canvas, nullptr, &boxes);
        links(canvas, nullptr, nullptr);
        blocks(canvas, nullptr, nullptr, &boxes);
        band(canvas);
        return true;
    }

    // Only what lies in the region, from the looks' boxes (which are the
    // blocks' and connections' as they are now).
    void paintRegion(const QRegion& region, const TPaintedSheet& looks) {
        for (const QRect& r : region) grid(r);
        looks.Near(region.boundingRect(), nearBlocks_, nearLinks_);
        QPainter canvas(&image_);
        canvas.setClipRegion(region);
        labels(canvas, &region, nullptr, &looks);
        links(canvas, &region, &looks);
        blocks(canvas, &region, &looks, nullptr);
        band(canvas);
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

    // Some connection cell had no picture in the last pass.
    bool LinesFailed() const { return linesFailed_; }

private:
    bool ownRoute() const {
        const TMenObj& route = State().layingLink;
        return route.Count > 0 && SameSheetName(Gesture().downSheet, sheet_.Name);
    }

    // The background of the pixels of r, with a dot in the middle of every
    // cell outside debug mode when the display options show the grid.
    void grid(const QRect& r) {
        const QRect area = r.intersected(image_.rect());
        if (area.isEmpty()) return;
        const TVisibleOptions& visible = State().visibleOptions;
        const QRgb background = ToQRgb(ZO_FIELD(visible, BackColor));
        const QRgb dot = ToQRgb(ZO_FIELD(visible, GridColor));
        const bool dots = State().mode != kModeDebug && visible.ShowGrid != 0;
        const int half = kCellPixels / 2;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
            std::fill(line + area.left(), line + area.right() + 1, background);
            if (!dots || y % kCellPixels != half || y / kCellPixels >= sheet_.Height) continue;
            int x = area.left() - area.left() % kCellPixels + half;
            if (x < area.left()) x += kCellPixels;
            for (; x <= area.right() && x / kCellPixels < sheet_.Width; x += kCellPixels) line[x] = dot;
        }
    }

    // Every label, or those whose box meets the region; boxes, when given, gets each block's boxes.
    void labels(QPainter& canvas, const QRegion* region, std::vector<TBlockBoxes>* boxes,
                const TPaintedSheet* looks = nullptr) {
        const TextCache::Style& style = labelStyle(canvas.font());
        canvas.setFont(style.font);
        progress_.step = 0;
        if (boxes) boxes->assign(sheet_.Blocks->Count, TBlockBoxes{});
        if (!State().visibleOptions.ShowBlockNames) return;
        const size_t count = region ? nearBlocks_.size() : sheet_.Blocks->Count;
        for (size_t k = 0; k < count; ++k) {
            const uint16_t i = uint16_t(region ? nearBlocks_[k] : k);
            if (region && !meets(*region, looks->Boxes(i).label)) continue;
            const TBlockRecord* b = blockAt(&sheet_, i);
            progress_.block.assign(b->Name, strnlen(b->Name, 60));
            LabelPlan plan;
            if (!planLabel(*b, style, plan)) continue;
            drawLabel(canvas, style, plan.x, plan.y, plan.text, plan.side);
            if (boxes) (*boxes)[i].label = labelBox(style, plan.x, plan.y, plan.text, plan.side);
        }
        progress_.block.clear();
    }

    static bool meets(const QRegion& region, const QRect& box) {
        return !box.isEmpty() && region.boundingRect().intersects(box) && region.intersects(box);
    }

    void links(QPainter& canvas, const QRegion* region, const TPaintedSheet* looks) {
        const TMenObj* route = ownRoute() ? &State().layingLink : nullptr;
        linesFailed_ = false;
        if (!region) {
            TLinkDrawing drawing(canvas, sheet_.Links, route, dragging_, dx_, dy_);
            draw(drawing, route != nullptr);
            return;
        }
        std::vector<int32_t> taken;
        for (const uint32_t i : nearLinks_)
            if (meets(*region, looks->LinkBox(i))) taken.push_back(int32_t(i));
        const QRect r = region->boundingRect();
        const TZoRect cells{r.left() / kCellPixels, r.top() / kCellPixels, r.right() / kCellPixels,
                            r.bottom() / kCellPixels};
        TLinkDrawing drawing(canvas, sheet_.Links, route, dragging_, dx_, dy_, taken, cells);
        draw(drawing, route != nullptr);
    }

    void draw(TLinkDrawing& drawing, bool route) {
        drawing.DrawAllEnds();
        drawing.DrawAllBodies();
        if (route) drawing.DrawRoute();
        linesFailed_ = drawing.Failed();
        if (linesFailed_) LogLineCellFailure();
    }

    void blocks(QPainter& canvas, const QRegion* region, const TPaintedSheet* looks, std::vector<TBlockBoxes>* boxes) {
        const bool select = State().mode == kModeSelect;
        const size_t count = region ? nearBlocks_.size() : sheet_.Blocks->Count;
        for (size_t k = 0; k < count; ++k) {
            const uint16_t i = uint16_t(region ? nearBlocks_[k] : k);
            if (region && !meets(*region, looks->Boxes(i).body)) continue;
            const TBlockRecord* b = blockAt(&sheet_, i);
            const bool moved = dragging_ && b->Selected;
            const int64_t x = (int64_t(b->Left) + (moved ? dx_ : 0)) * kCellPixels;
            const int64_t y = (int64_t(b->Top) + (moved ? dy_ : 0)) * kCellPixels;
            const int64_t w = (int64_t(b->Right) - b->Left + 1) * kCellPixels;
            const int64_t h = (int64_t(b->Bottom) - b->Top + 1) * kCellPixels;
            // A block without a picture (no graphic library) has nothing to draw.
            const auto* picture = static_cast<const QImage*>(b->Picture);
            if (picture && picture->isNull()) picture = nullptr;
            if (picture && region) {
                for (const QRect& r : *region) andPicture(image_, x, y, *picture, r);
            } else if (picture) {
                andPicture(image_, x, y, *picture, image_.rect());
            }
            if (select && b->Selected)
                DrawSelectionRect(canvas, TZoRect{int32_t(x), int32_t(y), int32_t(x + w), int32_t(y + h)}, kRed);
            if (boxes) {
                (*boxes)[i].body = clampedBox(x, y, w, h, image_);
                if (picture) (*boxes)[i].body |= clampedBox(x, y, picture->width(), picture->height(), image_);
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
    bool linesFailed_ = false;
    std::vector<uint32_t> nearBlocks_, nearLinks_;  // what may reach into the region painted
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

uint64_t areaOf(const QRegion& region) {
    uint64_t area = 0;
    for (const QRect& r : region) area += uint64_t(r.width()) * uint64_t(r.height());
    return area;
}

// The sheet outside debug mode: when the kept picture shows this sheet painted
// this way, only the pixels the changes since touched are painted again.
bool paintScene(TSheetRecord& sheet, QImage& image, ScenePainter& painter) {
    TPaintedSheet& looks = State().paintedSheet;
    const TSceneState scene = painter.Scene();
    const QFont font;
    if (looks.Fits(sheet, scene, font, image.cacheKey())) {
        const TextCache::Style& style = labelStyle(pictureFont());
        std::vector<QRect> dirty;
        looks.Update(
            sheet, scene,
            [&painter, &style](const TBlockRecord& b, int32_t dx, int32_t dy) { return painter.Boxes(b, dx, dy, style); },
            dirty);
        QRegion region;
        for (const QRect& r : dirty) region += r.intersected(image.rect());
        g_paintedPixels = areaOf(region);
        if (region.isEmpty()) return true;
        // Most of the picture: painted whole, which walks the sheet once.
        if (g_paintedPixels * 2 <= uint64_t(image.width()) * uint64_t(image.height())) {
            painter.paintRegion(region, looks);
            looks.SetPictureKey(image.cacheKey(), painter.LinesFailed());
            return true;
        }
    }
    std::vector<TBlockBoxes> boxes;
    g_paintedPixels = uint64_t(sheet.Width) * sheet.Height * kCellPixels * kCellPixels;
    if (!painter.paintStatic(boxes)) {
        looks.Forget();
        return false;
    }
    looks.Take(sheet, scene, font, boxes);
    looks.SetPictureKey(image.cacheKey(), painter.LinesFailed());
    return true;
}

int32_t paint(const char* sheetName, void** bitmap, Progress& progress) {
    const auto started = std::chrono::steady_clock::now();
    if (!bitmap || *bitmap) return kPaintBadBitmap;
    FollowPinNamesOption();
    QImage& image = State().paintBitmap;
    *bitmap = &image;
    TSheetRecord* sheet = FindSheet(sheetName);
    if (!sheet || !sheet->Blocks || !sheet->Links) {
        image = QImage();
        return sheet ? kPaintNoRecord : kPaintNoSheet;
    }
    EnsureBlockPictures(*sheet);
    const bool debug = State().mode == kModeDebug;
    if (!debug && sheet->Picture) {
        delete static_cast<QImage*>(sheet->Picture);
        sheet->Picture = nullptr;
    }
    ScenePainter painter(*sheet, image, progress);
    if (!debug) {
        if (!paintScene(*sheet, image, painter)) return kPaintFailed;
    } else {
        // The static part is kept in the sheet's Picture instead.
        State().paintedSheet.Forget();
        std::vector<TBlockBoxes> boxes;
        g_paintedPixels = uint64_t(sheet->Width) * sheet->Height * kCellPixels * kCellPixels;
        if (sheet->Picture) image = *static_cast<const QImage*>(sheet->Picture);
        else if (!painter.paintStatic(boxes)) return kPaintFailed;
    }
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
uint64_t LastPaintedPixels() { return g_paintedPixels; }

void ForgetPaintedPictures() {
    State().paintedSheet.Forget();
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
    if (StateExists()) State().paintedSheet.Forget();
    Log("Paint schem " + Q + (sheetName ? sheetName : "") + "   " + progress.block + Q + " Error - " +
            std::to_string(progress.step),
        kLogError);
    return kPaintFailed;
}
