// The options menu and the options dialog built from the MENU tree of the
// options file: numbering aligned between both, the chosen node's block shown.
#include "configurator/shell/OptionsMenu.h"
#include "platform/Cp1251.h"
#include "platform/DialogHook.h"
#include "support/FakeKernel.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <cstring>
#include <fstream>
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
    QString caption;
    QStringList values;
    int treeWidth = 0;
    int width = 0;
    bool captionsWhole = true;  // every caption fits its column on one line
};

DialogSeen showAt(FakeKernel& fake, const std::string& file, int index) {
    DialogSeen seen;
    const auto previous = platform::setDialogRunner([&](QDialog& dialog) {
        auto& options = static_cast<TOptionsDialog&>(dialog);
        dialog.show();
        seen.title = dialog.windowTitle();
        seen.width = dialog.width();
        seen.treeWidth = options.TreeView1->width();
        if (options.TreeView1->currentItem()) seen.selected = options.TreeView1->currentItem()->text(0);
        seen.caption = options.InspectorCaption->text();
        for (int row = 0; row < options.Inspector->rowCount(); ++row) {
            const QTableWidgetItem* caption = options.Inspector->item(row, 0);
            seen.values << caption->text() + "=" + options.Inspector->item(row, 1)->text();
            const int needed = options.Inspector->fontMetrics().horizontalAdvance(caption->text());
            seen.captionsWhole = seen.captionsWhole && options.Inspector->columnWidth(0) > needed;
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
    fake.setHook<TGetStructItemTextProc>("GetStructItemCaption", [](const TStructInstance*, uint16_t i) {
        return i == 0 ? "First" : "Second, a longer caption here";
    });
    fake.setHook<TGetStructItemTextProc>("GetStructItemValue", [](const TStructInstance* s, uint16_t i) {
        return s->Data ? (i == 0 ? "1" : "2") : "?";
    });

    // Node 2 in pre-order is "Обновление" (the unnamed node and its child are not counted).
    DialogSeen seen = showAt(fake, file, 2);
    EXPECT_EQ(seen.title, "Параметры");
    EXPECT_EQ(seen.selected, "Обновление");
    EXPECT_EQ(seen.caption, "Update block");
    const QString second = "Second, a longer caption here";
    EXPECT_EQ(seen.values, (QStringList{"First=1", second + "=2"}));
    EXPECT_TRUE(seen.captionsWhole) << "the captions are not cut";
    EXPECT_EQ(seen.treeWidth, seen.width / 3);

    // A block whose stored size differs from its description: the rows without values.
    seen = showAt(fake, file, 3);
    EXPECT_EQ(seen.selected, "Сборка");
    EXPECT_EQ(seen.values, (QStringList{"First=", second + "="}));

    // A node without block and an index out of range: an empty grid; the
    // group node asks the kernel for no description of an empty path.
    for (int index : {0, 9, -1}) {
        emptyPathAsked = 0;
        seen = showAt(fake, file, index);
        EXPECT_TRUE(seen.values.isEmpty()) << index;
        EXPECT_EQ(emptyPathAsked, 0) << index;
    }
}

// The proxy block as the options file describes it: the password row shows
// bullets (also after an edit), its editor takes the text unseen starting from
// the stored one, and the block gets the real text entered.
TEST(OptionsDialog, ProxyPasswordShownMaskedAndEditStored) {
    test::TempDir dir;
    const std::string file = writeFile(dir, "Options.xml", R"(<?xml version="1.0" encoding="UTF-8"?>
<OPTIONS><MENU><TREENODE NAME="Связь" STRUCT="Update"/></MENU></OPTIONS>)");
    const char* const names[] = {"ProxyUser", "ProxyPassword", "ProxyPort"};
    std::vector<std::string> stored = {"operator", "s3cret", "8080"};
    std::vector<std::pair<int, std::string>> writes;
    FakeKernel fake;
    fake.setHook<TGetStructDescriptionProc>("GetStructDescription", [](const char*, void** s, int32_t* size) {
        *s = const_cast<char*>(kUpdate);
        *size = 8;
        return 0;
    });
    fake.setHook<TGetStructTextProc>("GetStructName", [](const TStructInstance*) { return kUpdate; });
    fake.setHook<TGetStructCountProc>("GetStructItemCount", [](const TStructInstance*) { return 3; });
    for (const char* slot : {"GetStructItemCaption", "GetStructItemName"})
        fake.setHook<TGetStructItemTextProc>(slot, [&](const TStructInstance*, uint16_t i) { return names[i]; });
    fake.setHook<TGetStructItemTextProc>("GetStructItemValue",
                                         [&](const TStructInstance*, uint16_t i) { return stored[i].c_str(); });
    fake.setHook<TSetStructItemValueProc>("SetStructItemValue", [&](const TStructInstance*, uint16_t i, const char* t) {
        writes.emplace_back(i, t);
        stored[i] = t;
        return 0;
    });

    QStringList shown, shownAfterEdit;
    QLineEdit::EchoMode echo = QLineEdit::Normal;
    QString editorStart;
    const auto previous = platform::setDialogRunner([&](QDialog& dialog) {
        QTableWidget* grid = static_cast<TOptionsDialog&>(dialog).Inspector;
        dialog.show();
        for (int row = 0; row < grid->rowCount(); ++row) shown << grid->item(row, 1)->text();
        grid->setCurrentCell(1, 1);
        grid->editItem(grid->item(1, 1));
        auto* editor = grid->viewport()->findChild<QLineEdit*>();
        if (!editor) return int(QDialog::Rejected);
        echo = editor->echoMode();
        editorStart = editor->text();
        editor->selectAll();
        QTest::keyClicks(editor, "new pass");
        QTest::keyClick(editor, Qt::Key_Return);
        // The view commits a finished editor through a queued call.
        for (int i = 0; i < 100 && writes.empty(); ++i) QTest::qWait(10);
        for (int row = 0; row < grid->rowCount(); ++row) shownAfterEdit << grid->item(row, 1)->text();
        return int(QDialog::Accepted);
    });
    TOptionsLink link(&fake.record());
    EXPECT_EQ(ShowOptionsDialog("Options", file.c_str(), 0, &lookup, 10, 20, 610, 320, link), 0);
    platform::setDialogRunner(previous);

    const QChar bullet(char16_t(QApplication::style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter)));
    EXPECT_EQ(shown, (QStringList{"operator", QString(6, bullet), "8080"}));
    EXPECT_EQ(echo, QLineEdit::Password);
    EXPECT_EQ(editorStart, "s3cret");
    EXPECT_EQ(writes, (std::vector<std::pair<int, std::string>>{{1, "new pass"}}));
    EXPECT_EQ(stored[1], "new pass");
    EXPECT_EQ(shownAfterEdit, (QStringList{"operator", QString(8, bullet), "8080"}));
}

TEST(OptionsDialog, SecretOptionsAreThePasswords) {
    for (const char* name : {"ProxyPassword", "password", "UserPASSWORD"}) EXPECT_TRUE(IsSecretOption(name)) << name;
    for (const char* name : {"ProxyUser", "ProxyServer", "Pass", ""}) EXPECT_FALSE(IsSecretOption(name)) << name;
}

}  // namespace
}  // namespace zo::configurator
