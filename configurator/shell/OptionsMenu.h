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
#include "configurator/windows/ObjInspect.h"

#include <QDialog>

#include <cstdint>
#include <string>

class QMenu;
class QTreeWidget;

namespace zo::configurator {

int LoadMenuFromXml(const std::string& optionsFile, QMenu* parent, const MenuClickHandler& handler);
int LoadOptionsTree(const std::string& optionsFile, QTreeWidget* tree);

// The options dialog: the property inspector in its options mode filling
// the window, the options tree on its left (a third of the width), the
// selected block's rows on the right shown through the options file's own
// value lists and edited in place; "Закрыть" and "Применить" close it (values
// are written into the block as they are entered) and the restore button has
// no effect.
class TOptionsDialog : public QDialog {
    Q_OBJECT
public:
    TOptionsDialog(const TOptionsLink& link, TOptionBlockLookup lookup, QWidget* parent = nullptr);
    ~TOptionsDialog() override;

    TObjInspect* Inspector;
    QTreeWidget* TreeView1;

    // Selects the node of this pre-order number (ignored when out of range).
    void SelectNode(int index);
    // Shows the selected node's block (the tree's click, key release and the activation).
    void TreeView1Click();

    // The shown block (Struct nil: none); Data nil when the stored size differs.
    TStructInstance ShownInstance() const;

protected:
    void showEvent(QShowEvent* event) override;
    // Escape over an open value editor closes the editor, not the dialog.
    void keyPressEvent(QKeyEvent* event) override;
    // The dialog losing activation closes an open editor, as the inspector's own window does.
    void changeEvent(QEvent* event) override;

private:
    InspectorLink inspectorLink_;
};

// -1 caption or file nil; -2 the tree could not be built (nothing is shown);
// 0 after the modal dialog closed.
int ShowOptionsDialog(const char* caption, const char* optionsFile, int selectedIndex, TOptionBlockLookup lookup,
                      int left, int top, int right, int bottom, const TOptionsLink& link, QWidget* parent = nullptr);

}  // namespace zo::configurator
