#pragma once
// The program's start-up: from starting its process to the first painted
// scheme window, on the example project and on the large benchmark project,
// beside the kernel's OpenProject alone on the same file in the same run.

#include "BenchHost.h"
#include "ResultTable.h"

#include <string>
#include <vector>

namespace zo::bench {

// large: a project file of the benchmark (its first sheet gets an open window
// in a copy); empty leaves the large row out.
void RunStartUpBench(ProgramFolder& folder, KernelHost& host, const std::string& large, const std::string& label,
                     bool once, RunCollector& runs, std::vector<TableRow>& rows);

}  // namespace zo::bench
