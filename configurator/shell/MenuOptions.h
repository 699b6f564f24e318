#pragma once
// The main window's menu "Параметры", rebuilt each time it opens: the options
// tree of Options.xml (each item opening the options dialog at its node),
// then the update entries. OptinsClick also serves the tool bar's "Настройки".
// What the dialog left in the blocks takes effect when it closes: the kernel
// takes the display options and every scheme window is painted anew.

#include "configurator/link/ProjectSession.h"
#include "configurator/link/OptionsLink.h"

#include <QObject>

#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace zo::configurator {

class IHostServices;

class TMenuOptions : public QObject {
    Q_OBJECT
public:
    TMenuOptions(QMenu* menu, TProjectSession& session, IHostServices& host, QWidget* dialogParent);

    QMenu* Menu() const { return menu_; }
    void MenuOptionsClick();
    // Opens the options dialog with the sender's tag as the selected node (-1 without a menu item).
    void OptinsClick(QAction* sender);

    // Appends the update part of the menu (set by the update commands).
    void SetUpdatePart(std::function<void(QMenu*)> part) { updatePart_ = std::move(part); }

private:
    QMenu* menu_;
    TProjectSession& session_;
    IHostServices& host_;
    QWidget* dialogParent_;
    TOptionsLink link_;
    std::function<void(QMenu*)> updatePart_;
};

}  // namespace zo::configurator
