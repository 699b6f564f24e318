#pragma once
// TDebugOptions: the record of the on-line debugging library ZoDebug. The kernel
// fills the fields below before Start; the library polls the controller on a
// thread of its own and reaches kernel data only between Lock and Unlock.
// Start and Stop take no arguments; Stop returns only after the library's
// thread has ended.

#include "common/abi/AbiLayout.h"
#include "common/abi/ConvertOptions.h"
#include "common/abi/LogProc.h"

#include <cstdint>

extern "C" {

typedef void (*TDebugVoidProc)();
typedef int32_t (*TDebugStartProc)();
typedef int32_t (*TDebugStopProc)();
// A request to the controller, passed through from the kernel's ForwardToDebugger.
typedef int32_t (*TDebugRequestProc)(int32_t a, int32_t b, int32_t c, int32_t d, uint8_t e);
// The value of net `index` into buffer (a TDebugValue): 0 read; -1 no such net
// (the buffer then says Error 1). Called with the kernel lock held.
typedef int32_t (*TDebugGetValueProc)(void* buffer, uint16_t index);
typedef int32_t (*TDebugCountProc)();
typedef const char* (*TDebugIndexedTextProc)(int32_t index);

#pragma pack(push, 1)
// What GetValue writes: the two status bytes, then the value's bytes (as many
// as the net's data type holds, low byte first). The painter keeps Error as the
// third byte and Status as the fourth byte of the net's tag.
struct TDebugValue {
    uint8_t Error;     // 1: the value could not be read from the controller
    uint8_t Status;    // 1: the value came with the last poll; 0: not read yet
    uint8_t Value[4];
};

struct TDebugOptions {
    char Description[40];
    void* HostApplication;
    TDebugVoidProc Lock;
    TDebugVoidProc Unlock;
    char DeviceFile[261];
    char ConfigFile[261];
    char IpAddress[16];  // at most 15 characters and the terminator
    uint8_t Reserved1[26];
    uint16_t Port;
    TLogProc Log;
    const TConvertOptions* ConvertOptions;
    TDebugStartProc Start;
    TDebugStopProc Stop;
    void* Reserved2;
    TDebugRequestProc DebugRequest;
    TDebugGetValueProc GetValue;
    TDebugVoidProc HostCallback;
    TDebugVoidProc RequestRepaint;
    void* Reserved3;
    TDebugCountProc LibraryFileCount;
    TDebugIndexedTextProc GetLibraryFile;
};
#pragma pack(pop)

}  // extern "C"

ZO_ABI_CHECK_OFFSET(TDebugOptions, Lock, 44, 1);
ZO_ABI_CHECK_OFFSET(TDebugOptions, Unlock, 48, 2);
ZO_ABI_CHECK_OFFSET(TDebugOptions, DeviceFile, 52, 3);
ZO_ABI_CHECK_OFFSET(TDebugOptions, ConfigFile, 313, 3);
ZO_ABI_CHECK_OFFSET(TDebugOptions, IpAddress, 574, 3);
ZO_ABI_CHECK_OFFSET(TDebugOptions, Port, 616, 3);
ZO_ABI_CHECK_OFFSET(TDebugOptions, Log, 618, 3);
ZO_ABI_CHECK_OFFSET(TDebugOptions, ConvertOptions, 622, 4);
ZO_ABI_CHECK_OFFSET(TDebugOptions, Start, 626, 5);
ZO_ABI_CHECK_OFFSET(TDebugOptions, Stop, 630, 6);
ZO_ABI_CHECK_OFFSET(TDebugOptions, DebugRequest, 638, 8);
ZO_ABI_CHECK_OFFSET(TDebugOptions, GetValue, 642, 9);
ZO_ABI_CHECK_OFFSET(TDebugOptions, HostCallback, 646, 10);
ZO_ABI_CHECK_OFFSET(TDebugOptions, RequestRepaint, 650, 11);
ZO_ABI_CHECK_OFFSET(TDebugOptions, LibraryFileCount, 658, 13);
ZO_ABI_CHECK_OFFSET(TDebugOptions, GetLibraryFile, 662, 14);
ZO_ABI_CHECK_SIZE(TDebugOptions, 666, 15);
ZO_ABI_CHECK_SIZE(TDebugValue, 6, 0);
