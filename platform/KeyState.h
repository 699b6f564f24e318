#pragma once
// Keyboard state the kernel asks about (the Ctrl key during mouse handling).
// The program installs a hook over QGuiApplication::queryKeyboardModifiers();
// tests set it directly.

namespace zo::platform {

using CtrlStateHook = bool (*)();

// The hook in force answers; without one, Ctrl counts as not held.
bool isCtrlDown();
CtrlStateHook setCtrlStateHook(CtrlStateHook hook);

}  // namespace zo::platform
