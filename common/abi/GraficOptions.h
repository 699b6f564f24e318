#pragma once
// TGraficOptions: the record of the graphic library ZoGraficConfig, which draws
// block pictures and reports their pins. The library fills its head and its two
// drawing entries; the kernel writes the host objects and, after calling
// GraficInit, the log procedure and the callbacks (structure accessors, pin-list
// append, connection-type colours).
//
// A picture is a QImage made by the library and carried as void*; only the
// library's ReleasePicture frees it.

#include "common/abi/AbiLayout.h"
#include "common/abi/LogProc.h"
#include "common/abi/StructAccess.h"

#include <cstdint>

extern "C" {

struct TGraficOptions;

// Initialisation, called by the kernel once with the record GetInfo gave:
// 0 done; -1 nil record; -2 not this library's record.
typedef int32_t (*TGraficInitProc)(TGraficOptions* record);
// Finalisation before unloading: frees the pictures still alive and answers
// how many there were.
typedef int32_t (*TGraficDoneProc)();

// Appends one item (item-size bytes copied from item) to a kernel list:
// 0 appended; -1 not appended; -2 nil list.
typedef int32_t (*TAddMenObjItemProc)(void* list, const void* item);
// Colour (0x00BBGGRR) of the connection type named typeName.
typedef int32_t (*TGetConnectionTypeColorProc)(const char* typeName);

// Draws the picture of a block and adds its pins (TPinRecord) to pins through
// AddMenObjItem. picture: address of the block's picture reference, nil or a
// picture of this library (then redrawn in place); block: the pair
// Description/Data; display: the pair DisplayDescription/DisplayData.
// 0 drawn; negative when refused (the reference is then left as it was).
typedef int32_t (*TGraficDrawBlockProc)(void** picture, const TStructInstance* block,
                                        const TStructInstance* display, void* pins);
// Frees a picture of this library and sets the reference nil: 0 freed (or the
// reference was already nil); -1 nil address; -2 not a picture of this library.
typedef int32_t (*TGraficReleaseProc)(void** picture);

#pragma pack(push, 1)
struct TGraficOptions {
    char Description[40];
    void* HostApplication;
    void* HostScreen;
    TGraficInitProc GraficInit;
    TGraficDoneProc GraficDone;
    uint8_t HidePinNames;  // written by the kernel before each drawing: 1 leaves the pin names out
    TLogProc Log;  // the kernel's log line (Windows-1251 text, level)
    TGetStructTextProc GetStructName;
    TGetStructTextProc GetStructCaption;
    TGetStructCountProc GetStructItemCount;
    TGetStructItemTextProc GetStructItemType;
    TGetStructItemTextProc GetStructItemName;
    TGetStructItemTextProc GetStructItemCaption;
    TGetStructItemTextProc GetStructItemKind;
    TGetStructItemTextProc GetStructItemDefault;
    TGetStructItemTextProc GetStructItemValue;
    TFindStructItemProc FindStructItem;
    TAddMenObjItemProc AddMenObjItem;
    TGetConnectionTypeColorProc GetConnectionTypeColor;
    TGraficDrawBlockProc DrawBlock;
    TGraficReleaseProc ReleasePicture;
};
#pragma pack(pop)

}  // extern "C"

ZO_ABI_CHECK_OFFSET(TGraficOptions, HostApplication, 40, 0);
ZO_ABI_CHECK_OFFSET(TGraficOptions, HostScreen, 44, 1);
ZO_ABI_CHECK_OFFSET(TGraficOptions, GraficInit, 48, 2);
ZO_ABI_CHECK_OFFSET(TGraficOptions, GraficDone, 52, 3);
ZO_ABI_CHECK_OFFSET(TGraficOptions, HidePinNames, 56, 4);
ZO_ABI_CHECK_OFFSET(TGraficOptions, Log, 57, 4);
ZO_ABI_CHECK_OFFSET(TGraficOptions, GetStructName, 61, 5);
ZO_ABI_CHECK_OFFSET(TGraficOptions, GetStructCaption, 65, 6);
ZO_ABI_CHECK_OFFSET(TGraficOptions, GetStructItemCount, 69, 7);
ZO_ABI_CHECK_OFFSET(TGraficOptions, GetStructItemType, 73, 8);
ZO_ABI_CHECK_OFFSET(TGraficOptions, GetStructItemName, 77, 9);
ZO_ABI_CHECK_OFFSET(TGraficOptions, GetStructItemCaption, 81, 10);
ZO_ABI_CHECK_OFFSET(TGraficOptions, GetStructItemKind, 85, 11);
ZO_ABI_CHECK_OFFSET(TGraficOptions, GetStructItemDefault, 89, 12);
ZO_ABI_CHECK_OFFSET(TGraficOptions, GetStructItemValue, 93, 13);
ZO_ABI_CHECK_OFFSET(TGraficOptions, FindStructItem, 97, 14);
ZO_ABI_CHECK_OFFSET(TGraficOptions, AddMenObjItem, 101, 15);
ZO_ABI_CHECK_OFFSET(TGraficOptions, GetConnectionTypeColor, 105, 16);
ZO_ABI_CHECK_OFFSET(TGraficOptions, DrawBlock, 109, 17);
ZO_ABI_CHECK_OFFSET(TGraficOptions, ReleasePicture, 113, 18);
ZO_ABI_CHECK_SIZE(TGraficOptions, 117, 19);
