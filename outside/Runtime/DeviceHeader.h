#pragma once
// The device header record of the device this runtime program serves, as its
// device description Device\OrvantaPLC.dev lays it out ("Structure/Header"):
// Device String60, Name String60, IP IPAddress (as String15), Port Word, Cycle Word,
// Watchdog Byte. The configuration file starts with these bytes.

#include "ConfigImage.h"

namespace zo::runtime {

inline constexpr HeaderLayout kDeviceHeader{
    /* size */ 143,
    /* ipOffset */ 122,
    /* ipSize */ 16,
    /* portOffset */ 138,
};

}  // namespace zo::runtime
