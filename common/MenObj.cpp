#include "common/MenObj.h"

#include <cstdlib>
#include <cstring>

namespace zo {

TMenObj::~TMenObj() { FreeBuffer(); }

void TMenObj::FreeBuffer() {
    std::free(Data);
    Data = nullptr;
}

void TMenObj::SetItemSize(uint16_t size) {
    if (size == ItemSize) return;
    FreeBuffer();
    Count = 0;
    Capacity = 0;
    ItemSize = size;
}

bool TMenObj::SetCapacity(uint16_t n) {
    const size_t bytes = size_t(n) * ItemSize;
    if (bytes == 0) {
        FreeBuffer();
        Capacity = n;
        if (Count > n) Count = n;
        return true;
    }
    void* block = std::realloc(Data, bytes);
    if (!block) return false;
    Data = static_cast<uint8_t*>(block);
    Capacity = n;
    if (Count > n) Count = n;
    return true;
}

void TMenObj::SetCount(uint16_t n) {
    if (n >= Count) {
        if (!SetCapacity(n)) {
            Count = 0;
            return;
        }
    }
    Count = n;
}

void* TMenObj::GetItem(uint16_t index) const {
    if (index >= Count || !Data) return nullptr;
    return Data + size_t(index) * ItemSize;
}

int TMenObj::CopyItem(uint16_t index, void* destination) const {
    const void* item = GetItem(index);
    if (!item || !destination) return 0;
    std::memcpy(destination, item, ItemSize);
    return 1;
}

// One item at a time, as the callers expect; never past 65535 items.
bool TMenObj::growForOneMore() {
    if (Count < Capacity) return true;
    if (Count >= kMaxCount) return false;
    return SetCapacity(uint16_t(Count + 1));
}

int TMenObj::AddItem(const void* source) { return InsertItem(Count, source); }

int TMenObj::InsertItem(uint16_t index, const void* source) {
    if (index > Count) return 0;
    if (!growForOneMore()) return 0;
    uint8_t* at = Data + size_t(index) * ItemSize;
    std::memmove(at + ItemSize, at, size_t(Count - index) * ItemSize);
    if (source) std::memcpy(at, source, ItemSize);
    else std::memset(at, 0, ItemSize);
    ++Count;
    return 1;
}

void TMenObj::DeleteItem(uint16_t index) {
    if (index >= Count) return;
    uint8_t* at = Data + size_t(index) * ItemSize;
    std::memmove(at, at + ItemSize, size_t(Count - index - 1) * ItemSize);
    --Count;
}

namespace {
char lowerLatin(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
}  // namespace

bool TMenObj::FindName(uint16_t& index, const char* name) const {
    index = 0;
    if (Count == 0 || !name) return false;
    const size_t nameLen = std::strlen(name);
    for (uint16_t i = 0; i < Count; ++i) {
        const char* item = reinterpret_cast<const char*>(Data + size_t(i) * ItemSize);
        // An item's name ends at its terminator or at the end of the item.
        const size_t itemLen = strnlen(item, ItemSize);
        if (itemLen != nameLen) continue;
        bool equal = true;
        for (size_t k = 0; k < itemLen && equal; ++k) equal = lowerLatin(item[k]) == lowerLatin(name[k]);
        if (equal) {
            index = i;
            return true;
        }
    }
    index = Count;
    return false;
}

bool TMenObj::CloneTo(TMenObj*& target) const {
    delete target;
    target = new TMenObj;
    target->SetItemSize(ItemSize);
    if (Count == 0) return false;
    target->SetCount(Count);
    if (target->Count == 0) {
        delete target;
        target = nullptr;
        return false;
    }
    std::memcpy(target->Data, Data, size_t(Count) * ItemSize);
    return true;
}

}  // namespace zo
