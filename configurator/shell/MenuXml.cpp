#include "configurator/shell/MenuXml.h"

#include "common/My_XML.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"

#include <QAction>
#include <QMenu>

namespace zo::configurator {

namespace {

// Opens the file and goes to the first child of its one root element.
// Results: 0 there; 1 the root has no child element; kMenuXmlNotOpened; kMenuXmlBadRoot.
int openAtRoot(TZo_XML& xml, const std::string& file, const char* root) {
    if (xml.OpenFile(file) != 0) return kMenuXmlNotOpened;
    xml.GoRoot();
    xml.SetMark();
    if (xml.CountFromMark(root) != 1) return kMenuXmlBadRoot;
    if (xml.FindFromMark(root) != 0) return kMenuXmlBadRoot;
    if (xml.GoFirstChild() != 0) return 1;
    return 0;
}

bool isElement(const TZo_XML& xml) { return xml.CurrentElement && xml.CurrentElement->type == XML_ELEMENT_NODE; }

std::string helpCaption(const TZo_XML& xml) {
    std::string caption = xml.GetAttribute("NAME");
    if (caption.empty()) caption = xml.GetAttribute("IM");
    if (caption.empty()) caption = xml.GetNodeName();
    return caption;
}

bool isLink(const TZo_XML& xml) { return xml.GetNodeName() == "Link" && !xml.GetAttribute("URL").empty(); }

// The walk over the current element and its following siblings; number is the last link number given.
void buildHelp(TZo_XML& xml, QMenu* parent, const MenuClickHandler& handler, int& number) {
    while (isElement(xml)) {
        const QString caption = platform::cp1251ToQString(helpCaption(xml));
        QAction* item = nullptr;
        if (isLink(xml)) {
            item = parent->addAction(caption);
            item->setProperty(kMenuTagProperty, ++number);
            if (handler) QObject::connect(item, &QAction::triggered, item, [handler, item] { handler(item); });
        } else if (xml.GoFirstChild() == 0) {
            QMenu* sub = parent->addMenu(caption);
            item = sub->menuAction();
            item->setProperty(kMenuTagProperty, 0);
            buildHelp(xml, sub, handler, number);
            xml.GoParent();
        } else {
            item = parent->addAction(caption);
            item->setProperty(kMenuTagProperty, 0);
        }
        if (xml.GoNextSibling() != 0) break;
    }
}

// The same walk looking for the link numbered index.
bool findLink(TZo_XML& xml, int index, int& number, std::string* url) {
    while (isElement(xml)) {
        if (isLink(xml)) {
            if (++number == index) {
                *url = xml.GetAttribute("URL");
                return true;
            }
        } else if (xml.GoFirstChild() == 0) {
            if (findLink(xml, index, number, url)) return true;
            xml.GoParent();
        }
        if (xml.GoNextSibling() != 0) break;
    }
    return false;
}

}  // namespace

int MenuItemTag(const QAction* item) {
    if (!item) return -1;
    const QVariant tag = item->property(kMenuTagProperty);
    return tag.isValid() ? tag.toInt() : -1;
}

bool HelpMenuExists(const std::string& file) {
    if (!platform::fileExists(file)) return false;
    TZo_XML xml;
    return openAtRoot(xml, file, "HELP") == 0;
}

int LoadHelpMenu(const std::string& file, QMenu* parent, const MenuClickHandler& handler) {
    if (!parent) return kMenuXmlBuildFailed;
    TZo_XML xml;
    const int at = openAtRoot(xml, file, "HELP");
    if (at < 0) return at;
    if (at == 1) return kMenuXmlOk;
    int number = 0;
    buildHelp(xml, parent, handler, number);
    return kMenuXmlOk;
}

int GetHelpLink(const std::string& file, int index, std::string* url) {
    if (!url) return kMenuXmlNotFound;
    url->clear();
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

int LoadUpdateMenu(const std::string& file, QMenu* parent, const MenuClickHandler& handler) {
    if (!parent) return kMenuXmlBuildFailed;
    TZo_XML xml;
    const int at = openAtRoot(xml, file, "UPDATE");
    if (at < 0) return at;
    if (at == 1) return kMenuXmlOk;
    int position = 0;
    while (isElement(xml)) {
        const std::string name = xml.GetNodeName();
        std::string caption = xml.GetAttribute("IM");
        if (caption.empty()) caption = name;
        QAction* item = parent->addAction(platform::cp1251ToQString(caption));
        item->setProperty(kMenuTagProperty, position++);
        item->setProperty(kUpdateEntryProperty, platform::cp1251ToQString(name));
        if (handler) QObject::connect(item, &QAction::triggered, item, [handler, item] { handler(item); });
        if (xml.GoNextSibling() != 0) break;
    }
    return kMenuXmlOk;
}

int GetUpdateEntryName(const std::string& file, int index, std::string* name) {
    if (!name) return kMenuXmlNotFound;
    name->clear();
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

}  // namespace zo::configurator
