#include "configurator/shell/OptionsMenu.h"
#include "configurator/shell/MenuXmlRead.h"

#include "common/My_XML.h"
#include "platform/Cp1251.h"
#include "platform/DialogHook.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>
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

// A value cell holding a secret (a password): it shows one bullet a
// character, the character the style's password editors show; its edit role
// (what an editor starts from and what is stored) stays the real text.
class TSecretItem : public QTableWidgetItem {
public:
    using QTableWidgetItem::QTableWidgetItem;
    QVariant data(int role) const override {
        if (role == kSecretValueRole) return true;
        if (role != Qt::DisplayRole) return QTableWidgetItem::data(role);
        const qsizetype length = QTableWidgetItem::data(Qt::EditRole).toString().size();
        const int bullet = QApplication::style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter);
        return QString(length, QChar(char16_t(bullet)));
    }
    QTableWidgetItem* clone() const override { return new TSecretItem(*this); }
};

// The grid's editors: a secret value is typed unseen.
class TValueDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor); line && index.data(kSecretValueRole).toBool())
            line->setEchoMode(QLineEdit::Password);
        return editor;
    }
};

}  // namespace

bool IsSecretOption(const std::string& itemName) {
    return QString::fromStdString(itemName).contains(QLatin1String("password"), Qt::CaseInsensitive);
}

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
    : QDialog(parent), link_(link), lookup_(lookup) {
    setObjectName("OptionsDialog");
    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName("TreeView1");
    TreeView1->setHeaderHidden(true);
    InspectorCaption = new QLabel(this);
    InspectorCaption->setObjectName("InspectorCaption");
    Inspector = new QTableWidget(0, 2, this);
    Inspector->setObjectName("Inspector");
    Inspector->horizontalHeader()->setVisible(false);
    Inspector->verticalHeader()->setVisible(false);
    Inspector->horizontalHeader()->setStretchLastSection(true);
    Inspector->setWordWrap(false);
    Inspector->setItemDelegate(new TValueDelegate(Inspector));
    Close = new QPushButton(QString::fromUtf8("Закрыть"), this);
    Close->setObjectName("Close");
    Button2 = new QPushButton(QString::fromUtf8("Применить"), this);
    Button2->setObjectName("Button2");
    Button3 = new QPushButton(QString::fromUtf8("Востановить первоночальные  >>"), this);
    Button3->setObjectName("Button3");

    auto* right = new QVBoxLayout;
    right->addWidget(InspectorCaption);
    right->addWidget(Inspector, 1);
    auto* top = new QHBoxLayout;
    top->addWidget(TreeView1);
    top->addLayout(right, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button3);
    buttons->addStretch(1);
    buttons->addWidget(Button2);
    buttons->addWidget(Close);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top, 1);
    all->addLayout(buttons);

    connect(Close, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::accept);
    connect(TreeView1, &QTreeWidget::itemClicked, this, [this] { TreeView1Click(); });
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, [this] { TreeView1Click(); });
    connect(Inspector, &QTableWidget::cellChanged, this, &TOptionsDialog::rowEdited);
}

void TOptionsDialog::selectNode(int index) {
    int number = 0;
    for (QTreeWidgetItemIterator it(TreeView1); *it; ++it, ++number) {
        if (number == index) {
            TreeView1->setCurrentItem(*it);
            return;
        }
    }
}

void TOptionsDialog::clearRows() {
    filling_ = true;
    Inspector->setRowCount(0);
    InspectorCaption->clear();
    filling_ = false;
    instance_ = {nullptr, nullptr};
}

void TOptionsDialog::TreeView1Click() {
    clearRows();
    QTreeWidgetItem* node = TreeView1->currentItem();
    if (!node) return;
    const QByteArray path = node->data(0, kDescriptionPathRole).toByteArray();
    // A node without a block (a group) shows nothing; the kernel is not asked
    // for a description of an empty path, which it could only refuse with an error line.
    if (path.isEmpty()) return;
    void* structRef = nullptr;
    int32_t descriptionSize = 0;
    if (link_.GetStructDescription(path.toStdString(), &structRef, &descriptionSize) != 0 || !structRef) return;
    if (!lookup_) return;
    TStructInstance described{structRef, nullptr};
    void* data = nullptr;
    int32_t blockSize = 0;
    int32_t reserved = 0;
    const std::string name = link_.GetStructName(described);
    if (lookup_(name.c_str(), &data, &blockSize, &reserved) != 0) return;
    if (blockSize != descriptionSize) data = nullptr;  // the rows then have no record behind them
    instance_ = {structRef, data};
    filling_ = true;
    InspectorCaption->setText(platform::cp1251ToQString(link_.GetStructCaption(instance_)));
    const int count = link_.ItemCount(instance_);
    Inspector->setRowCount(count);
    for (int row = 0; row < count; ++row) {
        const auto index = static_cast<uint16_t>(row);
        auto* caption = new QTableWidgetItem(platform::cp1251ToQString(link_.ItemCaption(instance_, index)));
        caption->setFlags(Qt::ItemIsEnabled);
        Inspector->setItem(row, 0, caption);
        const QString text = data ? platform::cp1251ToQString(link_.ItemValue(instance_, index)) : QString();
        auto* value = IsSecretOption(link_.ItemName(instance_, index)) ? new TSecretItem(text) : new QTableWidgetItem(text);
        value->setFlags(data ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable : Qt::ItemIsEnabled);
        Inspector->setItem(row, 1, value);
    }
    // The captions whole on one line each, as far as two thirds of the grid allow.
    Inspector->resizeColumnToContents(0);
    const int widest = std::max(Inspector->viewport()->width() * 2 / 3, 60);
    if (Inspector->columnWidth(0) > widest) Inspector->setColumnWidth(0, widest);
    Inspector->resizeRowsToContents();
    filling_ = false;
}

void TOptionsDialog::rowEdited(int row, int column) {
    if (filling_ || column != 1 || !instance_.Struct || !instance_.Data) return;
    const auto index = static_cast<uint16_t>(row);
    QTableWidgetItem* item = Inspector->item(row, 1);
    if (!item) return;
    // The edit role: the text entered (a secret cell shows only bullets).
    link_.SetItemValue(instance_, index, platform::qstringToCp1251(item->data(Qt::EditRole).toString()));
    // The block shows what it holds now (a refused text gives the old value back).
    filling_ = true;
    item->setText(platform::cp1251ToQString(link_.ItemValue(instance_, index)));
    filling_ = false;
}

void TOptionsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (TreeView1->currentItem()) {
        TreeView1->setFocus();
        TreeView1Click();
    }
}

int ShowOptionsDialog(const char* caption, const char* optionsFile, int selectedIndex, TOptionBlockLookup lookup,
                      int left, int top, int right, int bottom, const TOptionsLink& link, QWidget* parent) {
    if (!caption || !optionsFile) return -1;
    TOptionsDialog dialog(link, lookup, parent);
    if (LoadOptionsTree(optionsFile, dialog.TreeView1) != kOptionsMenuOk) return -2;
    dialog.setGeometry(left, top, std::max(right - left, 200), std::max(bottom - top, 150));
    dialog.TreeView1->setFixedWidth(dialog.width() / 3);
    dialog.setWindowTitle(platform::cp1251ToQString(caption));
    dialog.selectNode(selectedIndex);
    dialog.TreeView1Click();
    platform::runDialog(dialog);
    return 0;
}

}  // namespace zo::configurator
