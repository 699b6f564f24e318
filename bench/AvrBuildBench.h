#pragma once
// The AVR builder's benchmark: a project of AVR blocks built by the plug-in's
// Build with the real kernel, converter and assembler; the builder's own time
// (everything but the assembler) beside the assembler's time in the same builds.

#include "BenchHost.h"
#include "ResultTable.h"

#include <vector>

namespace zo::bench {

// Generates the project (blocks of them), registers and runs the two
// measurements into runs and adds their row.
void RunAvrBuildBench(ProgramFolder& folder, KernelHost& host, int blocks, bool once, RunCollector& runs,
                      std::vector<TableRow>& rows);

}  // namespace zo::bench
