// Replacement lists: a *.lst file of the structure folder (or the List element
// of a description file) as the inspector reads it, once as the folder's
// global lists and once as a description file's own. Both readings give the
// same lists; every entry has a display text and a stored value; a stored
// value translates to the display text of its first entry and back to a
// stored value of that text, and the description file's own list wins.

#include "configurator/windows/ReplacementLists.h"
#include "support/FuzzSupport.h"

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace zo;
using namespace zo::configurator;
using namespace zo::fuzz;

namespace fs = std::filesystem;

namespace {

std::string g_started;

const std::string& folder() {
    static const std::string f = [] {
        const std::string p = Scratch() + "/Lists";
        fs::create_directories(p + "/Struct");
        return p;
    }();
    return f;
}

bool sameSets(const TReplacementSet& a, const TReplacementSet& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].Name != b[i].Name || a[i].Shown != b[i].Shown || a[i].Stored != b[i].Stored) return false;
    return true;
}

const TReplacementList* first(const TReplacementSet& set, const std::string& name) {
    for (const TReplacementList& list : set)
        if (list.Name == name) return &list;
    return nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Ui();
    folder();
    g_started = fs::current_path().string();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteFile(folder() + "/Struct/Fuzz.lst", data, size);
    if (chdir(folder().c_str()) != 0) Fail("chdir", folder());

    TReplacementLists lists;
    int logged = 0;
    lists.OnLog = [&](const std::string&, uint8_t) { ++logged; };
    ZO_FUZZ_CHECK(lists.LoadReplacementLists(lists.GlobalLists, "\\Struct") == 0, "loading the folder failed");
    for (const TReplacementList& list : lists.GlobalLists) {
        ZO_FUZZ_CHECK(!list.Name.empty(), "a list without a name");
        ZO_FUZZ_CHECK(list.Shown.size() == list.Stored.size(), list.Name);
        for (size_t i = 0; i < list.Shown.size(); ++i)
            ZO_FUZZ_CHECK(!list.Shown[i].empty() && !list.Stored[i].empty(), list.Name);
    }
    ZO_FUZZ_CHECK(logged == (lists.GlobalLists.empty() ? 0 : 1), "the load was not logged once");

    // The same file as a description file's own lists, through the cache.
    const std::string structPath = "\\Struct\\Fuzz.lst/ROOT/Field";
    const TReplacementSet global = lists.GlobalLists;
    for (const TReplacementList& list : global) {
        const TReplacementList* named = first(global, list.Name);
        for (size_t i = 0; i < list.Stored.size() && i < 8; ++i) {
            // The first list of the name decides; its first entry of the value.
            size_t at = 0;
            while (at < named->Stored.size() && named->Stored[at] != list.Stored[i]) ++at;
            const bool listed = at < named->Stored.size();
            const std::string expected = listed ? named->Shown[at] : list.Stored[i];
            const std::string shown = lists.TranslateValue(structPath, list.Stored[i], list.Name);
            ZO_FUZZ_CHECK(shown == expected, list.Name + ": " + list.Stored[i] + " shown as " + shown);
            // Back: the stored value of an entry that shows this text.
            const std::string stored = lists.TranslateToStored(structPath, shown, list.Name);
            bool entry = false;
            for (size_t k = 0; k < named->Shown.size() && !entry; ++k)
                entry = named->Shown[k] == shown && named->Stored[k] == stored;
            if (listed)
                ZO_FUZZ_CHECK(entry, list.Name + ": " + shown + " stored as " + stored);
        }
        std::vector<std::string> items;
        const int filled = lists.FillValueList(structPath, list.Name, items);
        ZO_FUZZ_CHECK(named->Shown.empty() ? filled == -1 && items.empty() : filled == 0 && items == named->Shown,
                      list.Name);
    }
    const auto cached = lists.FileLists.find("\\Struct\\Fuzz.lst");
    if (cached != lists.FileLists.end())
        ZO_FUZZ_CHECK(sameSets(cached->second, global), "the file's own lists differ from the folder's");
    ZO_FUZZ_CHECK(lists.ClearReplacementLists() == 0 && lists.FileLists.empty(), "the cache was not cleared");
    if (chdir(g_started.c_str()) != 0) Fail("chdir", g_started);
    return 0;
}
