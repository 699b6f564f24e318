// The picture resource library as its hosts use it: pictures by name, decoded
// before the library is unloaded.
#include "common/ResourceBitmap.h"
#include "platform/DynLib.h"
#include "support/TestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <set>
#include <string>

namespace {

constexpr int kIcons = 25;

class ZoResourceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        handle_ = zo::platform::loadLibrary(ZO_PROGRAM_DIR "/System/ZoResource.so");
        ASSERT_NE(handle_, nullptr) << zo::platform::lastLibraryError();
        get_ = reinterpret_cast<zo::GetResourceBitmapFn>(zo::platform::findSymbol(handle_, zo::kGetResourceBitmapName));
        ASSERT_NE(get_, nullptr);
    }
    static void TearDownTestSuite() {
        zo::platform::unloadLibrary(handle_);
        handle_ = nullptr;
        get_ = nullptr;
    }

    static QImage picture(const char* name) {
        const uint8_t* bytes = nullptr;
        int32_t size = 0;
        if (get_(name, &bytes, &size) != 0) return QImage();
        return QImage::fromData(bytes, size).convertToFormat(QImage::Format_RGB32);
    }

    static void* handle_;
    static zo::GetResourceBitmapFn get_;
};

void* ZoResourceTest::handle_ = nullptr;
zo::GetResourceBitmapFn ZoResourceTest::get_ = nullptr;

bool ink(const QImage& img, int x, int y, QRgb background) { return img.pixel(x, y) != background; }

QImage cell(const QImage& strip, int index, int size, int row = 0) { return strip.copy(index * size, row * size, size, size); }

}  // namespace

TEST_F(ZoResourceTest, EveryPictureHasItsSize) {
    struct Case {
        const char* name;
        int width, height;
    } cases[] = {
        {"Line_12px", 17 * 12, 24}, {"Line_12px_Mask", 3 * 12, 12}, {"Icon16", kIcons * 16, 16},
        {"Icon24", kIcons * 24, 24}, {"Icon32", kIcons * 32, 32},     {"Icon32dis", kIcons * 32, 32},
    };
    for (const Case& c : cases) {
        const QImage img = picture(c.name);
        ASSERT_FALSE(img.isNull()) << c.name;
        EXPECT_EQ(img.width(), c.width) << c.name;
        EXPECT_EQ(img.height(), c.height) << c.name;
    }
}

TEST_F(ZoResourceTest, RefusesUnknownNamesAndNilArguments) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(1);
    int32_t size = 5;
    EXPECT_EQ(get_("Icon48", &bytes, &size), -2);
    EXPECT_EQ(bytes, nullptr);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(get_("", &bytes, &size), -2);
    EXPECT_EQ(get_(nullptr, &bytes, &size), -1);
    EXPECT_EQ(get_("Icon16", nullptr, &size), -1);
    EXPECT_EQ(get_("Icon16", &bytes, nullptr), -1);
}

TEST_F(ZoResourceTest, NamesIgnoreCaseAndBytesStayWithTheLibrary) {
    const uint8_t* a = nullptr;
    const uint8_t* b = nullptr;
    int32_t sa = 0, sb = 0;
    ASSERT_EQ(get_("Line_12px", &a, &sa), 0);
    ASSERT_EQ(get_("LINE_12PX", &b, &sb), 0);
    EXPECT_EQ(a, b);  // encoded once, kept by the library
    EXPECT_EQ(sa, sb);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(a) + 1, 3), "PNG");
}

// Codes 1..15 are sums of arms (1 left, 2 up, 4 right, 8 down); single arms
// and junctions carry a dot; 16 and 17 are lines broken round a crossing line.
TEST_F(ZoResourceTest, LineCellsDrawTheirCodes) {
    const QImage strip = picture("Line_12px");
    ASSERT_FALSE(strip.isNull());
    const QRgb bg = strip.pixel(0, 0);
    for (int i = 0; i < 17; ++i) {
        const int code = i + 1;
        const QImage c = cell(strip, i, 12);
        SCOPED_TRACE(code);
        EXPECT_EQ(c.pixel(0, 0), bg);
        if (code <= 15) {
            EXPECT_EQ(ink(c, 0, 6, bg), (code & 1) != 0);
            EXPECT_EQ(ink(c, 6, 0, bg), (code & 2) != 0);
            EXPECT_EQ(ink(c, 11, 6, bg), (code & 4) != 0);
            EXPECT_EQ(ink(c, 6, 11, bg), (code & 8) != 0);
            EXPECT_TRUE(ink(c, 6, 6, bg));
            const bool dot = std::popcount(static_cast<unsigned>(code)) != 2;
            EXPECT_EQ(ink(c, 4, 4, bg), dot);
        } else {
            const bool vertical = code == 16;
            EXPECT_EQ(ink(c, 6, 0, bg), vertical);
            EXPECT_EQ(ink(c, 6, 11, bg), vertical);
            EXPECT_EQ(ink(c, 0, 6, bg), !vertical);
            EXPECT_EQ(ink(c, 11, 6, bg), !vertical);
            EXPECT_FALSE(ink(c, 6, 6, bg));  // the crossed line shows through
            EXPECT_FALSE(ink(c, vertical ? 6 : 4, vertical ? 4 : 6, bg));
        }
        // A straight run continues seamlessly into its neighbour: three-pixel band on every edge it reaches.
        for (int k = 0; k < 12; ++k) {
            EXPECT_EQ(ink(c, 0, k, bg), ink(c, 0, 6, bg) && k >= 5 && k <= 7) << k;
            EXPECT_EQ(ink(c, k, 0, bg), ink(c, 6, 0, bg) && k >= 5 && k <= 7) << k;
        }
    }
}

TEST_F(ZoResourceTest, OverlayCellsMarkOnlyTheirShape) {
    const QImage strip = picture("Line_12px");
    ASSERT_FALSE(strip.isNull());
    const QRgb bg = strip.pixel(0, 0);
    std::set<QRgb> overlayColours;
    for (int i = 0; i < 17; ++i) {
        const QImage shape = cell(strip, i, 12, 0);
        const QImage over = cell(strip, i, 12, 1);
        int marks = 0;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x)
                if (ink(over, x, y, bg)) {
                    ++marks;
                    overlayColours.insert(over.pixel(x, y));
                    EXPECT_TRUE(ink(shape, x, y, bg)) << "code " << i + 1 << " at " << x << "," << y;
                }
        EXPECT_GT(marks, 0) << "code " << i + 1;
    }
    EXPECT_FALSE(overlayColours.count(bg));
}

TEST_F(ZoResourceTest, MaskColumnsTreatBothDirectionsAlike) {
    const QImage mask = picture("Line_12px_Mask");
    ASSERT_FALSE(mask.isNull());
    const QRgb bg = mask.pixel(0, 0);
    ASSERT_EQ(mask.width() % 12, 0);
    for (int m = 0; m < mask.width() / 12; ++m) {
        const QImage c = cell(mask, m, 12);
        int marks = 0;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x) {
                marks += ink(c, x, y, bg);
                EXPECT_EQ(ink(c, x, y, bg), ink(c, y, x, bg)) << "column " << m + 1 << " at " << x << "," << y;
            }
        EXPECT_GT(marks, 0) << m;
    }
}

TEST_F(ZoResourceTest, IconCellsAreDistinctGlyphsOnTheBackground) {
    for (int size : {16, 24, 32}) {
        const QImage strip = picture(("Icon" + std::to_string(size)).c_str());
        ASSERT_FALSE(strip.isNull());
        const QRgb bg = strip.pixel(0, 0);
        std::set<QByteArray> seen;
        for (int k = 0; k < strip.width() / size; ++k) {
            const QImage c = cell(strip, k, size);
            SCOPED_TRACE(testing::Message() << size << " icon " << k);
            // The program masks each cell by its top-right pixel.
            EXPECT_EQ(c.pixel(size - 1, 0), bg);
            int glyph = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) glyph += ink(c, x, y, bg);
            EXPECT_GT(glyph, size * size / 10);
            EXPECT_LT(glyph, size * size);
            seen.insert(QByteArray(reinterpret_cast<const char*>(c.constBits()), static_cast<int>(c.sizeInBytes())));
        }
        EXPECT_EQ(static_cast<int>(seen.size()), kIcons);
    }
}

TEST_F(ZoResourceTest, DisabledIconsAreGreyedCopiesOfTheLargeOnes) {
    const QImage normal = picture("Icon32");
    const QImage disabled = picture("Icon32dis");
    ASSERT_EQ(normal.size(), disabled.size());
    const QRgb bg = normal.pixel(0, 0);
    ASSERT_EQ(disabled.pixel(0, 0), bg);
    for (int y = 0; y < normal.height(); ++y)
        for (int x = 0; x < normal.width(); ++x) {
            ASSERT_EQ(ink(normal, x, y, bg), ink(disabled, x, y, bg)) << x << "," << y;
            const QRgb p = disabled.pixel(x, y);
            if (p != bg) {
                ASSERT_TRUE(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)) << x << "," << y;
            }
        }
}

TEST(ZoResourceLoader, LoadsFromTheCurrentFoldersSystem) {
    zo::test::TempDir dir;
    std::filesystem::create_directory(dir.path() / "System");
    std::filesystem::copy_file(ZO_PROGRAM_DIR "/System/ZoResource.so", dir.path() / "System" / "ZoResource.so");
    zo::test::ScopedCurrentDir here(dir.path());
    const QImage strip = zo::LoadResourceBitmap("Line_12px");
    ASSERT_FALSE(strip.isNull());
    EXPECT_EQ(strip.size(), QSize(204, 24));
    EXPECT_EQ(strip.format(), QImage::Format_RGB32);
    EXPECT_EQ(zo::LoadResourceBitmap("Icon16").height(), 16);
    EXPECT_TRUE(zo::LoadResourceBitmap("NoSuchPicture").isNull());
}

TEST(ZoResourceLoader, NullImageWithoutTheLibrary) {
    zo::test::TempDir dir;
    zo::test::ScopedCurrentDir here(dir.path());
    EXPECT_TRUE(zo::LoadResourceBitmap("Line_12px").isNull());
}
