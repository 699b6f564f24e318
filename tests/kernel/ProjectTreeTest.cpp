#include "KernelHost.h"
#include "MemoryTree.h"
#include "SheetHost.h"

#include "common/Struct.h"
#include "common/abi/KeyCodes.h"
#include "kernel/KernelState.h"
#include "kernel/ProjectTree.h"
#include "kernel/ProjectTreeNodes.h"
#include "platform/Cp1251.h"

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

namespace {

// The tree slots and change callbacks through the kernel library.
class TreeSlots : public SheetHost {
protected:
    const TStructAccess& access() { return kernel().StructAccess; }
    // What the inspector does when the user types a value into a row: the row
    // of the first structure/record pair named field gets the text.
    void typeIntoInspector(const char* field, const std::string& utf8Text) {
        ASSERT_FALSE(items.empty());
        const TStructInstance row = items[0];
        int16_t index = -1;
        ASSERT_EQ(access().FindStructItem(&row, field, &index), 1);
        ASSERT_EQ(access().SetStructItemValue(&row, uint16_t(index), cp(utf8Text).c_str()), 1);
        ASSERT_NE(onChange, nullptr);
        onChange();
    }
    std::string sheetName(int i) { return platform::cp1251ToUtf8(kernel().GetSheet(i)->Name); }
    int32_t treeKey(const std::string& sheet, uint32_t index, uint16_t code) {
        return kernel().ProjectTreeKeyUp(cp(sheet).c_str(), index, code);
    }
};

}  // namespace

TEST_F(TreeSlots, ClickResults) {
    const std::string s = addSheet();
    ASSERT_EQ(drop(s, "AND", 24, 24), 0);
    windows.clear();
    struct Case {
        const char* sheet;
        uint32_t index;
        int32_t result;
    };
    const Case cases[] = {
        {nullptr, 0, -1}, {"Нет", 0, -2}, {"", 0, -2}, {"Лист 1", 0xFFFFFFFFu, -4}, {"Лист 1", 65536, -4},
        {"Лист 1", 1, -5}, {"Лист 1", 0, 0},
    };
    for (const Case& c : cases) {
        const std::string name = c.sheet ? cp(c.sheet) : std::string();
        EXPECT_EQ(kernel().ProjectTreeClick(c.sheet ? name.c_str() : nullptr, c.index), c.result)
            << (c.sheet ? c.sheet : "nil") << " " << c.index;
    }
    // Clicking a node of the sheet opened its window.
    EXPECT_EQ(windows, std::set<std::string>{"Лист 1"});
}

TEST_F(TreeSlots, ClickOnABlockNodeSelectsThatBlockAloneAndShowsIt) {
    const std::string s = addSheet();
    ASSERT_EQ(drop(s, "AND", 24, 24), 0);
    ASSERT_EQ(drop(s, "AND", 240, 24), 0);  // selected
    shown.clear();
    const int repaintsBefore = inspectorRepaints;
    ASSERT_EQ(kernel().ProjectTreeClick(cp(s).c_str(), 0), 0);
    EXPECT_EQ(block(s, 0)->Selected, 1);
    EXPECT_EQ(block(s, 1)->Selected, 0);
    EXPECT_EQ(caption, "AND 1   (Лист 1)");
    EXPECT_EQ(items.size(), 3u);
    EXPECT_GT(inspectorRepaints, repaintsBefore);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), s);
}

TEST_F(TreeSlots, DoubleClickIsOnlyLogged) {
    addSheet();
    kernel().ProjectTreeDblClick(cp("Лист 1").c_str());
    kernel().ProjectTreeDblClick(nullptr);
    EXPECT_TRUE(log_.has("Project dblclick Лист 1"));
    EXPECT_TRUE(log_.has("Project dblclick "));
}

TEST_F(TreeSlots, DeleteOnABlockNodeRemovesThatBlockWhateverWasSelected) {
    const std::string s = addSheet();
    ASSERT_EQ(drop(s, "AND", 24, 24), 0);
    ASSERT_EQ(drop(s, "AND", 240, 24), 0);
    ASSERT_EQ(drop(s, "AND", 24, 240), 0);
    layLink(s, 20, 20, 25, 20);
    ASSERT_EQ(kernel().ProjectTreeClick(cp(s).c_str(), 0), 0);  // an earlier click selected block 0
    uint8_t changed = 0;
    kernel().SheetKeyDown(cp(s).c_str(), kKeyA, kShiftBitCtrl, &changed);  // and then everything
    const int repaintsBefore = repaints;

    EXPECT_EQ(treeKey(s, 1, kKeyDelete), 0);
    EXPECT_EQ(blockNames(s), (std::vector<std::string>{"AND 1", "AND 3"}));
    EXPECT_EQ(linkCount(s), 1);
    EXPECT_GT(repaints, repaintsBefore);
    EXPECT_TRUE(caption.empty());  // the inspector was emptied
    EXPECT_EQ(tree_.lines(), (std::vector<std::string>{s, "  AND 1 (AND)", "  AND 3 (AND)"}));

    // Other keys and a node without a block change nothing.
    EXPECT_EQ(treeKey(s, 0, kKeyA), 0);
    EXPECT_EQ(treeKey(s, 5, kKeyDelete), -5);
    EXPECT_EQ(treeKey("Нет", 0, kKeyDelete), -2);
    EXPECT_EQ(kernel().ProjectTreeKeyUp(nullptr, 0, kKeyDelete), -1);
    EXPECT_EQ(blockCount(s), 2);
}

TEST_F(TreeSlots, DeleteOnASheetNodeRemovesOnlyAnEmptySheet) {
    const std::string full = addSheet();
    const std::string empty = addSheet();
    ASSERT_EQ(drop(full, "AND", 24, 24), 0);
    const auto nodes = tree_.top();
    ASSERT_EQ(nodes.size(), 2u);

    EXPECT_EQ(treeKey(full, 0xFFFFFFFFu, kKeyDelete), 0);
    EXPECT_EQ(kernel().GetSheetCount(), 2);
    EXPECT_EQ(blockCount(full), 1);
    EXPECT_TRUE(closed.empty());
    EXPECT_EQ(windows.count(full), 1u);
    EXPECT_TRUE(log_.has("Лист: \"" + full + "\" содержит FBD блоки, удаление невозможно."));

    EXPECT_EQ(treeKey(empty, 0xFFFFFFFFu, kKeyDelete), 0);
    EXPECT_EQ(kernel().GetSheetCount(), 1);
    EXPECT_EQ(closed, std::vector<std::string>{empty});
    EXPECT_EQ(windows.count(empty), 0u);
    EXPECT_EQ(tree_.lines(), (std::vector<std::string>{full, "  AND 1 (AND)"}));
    EXPECT_EQ(tree_.top()[0], nodes[0]);
}

TEST_F(TreeSlots, NodesKeepTheirIdentityAcrossEdits) {
    const std::string s = addSheet();
    ASSERT_EQ(drop(s, "AND", 24, 24), 0);
    MemoryTree::Node* sheetNode = tree_.top().at(0);
    MemoryTree::Node* blockNode = tree_.children(sheetNode).at(0);
    uint8_t changed = 0;
    kernel().SheetKeyDown(cp(s).c_str(), kKeyC, kShiftBitCtrl, &changed);
    pointerAt(s, 240, 240);
    kernel().SheetKeyDown(cp(s).c_str(), kKeyV, kShiftBitCtrl, &changed);
    addSheet();
    ASSERT_EQ(tree_.top().size(), 2u);
    EXPECT_EQ(tree_.top()[0], sheetNode);
    ASSERT_EQ(tree_.children(sheetNode).size(), 2u);
    EXPECT_EQ(tree_.children(sheetNode)[0], blockNode);
    EXPECT_EQ(tree_.lines(), (std::vector<std::string>{"Лист 1", "  AND 1 (AND)", "  AND 2 (AND)", "Лист 2"}));
    EXPECT_EQ(tree_.deleted, 0);
}

TEST_F(TreeSlots, RenamedSheetReachesWindowTreeAndLog) {
    const std::string s = addSheet();
    click(s, 200, 200);  // nothing there: the inspector shows the sheet
    ASSERT_EQ(caption, "Схема");
    typeIntoInspector("Name", "Главная");
    EXPECT_EQ(sheetName(0), "Главная");
    EXPECT_EQ(windows, std::set<std::string>{"Главная"});
    EXPECT_EQ(tree_.lines(), std::vector<std::string>{"Главная"});
    EXPECT_TRUE(log_.has("Cхема \"Лист 1\" переименована в \"Главная\"."));
    // The inspector now knows the sheet by its new name: a second rename starts from it.
    typeIntoInspector("Name", "Main");
    EXPECT_TRUE(log_.has("Cхема \"Главная\" переименована в \"Main\"."));
    EXPECT_EQ(tree_.lines(), std::vector<std::string>{"Main"});
    // A change of Latin letter case is a rename of the same sheet.
    typeIntoInspector("Name", "MAIN");
    EXPECT_EQ(sheetName(0), "MAIN");
}

TEST_F(TreeSlots, RefusedNamesRestoreTheOldOne) {
    addSheet();
    addSheet();
    const std::string s = "Лист 1";
    struct Case {
        const char* entered;
        const char* logged;  // nil: no "already there" line
    };
    const Case cases[] = {
        {"Лист 2", "Имя схемы \"Лист 2\" уже есть."},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        click(s, 200, 200);
        ASSERT_EQ(caption, "Схема");
        const int repaintsBefore = inspectorRepaints;
        typeIntoInspector("Name", c.entered);
        EXPECT_EQ(sheetName(0), s) << c.entered;
        EXPECT_GT(inspectorRepaints, repaintsBefore) << c.entered;
        if (c.logged) {
            EXPECT_TRUE(log_.has(c.logged));
        }
        EXPECT_EQ(tree_.lines(), (std::vector<std::string>{"Лист 1", "Лист 2"}));
        EXPECT_EQ(windows, (std::set<std::string>{"Лист 1", "Лист 2"}));
    }
    EXPECT_TRUE(log_.has("Имя схемы не может быть пустым."));
}

TEST_F(TreeSlots, NameOfAnotherSheetInOtherLatinCaseIsRefused) {
    addSheet();
    addSheet();
    click("Лист 2", 200, 200);
    typeIntoInspector("Name", "Main");
    ASSERT_EQ(sheetName(1), "Main");
    click("Лист 1", 200, 200);
    typeIntoInspector("Name", "MAIN");
    EXPECT_EQ(sheetName(0), "Лист 1");
    EXPECT_TRUE(log_.has("Имя схемы \"MAIN\" уже есть."));
}

TEST_F(TreeSlots, WindowThatCannotBeRenamedKeepsOneNameEverywhere) {
    const std::string s = addSheet();
    click(s, 200, 200);
    renameResult = -1;
    typeIntoInspector("Name", "Главная");
    EXPECT_TRUE(log_.has("Не удалось переименовать схему \"Лист 1\" в \"Главная\"."));
    EXPECT_EQ(sheetName(0), "Лист 1");
    EXPECT_EQ(windows, std::set<std::string>{"Лист 1"});
    EXPECT_EQ(tree_.lines(), std::vector<std::string>{"Лист 1"});
    // The inspector still edits the sheet by its one name.
    renameResult = 0;
    typeIntoInspector("Name", "Главная");
    EXPECT_EQ(windows, std::set<std::string>{"Главная"});
    EXPECT_EQ(tree_.lines(), std::vector<std::string>{"Главная"});
}

TEST_F(TreeSlots, BlockPropertyChangeRedrawsAndRefreshesTheTree) {
    const std::string s = addSheet();
    ASSERT_EQ(drop(s, "AND", 24, 24), 0);
    ASSERT_EQ(kernel().ProjectTreeClick(cp(s).c_str(), 0), 0);
    ASSERT_EQ(items.size(), 3u);
    void* picture = ZO_FIELD(*block(s, 0), Picture);
    const int repaintsBefore = repaints;
    typeIntoInspector("Name", "Главный");
    EXPECT_EQ(tree_.lines(), (std::vector<std::string>{s, "  Главный (AND)"}));
    EXPECT_GT(repaints, repaintsBefore);
    EXPECT_NE(ZO_FIELD(*block(s, 0), Picture), nullptr);
    EXPECT_EQ(ZO_FIELD(*block(s, 0), Picture), picture);  // redrawn into the block's own picture
}
