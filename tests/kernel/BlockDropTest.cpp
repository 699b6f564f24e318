// Dropping element library blocks on sheets and finding what lies under a
// point, through the kernel record with pixel points as the scheme window
// calls them.

#include "SheetKernel.h"

#include "common/MenObj.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cstring>
#include <functional>

using namespace zo;
using namespace zo::test;

namespace {

using Drops = SheetKernel;

int pictureCells(const TBlockRecord* b, bool wide) {
    const auto* picture = static_cast<const QImage*>(ZO_FIELD(*b, Picture));
    return picture ? (wide ? picture->width() : picture->height()) / 12 : -1;
}

void rename(TBlockRecord* b, const char* name) {
    std::memset(b->Name, 0, sizeof b->Name);
    std::strcpy(b->Name, name);
}

// ---- the drag source ---------------------------------------------------------------------

struct SourceCase {
    const char* what;
    std::function<void(LibraryDrag&)> spoil;
};

TEST_F(Drops, OnlyABlockNodeOfTheLibraryTreeIsAccepted) {
    const std::string name = addSheet();
    int bitmap = 0;
    {
        LibraryDrag drag(kAndPath);
        EXPECT_EQ(kernel().SheetDragOver(name.c_str(), &bitmap, drag.source(), 10, 10, 5), 0);
        EXPECT_EQ(kernel().SheetDragOver("none", &bitmap, drag.source(), 10, 10, 5), -1);
        EXPECT_EQ(kernel().SheetDragOver(nullptr, &bitmap, drag.source(), 10, 10, 5), -1);
        EXPECT_EQ(kernel().SheetDragOver(name.c_str(), nullptr, drag.source(), 10, 10, 5), -2);
        EXPECT_EQ(kernel().SheetDragDrop("none", drag.source(), 10, 10), -1);
    }
    const SourceCase cases[] = {
        {"another drag object", [](LibraryDrag& d) { std::strcpy(d.object.ClassName, "TDragObject"); }},
        {"a longer class name", [](LibraryDrag& d) { std::strcpy(d.object.ClassName, "TMyDragObjectEx"); }},
        {"a class name without end", [](LibraryDrag& d) { std::memset(d.object.ClassName, 'T', 32); }},
        {"a control that is no tree", [](LibraryDrag& d) { std::strcpy(d.tree.ClassName, "TListView"); }},
        {"no control", [](LibraryDrag& d) { d.object.SourceTree = nullptr; }},
        {"the root node of an included file", [](LibraryDrag& d) { d.tree.SelectedData = nullptr; }},
        {"a group node", [](LibraryDrag& d) { d.node.Path[0] = 0; }},
    };
    for (const SourceCase& c : cases) {
        SCOPED_TRACE(c.what);
        LibraryDrag drag(kAndPath);
        c.spoil(drag);
        EXPECT_EQ(kernel().SheetDragOver(name.c_str(), &bitmap, drag.source(), 10, 10, 5), -3);
        EXPECT_EQ(kernel().SheetDragDrop(name.c_str(), drag.source(), 10, 10), -3);
        EXPECT_EQ(blockCount(name), 0);
    }
    EXPECT_EQ(kernel().SheetDragOver(name.c_str(), &bitmap, nullptr, 10, 10, 5), -3);
    EXPECT_EQ(kernel().SheetDragDrop(name.c_str(), nullptr, 10, 10), -3);
}

// ---- placing, naming, selecting -------------------------------------------------------------

TEST_F(Drops, ABlockLandsOnTheCellUnderThePointerWithTheSizeOfItsPicture) {
    const std::string name = addSheet();
    ASSERT_EQ(drop(name, kAndPath, 50, 30), 0);
    const TBlockRecord* b = block(name, 0);
    EXPECT_EQ(ZO_FIELD(*b, Left), 4);
    EXPECT_EQ(ZO_FIELD(*b, Top), 2);
    EXPECT_EQ(ZO_FIELD(*b, Right), 4 + pictureCells(b, true) - 1);
    EXPECT_EQ(ZO_FIELD(*b, Bottom), 2 + pictureCells(b, false) - 1);
    EXPECT_STREQ(b->DescriptionPath, kAndPath);
    EXPECT_EQ(ZO_FIELD(*b, Selected), 1);
    // Prepared: its data, display parameters and pins.
    const TStructInstance data = ZO_FIELD(*b, Block), display = ZO_FIELD(*b, Display);
    EXPECT_EQ(value(data, "Cod"), "1");
    EXPECT_EQ(value(data, "In1"), "65535");
    EXPECT_EQ(value(display, "Library"), "logic.inc");
    ASSERT_NE(ZO_FIELD(*b, Pins), nullptr);
    EXPECT_EQ(b->Pins->Count, 3);
    EXPECT_EQ(tree_.lines(), (std::vector<std::string>{"Лист 1", "  AND 1 (AND)"}));
    // The inspector shows the new block: its record, display parameters and data.
    ASSERT_FALSE(replaced.empty());
    EXPECT_EQ(replaced.back().caption, "AND 1   (" + name + ")");
    ASSERT_EQ(replaced.back().count, 3);
    EXPECT_EQ(replaced.back().items[2].Data, data.Data);
    EXPECT_TRUE(replaced.back().onChange);
}

TEST_F(Drops, BlocksAreNamedWithTheFirstFreeNumberOfTheirType) {
    const std::string name = addSheet();
    addLink(name, 1, 28, 9, 28);
    static_cast<TConnectionRecord*>(sheet(name)->Links->GetItem(0))->Selected = 1;

    ASSERT_EQ(drop(name, kAndPath, 0, 0), 0);
    ASSERT_EQ(drop(name, kAndPath, 12 * 12, 0), 0);
    ASSERT_EQ(drop(name, kRsPath, 24 * 12, 0), 0);
    EXPECT_EQ(blockName(name, 0), "AND 1");
    EXPECT_EQ(blockName(name, 1), "AND 2");
    EXPECT_EQ(blockName(name, 2), "RS 1");
    // Only the newest block is selected; connections lost their selection.
    EXPECT_EQ(ZO_FIELD(*block(name, 0), Selected), 0);
    EXPECT_EQ(ZO_FIELD(*block(name, 1), Selected), 0);
    EXPECT_EQ(ZO_FIELD(*block(name, 2), Selected), 1);
    EXPECT_EQ(static_cast<TConnectionRecord*>(sheet(name)->Links->GetItem(0))->Selected, 0);

    // A number freed is taken again; names compare ignoring Latin case.
    rename(block(name, 0), "AND 9");
    rename(block(name, 1), "and 2");
    ASSERT_EQ(drop(name, kAndPath, 0, 12 * 12), 0);
    EXPECT_EQ(blockName(name, 3), "AND 1");
    ASSERT_EQ(drop(name, kAndPath, 12 * 12, 12 * 12), 0);
    EXPECT_EQ(blockName(name, 4), "AND 3");
}

TEST_F(Drops, ADropOntoOccupiedOrOffSheetCellsChangesNothing) {
    const std::string name = addSheet();
    ASSERT_EQ(drop(name, kAndPath, 24, 24), 0);
    const TBlockRecord* first = block(name, 0);
    const int wide = ZO_FIELD(*first, Right) - ZO_FIELD(*first, Left) + 1;
    const int high = ZO_FIELD(*first, Bottom) - ZO_FIELD(*first, Top) + 1;

    struct Case {
        const char* what;
        uint16_t x, y;
    };
    const Case cases[] = {
        {"on the block", 30, 30},
        {"touching its last column", uint16_t((2 + wide - 1) * 12), 24},
        {"touching its last row", 24, uint16_t((2 + high - 1) * 12)},
        {"one cell too far right", uint16_t((40 - wide + 1) * 12), 20 * 12},
        {"one cell too far down", 20 * 12, uint16_t((30 - high + 1) * 12)},
        {"outside the sheet", 0xFFFF, 0xFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(drop(name, kAndPath, c.x, c.y), -3);
        EXPECT_EQ(blockCount(name), 1);
        EXPECT_EQ(ZO_FIELD(*block(name, 0), Selected), 1);
        EXPECT_EQ(blockName(name, 0), "AND 1");
    }
    // The last cells of the canvas are its own.
    EXPECT_EQ(drop(name, kAndPath, uint16_t((40 - wide) * 12), uint16_t((30 - high) * 12)), 0);
    EXPECT_EQ(ZO_FIELD(*block(name, 1), Right), 39);
    EXPECT_EQ(ZO_FIELD(*block(name, 1), Bottom), 29);
}

TEST_F(Drops, ABlockThatCannotBePreparedIsNotAdded) {
    const std::string name = addSheet();
    for (const char* path : {"\\Library\\Logic.xml/FBD/Logic/NAND", "\\Library\\Logic.xml/FBD/Logic",
                             "\\Library\\Missing.xml/FBD/Logic/AND", "\\Library\\Logic.xml/FBD/Nowhere/AND"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(drop(name, path, 0, 0), -3);
        EXPECT_EQ(blockCount(name), 0);
    }
    // Blocks of the device file itself and of an included file of an included file.
    EXPECT_EQ(drop(name, "\\Device\\OrvantaPLC.dev/FBD/PLC/Cycle", 0, 0), 0);
    EXPECT_EQ(drop(name, kTonPath, 0, 15 * 12), 0);
    EXPECT_EQ(blockCount(name), 2);
}

// ---- hit testing --------------------------------------------------------------------------------

struct HitCase {
    const char* what;
    int32_t x, y;  // pixels
    int32_t block, link;
};

TEST_F(Drops, HitTestFindsTheTopmostBlockAndTheConnectionThroughACell) {
    const std::string name = addSheet();
    ASSERT_EQ(drop(name, kAndPath, 0, 0), 0);
    ASSERT_EQ(drop(name, kAndPath, 20 * 12, 0), 0);
    // The second block is moved over the first one's lower right part.
    TBlockRecord* a = block(name, 0);
    TBlockRecord* b = block(name, 1);
    const int32_t w = b->Right - b->Left, h = b->Bottom - b->Top;
    b->Left = a->Right - 1;
    b->Top = a->Bottom - 1;
    b->Right = b->Left + w;
    b->Bottom = b->Top + h;
    addLink(name, 2, 25, 10, 25);
    addLink(name, 4, 25, 8, 25);
    addLink(name, 30, 20, 30, 28);
    static_cast<TConnectionRecord*>(sheet(name)->Links->GetItem(2))->Selected = 1;

    const HitCase cases[] = {
        {"empty area", 35 * 12, 10 * 12, -1, -1},
        {"the first block alone", 0, 0, 0, -1},
        {"where both blocks lie", (a->Right) * 12 + 5, (a->Bottom) * 12 + 11, 1, -1},
        {"the second block's far corner", (b->Right) * 12 + 11, (b->Bottom) * 12, 1, -1},
        {"inside both connections", 6 * 12, 25 * 12 + 6, -1, 1},
        {"inside the first only", 3 * 12, 25 * 12, -1, 0},
        {"on the first's end", 2 * 12, 25 * 12, -1, -1},
        {"on the second's end, inside the first", 4 * 12 + 11, 25 * 12, -1, 0},
        {"inside a connection along Y", 30 * 12, 21 * 12, -1, 2},
        {"on its lower end", 30 * 12, 28 * 12, -1, -1},
    };
    for (const HitCase& c : cases) {
        SCOPED_TRACE(c.what);
        int32_t blocks = -7, links = -7, blockIndex = -7, linkIndex = -7;
        EXPECT_EQ(kernel().SheetHitTest(name.c_str(), c.x, c.y, &blocks, &links, &blockIndex, &linkIndex), 0);
        EXPECT_EQ(blockIndex, c.block);
        EXPECT_EQ(linkIndex, c.link);
        EXPECT_EQ(blocks, 1);  // the second block, selected when it was dropped
        EXPECT_EQ(links, 1);
    }
    int32_t blocks = -7, links = -7, blockIndex = -7, linkIndex = -7;
    EXPECT_EQ(kernel().SheetHitTest(nullptr, 0, 0, &blocks, &links, &blockIndex, &linkIndex), -1);
    EXPECT_EQ(blocks, 0);
    EXPECT_EQ(links, 0);
    EXPECT_EQ(blockIndex, -1);
    EXPECT_EQ(linkIndex, -1);
    blockIndex = -7;
    EXPECT_EQ(kernel().SheetHitTest("none", 0, 0, &blocks, &links, &blockIndex, &linkIndex), -2);
    EXPECT_EQ(blockIndex, -1);
}

TEST_F(Drops, ABlockGivesItsPathAndItsCodeFile) {
    const std::string name = addSheet();
    ASSERT_EQ(drop(name, kAndPath, 0, 0), 0);
    ASSERT_EQ(drop(name, kInPath, 20 * 12, 0), 0);
    const char* path = kernel().GetBlockPath(name.c_str(), 0);
    ASSERT_NE(path, nullptr);
    EXPECT_STREQ(path, kAndPath);
    EXPECT_EQ(path, block(name, 0)->DescriptionPath);  // the kernel's own record
    const char* library = kernel().GetBlockLibrary(name.c_str(), 0);
    ASSERT_NE(library, nullptr);
    EXPECT_STREQ(library, "logic.inc");
    // A channel block names no code file.
    library = kernel().GetBlockLibrary(name.c_str(), 1);
    ASSERT_NE(library, nullptr);
    EXPECT_STREQ(library, "");
    for (int32_t index : {-1, 2}) {
        EXPECT_EQ(kernel().GetBlockPath(name.c_str(), index), nullptr);
        EXPECT_EQ(kernel().GetBlockLibrary(name.c_str(), index), nullptr);
    }
    EXPECT_EQ(kernel().GetBlockPath(nullptr, 0), nullptr);
    EXPECT_EQ(kernel().GetBlockPath("none", 0), nullptr);
    EXPECT_EQ(kernel().GetBlockLibrary("none", 0), nullptr);
}

}  // namespace
