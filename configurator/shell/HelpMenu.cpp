#include "configurator/shell/HelpMenu.h"

#include "configurator/shell/About.h"
#include "configurator/shell/MenuXml.h"
#include "platform/Web.h"
#include "platform/Cp1251.h"

#include <QAction>
#include <QMenu>

namespace zo::configurator {

THelpMenu::THelpMenu(QMenu* menu, std::function<std::string()> programFolder, QWidget* aboutParent)
    : QObject(menu), menu_(menu), programFolder_(std::move(programFolder)), aboutParent_(aboutParent) {
    connect(menu_, &QMenu::aboutToShow, this, &THelpMenu::MenuHelpClick);
    MenuHelpClick();
}

void THelpMenu::MenuHelpClick() {
    menu_->clear();
    const std::string folder = programFolder_ ? programFolder_() : std::string();
    helpFile_ = folder.empty() ? std::string() : folder + "\\Struct\\Help.xml";
    if (!helpFile_.empty() && HelpMenuExists(helpFile_)) {
        LoadHelpMenu(helpFile_, menu_, [this](QAction* item) { HelpMenuClick(item); });
        menu_->addSeparator();
    }
    QAction* web = menu_->addAction(QString::fromUtf8("Страница проекта"), this, &THelpMenu::HelpAboutWebExecute);
    web->setObjectName("HelpAboutWeb");
    QAction* forum = menu_->addAction(QString::fromUtf8("Форум проекта"), this, &THelpMenu::HelpForumExecute);
    forum->setObjectName("HelpForum");
    menu_->addSeparator();
    QAction* about = menu_->addAction(QString::fromUtf8("О программе"), this, [this] { ShowAboutBox(aboutParent_); });
    about->setObjectName("HelpAbout");
}

void THelpMenu::HelpMenuClick(QAction* sender) {
    const int tag = MenuItemTag(sender);
    if (helpFile_.empty() || tag <= 0) return;
    std::string url;
    if (GetHelpLink(helpFile_, tag, &url) != kMenuXmlOk) return;
    platform::OpenUrlInBrowser(platform::SiteAddress() + "/" + platform::cp1251ToQString(url));
}

void THelpMenu::HelpAboutWebExecute() { platform::OpenUrlInBrowser(platform::SiteAddress()); }

void THelpMenu::HelpForumExecute() { platform::OpenUrlInBrowser(platform::SiteAddress() + "/forum"); }

}  // namespace zo::configurator
