// The help menu file (Struct\Help.xml) as the help menu reads it: the items
// below HELP, and the link a clicked item's number looks up in the file
// again. Every item has its caption, and it comes back from the text the
// menu shows; links are numbered 1, 2, ... in document order, each has its
// URL, and the lookup of a number gives that URL (none past the last, the
// out value then untouched); a plain item has no number and no URL; an item
// is a submenu exactly when it has items (a link too); no more items than the
// input can hold elements. A file that does not read gives no items and no link.

#include "configurator/shell/MenuXmlRead.h"
#include "support/FuzzSupport.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace zo;
using namespace zo::configurator;
using namespace zo::fuzz;

namespace {

const std::string& file() {
    static const std::string f = Scratch() + "/Help.xml";
    return f;
}

struct Walk {
    std::vector<const THelpItem*> links;
    size_t items = 0;
    int depth = 0;

    void level(const std::vector<THelpItem>& list, int at) {
        depth = std::max(depth, at);
        for (const THelpItem& item : list) {
            ++items;
            ZO_FUZZ_CHECK(!item.Caption.empty(), "an item without a caption");
            ZO_FUZZ_CHECK(ShownAlike(item.Caption), "a caption the menu shows otherwise: " + item.Caption);
            if (item.Tag != 0) {
                links.push_back(&item);
                ZO_FUZZ_CHECK(item.Tag == int(links.size()), "a link out of its number: " + item.Caption);
                ZO_FUZZ_CHECK(!item.Url.empty(), "a link without a URL: " + item.Caption);
            } else {
                ZO_FUZZ_CHECK(item.Url.empty(), "a plain item with a URL: " + item.Caption);
            }
            ZO_FUZZ_CHECK(item.Submenu == !item.Items.empty(), "a submenu without items, or items outside one: " +
                                                                   item.Caption);
            level(item.Items, at + 1);
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

    std::vector<THelpItem> items;
    const int rc = ReadHelpMenu(file(), &items);
    std::string url = "before";
    if (rc != kMenuXmlOk) {
        ZO_FUZZ_CHECK(rc == kMenuXmlNotOpened || rc == kMenuXmlBadRoot, "an unknown result " + std::to_string(rc));
        ZO_FUZZ_CHECK(items.empty(), "items from a file that did not read");
        ZO_FUZZ_CHECK(!HelpMenuExists(file()), "a help menu that exists but does not read");
        ZO_FUZZ_CHECK(GetHelpLink(file(), 1, &url) == rc && url == "before", "a link from a file that did not read");
        return 0;
    }
    Walk walk;
    walk.level(items, 1);
    // Every element takes four bytes at least ("<a/>"), whatever the encoding.
    ZO_FUZZ_CHECK(walk.items * 4 < size, "more items than the input can hold elements");
    if (!items.empty()) ZO_FUZZ_CHECK(HelpMenuExists(file()), "items from a help menu that does not exist");
    Note("items " + std::to_string(walk.items) + ", links " + std::to_string(walk.links.size()) + ", depth " +
         std::to_string(walk.depth));

    // The lookup of a clicked item reads the file again and gives the URL of its
    // number: asked for the first, a middle and the last link, and one past the last.
    const size_t count = walk.links.size();
    for (size_t k : {size_t(0), count / 2, count - 1}) {
        if (k >= count) continue;
        ZO_FUZZ_CHECK(GetHelpLink(file(), int(k + 1), &url) == kMenuXmlOk, "link " + std::to_string(k + 1) + " not found");
        ZO_FUZZ_CHECK(url == walk.links[k]->Url, "link " + std::to_string(k + 1) + " looked up as " + url);
    }
    url = "before";
    ZO_FUZZ_CHECK(GetHelpLink(file(), int(count) + 1, &url) == kMenuXmlNotFound && url == "before",
                  "a link past the last found");
    return 0;
}
