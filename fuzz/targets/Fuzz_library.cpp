// Element library files as the element library window reads them: a device
// description or library file with its groups and blocks and the files its
// INCLUDE elements name (masks, folders, the file itself, files including each
// other). An input holds up to nine files, split at lines "--file--": the
// device file and eight library files of the Library folder. Every block node
// names its block by the path the kernel looks it up by: the registered file,
// FBD and the names of its groups; loading always ends.

#include "configurator/windows/LibraryTree.h"
#include "platform/Paths.h"
#include "support/FuzzSupport.h"

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

using namespace zo;
using namespace zo::configurator;
using namespace zo::fuzz;

namespace fs = std::filesystem;

namespace {

const char* const kFiles[] = {"Device/Fuzz.dev", "Library/One.xml",  "Library/Two.xml",  "Library/Three.xml",
                              "Library/Four.xml", "Library/Five.xml", "Library/Six.xml",  "Library/Seven.xml",
                              "Library/Eight.xml"};
const std::string kSeparator = "\n--file--\n";

std::string g_started;

const std::string& folder() {
    static const std::string f = [] {
        const std::string p = Scratch() + "/Library";
        fs::create_directories(p + "/Device");
        fs::create_directories(p + "/Library");
        return p;
    }();
    return f;
}

std::vector<std::string> pieces(const std::string& input) {
    std::vector<std::string> out;
    size_t start = 0;
    while (out.size() + 1 < std::size(kFiles)) {
        const size_t at = input.find(kSeparator, start);
        if (at == std::string::npos) break;
        out.push_back(input.substr(start, at - start));
        start = at + kSeparator.size();
    }
    out.push_back(input.substr(start));
    return out;
}

// The names of the groups above a node up to the root node of its file.
std::string groupChain(const TLibraryNode& node) {
    std::string chain = node.Text;
    for (const TLibraryNode* p = node.Parent; p && p->Record; p = p->Parent) chain = p->Text + "/" + chain;
    return chain;
}

void checkNode(const TLibraryNode& node, const std::set<std::string>& registered) {
    ZO_FUZZ_CHECK(!node.Text.empty() || !node.Record, "a group or block without a name");
    if (!node.Record) return;
    const TLibraryNodeRecord& r = *node.Record;
    ZO_FUZZ_CHECK(std::memchr(r.Path, 0, sizeof r.Path) != nullptr, "a block path without its end");
    ZO_FUZZ_CHECK(std::memchr(r.Caption, 0, sizeof r.Caption) != nullptr, "a caption without its end");
    const std::string path = r.Path;
    if (path.empty()) return;  // a group
    ZO_FUZZ_CHECK(node.Children.empty(), "a block with children: " + path);
    const std::string chain = "/FBD/" + groupChain(node);
    bool found = false;
    for (const std::string& file : registered)
        if (path == file + chain) found = true;
    ZO_FUZZ_CHECK(found, "a block path that is not its file, FBD and its groups: " + path + " (" + chain + ")");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Ui();
    folder();
    g_started = fs::current_path().string();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> files = pieces(std::string(reinterpret_cast<const char*>(data), size));
    for (size_t i = 0; i < std::size(kFiles); ++i) {
        const std::string path = folder() + "/" + kFiles[i];
        if (i < files.size()) WriteInputFile(path, files[i]);
        else RemoveFile(path);
    }
    if (chdir(folder().c_str()) != 0) Fail("chdir", folder());

    std::set<std::string> registered;
    int repaints = 0;
    TLibraryNode root;
    TLibraryServices services;
    services.programFolder = [] { return platform::currentDir(); };
    services.addLibraryFile = [&](const std::string& file) {
        registered.insert(file);
        return 0;
    };
    services.log = [](const std::string&, uint8_t) {};
    services.repaint = [&] { ++repaints; };
    TLibraryLoader loader(root, services);
    loader.LoadSource(std::string(), "\\Device\\Fuzz.dev");
    int nodes = 0;
    root.ForEach([&](const TLibraryNode& node) {
        checkNode(node, registered);
        ++nodes;
    });
    Note("nodes " + std::to_string(nodes) + ", files " + std::to_string(registered.size()) + ", repaints " +
         std::to_string(repaints));
    if (chdir(g_started.c_str()) != 0) Fail("chdir", g_started);
    return 0;
}
