#include "configurator/shell/OptionsMenu.h"
#include "configurator/shell/MenuXmlRead.h"

#include "common/My_XML.h"
#include "platform/Cp1251.h"
#include "platform/DialogHook.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace zo::configurator {

namespace {

// True when the current element holds a named TREENODE (so its item needs a submenu).
bool hasNamedNode(TZo_XML& xml) {
    bool found = false;
    if (xml.GoFirstChild() != 0) return false;
    while (isElement(xml) && !found) {
        found = xml.GetNodeName() == "TREENODE" && !xml.GetAttribute("NAME").empty();
        if (xml.GoNextSibling() != 0) break;
    }
    xml.GoParent();
    return found;
}

struct MenuWalk {
    TZo_XML& xml;
    const MenuClickHandler& handler;
    int counter = 0;

    void level(QMenu* parent) {
        if (xml.GoFirstChild() != 0) return;
        while (isElement(xml)) {
            const std::string name = xml.GetAttribute("NAME");
            if (xml.GetNodeName() == "TREENODE" && !name.empty()) {
                const bool withBlock = !xml.GetAttribute("STRUCT").empty();
                const QString caption = platform::cp1251ToQString(name);
                QAction* item;
                QMenu* sub = nullptr;
                if (hasNamedNode(xml)) {
                    sub = parent->addMenu(caption);
                    item = sub->menuAction();
                } else {
                    item = parent->addAction(caption);
                }
                item->setProperty(kMenuTagProperty, withBlock ? counter : -1);
                if (withBlock && handler && !sub)
                    QObject::connect(item, &QAction::triggered, item, [h = handler, item] { h(item); });
                ++counter;
                if (sub) level(sub);
            }
            if (xml.GoNextSibling() != 0) break;
        }
        xml.GoParent();
    }
};

// The read nodes as items of the tree below parent (the tree's top level when nil).
void addTreeNodes(const std::vector<TOptionsNode>& nodes, QTreeWidget* tree, QTreeWidgetItem* parent) {
    for (const TOptionsNode& read : nodes) {
        auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        node->setText(0, platform::cp1251ToQString(read.Caption));
        if (!read.Path.empty()) node->setData(0, kDescriptionPathRole, QByteArray::fromStdString(read.Path));
        addTreeNodes(read.Nodes, tree, node);
    }
}

}  // namespace

int LoadMenuFromXml(const std::string& optionsFile, QMenu* parent, const MenuClickHandler& handler) {
    if (!parent) return kOptionsMenuNotOpened;
    TZo_XML xml;
    const int at = openMenu(xml, optionsFile);
    if (at != kOptionsMenuOk) return at;
    MenuWalk walk{xml, handler};
    walk.level(parent);
    return kOptionsMenuOk;
}

int LoadOptionsTree(const std::string& optionsFile, QTreeWidget* tree) {
    if (!tree) return kOptionsMenuNotOpened;
    std::vector<TOptionsNode> nodes;
    const int rc = ReadOptionsTree(optionsFile, &nodes);
    if (rc == kOptionsMenuWalkFailed) tree->clear();
    if (rc != kOptionsMenuOk) return rc;
    addTreeNodes(nodes, tree, nullptr);
    return kOptionsMenuOk;
}

TOptionsDialog::TOptionsDialog(const TOptionsLink& link, TOptionBlockLookup lookup, QWidget* parent)
    : QDialog(parent), inspectorLink_(link.InspectorRecord()) {
    setObjectName("OptionsDialog");
    inspectorLink_.SetDialogOpener(link.DialogOpener());
    Inspector = new TObjInspect(inspectorLink_, 2, this);
    Inspector->setObjectName("OptionsInspector");
    Inspector->SetOptionBlocks(&link, lookup);
    TreeView1 = Inspector->TreeView1();
    auto* all = new QVBoxLayout(this);
    all->setContentsMargins(0, 0, 0, 0);
    all->addWidget(Inspector);
    connect(Inspector->CloseButton(), &QPushButton::clicked, this, &QDialog::accept);
    connect(Inspector->Button2(), &QPushButton::clicked, this, &QDialog::accept);
}

TOptionsDialog::~TOptionsDialog() = default;

void TOptionsDialog::SelectNode(int index) {
    int number = 0;
    for (QTreeWidgetItemIterator it(TreeView1); *it; ++it, ++number) {
        if (number == index) {
            TreeView1->setCurrentItem(*it);
            return;
        }
    }
}

void TOptionsDialog::TreeView1Click() { Inspector->TreeView1Click(); }

TStructInstance TOptionsDialog::ShownInstance() const {
    return Inspector->Items().empty() ? TStructInstance{nullptr, nullptr} : Inspector->Items().front();
}

void TOptionsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (TreeView1->currentItem()) {
        TreeView1->setFocus();
        TreeView1Click();
    }
}

void TOptionsDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && (Inspector->EditValue()->isVisible() || Inspector->CB()->isVisible())) {
        Inspector->HideEditors();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TOptionsDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) Inspector->HideEditors();
    QDialog::changeEvent(event);
}

int ShowOptionsDialog(const char* caption, const char* optionsFile, int selectedIndex, TOptionBlockLookup lookup,
                      int left, int top, int right, int bottom, const TOptionsLink& link, QWidget* parent) {
    if (!caption || !optionsFile) return -1;
    TOptionsDialog dialog(link, lookup, parent);
    if (LoadOptionsTree(optionsFile, dialog.TreeView1) != kOptionsMenuOk) return -2;
    // The options file's own lists give the option values their display texts.
    dialog.Inspector->LoadReplacementLists(optionsFile);
    dialog.setGeometry(left, top, std::max(right - left, 200), std::max(bottom - top, 150));
    dialog.TreeView1->setFixedWidth(dialog.width() / 3);
    dialog.setWindowTitle(platform::cp1251ToQString(caption));
    dialog.SelectNode(selectedIndex);
    dialog.TreeView1Click();
    platform::runDialog(dialog);
    return 0;
}

}  // namespace zo::configurator
