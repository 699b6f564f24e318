#pragma once
// TConvertOptions: the record of the conversion library ZoConvert (typed values
// to and from text). Filled by the library, read-only for the system.

#include "common/abi/AbiLayout.h"

#include <cstdint>

extern "C" {

typedef int32_t (*TTextToValueProc)(const char* typeName, const char* text, void* destination);
typedef int32_t (*TValueToTextProc)(const char* typeName, const void* source, const char** text);
typedef int32_t (*TTypeSizeProc)(const char* typeName);

#pragma pack(push, 1)
struct TConvertOptions {
    char Description[40];
    uint8_t Reserved[4];
    TTextToValueProc TextToValue;
    TValueToTextProc ValueToText;
    TTypeSizeProc TypeSize;
};
#pragma pack(pop)

}  // extern "C"

ZO_ABI_CHECK_OFFSET(TConvertOptions, TextToValue, 44, 0);
ZO_ABI_CHECK_OFFSET(TConvertOptions, ValueToText, 48, 1);
ZO_ABI_CHECK_OFFSET(TConvertOptions, TypeSize, 52, 2);
ZO_ABI_CHECK_SIZE(TConvertOptions, 56, 3);
