#pragma once
// TProjectRecord: the project's own record, stored as "Проект".

#include "common/abi/AbiLayout.h"

#include <cstdint>

extern "C" {

#pragma pack(push, 1)
struct TProjectRecord {
    char Name[61];        // the project file's name without folder and extension
    char DeviceFile[61];  // the device description's file name in the Device folder
    char Program[61];     // the controller's runtime program named by the device
    uint8_t ConfigFileType;  // 1 full, 2 simplified configuration file
};
#pragma pack(pop)

}  // extern "C"

ZO_ABI_CHECK_OFFSET(TProjectRecord, DeviceFile, 61, 0);
ZO_ABI_CHECK_OFFSET(TProjectRecord, Program, 122, 0);
ZO_ABI_CHECK_OFFSET(TProjectRecord, ConfigFileType, 183, 0);
ZO_ABI_CHECK_SIZE(TProjectRecord, 184, 0);
