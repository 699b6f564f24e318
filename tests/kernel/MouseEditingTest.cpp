#include "EditingFixture.h"

#include "common/Geometry.h"
#include "common/MenObj.h"
#include "kernel/Connections.h"
#include "kernel/DebugMode.h"
#include "kernel/Gesture.h"
#include "kernel/HitTest.h"
#include "kernel/KernelState.h"
#include "kernel/LinkMerge.h"
#include "kernel/MouseEditing.h"
#include "kernel/Selection.h"
#include "kernel/SheetIndex.h"

#include <algorithm>
#include <set>
#include <vector>

using namespace zo;
using namespace zo::kernel;
using namespace zo::test;

namespace {

class MouseEditing : public EditingFixture {
protected:
    void SetUp() override {
        EditingFixture::SetUp();
        addSheet("S", 40, 30);
        State().mode = kModeSelect;
    }
    // Pixel inside a block's body (its top-left cell's centre: no pin there).
    void bodyPixel(int index, int32_t& x, int32_t& y) {
        const TBlockRecord* b = block("S", index);
        x = ((b->Left + b->Right) / 2) * 12 + 6;
        y = ((b->Top + b->Bottom) / 2) * 12 + 6;
    }
    void click(int32_t x, int32_t y) {
        ASSERT_EQ(down("S", x, y), 0);
        ASSERT_EQ(up("S", x, y), 0);
    }
    bool blockSelected(int index) { return block("S", index)->Selected != 0; }
    std::set<int> selectedBlocks() {
        std::set<int> out;
        for (int i = 0; i < sheet("S")->Blocks->Count; ++i)
            if (blockSelected(i)) out.insert(i);
        return out;
    }
    std::set<int> selectedLinks() {
        std::set<int> out;
        for (int i = 0; i < sheet("S")->Links->Count; ++i)
            if (link("S", i).Selected) out.insert(i);
        return out;
    }
};

}  // namespace

TEST_F(MouseEditing, ClickSelectsOnlyWhatIsUnderThePointer) {
    const int a = addBlock("S", "AND", 2, 2), b = addBlock("S", "AND", 15, 2);
    int32_t x, y;
    bodyPixel(a, x, y);
    click(x, y);
    EXPECT_EQ(selectedBlocks(), std::set<int>{a});
    EXPECT_EQ(changed_, 1);
    bodyPixel(b, x, y);
    click(x, y);
    EXPECT_EQ(selectedBlocks(), std::set<int>{b});
    ASSERT_FALSE(inspector.empty());
    EXPECT_EQ(inspector.back().caption, "AND 2   (S)");
    EXPECT_EQ(inspector.back().count, 3);
    EXPECT_TRUE(inspector.back().hasChange);
    click(35 * 12, 25 * 12);  // empty place: nothing selected, the sheet is shown
    EXPECT_TRUE(selectedBlocks().empty());
    EXPECT_EQ(inspector.back().caption, "Схема");
    EXPECT_EQ(inspector.back().count, 1);
}

TEST_F(MouseEditing, CtrlClickTogglesAndKeepsTheRest) {
    const int a = addBlock("S", "AND", 2, 2), b = addBlock("S", "AND", 15, 2);
    int32_t ax, ay, bx, by;
    bodyPixel(a, ax, ay);
    bodyPixel(b, bx, by);
    click(ax, ay);
    setCtrl(true);
    click(bx, by);  // adds b
    EXPECT_EQ(selectedBlocks(), (std::set<int>{a, b}));
    click(ax, ay);  // removes a
    EXPECT_EQ(selectedBlocks(), std::set<int>{b});
    click(ax, ay);  // adds a again
    EXPECT_EQ(selectedBlocks(), (std::set<int>{a, b}));
    setCtrl(false);
    click(ax, ay);  // a plain click on a selected block keeps the others
    EXPECT_EQ(selectedBlocks(), (std::set<int>{a, b}));
}

TEST_F(MouseEditing, RubberBandSelectsTheSameEitherWay) {
    const int a = addBlock("S", "AND", 2, 2), b = addBlock("S", "AND", 12, 3), c = addBlock("S", "AND", 25, 15);
    addLink("S", 3, 12, 9, 12);   // inside the band
    addLink("S", 30, 2, 30, 8);   // outside
    const TBlockRecord* bb = block("S", b);
    const int32_t x1 = 1 * 12 + 3, y1 = 1 * 12 + 3, x2 = bb->Left * 12 + 1, y2 = 13 * 12 + 1;  // touches b's edge
    struct Band {
        int32_t fromX, fromY, toX, toY;
    };
    for (const Band& band : {Band{x1, y1, x2, y2}, Band{x2, y2, x1, y1}, Band{x2, y1, x1, y2}}) {
        ClearAllSelections();
        ASSERT_EQ(down("S", band.fromX, band.fromY), 0);
        EXPECT_EQ(Gesture().areaSelecting, 1);
        ASSERT_EQ(move("S", band.toX, band.toY), 0);
        EXPECT_EQ(changed_, 1);
        EXPECT_EQ(selectedBlocks(), (std::set<int>{a, b}));  // already while moving
        ASSERT_EQ(up("S", band.toX, band.toY), 0);
        EXPECT_EQ(selectedBlocks(), (std::set<int>{a, b}));
        EXPECT_EQ(selectedLinks(), std::set<int>{0});
        EXPECT_EQ(Gesture().areaSelecting, 0);
    }
    (void)c;
}

TEST_F(MouseEditing, PointerOutsideTheSheetKeepsTheDragWhereItWas) {
    const int a = addBlock("S", "AND", 10, 10);
    int32_t x, y;
    bodyPixel(a, x, y);
    ASSERT_EQ(down("S", x, y), 0);
    ASSERT_EQ(move("S", x + 30, y), 0);
    ASSERT_EQ(move("S", kOutsideSheet, y), 0);
    int32_t dx = 0, dy = 0;
    EXPECT_TRUE(DragOffsetOn("S", dx, dy));
    EXPECT_EQ(dx, 2);
    EXPECT_EQ(dy, 0);
    EXPECT_EQ(up("S", kOutsideSheet, y), -1);  // still dragging
    EXPECT_EQ(up("S", x + 30, y), 0);
    EXPECT_EQ(int64_t(block("S", a)->Left), 12);
}

TEST_F(MouseEditing, RubberBandReleasedOutsideStaysOpen) {
    addBlock("S", "AND", 2, 2);
    ASSERT_EQ(down("S", 200, 200), 0);
    EXPECT_EQ(up("S", kOutsideSheet, 10), -1);
    EXPECT_EQ(Gesture().areaSelecting, 1);
    EXPECT_EQ(up("S", 5, 5), 0);
    EXPECT_EQ(Gesture().areaSelecting, 0);
    EXPECT_EQ(selectedBlocks(), std::set<int>{0});
}

TEST_F(MouseEditing, DragMovesByWholeCells) {
    struct Case {
        int32_t dx, dy;
        int32_t cellsX, cellsY;
    };
    const Case cases[] = {{11, 11, 0, 0}, {13, 0, 1, 0}, {0, 13, 0, 1}, {-13, -1, -1, 0}, {25, -24, 2, -2}};
    for (const Case& c : cases) {
        clearSheet("S");
        const int a = addBlock("S", "AND", 10, 10);
        addLink("S", 20, 5, 25, 5);
        const TBlockRecord before = *block("S", a);
        int32_t x, y;
        bodyPixel(a, x, y);
        setCtrl(false);
        click(x, y);
        setCtrl(true);
        click(26 * 12 - 20, 5 * 12 + 6);  // add the connection
        setCtrl(false);
        ASSERT_EQ(selectedLinks(), std::set<int>{0});
        ASSERT_EQ(down("S", x, y), 0);
        ASSERT_EQ(move("S", x + c.dx, y + c.dy), 0);
        ASSERT_EQ(up("S", x + c.dx, y + c.dy), 0);
        const TBlockRecord* after = block("S", a);
        EXPECT_EQ(int64_t(after->Left), before.Left + c.cellsX) << c.dx;
        EXPECT_EQ(int64_t(after->Right), before.Right + c.cellsX) << c.dx;
        EXPECT_EQ(int64_t(after->Top), before.Top + c.cellsY) << c.dy;
        EXPECT_EQ(int64_t(after->Bottom), before.Bottom + c.cellsY) << c.dy;
        EXPECT_EQ(links("S"), std::vector<std::string>{std::to_string(20 + c.cellsX) + "," + std::to_string(5 + c.cellsY) +
                                                       "-" + std::to_string(25 + c.cellsX) + "," +
                                                       std::to_string(5 + c.cellsY)});
    }
}

TEST_F(MouseEditing, MovesOffTheSheetAreRefused) {
    const int a = addBlock("S", "AND", 0, 3);
    addLink("S", 10, 0, 14, 0);
    block("S", a)->Selected = 1;
    sheet("S")->Links->Data[0] = 1;
    EXPECT_EQ(MoveSelection(sheet("S"), -1, 0), -2);  // the block would pass cell 0
    EXPECT_EQ(MoveSelection(sheet("S"), 0, -1), -2);  // the connection would wrap to 65535
    EXPECT_EQ(int64_t(block("S", a)->Left), 0);
    EXPECT_EQ(links("S"), std::vector<std::string>{"10,0-14,0"});
    EXPECT_EQ(MoveSelection(sheet("S"), 25, 0), 0);   // 14 + 25 = 39: the last column
    EXPECT_EQ(MoveSelection(sheet("S"), 1, 0), -2);   // past the width
    EXPECT_EQ(links("S"), std::vector<std::string>{"35,0-39,0"});
    EXPECT_EQ(MoveSelection(sheet("S"), 0, 0), 0);
    EXPECT_EQ(MoveSelection(nullptr, 1, 1), -1);
    // A drag towards the edge through the slots changes nothing either.
    MoveSelection(sheet("S"), -25, 0);
    int32_t x, y;
    bodyPixel(a, x, y);
    ASSERT_EQ(down("S", x, y), 0);
    ASSERT_EQ(up("S", x - 30, y), 0);
    EXPECT_EQ(int64_t(block("S", a)->Left), 0);
    EXPECT_EQ(links("S"), std::vector<std::string>{"10,0-14,0"});
}

TEST_F(MouseEditing, StatusHintAndCursorFollowWhatIsUnderThePointer) {
    const int a = addBlock("S", "AND", 2, 2);
    addLink("S", 20, 10, 26, 10);
    ASSERT_EQ(MergeLinks(sheet("S")), 0);
    int32_t px, py;
    pinCell("S", a, "Q", px, py);
    int32_t bx, by;
    bodyPixel(a, bx, by);
    struct Case {
        int32_t x, y;
        const char* status;
        const char* hint;
        int16_t cursor;
    };
    const Case cases[] = {
        {35 * 12, 25 * 12, "S", "", kCursorArrow},
        {22 * 12, 10 * 12, "Соединение 0", "Соединение 0", kCursorArrow},
        {bx, by, "\"AND 1\" Логическое И", "\"AND 1\" Логическое И\r\n\"и-блок\"", kCursorHand},
        {px * 12 + 1, py * 12 + 1, "\"AND 1\" OUT Bool (выход)", "\"AND 1\" Логическое И\r\nOUT (выход) Bool",
         kCursorHand},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(move("S", c.x, c.y), 0);
        EXPECT_EQ(status_, c.status);
        EXPECT_EQ(hint_, c.hint);
        EXPECT_EQ(cursor_, c.cursor) << c.status;
        EXPECT_EQ(changed_, 0);
    }
    // A connection with a line type names it in the hint.
    auto* l = static_cast<TConnectionRecord*>(sheet("S")->Links->GetItem(0));
    l->LineType = 1;
    ASSERT_EQ(move("S", 22 * 12, 10 * 12), 0);
    EXPECT_EQ(hint_, "Соединение 0\r\nЦелое число");
    const int before = inspectorRepaints;
    ASSERT_EQ(move("S", 1, 1), 0);
    EXPECT_EQ(inspectorRepaints, before + 1);
    EXPECT_EQ(State().mode, kModeSelect);  // moving over a pin changes no mode
}

TEST_F(MouseEditing, LongTextsAreCutToTheirBuffers) {
    const int a = addBlock("S", "LONG", 2, 2);
    int32_t x, y;
    bodyPixel(a, x, y);
    char status[261], hint[261];
    std::memset(hint, 'x', sizeof hint);
    int16_t cursor = 0;
    uint8_t changed = 0;
    ASSERT_EQ(SheetMouseMove("S", x, y, status, hint, &cursor, &changed), 0);
    EXPECT_EQ(std::strlen(hint), 260u);
    EXPECT_EQ(std::string(hint).substr(0, 9), "\"LONG 1\" ");
}

TEST_F(MouseEditing, CursorsOfTheConnectionModes) {
    const int a = addBlock("S", "AND", 2, 2);
    int32_t px, py, bx, by;
    pinCell("S", a, "Q", px, py);
    bodyPixel(a, bx, by);
    struct Case {
        uint8_t mode;
        int32_t x, y;
        int16_t cursor;
    };
    const Case cases[] = {
        {kModeStraight, bx, by, kCursorNo},        {kModeStraight, px * 12, py * 12, kCursorCross},
        {kModeStraight, 30 * 12, 20 * 12, kCursorCross}, {kModeConnect, bx, by, kCursorHand},
        {kModeConnect, px * 12, py * 12, kCursorCross},  {kModeConnect, 30 * 12, 20 * 12, kCursorCross},
    };
    for (const Case& c : cases) {
        State().mode = c.mode;
        ASSERT_EQ(move("S", c.x, c.y), 0);
        EXPECT_EQ(cursor_, c.cursor) << int(c.mode) << " " << c.x;
    }
}

TEST_F(MouseEditing, PressOnAPinSwitchesToConnectingAndOnABodyBackToSelecting) {
    const int a = addBlock("S", "AND", 2, 2);
    int32_t px, py, bx, by;
    pinCell("S", a, "Q", px, py);
    bodyPixel(a, bx, by);
    ASSERT_EQ(down("S", px * 12 + 2, py * 12 + 2), 0);
    EXPECT_EQ(State().mode, kModeConnect);
    EXPECT_EQ(Gesture().layingLine, 1);
    ASSERT_EQ(up("S", px * 12 + 2, py * 12 + 2), 0);
    ASSERT_EQ(down("S", bx, by), 0);
    EXPECT_EQ(State().mode, kModeSelect);
    EXPECT_EQ(Gesture().dragging, 1);  // and the body drags at once
    ASSERT_EQ(up("S", bx, by), 0);
    EXPECT_TRUE(blockSelected(a));
}

TEST_F(MouseEditing, OtherButtonsOnlyNoteTheSelection) {
    const int a = addBlock("S", "AND", 2, 2);
    int32_t x, y;
    bodyPixel(a, x, y);
    ASSERT_EQ(down("S", x, y, 1), 0);
    EXPECT_FALSE(blockSelected(a));
    EXPECT_EQ(Gesture().dragging, 0);
    EXPECT_EQ(up("S", x, y, 1), -1);
}

TEST_F(MouseEditing, UnknownSheetAnswersMinusOne) {
    EXPECT_EQ(down("nope", 1, 1), -1);
    EXPECT_EQ(move("nope", 1, 1), -1);
    EXPECT_EQ(up("nope", 1, 1), -1);
    EXPECT_EQ(SheetMouseMove(nullptr, 1, 1, nullptr, nullptr, nullptr, nullptr), -1);
}

TEST_F(MouseEditing, ModeChangeEndsTheGesture) {
    const int a = addBlock("S", "AND", 10, 10);
    int32_t x, y;
    bodyPixel(a, x, y);
    ASSERT_EQ(down("S", x, y), 0);
    ASSERT_EQ(move("S", x + 40, y), 0);
    SetMode(kModeSelect);
    EXPECT_EQ(Gesture().dragging, 0);
    EXPECT_EQ(up("S", x + 40, y), -1);
    EXPECT_EQ(int64_t(block("S", a)->Left), 10);
}

TEST_F(MouseEditing, ConnectionSelectionShowsItAndItsChain) {
    addLink("S", 2, 2, 8, 2);
    addLink("S", 8, 2, 8, 9);
    addLink("S", 20, 20, 25, 20);
    ASSERT_EQ(MergeLinks(sheet("S")), 0);
    click(5 * 12, 2 * 12);
    EXPECT_EQ(selectedLinks(), (std::set<int>{0, 1}));
    EXPECT_EQ(inspector.back().caption, "Соединение");
    EXPECT_FALSE(inspector.back().hasChange);
}

TEST_F(MouseEditing, InspectedSheetIsFoundAgainAfterTheListMoved) {
    ShowSelectionProperties(sheet("S"));
    for (int i = 0; i < 20; ++i) addSheet("X" + std::to_string(i));
    EXPECT_EQ(InspectedSheet(), sheet("S"));
    EXPECT_STREQ(InspectedSheetName(), "S");
    std::strcpy(sheet("S")->Name, "Renamed");  // as the inspector writes a new name
    EXPECT_EQ(InspectedSheet(), sheet("Renamed"));
    SetInspectedSheetName("Renamed");
    EXPECT_EQ(InspectedSheet(), sheet("Renamed"));
    ForgetInspectedSheet();
    EXPECT_EQ(InspectedSheet(), nullptr);
}

TEST_F(MouseEditing, SelectionCountsOverAllSheets) {
    addSheet("T");
    addBlock("S", "AND", 2, 2);
    addBlock("T", "AND", 2, 2);
    addBlock("T", "AND", 12, 2);
    EXPECT_EQ(CountSelectedBlocks(), 0);
    SelectAllBlocks();
    EXPECT_EQ(CountSelectedBlocks(), 3);
    ClearSheetSelection(sheet("T"));
    EXPECT_EQ(CountSelectedBlocks(), 1);
    ClearAllSelections();
    EXPECT_EQ(CountSelectedBlocks(), 0);
}

TEST_F(MouseEditing, CellIndexAgreesWithTheHitTestAndFollowsMoves) {
    for (int i = 0; i < 6; ++i) addBlock("S", i % 2 ? "AND" : "CNT", 2 + 6 * i, 3 + 2 * i, i % 4);
    addBlock("S", "AND", 4, 4);  // overlaps the first
    addLink("S", 1, 20, 30, 20);
    addLink("S", 10, 15, 10, 28);
    addLink("S", 3, 3, 3, 9);
    ASSERT_EQ(MergeLinks(sheet("S")), 0);
    auto compare = [&] {
        for (int32_t cy = 0; cy < 30; ++cy)
            for (int32_t cx = 0; cx < 40; ++cx) {
                TPinHit expected;
                ASSERT_EQ(FindPinAt("S", cx * 12 + 5, cy * 12 + 5, expected), 0);
                const THit hit = HitCell(sheet("S"), cx, cy);
                ASSERT_EQ(hit.block, expected.BlockIndex) << cx << "," << cy;
                ASSERT_EQ(hit.pin, expected.PinIndex) << cx << "," << cy;
                ASSERT_EQ(hit.link, expected.LinkIndex) << cx << "," << cy;
                ASSERT_EQ(hit.pinItemBlock, expected.PinItemBlock) << cx << "," << cy;
                ASSERT_EQ(hit.pinItemField, expected.PinItemField) << cx << "," << cy;
            }
    };
    compare();
    block("S", 2)->Selected = 1;
    sheet("S")->Links->Data[0] = 1;
    ASSERT_EQ(MoveSelection(sheet("S"), 3, 1), 0);
    compare();
    // Moved in place by code that does not say so: noticed all the same.
    TBlockRecord* b = block("S", 4);
    b->Left += 2;
    b->Right += 2;
    b->Top += 1;
    b->Bottom += 1;
    compare();
    // A block far out makes the index's buckets coarser: it answers the same.
    const int far = addBlock("S", "AND", 60000, 61000);
    compare();
    const THit hit = HitCell(sheet("S"), 60001, 61001);
    EXPECT_EQ(hit.block, far);
    std::vector<uint16_t> near;
    BlocksNear(sheet("S"), 59990, 60990, 60010, 61010, near);
    EXPECT_NE(std::find(near.begin(), near.end(), uint16_t(far)), near.end());
}
