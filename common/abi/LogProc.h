#pragma once
// Log procedures that cross library boundaries (C calling convention).
// Levels: 1 information, 2 milestone, 3 warning, 5 error.

#include <cstdint>

extern "C" {

// The program's log procedure: (text, level).
typedef void (*TLogProc)(const char* text, uint8_t level);

// The logging library's line writer: (log name, text, mode, level); every caller passes mode 3.
typedef void (*TLogWriteProc)(const char* logName, const char* text, int32_t mode, int32_t level);

}  // extern "C"
