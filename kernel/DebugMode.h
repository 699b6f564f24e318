#pragma once
// The kernel's editing mode (0 select, 1 straight connection, 2 routed
// connection, 3 debug) and on-line debugging: entering mode 3 writes the
// project's configuration file and starts the debugging library ZoDebug on the
// controller's address from the device header; leaving it stops and unloads it.

#include <cstdint>
#include <string>

namespace zo::kernel {

// ForwardToDebugger's own result (else the debugging library's).
inline constexpr int32_t kDebuggerNotLoaded = -1;

// Stops the debugging library (its thread joined), then empties the net value
// list and unloads the library. Nothing when it is not loaded. The mode stays
// as it is. SetMode, CloseProject and KernelDone call it.
void StopDebugging();

// The configuration file beside the project: the project path with its
// extension (of the file name) replaced by ".cfg", or ".cfg" appended.
std::string DebugConfigPath(const std::string& projectPath);

}  // namespace zo::kernel

extern "C" {
void SetMode(uint8_t mode);
uint8_t GetMode();
// ZoDebug's DebugRequest with the same values; kDebuggerNotLoaded when it is not loaded.
int32_t ForwardToDebugger(int32_t a, int32_t b, int32_t c, int32_t d, uint8_t e);
}
