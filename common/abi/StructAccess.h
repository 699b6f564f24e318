#pragma once
// The flat accessors over a structure description and a value record, as they
// cross library boundaries (kernel record, inspector, graphic library).
// A TStruct is opaque on the far side: only these routines look inside it.

#include "common/abi/AbiLayout.h"

#include <cstdint>

extern "C" {

#pragma pack(push, 1)
// One inspector row: a structure and the record it lays out.
struct TStructInstance {
    void* Struct;  // a TStruct of the structure layer
    void* Data;    // the value record
};
#pragma pack(pop)

typedef const char* (*TGetStructTextProc)(const TStructInstance* instance);
typedef int32_t (*TGetStructCountProc)(const TStructInstance* instance);
typedef const char* (*TGetStructItemTextProc)(const TStructInstance* instance, uint16_t index);
typedef int32_t (*TSetStructItemValueProc)(const TStructInstance* instance, uint16_t index, const char* text);
typedef int32_t (*TFindStructItemProc)(const TStructInstance* instance, const char* name, int16_t* index);
typedef void* (*TGetStructItemPtrProc)(const TStructInstance* instance, uint16_t index);

#pragma pack(push, 1)
// Thirteen accessors, in this order.
struct TStructAccess {
    TGetStructTextProc GetStructName;
    TGetStructTextProc GetStructCaption;
    TGetStructCountProc GetStructItemCount;
    TGetStructCountProc GetStructSize;
    TGetStructItemTextProc GetStructItemType;
    TGetStructItemTextProc GetStructItemName;
    TGetStructItemTextProc GetStructItemCaption;
    TGetStructItemTextProc GetStructItemKind;
    TGetStructItemTextProc GetStructItemList;
    TGetStructItemTextProc GetStructItemDefault;
    TGetStructItemTextProc GetStructItemValue;
    TSetStructItemValueProc SetStructItemValue;
    TFindStructItemProc FindStructItem;
};
#pragma pack(pop)

}  // extern "C"

ZO_ABI_CHECK_SIZE(TStructInstance, 8, 2);
ZO_ABI_CHECK_OFFSET(TStructAccess, GetStructItemType, 16, 4);
ZO_ABI_CHECK_OFFSET(TStructAccess, FindStructItem, 48, 12);
ZO_ABI_CHECK_SIZE(TStructAccess, 52, 13);
