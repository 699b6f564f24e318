#include "MemoryTree.h"

#include "support/TestSupport.h"

#include <algorithm>

namespace zo::test {

MemoryTree::MemoryTree() {
    host_.Owner = this;
    host_.FirstNode = firstNode;
    host_.NextSibling = nextSibling;
    host_.FirstChild = firstChild;
    host_.AddNode = addNode;
    host_.SetNode = setNode;
    host_.DeleteNode = deleteNode;
}

MemoryTree& MemoryTree::self(TProjectTreeHost* tree) { return *static_cast<MemoryTree*>(tree->Owner); }

std::vector<std::unique_ptr<MemoryTree::Node>>& MemoryTree::siblingsOf(Node* node) {
    return node->parent ? node->parent->children : roots_;
}

std::vector<MemoryTree::Node*> MemoryTree::top() const {
    std::vector<Node*> out;
    for (const auto& n : roots_) out.push_back(n.get());
    return out;
}

std::vector<MemoryTree::Node*> MemoryTree::children(const Node* node) const {
    std::vector<Node*> out;
    for (const auto& n : node->children) out.push_back(n.get());
    return out;
}

std::vector<std::string> MemoryTree::lines() const {
    std::vector<std::string> out;
    for (const auto& n : roots_) {
        out.push_back(utf(n->text));
        for (const auto& c : n->children) out.push_back("  " + utf(c->text));
    }
    return out;
}

MemoryTree::Node* MemoryTree::addTop(const std::string& cp1251Text, uint32_t data) {
    roots_.push_back(std::make_unique<Node>());
    roots_.back()->text = cp1251Text;
    roots_.back()->data = data;
    return roots_.back().get();
}

TProjectTreeNode MemoryTree::firstNode(TProjectTreeHost* tree) {
    MemoryTree& t = self(tree);
    return t.roots_.empty() ? nullptr : t.roots_.front().get();
}

TProjectTreeNode MemoryTree::nextSibling(TProjectTreeHost* tree, TProjectTreeNode node) {
    if (!node) return nullptr;
    auto* n = static_cast<Node*>(node);
    auto& list = self(tree).siblingsOf(n);
    auto it = std::find_if(list.begin(), list.end(), [n](const auto& p) { return p.get() == n; });
    if (it == list.end() || ++it == list.end()) return nullptr;
    return it->get();
}

TProjectTreeNode MemoryTree::firstChild(TProjectTreeHost*, TProjectTreeNode node) {
    auto* n = static_cast<Node*>(node);
    return (n && !n->children.empty()) ? n->children.front().get() : nullptr;
}

TProjectTreeNode MemoryTree::addNode(TProjectTreeHost* tree, TProjectTreeNode parent, const char* text) {
    MemoryTree& t = self(tree);
    auto* p = static_cast<Node*>(parent);
    auto& list = p ? p->children : t.roots_;
    list.push_back(std::make_unique<Node>());
    list.back()->text = text ? text : "";
    list.back()->parent = p;
    ++t.added;
    return list.back().get();
}

void MemoryTree::setNode(TProjectTreeHost*, TProjectTreeNode node, const char* text, uint32_t data) {
    auto* n = static_cast<Node*>(node);
    n->text = text ? text : "";
    n->data = data;
}

void MemoryTree::deleteNode(TProjectTreeHost* tree, TProjectTreeNode node) {
    MemoryTree& t = self(tree);
    auto* n = static_cast<Node*>(node);
    auto& list = t.siblingsOf(n);
    list.erase(std::remove_if(list.begin(), list.end(), [n](const auto& p) { return p.get() == n; }), list.end());
    ++t.deleted;
}

}  // namespace zo::test
