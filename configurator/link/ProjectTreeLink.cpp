#include "configurator/link/ProjectTreeLink.h"

#include "platform/Cp1251.h"

namespace zo::configurator {

namespace {
ProjectTreeLink* g_installed = nullptr;

extern "C" void* GetProjectTreeTrampoline() { return g_installed ? g_installed->Host() : nullptr; }

QTreeWidgetItem* itemOf(TProjectTreeNode node) { return static_cast<QTreeWidgetItem*>(node); }
}  // namespace

ProjectTreeLink::ProjectTreeLink(TKernelOptions* kernel) : kernel_(kernel) {
    host_.Owner = this;
    host_.FirstNode = FirstNode;
    host_.NextSibling = NextSibling;
    host_.FirstChild = FirstChild;
    host_.AddNode = AddNode;
    host_.SetNode = SetNode;
    host_.DeleteNode = DeleteNode;
}

ProjectTreeLink::~ProjectTreeLink() {
    if (g_installed == this) g_installed = nullptr;
}

TProjectTreeHost* ProjectTreeLink::Host() { return tree_ ? &host_ : nullptr; }

void ProjectTreeLink::InstallHostSlot() {
    g_installed = this;
    if (kernel_) kernel_->GetProjectTree = GetProjectTreeTrampoline;
}

QTreeWidget* ProjectTreeLink::TreeOf(TProjectTreeHost* host) {
    return host && host->Owner ? static_cast<ProjectTreeLink*>(host->Owner)->tree_.data() : nullptr;
}

TProjectTreeNode ProjectTreeLink::FirstNode(TProjectTreeHost* host) {
    QTreeWidget* tree = TreeOf(host);
    if (!tree || tree->topLevelItemCount() == 0) return nullptr;
    return static_cast<ProjectTreeLink*>(host->Owner)->Answer(tree->topLevelItem(0), 0);
}

int ProjectTreeLink::IndexOf(QTreeWidget* tree, QTreeWidgetItem* item) {
    // The kernel walks the nodes in order: the node after the last one answered
    // is found without searching its parent's list.
    // (The place is checked, so a tree changed in between is searched as ever.)
    QTreeWidgetItem* parent = item->parent();
    if (item == lastItem_ && lastIndex_ >= 0) {
        QTreeWidgetItem* there = parent ? parent->child(lastIndex_) : tree->topLevelItem(lastIndex_);
        if (there == item) return lastIndex_;
    }
    return parent ? parent->indexOfChild(item) : tree->indexOfTopLevelItem(item);
}

QTreeWidgetItem* ProjectTreeLink::Answer(QTreeWidgetItem* item, int index) {
    lastItem_ = item;
    lastIndex_ = index;
    return item;
}

TProjectTreeNode ProjectTreeLink::NextSibling(TProjectTreeHost* host, TProjectTreeNode node) {
    QTreeWidget* tree = TreeOf(host);
    QTreeWidgetItem* item = itemOf(node);
    if (!tree || !item) return nullptr;
    auto* link = static_cast<ProjectTreeLink*>(host->Owner);
    const int i = link->IndexOf(tree, item);
    QTreeWidgetItem* parent = item->parent();
    const int count = parent ? parent->childCount() : tree->topLevelItemCount();
    if (i < 0 || i + 1 >= count) return nullptr;
    return link->Answer(parent ? parent->child(i + 1) : tree->topLevelItem(i + 1), i + 1);
}

TProjectTreeNode ProjectTreeLink::FirstChild(TProjectTreeHost* host, TProjectTreeNode node) {
    QTreeWidgetItem* item = itemOf(node);
    if (!TreeOf(host) || !item || item->childCount() == 0) return nullptr;
    return static_cast<ProjectTreeLink*>(host->Owner)->Answer(item->child(0), 0);
}

TProjectTreeNode ProjectTreeLink::AddNode(TProjectTreeHost* host, TProjectTreeNode parent, const char* text) {
    QTreeWidget* tree = TreeOf(host);
    if (!tree) return nullptr;
    // Text and data are set before the node joins the tree, so that the tree
    // is told of a new node once instead of once more for each value.
    auto* item = new QTreeWidgetItem;
    auto* link = static_cast<ProjectTreeLink*>(host->Owner);
    link->addedText_ = text ? text : "";
    link->added_ = item;
    item->setText(0, platform::cp1251ToQString(link->addedText_));
    item->setData(0, kDataRole, QVariant::fromValue(kProjectTreeSheetData));
    if (QTreeWidgetItem* above = itemOf(parent)) above->addChild(item);
    else tree->addTopLevelItem(item);
    QTreeWidgetItem* inTree = item->parent();
    const int index = inTree ? inTree->childCount() - 1 : tree->topLevelItemCount() - 1;
    return link->Answer(item, index);
}

void ProjectTreeLink::SetNode(TProjectTreeHost* host, TProjectTreeNode node, const char* text, uint32_t data) {
    QTreeWidgetItem* item = itemOf(node);
    if (!TreeOf(host) || !item) return;
    auto* link = static_cast<ProjectTreeLink*>(host->Owner);
    // The kernel names a node it has just added once more: that text is there already.
    const char* const raw = text ? text : "";
    if (item != link->added_ || link->addedText_ != raw) item->setText(0, platform::cp1251ToQString(raw));
    link->added_ = nullptr;
    item->setData(0, kDataRole, QVariant::fromValue(data));
}

void ProjectTreeLink::DeleteNode(TProjectTreeHost* host, TProjectTreeNode node) {
    if (!TreeOf(host)) return;
    // The places of the nodes after it change.
    auto* link = static_cast<ProjectTreeLink*>(host->Owner);
    link->Answer(nullptr, -1);
    if (link->added_ == itemOf(node)) link->added_ = nullptr;
    delete itemOf(node);
}

int32_t ProjectTreeLink::Click(const std::string& sheetName, uint32_t blockIndex) {
    return kernel_ && kernel_->ProjectTreeClick ? kernel_->ProjectTreeClick(sheetName.c_str(), blockIndex) : -1;
}

void ProjectTreeLink::DoubleClick(const std::string& sheetName) {
    if (kernel_ && kernel_->ProjectTreeDblClick) kernel_->ProjectTreeDblClick(sheetName.c_str());
}

int32_t ProjectTreeLink::KeyUp(const std::string& sheetName, uint32_t blockIndex, uint16_t key) {
    return kernel_ && kernel_->ProjectTreeKeyUp ? kernel_->ProjectTreeKeyUp(sheetName.c_str(), blockIndex, key) : -1;
}

std::string ProjectTreeLink::Cp1251(const QString& text) { return platform::qstringToCp1251(text); }

}  // namespace zo::configurator
