// Stand-alone pictures of a block type through the kernel record: the symbol
// with pin stubs and texts, the comment lines, the information picture that
// joins them, and their release.

#include "SheetKernel.h"

#include "common/MenObj.h"
#include "common/abi/PinRecord.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <deque>
#include <sstream>

using namespace zo;
using namespace zo::test;

namespace {

const QColor kGrey(0xB0, 0xB0, 0xB0);
const QColor kLightGrey(0xDC, 0xDC, 0xDC);

// A library file with a block that has no comment lines.
const char* const kBareLibrary = R"(<?xml version="1.0" encoding="windows-1251"?>
<FBD NAME="Bare">
  <GROUP NAME="Bare" IM="Without comments">
    <BLOCK NAME="PASS" IM="Pass" Library="pass.inc">
      <IN NAME="In" TYPE="Int" DEFAULT="65535" IM="in"/>
      <OUT NAME="Q" TYPE="Int" DEFAULT="65535" IM="out"/>
      <FIELD NAME="Cod" TYPE="Word" DEFAULT="77"/>
    </BLOCK>
  </GROUP>
</FBD>
)";
const char* const kBarePath = "\\Library\\Bare.xml/FBD/Bare/PASS";

const QImage& imageOf(void* picture) { return *static_cast<const QImage*>(picture); }

// Rows in [y0, y1) with a pixel other than the background in the columns [x0, x1).
std::vector<int> markedRows(const QImage& image, int x0, int x1, int y0, int y1, const QColor& background) {
    std::vector<int> rows;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (image.pixelColor(x, y) != background) {
                rows.push_back(y);
                break;
            }
    return rows;
}

class Pictures : public SheetKernel {
protected:
    void SetUp() override {
        SheetKernel::SetUp();
        writeBytes(program_.sub("Library/Bare.xml"), kBareLibrary);
    }
    void TearDown() override {
        for (void*& picture : pictures_) kernel().ReleaseObject(&picture);
        SheetKernel::TearDown();
    }
    void*& newPicture() {
        pictures_.push_back(nullptr);
        return pictures_.back();
    }
    // The pin rows of a block dropped on a sheet, relative to its top.
    std::vector<int> pinRows(const char* path) {
        const std::string name = addSheet();
        EXPECT_EQ(drop(name, path, 0, 0), 0);
        std::vector<int> rows;
        const TBlockRecord* b = block(name, 0);
        for (uint16_t i = 0; b && i < b->Pins->Count; ++i)
            rows.push_back(static_cast<const TPinRecord*>(b->Pins->GetItem(i))->Y);
        return rows;
    }
    std::deque<void*> pictures_;
};

TEST_F(Pictures, TheSymbolHasMarginsForThePinTextsAndCaptionsAroundThePicture) {
    void*& picture = newPicture();
    ASSERT_EQ(kernel().DrawBlockPicture(kAndPath, &picture), 0);
    ASSERT_NE(picture, nullptr);
    const QImage& image = imageOf(picture);
    EXPECT_EQ(image.width() % 12, 0);
    EXPECT_EQ(image.height() % 12, 0);

    const std::string name = addSheet();
    ASSERT_EQ(drop(name, kAndPath, 0, 0), 0);
    const TBlockRecord* b = block(name, 0);
    const auto* blockPicture = static_cast<const QImage*>(ZO_FIELD(*b, Picture));
    ASSERT_NE(blockPicture, nullptr);
    // Height: the picture's rows - 1, and four more.
    EXPECT_EQ(image.height(), (blockPicture->height() / 12 - 1) * 12 + 48);
    // The picture sits two cells down, its left edge at the left margin: find it by
    // comparing with the block's own picture, drawn over what lies under it (but
    // its last cell row, which the library line may cross).
    const int w = blockPicture->width(), h = blockPicture->height() - 12;
    int left = -1;
    for (int x = 0; x + w <= image.width() && left < 0; x += 12) {
        QImage expected = image.copy(x, 24, w, h).convertToFormat(QImage::Format_RGB32);
        QPainter(&expected).drawImage(0, 0, blockPicture->copy(0, 0, w, h));
        if (image.copy(x, 24, w, h).convertToFormat(QImage::Format_RGB32) == expected) left = x;
    }
    ASSERT_GE(left, 24);
    const int margins = image.width() - blockPicture->width() + 12;
    EXPECT_GE(margins - left, 24);  // the right margin, in the width's formula
    EXPECT_EQ(image.pixelColor(0, 0), kGrey);

    // Stubs: a run of connection cells in each pin's row, out of the picture.
    for (uint16_t i = 0; i < b->Pins->Count; ++i) {
        const auto* pin = static_cast<const TPinRecord*>(b->Pins->GetItem(i));
        const int y = (2 + pin->Y) * 12 + 6;
        const int x = pin->X == 0 ? left - 2 * 12 + 6 : left + blockPicture->width() + 12 + 6;
        bool marked = false;
        for (int dx = -6; dx < 6; ++dx)
            for (int dy = -6; dy < 6; ++dy) marked = marked || image.pixelColor(x + dx, y + dy) != kGrey;
        EXPECT_TRUE(marked) << "pin " << i;
    }
    EXPECT_EQ(kernel().DrawBlockPicture(kAndPath, &picture), -1);
    EXPECT_EQ(picture, &image);
}

TEST_F(Pictures, WithoutTurnAndLibraryParametersOnlyStubsAreDrawnBesideThePicture) {
    void*& withTexts = newPicture();
    ASSERT_EQ(kernel().DrawBlockPicture(kAndPath, &withTexts), 0);
    const QImage full = imageOf(withTexts);
    const std::vector<int> pins = pinRows(kAndPath);

    // The same program with a display description that has neither parameter.
    std::istringstream original(readBytes(program_.sub("Struct/Struct.xml")));
    std::string kept, line;
    while (std::getline(original, line))
        if (line.find("NAME=\"Turn\"") == std::string::npos && line.find("NAME=\"Library\"") == std::string::npos)
            kept += line + "\n";
    writeBytes(program_.sub("Struct/Struct.xml"), kept);
    restart();
    pictures_.clear();  // the restarted kernel freed its pictures

    void*& bare = newPicture();
    ASSERT_EQ(kernel().DrawBlockPicture(kAndPath, &bare), 0);
    const QImage& image = imageOf(bare);
    ASSERT_EQ(image.size(), full.size());
    const std::string name = addSheet();
    ASSERT_EQ(drop(name, kAndPath, 0, 0), 0);
    EXPECT_EQ(kernel().GetBlockLibrary(name.c_str(), 0), nullptr);

    // Left of the picture, below the caption and above the library line: only
    // the stub rows are marked without texts; with them texts reach other rows.
    int left = 0;
    while (left < image.width() && image.pixelColor(left + 6, 25) == kGrey) left += 12;
    ASSERT_LT(left, image.width());
    std::vector<int> stubRows;
    for (int pin : pins)
        for (int y = 0; y < 12; ++y) stubRows.push_back((2 + pin) * 12 + y);
    const int bottom = image.height() - 12;
    const std::vector<int> bareRows = markedRows(image, 0, left, 24, bottom, kGrey);
    EXPECT_FALSE(bareRows.empty());
    for (int y : bareRows)
        EXPECT_NE(std::find(stubRows.begin(), stubRows.end(), y), stubRows.end()) << "row " << y;
    bool textRow = false;
    for (int y : markedRows(full, 0, left, 24, bottom, kGrey))
        textRow = textRow || std::find(stubRows.begin(), stubRows.end(), y) == stubRows.end();
    EXPECT_TRUE(textRow);
    // The bottom cell row holds the library line only when there is one.
    EXPECT_TRUE(markedRows(image, 0, image.width(), bottom, image.height(), kGrey).empty());
    EXPECT_FALSE(markedRows(full, 0, full.width(), bottom, full.height(), kGrey).empty());
}

TEST_F(Pictures, CommentsAreOneLineEachAndNoneGiveAnEmptyPicture) {
    void*& comments = newPicture();
    ASSERT_EQ(kernel().DrawBlockComments(kAndPath, &comments), 0);
    const QImage& image = imageOf(comments);
    const int lineHeight = QFontMetrics(QFont("MS Sans Serif", 10), &image).height();
    EXPECT_EQ(image.height(), 2 * lineHeight + 10);
    EXPECT_GT(image.width(), 10);
    EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::white));
    EXPECT_FALSE(markedRows(image, 0, image.width(), 0, image.height(), Qt::white).empty());

    void*& none = newPicture();
    ASSERT_EQ(kernel().DrawBlockComments(kBarePath, &none), 0);
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(imageOf(none).size(), QSize(0, 0));

    void* failed = nullptr;
    EXPECT_EQ(kernel().DrawBlockComments("\\Library\\Logic.xml/FBD/Logic/NAND", &failed), -2);
    EXPECT_EQ(kernel().DrawBlockComments(nullptr, &failed), -1);
    EXPECT_EQ(failed, nullptr);
}

TEST_F(Pictures, TheInformationPictureStacksSymbolAndCommentsOnLightGrey) {
    void *symbol = nullptr, *comments = nullptr;
    ASSERT_EQ(kernel().DrawBlockPicture(kAndPath, &symbol), 0);
    ASSERT_EQ(kernel().DrawBlockComments(kAndPath, &comments), 0);
    const QSize s = imageOf(symbol).size(), c = imageOf(comments).size();
    void*& info = newPicture();
    ASSERT_EQ(kernel().GetBlockInfoBitmap(kAndPath, &info), 0);
    const QImage& image = imageOf(info);
    EXPECT_EQ(image.width(), std::max(s.width(), c.width()));
    EXPECT_EQ(image.height(), s.height() + c.height() + 3);
    EXPECT_EQ(image.pixelColor(0, s.height()), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(image.width() - 1, s.height() + 2), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(0, s.height() + 1), kLightGrey);
    // The symbol itself, centred at the top.
    const int x = (image.width() - s.width() + 1) / 2;
    const int xEven = (image.width() - s.width()) / 2;
    const QImage top = image.copy(0, 0, image.width(), s.height());
    EXPECT_TRUE(top.copy(x, 0, s.width(), s.height()) == imageOf(symbol) ||
                top.copy(xEven, 0, s.width(), s.height()) == imageOf(symbol));
    kernel().ReleaseObject(&symbol);
    kernel().ReleaseObject(&comments);

    void*& bare = newPicture();
    ASSERT_EQ(kernel().GetBlockInfoBitmap(kBarePath, &bare), 0);
    void* bareSymbol = nullptr;
    ASSERT_EQ(kernel().DrawBlockPicture(kBarePath, &bareSymbol), 0);
    EXPECT_EQ(imageOf(bare).height(), imageOf(bareSymbol).height() + 3);
    kernel().ReleaseObject(&bareSymbol);

    void* failed = nullptr;
    EXPECT_EQ(kernel().GetBlockInfoBitmap("\\Library\\Logic.xml/FBD/Logic/NAND", &failed), -2);
    EXPECT_EQ(kernel().GetBlockInfoBitmap(nullptr, &failed), -1);
    EXPECT_EQ(kernel().GetBlockInfoBitmap(kAndPath, &info), -1);
    EXPECT_EQ(failed, nullptr);
}

TEST_F(Pictures, ReleaseObjectFreesOnlyTheKernelsPictures) {
    void* picture = nullptr;
    ASSERT_EQ(kernel().DrawBlockPicture(kAndPath, &picture), 0);
    kernel().ReleaseObject(&picture);
    EXPECT_EQ(picture, nullptr);
    kernel().ReleaseObject(&picture);  // nothing left
    kernel().ReleaseObject(nullptr);

    QImage own(12, 12, QImage::Format_RGB32);
    own.fill(Qt::red);
    void* foreign = &own;
    kernel().ReleaseObject(&foreign);
    EXPECT_EQ(foreign, &own);
    EXPECT_EQ(own.pixelColor(0, 0), QColor(Qt::red));
}

}  // namespace
