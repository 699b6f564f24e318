#include "configurator/link/ProjectTreeLink.h"

#include "platform/Cp1251.h"

namespace zo::configurator {

namespace {
ProjectTreeLink* g_installed = nullptr;

extern "C" void* GetProjectTreeTrampoline() { return g_installed ? g_installed->host() : nullptr; }

QTreeWidgetItem* itemOf(TProjectTreeNode node) { return static_cast<QTreeWidgetItem*>(node); }
}  // namespace

ProjectTreeLink::ProjectTreeLink(TKernelOptions* kernel) : kernel_(kernel) {
    host_.Owner = this;
    host_.FirstNode = firstNode;
    host_.NextSibling = nextSibling;
    host_.FirstChild = firstChild;
    host_.AddNode = addNode;
    host_.SetNode = setNode;
    host_.DeleteNode = deleteNode;
}

ProjectTreeLink::~ProjectTreeLink() {
    if (g_installed == this) g_installed = nullptr;
}

TProjectTreeHost* ProjectTreeLink::host() { return tree_ ? &host_ : nullptr; }

void ProjectTreeLink::installHostSlot() {
    g_installed = this;
    if (kernel_) kernel_->GetProjectTree = GetProjectTreeTrampoline;
}

QTreeWidget* ProjectTreeLink::treeOf(TProjectTreeHost* host) {
    return host && host->Owner ? static_cast<ProjectTreeLink*>(host->Owner)->tree_.data() : nullptr;
}

TProjectTreeNode ProjectTreeLink::firstNode(TProjectTreeHost* host) {
    QTreeWidget* tree = treeOf(host);
    return tree && tree->topLevelItemCount() > 0 ? tree->topLevelItem(0) : nullptr;
}

TProjectTreeNode ProjectTreeLink::nextSibling(TProjectTreeHost* host, TProjectTreeNode node) {
    QTreeWidget* tree = treeOf(host);
    QTreeWidgetItem* item = itemOf(node);
    if (!tree || !item) return nullptr;
    if (QTreeWidgetItem* parent = item->parent()) {
        const int i = parent->indexOfChild(item);
        return i >= 0 && i + 1 < parent->childCount() ? parent->child(i + 1) : nullptr;
    }
    const int i = tree->indexOfTopLevelItem(item);
    return i >= 0 && i + 1 < tree->topLevelItemCount() ? tree->topLevelItem(i + 1) : nullptr;
}

TProjectTreeNode ProjectTreeLink::firstChild(TProjectTreeHost* host, TProjectTreeNode node) {
    QTreeWidgetItem* item = itemOf(node);
    return treeOf(host) && item && item->childCount() > 0 ? item->child(0) : nullptr;
}

TProjectTreeNode ProjectTreeLink::addNode(TProjectTreeHost* host, TProjectTreeNode parent, const char* text) {
    QTreeWidget* tree = treeOf(host);
    if (!tree) return nullptr;
    auto* item = parent ? new QTreeWidgetItem(itemOf(parent)) : new QTreeWidgetItem(tree);
    item->setText(0, platform::cp1251ToQString(text ? text : ""));
    item->setData(0, kDataRole, QVariant::fromValue(kProjectTreeSheetData));
    return item;
}

void ProjectTreeLink::setNode(TProjectTreeHost* host, TProjectTreeNode node, const char* text, uint32_t data) {
    QTreeWidgetItem* item = itemOf(node);
    if (!treeOf(host) || !item) return;
    item->setText(0, platform::cp1251ToQString(text ? text : ""));
    item->setData(0, kDataRole, QVariant::fromValue(data));
}

void ProjectTreeLink::deleteNode(TProjectTreeHost* host, TProjectTreeNode node) {
    if (treeOf(host)) delete itemOf(node);
}

int32_t ProjectTreeLink::click(const std::string& sheetName, uint32_t blockIndex) {
    return kernel_ && kernel_->ProjectTreeClick ? kernel_->ProjectTreeClick(sheetName.c_str(), blockIndex) : -1;
}

void ProjectTreeLink::doubleClick(const std::string& sheetName) {
    if (kernel_ && kernel_->ProjectTreeDblClick) kernel_->ProjectTreeDblClick(sheetName.c_str());
}

int32_t ProjectTreeLink::keyUp(const std::string& sheetName, uint32_t blockIndex, uint16_t key) {
    return kernel_ && kernel_->ProjectTreeKeyUp ? kernel_->ProjectTreeKeyUp(sheetName.c_str(), blockIndex, key) : -1;
}

std::string ProjectTreeLink::cp1251(const QString& text) { return platform::qstringToCp1251(text); }

}  // namespace zo::configurator
