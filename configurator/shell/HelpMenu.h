#pragma once
// The main window's help menu "Справка", rebuilt each time it opens: the
// entries of <program folder>\Struct\Help.xml and a separator (when the file
// has entries), then "Страница проекта", "Форум проекта", a separator and
// "О программе".

#include <QObject>

#include <functional>
#include <string>

class QAction;
class QMenu;
class QWidget;

namespace zo::configurator {

class THelpMenu : public QObject {
    Q_OBJECT
public:
    // programFolder gives the kernel's program folder (empty while unbound).
    THelpMenu(QMenu* menu, std::function<std::string()> programFolder, QWidget* aboutParent);

    QMenu* Menu() const { return menu_; }
    // The help file of the last build (empty while the kernel is not bound).
    const std::string& HelpFile() const { return helpFile_; }

    void MenuHelpClick();
    void HelpMenuClick(QAction* sender);
    void HelpAboutWebExecute();
    void HelpForumExecute();

private:
    QMenu* menu_;
    std::function<std::string()> programFolder_;
    QWidget* aboutParent_;
    std::string helpFile_;
};

}  // namespace zo::configurator
