// The font, brush and pen text forms: texts written, texts read back, and
// texts refused without changing the object.
#include "common/TextForms.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace zo {
namespace {

TTextFont sampleFont() {
    TTextFont f;
    f.font.setFamily("DejaVu Sans");
    f.font.setPointSize(8);
    f.font.setBold(true);
    f.font.setUnderline(true);
    f.color = 0x0000FF;  // red
    return f;
}

TEST(TextForms, FontTextFieldsInOrder) {
    const TTextFont f = sampleFont();
    EXPECT_EQ(FontToStr(&f), "255|-11|DejaVu Sans|0|96|8|ynyn");
    EXPECT_EQ(FontToStr(nullptr), "");
}

TEST(TextForms, FontRoundTripsAndPartialTexts) {
    struct Case {
        const char* text;
        const char* expected;  // FontToStr after StrToFont on the sample font
    } cases[] = {
        {"16711680|-16|Courier New|2|96|12|nyny", "16711680|-16|Courier New|2|96|12|nyny"},
        {"||||||y", "255|-11|DejaVu Sans|0|96|8|ynnn"},        // a seventh field "y" alone: bold only
        {"0||||||", "0|-11|DejaVu Sans|0|96|8|ynyn"},          // empty fields keep the font's values
        {"|-20", "255|-20|DejaVu Sans|0|96|15|ynyn"},           // height alone sets the size
        {"|-20||||10", "255|-13|DejaVu Sans|0|96|10|ynyn"},     // the size, later, wins
        {"||||72|", "255|-8|DejaVu Sans|0|72|8|ynyn"},
        {"-16777201|||1", "-16777201|-11|DejaVu Sans|1|96|8|ynyn"},  // a system colour
    };
    for (const Case& c : cases) {
        TTextFont f = sampleFont();
        EXPECT_EQ(StrToFont(c.text, f), 0) << c.text;
        EXPECT_EQ(FontToStr(&f), c.expected) << c.text;
    }
}

TEST(TextForms, BadFontTextsChangeNothing) {
    const char* bad[] = {
        "abc|-11|X|0|96|8|nnnn",  // colour not a number
        "0|x",                    // height not a number
        "0|-11|X|0|96|0|nnnn",    // size 0
        "0|-11|X|0|96|-3|nnnn",   // negative size
        "0|0",                    // height 0
        "0||X|5",                 // unknown pitch
        "0||X|0|0",               // resolution 0
        "0||X|0|96|8.5",          // not an integer
        "0||X|0|96|99999999999",  // out of range
    };
    for (const char* text : bad) {
        TTextFont f = sampleFont();
        const std::string before = FontToStr(&f);
        EXPECT_EQ(StrToFont(text, f), -1) << text;
        EXPECT_EQ(FontToStr(&f), before) << text;
        EXPECT_EQ(f.font.family(), "DejaVu Sans") << text;
    }
}

TEST(TextForms, CyrillicFontNameTravelsInWindows1251) {
    TTextFont f = sampleFont();
    ASSERT_EQ(StrToFont(test::cp("||Шрифт"), f), 0);
    EXPECT_EQ(f.font.family(), QString::fromUtf8("Шрифт"));
    EXPECT_EQ(test::utf(FontToStr(&f)), "255|-11|Шрифт|0|96|8|ynyn");
}

TEST(TextForms, PenAndBrushTextsRoundTripAndRefuse) {
    // Starting from a black solid pen and a white solid brush.
    struct Case {
        const char* text;
        int penResult;
        const char* pen;
        int brushResult;
        const char* brush;
    } cases[] = {
        {"255|1", 0, "255|1", 0, "255|1"},
        {"65280|5", 0, "65280|5", 0, "65280|5"},
        {"|2", 0, "0|2", 0, "16777215|2"},
        {"16711680|", 0, "16711680|0", 0, "16711680|0"},
        {"x|1", -1, "0|0", -1, "16777215|0"},
        {"255|x", -1, "0|0", -1, "16777215|0"},
        {"255|-1", -1, "0|0", -1, "16777215|0"},
        {"255|7", -1, "0|0", 0, "255|7"},  // 7 is the diagonal-cross brush; no pen has it
        {"255|8", -1, "0|0", -1, "16777215|0"},
    };
    for (const Case& c : cases) {
        QPen pen(Qt::black, 1, Qt::SolidLine);
        QBrush brush(Qt::white, Qt::SolidPattern);
        EXPECT_EQ(StrToPen(c.text, pen), c.penResult) << c.text;
        EXPECT_EQ(StrToBrush(c.text, brush), c.brushResult) << c.text;
        EXPECT_EQ(PenToStr(&pen), c.pen) << c.text;
        EXPECT_EQ(BrushToStr(&brush), c.brush) << c.text;
    }
    EXPECT_EQ(PenToStr(nullptr), "");
    EXPECT_EQ(BrushToStr(nullptr), "");
}

TEST(TextForms, InsideFramePenIsDrawnSolid) {
    QPen pen;
    ASSERT_EQ(StrToPen("0|6", pen), 0);
    EXPECT_EQ(pen.style(), Qt::SolidLine);
}

}  // namespace
}  // namespace zo
