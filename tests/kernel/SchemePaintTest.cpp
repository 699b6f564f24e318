#include "EditingFixture.h"

#include "common/Canvas.h"
#include "common/Geometry.h"
#include "common/ImageList.h"
#include "common/MenObj.h"
#include "common/Struct.h"
#include "common/abi/AbiLayout.h"
#include "kernel/BlockEdits.h"
#include "kernel/Connections.h"
#include "kernel/Gesture.h"
#include "kernel/KernelState.h"
#include "kernel/LineTypes.h"
#include "kernel/OutsideLibraries.h"
#include "kernel/RepaintRequests.h"
#include "kernel/SchemePaint.h"

#include <QPainter>

using namespace zo;
using namespace zo::kernel;
using namespace zo::test;

namespace {

constexpr QRgb kGrey = 0xFFB0B0B0u;

class SchemePaint : public EditingFixture {
protected:
    void SetUp() override {
        EditingFixture::SetUp();
        addSheet("S", 40, 30);
        addSheet("T", 20, 10);
        State().mode = kModeSelect;
    }
    // Paints a sheet and copies the picture.
    QImage paint(const char* name, int32_t* result = nullptr) {
        void* bitmap = nullptr;
        const int32_t r = PaintScheme(name, &bitmap);
        if (result) *result = r;
        EXPECT_EQ(bitmap, static_cast<void*>(&State().paintBitmap));
        return bitmap ? static_cast<const QImage*>(bitmap)->copy() : QImage();
    }
    static QImage cell(const QImage& image, int cx, int cy) { return image.copy(cx * 12, cy * 12, 12, 12); }
    // An empty grid cell: grey with the black dot at its centre (or none).
    static QImage gridCell(bool dot = true) {
        QImage c(12, 12, QImage::Format_RGB32);
        c.fill(kGrey);
        if (dot) c.setPixel(6, 6, 0xFF000000u);
        return c;
    }
    // A grid cell with connection images of line type 0 drawn on it.
    static QImage lineCell(std::initializer_list<int> indexes) {
        QImage c = gridCell();
        QPainter canvas(&c);
        TImageList* images = LineTypeImages(State().lineTypes.GetItem(0));
        for (int i : indexes) images->Draw(canvas, 0, 0, i);
        return c;
    }
    static int count(const QImage& image, QRgb colour) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) n += (image.pixel(x, y) | 0xFF000000u) == colour;
        return n;
    }
};

}  // namespace

TEST_F(SchemePaint, ArgumentsAndSheetLookup) {
    QImage dummy;
    void* bitmap = &dummy;
    EXPECT_EQ(PaintScheme("S", &bitmap), -1);
    EXPECT_EQ(bitmap, static_cast<void*>(&dummy));
    EXPECT_EQ(PaintScheme("S", nullptr), -1);
    bitmap = nullptr;
    EXPECT_EQ(PaintScheme("nope", &bitmap), -2);
    bitmap = nullptr;
    EXPECT_EQ(PaintScheme(nullptr, &bitmap), -2);
    TSheetRecord* t = sheet("T");
    TMenObj* links = t->Links;
    t->Links = nullptr;
    bitmap = nullptr;
    EXPECT_EQ(PaintScheme("T", &bitmap), -3);
    t->Links = links;
}

TEST_F(SchemePaint, GridHasADotInEveryCell) {
    int32_t result = 1;
    const QImage image = paint("S", &result);
    ASSERT_EQ(result, 0);
    EXPECT_EQ(image.width(), 480);
    EXPECT_EQ(image.height(), 360);
    for (int cy : {0, 7, 29})
        for (int cx : {0, 13, 39}) EXPECT_EQ(cell(image, cx, cy), gridCell()) << cx << "," << cy;
    EXPECT_EQ(paint("t").size(), QSize(240, 120));  // names ignore Latin case
}

TEST_F(SchemePaint, ConnectionsAreDrawnCellByCell) {
    addLink("S", 2, 3, 8, 3);
    addLink("S", 8, 3, 8, 9);
    addLink("S", 5, 1, 5, 6);  // crosses the first
    const QImage image = paint("S");
    EXPECT_EQ(cell(image, 2, 3), lineCell({4 - 1}));
    EXPECT_EQ(cell(image, 3, 3), lineCell({5 - 1}));
    EXPECT_EQ(cell(image, 8, 3), lineCell({1 + 8 - 1}));  // corner: from the left, downwards
    EXPECT_EQ(cell(image, 8, 6), lineCell({10 - 1}));
    EXPECT_EQ(cell(image, 8, 9), lineCell({2 - 1}));
    EXPECT_EQ(cell(image, 5, 3), lineCell({5 - 1, 16 - 1}));
}

TEST_F(SchemePaint, CellsWithoutImagesAreLoggedOncePerPaint) {
    for (int i = 0; i < 5; ++i) addLink("S", 1, 2 + i, 9, 2 + i);
    ClearLineTypes(&State().lineTypes);
    log_.lines.clear();
    int32_t result = 1;
    paint("S", &result);
    EXPECT_EQ(result, 0);
    int lines = 0;
    for (const LogLine& l : log_.lines) lines += l.text == "Ошибка копирования фрагмента соеденительной линии";
    EXPECT_EQ(lines, 1);
}

TEST_F(SchemePaint, BlockPicturesCombineWithTheGridAndSelectedOnesAreFramed) {
    const int a = addBlock("S", "AND", 3, 4);
    TBlockRecord* b = block("S", a);
    void* const library = b->Picture;
    const auto* picture = static_cast<const QImage*>(library);
    ASSERT_NE(picture, nullptr);
    ASSERT_TRUE(picture->hasAlphaChannel());
    // The same picture without its mask, white where it was transparent.
    QImage plain(picture->size(), QImage::Format_RGB32);
    plain.fill(Qt::white);
    QPainter(&plain).drawImage(0, 0, *picture);
    const QImage masked = *picture;
    const int h = picture->height() - 12;
    // Every pixel of the block's place (below the first row, which the block's
    // label may reach into): a masked picture covers the grid with its opaque
    // pixels and leaves it under its transparent ones; a plain one is ANDed with it.
    // The records are written here as the kernel's own code writes them: the
    // block is noted for the painter.
    const TMenObj* blocks = sheet("S")->Blocks;
    for (const QImage* drawn : {static_cast<const QImage*>(&masked), static_cast<const QImage*>(&plain)}) {
        b->Picture = const_cast<QImage*>(drawn);
        BlockEdits().Note(blocks, uint16_t(a));
        const QImage image = paint("S");
        QImage expected(drawn->size(), QImage::Format_RGB32);
        for (int y = 0; y < expected.height(); ++y)
            for (int x = 0; x < expected.width(); ++x) {
                const QRgb grid = ((x % 12) == 6 && (y % 12) == 6) ? 0xFF000000u : kGrey;
                const QRgb p = drawn->pixel(x, y);
                expected.setPixel(x, y, drawn == &plain ? (p & grid) | 0xFF000000u : qAlpha(p) >= 128 ? p | 0xFF000000u : grid);
            }
        EXPECT_EQ(image.copy(3 * 12, 5 * 12, drawn->width(), h), expected.copy(0, 12, drawn->width(), h))
            << (drawn == &plain ? "plain" : "masked");
    }
    b->Picture = library;
    BlockEdits().Note(blocks, uint16_t(a));
    QImage image = paint("S");
    EXPECT_EQ(count(image, 0xFFFF0000u), 0);  // no red frame

    SetBlockSelected(blocks, uint16_t(a), 1);
    image = paint("S");
    const int frame = count(image.copy(3 * 12, 4 * 12, picture->width(), picture->height()), 0xFFFF0000u);
    EXPECT_GT(frame, 0);
    State().mode = kModeConnect;  // frames only while selecting
    image = paint("S");
    EXPECT_EQ(count(image, 0xFFFF0000u), 0);
}

TEST_F(SchemePaint, BlockWithoutPictureIsSkipped) {
    const int a = addBlock("S", "AND", 3, 4);
    TBlockRecord* b = block("S", a);
    void* picture = b->Picture;
    b->Picture = nullptr;
    int32_t result = 1;
    const QImage image = paint("S", &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(cell(image, b->Left + 1, b->Top + 1), gridCell());
    b->Picture = picture;
}

TEST_F(SchemePaint, DraggedSelectionIsDrawnDisplaced) {
    const int a = addBlock("S", "AND", 3, 4);
    addLink("S", 20, 20, 25, 20);
    block("S", a)->Selected = 1;
    sheet("S")->Links->Data[0] = 1;
    TGesture& g = Gesture();
    std::strcpy(g.downSheet, "S");
    g.dragging = 1;
    g.downX = 50, g.downY = 50, g.currentX = 50 + 24, g.currentY = 50 + 12;
    const QImage moved = paint("S");
    EXPECT_EQ(cell(moved, 3, 4), gridCell());  // the old place is empty
    EXPECT_NE(cell(moved, 5, 5), gridCell());
    EXPECT_EQ(cell(moved, 20, 20), gridCell());
    EXPECT_NE(cell(moved, 22, 21), gridCell());
    // Dragging on one sheet moves nothing on another.
    std::strcpy(g.downSheet, "T");
    const QImage still = paint("S");
    EXPECT_NE(cell(still, 3, 4), gridCell());
    EXPECT_EQ(cell(still, 22, 21), gridCell());
}

TEST_F(SchemePaint, RouteBeingLaidIsDrawnOnlyOnItsSheet) {
    TConnectionRecord preview{};
    preview.PointA = PackPoint(2, 2);
    preview.PointB = PackPoint(2, 8);
    State().layingLink.AddItem(&preview);
    std::strcpy(Gesture().downSheet, "s");
    EXPECT_EQ(cell(paint("S"), 2, 5), lineCell({10 - 1}));
    EXPECT_EQ(cell(paint("T"), 2, 5), gridCell());
}

TEST_F(SchemePaint, RubberBandIsDrawnOnItsSheet) {
    TGesture& g = Gesture();
    std::strcpy(g.downSheet, "S");
    g.areaSelecting = 1;
    g.downX = 25, g.downY = 25, g.currentX = 100, g.currentY = 80;
    const QImage image = paint("S");
    const QImage plain = paint("T");
    int changedPixels = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 240; ++x) changedPixels += image.pixel(x, y) != plain.pixel(x, y);
    EXPECT_GT(changedPixels, 40);
    EXPECT_NE(image.pixel(25, 25) | 0xFF000000u, kGrey);  // inverted corner
    EXPECT_EQ(image.pixel(24, 24) | 0xFF000000u, kGrey);
    std::strcpy(g.downSheet, "s");  // the band's sheet is compared as written
    EXPECT_EQ(paint("S").pixel(25, 25) | 0xFF000000u, kGrey);
}

TEST_F(SchemePaint, DebugModeCachesTheStaticPartAndShowsPinValues) {
    const int a = addBlock("S", "AND", 3, 4);
    LoadDebugLibrary("System\\", nullptr);
    ASSERT_NE(DebugOptions(), nullptr);
    State().mode = kModeDebug;
    TBlockRecord* b = block("S", a);
    auto* s = static_cast<TStruct*>(b->Block.Struct);
    int16_t ia = -1, ib = -1, iq = -1;
    s->FindItem("A", ia);
    s->FindItem("B", ib);
    s->FindItem("Q", iq);
    ASSERT_EQ(s->SetValue(b->Block.Data, ia, "65535"), 0);  // unbound: nothing shown
    ASSERT_EQ(s->SetValue(b->Block.Data, ib, "0"), 0);      // entry 0, status 1: black
    ASSERT_EQ(s->SetValue(b->Block.Data, iq, "7"), 0);      // no such entry: red
    State().netValues = {TNetValue{"12", 1u << 24}};
    ClearRepaintRequest();

    const QImage first = paint("S");
    EXPECT_EQ(cell(first, 30, 20), gridCell(false));  // no dots while debugging
    ASSERT_NE(ZO_FIELD(*sheet("S"), Picture), nullptr);
    const QImage cached = *static_cast<const QImage*>(sheet("S")->Picture);
    // The band of a pin's text: right of an output, left of an input, across
    // the top edge of the pin's cell.
    auto beside = [&](const QImage& image, const char* pin, bool out) {
        int32_t x, y;
        pinCell("S", a, pin, x, y);
        return image.copy(out ? x * 12 + 8 : x * 12 - 40, y * 12 - 6, 44, 10);
    };
    EXPECT_EQ(beside(first, "A", false), beside(cached, "A", false));  // unbound: nothing
    EXPECT_NE(beside(first, "B", false), beside(cached, "B", false));  // the value "12"
    EXPECT_GT(count(beside(first, "Q", true), 0xFFFF0000u), 0);        // "НЕТ" in red
    EXPECT_EQ(count(cached, 0xFFFF0000u), 0);
    EXPECT_EQ(count(first, 0xFF0000FFu), 0);  // no blue: the entry's status is 1

    const QImage second = paint("S");  // no repaint request: the same values
    EXPECT_EQ(second.copy(0, 0, 480, 300), first.copy(0, 0, 480, 300));

    State().netValues[0].tag = 0;  // status 0: blue
    EXPECT_GT(count(beside(paint("S"), "B", false), 0xFF0000FFu), 0);

    State().mode = kModeSelect;  // leaving debug mode frees the cache
    paint("S");
    EXPECT_EQ(ZO_FIELD(*sheet("S"), Picture), nullptr);
}
