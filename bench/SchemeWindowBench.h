#pragma once
// The scheme window's benchmarks: its whole repaint of a sheet (the kernel's
// paint, the copy into the framed picture, the scaled draw into the window's
// backing store) at 100 % and 200 %, and a pointer move that changes the
// hover, each beside the kernel's PaintScheme alone.

#include "BenchHost.h"
#include "ResultTable.h"

#include <benchmark/benchmark.h>

#include <functional>
#include <string>
#include <vector>

namespace zo::bench {

using BenchBody = std::function<void(benchmark::State&)>;
using AddBenchmark = std::function<void(const std::string& name, BenchBody body)>;

// Registers the window's benchmarks on the first sheet of the host's project;
// sheet `other` is painted before each whole repaint, so that the kernel keeps
// nothing of the first. Names end in suffix; all: the hover, the view alone and
// the repaint after a one-block move too.
void AddSchemeWindowBenchmarks(KernelHost& host, const AddBenchmark& add, int other, const std::string& suffix = "",
                               bool all = true);
// Their table rows (sheet: the size column's text; reference: the run of the
// kernel's whole paint of the sheet).
std::vector<TableRow> SchemeWindowRows(const std::string& sheet, const std::string& reference,
                                       const std::string& suffix = "", bool all = true);

}  // namespace zo::bench
