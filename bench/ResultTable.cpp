#include "ResultTable.h"

#include <algorithm>
#include <cstdio>

namespace zo::bench {

void RunCollector::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.run_type != Run::RT_Iteration) continue;
        Result r;
        r.failed = run.error_occurred;
        r.message = run.error_message;
        if (!r.failed && run.iterations > 0)
            r.seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        // Of several repetitions the fastest stands: the others were slowed by
        // whatever else the machine was doing.
        const auto [at, added] = results_.try_emplace(run.run_name.function_name, r);
        Result& kept = at->second;
        if (added || kept.failed) continue;
        if (r.failed || r.seconds < kept.seconds) kept = r;
    }
}

const RunCollector::Result* RunCollector::find(const std::string& name) const {
    const auto found = results_.find(name);
    return found == results_.end() ? nullptr : &found->second;
}

bool RunCollector::anyFailed() const { return !failures().empty(); }

std::vector<std::string> RunCollector::failures() const {
    std::vector<std::string> out;
    for (const auto& [name, r] : results_)
        if (r.failed) out.push_back(name + ": " + r.message);
    return out;
}

std::string FormatSeconds(double s) {
    char text[32];
    if (s >= 1) std::snprintf(text, sizeof text, "%.2f s", s);
    else if (s >= 1e-3) std::snprintf(text, sizeof text, "%.2f ms", s * 1e3);
    else if (s >= 1e-6) std::snprintf(text, sizeof text, "%.2f us", s * 1e6);
    else std::snprintf(text, sizeof text, "%.1f ns", s * 1e9);
    return text;
}

namespace {

std::string ratioText(double r) {
    char text[32];
    std::snprintf(text, sizeof text, r >= 100 ? "%.0fx" : "%.2fx", r);
    return text;
}

struct Line {
    std::vector<std::string> cells;
};

const RunCollector::Result* usable(const RunCollector& runs, const std::string& name) {
    if (name.empty()) return nullptr;
    const RunCollector::Result* r = runs.find(name);
    return r && !r->failed ? r : nullptr;
}

Line lineOf(const TableRow& row, const RunCollector& runs) {
    Line line{{row.operation, row.size, "", "", "", "", "", "", ""}};
    std::vector<std::string>& c = line.cells;
    if (!row.missing.empty()) {
        c[2] = "-";
        c[8] = row.missing;
        return line;
    }
    const RunCollector::Result* r = runs.find(row.benchmark);
    if (!r || r->failed) {
        c[2] = "-";
        c[8] = r ? "FAILED: " + r->message : "not run";
        return line;
    }
    c[2] = FormatSeconds(r->seconds);
    bool met = true;
    std::string why;
    const RunCollector::Result* ref = usable(runs, row.reference);
    c[3] = row.referenceLabel;
    if (ref) {
        c[4] = FormatSeconds(ref->seconds);
        c[5] = ratioText(r->seconds / ref->seconds);
    }
    switch (row.target) {
        case TableRow::Target::RatioToReference:
            c[6] = "<= " + ratioText(row.limit);
            if (ref && r->seconds / ref->seconds > row.limit) {
                met = false;
                why = "ratio";
            }
            break;
        case TableRow::Target::AbsoluteSeconds:
            c[6] = "<= " + FormatSeconds(row.limit);
            if (r->seconds > row.limit) {
                met = false;
                why = "time";
            }
            break;
        case TableRow::Target::None: break;
    }
    if (const RunCollector::Result* small = usable(runs, row.growthOf)) {
        const double growth = r->seconds / small->seconds;
        char text[48];
        std::snprintf(text, sizeof text, "%.1f (<= %.1f)", growth, row.growthLimit);
        c[7] = text;
        if (growth > row.growthLimit) {
            met = false;
            why += why.empty() ? "growth" : ", growth";
        }
    }
    c[8] = row.target == TableRow::Target::None && row.growthOf.empty() ? "" : met ? "yes" : "NO (" + why + ")";
    return line;
}

}  // namespace

int PrintTable(std::ostream& out, const std::vector<TableRow>& rows, const RunCollector& runs) {
    std::vector<Line> lines;
    lines.push_back({{"Operation", "Size", "Time", "Reference", "Ref. time", "Ratio", "Target", "Growth", "Met"}});
    for (const TableRow& row : rows) lines.push_back(lineOf(row, runs));
    std::vector<size_t> widths(lines.front().cells.size(), 0);
    for (const Line& l : lines)
        for (size_t i = 0; i < l.cells.size(); ++i) widths[i] = std::max(widths[i], l.cells[i].size());
    auto rule = [&] {
        for (size_t i = 0; i < widths.size(); ++i) out << (i ? "-+-" : "") << std::string(widths[i], '-');
        out << "\n";
    };
    for (size_t n = 0; n < lines.size(); ++n) {
        const Line& l = lines[n];
        for (size_t i = 0; i < l.cells.size(); ++i) {
            const bool right = i == 2 || i == 4 || i == 5;
            const std::string pad(widths[i] - l.cells[i].size(), ' ');
            out << (i ? " | " : "") << (right ? pad + l.cells[i] : l.cells[i] + (i + 1 < l.cells.size() ? pad : ""));
        }
        out << "\n";
        if (n == 0) rule();
    }
    int notMeasured = 0;
    for (const TableRow& row : rows) {
        const RunCollector::Result* r = row.missing.empty() ? runs.find(row.benchmark) : nullptr;
        notMeasured += row.missing.empty() && (!r || r->failed);
    }
    return notMeasured;
}

}  // namespace zo::bench
