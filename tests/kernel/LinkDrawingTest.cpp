#include "EditingFixture.h"

#include "common/Geometry.h"
#include "common/ImageList.h"
#include "common/MenObj.h"
#include "kernel/Gesture.h"
#include "kernel/KernelState.h"
#include "kernel/LineTypes.h"
#include "kernel/LinkDrawing.h"

#include <QPainter>

using namespace zo;
using namespace zo::kernel;
using namespace zo::test;

namespace {

constexpr QRgb kGrey = 0xFFB0B0B0u;

class LinkDrawingTest : public EditingFixture {
protected:
    void SetUp() override {
        EditingFixture::SetUp();
        addSheet("S", 10, 10);
        image_ = QImage(120, 120, QImage::Format_RGB32);
        image_.fill(kGrey);
    }
    // Draws the sheet's connections as the painter does.
    void draw() {
        QPainter canvas(&image_);
        int32_t dx = 0, dy = 0;
        const bool dragging = DragOffsetOn("S", dx, dy);
        TLinkDrawing drawing(canvas, sheet("S")->Links, nullptr, dragging, dx, dy);
        drawing.DrawAllEnds();
        drawing.DrawAllBodies();
        failed_ = drawing.Failed();
    }
    // The cell as it looks with the given images (line type 0) drawn on grey.
    static QImage expected(std::initializer_list<int> indexes, int lineType = 0) {
        QImage cell(12, 12, QImage::Format_RGB32);
        cell.fill(kGrey);
        QPainter canvas(&cell);
        TImageList* images = LineTypeImages(State().lineTypes.GetItem(uint16_t(lineType)));
        for (int i : indexes) images->Draw(canvas, 0, 0, i);
        return cell;
    }
    QImage cell(int cx, int cy) const { return image_.copy(cx * 12, cy * 12, 12, 12); }

    QImage image_;
    bool failed_ = false;
};

}  // namespace

TEST_F(LinkDrawingTest, EndCodesAreTheDirectionsOfTheEndsInTheCell) {
    // Arriving from the left, leaving to the right and leaving downwards at (3, 2).
    addLink("S", 1, 2, 3, 2);
    addLink("S", 3, 2, 6, 2);
    addLink("S", 3, 2, 3, 5);
    draw();
    EXPECT_FALSE(failed_);
    EXPECT_EQ(cell(3, 2), expected({13 - 1}));
    EXPECT_EQ(cell(1, 2), expected({4 - 1}));   // left end of a run along X
    EXPECT_EQ(cell(6, 2), expected({1 - 1}));   // right end
    EXPECT_EQ(cell(3, 5), expected({2 - 1}));   // lower end
    EXPECT_EQ(cell(2, 2), expected({5 - 1}));   // interior along X
    EXPECT_EQ(cell(3, 4), expected({10 - 1}));  // interior along Y
}

TEST_F(LinkDrawingTest, DirectionBitsCombineSoARepeatedEndKeepsItsShape) {
    addLink("S", 1, 1, 4, 1);
    addLink("S", 1, 1, 4, 1);  // the same segment twice
    draw();
    EXPECT_EQ(cell(1, 1), expected({4 - 1}));
    EXPECT_EQ(cell(4, 1), expected({1 - 1}));
}

TEST_F(LinkDrawingTest, SegmentsGivenRightToLeftAreDrawnLikeTheOthers) {
    addLink("S", 5, 3, 1, 3);
    draw();
    EXPECT_EQ(cell(1, 3), expected({4 - 1}));
    EXPECT_EQ(cell(3, 3), expected({5 - 1}));
    EXPECT_EQ(cell(5, 3), expected({1 - 1}));
}

TEST_F(LinkDrawingTest, CrossingIsDrawnOnTheLaterConnection) {
    addLink("S", 1, 4, 7, 4);  // along X, index 0
    addLink("S", 4, 1, 4, 7);  // along Y, index 1: its cell (4, 4) shows the crossing
    draw();
    EXPECT_EQ(cell(4, 4), expected({5 - 1, 16 - 1}));

    image_.fill(kGrey);
    sheet("S")->Links->Clear();
    addLink("S", 4, 1, 4, 7);  // along Y first
    addLink("S", 1, 4, 7, 4);  // along X later: crossing image 17
    draw();
    EXPECT_EQ(cell(4, 4), expected({10 - 1, 17 - 1}));
}

TEST_F(LinkDrawingTest, SelectedImagesOnlyInSelectMode) {
    addLink("S", 1, 1, 4, 1);
    sheet("S")->Links->Data[0] = 1;  // Selected
    State().mode = kModeSelect;
    draw();
    EXPECT_EQ(cell(2, 1), expected({5 + 16}));
    EXPECT_EQ(cell(1, 1), expected({4 + 16}));

    image_.fill(kGrey);
    State().mode = kModeConnect;
    draw();
    EXPECT_EQ(cell(2, 1), expected({5 - 1}));
}

TEST_F(LinkDrawingTest, UnknownLineTypesDrawAsTypeZero) {
    for (int16_t type : {int16_t(-1), int16_t(2), int16_t(99)}) {
        sheet("S")->Links->Clear();
        addLink("S", 1, 1, 4, 1);
        auto* l = static_cast<TConnectionRecord*>(sheet("S")->Links->GetItem(0));
        l->LineType = type;
        image_.fill(kGrey);
        draw();
        EXPECT_EQ(cell(2, 1), expected({5 - 1}, type == 2 ? 2 : 0)) << type;
    }
    EXPECT_NE(expected({5 - 1}, 2), expected({5 - 1}, 0));  // the types do look different
}

TEST_F(LinkDrawingTest, DraggedSelectionIsDrawnAtItsWholeCellOffset) {
    addLink("S", 1, 1, 4, 1);
    addLink("S", 1, 6, 4, 6);
    sheet("S")->Links->Data[0] = 1;  // the first is selected
    State().mode = kModeSelect;
    TGesture& g = Gesture();
    std::strcpy(g.downSheet, "S");
    g.dragging = 1;
    g.downX = 30, g.downY = 30;
    g.currentX = 30 + 25, g.currentY = 30 + 13;  // 2 cells right, 1 down
    draw();
    EXPECT_EQ(cell(3, 2), expected({4 + 16}));  // moved left end, selected
    EXPECT_EQ(cell(2, 1), expected({}));        // nothing left at the old place
    EXPECT_EQ(cell(1, 6), expected({4 - 1}));   // the other stays
}

TEST_F(LinkDrawingTest, CellsWithoutImagesAreReportedNotDrawn) {
    addLink("S", 2, 2, 2, 2);  // a point: no direction, no image
    draw();
    EXPECT_TRUE(failed_);
    EXPECT_EQ(cell(2, 2), expected({}));
}
