#pragma once
// What the help menu, the update list and the options tree are built from,
// read from their XML files into plain items (no widgets): Help.xml (root
// element HELP), update.xml (root element UPDATE) and the MENU element of the
// options file. MenuXml and OptionsMenu turn the items into menus and tree
// nodes; the lookups of a clicked item read the file again.
//
// Help: every element below HELP is an item captioned NAME, else IM, else its
// node name. An element named "Link" with a non-empty URL is a link: it gets
// the next link number (1, 2, ... in document order, depth first) as its tag;
// every other element has tag 0. An element whose first child is an element
// (a link too) is a submenu of its child elements, numbered after it; one
// whose children are only text or comments is a plain item. Update list: one item per child of UPDATE,
// captioned IM or the node name, tag = position from 0, keeping the entry's
// node name. A walk over siblings ends at the first node that is not an
// element.
//
// Options tree: the named TREENODE elements below MENU (a TREENODE without
// NAME is left out with everything inside it; elements of other names are
// skipped), each with the description path of its STRUCT block,
// <options file>/OPTIONS/STRUCT/<STRUCT>, or none without STRUCT.
//
// Every routine opens the file with its own TZo_XML. Texts and file names are
// Windows-1251.

#include <cstddef>
#include <string>
#include <vector>

namespace zo {
class TZo_XML;
}

namespace zo::configurator {

enum MenuXmlResult : int {
    kMenuXmlOk = 0,
    kMenuXmlNotOpened = -1,   // the file did not open
    kMenuXmlBadRoot = -2,     // not exactly one root element
    kMenuXmlBuildFailed = -3, // building failed (help menu)
    kMenuXmlNotFound = -4,    // lookup: no entry of that index
};

enum OptionsMenuResult : int {
    kOptionsMenuOk = 0,
    kOptionsMenuNotOpened = -1,  // the file did not open (or a nil argument)
    kOptionsMenuBadMenu = -2,    // not exactly one MENU element (the root included)
    kOptionsMenuWalkFailed = -3, // the walk failed (e.g. a description path longer than its field)
};

// Longest description path a tree node holds (<file>/OPTIONS/STRUCT/<STRUCT>).
inline constexpr size_t kMaxDescriptionPath = 255;

struct THelpItem {
    std::string Caption;
    int Tag = 0;           // the link number; 0 for every other item
    std::string Url;       // a link's URL; empty for every other item
    bool Submenu = false;  // not a link and has children (Items may still be empty)
    std::vector<THelpItem> Items;
};

struct TUpdateItem {
    std::string Caption;
    std::string Entry;  // the entry's node name
    int Tag = 0;        // position below UPDATE from 0
};

struct TOptionsNode {
    std::string Caption;
    std::string Path;  // the description path; empty without STRUCT
    std::vector<TOptionsNode> Nodes;
};

// True when the file exists, opens, holds exactly one HELP and HELP has a first child.
bool HelpMenuExists(const std::string& file);
// The items below HELP appended to items. kMenuXmlNotOpened, kMenuXmlBadRoot
// (items left as they were) or kMenuXmlOk.
int ReadHelpMenu(const std::string& file, std::vector<THelpItem>* items);
// The URL of the link numbered index into url. kMenuXmlNotFound (url
// untouched) when there is none.
int GetHelpLink(const std::string& file, int index, std::string* url);

bool UpdateMenuExists(const std::string& file);
// The entries below UPDATE appended to items; results as ReadHelpMenu.
int ReadUpdateList(const std::string& file, std::vector<TUpdateItem>* items);
// The node name of the index-th child of UPDATE (from 0) into name; kMenuXmlNotFound (name untouched) when none.
int GetUpdateEntryName(const std::string& file, int index, std::string* name);

// True when the current node of xml is an element (a walk over siblings ends at the first that is not).
bool isElement(const TZo_XML& xml);
// Opens the options file and makes its one MENU element current: kOptionsMenuOk,
// kOptionsMenuNotOpened or kOptionsMenuBadMenu.
int openMenu(TZo_XML& xml, const std::string& file);

// The options tree appended to nodes. kOptionsMenuNotOpened, kOptionsMenuBadMenu,
// kOptionsMenuWalkFailed (a path longer than kMaxDescriptionPath, or a file
// name too long to be kept) or kOptionsMenuOk; on a failure nodes are left as
// they were.
int ReadOptionsTree(const std::string& optionsFile, std::vector<TOptionsNode>* nodes);

}  // namespace zo::configurator
