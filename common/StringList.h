#pragma once
// A list of texts that owns its TZoStringList table, so it can be handed
// across a library boundary; the owner reads it back as a vector.

#include "common/abi/StringList.h"

#include <string>
#include <vector>

namespace zo {

class TStringListTable {
public:
    TStringListTable();
    TStringListTable(const TStringListTable&) = delete;
    TStringListTable& operator=(const TStringListTable&) = delete;

    TZoStringList* List() { return &table_; }
    const std::vector<std::string>& Items() const { return items_; }

private:
    static TStringListTable* self(TZoStringList* list);
    static void clear(TZoStringList* list);
    static int32_t add(TZoStringList* list, const char* text);
    static int32_t count(TZoStringList* list);
    static const char* get(TZoStringList* list, int32_t index);

    TZoStringList table_;
    std::vector<std::string> items_;
};

// The texts of any list, through its table (empty for nil).
std::vector<std::string> StringListItems(TZoStringList* list);

}  // namespace zo
