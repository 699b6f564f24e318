#include "configurator/shell/MenuXmlRead.h"

#include "common/My_XML.h"
#include "platform/Paths.h"

namespace zo::configurator {

bool isElement(const TZo_XML& xml) { return xml.CurrentElement && xml.CurrentElement->type == XML_ELEMENT_NODE; }

int openMenu(TZo_XML& xml, const std::string& file) {
    if (xml.OpenFile(file) != 0) return kOptionsMenuNotOpened;
    xml.GoRoot();
    xml.SetMark();
    if (xml.CountFromMark("MENU") != 1 || xml.FindFromMark("MENU") != 0) return kOptionsMenuBadMenu;
    return kOptionsMenuOk;
}

namespace {

// Opens the file and goes to the first child of its one root element.
// Results: 0 there; 1 the root has no child; kMenuXmlNotOpened; kMenuXmlBadRoot.
int openAtRoot(TZo_XML& xml, const std::string& file, const char* root) {
    if (xml.OpenFile(file) != 0) return kMenuXmlNotOpened;
    xml.GoRoot();
    xml.SetMark();
    if (xml.CountFromMark(root) != 1) return kMenuXmlBadRoot;
    if (xml.FindFromMark(root) != 0) return kMenuXmlBadRoot;
    if (xml.GoFirstChild() != 0) return 1;
    return 0;
}

std::string helpCaption(const TZo_XML& xml) {
    std::string caption = xml.GetAttribute("NAME");
    if (caption.empty()) caption = xml.GetAttribute("IM");
    if (caption.empty()) caption = xml.GetNodeName();
    return caption;
}

bool isLink(const TZo_XML& xml) { return xml.GetNodeName() == "Link" && !xml.GetAttribute("URL").empty(); }

// Goes to the first child when it is an element; otherwise stays (a text or a
// comment leaves the element without children of the walk).
bool goFirstChildElement(TZo_XML& xml) {
    if (xml.GoFirstChild() != 0) return false;
    if (isElement(xml)) return true;
    xml.GoParent();
    return false;
}

// The walk over the current element and its following siblings, each
// element's children after it (a link's too); number is the last link number given.
void readHelp(TZo_XML& xml, std::vector<THelpItem>& items, int& number) {
    while (isElement(xml)) {
        THelpItem item;
        item.Caption = helpCaption(xml);
        if (isLink(xml)) {
            item.Tag = ++number;
            item.Url = xml.GetAttribute("URL");
        }
        if (goFirstChildElement(xml)) {
            item.Submenu = true;
            readHelp(xml, item.Items, number);
            xml.GoParent();
        }
        items.push_back(std::move(item));
        if (xml.GoNextSibling() != 0) break;
    }
}

// The same walk looking for the link numbered index.
bool findLink(TZo_XML& xml, int index, int& number, std::string* url) {
    while (isElement(xml)) {
        if (isLink(xml) && ++number == index) {
            *url = xml.GetAttribute("URL");
            return true;
        }
        if (goFirstChildElement(xml)) {
            if (findLink(xml, index, number, url)) return true;
            xml.GoParent();
        }
        if (xml.GoNextSibling() != 0) break;
    }
    return false;
}

struct TreeWalk {
    TZo_XML& xml;
    std::string prefix;  // <options file>/OPTIONS/STRUCT/
    bool failed = false;

    void level(std::vector<TOptionsNode>& nodes) {
        if (xml.GoFirstChild() != 0) return;
        while (isElement(xml) && !failed) {
            const std::string name = xml.GetAttribute("NAME");
            if (xml.GetNodeName() == "TREENODE" && !name.empty()) {
                TOptionsNode node;
                node.Caption = name;
                const std::string block = xml.GetAttribute("STRUCT");
                if (!block.empty()) {
                    node.Path = prefix + block;
                    if (node.Path.size() > kMaxDescriptionPath) {
                        failed = true;  // cut, it would name another block
                        break;
                    }
                }
                level(node.Nodes);
                nodes.push_back(std::move(node));
            }
            if (xml.GoNextSibling() != 0) break;
        }
        xml.GoParent();
    }
};

}  // namespace

bool HelpMenuExists(const std::string& file) {
    if (!platform::fileExists(file)) return false;
    TZo_XML xml;
    return openAtRoot(xml, file, "HELP") == 0;
}

int ReadHelpMenu(const std::string& file, std::vector<THelpItem>* items) {
    if (!items) return kMenuXmlBuildFailed;
    TZo_XML xml;
    const int at = openAtRoot(xml, file, "HELP");
    if (at < 0) return at;
    if (at == 1) return kMenuXmlOk;
    int number = 0;
    readHelp(xml, *items, number);
    return kMenuXmlOk;
}

int GetHelpLink(const std::string& file, int index, std::string* url) {
    if (!url) return kMenuXmlNotFound;
    TZo_XML xml;
    const int at = openAtRoot(xml, file, "HELP");
    if (at < 0) return at;
    int number = 0;
    if (at == 1 || index <= 0 || !findLink(xml, index, number, url)) return kMenuXmlNotFound;
    return kMenuXmlOk;
}

bool UpdateMenuExists(const std::string& file) {
    if (!platform::fileExists(file)) return false;
    TZo_XML xml;
    return openAtRoot(xml, file, "UPDATE") == 0;
}

int ReadUpdateList(const std::string& file, std::vector<TUpdateItem>* items) {
    if (!items) return kMenuXmlBuildFailed;
    TZo_XML xml;
    const int at = openAtRoot(xml, file, "UPDATE");
    if (at < 0) return at;
    if (at == 1) return kMenuXmlOk;
    int position = 0;
    while (isElement(xml)) {
        TUpdateItem item;
        item.Entry = xml.GetNodeName();
        item.Caption = xml.GetAttribute("IM");
        if (item.Caption.empty()) item.Caption = item.Entry;
        item.Tag = position++;
        items->push_back(std::move(item));
        if (xml.GoNextSibling() != 0) break;
    }
    return kMenuXmlOk;
}

int GetUpdateEntryName(const std::string& file, int index, std::string* name) {
    if (!name) return kMenuXmlNotFound;
    TZo_XML xml;
    const int at = openAtRoot(xml, file, "UPDATE");
    if (at < 0) return at;
    if (at == 1 || index < 0) return kMenuXmlNotFound;
    for (int position = 0; isElement(xml); ++position) {
        if (position == index) {
            *name = xml.GetNodeName();
            return kMenuXmlOk;
        }
        if (xml.GoNextSibling() != 0) break;
    }
    return kMenuXmlNotFound;
}

int ReadOptionsTree(const std::string& optionsFile, std::vector<TOptionsNode>* nodes) {
    if (!nodes) return kOptionsMenuNotOpened;
    TZo_XML xml;
    const int at = openMenu(xml, optionsFile);
    if (at != kOptionsMenuOk) return at;
    if (std::string(xml.GetFileName()) != optionsFile) return kOptionsMenuWalkFailed;  // the name did not fit
    TreeWalk walk{xml, std::string(xml.GetFileName()) + "/OPTIONS/STRUCT/"};
    std::vector<TOptionsNode> read;
    walk.level(read);
    if (walk.failed) return kOptionsMenuWalkFailed;
    for (TOptionsNode& node : read) nodes->push_back(std::move(node));
    return kOptionsMenuOk;
}

}  // namespace zo::configurator
