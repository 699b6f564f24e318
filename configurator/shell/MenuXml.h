#pragma once
// The help menu and the update list built from their XML files: Help.xml
// (Struct folder, root element HELP) and update.xml (Update folder, root
// element UPDATE, written by the connection library).
//
// Help: every element below HELP is an item captioned NAME, else IM, else its
// node name. An element named "Link" with a non-empty URL is a link: it gets
// the next link number (1, 2, ... in document order, depth first) as its tag
// and the click handler; every other element has tag 0 and its children as
// its submenu. Update list: one item per child of UPDATE, captioned IM or the
// node name, tag = position from 0, with the click handler; each item also
// keeps the entry's node name (kUpdateEntryProperty), so a click updates the
// entry that was shown even when the file is rewritten meanwhile.
//
// Every routine opens the file with its own TZo_XML. File names are
// Windows-1251.

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

enum MenuXmlResult : int {
    kMenuXmlOk = 0,
    kMenuXmlNotOpened = -1,   // the file did not open
    kMenuXmlBadRoot = -2,     // not exactly one root element
    kMenuXmlBuildFailed = -3, // building failed (help menu)
    kMenuXmlNotFound = -4,    // lookup: no entry of that index
};

// The tag of a menu item (-1 when it has none).
int MenuItemTag(const QAction* item);

// True when the file exists, opens, holds exactly one HELP and HELP has a first child element.
bool HelpMenuExists(const std::string& file);
// Appends the tree below HELP to parent; the handler is called with the clicked link.
int LoadHelpMenu(const std::string& file, QMenu* parent, const MenuClickHandler& handler);
// The URL of the link numbered index into url (Windows-1251). kMenuXmlNotFound
// (url emptied) when there is none.
int GetHelpLink(const std::string& file, int index, std::string* url);

bool UpdateMenuExists(const std::string& file);
int LoadUpdateMenu(const std::string& file, QMenu* parent, const MenuClickHandler& handler);
// The node name of the index-th child of UPDATE (from 0) into name; kMenuXmlNotFound (name emptied) when none.
int GetUpdateEntryName(const std::string& file, int index, std::string* name);

}  // namespace zo::configurator
