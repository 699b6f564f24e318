#include "SheetHost.h"

#include "common/Geometry.h"
#include "common/MenObj.h"
#include "common/abi/KeyCodes.h"
#include "common/abi/PinRecord.h"

#include <gtest/gtest.h>

#include <set>

using namespace zo;
using namespace zo::test;

namespace {

class KeyboardEditing : public SheetHost {
protected:
    // A sheet with one block dropped at cell (5, 5): selected.
    std::string sheetWithBlock() {
        const std::string s = addSheet();
        EXPECT_EQ(drop(s, "AND", 5 * 12, 5 * 12), 0);
        EXPECT_EQ(blockCount(s), 1);
        return s;
    }
    bool selected(const std::string& s, int i) { return block(s, i)->Selected == 1; }
    std::string cells(const TBlockRecord* b) {
        return std::to_string(b->Left) + "," + std::to_string(b->Top) + "-" + std::to_string(b->Right) + "," +
               std::to_string(b->Bottom);
    }
    static std::string segment(const TConnectionRecord& l) {
        return std::to_string(PointX(l.PointA)) + "," + std::to_string(PointY(l.PointA)) + "-" +
               std::to_string(PointX(l.PointB)) + "," + std::to_string(PointY(l.PointB));
    }
};

}  // namespace

TEST_F(KeyboardEditing, KeyOnAnUnknownSheetIsLoggedAndRefused) {
    addSheet();
    EXPECT_EQ(key("Нет", kKeyDelete, 0), -1);
    EXPECT_EQ(changed_, 0);
    EXPECT_TRUE(log_.has("Нажата клавиша на Нет код-(46)"));
}

TEST_F(KeyboardEditing, ChangedTellsWhichKeysNeedARepaint) {
    const std::string s = sheetWithBlock();
    struct Case {
        uint16_t code;
        uint8_t shift;
        uint8_t changed;
    };
    const Case cases[] = {
        {kKeyC, kShiftBitCtrl, 0}, {kKeyC, 0, 0},           {'B', kShiftBitCtrl, 0},
        {kKeyRight, 0, 0},         {kKeyA, kShiftBitCtrl, 1}, {kKeyV, kShiftBitCtrl, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(key(s, c.code, c.shift), 0);
        EXPECT_EQ(changed_, c.changed) << c.code << " shift " << int(c.shift);
    }
}

TEST_F(KeyboardEditing, CopyOfNothingEmptiesTheClipboardAndPasteAddsNothing) {
    const std::string s = sheetWithBlock();
    ASSERT_EQ(key(s, kKeyC, kShiftBitCtrl), 0);  // the clipboard holds the block
    EXPECT_TRUE(log_.has("Скопировано"));
    ASSERT_EQ(key(s, kKeyA, kShiftBitShift), 0);
    EXPECT_FALSE(selected(s, 0));
    ASSERT_EQ(key(s, kKeyC, kShiftBitCtrl), 0);  // nothing selected: the clipboard is emptied
    ASSERT_EQ(key(s, kKeyA, kShiftBitCtrl), 0);
    ASSERT_EQ(key(s, kKeyV, kShiftBitCtrl), 0);
    EXPECT_EQ(blockCount(s), 1);
    EXPECT_TRUE(selected(s, 0));  // the paste of nothing keeps the selection
}

TEST_F(KeyboardEditing, NoEditingOutsideSelectMode) {
    const std::string s = sheetWithBlock();
    ASSERT_EQ(key(s, kKeyC, kShiftBitCtrl), 0);
    for (uint8_t mode : {2, 3}) {
        kernel().SetMode(mode);
        ASSERT_EQ(kernel().GetMode(), mode);
        for (uint16_t code : {kKeyDelete, kKeyX, kKeyV, kKeyRight}) {
            EXPECT_EQ(key(s, code, code == kKeyDelete ? 0 : kShiftBitCtrl), 0);
            EXPECT_EQ(changed_, 0) << "mode " << int(mode) << " key " << code;
        }
        EXPECT_EQ(blockCount(s), 1) << "mode " << int(mode);
        EXPECT_EQ(ZO_FIELD(*block(s, 0), Left), 5);
    }
    kernel().SetMode(0);
    EXPECT_EQ(key(s, kKeyDelete, 0), 0);
    EXPECT_EQ(changed_, 1);
    EXPECT_EQ(blockCount(s), 0);
}

TEST_F(KeyboardEditing, SelectAllWithCtrlEvenWhenShiftIsHeldAndClearWithShift) {
    const std::string s = sheetWithBlock();
    ASSERT_EQ(drop(s, "AND", 20 * 12, 5 * 12), 0);
    layLink(s, 5, 20, 15, 20);
    ASSERT_EQ(linkCount(s), 1);

    ASSERT_EQ(key(s, kKeyA, kShiftBitShift), 0);
    EXPECT_EQ(changed_, 1);
    EXPECT_FALSE(selected(s, 0));
    EXPECT_FALSE(selected(s, 1));
    EXPECT_EQ(ZO_FIELD(link(s, 0), Selected), 0);
    EXPECT_TRUE(log_.has("Сброшено выделение элементов листа \"" + s + "\""));

    ASSERT_EQ(key(s, kKeyA, kShiftBitCtrl | kShiftBitShift), 0);
    EXPECT_EQ(changed_, 1);
    EXPECT_TRUE(selected(s, 0));
    EXPECT_TRUE(selected(s, 1));
    EXPECT_EQ(ZO_FIELD(link(s, 0), Selected), 1);
    EXPECT_TRUE(log_.has("Выделены все элементы листа \"" + s + "\""));
}

TEST_F(KeyboardEditing, CtrlArrowsMoveTheSelectionByOneCell) {
    const std::string s = sheetWithBlock();
    const TBlockRecord start = *block(s, 0);
    struct Case {
        uint16_t code;
        int dx, dy;
    };
    for (const Case& c : {Case{kKeyRight, 1, 0}, Case{kKeyDown, 0, 1}, Case{kKeyLeft, -1, 0}, Case{kKeyUp, 0, -1}}) {
        const TBlockRecord before = *block(s, 0);
        ASSERT_EQ(key(s, c.code, kShiftBitCtrl), 0);
        EXPECT_EQ(changed_, 1);
        const TBlockRecord* after = block(s, 0);
        EXPECT_EQ(ZO_FIELD(*after, Left), before.Left + c.dx) << c.code;
        EXPECT_EQ(ZO_FIELD(*after, Right), before.Right + c.dx) << c.code;
        EXPECT_EQ(ZO_FIELD(*after, Top), before.Top + c.dy) << c.code;
        EXPECT_EQ(ZO_FIELD(*after, Bottom), before.Bottom + c.dy) << c.code;
    }
    EXPECT_EQ(cells(block(s, 0)), cells(&start));
}

TEST_F(KeyboardEditing, CutRemovesAndPasteBringsTheGroupBackAtThePointer) {
    const std::string s = sheetWithBlock();
    const TBlockRecord original = *block(s, 0);
    ASSERT_EQ(key(s, kKeyX, kShiftBitCtrl), 0);
    EXPECT_EQ(changed_, 1);
    EXPECT_EQ(blockCount(s), 0);
    EXPECT_TRUE(log_.has("Вырезано"));
    EXPECT_TRUE(tree_.children(tree_.top()[0]).empty());

    pointerAt(s, 8 * 12 + 11, 3 * 12);
    ASSERT_EQ(key(s, kKeyV, kShiftBitCtrl), 0);
    EXPECT_TRUE(log_.has("Вставлено"));
    ASSERT_EQ(blockCount(s), 1);
    const TBlockRecord* pasted = block(s, 0);
    EXPECT_EQ(blockNames(s), std::vector<std::string>{"AND 1"});  // the name is free again
    EXPECT_EQ(ZO_FIELD(*pasted, Left), 8);
    EXPECT_EQ(ZO_FIELD(*pasted, Top), 3);
    EXPECT_EQ(pasted->Right - pasted->Left, original.Right - original.Left);
    EXPECT_EQ(pasted->Bottom - pasted->Top, original.Bottom - original.Top);
    EXPECT_TRUE(selected(s, 0));
    EXPECT_EQ(tree_.lines(), (std::vector<std::string>{s, "  AND 1 (AND)"}));
}

TEST_F(KeyboardEditing, PasteOntoAnotherSheetKeepsTheGroupsShape) {
    const std::string s1 = sheetWithBlock();  // block at (5, 5)
    const std::string s2 = addSheet();
    layLink(s1, 12, 9, 16, 9);
    ASSERT_EQ(key(s1, kKeyA, kShiftBitCtrl), 0);
    ASSERT_EQ(key(s1, kKeyC, kShiftBitCtrl), 0);
    const TBlockRecord original = *block(s1, 0);

    pointerAt(s2, 10 * 12 + 5, 4 * 12 + 5);
    ASSERT_EQ(key(s2, kKeyV, kShiftBitCtrl), 0);
    ASSERT_EQ(blockCount(s2), 1);
    ASSERT_EQ(linkCount(s2), 1);
    // The group's top-left (5, 5) lands on the pointer's cell (10, 4).
    EXPECT_EQ(ZO_FIELD(*block(s2, 0), Left), 10);
    EXPECT_EQ(ZO_FIELD(*block(s2, 0), Top), 4);
    EXPECT_EQ(ZO_FIELD(*block(s2, 0), Right), original.Right + 5);
    EXPECT_EQ(segment(link(s2, 0)), "17,8-21,8");
    EXPECT_EQ(blockNames(s2), std::vector<std::string>{"AND 1"});
    // Pasted items arrive selected; the source sheet's selection is cleared.
    EXPECT_TRUE(selected(s2, 0));
    EXPECT_EQ(ZO_FIELD(link(s2, 0), Selected), 1);
    EXPECT_FALSE(selected(s1, 0));
    EXPECT_EQ(ZO_FIELD(link(s1, 0), Selected), 0);
    // The source sheet is unchanged.
    EXPECT_EQ(blockCount(s1), 1);
    EXPECT_EQ(segment(link(s1, 0)), "12,9-16,9");
    EXPECT_EQ(tree_.lines(), (std::vector<std::string>{s1, "  AND 1 (AND)", s2, "  AND 1 (AND)"}));
}

TEST_F(KeyboardEditing, PasteLandsAtThePointerWhateverModeMovedIt) {
    const std::string s = sheetWithBlock();
    ASSERT_EQ(key(s, kKeyC, kShiftBitCtrl), 0);
    for (uint8_t mode : {0, 2}) {
        kernel().SetMode(mode);
        pointerAt(s, 25 * 12 + 3, 14 * 12 + 3);
        kernel().SetMode(0);
        ASSERT_EQ(key(s, kKeyV, kShiftBitCtrl), 0);
        const TBlockRecord* pasted = block(s, blockCount(s) - 1);
        EXPECT_EQ(ZO_FIELD(*pasted, Left), 25) << "pointer moved in mode " << int(mode);
        EXPECT_EQ(ZO_FIELD(*pasted, Top), 14) << "pointer moved in mode " << int(mode);
    }
}

TEST_F(KeyboardEditing, PastingTwiceGivesIndependentBlocks) {
    const std::string s = sheetWithBlock();
    ASSERT_EQ(key(s, kKeyC, kShiftBitCtrl), 0);
    pointerAt(s, 15 * 12, 15 * 12);
    ASSERT_EQ(key(s, kKeyV, kShiftBitCtrl), 0);
    pointerAt(s, 25 * 12, 15 * 12);
    ASSERT_EQ(key(s, kKeyV, kShiftBitCtrl), 0);
    ASSERT_EQ(blockNames(s), (std::vector<std::string>{"AND 1", "AND 2", "AND 3"}));

    std::set<void*> data, display, pins, pictures;
    for (int i = 0; i < 3; ++i) {
        const TBlockRecord* b = block(s, i);
        data.insert(ZO_FIELD(b->Block, Data));
        display.insert(ZO_FIELD(b->Display, Data));
        pins.insert(ZO_FIELD(*b, Pins));
        pictures.insert(ZO_FIELD(*b, Picture));
        EXPECT_NE(ZO_FIELD(*b, Picture), nullptr) << i;
        EXPECT_EQ(b->Pins->Count, block(s, 0)->Pins->Count) << i;
    }
    EXPECT_EQ(data.size(), 3u);
    EXPECT_EQ(display.size(), 3u);
    EXPECT_EQ(pins.size(), 3u);
    EXPECT_EQ(pictures.size(), 3u);

    setValue(block(s, 1), "K", "7");
    EXPECT_EQ(value(block(s, 0), "K"), "5");
    EXPECT_EQ(value(block(s, 1), "K"), "7");
    EXPECT_EQ(value(block(s, 2), "K"), "5");

    // Deleting one pasted block leaves the others whole, and its name is free again.
    ASSERT_EQ(kernel().ProjectTreeKeyUp(cp(s).c_str(), 1, kKeyDelete), 0);
    ASSERT_EQ(blockNames(s), (std::vector<std::string>{"AND 1", "AND 3"}));
    EXPECT_EQ(value(block(s, 1), "K"), "5");
    pointerAt(s, 30 * 12, 20 * 12);
    ASSERT_EQ(key(s, kKeyV, kShiftBitCtrl), 0);
    EXPECT_EQ(blockNames(s), (std::vector<std::string>{"AND 1", "AND 3", "AND 2"}));
    EXPECT_EQ(value(block(s, 2), "K"), "5");
}

TEST_F(KeyboardEditing, ClipboardCopiesTheValuesOfTheMomentOfCopy) {
    const std::string s = sheetWithBlock();
    setValue(block(s, 0), "K", "9");
    ASSERT_EQ(key(s, kKeyC, kShiftBitCtrl), 0);
    setValue(block(s, 0), "K", "1");
    pointerAt(s, 20 * 12, 20 * 12);
    ASSERT_EQ(key(s, kKeyV, kShiftBitCtrl), 0);
    ASSERT_EQ(blockCount(s), 2);
    EXPECT_EQ(value(block(s, 1), "K"), "9");
    // The copied block may go away; the clipboard still pastes.
    ASSERT_EQ(kernel().ProjectTreeKeyUp(cp(s).c_str(), 0, kKeyDelete), 0);
    pointerAt(s, 30 * 12, 5 * 12);
    ASSERT_EQ(key(s, kKeyV, kShiftBitCtrl), 0);
    ASSERT_EQ(blockCount(s), 2);
    EXPECT_EQ(value(block(s, 1), "K"), "9");
}

TEST_F(KeyboardEditing, NudgeFromColumnZeroKeepsConnectionsOnTheirPins) {
    const std::string s = addSheet();
    ASSERT_EQ(drop(s, "AND", 0, 5 * 12), 0);
    const TBlockRecord* b = block(s, 0);
    ASSERT_EQ(ZO_FIELD(*b, Left), 0);
    // The output pin: the pin on the block's right edge.
    TPinRecord out{};
    bool found = false;
    for (uint16_t i = 0; i < b->Pins->Count && !found; ++i) {
        b->Pins->CopyItem(i, &out);
        found = out.X == b->Right - b->Left;
    }
    ASSERT_TRUE(found);
    const int32_t px = b->Left + out.X, py = b->Top + out.Y;
    layLink(s, px, py, px + 4, py);
    ASSERT_EQ(linkCount(s), 1);
    const std::string bound = value(block(s, 0), "Q");
    EXPECT_NE(bound, "65535");  // the pin took the net's number

    ASSERT_EQ(key(s, kKeyA, kShiftBitCtrl), 0);
    ASSERT_EQ(key(s, kKeyRight, kShiftBitCtrl), 0);
    EXPECT_EQ(ZO_FIELD(*block(s, 0), Left), 1);
    ASSERT_EQ(linkCount(s), 1);
    EXPECT_EQ(segment(link(s, 0)), std::to_string(px + 1) + "," + std::to_string(py) + "-" + std::to_string(px + 5) +
                                       "," + std::to_string(py));
    EXPECT_EQ(value(block(s, 0), "Q"), bound);  // still bound after the renumbering
}

// After every edit the inspector holds the selection as it is now: the pasted
// block, the sheet at its new size, the block under its new name.
TEST_F(KeyboardEditing, TheInspectorShowsTheSelectionAsItIsAfterPasteResizeAndRename) {
    const std::string s = sheetWithBlock();
    ASSERT_EQ(key(s, kKeyC, kShiftBitCtrl), 0);
    pointerAt(s, 20 * 12, 12 * 12);
    ASSERT_EQ(key(s, kKeyV, kShiftBitCtrl), 0);
    ASSERT_EQ(blockCount(s), 2);
    ASSERT_TRUE(selected(s, 1));
    EXPECT_EQ(caption, "AND 2   (" + s + ")");
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].Data, block(s, 1));

    // The sheet without a selection, widened by two cells: its width as it is now.
    click(s, 35 * 12, 25 * 12);
    ASSERT_EQ(items.size(), 1u);
    const TStructAccess& a = kernel().StructAccess;
    int16_t width = -1;
    ASSERT_EQ(a.FindStructItem(&items[0], "Width", &width), 1);
    ASSERT_EQ(kernel().ResizeSheet(cp(s).c_str(), 0, 0, 24, 0), 0);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(std::string(a.GetStructItemValue(&items[0], uint16_t(width))), std::to_string(ZO_FIELD(*sheet(s), Width)));
    EXPECT_EQ(ZO_FIELD(*sheet(s), Width), 42);

    // The pasted block renamed in the inspector: its caption names it anew.
    click(s, 21 * 12, 14 * 12);
    ASSERT_EQ(items.size(), 3u);
    int16_t name = -1;
    ASSERT_EQ(a.FindStructItem(&items[0], "Name", &name), 1);
    ASSERT_EQ(a.SetStructItemValue(&items[0], uint16_t(name), "Pump"), 1);
    ASSERT_NE(onChange, nullptr);
    onChange();
    EXPECT_EQ(caption, "Pump   (" + s + ")");

    // Select all: two blocks, no single one shown; clear: the sheet itself.
    ASSERT_EQ(key(s, kKeyA, kShiftBitCtrl), 0);
    EXPECT_TRUE(items.empty());
    ASSERT_EQ(key(s, kKeyA, kShiftBitShift), 0);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].Data, sheet(s));
}
