#pragma once
// Log procedures that cross library boundaries (C calling convention).

#include <cstdint>

extern "C" {

// The levels of a log line, as the logging library takes them.
enum TLogLevel : uint8_t {
    kLogInformation = 1,
    kLogMilestone = 2,
    kLogWarning = 3,
    kLogError = 5,
};

// The write mode every caller of the logging library's line writer passes.
enum : int32_t { kLogWriteMode = 3 };

// The program's log procedure: (text, level).
typedef void (*TLogProc)(const char* text, uint8_t level);

// The logging library's line writer: (log name, text, mode, level); every caller passes kLogWriteMode.
typedef void (*TLogWriteProc)(const char* logName, const char* text, int32_t mode, int32_t level);

}  // extern "C"
