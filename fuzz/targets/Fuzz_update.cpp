// The update list (Update\update.xml, written by the connection library) as
// the update menu reads it: one item per entry below UPDATE, and the entry
// name a clicked item's position looks up in the file again. Every item has
// its caption and its entry's name, both coming back from the texts the menu
// keeps; positions run 0, 1, ... and the lookup of a position gives that
// entry (none past the last); no more items than the input can hold elements. A
// file that does not read gives no items and no entry.

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
    static const std::string f = Scratch() + "/update.xml";
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Ui();
    file();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteFile(file(), data, size);

    std::vector<TUpdateItem> items;
    const int rc = ReadUpdateList(file(), &items);
    std::string name = "before";
    if (rc != kMenuXmlOk) {
        ZO_FUZZ_CHECK(rc == kMenuXmlNotOpened || rc == kMenuXmlBadRoot, "an unknown result " + std::to_string(rc));
        ZO_FUZZ_CHECK(items.empty(), "items from a file that did not read");
        ZO_FUZZ_CHECK(!UpdateMenuExists(file()), "an update list that exists but does not read");
        name = "before";
        ZO_FUZZ_CHECK(GetUpdateEntryName(file(), 0, &name) == rc && name == "before",
                      "an entry from a file that did not read, or the out value touched");
        return 0;
    }
    // Every element takes four bytes at least ("<a/>"), whatever the encoding.
    ZO_FUZZ_CHECK(items.size() * 4 < size, "more items than the input can hold elements");
    if (!items.empty()) ZO_FUZZ_CHECK(UpdateMenuExists(file()), "items from an update list that does not exist");
    for (size_t i = 0; i < items.size(); ++i) {
        const TUpdateItem& item = items[i];
        ZO_FUZZ_CHECK(!item.Caption.empty() && !item.Entry.empty(), "an item without a caption or entry");
        ZO_FUZZ_CHECK(item.Tag == int(i), "an item out of its position: " + item.Entry);
        ZO_FUZZ_CHECK(ShownAlike(item.Caption) && ShownAlike(item.Entry), "a text the menu keeps otherwise: " + item.Entry);
    }
    // The lookup of a clicked item reads the file again and gives the entry at its
    // position: asked for the first, a middle and the last entry, and one past the last.
    for (size_t k : {size_t(0), items.size() / 2, items.size() - 1}) {
        if (k >= items.size()) continue;
        ZO_FUZZ_CHECK(GetUpdateEntryName(file(), int(k), &name) == kMenuXmlOk, "entry " + std::to_string(k) + " not found");
        ZO_FUZZ_CHECK(name == items[k].Entry, "entry " + std::to_string(k) + " looked up as " + name);
    }
    name = "before";
    ZO_FUZZ_CHECK(GetUpdateEntryName(file(), int(items.size()), &name) == kMenuXmlNotFound && name == "before",
                  "an entry past the last found, or the out value touched");
    return 0;
}
