// The main window's help menu and the web links: rebuilt on opening from the
// program folder's Help.xml, each link opening the site address with its path
// (the about box's link too), and the box when the desktop cannot open it.
#include "configurator/shell/About.h"
#include "configurator/shell/HelpMenu.h"
#include "configurator/link/ProjectSession.h"
#include "configurator/shell/MainForm.h"
#include "configurator/shell/MainMenus.h"
#include "configurator/shell/MenuXml.h"
#include "platform/Web.h"
#include "support/FakeKernel.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QTest>
#include <QUrl>
#include <QMenu>
#include <QMenuBar>

#include <filesystem>
#include <fstream>

namespace zo::configurator {
namespace {

struct OpenedUrls {
    QStringList urls;
    bool opens = true;  // false: the desktop has no program for the address
    OpenedUrls() {
        platform::SetUrlOpener([this](const QString& url) {
            urls << url;
            return opens;
        });
    }
    ~OpenedUrls() { platform::SetUrlOpener({}); }
};

QStringList captions(const QMenu& menu) {
    QStringList list;
    for (QAction* a : menu.actions()) list << (a->isSeparator() ? QString("-") : a->text());
    return list;
}

TEST(UrlEncode, BytesAsTheSiteExpectsThem) {
    const struct {
        std::string text;
        std::string encoded;
    } rows[] = {{"a b", "a+b"},
                {"x-y", "x%2Dy"},
                {"Az09_", "Az09_"},
                {"a/b.c", "a%2Fb%2Ec"},
                {"\xC0\xFF", "%C0%FF"},              // Windows-1251 letters: one byte each
                {"\xD0\x90", "%D0%90"},              // UTF-8 "А": two bytes
                {"", ""}};
    for (const auto& row : rows) EXPECT_EQ(platform::UrlEncode(row.text), row.encoded) << row.text;
}

TEST(HelpMenu, WithoutHelpFileOnlyTheWebLinksAndAbout) {
    OpenedUrls opened;
    QMenu menu;
    THelpMenu help(&menu, [] { return std::string(); }, nullptr);
    EXPECT_EQ(captions(menu), (QStringList{"Страница проекта", "Форум проекта", "-", "О программе"}));
    for (QAction* a : menu.actions())
        if (a->objectName() == "HelpAboutWeb" || a->objectName() == "HelpForum") a->trigger();
    EXPECT_EQ(opened.urls, (QStringList{platform::SiteAddress(), platform::SiteAddress() + "/forum"}));
    EXPECT_TRUE(platform::SiteAddress().startsWith("https://"));
}

TEST(HelpMenu, RebuiltOnOpeningFromTheProgramFoldersHelpFile) {
    OpenedUrls opened;
    test::TempDir dir;
    std::filesystem::create_directories(dir.path() / "Struct");
    QMenu menu;
    THelpMenu help(&menu, [&] { return dir.str(); }, nullptr);
    EXPECT_EQ(menu.actions().size(), 4);
    std::ofstream(dir.file("Struct/Help.xml"))
        << R"(<?xml version="1.0" encoding="UTF-8"?><HELP><Link NAME="Начало" URL="help/start.html"/><Plain/></HELP>)";
    emit menu.aboutToShow();
    EXPECT_EQ(captions(menu),
              (QStringList{"Начало", "Plain", "-", "Страница проекта", "Форум проекта", "-", "О программе"}));
    menu.actions()[1]->trigger();  // tag 0 opens nothing
    EXPECT_TRUE(opened.urls.isEmpty());
    menu.actions()[0]->trigger();
    EXPECT_EQ(opened.urls, QStringList{platform::SiteAddress() + "/help/start.html"});
    emit menu.aboutToShow();  // not stacked
    EXPECT_EQ(menu.actions().size(), 7);
}

TEST(HelpMenu, ALinkTheDesktopCannotOpenIsToldInABox) {
    test::UiRecorder ui;
    OpenedUrls opened;
    QMenu menu;
    THelpMenu help(&menu, [] { return std::string(); }, nullptr);
    menu.actions()[0]->trigger();
    EXPECT_TRUE(ui.messages.empty());
    opened.opens = false;
    menu.actions()[1]->trigger();
    EXPECT_EQ(opened.urls.size(), 2);
    EXPECT_EQ(ui.messages, std::vector<std::string>{platform::kNoBrowserMessage});
}

TEST(HelpMenu, WithoutAnyProgramForWebPagesTheBrowserIsUnknownAndNothingOpens) {
    test::UiRecorder ui;
    test::TempDir empty;
    test::ScopedEnv path("PATH", empty.str());  // no xdg-mime: the desktop names nothing
    EXPECT_TRUE(platform::GetDefaultBrowserInfo().isEmpty());
    EXPECT_EQ(platform::OpenUrlInBrowser(platform::SiteAddress()), 2);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{platform::kNoBrowserMessage, platform::kNoBrowserMessage}));
}

TEST(HelpMenu, AFileOrFolderThatIsNotThereOpensNothingAndSaysSo) {
    test::UiRecorder ui;
    test::TempDir dir;
    EXPECT_EQ(platform::OpenUrlInBrowser(QUrl::fromLocalFile(QString::fromStdString(dir.file("Upload"))).toString()), 2);
    EXPECT_EQ(ui.messages, std::vector<std::string>{platform::kNoBrowserMessage});
}

TEST(AboutBox, TheLinkShowsAndOpensTheSiteOfTheHelpMenu) {
    OpenedUrls opened;
    TAboutForm box;
    EXPECT_EQ(box.LinkLabel->text(), QString::fromLatin1(platform::kSiteHost));
    QTest::mouseClick(box.LinkLabel, Qt::LeftButton);
    EXPECT_EQ(opened.urls, QStringList{platform::SiteAddress()});
}

TEST(MainMenus, SixMenusInOrderAndTheHelpMenuFromTheKernelsProgramFolder) {
    test::FakeKernel fake;
    test::TempDir dir;
    std::filesystem::create_directories(dir.path() / "Struct");
    std::ofstream(dir.file("Struct/Help.xml"))
        << R"(<?xml version="1.0" encoding="UTF-8"?><HELP><Link NAME="Начало" URL="a"/></HELP>)";
    fake.setText("GetProgramFolder", dir.str());
    TProjectSession session;
    TMainForm form{session};
    form.Session().SetRecord(&fake.record());
    QStringList titles;
    for (QAction* a : form.menuBar()->actions()) titles << a->text();
    EXPECT_EQ(titles, (QStringList{"Файл", "Проект", "Режим", "Параметры", "Окно", "Справка"}));
    QMenu* modes = MainMenu(form, "N2");
    ASSERT_NE(modes, nullptr);
    ASSERT_EQ(modes->actions().size(), 4);
    EXPECT_EQ(modes->actions()[0], form.Action("ReginSelect"));
    QMenu* help = MainMenu(form, "MenuHelp");
    ASSERT_NE(help, nullptr);
    emit help->aboutToShow();
    EXPECT_EQ(help->actions().first()->text(), "Начало");
}

}  // namespace
}  // namespace zo::configurator
