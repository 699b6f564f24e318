#include "KernelHost.h"

#include "common/ImageList.h"
#include "common/ResourceBitmap.h"
#include "common/Struct.h"
#include "kernel/KernelState.h"
#include "kernel/LineTypes.h"

#include <gtest/gtest.h>

#include <QColor>

#include <set>

using namespace zo;
using namespace zo::kernel;
using namespace zo::test;

namespace {

// The kernel's inner routines run here on a state of their own.
class LineTypes : public ::testing::Test {
protected:
    void SetUp() override {
        CreateState();
        State().structFolder = program_.path() + "\\Struct";
        State().structCache->ConvertOptions = zo::test::ConvertOptions();
    }
    void TearDown() override {
        ClearLineTypes(&State().lineTypes);
        DestroyState();
    }
    int load(const std::string& configXml) {
        const std::string file = program_.sub("Struct/Test.xml");
        writeBytes(file, cp(configXml));
        return LoadLineTypes(file.c_str(), "Line_12px", "Line_12px_Mask", 12, &State().lineTypes);
    }

    ProgramFolder program_;
    ScopedCurrentDir cd_{program_.path()};
};

// Pixels of an image as a set of distinct colours.
std::set<QRgb> colours(const QImage& image) {
    std::set<QRgb> out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) out.insert(image.pixel(x, y) | 0xFF000000u);
    return out;
}

}  // namespace

TEST_F(LineTypes, ShippedTypesLoadWithThirtyFourImagesEach) {
    const std::string file = program_.sub("Struct/Config.xml");
    ASSERT_EQ(LoadLineTypes(file.c_str(), "Line_12px", "Line_12px_Mask", 12, &State().lineTypes), 0);
    TMenObj& list = State().lineTypes;
    ASSERT_EQ(list.Count, 4);
    EXPECT_EQ(LineTypeName(list.GetItem(0)), "Bool");
    EXPECT_EQ(LineTypeDataType(list.GetItem(0)), "Byte");
    EXPECT_EQ(LineTypeName(list.GetItem(3)), "Real");
    for (uint16_t i = 0; i < list.Count; ++i) {
        TImageList* images = LineTypeImages(list.GetItem(i));
        ASSERT_NE(images, nullptr);
        EXPECT_EQ(images->Count(), 34);
        EXPECT_EQ(images->Width(), 12);
    }
}

TEST_F(LineTypes, ImagesRecolourTheShapesAndOverlaysDrawOnTop) {
    ASSERT_EQ(load("<Lines><Line Name='A' DataType='Byte' LineColor='255' MaskColumn='0'/></Lines>"), 0);
    TImageList* images = LineTypeImages(State().lineTypes.GetItem(0));
    ASSERT_NE(images, nullptr);
    const QImage strip = LoadResourceBitmap("Line_12px");
    ASSERT_FALSE(strip.isNull());
    const QRgb background = strip.pixel(0, 0);
    const QRgb red = qRgb(255, 0, 0);
    for (int k = 0; k < 17; ++k) {
        const QImage base = images->Image(k);
        const QImage over = images->Image(17 + k);
        for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 12; ++x) {
                const bool shape = strip.pixel(12 * k + x, y) != background;
                const QRgb overlay = strip.pixel(12 * k + x, 12 + y);
                EXPECT_EQ(base.pixel(x, y) == red, shape) << k << ":" << x << "," << y;
                const QRgb expected = overlay != background ? overlay : base.pixel(x, y);
                EXPECT_EQ(over.pixel(x, y), expected) << k;
            }
        }
    }
}

TEST_F(LineTypes, MaskColumnPaintsMaskedPixelsInTheMaskColour) {
    ASSERT_EQ(load("<Lines><Line Name='A' LineColor='255' MaskColor='16711680' MaskColumn='0'/>"
                   "<Line Name='B' LineColor='255' MaskColor='16711680' MaskColumn='1'/></Lines>"),
              0);
    TImageList* plain = LineTypeImages(State().lineTypes.GetItem(0));
    TImageList* masked = LineTypeImages(State().lineTypes.GetItem(1));
    const QRgb blue = qRgb(0, 0, 255);
    bool anyMasked = false;
    for (int i = 0; i < 17; ++i) {
        EXPECT_EQ(colours(plain->Image(i)).count(blue), 0u) << i;
        anyMasked = anyMasked || colours(masked->Image(i)).count(blue) > 0;
    }
    EXPECT_TRUE(anyMasked);
}

TEST_F(LineTypes, FailuresAnswerTheirCodes) {
    EXPECT_EQ(load("<Root><Lines/><Lines/></Root>"), -4);
    EXPECT_EQ(State().lineTypes.Count, 0);
    EXPECT_EQ(LoadLineTypes(nullptr, "Line_12px", "Line_12px_Mask", 12, &State().lineTypes), -1);
    {
        UiRecorder ui;
        EXPECT_EQ(LoadLineTypes(program_.sub("Struct/missing.xml").c_str(), "Line_12px", "Line_12px_Mask", 12,
                                &State().lineTypes),
                  -3);
    }
    EXPECT_EQ(load("<Lines><Line Name='A'/></Lines>") == 0 ? LoadLineTypes(program_.sub("Struct/Test.xml").c_str(),
                                                                           "NoSuchPicture", "Line_12px_Mask", 12,
                                                                           &State().lineTypes)
                                                       : 99,
              -7);
    TMenObj wrong;
    wrong.SetItemSize(10);
    EXPECT_EQ(ClearLineTypes(&wrong), -2);
    EXPECT_EQ(ClearLineTypes(nullptr), -1);
}
