#pragma once
// Key codes and the shift byte that cross the kernel boundary with a key press
// (SheetKeyDown, SheetKeyUp, ProjectTreeKeyUp). The program maps its toolkit's
// keys and modifiers onto these; the kernel reacts only to the codes below.
//
// Letter keys carry the code of their upper-case Latin letter ('A' = 65 ...
// 'Z' = 90) and digit keys the code of their digit ('0' = 48 ... '9' = 57),
// whatever the keyboard layout.

#include <cstdint>

// Key codes.
inline constexpr uint16_t kKeyShift = 16;
inline constexpr uint16_t kKeyControl = 17;
inline constexpr uint16_t kKeyAlt = 18;
inline constexpr uint16_t kKeyLeft = 37;
inline constexpr uint16_t kKeyUp = 38;
inline constexpr uint16_t kKeyRight = 39;
inline constexpr uint16_t kKeyDown = 40;
inline constexpr uint16_t kKeyDelete = 46;
inline constexpr uint16_t kKeyA = 65;
inline constexpr uint16_t kKeyC = 67;
inline constexpr uint16_t kKeyV = 86;
inline constexpr uint16_t kKeyX = 88;

// Bits of the shift byte.
inline constexpr uint8_t kShiftBitShift = 1;
inline constexpr uint8_t kShiftBitAlt = 2;
inline constexpr uint8_t kShiftBitCtrl = 4;

