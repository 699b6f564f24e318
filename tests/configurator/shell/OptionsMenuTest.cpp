// The options menu and the options dialog built from the MENU tree of the
// options file: numbering aligned between both, the chosen node's block shown,
// and the shipped options edited through the dialog's inspector.
#include "common/KroKernelConfig.h"
#include "configurator/shell/OptionsMenu.h"
#include "configurator/windows/RealKernel.h"
#include "platform/Cp1251.h"
#include "platform/DialogHook.h"
#include "support/FakeKernel.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QColorDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <cstring>
#include <fstream>
#include <functional>
#include <utility>
#include <vector>

namespace zo::configurator {
namespace {

using test::FakeKernel;

const char kOptions[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<OPTIONS><MENU>
  <TREENODE NAME="Программа">
    <TREENODE NAME="Отображение" STRUCT="Visible"/>
    <TREENODE STRUCT="Hidden"><TREENODE NAME="Внутри" STRUCT="Inner"/></TREENODE>
    <COMMENTED NAME="Чужой" STRUCT="Other"/>
    <TREENODE NAME="Обновление" STRUCT="Update"/>
  </TREENODE>
  <TREENODE NAME="Сборка" STRUCT="Build"/>
</MENU></OPTIONS>)";

std::string writeFile(const test::TempDir& dir, const std::string& name, const std::string& text) {
    const std::string file = dir.file(name);
    std::ofstream(file) << text;
    return file;
}

// Pre-order list of (caption, tag) of a menu.
void flatten(const QMenu& menu, std::vector<std::pair<std::string, int>>& out) {
    for (QAction* a : menu.actions()) {
        out.emplace_back(a->text().toStdString(), MenuItemTag(a));
        if (a->menu()) flatten(*a->menu(), out);
    }
}

TEST(OptionsMenu, UnnamedNodeLeftOutOfMenuAndTreeWithNumberingAligned) {
    test::TempDir dir;
    const std::string file = writeFile(dir, "Options.xml", kOptions);
    QMenu menu;
    std::vector<int> clicked;
    ASSERT_EQ(LoadMenuFromXml(file, &menu, [&](QAction* a) { clicked.push_back(MenuItemTag(a)); }), kOptionsMenuOk);
    std::vector<std::pair<std::string, int>> items;
    flatten(menu, items);
    const std::vector<std::pair<std::string, int>> expected = {
        {"Программа", -1}, {"Отображение", 1}, {"Обновление", 2}, {"Сборка", 3}};
    EXPECT_EQ(items, expected);

    QTreeWidget tree;
    ASSERT_EQ(LoadOptionsTree(file, &tree), kOptionsMenuOk);
    std::vector<std::string> nodes;
    std::vector<std::string> paths;
    for (QTreeWidgetItemIterator it(&tree); *it; ++it) {
        nodes.push_back((*it)->text(0).toStdString());
        paths.push_back((*it)->data(0, kDescriptionPathRole).toByteArray().toStdString());
    }
    EXPECT_EQ(nodes, (std::vector<std::string>{"Программа", "Отображение", "Обновление", "Сборка"}));
    EXPECT_EQ(paths, (std::vector<std::string>{"", file + "/OPTIONS/STRUCT/Visible", file + "/OPTIONS/STRUCT/Update",
                                               file + "/OPTIONS/STRUCT/Build"}));
    menu.actions()[1]->trigger();
    menu.actions()[0]->menu()->actions()[1]->trigger();
    EXPECT_EQ(clicked, (std::vector<int>{3, 2}));
}

TEST(OptionsMenu, FailuresHaveTheirOwnCodes) {
    test::UiRecorder ui;
    test::TempDir dir;
    QMenu menu;
    QTreeWidget tree;
    const std::string twice =
        writeFile(dir, "two.xml", "<OPTIONS><MENU><TREENODE NAME=\"a\"/></MENU><X><MENU/></X></OPTIONS>");
    EXPECT_EQ(LoadMenuFromXml(twice, &menu, {}), kOptionsMenuBadMenu);
    EXPECT_EQ(LoadOptionsTree(twice, &tree), kOptionsMenuBadMenu);
    EXPECT_EQ(LoadMenuFromXml(dir.file("none.xml"), &menu, {}), kOptionsMenuNotOpened);
    EXPECT_EQ(LoadOptionsTree(dir.file("none.xml"), &tree), kOptionsMenuNotOpened);
    EXPECT_TRUE(menu.actions().isEmpty());
    // A description path longer than its field is refused, not cut.
    const std::string longName(260, 'B');
    const std::string tooLong =
        writeFile(dir, "long.xml", "<OPTIONS><MENU><TREENODE NAME=\"a\" STRUCT=\"" + longName + "\"/></MENU></OPTIONS>");
    EXPECT_EQ(LoadOptionsTree(tooLong, &tree), kOptionsMenuWalkFailed);
    EXPECT_EQ(tree.topLevelItemCount(), 0);
    EXPECT_EQ(ShowOptionsDialog("c", twice.c_str(), 0, nullptr, 0, 0, 600, 300, TOptionsLink()), -2);
    EXPECT_EQ(ShowOptionsDialog(nullptr, twice.c_str(), 0, nullptr, 0, 0, 600, 300, TOptionsLink()), -1);
}

// The tree the dialog shows, read without widgets: nested nodes with their
// paths, appended to the list, which a failure leaves as it was.
TEST(OptionsTreeRead, NestedNodesWithPathsAndFailuresLeavingTheList) {
    test::UiRecorder ui;
    test::TempDir dir;
    const std::string file = writeFile(dir, "Options.xml", kOptions);
    std::vector<TOptionsNode> nodes(1);
    ASSERT_EQ(ReadOptionsTree(file, &nodes), kOptionsMenuOk);
    ASSERT_EQ(nodes.size(), 3u);
    const TOptionsNode& program = nodes[1];
    EXPECT_EQ(program.Caption, platform::utf8ToCp1251("Программа"));
    EXPECT_EQ(program.Path, "");
    ASSERT_EQ(program.Nodes.size(), 2u);  // the unnamed node and the other element left out
    EXPECT_EQ(program.Nodes[0].Path, file + "/OPTIONS/STRUCT/Visible");
    EXPECT_EQ(program.Nodes[1].Path, file + "/OPTIONS/STRUCT/Update");
    EXPECT_TRUE(program.Nodes[1].Nodes.empty());
    EXPECT_EQ(nodes[2].Path, file + "/OPTIONS/STRUCT/Build");

    const std::string prefix = dir.file("o.xml") + "/OPTIONS/STRUCT/";
    const std::string fits(kMaxDescriptionPath - prefix.size(), 'B');
    const auto options = [&](const std::string& block) {
        return writeFile(dir, "o.xml", "<OPTIONS><MENU><TREENODE NAME=\"a\"><TREENODE NAME=\"b\" STRUCT=\"" + block +
                                           "\"/></TREENODE></MENU></OPTIONS>");
    };
    nodes.resize(1);
    ASSERT_EQ(ReadOptionsTree(options(fits), &nodes), kOptionsMenuOk);
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(nodes[1].Nodes.at(0).Path.size(), kMaxDescriptionPath);
    const std::string twice =
        writeFile(dir, "two.xml", "<OPTIONS><MENU><TREENODE NAME=\"a\"/></MENU><X><MENU/></X></OPTIONS>");
    for (const auto& [path, expected] : std::vector<std::pair<std::string, int>>{
             {options(fits + "B"), kOptionsMenuWalkFailed},
             {twice, kOptionsMenuBadMenu},
             {dir.file("none.xml"), kOptionsMenuNotOpened}}) {
        nodes.resize(1);
        EXPECT_EQ(ReadOptionsTree(path, &nodes), expected) << path;
        EXPECT_EQ(nodes.size(), 1u) << path;
    }
}

// The blocks the dialog's lookup knows: "Update" stored at its described size, "Build" at another.
uint8_t updateBlock[8];
uint8_t buildBlock[3];
int32_t lookup(const char* name, void** data, int32_t* size, int32_t* reserved) {
    *reserved = 0;
    if (std::strcmp(name, "Update") == 0) {
        *data = updateBlock;
        *size = sizeof updateBlock;
        return 0;
    }
    if (std::strcmp(name, "Build") == 0) {
        *data = buildBlock;
        *size = sizeof buildBlock;
        return 0;
    }
    return -1;
}

int emptyPathAsked = 0;

// Descriptions: the struct pointer is the block name's own static text.
const char kUpdate[] = "Update";
const char kBuild[] = "Build";

struct DialogSeen {
    QString title;
    QString selected;
    std::string caption;
    std::vector<std::string> values;  // caption=shown value, Windows-1251
    int treeWidth = 0;
    int width = 0;
};

DialogSeen showAt(FakeKernel& fake, const std::string& file, int index) {
    DialogSeen seen;
    InspectorLink rows(&fake.record().Inspector);
    const auto previous = platform::setDialogRunner([&](QDialog& dialog) {
        auto& options = static_cast<TOptionsDialog&>(dialog);
        dialog.show();
        seen.title = dialog.windowTitle();
        seen.width = dialog.width();
        seen.treeWidth = options.TreeView1->width();
        if (options.TreeView1->currentItem()) seen.selected = options.TreeView1->currentItem()->text(0);
        TObjInspect& inspector = *options.Inspector;
        EXPECT_EQ(inspector.Mode(), 2);
        seen.caption = inspector.Grid().Caption;
        for (const TInspectorRow& row : inspector.Rows()) {
            const TStructInstance* instance = &inspector.Items()[size_t(row.Instance)];
            seen.values.push_back(rows.ItemCaption(instance, row.Item) + "=" +
                                  inspector.Grid().ShownValue(rows, inspector.Lists(), instance, row.Item));
        }
        return int(QDialog::Accepted);
    });
    TOptionsLink link(&fake.record());
    EXPECT_EQ(ShowOptionsDialog(test::cp("Параметры").c_str(), file.c_str(), index, &lookup, 10, 20, 610, 320, link), 0);
    platform::setDialogRunner(previous);
    return seen;
}

TEST(OptionsDialog, ChosenNodeSelectedAndItsBlockShown) {
    test::TempDir dir;
    const std::string file = writeFile(dir, "Options.xml", kOptions);
    FakeKernel fake;
    fake.setHook<TGetStructDescriptionProc>("GetStructDescription", [&](const char* path, void** s, int32_t* size) {
        const std::string p = path;
        if (p.empty()) ++emptyPathAsked;
        if (p == file + "/OPTIONS/STRUCT/Update") {
            *s = const_cast<char*>(kUpdate);
            *size = 8;
            return 0;
        }
        if (p == file + "/OPTIONS/STRUCT/Build") {
            *s = const_cast<char*>(kBuild);
            *size = 4;  // the block holds 3
            return 0;
        }
        return -1;
    });
    fake.setHook<TGetStructTextProc>("GetStructName",
                                     [](const TStructInstance* i) { return static_cast<const char*>(i->Struct); });
    fake.setHook<TGetStructTextProc>("GetStructCaption", [](const TStructInstance* i) {
        return static_cast<const char*>(i->Struct) == kUpdate ? "Update block" : "Build block";
    });
    fake.setHook<TGetStructCountProc>("GetStructItemCount", [](const TStructInstance*) { return 2; });
    fake.setHook<TGetStructItemTextProc>("GetStructItemCaption",
                                         [](const TStructInstance*, uint16_t i) { return i == 0 ? "First" : "Second"; });
    fake.setHook<TGetStructItemTextProc>("GetStructItemValue", [](const TStructInstance* s, uint16_t i) {
        return s->Data ? (i == 0 ? "1" : "2") : "";
    });

    // Node 2 in pre-order is "Обновление" (the unnamed node and its child are not counted).
    DialogSeen seen = showAt(fake, file, 2);
    EXPECT_EQ(seen.title, "Параметры");
    EXPECT_EQ(seen.selected, "Обновление");
    EXPECT_EQ(seen.caption, "Update block");
    EXPECT_EQ(seen.values, (std::vector<std::string>{"First=1", "Second=2"}));
    EXPECT_EQ(seen.treeWidth, seen.width / 3);

    // A block whose stored size differs from its description: the rows without values.
    seen = showAt(fake, file, 3);
    EXPECT_EQ(seen.selected, "Сборка");
    EXPECT_EQ(seen.values, (std::vector<std::string>{"First=", "Second="}));

    // A node without block and an index out of range: an empty grid; the
    // group node asks the kernel for no description of an empty path.
    for (int index : {0, 9, -1}) {
        emptyPathAsked = 0;
        seen = showAt(fake, file, index);
        EXPECT_TRUE(seen.values.empty()) << index;
        EXPECT_EQ(emptyPathAsked, 0) << index;
    }
}

// The shipped options file over the real kernel, the conversion and the
// dialogs library, with the program's own blocks: values shown through the
// file's lists, only VAR rows editable, a typed, a chosen and a dialog-made
// value stored into the program's block when applied.
class ShippedOptions : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(kernel_.bound());
        saved_ = ProgramOptionBlocks();
        std::memset(&ProgramOptionBlocks(), 0, sizeof(TProgramOptionBlocks));
        link_.SetRecord(&kernel_.kernel());
        link_.SetDialogOpener(InspectorLink::DialogsLibraryOpener(nullptr));
    }
    void TearDown() override { ProgramOptionBlocks() = saved_; }

    // Opens the dialog at a node and runs body over it; the dialog's result.
    int show(int node, const std::function<int(TOptionsDialog&)>& body) {
        int result = -1;
        const auto previous = platform::setDialogRunner([&](QDialog& dialog) {
            if (auto* chooser = qobject_cast<QColorDialog*>(&dialog)) {
                chooser->setCurrentColor(QColor(0x11, 0x22, 0x33));
                return int(QDialog::Accepted);
            }
            auto& options = static_cast<TOptionsDialog&>(dialog);
            dialog.show();
            result = body(options);
            return result;
        });
        const std::string file = kernel_.folder() + "/Struct/Options.xml";
        EXPECT_EQ(ShowOptionsDialog("Options", file.c_str(), node, &GetOptionBlock, 10, 20, 610, 320, link_), 0);
        platform::setDialogRunner(previous);
        return result;
    }
    std::vector<std::string> shown(TObjInspect& inspector) {
        std::vector<std::string> values;
        for (const TInspectorRow& row : inspector.Rows())
            values.push_back(platform::cp1251ToUtf8(inspector.Grid().ShownValue(
                rows_, inspector.Lists(), &inspector.Items()[size_t(row.Instance)], row.Item)));
        return values;
    }
    static void press(TObjInspect& inspector, int row) {
        const TInspectorGrid& g = inspector.Grid();
        const QPoint at(g.NameWidth + 20, g.CaptionHeight() + 1 + (row - g.TopRow) * g.RowHeight() + g.RowHeight() / 2);
        QTest::mouseClick(inspector.Image1(), Qt::LeftButton, Qt::NoModifier, at);
    }

    test::RealKernel kernel_;
    TOptionsLink link_;
    InspectorLink rows_{kernel_.bound() ? &kernel_.kernel().Inspector : nullptr};
    TProgramOptionBlocks saved_{};
};

// Node 1 is "Отображение" (ConfiguratorVisible): four Booleans, then two colours.
TEST_F(ShippedOptions, BooleansShowTheirListTextsAndAChosenOneIsStored) {
    ProgramOptionBlocks().Visible[0] = 1;  // ShowGrid
    QStringList entries;
    QString current;
    show(1, [&](TOptionsDialog& options) {
        TObjInspect& inspector = *options.Inspector;
        EXPECT_EQ(shown(inspector), (std::vector<std::string>{"Да", "Нет", "Нет", "Нет", "0", "0"}));
        press(inspector, 0);
        if (inspector.CB()->isHidden()) return int(QDialog::Rejected);
        EXPECT_TRUE(inspector.EditValue()->isHidden());
        for (int i = 0; i < inspector.CB()->count(); ++i) entries << inspector.CB()->itemText(i);
        current = inspector.CB()->currentText();
        inspector.CB()->setCurrentIndex(inspector.CB()->findText("Нет"));
        press(inspector, 1);
        inspector.CB()->setCurrentIndex(inspector.CB()->findText("Да"));
        EXPECT_EQ(shown(inspector)[0], "Нет");
        QTest::mouseClick(inspector.Button2(), Qt::LeftButton);
        return options.result();
    });
    EXPECT_EQ(entries, (QStringList{"Нет", "Да"}));
    EXPECT_EQ(current, "Да");
    EXPECT_EQ(ProgramOptionBlocks().Visible[0], 0);
    EXPECT_EQ(ProgramOptionBlocks().Visible[1], 1);
}

// Node 2 is "Обновление" (ConfiguratorUpdate): its FIELD rows (the two dates,
// the reserved byte) open no editor; node 1's VAR rows (the display's
// Booleans) open their list.
TEST_F(ShippedOptions, OnlyVarRowsAreEditable) {
    const struct {
        int node;
        std::vector<std::string> shownValues;
        std::vector<bool> editable;
    } cases[] = {
        {2, {"0", "0", "0"}, {false, false, false}},
        {1, {"Нет", "Нет", "Нет"}, {true, true, true}},
    };
    for (const auto& c : cases) {
        std::vector<bool> opened;
        show(c.node, [&](TOptionsDialog& options) {
            TObjInspect& inspector = *options.Inspector;
            std::vector<std::string> values = shown(inspector);
            values.resize(c.shownValues.size());
            EXPECT_EQ(values, c.shownValues) << "node " << c.node;
            for (size_t row = 0; row < c.editable.size(); ++row) {
                press(inspector, int(row));
                opened.push_back(!inspector.EditValue()->isHidden() || !inspector.CB()->isHidden());
            }
            return int(QDialog::Accepted);
        });
        EXPECT_EQ(opened, c.editable) << "node " << c.node;
    }
}

// Node 1 again: a colour typed (checked while typing, an invalid one never
// stored), the other made in the dialogs library's colour dialog ("..."),
// both in the program's block once applied.
TEST_F(ShippedOptions, ATypedAndADialogColourReachTheBlock) {
    QColor invalidTint, validTint;
    bool dialogOffered = false;
    const int result = show(1, [&](TOptionsDialog& options) {
        TObjInspect& inspector = *options.Inspector;
        press(inspector, 4);  // GridColor
        QLineEdit* edit = inspector.EditValue();
        if (edit->isHidden()) return int(QDialog::Rejected);
        edit->selectAll();
        QTest::keyClicks(edit, "12x");
        invalidTint = edit->palette().color(QPalette::Base);
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(shown(inspector)[4], "0");
        press(inspector, 4);
        edit->selectAll();
        QTest::keyClicks(edit, "255");
        validTint = edit->palette().color(QPalette::Base);
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_TRUE(options.isVisible()) << "Enter stores the value, it does not close the dialog";
        // Escape closes an open editor, the dialog stays.
        press(inspector, 4);
        QTest::keyClick(edit, Qt::Key_Escape);
        EXPECT_TRUE(edit->isHidden());
        EXPECT_TRUE(options.isVisible());
        press(inspector, 5);  // BackColor
        dialogOffered = !inspector.BitBtndlg()->isHidden();
        if (dialogOffered) QTest::mouseClick(inspector.BitBtndlg(), Qt::LeftButton);
        QTest::mouseClick(inspector.CloseButton(), Qt::LeftButton);
        return options.result();
    });
    EXPECT_EQ(result, int(QDialog::Accepted));
    EXPECT_EQ(invalidTint, QColor(0xFF, 0xDE, 0xDE));
    EXPECT_NE(validTint, QColor(0xFF, 0xDE, 0xDE));
    int32_t grid = 0, back = 0;
    std::memcpy(&grid, ProgramOptionBlocks().Visible + 4, 4);
    std::memcpy(&back, ProgramOptionBlocks().Visible + 8, 4);
    EXPECT_EQ(grid, 255);
    EXPECT_TRUE(dialogOffered);
    EXPECT_EQ(back, 0x332211);  // 0x00BBGGRR of the colour chosen
}

// Node 3 is "Прокси сервер": the password shows masked and is typed unseen;
// the block gets the text entered.
TEST_F(ShippedOptions, TheProxyPasswordIsMaskedAndStored) {
    std::strcpy(ProgramOptionBlocks().Connect.ProxyPassword, "s3cret");
    QLineEdit::EchoMode echo = QLineEdit::Normal;
    QString editorStart;
    show(3, [&](TOptionsDialog& options) {
        TObjInspect& inspector = *options.Inspector;
        EXPECT_EQ(shown(inspector).at(4), "******");
        press(inspector, 4);
        QLineEdit* edit = inspector.EditValue();
        echo = edit->echoMode();
        editorStart = edit->text();
        edit->selectAll();
        QTest::keyClicks(edit, "new pass");
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(shown(inspector).at(4), "********");
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(echo, QLineEdit::Password);
    EXPECT_EQ(editorStart, "s3cret");
    EXPECT_STREQ(ProgramOptionBlocks().Connect.ProxyPassword, "new pass");
}

}  // namespace
}  // namespace zo::configurator
