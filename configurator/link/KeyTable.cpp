#include "configurator/link/KeyTable.h"

#include "common/abi/KeyCodes.h"

#include <array>
#include <utility>

namespace zo::configurator {

namespace {

// Keys whose codes are not their Latin letter or digit.
constexpr std::array<std::pair<int, uint16_t>, 26> kNamedKeys{{
    {Qt::Key_Backspace, 8},    {Qt::Key_Tab, 9},       {Qt::Key_Backtab, 9},     {Qt::Key_Return, 13},
    {Qt::Key_Enter, 13},       {Qt::Key_Shift, kKeyShift}, {Qt::Key_Control, kKeyControl},
    {Qt::Key_Alt, kKeyAlt},    {Qt::Key_Pause, 19},    {Qt::Key_Escape, 27},     {Qt::Key_Space, 32},
    {Qt::Key_PageUp, 33},      {Qt::Key_PageDown, 34}, {Qt::Key_End, 35},        {Qt::Key_Home, 36},
    {Qt::Key_Left, kKeyLeft},  {Qt::Key_Up, kKeyUp},   {Qt::Key_Right, kKeyRight}, {Qt::Key_Down, kKeyDown},
    {Qt::Key_Insert, 45},      {Qt::Key_Delete, kKeyDelete}, {Qt::Key_Plus, 187}, {Qt::Key_Minus, 189},
    {Qt::Key_Comma, 188},      {Qt::Key_Period, 190},  {Qt::Key_Slash, 191},
}};

uint16_t punctuationCode(char c) {
    switch (c) {
    case '[': return 219;
    case ']': return 221;
    case ';': return 186;
    case '\'': return 222;
    case ',': return 188;
    case '.': return 190;
    case '`': return 192;
    default: return uint16_t(c);
    }
}

}  // namespace

uint16_t kernelKeyCode(int qtKey) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return uint16_t(kKeyA + (qtKey - Qt::Key_A));
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return uint16_t('0' + (qtKey - Qt::Key_0));
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return uint16_t(112 + (qtKey - Qt::Key_F1));
    for (const auto& [key, code] : kNamedKeys)
        if (key == qtKey) return code;
    // Qt gives a Cyrillic letter as its upper-case code point: А (U+0410) to
    // Я (U+042F) of the standard Russian layout, as the Latin letter or the
    // punctuation key they share a key with.
    if (qtKey >= 0x0410 && qtKey <= 0x042F) {
        static constexpr char kByLetter[32] = {
            'F', ',', 'D', 'U', 'L', 'T', ';', 'P', 'B', 'Q', 'R', 'K', 'V', 'Y', 'J', 'G',
            'H', 'C', 'N', 'E', 'A', '[', 'W', 'X', 'I', 'O', ']', 'S', 'M', '\'', '.', 'Z'};
        return punctuationCode(kByLetter[qtKey - 0x0410]);
    }
    if (qtKey == 0x0401) return punctuationCode('`');  // Ё
    return 0;
}

uint8_t kernelShiftState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons, bool doubleClick) {
    uint8_t shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= kShiftBitShift;
    if (modifiers & Qt::AltModifier) shift |= kShiftBitAlt;
    if (modifiers & Qt::ControlModifier) shift |= kShiftBitCtrl;
    if (buttons & Qt::LeftButton) shift |= 8;
    if (buttons & Qt::RightButton) shift |= 16;
    if (buttons & Qt::MiddleButton) shift |= 32;
    if (doubleClick) shift |= 64;
    return shift;
}

}  // namespace zo::configurator
