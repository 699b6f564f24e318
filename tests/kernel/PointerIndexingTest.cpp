// Indexing inside the pointer slots binds again only the blocks a gesture
// noted: after every gesture the connections and the blocks' data hold what a
// whole indexing of the project gives.

#include "EditingFixture.h"

#include "common/MenObj.h"
#include "common/Struct.h"
#include "common/abi/KernelOptions.h"
#include "kernel/BlockEdits.h"
#include "kernel/ConnectionIndex.h"
#include "kernel/KernelRecord.h"
#include "kernel/KernelState.h"

#include <cstring>
#include <string>
#include <vector>

using namespace zo;
using namespace zo::kernel;
using namespace zo::test;

namespace {

class PointerIndexing : public EditingFixture {
protected:
    void SetUp() override {
        EditingFixture::SetUp();
        FillKernelOptions(record_);
    }

    // A press, moves and a release through the kernel's record, in cells.
    void drag(const char* sheetName, int32_t x, int32_t y, int32_t toX, int32_t toY) {
        char status[261], hint[261];
        uint8_t changed = 0;
        int16_t cursor = 0;
        auto px = [](int32_t cell) { return cell * 12 + 6; };
        ASSERT_EQ(record_.SheetMouseDown(sheetName, px(x), px(y), 0, status, &changed), 0);
        ASSERT_EQ(record_.SheetMouseMove(sheetName, px(toX), px(toY), status, hint, &cursor, &changed), 0);
        ASSERT_EQ(record_.SheetMouseUp(sheetName, px(toX), px(toY), 0, status, &changed), 0);
    }

    // Every connection record and every block's data on every sheet, as bytes.
    std::string snapshot() {
        std::string out;
        TMenObj& sheets = State().sheets;
        for (uint16_t s = 0; s < sheets.Count; ++s) {
            const auto* sheet = static_cast<const TSheetRecord*>(sheets.GetItem(s));
            out.append(reinterpret_cast<const char*>(sheet->Links->Data),
                       size_t(sheet->Links->Count) * sheet->Links->ItemSize);
            for (uint16_t i = 0; i < sheet->Blocks->Count; ++i) {
                const auto* b = static_cast<const TBlockRecord*>(sheet->Blocks->GetItem(i));
                const auto* description = static_cast<const TStruct*>(b->Block.Struct);
                out.append(reinterpret_cast<const char*>(b->Block.Data), size_t(description->GetSize()));
            }
        }
        return out;
    }

    // What the gesture left, against the whole indexing of the project from
    // outside the slots.
    void expectWholeIndexingAgrees(const char* what) {
        const std::string after = snapshot();
        BlockEdits().NoteAll();
        ASSERT_GE(IndexConnections(), 0) << what;
        EXPECT_EQ(snapshot(), after) << what;
    }

    TKernelOptions record_{};
};

TEST_F(PointerIndexing, GesturesBindWhatAWholeIndexingBinds) {
    addSheet("A", 60, 40);
    State().mode = kModeSelect;
    const int a = addBlock("A", "AND", 3, 4);
    const int b = addBlock("A", "AND", 20, 4);
    const int c = addBlock("A", "CNT", 3, 20);
    addBlock("A", "AND", 40, 20);
    int32_t qx = 0, qy = 0, ax = 0, ay = 0, cx = 0, cy = 0;
    pinCell("A", a, "Q", qx, qy);
    pinCell("A", b, "A", ax, ay);
    pinCell("A", c, "C", cx, cy);
    addLink("A", qx, qy, ax, qy);    // a's output towards b's first input
    addLink("A", ax, qy, ax, ay);
    addLink("A", cx - 6, cy + 2, cx, cy + 2);  // a loose end two cells below c's input
    addSheet("B");
    const int d = addBlock("B", "AND", 5, 5);
    int32_t dx = 0, dy = 0;
    pinCell("B", d, "Q", dx, dy);
    addLink("B", dx, dy, dx + 6, dy);
    ASSERT_GE(IndexConnections(), 0);
    const uint32_t blocks = 5;
    ASSERT_EQ(LastBoundBlocks(), blocks);

    auto body = [this](const char* s, int i, int32_t& x, int32_t& y) {
        x = block(s, i)->Left + 1;
        y = block(s, i)->Top + 1;
    };
    struct Gesture {
        const char* what;
        const char* sheet;
        int block;
        int32_t byX, byY;
        bool fewBound;  // the last indexing of the gesture bound only the noted blocks
    };
    const Gesture gestures[] = {
        {"a click (after the whole indexing above: whole again)", "A", a, 0, 0, false},
        {"a dragged off its connection", "A", a, 0, 3, true},
        {"a click again", "A", a, 0, 0, false},
        {"a dragged back onto it", "A", a, 0, -3, true},
        {"c dragged onto the loose end", "A", c, 0, 2, true},
        {"a block of the second sheet", "B", d, 2, 1, true},
    };
    for (const Gesture& g : gestures) {
        int32_t x = 0, y = 0;
        body(g.sheet, g.block, x, y);
        drag(g.sheet, x, y, x + g.byX, y + g.byY);
        if (g.fewBound) {
            EXPECT_LT(LastBoundBlocks(), blocks) << g.what;
        }
        expectWholeIndexingAgrees(g.what);
    }
    // The connections move with the blocks of a band: the sheet is indexed whole.
    drag("A", 1, 1, 30, 12);
    int32_t x = 0, y = 0;
    body("A", a, x, y);
    drag("A", x, y, x + 2, y + 1);
    expectWholeIndexingAgrees("a band dragged with its connections");
}

TEST_F(PointerIndexing, AnythingElseRunningMeansAWholeIndexing) {
    addSheet("A", 60, 40);
    State().mode = kModeSelect;
    const int a = addBlock("A", "AND", 3, 4);
    addBlock("A", "AND", 20, 4);
    int32_t x = block("A", a)->Left + 1, y = block("A", a)->Top + 1;
    drag("A", x, y, x, y + 1);
    drag("A", x, y + 1, x, y + 2);
    EXPECT_EQ(LastBoundBlocks(), 1u) << "the moved block alone";
    // A slot that does not note its edits runs before a click: its one
    // indexing binds every block, the next click's only what it noted.
    record_.SetMode(kModeSelect);
    drag("A", x, y + 2, x, y + 2);
    EXPECT_EQ(LastBoundBlocks(), 2u);
    drag("A", x, y + 2, x, y + 2);
    EXPECT_LT(LastBoundBlocks(), 2u);
    // Outside the slots, indexing is whole.
    ASSERT_GE(IndexConnections(), 0);
    EXPECT_EQ(LastBoundBlocks(), 2u);
}

}  // namespace
