// A library whose GetInfo reports a record one byte shorter than the
// conversion library's; it has no other export.
#include "common/abi/ConvertOptions.h"

namespace {
TConvertOptions g_record = {"OffByOne", {}, nullptr, nullptr, nullptr};
}

extern "C" __attribute__((visibility("default"))) void GetInfo(void** record, int32_t* size) {
    *record = &g_record;
    *size = int32_t(sizeof(TConvertOptions)) - 1;
}
