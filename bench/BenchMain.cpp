// The kernel's benchmarks: builds a 1,000-block and a 10,000-block project
// through the kernel's slots, measures opening, saving, connection indexing,
// the configuration file, painting, pointer moves and hit tests on them; then
// the program's own rows (the scheme window's repaint, the element library's
// loading, the inspector's fill, the AVR build), each beside a reference
// measured in the same run, and prints one table. Every
// time is wall-clock time per operation, the fastest of five repetitions.
//
// zobench [--smoke] [--small=N] [--large=N] [Google Benchmark flags]
//   --smoke    small projects, every benchmark run once: a check that they all
//              still work, not a measurement.
//   --small=N, --large=N  the two project sizes in blocks (--large=0 leaves
//              the larger project out), e.g. to profile one operation.
//   --big=N    the blocks of the one-sheet project (0 leaves it out).
//   --same-bytes  no measurement: builds the two projects and checks that the
//              streamed project file holds exactly the bytes of the file
//              written through the whole document.

#include "AvrBuildBench.h"
#include "BenchHost.h"
#include "ProjectGenerator.h"
#include "ResultTable.h"
#include "SchemeWindowBench.h"
#include "SheetPaintBench.h"
#include "StartUpBench.h"
#include "XmlReference.h"
#include "bench/configurator/WindowsRows.h"

#include "common/MenObj.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace zo::bench {

namespace {

struct Sizes {
    int smallProject = 1000;
    int largeProject = 10000;
    int perSheet = 500;
    int smallAppend = 6553;
    int largeAppend = 65535;
    bool once = false;  // every benchmark one iteration
    bool minTimeGiven = false;      // --benchmark_min_time on the command line rules
    bool repetitionsGiven = false;  // so does --benchmark_repetitions
    int bigSheet = 5000;            // blocks on the one sheet of the dense-sheet project
};

// "About linear" growth from the smaller to the larger size: half as much again
// as the ratio of the sizes (n log n gives 13.3 for 1,000 to 10,000; n squared 100).
double linearLimit(double small, double large) { return 1.5 * large / small; }

std::string count(int n) {
    std::string s = std::to_string(n);
    for (int i = int(s.size()) - 3; i > 0; i -= 3) s.insert(size_t(i), ",");
    return s;
}

class Bench {
public:
    Bench(const Sizes& sizes, ProgramFolder& folder, KernelHost& host)
        : sizes_(sizes), folder_(folder), host_(host) {}

    void run() {
        appendGroup();
        projectGroup(sizes_.smallProject, true);
        if (sizes_.bigSheet > 0) bigSheetGroup();
        if (sizes_.largeProject > 0) projectGroup(sizes_.largeProject, false);
        RunWindowsBench({sizes_.once, sizes_.minTimeGiven, sizes_.repetitionsGiven}, runs_, rows_);
        RunAvrBuildBench(folder_, host_, sizes_.once ? 20 : 200, sizes_.once, runs_, rows_);
        const int startUpBlocks = sizes_.largeProject > 0 ? sizes_.largeProject : sizes_.smallProject;
        RunStartUpBench(folder_, host_, folder_.file("Project/Bench" + std::to_string(startUpBlocks) + ".hc"),
                        count(startUpBlocks) + " blocks", sizes_.once, runs_, rows_);
    }

    const RunCollector& runs() const { return runs_; }
    const std::vector<TableRow>& rows() const { return rows_; }
    const std::vector<std::string>& notes() const { return notes_; }

private:
    using Body = std::function<void(benchmark::State&)>;

    void add(const std::string& name, Body body) {
        auto* b = benchmark::RegisterBenchmark(name.c_str(), std::move(body));
        b->UseRealTime()->Unit(benchmark::kMicrosecond);
        if (sizes_.once) {
            b->Iterations(1);
            return;
        }
        if (!sizes_.minTimeGiven) b->MinTime(0.2);
        if (!sizes_.repetitionsGiven) b->Repetitions(5);
    }

    void runRegistered() {
        benchmark::RunSpecifiedBenchmarks(&runs_);
        benchmark::ClearRegisteredBenchmarks();
    }

    // Appending item after item to an item array, beside a vector that grows by doubling.
    void appendGroup() {
        for (int n : {sizes_.smallAppend, sizes_.largeAppend}) {
            const std::string suffix = "/" + std::to_string(n);
            add("TMenObj.AddItem" + suffix, [n](benchmark::State& state) {
                TBlockRecord item{};
                for (auto _ : state) {
                    TMenObj list;
                    list.SetItemSize(sizeof item);
                    for (int i = 0; i < n; ++i) {
                        item.Left = i;
                        if (!list.AddItem(&item)) {
                            state.SkipWithError("AddItem refused");
                            break;
                        }
                    }
                    benchmark::DoNotOptimize(list.Data);
                }
            });
            // The items copied into memory that is already there: what appending
            // cannot do with less.
            add("copy" + suffix, [n](benchmark::State& state) {
                TBlockRecord item{};
                std::vector<TBlockRecord> list(static_cast<size_t>(n));
                for (auto _ : state) {
                    list.clear();
                    for (int i = 0; i < n; ++i) {
                        item.Left = i;
                        list.push_back(item);
                    }
                    benchmark::DoNotOptimize(list.data());
                }
            });
        }
        runRegistered();
        const std::string smallName = "/" + std::to_string(sizes_.smallAppend);
        const std::string largeName = "/" + std::to_string(sizes_.largeAppend);
        const double growth = linearLimit(sizes_.smallAppend, sizes_.largeAppend);
        rows_.push_back({"TMenObj append", count(sizes_.smallAppend) + " items", "TMenObj.AddItem" + smallName,
                         "copy" + smallName, "copy into reserved memory", TableRow::Target::None, 0, "", 0,
                         ""});
        rows_.push_back({"TMenObj append", count(sizes_.largeAppend) + " items", "TMenObj.AddItem" + largeName,
                         "copy" + largeName, "copy into reserved memory", TableRow::Target::None, 0,
                         "TMenObj.AddItem" + smallName, growth, ""});
    }

    void projectGroup(int blocks, bool withSheetOps) {
        TKernelOptions& k = host_.kernel();
        const std::string size = "/" + std::to_string(blocks);
        const std::string label = count(blocks) + " blocks";
        const std::string project = folder_.file("Project/Bench" + std::to_string(blocks) + ".hc");
        const std::string refCopy = folder_.file("Project/Reference" + std::to_string(blocks) + ".xml");
        const std::string cfg = folder_.file("Configuration/Bench" + std::to_string(blocks) + ".cfg");
        const bool large = blocks == sizes_.largeProject;
        const std::string smallSize = "/" + std::to_string(sizes_.smallProject);
        const double growth = linearLimit(sizes_.smallProject, sizes_.largeProject);
        auto growthOf = [&](const std::string& op) { return large ? op + smallSize : std::string(); };

        host_.closeProject();
        std::cerr << "building the " << label << " project ..." << std::endl;
        const GeneratedProject made = GenerateProject(host_, blocks, sizes_.perSheet, project);
        std::cerr << "measuring on the " << label << " project ..." << std::endl;
        char note[200];
        std::snprintf(note, sizeof note, "%s-block project: %d sheets, %s connections, built and saved in %.1f s",
                      count(made.blocks).c_str(), made.sheets, count(made.links).c_str(), made.seconds);
        notes_.push_back(note);

        add("libxml2.parse" + size, [project](benchmark::State& state) {
            for (auto _ : state)
                if (ParseAndWalk(project) < 0) state.SkipWithError("libxml2 does not parse the project");
        });
        add("libxml2.save" + size, [project, refCopy](benchmark::State& state) {
            ParsedDocument doc(project);
            if (!doc.ok()) state.SkipWithError("libxml2 does not parse the project");
            for (auto _ : state)
                if (doc.ok() && doc.save(refCopy) < 0) state.SkipWithError("libxml2 does not save");
        });
        // What a save cannot do with less: the same text written to a file in
        // the project's folder and synced to the disk.
        add("libxml2.save+fsync" + size, [project, refCopy](benchmark::State& state) {
            ParsedDocument doc(project);
            if (!doc.ok()) state.SkipWithError("libxml2 does not parse the project");
            for (auto _ : state)
                if (doc.ok() && doc.save(refCopy, true) < 0) state.SkipWithError("libxml2 does not save");
        });
        if (k.OpenProject) {
            add("OpenProject" + size, [this, project](benchmark::State& state) {
                TKernelOptions& kk = host_.kernel();
                for (auto _ : state) {
                    state.PauseTiming();
                    host_.closeProject();
                    state.ResumeTiming();
                    if (const int32_t rc = kk.OpenProject(project.c_str()); rc != 0)
                        state.SkipWithError(("OpenProject answered " + std::to_string(rc)).c_str());
                }
            });
        }
        add("SaveProject" + size, [this, project](benchmark::State& state) {
            for (auto _ : state)
                if (const int32_t rc = host_.kernel().SaveProject(project.c_str()); rc != 0)
                    state.SkipWithError(("SaveProject answered " + std::to_string(rc)).c_str());
        });
        // The same save with the whole document built first, as saving was done before it streamed.
        add("SaveProjectDocument" + size, [this, project](benchmark::State& state) {
            for (auto _ : state)
                if (const int32_t rc = host_.saveProjectThroughDocument(project); rc != 0)
                    state.SkipWithError(("saving through the document answered " + std::to_string(rc)).c_str());
        });
        add("IndexConnections" + size, [this](benchmark::State& state) {
            for (auto _ : state)
                if (host_.indexConnections() < 0) state.SkipWithError("IndexConnections failed");
        });
        add("CreateConfigFile" + size, [this, cfg](benchmark::State& state) {
            for (auto _ : state)
                if (const int32_t rc = host_.kernel().CreateConfigFile(cfg.c_str(), "CreateConfig.log", nullptr);
                    rc != 0)
                    state.SkipWithError(("CreateConfigFile answered " + std::to_string(rc)).c_str());
        });
        if (withSheetOps) sheetOps();
        runRegistered();

        const std::string missingOpen = k.OpenProject ? "" : "OpenProject is not in the kernel yet";
        rows_.push_back({"OpenProject", label, "OpenProject" + size, "libxml2.parse" + size, "libxml2 parse + walk",
                         TableRow::Target::RatioToReference, large ? 2.0 : 2.5, growthOf("OpenProject"), growth,
                         missingOpen});
        rows_.push_back({"SaveProject", label, "SaveProject" + size, "libxml2.save" + size, "libxml2 serialise",
                         TableRow::Target::RatioToReference, 2.5, growthOf("SaveProject"), growth, ""});
        rows_.push_back({"SaveProject", label, "SaveProject" + size, "libxml2.save+fsync" + size,
                         "libxml2 serialise, fsync", TableRow::Target::RatioToReference, 2.5, "", 0, ""});
        rows_.push_back({"SaveProject (whole document)", label, "SaveProjectDocument" + size, "libxml2.save" + size,
                         "libxml2 serialise", TableRow::Target::None, 0, "", 0, ""});
        rows_.push_back({"SaveProject (whole document)", label, "SaveProjectDocument" + size,
                         "libxml2.save+fsync" + size, "libxml2 serialise, fsync", TableRow::Target::None, 0, "", 0, ""});
        rows_.push_back({"IndexConnections", label, "IndexConnections" + size, "", "", TableRow::Target::None, 0,
                         growthOf("IndexConnections"), growth, ""});
        rows_.push_back({"CreateConfigFile", label, "CreateConfigFile" + size, "", "", TableRow::Target::None, 0,
                         growthOf("CreateConfigFile"), growth, ""});
        if (withSheetOps) {
            const std::string sheet = count(sizes_.perSheet) + "-block sheet";
            const std::string perSheet = "/" + std::to_string(sizes_.perSheet);
            rows_.push_back({"PaintScheme, whole sheet (zoom 1)", sheet, "PaintScheme.whole" + perSheet, "fill",
                             "fill of the bitmap", TableRow::Target::AbsoluteSeconds, 8e-3, "", 0, ""});
            rows_.push_back({"PaintScheme after a one-block move", sheet, "PaintScheme.move" + perSheet, "", "",
                             TableRow::Target::AbsoluteSeconds, 2e-3, "", 0, ""});
            rows_.push_back({"SheetMouseMove", sheet, "SheetMouseMove", "scan", "scan of the sheet's records",
                             TableRow::Target::AbsoluteSeconds, 50e-6, "", 0, ""});
            rows_.push_back({"SheetHitTest", sheet, "SheetHitTest", "scan", "scan of the sheet's records",
                             TableRow::Target::AbsoluteSeconds, 50e-6, "", 0, ""});
            for (TableRow& row : SchemeWindowRows(sheet, "PaintScheme.whole" + perSheet)) rows_.push_back(std::move(row));
        }
    }

    // One sheet of many blocks (and a small one beside it, painted between
    // whole paints): painting it whole, after a one-block move, and the
    // window's full repaint.
    void bigSheetGroup() {
        const int blocks = sizes_.bigSheet;
        const std::string size = "/" + std::to_string(blocks);
        const std::string sheet = count(blocks) + "-block sheet";
        host_.closeProject();
        std::cerr << "building the " << sheet << " ..." << std::endl;
        const GeneratedProject made =
            GenerateProject(host_, blocks, blocks, folder_.file("Project/Sheet" + std::to_string(blocks) + ".hc"));
        host_.kernel().AddSheet();
        char note[200];
        std::snprintf(note, sizeof note, "%s: %s connections, built and saved in %.1f s", sheet.c_str(),
                      count(made.links).c_str(), made.seconds);
        notes_.push_back(note);
        AddSheetPaintBenchmarks(host_, 0, 1, size,
                                [this](const std::string& name, SheetBody body) { add(name, std::move(body)); });
        AddSchemeWindowBenchmarks(
            host_, [this](const std::string& name, BenchBody body) { add(name, std::move(body)); }, 1, size, false);
        runRegistered();
        host_.closeProject();
        const std::string smallMove = "PaintScheme.move/" + std::to_string(sizes_.perSheet);
        rows_.push_back({"PaintScheme, whole sheet (zoom 1)", sheet, "PaintScheme.whole" + size, "", "",
                         TableRow::Target::None, 0, "", 0, ""});
        rows_.push_back({"PaintScheme after a one-block move", sheet, "PaintScheme.move" + size, "", "",
                         TableRow::Target::AbsoluteSeconds, 2e-3, smallMove, 2, ""});
        for (TableRow& row : SchemeWindowRows(sheet, "PaintScheme.whole" + size, size, false))
            rows_.push_back(std::move(row));
    }

    // Points of the first sheet to move the pointer over: block bodies, pins,
    // connections and empty cells, spread over the whole sheet.
    std::vector<std::pair<int32_t, int32_t>> probePoints(TSheetRecord* sheet) {
        std::vector<std::pair<int32_t, int32_t>> points;
        if (!sheet) return points;
        const int blocks = host_.blockCount(sheet);
        for (int i = 0; i < blocks; i += std::max(1, blocks / 64)) {
            const TBlockRecord* b = host_.block(sheet, i);
            points.push_back({(b->Left + b->Right) / 2 * 12 + 6, (b->Top + b->Bottom) / 2 * 12 + 6});
            points.push_back({b->Left * 12 + 6, (b->Top + 2) * 12 + 6});
            points.push_back({(b->Right + 1) * 12 + 6, (b->Top + 2) * 12 + 6});
            points.push_back({b->Left * 12 + 6, (b->Bottom + 1) * 12 + 6});
        }
        return points;
    }

    void sheetOps() {
        AddSheetPaintBenchmarks(host_, 0, 1, "/" + std::to_string(sizes_.perSheet),
                                [this](const std::string& name, SheetBody body) { add(name, std::move(body)); });
        add("fill", [this](benchmark::State& state) {
            TSheetRecord* sheet = host_.sheet(0);
            QImage image(sheet ? sheet->Width * 12 : 1, sheet ? sheet->Height * 12 : 1, QImage::Format_RGB32);
            for (auto _ : state) {
                image.fill(0xB0B0B0);
                benchmark::DoNotOptimize(image.constBits());
            }
        });
        add("SheetMouseMove", [this](benchmark::State& state) {
            TSheetRecord* sheet = host_.sheet(0);
            const std::string name = sheet ? sheet->Name : "";
            const auto points = probePoints(sheet);
            size_t i = 0;
            char status[261], hint[261];
            if (points.empty()) state.SkipWithError("the sheet holds no blocks");
            for (auto _ : state) {
                int16_t cursor = 0;
                uint8_t changed = 0;
                const auto [x, y] = points[i++ % points.size()];
                if (host_.kernel().SheetMouseMove(name.c_str(), x, y, status, hint, &cursor, &changed) != 0)
                    state.SkipWithError("SheetMouseMove refused");
            }
        });
        add("SheetHitTest", [this](benchmark::State& state) {
            TSheetRecord* sheet = host_.sheet(0);
            const std::string name = sheet ? sheet->Name : "";
            const auto points = probePoints(sheet);
            size_t i = 0;
            if (points.empty()) state.SkipWithError("the sheet holds no blocks");
            for (auto _ : state) {
                int32_t selectedBlocks, selectedLinks, block, link;
                const auto [x, y] = points[i++ % points.size()];
                if (host_.kernel().SheetHitTest(name.c_str(), x, y, &selectedBlocks, &selectedLinks, &block, &link) != 0)
                    state.SkipWithError("SheetHitTest refused");
                benchmark::DoNotOptimize(block);
            }
        });
        AddSchemeWindowBenchmarks(
            host_, [this](const std::string& name, BenchBody body) { add(name, std::move(body)); }, 1);
        // What a hit test cannot do without: one look at every block and connection.
        add("scan", [this](benchmark::State& state) {
            TSheetRecord* sheet = host_.sheet(0);
            const auto points = probePoints(sheet);
            size_t i = 0;
            if (points.empty()) state.SkipWithError("the sheet holds no blocks");
            for (auto _ : state) {
                const auto [x, y] = points[i++ % points.size()];
                const int32_t cx = x / 12, cy = y / 12;
                int hits = 0;
                for (uint16_t b = 0; b < sheet->Blocks->Count; ++b) {
                    const auto* r = static_cast<const TBlockRecord*>(sheet->Blocks->GetItem(b));
                    hits += r->Left <= cx && cx <= r->Right && r->Top <= cy && cy <= r->Bottom;
                }
                for (uint16_t l = 0; l < sheet->Links->Count; ++l) {
                    TConnectionRecord c;
                    std::memcpy(&c, sheet->Links->GetItem(l), sizeof c);
                    const int32_t ax = c.PointA & 0xFFFF, ay = c.PointA >> 16, bx = c.PointB & 0xFFFF,
                                  by = c.PointB >> 16;
                    hits += std::min(ax, bx) <= cx && cx <= std::max(ax, bx) && std::min(ay, by) <= cy &&
                            cy <= std::max(ay, by);
                }
                benchmark::DoNotOptimize(hits);
            }
        });
    }

    Sizes sizes_;
    ProgramFolder& folder_;
    KernelHost& host_;
    RunCollector runs_;
    std::vector<TableRow> rows_;
    std::vector<std::string> notes_;
};

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Each project saved both ways: 0 when the files are the same bytes.
int compareSaves(const Sizes& sizes, ProgramFolder& folder, KernelHost& host) {
    int failures = 0;
    for (int blocks : {sizes.smallProject, sizes.largeProject}) {
        if (blocks <= 0) continue;
        const std::string streamed = folder.file("Project/Same" + std::to_string(blocks) + ".hc");
        // The project's name is its file's: the same name in another folder.
        const std::string document = folder.file("Configuration/Same" + std::to_string(blocks) + ".hc");
        host.closeProject();
        const GeneratedProject made = GenerateProject(host, blocks, sizes.perSheet, streamed);
        const int32_t rc = host.saveProjectThroughDocument(document);
        const std::string a = fileBytes(streamed), b = fileBytes(document);
        const bool same = rc == 0 && !a.empty() && a == b;
        std::cout << count(made.blocks) << " blocks, " << count(made.links) << " connections: " << a.size()
                  << " bytes streamed, " << b.size() << " through the document: " << (same ? "same" : "DIFFERENT")
                  << "\n";
        if (!same) ++failures;
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace

}  // namespace zo::bench

int main(int argc, char** argv) {
    using namespace zo::bench;
    Sizes sizes;
    bool sameBytes = false;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--same-bytes") == 0) {
            sameBytes = true;
            continue;
        }
        if (std::strcmp(argv[i], "--smoke") == 0) {
            sizes = Sizes{20, 60, 10, 100, 1000, true};
            sizes.bigSheet = 40;
            continue;
        }
        if (std::strncmp(argv[i], "--benchmark_min_time", 20) == 0) sizes.minTimeGiven = true;
        if (std::strncmp(argv[i], "--benchmark_repetitions", 23) == 0) sizes.repetitionsGiven = true;
        if (std::strncmp(argv[i], "--small=", 8) == 0) {
            sizes.smallProject = std::atoi(argv[i] + 8);
            continue;
        }
        if (std::strncmp(argv[i], "--big=", 6) == 0) {
            sizes.bigSheet = std::atoi(argv[i] + 6);
            continue;
        }
        if (std::strncmp(argv[i], "--large=", 8) == 0) {
            sizes.largeProject = std::atoi(argv[i] + 8);
            continue;
        }
        args.push_back(argv[i]);
    }
    int benchArgc = int(args.size());
    benchmark::Initialize(&benchArgc, args.data());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);  // the scheme window's rows need widgets
    try {
        ProgramFolder folder;
        KernelHost host(folder);
        if (sameBytes) return compareSaves(sizes, folder, host);
        Bench bench(sizes, folder, host);
        bench.run();
        for (const std::string& n : bench.notes()) std::cout << n << "\n";
        std::cout << "\n";
        const int notMeasured = PrintTable(std::cout, bench.rows(), bench.runs());
        for (const std::string& f : bench.runs().failures()) std::cerr << "failed: " << f << "\n";
        return bench.runs().anyFailed() || notMeasured > 0 ? 1 : 0;
    } catch (const std::exception& e) {
        std::cerr << "zobench: " << e.what() << "\n";
        return 1;
    }
}
