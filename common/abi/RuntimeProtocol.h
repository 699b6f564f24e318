#pragma once
// The wire protocol between the debugging library ZoDebug and the controller's
// runtime program. One TCP connection; the client sends fixed-size requests and
// the runtime answers each one in order. Every integer is little-endian.
//
//   request  TRuntimeRequest (9 bytes)
//   reply    TRuntimeReply (10 bytes), then for kRuntimeRead Count values of
//            4 bytes each (the net's value bytes, low byte first)
//
// Commands:
//   kRuntimeInfo   -> Result 0, Value = number of nets the loaded configuration holds
//   kRuntimeRead   Index = first net, Count = 1..kRuntimeMaxRead
//                  -> Result 0, Index and Count echoed, Count values follow;
//                     kRuntimeBadIndex (no values) when the range leaves the nets
//   kRuntimeWrite  Index = net, Value = its new 32-bit value
//                  -> Result 0, Index echoed, Value = the value now held;
//                     kRuntimeBadIndex for a net outside the list
// Any other command answers kRuntimeBadCommand. A value is the net's bytes as
// the controller holds them: a 1-byte type uses the low byte, 2 bytes the low
// word, 4 bytes the whole value.

#include "common/abi/AbiLayout.h"

#include <cstdint>

extern "C" {

enum : uint8_t {
    kRuntimeInfo = 1,
    kRuntimeRead = 2,
    kRuntimeWrite = 3,
};

enum : int8_t {
    kRuntimeOk = 0,
    kRuntimeBadCommand = -1,
    kRuntimeBadIndex = -2,
};

// At most this many values per read.
enum : uint16_t { kRuntimeMaxRead = 256 };

#pragma pack(push, 1)
struct TRuntimeRequest {
    uint8_t Command;
    uint16_t Index;
    uint16_t Count;
    uint32_t Value;
};

struct TRuntimeReply {
    uint8_t Command;  // the request's command
    int8_t Result;    // kRuntimeOk or a failure
    uint16_t Index;
    uint16_t Count;   // number of 4-byte values that follow
    uint32_t Value;
};
#pragma pack(pop)

}  // extern "C"

ZO_ABI_CHECK_OFFSET(TRuntimeRequest, Index, 1, 0);
ZO_ABI_CHECK_OFFSET(TRuntimeRequest, Value, 5, 0);
ZO_ABI_CHECK_SIZE(TRuntimeRequest, 9, 0);
ZO_ABI_CHECK_OFFSET(TRuntimeReply, Count, 4, 0);
ZO_ABI_CHECK_SIZE(TRuntimeReply, 10, 0);
