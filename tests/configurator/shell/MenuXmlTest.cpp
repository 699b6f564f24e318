// The help menu and the update list built from their XML files, and the
// lookups of a clicked item's link or entry.
#include "configurator/shell/MenuXml.h"
#include "platform/Cp1251.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include <fstream>
#include <utility>
#include <vector>

namespace zo::configurator {
namespace {

std::string writeXml(const test::TempDir& dir, const std::string& name, const std::string& body) {
    const std::string file = dir.file(name);
    std::ofstream(file) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" << body;
    return file;
}

const char kHelp[] = R"(<DOC><HELP>
  <Link NAME="Первая" URL="a.html"/>
  <Link NAME="Без адреса"/>
  <Group IM="Группа">
    <Link NAME="Вторая" URL="b.html"/>
    <Inner>
      <Link URL="c.html" IM="Третья"/>
    </Inner>
  </Group>
  <Link NAME="Четвёртая" URL="d.html"/>
</HELP></DOC>)";

struct Item {
    std::string caption;
    int tag;
    bool submenu;
};

std::vector<Item> itemsOf(const QMenu& menu) {
    std::vector<Item> items;
    for (QAction* a : menu.actions()) items.push_back({a->text().toStdString(), MenuItemTag(a), a->menu() != nullptr});
    return items;
}

TEST(HelpMenuXml, LinksNumberedAcrossSubmenusPlainItemsTagZero) {
    test::TempDir dir;
    const std::string file = writeXml(dir, "Help.xml", kHelp);
    ASSERT_TRUE(HelpMenuExists(file));
    QMenu menu;
    std::vector<int> clicked;
    ASSERT_EQ(LoadHelpMenu(file, &menu, [&](QAction* a) { clicked.push_back(MenuItemTag(a)); }), kMenuXmlOk);
    const auto top = itemsOf(menu);
    ASSERT_EQ(top.size(), 4u);
    EXPECT_EQ(top[0].caption, "Первая");
    EXPECT_EQ(top[0].tag, 1);
    EXPECT_EQ(top[1].caption, "Без адреса");  // a Link without URL is a plain item and takes no number
    EXPECT_EQ(top[1].tag, 0);
    EXPECT_EQ(top[2].caption, "Группа");
    EXPECT_TRUE(top[2].submenu);
    EXPECT_EQ(top[3].tag, 4);
    QMenu* group = menu.actions()[2]->menu();
    const auto second = itemsOf(*group);
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(second[0].tag, 2);
    EXPECT_EQ(second[1].caption, "Inner");  // neither NAME nor IM: the node name
    const auto third = itemsOf(*group->actions()[1]->menu());
    ASSERT_EQ(third.size(), 1u);
    EXPECT_EQ(third[0].caption, "Третья");
    EXPECT_EQ(third[0].tag, 3);

    group->actions()[1]->menu()->actions()[0]->trigger();
    menu.actions()[1]->trigger();  // plain: no handler
    EXPECT_EQ(clicked, std::vector<int>{3});

    std::string url = "old";
    for (const auto& [index, expected] : std::vector<std::pair<int, std::string>>{
             {1, "a.html"}, {2, "b.html"}, {3, "c.html"}, {4, "d.html"}}) {
        EXPECT_EQ(GetHelpLink(file, index, &url), kMenuXmlOk);
        EXPECT_EQ(url, expected);
    }
    for (int missing : {0, 5, -1}) {
        url = "old";
        EXPECT_EQ(GetHelpLink(file, missing, &url), kMenuXmlNotFound) << missing;
        EXPECT_EQ(url, "old");
    }
}

TEST(HelpMenuXml, RootCountsAndMissingFiles) {
    test::UiRecorder ui;
    test::TempDir dir;
    const std::string twice = writeXml(dir, "two.xml", "<R><HELP><Link URL=\"a\"/></HELP><HELP/></R>");
    const std::string empty = writeXml(dir, "empty.xml", "<HELP/>");
    QMenu menu;
    EXPECT_FALSE(HelpMenuExists(twice));
    EXPECT_EQ(LoadHelpMenu(twice, &menu, {}), kMenuXmlBadRoot);
    EXPECT_FALSE(HelpMenuExists(empty));
    EXPECT_EQ(LoadHelpMenu(empty, &menu, {}), kMenuXmlOk);
    EXPECT_FALSE(HelpMenuExists(dir.file("none.xml")));
    EXPECT_TRUE(ui.messages.empty());  // the exists-test looks before it opens
    EXPECT_EQ(LoadHelpMenu(dir.file("none.xml"), &menu, {}), kMenuXmlNotOpened);
    EXPECT_TRUE(menu.actions().isEmpty());
}

TEST(UpdateMenuXml, OneItemPerEntryKeepingItsName) {
    test::TempDir dir;
    const std::string file =
        writeXml(dir, "update.xml", R"(<UPDATE><Configurator IM="Программа"/><Library/><Device IM="Устройства"><Sub/></Device></UPDATE>)");
    ASSERT_TRUE(UpdateMenuExists(file));
    QMenu menu;
    QStringList clicked;
    ASSERT_EQ(LoadUpdateMenu(file, &menu, [&](QAction* a) { clicked << a->property(kUpdateEntryProperty).toString(); }),
              kMenuXmlOk);
    const auto items = itemsOf(menu);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].caption, "Программа");
    EXPECT_EQ(items[1].caption, "Library");
    EXPECT_FALSE(items[2].submenu);  // not recursive
    for (int i = 0; i < 3; ++i) EXPECT_EQ(items[i].tag, i);
    menu.actions()[2]->trigger();
    EXPECT_EQ(clicked, QStringList{"Device"});

    std::string name = "old";
    EXPECT_EQ(GetUpdateEntryName(file, 1, &name), kMenuXmlOk);
    EXPECT_EQ(name, "Library");
    name = "old";
    EXPECT_EQ(GetUpdateEntryName(file, 3, &name), kMenuXmlNotFound);
    EXPECT_EQ(name, "old");
    EXPECT_FALSE(UpdateMenuExists(writeXml(dir, "two.xml", "<R><UPDATE><A/></UPDATE><UPDATE/></R>")));
    EXPECT_EQ(LoadUpdateMenu(dir.file("two.xml"), &menu, {}), kMenuXmlBadRoot);
}

// The items the menus are built from, read without widgets.
TEST(HelpMenuRead, ItemsWithCaptionsNumbersAndUrls) {
    test::TempDir dir;
    const std::string file = writeXml(dir, "Help.xml", kHelp);
    std::vector<THelpItem> items(1);
    items[0].Caption = "kept";
    ASSERT_EQ(ReadHelpMenu(file, &items), kMenuXmlOk);
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].Caption, "kept");  // appended to what the list held
    const auto cp = [](const char* utf8) { return platform::utf8ToCp1251(utf8); };
    EXPECT_EQ(items[1].Caption, cp("Первая"));
    EXPECT_EQ(items[1].Tag, 1);
    EXPECT_EQ(items[1].Url, "a.html");
    EXPECT_FALSE(items[1].Submenu);
    EXPECT_EQ(items[2].Tag, 0);
    EXPECT_EQ(items[2].Url, "");
    EXPECT_FALSE(items[2].Submenu);
    const THelpItem& group = items[3];
    EXPECT_EQ(group.Caption, cp("Группа"));
    EXPECT_TRUE(group.Submenu);
    EXPECT_EQ(group.Tag, 0);
    ASSERT_EQ(group.Items.size(), 2u);
    EXPECT_EQ(group.Items[0].Url, "b.html");
    EXPECT_EQ(group.Items[0].Tag, 2);
    EXPECT_EQ(group.Items[1].Caption, "Inner");
    ASSERT_EQ(group.Items[1].Items.size(), 1u);
    EXPECT_EQ(group.Items[1].Items[0].Caption, cp("Третья"));
    EXPECT_EQ(group.Items[1].Items[0].Tag, 3);
    EXPECT_EQ(items[4].Tag, 4);
    EXPECT_EQ(items[4].Url, "d.html");
}

TEST(HelpMenuRead, ALinksChildrenAreWalkedTextOnlyIsPlainAndTheWalkEndsAtAComment) {
    test::TempDir dir;
    const std::string file = writeXml(dir, "Help.xml",
                                      R"(<HELP><Link URL="a"><Link URL="x"/><Plain/></Link><Text>words</Text>)"
                                      R"(<Note><!-- only a comment --></Note><Link URL="b"/><!-- end --><Link URL="c"/></HELP>)");
    std::vector<THelpItem> items;
    ASSERT_EQ(ReadHelpMenu(file, &items), kMenuXmlOk);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].Tag, 1);  // a link with children: numbered before them, a submenu of them
    EXPECT_TRUE(items[0].Submenu);
    ASSERT_EQ(items[0].Items.size(), 2u);
    EXPECT_EQ(items[0].Items[0].Tag, 2);
    EXPECT_EQ(items[0].Items[1].Tag, 0);
    for (size_t i : {1u, 2u}) {  // children only text or a comment: a plain item
        EXPECT_FALSE(items[i].Submenu) << i;
        EXPECT_EQ(items[i].Tag, 0) << i;
    }
    EXPECT_EQ(items[3].Tag, 3);
    std::string url;
    for (const auto& [index, expected] : std::vector<std::pair<int, std::string>>{{1, "a"}, {2, "x"}, {3, "b"}}) {
        EXPECT_EQ(GetHelpLink(file, index, &url), kMenuXmlOk) << index;
        EXPECT_EQ(url, expected);
    }
    url = "old";
    EXPECT_EQ(GetHelpLink(file, 4, &url), kMenuXmlNotFound);
    EXPECT_EQ(url, "old");
    // The menu shows the same; the link with items is followed when they open.
    QMenu menu;
    std::vector<int> clicked;
    ASSERT_EQ(LoadHelpMenu(file, &menu, [&](QAction* a) { clicked.push_back(MenuItemTag(a)); }), kMenuXmlOk);
    const auto shown = itemsOf(menu);
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_TRUE(shown[0].submenu);
    EXPECT_EQ(shown[0].tag, 1);
    EXPECT_FALSE(shown[1].submenu);
    EXPECT_FALSE(shown[2].submenu);
    QMenu* link = menu.actions()[0]->menu();
    emit link->aboutToShow();
    link->actions()[0]->trigger();
    EXPECT_EQ(clicked, (std::vector<int>{1, 2}));
}

TEST(MenuListRead, FailuresLeaveTheListAsItWas) {
    test::UiRecorder ui;
    test::TempDir dir;
    const std::string twoHelp = writeXml(dir, "h.xml", "<R><HELP><Link URL=\"a\"/></HELP><HELP/></R>");
    const std::string twoUpdate = writeXml(dir, "u.xml", "<R><UPDATE><A/></UPDATE><UPDATE/></R>");
    const std::string broken = writeXml(dir, "b.xml", "<HELP><UPDATE>");
    struct Case {
        std::string file;
        int help;
        int update;
    };
    for (const Case& c : std::vector<Case>{{twoHelp, kMenuXmlBadRoot, kMenuXmlBadRoot},
                                           {twoUpdate, kMenuXmlBadRoot, kMenuXmlBadRoot},
                                           {broken, kMenuXmlNotOpened, kMenuXmlNotOpened},
                                           {dir.file("none.xml"), kMenuXmlNotOpened, kMenuXmlNotOpened}}) {
        std::vector<THelpItem> help(1);
        std::vector<TUpdateItem> update(1);
        EXPECT_EQ(ReadHelpMenu(c.file, &help), c.help) << c.file;
        EXPECT_EQ(ReadUpdateList(c.file, &update), c.update) << c.file;
        EXPECT_EQ(help.size(), 1u);
        EXPECT_EQ(update.size(), 1u);
    }
}

TEST(UpdateListRead, EntriesWithCaptionsAndPositions) {
    test::TempDir dir;
    const std::string file = writeXml(
        dir, "update.xml", R"(<UPDATE><Configurator IM="Программа"/><Library/><Device><Sub/></Device><!-- end --><After/></UPDATE>)");
    std::vector<TUpdateItem> items;
    ASSERT_EQ(ReadUpdateList(file, &items), kMenuXmlOk);
    ASSERT_EQ(items.size(), 3u);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {platform::utf8ToCp1251("Программа"), "Configurator"}, {"Library", "Library"}, {"Device", "Device"}};
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].Caption, expected[i].first);
        EXPECT_EQ(items[i].Entry, expected[i].second);
        EXPECT_EQ(items[i].Tag, int(i));
    }
}

}  // namespace
}  // namespace zo::configurator
