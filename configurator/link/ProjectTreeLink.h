#pragma once
// The project tree's side of the kernel boundary: the tree widget offered to the
// kernel as a TProjectTreeHost (the host slot GetProjectTree answers it; nil
// once the window is gone), and the tree's clicks, double clicks and key
// releases passed to the kernel's project-tree slots. Texts cross as Windows-1251.

#include "common/abi/KernelOptions.h"
#include "common/abi/ProjectTreeHost.h"

#include <QPointer>
#include <QTreeWidget>

#include <string>

namespace zo::configurator {

class ProjectTreeLink {
public:
    explicit ProjectTreeLink(TKernelOptions* kernel = nullptr);
    // The host slot installed by this link then answers no tree.
    ~ProjectTreeLink();
    ProjectTreeLink(const ProjectTreeLink&) = delete;
    ProjectTreeLink& operator=(const ProjectTreeLink&) = delete;
    void SetKernel(TKernelOptions* kernel) { kernel_ = kernel; }
    bool Bound() const { return kernel_ != nullptr; }

    // The tree the kernel fills; nil forgets it.
    void SetTree(QTreeWidget* tree) { tree_ = tree; }
    // The record the host slot GetProjectTree answers: nil without a tree.
    TProjectTreeHost* Host();
    // Writes the host slot GetProjectTree into the record (answering the tree of
    // the link installed last).
    void InstallHostSlot();

    // Node data role of the tree's items (the 32-bit node data).
    static constexpr int kDataRole = Qt::UserRole + 7;

    int32_t Click(const std::string& sheetName, uint32_t blockIndex);
    void DoubleClick(const std::string& sheetName);
    int32_t KeyUp(const std::string& sheetName, uint32_t blockIndex, uint16_t key);

    static std::string Cp1251(const QString& text);

private:
    static TProjectTreeNode FirstNode(TProjectTreeHost* tree);
    static TProjectTreeNode NextSibling(TProjectTreeHost* tree, TProjectTreeNode node);
    static TProjectTreeNode FirstChild(TProjectTreeHost* tree, TProjectTreeNode node);
    static TProjectTreeNode AddNode(TProjectTreeHost* tree, TProjectTreeNode parent, const char* text);
    static void SetNode(TProjectTreeHost* tree, TProjectTreeNode node, const char* text, uint32_t data);
    static void DeleteNode(TProjectTreeHost* tree, TProjectTreeNode node);
    static QTreeWidget* TreeOf(TProjectTreeHost* host);
    // The place of a node among its siblings, and the node last answered with its place.
    int IndexOf(QTreeWidget* tree, QTreeWidgetItem* item);
    QTreeWidgetItem* Answer(QTreeWidgetItem* item, int index);

    TKernelOptions* kernel_;
    QPointer<QTreeWidget> tree_;
    TProjectTreeHost host_{};
    QTreeWidgetItem* lastItem_ = nullptr;
    int lastIndex_ = -1;
    QTreeWidgetItem* added_ = nullptr;  // the node added last, with the text it was given
    std::string addedText_;
};

}  // namespace zo::configurator
