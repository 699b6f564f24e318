// The journal of block edits the painter reads instead of every block record:
// what it hands back, when it says that anything may have changed, and that
// the kernel's edits and slots keep it true.

#include "EditingFixture.h"

#include "common/MenObj.h"
#include "common/abi/KernelOptions.h"
#include "kernel/BlockEdits.h"
#include "kernel/DebugMode.h"
#include "kernel/KernelRecord.h"
#include "kernel/KernelState.h"

#include <vector>

using namespace zo;
using namespace zo::kernel;
using namespace zo::test;

namespace {

using Indexes = std::vector<uint16_t>;

Indexes since(const TBlockEdits& edits, const TBlockEdits::Mark& mark, const TMenObj* blocks, bool& known) {
    Indexes out;
    known = edits.Since(mark, blocks, out);
    return out;
}

TEST(BlockEdits, ANoteComesBackOnceInOrderForItsOwnList) {
    TBlockEdits edits;
    TMenObj a, b;
    const TBlockEdits::Mark mark = edits.Now();
    edits.Note(&a, 7);
    edits.Note(&b, 1);
    edits.Note(&a, 2);
    edits.Note(&a, 7);
    bool known = false;
    EXPECT_EQ(since(edits, mark, &a, known), (Indexes{2, 7}));
    EXPECT_TRUE(known);
    EXPECT_EQ(since(edits, mark, &b, known), (Indexes{1}));
    // Only what came after a later mark.
    const TBlockEdits::Mark later = edits.Now();
    edits.Note(&a, 3);
    EXPECT_EQ(since(edits, later, &a, known), (Indexes{3}));
}

TEST(BlockEdits, AfterAnythingMayHaveChangedNoMarkBeforeIsAnswered) {
    TMenObj a;
    struct Case {
        const char* what;
        void (*change)(TBlockEdits&, TMenObj&);
    };
    const Case cases[] = {
        {"anything noted", [](TBlockEdits& e, TMenObj&) { e.NoteAll(); }},
        {"more notes than are kept",
         [](TBlockEdits& e, TMenObj& list) {
             for (int i = 0; i < 5000; ++i) e.Note(&list, uint16_t(i));
         }},
    };
    for (const Case& c : cases) {
        TBlockEdits edits;
        const TBlockEdits::Mark mark = edits.Now();
        c.change(edits, a);
        bool known = true;
        since(edits, mark, &a, known);
        EXPECT_FALSE(known) << c.what;
        // A mark taken afterwards is answered again.
        const TBlockEdits::Mark now = edits.Now();
        edits.Note(&a, 4);
        EXPECT_EQ(since(edits, now, &a, known), (Indexes{4})) << c.what;
        EXPECT_TRUE(known) << c.what;
    }
    // A reader that never looked.
    TBlockEdits edits;
    bool known = true;
    since(edits, TBlockEdits::Mark{}, &a, known);
    EXPECT_FALSE(known);
}

class BlockEditsOfTheKernel : public EditingFixture {};

TEST_F(BlockEditsOfTheKernel, SlotsThatDoNotNoteTheirEditsSayAnythingMayHaveChanged) {
    TKernelOptions record{};
    FillKernelOptions(record);
    const TMenObj* blocks = addSheet("S")->Blocks;
    bool known = false;
    TBlockEdits::Mark mark = BlockEdits().Now();
    record.GetMode();
    since(BlockEdits(), mark, blocks, known);
    EXPECT_TRUE(known) << "a slot that reads";
    record.SetMode(GetMode());
    since(BlockEdits(), mark, blocks, known);
    EXPECT_FALSE(known) << "a slot that may write";
    // The inspector reads the records through the structure readers.
    const int b = addBlock("S", "AND", 3, 4);
    TStructInstance instance{block("S", b)->Block.Struct, block("S", b)->Block.Data};
    mark = BlockEdits().Now();
    EXPECT_NE(record.Inspector.StructAccess.GetStructItemName(&instance, 0), nullptr);
    EXPECT_NE(record.Inspector.StructAccess.GetStructItemValue(&instance, 0), nullptr);
    since(BlockEdits(), mark, blocks, known);
    EXPECT_TRUE(known) << "the structure readers";
    record.Inspector.StructAccess.SetStructItemValue(&instance, 0, "1");
    since(BlockEdits(), mark, blocks, known);
    EXPECT_FALSE(known) << "the structure writer";
}

TEST_F(BlockEditsOfTheKernel, ClickMoveAndBandNoteTheBlocksTheyChange) {
    addSheet("S");
    State().mode = kModeSelect;
    const int a = addBlock("S", "AND", 3, 4);
    const int b = addBlock("S", "AND", 20, 4);
    const int c = addBlock("S", "CNT", 3, 20);
    const TMenObj* blocks = sheet("S")->Blocks;
    auto body = [this](int i, int32_t& x, int32_t& y) {
        x = (block("S", i)->Left + 1) * 12 + 6;
        y = (block("S", i)->Top + 1) * 12 + 6;
    };
    int32_t x = 0, y = 0;
    bool known = false;
    body(a, x, y);
    ASSERT_EQ(down("S", x, y), 0);
    ASSERT_EQ(up("S", x, y), 0);
    // A click on another block takes the selection from the first.
    TBlockEdits::Mark mark = BlockEdits().Now();
    body(b, x, y);
    ASSERT_EQ(down("S", x, y), 0);
    ASSERT_EQ(up("S", x, y), 0);
    EXPECT_EQ(since(BlockEdits(), mark, blocks, known), (Indexes{uint16_t(a), uint16_t(b)}));
    EXPECT_TRUE(known);
    // Dragged two cells: the selected block alone moved.
    mark = BlockEdits().Now();
    ASSERT_EQ(down("S", x, y), 0);
    ASSERT_EQ(move("S", x + 24, y), 0);
    ASSERT_EQ(up("S", x + 24, y), 0);
    EXPECT_EQ(int32_t(block("S", b)->Left), 22);
    EXPECT_EQ(since(BlockEdits(), mark, blocks, known), (Indexes{uint16_t(b)}));
    // A band round the third block from empty cells.
    mark = BlockEdits().Now();
    ASSERT_EQ(down("S", 12 + 6, 18 * 12 + 6), 0);
    ASSERT_EQ(move("S", 12 * 12 + 6, 28 * 12 + 6), 0);
    ASSERT_EQ(up("S", 12 * 12 + 6, 28 * 12 + 6), 0);
    EXPECT_EQ(block("S", c)->Selected, 1);
    EXPECT_EQ(since(BlockEdits(), mark, blocks, known), (Indexes{uint16_t(b), uint16_t(c)}));
    EXPECT_TRUE(known);
}

}  // namespace
