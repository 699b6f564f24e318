#pragma once
// TZoStringList: a list of texts handed across a library boundary. The side
// that owns the list fills the table; the other side only calls through it.
// Every entry takes the list itself first, so the owner finds its own state in
// Context. Texts are zero-terminated Windows-1251.

#include "common/abi/AbiLayout.h"

#include <cstdint>

extern "C" {

struct TZoStringList;

// Removes every text.
typedef void (*TZoStringListClearProc)(TZoStringList* list);
// Appends a copy of Text; answers its index, or -1 when it was not added.
typedef int32_t (*TZoStringListAddProc)(TZoStringList* list, const char* text);
// The number of texts.
typedef int32_t (*TZoStringListCountProc)(TZoStringList* list);
// The text at Index, valid until the list next changes; nil out of range.
typedef const char* (*TZoStringListGetProc)(TZoStringList* list, int32_t index);

#pragma pack(push, 1)
struct TZoStringList {
    void* Context;  // the owner's; the other side never touches it
    TZoStringListClearProc Clear;
    TZoStringListAddProc Add;
    TZoStringListCountProc Count;
    TZoStringListGetProc Get;
};
#pragma pack(pop)

}  // extern "C"

ZO_ABI_CHECK_OFFSET(TZoStringList, Clear, 4, 1);
ZO_ABI_CHECK_OFFSET(TZoStringList, Add, 8, 2);
ZO_ABI_CHECK_OFFSET(TZoStringList, Count, 12, 3);
ZO_ABI_CHECK_OFFSET(TZoStringList, Get, 16, 4);
ZO_ABI_CHECK_SIZE(TZoStringList, 20, 5);
