#include "kernel/KernelLog.h"

#include "common/Struct.h"
#include "kernel/KernelState.h"
#include "platform/Cp1251.h"

#include <cstdio>
#include <cstring>

using namespace zo::kernel;

extern "C" void KernelLog(const char* text, uint8_t level) {
    if (!StateExists() || !text) return;
    KernelState& s = State();
    if (s.logCallback) s.logCallback(s.logName, text, kLogWriteMode, int32_t(level));
}

extern "C" void SetLogCallback(const char* logName, TLogWriteProc callback) {
    if (!logName || !callback || !StateExists()) return;
    KernelState& s = State();
    s.logCallback = callback;
    s.structCache->OnLog = KernelLog;
    std::memset(s.logName, 0, sizeof s.logName);
    std::strncpy(s.logName, logName, sizeof s.logName - 1);
}

void zo::kernel::ReportSlotFailure(const char* slot, const char* what) noexcept {
    // The log callback that fails a slot does not report its own failure again.
    thread_local bool reporting = false;
    if (reporting) return;
    reporting = true;
    const char* prefix = "";
    try {
        prefix = ZO_RU("Сбой в ").c_str();
    } catch (...) {
    }
    char line[512];
    std::snprintf(line, sizeof line, "%s%s: %s", prefix, slot ? slot : "", what ? what : "");
    try {
        KernelLog(line, kLogError);
    } catch (...) {
    }
    reporting = false;
}
