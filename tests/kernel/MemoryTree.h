#pragma once
// A project tree held in memory, offered to the kernel through the host's tree
// interface (TProjectTreeHost) as the program offers its tree widget. Nodes keep
// their identity until deleted, so tests can see which nodes were reused.

#include "common/abi/ProjectTreeHost.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zo::test {

class MemoryTree {
public:
    struct Node {
        std::string text;  // Windows-1251
        uint32_t data = 0;
        Node* parent = nullptr;
        std::vector<std::unique_ptr<Node>> children;
    };

    MemoryTree();
    MemoryTree(const MemoryTree&) = delete;
    MemoryTree& operator=(const MemoryTree&) = delete;

    TProjectTreeHost* host() { return &host_; }

    // Top-level nodes in order.
    std::vector<Node*> top() const;
    std::vector<Node*> children(const Node* node) const;
    // "text" for each top-level node and "  text" for each child, in order (UTF-8).
    std::vector<std::string> lines() const;
    // Appends a top-level node as the host's user would see a stale one.
    Node* addTop(const std::string& cp1251Text, uint32_t data);

    int added = 0;    // nodes added through the interface
    int deleted = 0;  // nodes deleted through the interface (children not counted)

private:
    static MemoryTree& self(TProjectTreeHost* tree);
    std::vector<std::unique_ptr<Node>>& siblingsOf(Node* node);

    static TProjectTreeNode firstNode(TProjectTreeHost* tree);
    static TProjectTreeNode nextSibling(TProjectTreeHost* tree, TProjectTreeNode node);
    static TProjectTreeNode firstChild(TProjectTreeHost* tree, TProjectTreeNode node);
    static TProjectTreeNode addNode(TProjectTreeHost* tree, TProjectTreeNode parent, const char* text);
    static void setNode(TProjectTreeHost* tree, TProjectTreeNode node, const char* text, uint32_t data);
    static void deleteNode(TProjectTreeHost* tree, TProjectTreeNode node);

    std::vector<std::unique_ptr<Node>> roots_;
    TProjectTreeHost host_{};
};

}  // namespace zo::test
