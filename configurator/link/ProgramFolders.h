#pragma once
// The kernel's folder texts for the shell's menus and commands (Windows-1251,
// empty while the kernel is not bound or the slot is missing).

#include "configurator/link/KernelLink.h"

#include <string>

namespace zo::configurator {

std::string KernelProgramFolder(const TKernelLink& kernel);
std::string KernelDeviceRuntimeFolder(const TKernelLink& kernel);
std::string KernelDeviceProgram(const TKernelLink& kernel);

}  // namespace zo::configurator
