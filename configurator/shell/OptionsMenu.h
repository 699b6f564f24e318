#pragma once
// The menu of option commands and the modal options dialog, both built from
// the MENU element of the options file (Options.xml): a tree of TREENODE
// elements, NAME the caption, STRUCT the option block. A TREENODE without
// NAME is left out with everything inside it; elements of other names are
// skipped. Menu items and tree nodes are numbered alike in pre-order over the
// named TREENODE elements from 0: an item with STRUCT carries that number as
// its tag (and the click handler), one without carries -1; the dialog opened
// with that number selects the same node.

#include "configurator/link/OptionsLink.h"
#include "configurator/shell/MenuXml.h"
#include "configurator/shell/Options.h"

#include <QDialog>

#include <cstdint>
#include <string>

class QLabel;
class QMenu;
class QPushButton;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace zo::configurator {

// The role of a tree node's description path (a QByteArray, Windows-1251; none without STRUCT).
inline constexpr int kDescriptionPathRole = Qt::UserRole + 1;

// A grid value cell answers true for this role when its text is a secret (shown as bullets).
inline constexpr int kSecretValueRole = Qt::UserRole + 2;

// An option item whose name holds "password" (in any case, e.g. ProxyPassword)
// is a secret: the options grid shows its value masked.
bool IsSecretOption(const std::string& itemName);

int LoadMenuFromXml(const std::string& optionsFile, QMenu* parent, const MenuClickHandler& handler);
int LoadOptionsTree(const std::string& optionsFile, QTreeWidget* tree);

// The options dialog: the options tree on the left (a third of the width),
// the selected block's rows on the right, "Закрыть" and "Применить" closing
// it (values are written into the block as they are entered) and the restore
// button without effect. A secret value (the proxy password) shows as bullets
// and is typed unseen; the block and the settings file get the real text.
class TOptionsDialog : public QDialog {
    Q_OBJECT
public:
    TOptionsDialog(const TOptionsLink& link, TOptionBlockLookup lookup, QWidget* parent = nullptr);

    QTreeWidget* TreeView1;
    QLabel* InspectorCaption;
    QTableWidget* Inspector;
    QPushButton* Close;
    QPushButton* Button2;
    QPushButton* Button3;

    // Selects the node of this pre-order number (ignored when out of range).
    void selectNode(int index);
    // Shows the selected node's block (the tree's click, key release and the activation).
    void TreeView1Click();

    // The shown block (Struct nil: none); Data nil when the stored size differs.
    const TStructInstance& shownInstance() const { return instance_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void clearRows();
    void rowEdited(int row, int column);

    const TOptionsLink& link_;
    TOptionBlockLookup lookup_;
    TStructInstance instance_{nullptr, nullptr};
    bool filling_ = false;
};

// -1 caption or file nil; -2 the tree could not be built (nothing is shown);
// 0 after the modal dialog closed.
int ShowOptionsDialog(const char* caption, const char* optionsFile, int selectedIndex, TOptionBlockLookup lookup,
                      int left, int top, int right, int bottom, const TOptionsLink& link, QWidget* parent = nullptr);

}  // namespace zo::configurator
