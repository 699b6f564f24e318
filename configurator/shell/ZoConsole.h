#pragma once
// The console runner: starts a console tool (the configuration converter, the
// assembler) hidden, collects what it writes to standard output and standard
// error, waits for its end and logs every line at the level its text asks for.
// The caller blocks until the tool has ended.
//
// The command line is one text in the system's form (Windows-1251, "\" between
// folders). Blanks and tabs separate its words; double quotes group a word
// with blanks ("" inside quotes is one quote); a backslash is an ordinary
// character. Every "\" becomes "/" in the words handed to the tool. The
// program word is looked for in the working folder (the current folder when no
// working folder is given), then on PATH; a name ending in ".exe" that is not
// there is looked for without it, so "Utility\Kelvart.exe" runs our Kelvart.
//
// The working folder is set in the child only; the program's own current
// folder never changes. The child gets the program's environment with
// LC_ALL=C, so the tools' messages are the untranslated ones the markers
// "error:", "warning:" and "info:" are looked for in.

#include "common/abi/LogProc.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zo::configurator {

// Results of a run. A tool that ran and ended with a non-zero exit code gives
// that code (1..255).
enum ConsoleResult : int32_t {
    kConsoleRan = 0,          // started, ended with exit code 0
    kConsoleNotStarted = -2,  // no such program or folder, or the start failed
    kConsoleTimedOut = -3,    // stopped at the time limit
    kConsoleCrashed = -4,     // ended by a signal
};

// How long a run may take and how much of its output is kept. A tool still
// running at the time limit is killed; output past the cap is read (so the
// tool never blocks on a full pipe) but dropped, and the cut is logged.
struct TConsoleLimits {
    int64_t timeoutMs = 10 * 60 * 1000;
    int64_t maxOutputBytes = 16 * 1024 * 1024;  // standard output and error together
};
TConsoleLimits ConsoleLimits();
void SetConsoleLimits(const TConsoleLimits& limits);

// Runs CommandLine in WorkFolder (nil or empty: the current folder) and logs
// through Log (nil: nothing is logged). Lines are logged after the tool has
// ended: "Process: " + CommandLine at level 2, then every non-empty line of
// standard output, then of standard error, each as Exe + "> " + the line, at
// ConsoleLineLevel. A missing program logs nothing; a missing working folder,
// a non-zero exit code, a signal, the time limit and the output cap each add
// one line of their own.
int32_t RunConsoleProcess(const char* workFolder, const char* commandLine, TLogProc log);

// The words of a command line by the quoting rules above, unchanged otherwise
// (backslashes stay).
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// The level of an output line (LogLevel of link/KroLog.h): Error when it holds
// "error:", else Warning for "warning:", else Milestone for "info:", else
// Information (any case).
uint8_t ConsoleLineLevel(std::string_view line);

// Text split at CR LF, CR or LF; a final line without an end counts.
std::vector<std::string> SplitOutputLines(std::string_view text);

}  // namespace zo::configurator

extern "C" {
// RunConsoleProcess with the C calling convention, for TBuildParams.RunProgram.
int32_t RunProcessCallback(const char* workFolder, const char* commandLine, TLogProc log);
}
