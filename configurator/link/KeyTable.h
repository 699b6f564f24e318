#pragma once
// The one table from the toolkit's keys and modifiers to the key codes and the
// shift byte the kernel takes (common/abi/KeyCodes.h). Letters carry the code of
// the Latin letter on the same key, also when a Cyrillic layout is active.

#include <Qt>

#include <cstdint>

namespace zo::configurator {

// The kernel's key code of a Qt key; 0 for a key the table does not know.
uint16_t kernelKeyCode(int qtKey);

// The shift byte: bit 0 Shift, 1 Alt, 2 Ctrl, 3 left, 4 right, 5 middle button,
// 6 double click.
uint8_t kernelShiftState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = Qt::NoButton,
                         bool doubleClick = false);

}  // namespace zo::configurator
