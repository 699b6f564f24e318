#include "KernelHost.h"
#include "MemoryTree.h"

#include "common/Struct.h"
#include "kernel/KernelState.h"
#include "kernel/ProjectTree.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace zo;
using namespace zo::kernel;
using namespace zo::test;

namespace {

MemoryTree* g_tree = nullptr;
void* currentTree() { return g_tree ? g_tree->host() : nullptr; }

// The tree refresh on sheets and blocks made by hand: only names, block
// structures and list order matter to it.
class TreeRefresh : public ::testing::Test {
protected:
    void SetUp() override {
        CreateState();
        Options().GetProjectTree = currentTree;
        g_tree = &tree_;
        std::strcpy(type_.Name, "AND");
    }
    void TearDown() override {
        for (uint16_t i = 0; i < State().sheets.Count; ++i) {
            auto* s = static_cast<TSheetRecord*>(State().sheets.GetItem(i));
            delete s->Blocks;
            delete s->Links;
        }
        g_tree = nullptr;
        Options().GetProjectTree = nullptr;
        DestroyState();
    }
    TSheetRecord* addSheet(const char* utf8Name) {
        TSheetRecord s{};
        std::strncpy(s.Name, cp(utf8Name).c_str(), 60);
        s.Blocks = new TMenObj;
        s.Blocks->SetItemSize(kBlockItemSize);
        s.Links = new TMenObj;
        s.Links->SetItemSize(kConnectionItemSize);
        State().sheets.AddItem(&s);
        return sheet(State().sheets.Count - 1);
    }
    static TSheetRecord* sheet(uint16_t i) { return static_cast<TSheetRecord*>(State().sheets.GetItem(i)); }
    void addBlock(TSheetRecord* s, const char* name) {
        TBlockRecord b{};
        std::strcpy(b.Name, name);
        b.Block.Struct = &type_;
        s->Blocks->AddItem(&b);
    }
    static void deleteSheet(uint16_t i) {
        delete sheet(i)->Blocks;
        delete sheet(i)->Links;
        State().sheets.DeleteItem(i);
    }

    MemoryTree tree_;
    TStruct type_;
};

}  // namespace

TEST_F(TreeRefresh, SheetsAndBlocksWithTheirStructureNames) {
    TSheetRecord* first = addSheet("Лист 1");
    addBlock(first, "AND 1");
    addBlock(first, "AND 2");
    addSheet("Лист 2");
    RefreshProjectTree();
    EXPECT_EQ(tree_.lines(), (std::vector<std::string>{"Лист 1", "  AND 1 (AND)", "  AND 2 (AND)", "Лист 2"}));
    const auto top = tree_.top();
    ASSERT_EQ(top.size(), 2u);
    EXPECT_EQ(top[0]->data, 0xFFFFFFFFu);
    EXPECT_EQ(top[1]->data, 0xFFFFFFFFu);
    const auto blocks = tree_.children(top[0]);
    EXPECT_EQ(blocks[0]->data, 0u);
    EXPECT_EQ(blocks[1]->data, 1u);
}

TEST_F(TreeRefresh, NodesAreReusedAcrossRefreshes) {
    TSheetRecord* first = addSheet("Лист 1");
    addBlock(first, "AND 1");
    addBlock(first, "AND 2");
    addSheet("Лист 2");
    RefreshProjectTree();
    const auto top = tree_.top();
    const auto blocks = tree_.children(top[0]);
    const int added = tree_.added;

    // Nothing changed: the same nodes, nothing added or deleted.
    RefreshProjectTree();
    EXPECT_EQ(tree_.top(), top);
    EXPECT_EQ(tree_.children(top[0]), blocks);
    EXPECT_EQ(tree_.added, added);
    EXPECT_EQ(tree_.deleted, 0);

    // The first block goes: the first node now shows the second block, the second node goes.
    sheet(0)->Blocks->DeleteItem(0);
    RefreshProjectTree();
    ASSERT_EQ(tree_.children(top[0]).size(), 1u);
    EXPECT_EQ(tree_.children(top[0])[0], blocks[0]);
    EXPECT_EQ(tree_.lines(), (std::vector<std::string>{"Лист 1", "  AND 2 (AND)", "Лист 2"}));
    EXPECT_EQ(blocks[0]->data, 0u);
    EXPECT_EQ(tree_.added, added);
}

TEST_F(TreeRefresh, LastBlockDeletedLeavesTheSheetWithoutChildren) {
    addBlock(addSheet("Лист 1"), "AND 1");
    RefreshProjectTree();
    sheet(0)->Blocks->DeleteItem(0);
    RefreshProjectTree();
    ASSERT_EQ(tree_.top().size(), 1u);
    EXPECT_TRUE(tree_.children(tree_.top()[0]).empty());
}

TEST_F(TreeRefresh, SurplusSheetNodesGoAndNoSheetsLeaveNoNode) {
    tree_.addTop(cp("старый"), 7);
    tree_.addTop(cp("старый 2"), 7);
    tree_.addTop(cp("старый 3"), 7);
    addSheet("Лист 1");
    RefreshProjectTree();
    EXPECT_EQ(tree_.lines(), (std::vector<std::string>{"Лист 1"}));
    EXPECT_EQ(tree_.top()[0]->data, 0xFFFFFFFFu);

    deleteSheet(0);
    RefreshProjectTree();
    EXPECT_TRUE(tree_.top().empty());
}

TEST_F(TreeRefresh, NoTreeFromTheHostIsNoRefresh) {
    addSheet("Лист 1");
    g_tree = nullptr;
    RefreshProjectTree();  // must not touch anything
    Options().GetProjectTree = nullptr;
    RefreshProjectTree();
    EXPECT_TRUE(tree_.top().empty());
}
