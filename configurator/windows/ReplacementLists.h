#pragma once
// Replacement lists: named lists of display texts and the stored values they
// stand for ("Да=1"), read from *.lst files and from the List element of any
// description file. An inspector keeps one global set (the *.lst files of the
// structure folder, or the options file's own lists) and a cache of the sets of
// each description file; a file's own list wins over a global list of the same
// name. Texts are Windows-1251.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace zo::configurator {

struct TReplacementList {
    std::string Name;
    std::vector<std::string> Shown;   // display texts, in file order
    std::vector<std::string> Stored;  // the stored value of each display text
};
using TReplacementSet = std::vector<TReplacementList>;

// Results of one set's look-up.
enum LookupResult : int { kLookupFound = 0, kLookupNoListName = -1, kLookupNoList = -2, kLookupNoText = -3 };

class TReplacementLists {
public:
    // Empties the set and loads one file (a source with an extension) or every
    // *.lst file directly in the folder; 0.
    int LoadReplacementLists(TReplacementSet& set, const std::string& source);
    // Frees every cached file set; 0.
    int ClearReplacementLists();

    // The display text of a stored value (the stored value itself when no list has it).
    std::string TranslateValue(const std::string& structPath, const std::string& stored, const std::string& listName);
    // The stored value of a display text (the text itself when no list has it).
    std::string TranslateToStored(const std::string& structPath, const std::string& shown,
                                  const std::string& listName) const;
    // The display texts of the named list (the file's own, else the global one): 0, -1 none.
    int FillValueList(const std::string& structPath, const std::string& listName,
                      std::vector<std::string>& items) const;

    static int LookupReplacement(const TReplacementSet& set, const std::string& listName, const std::string& stored,
                                 std::string& shown);
    static int LookupStored(const TReplacementSet& set, const std::string& listName, const std::string& shown,
                            std::string& stored);
    // The description file of a structure path (the part before the element names).
    static std::string DescriptionFile(const std::string& structPath);

    TReplacementSet GlobalLists;
    std::map<std::string, TReplacementSet> FileLists;
    std::function<void(const std::string& text, uint8_t level)> OnLog;

private:
    int LoadFile(TReplacementSet& set, const std::string& file);
    // The description file of a path, worked out once per path (it looks at the
    // file system) until the cache is cleared.
    const std::string& FileOf(const std::string& structPath) const;
    mutable std::map<std::string, std::string> fileOfPath_;
};

}  // namespace zo::configurator
