// zobench_windows: the editing windows' benchmarks alone (WindowsRows.h), their
// own table; make bench prints them in zobench's one table.
//
// zobench_windows [--smoke] [Google Benchmark flags]
//   --smoke  every benchmark once on a small library: a check, not a measurement.

#include "bench/ResultTable.h"
#include "bench/configurator/WindowsRows.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

using namespace zo::bench;

int main(int argc, char** argv) {
    WindowsBenchSettings s;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0) {
            s.once = true;
            continue;
        }
        if (std::strncmp(argv[i], "--benchmark_min_time", 20) == 0) s.minTimeGiven = true;
        if (std::strncmp(argv[i], "--benchmark_repetitions", 23) == 0) s.repetitionsGiven = true;
        args.push_back(argv[i]);
    }
    int benchArgc = int(args.size());
    benchmark::Initialize(&benchArgc, args.data());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    std::vector<TableRow> rows;
    RunCollector runs;
    RunWindowsBench(s, runs, rows);
    std::cout << "\n";
    const int notMeasured = PrintTable(std::cout, rows, runs);
    for (const std::string& f : runs.failures()) std::cerr << "failed: " << f << "\n";
    return runs.anyFailed() || notMeasured > 0 ? 1 : 0;
}
