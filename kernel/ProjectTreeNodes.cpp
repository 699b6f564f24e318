#include "kernel/ProjectTreeNodes.h"

#include "common/MenObj.h"
#include "common/Struct.h"
#include "common/abi/BlockRecord.h"
#include "common/abi/ProjectTreeHost.h"
#include "common/abi/SheetRecord.h"
#include "kernel/KernelState.h"

#include <cstring>
#include <string>

namespace zo::kernel {

namespace {

// "<block name> (<structure name>)".
std::string blockNodeText(const TBlockRecord& block) {
    const auto* description = static_cast<const TStruct*>(block.Block.Struct);
    const std::string structName = description ? description->GetName() : std::string();
    return std::string(block.Name, strnlen(block.Name, sizeof block.Name)) + " (" + structName + ")";
}

// Deletes node and every sibling after it.
void deleteFrom(TProjectTreeHost* tree, TProjectTreeNode node) {
    while (node) {
        TProjectTreeNode next = tree->NextSibling(tree, node);
        tree->DeleteNode(tree, node);
        node = next;
    }
}

// The next node to use: the existing one, else a new one appended under parent.
TProjectTreeNode reuseOrAdd(TProjectTreeHost* tree, TProjectTreeNode existing, TProjectTreeNode parent,
                            const std::string& text) {
    return existing ? existing : tree->AddNode(tree, parent, text.c_str());
}

void refreshBlockNodes(TProjectTreeHost* tree, TProjectTreeNode sheetNode, const TMenObj* blocks) {
    TProjectTreeNode node = tree->FirstChild(tree, sheetNode);
    const uint16_t count = blocks ? blocks->Count : 0;
    for (uint16_t i = 0; i < count; ++i) {
        const auto* block = static_cast<const TBlockRecord*>(blocks->GetItem(i));
        const std::string text = blockNodeText(*block);
        node = reuseOrAdd(tree, node, sheetNode, text);
        if (!node) return;
        tree->SetNode(tree, node, text.c_str(), i);
        node = tree->NextSibling(tree, node);
    }
    deleteFrom(tree, node);
}

}  // namespace

void RefreshProjectTree() {
    TGetProjectTreeProc getTree = Options().GetProjectTree;
    auto* tree = getTree ? static_cast<TProjectTreeHost*>(getTree()) : nullptr;
    if (!tree) return;
    const TMenObj& sheets = State().sheets;
    TProjectTreeNode node = tree->FirstNode(tree);
    for (uint16_t i = 0; i < sheets.Count; ++i) {
        const auto* sheet = static_cast<const TSheetRecord*>(sheets.GetItem(i));
        const std::string name(sheet->Name, strnlen(sheet->Name, sizeof sheet->Name));
        node = reuseOrAdd(tree, node, nullptr, name);
        if (!node) return;
        tree->SetNode(tree, node, name.c_str(), kProjectTreeSheetData);
        refreshBlockNodes(tree, node, sheet->Blocks);
        node = tree->NextSibling(tree, node);
    }
    deleteFrom(tree, node);
}

}  // namespace zo::kernel
