#pragma once
// TMenObj: a growable run of fixed-size items, copied in and out by value, found
// by the zero-terminated name at the start of an item. The container under every
// list of the kernel. Items are raw bytes; whatever they point to is the owner's.

#include <cstdint>

namespace zo {

class TMenObj {
public:
    static constexpr uint32_t kMaxCount = 65535;

    TMenObj() = default;
    ~TMenObj();
    TMenObj(const TMenObj&) = delete;
    TMenObj& operator=(const TMenObj&) = delete;

    void SetItemSize(uint16_t size);
    bool SetCapacity(uint16_t n);
    void SetCount(uint16_t n);

    void* GetItem(uint16_t index) const;
    int CopyItem(uint16_t index, void* destination) const;
    int AddItem(const void* source);
    int InsertItem(uint16_t index, const void* source);
    void DeleteItem(uint16_t index);
    void Clear() { Count = 0; }
    bool FindName(uint16_t& index, const char* name) const;
    bool CloneTo(TMenObj*& target) const;
    void FreeBuffer();

    uint8_t* Data = nullptr;
    uint16_t Count = 0;
    uint16_t ItemSize = 0;
    uint16_t Capacity = 0;

private:
    bool growForOneMore();
};

}  // namespace zo
