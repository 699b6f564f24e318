#pragma once
// TConnectOptions: the record of the connection library ZoConnect (update
// check, download and apply in the background). The library reports each
// finished operation to the window named in its settings. Only the slots the
// program uses are named; the settings record is the caller's buffer.

#include "common/abi/AbiLayout.h"
#include "common/abi/LogProc.h"

#include <cstdint>

extern "C" {

typedef void (*TConnectLifeProc)();
typedef void (*TConnectSettingsProc)(void* settings);
typedef void (*TConnectStartProc)();
// Answers 0 when the update is in place (the results in ConnectSettings.h);
// a caller that takes it for a procedure loses only the result.
typedef int32_t (*TConnectApplyProc)(const char* targetName, const char* programFolder, const char* updateFolder);

#pragma pack(push, 1)
struct TConnectOptions {
    char Description[40];
    void* HostApplication;  // written by the host at binding
    void* HostScreen;
    TConnectLifeProc Initialize;  // after binding
    TConnectLifeProc Finalize;    // before unbinding
    void* Reserved1[7];           // slots the program does not use
    TLogProc Log;                 // the host's log procedure, written at binding
    TConnectSettingsProc GetSettings;  // copies the library's settings into the caller's record
    TConnectSettingsProc SetSettings;  // hands the caller's record back
    void* Reserved2[3];
    TConnectStartProc StartDownload;
    TConnectApplyProc ApplyUpdate;
};
#pragma pack(pop)

}  // extern "C"

ZO_ABI_CHECK_OFFSET(TConnectOptions, HostApplication, 40, 0);
ZO_ABI_CHECK_OFFSET(TConnectOptions, HostScreen, 44, 1);
ZO_ABI_CHECK_OFFSET(TConnectOptions, Initialize, 48, 2);
ZO_ABI_CHECK_OFFSET(TConnectOptions, Finalize, 52, 3);
ZO_ABI_CHECK_OFFSET(TConnectOptions, Log, 84, 11);
ZO_ABI_CHECK_OFFSET(TConnectOptions, GetSettings, 88, 12);
ZO_ABI_CHECK_OFFSET(TConnectOptions, SetSettings, 92, 13);
ZO_ABI_CHECK_OFFSET(TConnectOptions, StartDownload, 108, 17);
ZO_ABI_CHECK_OFFSET(TConnectOptions, ApplyUpdate, 112, 18);
ZO_ABI_CHECK_SIZE(TConnectOptions, 116, 19);
