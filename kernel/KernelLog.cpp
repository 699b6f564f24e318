#include "kernel/KernelLog.h"

#include "common/Struct.h"
#include "kernel/KernelState.h"

#include <cstring>

using namespace zo::kernel;

extern "C" void KernelLog(const char* text, uint8_t level) {
    if (!StateExists() || !text) return;
    KernelState& s = State();
    if (s.logCallback) s.logCallback(s.logName, text, 3, int32_t(level));
}

extern "C" void SetLogCallback(const char* logName, TLogWriteProc callback) {
    if (!logName || !callback || !StateExists()) return;
    KernelState& s = State();
    s.logCallback = callback;
    s.structCache->OnLog = KernelLog;
    std::memset(s.logName, 0, sizeof s.logName);
    std::strncpy(s.logName, logName, sizeof s.logName - 1);
}
