#include "common/StringList.h"

#include <new>

namespace zo {

TStringListTable::TStringListTable() : table_{this, clear, add, count, get} {}

TStringListTable* TStringListTable::self(TZoStringList* list) {
    return list ? static_cast<TStringListTable*>(list->Context) : nullptr;
}

void TStringListTable::clear(TZoStringList* list) {
    if (TStringListTable* t = self(list)) t->items_.clear();
}

int32_t TStringListTable::add(TZoStringList* list, const char* text) {
    TStringListTable* t = self(list);
    if (!t || !text) return -1;
    try {
        t->items_.emplace_back(text);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    return int32_t(t->items_.size() - 1);
}

int32_t TStringListTable::count(TZoStringList* list) {
    TStringListTable* t = self(list);
    return t ? int32_t(t->items_.size()) : 0;
}

const char* TStringListTable::get(TZoStringList* list, int32_t index) {
    TStringListTable* t = self(list);
    if (!t || index < 0 || size_t(index) >= t->items_.size()) return nullptr;
    return t->items_[size_t(index)].c_str();
}

std::vector<std::string> StringListItems(TZoStringList* list) {
    std::vector<std::string> out;
    if (!list || !list->Count || !list->Get) return out;
    const int32_t n = list->Count(list);
    for (int32_t i = 0; i < n; ++i)
        if (const char* text = list->Get(list, i)) out.emplace_back(text);
    return out;
}

}  // namespace zo
