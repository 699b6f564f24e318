#include "configurator/shell/MenuXml.h"

#include "platform/Cp1251.h"

#include <QAction>
#include <QMenu>

#include <vector>

namespace zo::configurator {

namespace {

void connectClick(QAction* item, const MenuClickHandler& handler) {
    if (handler) QObject::connect(item, &QAction::triggered, item, [handler, item] { handler(item); });
}

void addHelpItems(const std::vector<THelpItem>& items, QMenu* parent, const MenuClickHandler& handler) {
    for (const THelpItem& entry : items) {
        const QString caption = platform::cp1251ToQString(entry.Caption);
        if (entry.Submenu) {
            QMenu* sub = parent->addMenu(caption);
            QAction* item = sub->menuAction();
            item->setProperty(kMenuTagProperty, entry.Tag);
            // A link with items of its own is followed when its submenu opens.
            if (entry.Tag > 0 && handler)
                QObject::connect(sub, &QMenu::aboutToShow, item, [handler, item] { handler(item); });
            addHelpItems(entry.Items, sub, handler);
            continue;
        }
        QAction* item = parent->addAction(caption);
        item->setProperty(kMenuTagProperty, entry.Tag);
        if (entry.Tag > 0) connectClick(item, handler);
    }
}

}  // namespace

int MenuItemTag(const QAction* item) {
    if (!item) return -1;
    const QVariant tag = item->property(kMenuTagProperty);
    return tag.isValid() ? tag.toInt() : -1;
}

int LoadHelpMenu(const std::string& file, QMenu* parent, const MenuClickHandler& handler) {
    if (!parent) return kMenuXmlBuildFailed;
    std::vector<THelpItem> items;
    const int rc = ReadHelpMenu(file, &items);
    if (rc != kMenuXmlOk) return rc;
    addHelpItems(items, parent, handler);
    return kMenuXmlOk;
}

int LoadUpdateMenu(const std::string& file, QMenu* parent, const MenuClickHandler& handler) {
    if (!parent) return kMenuXmlBuildFailed;
    std::vector<TUpdateItem> items;
    const int rc = ReadUpdateList(file, &items);
    if (rc != kMenuXmlOk) return rc;
    for (const TUpdateItem& entry : items) {
        QAction* item = parent->addAction(platform::cp1251ToQString(entry.Caption));
        item->setProperty(kMenuTagProperty, entry.Tag);
        item->setProperty(kUpdateEntryProperty, platform::cp1251ToQString(entry.Entry));
        connectClick(item, handler);
    }
    return kMenuXmlOk;
}

}  // namespace zo::configurator
