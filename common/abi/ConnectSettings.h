#pragma once
// TConnectSettings: the settings record of the connection library ZoConnect.
// The caller always fetches it whole (GetSettings) before changing fields and
// hands it back whole (SetSettings), so the fields only the library uses pass
// through unchanged. No pointers: the record is the same on every platform.
// Texts are zero-terminated Windows-1251, at most the field's size minus one.

#include "common/abi/AbiLayout.h"
#include "common/abi/ProxySettings.h"

#include <cstdint>

namespace zo::configurator {

// The notification the library posts to WindowHandle when an operation ends;
// its first parameter is the kind.
inline constexpr uint32_t kConnectNotifyMessage = 1045;
inline constexpr intptr_t kConnectOperationEnded = 1;

#pragma pack(push, 1)
struct TConnectSettings {
    uint32_t WindowHandle;    // the window token that receives the notification
    uint32_t NotifyMessage;   // 1045
    uint8_t ConnectState;     // the program sets 0 when a check found no connection
    uint8_t Reserved1[3];
    char UpdateSource[251];   // the library's: where updates come from (a folder, file: or http: address)
    uint8_t ResumedApply;     // the library's: an apply interrupted before was finished (1) or rolled back (2)
    char ResumedTarget[51];   // the library's: the target of that apply
    uint8_t Reserved2[57];
    char ProgramFolder[251];
    char UpdateFolder[251];   // program folder + "\Update"
    char TargetName[51];      // "Configurator" or an entry of the update list
    char UpdateInfo[251];     // description of the available update, filled by the library
    TProxySettings Proxy;
    uint8_t Reserved3[255];
    int32_t ConnectError;     // nonzero: no connection to the update source
    int32_t UpdateAvailable1; // nonzero: an update is available
    int32_t UpdateAvailable2;
    int32_t LastError;        // the library's: 0, or the code of the last failed operation
    uint8_t AskDownload;      // 1: report an available update and wait; 0: download it
    uint8_t UpdateReady;      // set by the library when a downloaded update waits to be applied
};
#pragma pack(pop)

ZO_ABI_CHECK_OFFSET(TConnectSettings, ConnectState, 8, 0);
ZO_ABI_CHECK_OFFSET(TConnectSettings, ResumedApply, 263, 0);
ZO_ABI_CHECK_OFFSET(TConnectSettings, ResumedTarget, 264, 0);
ZO_ABI_CHECK_OFFSET(TConnectSettings, ProgramFolder, 372, 0);
ZO_ABI_CHECK_OFFSET(TConnectSettings, UpdateFolder, 623, 0);
ZO_ABI_CHECK_OFFSET(TConnectSettings, TargetName, 874, 0);
ZO_ABI_CHECK_OFFSET(TConnectSettings, UpdateInfo, 925, 0);
ZO_ABI_CHECK_OFFSET(TConnectSettings, Proxy, 1176, 0);
ZO_ABI_CHECK_OFFSET(TConnectSettings, ConnectError, 1589, 0);
ZO_ABI_CHECK_OFFSET(TConnectSettings, UpdateAvailable1, 1593, 0);
ZO_ABI_CHECK_OFFSET(TConnectSettings, UpdateAvailable2, 1597, 0);
ZO_ABI_CHECK_OFFSET(TConnectSettings, AskDownload, 1605, 0);
ZO_ABI_CHECK_OFFSET(TConnectSettings, UpdateReady, 1606, 0);
ZO_ABI_CHECK_SIZE(TConnectSettings, 1607, 0);

// Results of ApplyUpdate.
inline constexpr int32_t kApplyOk = 0;
inline constexpr int32_t kApplyNothingStaged = -1;   // no complete download of that target
inline constexpr int32_t kApplyRefused = -2;         // an entry names a path outside the program folder
inline constexpr int32_t kApplyFailed = -3;          // a file could not be put in place; the old ones restored

// LastError after a check or download (StartDownload).
inline constexpr int32_t kDownloadNotReceived = -1;  // the list or a file did not come
inline constexpr int32_t kDownloadRefused = -2;      // a name or file an update may not hold (or past the size bound)
inline constexpr int32_t kDownloadNotWritten = -3;   // the update folder could not take a file

// ResumedApply: what became of an apply that was interrupted (the program
// killed while it ran), found when the library was handed the folders.
inline constexpr uint8_t kResumedNone = 0;
inline constexpr uint8_t kResumedFinished = 1;
inline constexpr uint8_t kResumedRolledBack = 2;

}  // namespace zo::configurator
