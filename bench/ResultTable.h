#pragma once
// Collects what the benchmarks measured (seconds per operation, wall clock)
// and prints one table: each operation, its size, its time, its reference
// measured in the same run with the ratio, the target and whether it is met.

#include <benchmark/benchmark.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace zo::bench {

// A reporter that prints nothing and keeps every operation's time by its
// name: the fastest of its repetitions, or its failure.
class RunCollector : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override;

    struct Result {
        double seconds = 0;  // per operation
        bool failed = false;
        std::string message;
    };
    const Result* find(const std::string& name) const;
    bool anyFailed() const;
    std::vector<std::string> failures() const;

private:
    std::map<std::string, Result> results_;
};

// One line of the table.
struct TableRow {
    enum class Target {
        RatioToReference,  // ratio <= limit
        AbsoluteSeconds,   // time <= limit
        None,
    };
    std::string operation;
    std::string size;
    std::string benchmark;       // name of the measured run
    std::string reference;       // name of the reference run; empty for none
    std::string referenceLabel;  // how the reference is made
    Target target = Target::None;
    double limit = 0;
    std::string growthOf;        // name of the same operation on the smaller size, for the growth column
    double growthLimit = 0;      // largest growth still "about linear"
    std::string missing;         // why the operation is not measured (its slot is not there)
};

// The number of rows whose operation should have been measured but was not.
int PrintTable(std::ostream& out, const std::vector<TableRow>& rows, const RunCollector& runs);

// "12.3 ms", "45.6 µs", ...
std::string FormatSeconds(double seconds);

}  // namespace zo::bench
