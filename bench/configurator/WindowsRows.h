#pragma once
// The editing windows' benchmarks: the element library of the shipped devices
// and of a generated library of 2,000 blocks in 50 files, read as the library
// window reads them, each beside a bare libxml2 parse and walk of the same
// files; and the inspector filled for a 200-block multi-selection beside the
// selection's values read as text alone. Every time is wall-clock time per
// operation, the fastest of five repetitions.

#include "bench/ResultTable.h"

#include <vector>

namespace zo::bench {

struct WindowsBenchSettings {
    bool once = false;              // every benchmark one iteration, on a small library
    bool minTimeGiven = false;      // --benchmark_min_time on the command line rules
    bool repetitionsGiven = false;  // so does --benchmark_repetitions
};

// Generates the library in a temporary folder (the current folder is given
// back afterwards), registers and runs the measurements into runs and adds
// their rows. Needs a QApplication.
void RunWindowsBench(const WindowsBenchSettings& settings, RunCollector& runs, std::vector<TableRow>& rows);

}  // namespace zo::bench
