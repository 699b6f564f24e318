#pragma once
// The help menu and the update list as menus, built from the items
// MenuXmlRead reads from Help.xml and update.xml. A link item gets its tag
// and the click handler; every other help item has tag 0, and a submenu holds
// its items. An update item carries its position as the tag, the click
// handler and the entry's node name (kUpdateEntryProperty), so a click
// updates the entry that was shown even when the file is rewritten meanwhile.

#include "configurator/shell/MenuXmlRead.h"

#include <QString>

#include <functional>
#include <string>

class QAction;
class QMenu;

namespace zo::configurator {

// The property of a menu item holding its tag (an int).
inline constexpr char kMenuTagProperty[] = "tag";
// The property of an update item holding its entry's node name (a QString).
inline constexpr char kUpdateEntryProperty[] = "updateEntry";

using MenuClickHandler = std::function<void(QAction*)>;

// The tag of a menu item (-1 when it has none).
int MenuItemTag(const QAction* item);

// Appends the items below HELP to parent (results as ReadHelpMenu); the
// handler is called with the clicked link.
int LoadHelpMenu(const std::string& file, QMenu* parent, const MenuClickHandler& handler);

// Appends the update list to parent; the handler is called with the clicked item.
int LoadUpdateMenu(const std::string& file, QMenu* parent, const MenuClickHandler& handler);

}  // namespace zo::configurator
