#pragma once
// TVisibleOptions: how schemes are shown, the option block "ConfiguratorVisible"
// of the options file. The program keeps the block the settings file and the
// options dialog fill, and hands a copy to the kernel's block of the same name
// after loading it and after every options dialog; the kernel's painter and the
// scheme windows read the kernel's copy.

#include "common/abi/AbiLayout.h"

#include <cstdint>

extern "C" {

#pragma pack(push, 1)
struct TVisibleOptions {
    uint8_t ShowGrid;        // 1: a dot in the middle of every cell
    uint8_t ShowBlockNames;  // 1: each block's label beside it
    uint8_t ShowPinNames;    // 1: the pin names inside the block pictures
    uint8_t ShowHints;       // 1: hints of the scheme windows and the element library
    int32_t GridColor;       // 0x00BBGGRR of the dots
    int32_t BackColor;       // 0x00BBGGRR of the sheet
};
#pragma pack(pop)

}  // extern "C"

ZO_ABI_CHECK_OFFSET(TVisibleOptions, ShowHints, 3, 0);
ZO_ABI_CHECK_OFFSET(TVisibleOptions, GridColor, 4, 0);
ZO_ABI_CHECK_OFFSET(TVisibleOptions, BackColor, 8, 0);
ZO_ABI_CHECK_SIZE(TVisibleOptions, 12, 0);

// The look of a sheet without settings: black dots on grey.
inline constexpr TVisibleOptions kDefaultVisibleOptions = {1, 1, 1, 1, 0x000000, 0xB0B0B0};
