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

// Registers the window's benchmarks on the first sheet of the host's project.
// The PaintScheme run of the kernel's rows is the reference.
void AddSchemeWindowBenchmarks(KernelHost& host, const AddBenchmark& add);
// Their table rows (sheet: the size column's text).
std::vector<TableRow> SchemeWindowRows(const std::string& sheet);

}  // namespace zo::bench
