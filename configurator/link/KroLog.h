#pragma once
// The program's binding of the logging library ZoLogs and its one log
// procedure WriteLog, through which every line of the program, its libraries
// and its builders reaches the log "Vezevire.log".

#include "common/abi/LogsOptions.h"

#include <string>

namespace zo::configurator {

// The log every line of the program goes to.
inline constexpr char kProgramLogName[] = "Vezevire.log";

// Log levels.
namespace LogLevel {
inline constexpr uint8_t Information = 1;
inline constexpr uint8_t Milestone = 2;
inline constexpr uint8_t Warning = 3;
inline constexpr uint8_t Error = 5;
}  // namespace LogLevel

// The logging library's record while it is bound; nil otherwise.
extern TLogsOptions* LogsOptionsPtr;

// Binds <current folder><subfolder>\ZoLogs.so (else the same below the
// registry path) silently: nothing is logged, a failure leaves the pointer nil.
// Writes the host objects and calls the library's initialization.
void LoadLogsLibrary(const std::string& subfolder, void* application, void* screen);
// Calls the library's finalization and unloads it; nothing when unbound.
void UnloadLogsLibrary();
bool LogsLibraryBound();

// The program's TLogProc: WriteLine("Vezevire.log", text, 3, level) while the
// logging library is bound, nothing otherwise. Callable from any thread.
extern "C" void WriteLog(const char* text, uint8_t level);

}  // namespace zo::configurator
