// The options tree of the options dialog, read from the MENU element of an
// options file (Struct\Options.xml): the named TREENODE elements with the
// description paths of their blocks. Every node has its caption, coming back
// from the text the tree shows; a node's path is empty or the options file,
// OPTIONS/STRUCT/ and a block name, never longer than its field; no more
// nodes than the input can hold elements. The nodes are appended to what the
// list held, which a failure leaves as it was; a path too long for its field
// fails the whole tree.

#include "configurator/shell/MenuXmlRead.h"
#include "support/FuzzSupport.h"

#include <string>
#include <vector>

using namespace zo;
using namespace zo::configurator;
using namespace zo::fuzz;

namespace {

const std::string& file() {
    static const std::string f = Scratch() + "/Options.xml";
    return f;
}

struct Walk {
    std::string prefix = file() + "/OPTIONS/STRUCT/";
    size_t nodes = 0;

    void level(const std::vector<TOptionsNode>& list) {
        for (const TOptionsNode& node : list) {
            ++nodes;
            ZO_FUZZ_CHECK(!node.Caption.empty(), "a node without a caption");
            ZO_FUZZ_CHECK(ShownAlike(node.Caption), "a caption the tree shows otherwise: " + node.Caption);
            if (!node.Path.empty()) {
                ZO_FUZZ_CHECK(node.Path.size() > prefix.size() && node.Path.compare(0, prefix.size(), prefix) == 0,
                              "a path outside the options file's blocks: " + node.Path);
                ZO_FUZZ_CHECK(node.Path.size() <= kMaxDescriptionPath, "a path longer than its field: " + node.Path);
            }
            level(node.Nodes);
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Ui();
    file();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteFile(file(), data, size);

    // A node already in the list stays first and as it was.
    std::vector<TOptionsNode> nodes(1);
    nodes[0].Caption = "kept";
    const int rc = ReadOptionsTree(file(), &nodes);
    ZO_FUZZ_CHECK(!nodes.empty() && nodes[0].Caption == "kept" && nodes[0].Path.empty() && nodes[0].Nodes.empty(),
                  "the node held before was changed");
    nodes.erase(nodes.begin());
    Walk walk;
    if (rc != kOptionsMenuOk) {
        ZO_FUZZ_CHECK(rc == kOptionsMenuNotOpened || rc == kOptionsMenuBadMenu || rc == kOptionsMenuWalkFailed,
                      "an unknown result " + std::to_string(rc));
        ZO_FUZZ_CHECK(nodes.empty(), "nodes from a tree that failed");
        // Only a block name that does not fit its field fails the walk.
        if (rc == kOptionsMenuWalkFailed)
            ZO_FUZZ_CHECK(size > kMaxDescriptionPath - walk.prefix.size(), "a walk failed without a long block name");
        return 0;
    }
    walk.level(nodes);
    // Every element takes four bytes at least ("<a/>"), whatever the encoding.
    ZO_FUZZ_CHECK(walk.nodes * 4 < size, "more nodes than the input can hold elements");
    Note("nodes " + std::to_string(walk.nodes));
    return 0;
}
