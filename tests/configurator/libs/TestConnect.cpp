// A connection library for the binding tests: its initialization and
// finalization count themselves in the record's first unused slot.
#include "common/abi/ConnectOptions.h"

#include <cstdint>

namespace {
TConnectOptions g_record{};

void initialize() { g_record.Reserved1[0] = reinterpret_cast<void*>(reinterpret_cast<intptr_t>(g_record.Reserved1[0]) + 1); }
void finalize() { g_record.Reserved1[0] = reinterpret_cast<void*>(reinterpret_cast<intptr_t>(g_record.Reserved1[0]) + 100); }
}  // namespace

extern "C" __attribute__((visibility("default"))) void GetInfo(void** record, int32_t* size) {
    static const char description[] = "TestConnect";
    for (unsigned i = 0; i < sizeof description; ++i) g_record.Description[i] = description[i];
    g_record.Initialize = &initialize;
    g_record.Finalize = &finalize;
    *record = &g_record;
    *size = int32_t(sizeof(TConnectOptions));
}
