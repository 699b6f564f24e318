// The project tree window: what its nodes pass to the kernel, the tree the real
// kernel fills through the host slot, and Delete on the node the handler stands on.

#include "RealKernel.h"

#include "common/abi/DragObject.h"
#include "configurator/link/ProjectTreeLink.h"
#include "configurator/windows/ProjectForm.h"
#include "platform/Cp1251.h"

#include <gtest/gtest.h>

#include <QTest>

#include <cstring>
#include <memory>

using namespace zo;
using namespace zo::configurator;
using namespace zo::test;

namespace {

struct TreeCall {
    std::string what, sheet;
    uint32_t index = 0;
    uint16_t key = 0;
};
std::vector<TreeCall> g_calls;

TKernelOptions recordingKernel() {
    g_calls.clear();
    TKernelOptions k{};
    k.ProjectTreeClick = [](const char* s, uint32_t i) {
        g_calls.push_back({"click", platform::cp1251ToUtf8(s), i, 0});
        return 0;
    };
    k.ProjectTreeDblClick = [](const char* s) { g_calls.push_back({"dbl", platform::cp1251ToUtf8(s), 0, 0}); };
    k.ProjectTreeKeyUp = [](const char* s, uint32_t i, uint16_t key) {
        g_calls.push_back({"key", platform::cp1251ToUtf8(s), i, key});
        return 0;
    };
    return k;
}

TEST(ProjectTree, NodesPassTheirSheetNameAndBlockIndex) {
    TKernelOptions kernel = recordingKernel();
    ProjectTreeLink link(&kernel);
    TProjectForm form(link);
    form.TreeView1Click();
    form.TreeView1KeyUp(46);
    EXPECT_TRUE(g_calls.empty());  // an empty tree, no selection

    // Filled as the kernel fills it, through the host record.
    TProjectTreeHost* host = link.Host();
    ASSERT_TRUE(host);
    TProjectTreeNode sheet = host->AddNode(host, nullptr, cp("Схема 1").c_str());
    host->SetNode(host, sheet, cp("Схема 1").c_str(), kProjectTreeSheetData);
    TProjectTreeNode block = host->AddNode(host, sheet, "AND_1 (AND)");
    host->SetNode(host, block, "AND_1 (AND)", 3);
    EXPECT_EQ(host->FirstNode(host), sheet);
    EXPECT_EQ(host->FirstChild(host, sheet), block);
    EXPECT_EQ(host->NextSibling(host, block), nullptr);

    QTreeWidget* tree = form.TreeView1();
    tree->expandAll();
    tree->setCurrentItem(static_cast<QTreeWidgetItem*>(block));
    form.TreeView1Click();
    form.TreeView1DblClick();
    QTest::keyClick(tree, Qt::Key_Delete);
    tree->setCurrentItem(static_cast<QTreeWidgetItem*>(sheet));
    form.TreeView1Click();
    ASSERT_EQ(g_calls.size(), 4u);
    EXPECT_EQ(g_calls[0].what, "click");
    EXPECT_EQ(g_calls[0].sheet, "Схема 1");
    EXPECT_EQ(g_calls[0].index, 3u);
    EXPECT_EQ(g_calls[1].what, "dbl");
    EXPECT_EQ(g_calls[1].sheet, "Схема 1");
    EXPECT_EQ(g_calls[2].what, "key");
    EXPECT_EQ(g_calls[2].index, 3u);
    EXPECT_EQ(g_calls[2].key, 46);
    EXPECT_EQ(g_calls[3].index, kProjectTreeSheetData);

    // Without a kernel record nothing is called.
    link.SetKernel(nullptr);
    form.TreeView1Click();
    EXPECT_EQ(g_calls.size(), 4u);
}

// The host walks the nodes in order also when the tree changed between two
// calls (nodes put in or taken out by others), and a node renamed right after
// it was added takes the new name.
TEST(ProjectTree, WalkFollowsTheTreeAsItIsNow) {
    TKernelOptions kernel = recordingKernel();
    ProjectTreeLink link(&kernel);
    TProjectForm form(link);
    TProjectTreeHost* host = link.Host();
    ASSERT_TRUE(host);
    auto text = [](TProjectTreeNode node) { return static_cast<QTreeWidgetItem*>(node)->text(0).toStdString(); };
    auto data = [](TProjectTreeNode node) {
        return static_cast<QTreeWidgetItem*>(node)->data(0, ProjectTreeLink::kDataRole).value<uint32_t>();
    };
    TProjectTreeNode sheet = host->AddNode(host, nullptr, "S");
    host->SetNode(host, sheet, "S", kProjectTreeSheetData);
    const char* const names[] = {"a", "b", "c", "d"};
    for (uint32_t i = 0; i < 4; ++i) {
        TProjectTreeNode node = host->AddNode(host, sheet, names[i]);
        // The last one is renamed as it is set.
        host->SetNode(host, node, i == 3 ? "renamed" : names[i], i);
    }
    TProjectTreeNode a = host->FirstChild(host, sheet);
    TProjectTreeNode b = host->NextSibling(host, a);
    ASSERT_TRUE(b);
    EXPECT_EQ(text(b), "b");
    EXPECT_EQ(data(b), 1u);

    // Two nodes put in before b and a taken out: b's follower is still c.
    auto* parent = static_cast<QTreeWidgetItem*>(sheet);
    parent->insertChild(0, new QTreeWidgetItem(QStringList{"x"}));
    parent->insertChild(0, new QTreeWidgetItem(QStringList{"y"}));
    delete static_cast<QTreeWidgetItem*>(a);
    TProjectTreeNode c = host->NextSibling(host, b);
    ASSERT_TRUE(c);
    EXPECT_EQ(text(c), "c");
    TProjectTreeNode d = host->NextSibling(host, c);
    ASSERT_TRUE(d);
    EXPECT_EQ(text(d), "renamed");
    EXPECT_EQ(data(d), 3u);
    EXPECT_EQ(host->NextSibling(host, d), nullptr);

    // Taken out through the host, the node after b's place is d.
    host->DeleteNode(host, c);
    EXPECT_EQ(host->NextSibling(host, b), d);
    EXPECT_EQ(host->NextSibling(host, sheet), nullptr);
    EXPECT_EQ(parent->childCount(), 4);
}

TEST(ProjectTree, AClosedWindowLeavesTheKernelNoTree) {
    TKernelOptions kernel = recordingKernel();
    ProjectTreeLink link(&kernel);
    link.InstallHostSlot();
    auto form = std::make_unique<TProjectForm>(link);
    EXPECT_EQ(kernel.GetProjectTree(), link.Host());
    EXPECT_NE(kernel.GetProjectTree(), nullptr);
    form->close();
    EXPECT_EQ(kernel.GetProjectTree(), nullptr);
}

TEST(ProjectTree, TheRealKernelFillsTheTreeAndDeleteRemovesTheNodeItStandsOn) {
    RealKernel real;
    ASSERT_TRUE(real.bound());
    ProjectTreeLink link(&real.kernel());
    link.InstallHostSlot();
    TProjectForm form(link);
    const std::string sheet = real.addSheet();

    TLibraryNodeRecord node{};
    std::strcpy(node.Path, "\\Library\\Logic.xml/FBD/Logic/AND");
    TDragControl control{};
    std::strcpy(control.ClassName, kDragTreeClassName);
    control.SelectedData = &node;
    TMyDragObject drag{};
    std::strcpy(drag.ClassName, kDragObjectClassName);
    drag.SourceTree = &control;
    ASSERT_EQ(real.kernel().SheetDragDrop(sheet.c_str(), &drag, 30, 30), 0);
    ASSERT_EQ(real.kernel().SheetDragDrop(sheet.c_str(), &drag, 150, 150), 0);

    QTreeWidget* tree = form.TreeView1();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* sheetItem = tree->topLevelItem(0);
    EXPECT_EQ(ProjectTreeLink::Cp1251(sheetItem->text(0)), sheet);
    ASSERT_EQ(sheetItem->childCount(), 2);
    EXPECT_EQ(sheetItem->child(1)->data(0, ProjectTreeLink::kDataRole).toUInt(), 1u);

    tree->setCurrentItem(sheetItem->child(0));
    form.TreeView1Click();
    form.TreeView1KeyUp(46);  // the kernel deletes the block and the node with it
    EXPECT_EQ(real.blockCount(sheet), 1);
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    sheetItem = tree->topLevelItem(0);
    ASSERT_EQ(sheetItem->childCount(), 1);
    tree->setCurrentItem(sheetItem->child(0));
    form.TreeView1KeyUp(46);
    EXPECT_EQ(real.blockCount(sheet), 0);

    tree->setCurrentItem(tree->topLevelItem(0));
    form.TreeView1KeyUp(46);  // the sheet node itself goes
    EXPECT_EQ(real.kernel().GetSheetCount(), 0);
    EXPECT_EQ(tree->topLevelItemCount(), 0);
}

}  // namespace
