#pragma once
// TNewProjectData: the buffer of the new-project dialog ("TNewConfiguratorProject"
// of the dialogs library). The program fills ProjectName with a proposal; the
// dialog writes both fields back when accepted. Each holds at most 60
// characters and a terminating zero (Windows-1251).

#include "common/abi/AbiLayout.h"

extern "C" {

#pragma pack(push, 1)
struct TNewProjectData {
    char ProjectName[61];
    char DeviceFile[61];  // the device description's file name in the Device folder
};
#pragma pack(pop)

}  // extern "C"

ZO_ABI_CHECK_OFFSET(TNewProjectData, DeviceFile, 61, 0);
ZO_ABI_CHECK_SIZE(TNewProjectData, 122, 0);
