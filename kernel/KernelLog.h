#pragma once
// The kernel's log line: every kernel routine writes through KernelLog, which
// reaches the logging library once the host has called SetLogCallback.

#include "common/abi/LogProc.h"

#include <cstdint>
#include <string>

extern "C" {
void KernelLog(const char* text, uint8_t level);
void SetLogCallback(const char* logName, TLogWriteProc callback);
}

namespace zo::kernel {

inline void Log(const std::string& text, uint8_t level) { KernelLog(text.c_str(), level); }

// One double-quote character, as log texts enclose names in it.
inline const std::string Q = "\"";

}  // namespace zo::kernel
