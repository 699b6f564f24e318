// The editing windows' benchmarks (see WindowsRows.h).
#include "bench/configurator/WindowsRows.h"

#include "bench/XmlReference.h"

#include "common/Struct.h"
#include "configurator/link/InspectorLink.h"
#include "configurator/windows/LibraryTree.h"
#include "configurator/windows/ObjInspect.h"
#include "platform/DynLib.h"
#include "platform/Paths.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace zo::bench {

using namespace zo::configurator;

namespace {

struct Settings {
    bool once = false;
    bool minTimeGiven = false;
    bool repetitionsGiven = false;
    int files = 50;
    int blocksPerFile = 40;
    int selection = 200;
};

Settings settingsOf(const WindowsBenchSettings& given) {
    Settings s;
    s.once = given.once;
    s.minTimeGiven = given.minTimeGiven;
    s.repetitionsGiven = given.repetitionsGiven;
    if (s.once) {
        s.files = 3;
        s.blocksPerFile = 12;
        s.selection = 10;
    }
    return s;
}

void add(const Settings& s, const std::string& name, std::function<void(benchmark::State&)> body) {
    auto* b = benchmark::RegisterBenchmark(name.c_str(), std::move(body));
    b->UseRealTime()->Unit(benchmark::kMicrosecond);
    if (s.once) {
        b->Iterations(1);
        return;
    }
    if (!s.minTimeGiven) b->MinTime(0.2);
    if (!s.repetitionsGiven) b->Repetitions(5);
}

// Reads the library of one file as the window does; the files it registered.
std::vector<std::string> loadLibrary(const std::string& path, size_t* nodes) {
    std::vector<std::string> files;
    TLibraryNode root;
    TLibraryServices services;
    services.programFolder = [] { return platform::currentDir(); };
    services.addLibraryFile = [&](const std::string& f) {
        files.push_back(f);
        return 0;
    };
    TLibraryLoader(root, services).LoadSource(std::string(), path);
    size_t n = 0;
    root.ForEach([&](const TLibraryNode&) { ++n; });
    if (nodes) *nodes = n;
    return files;
}

// A device file including 50 library files of 40 blocks in four groups.
void generateLibrary(const fs::path& folder, const Settings& s) {
    fs::create_directories(folder / "Gen");
    std::ofstream(folder / "Gen.dev") << "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
                                         "<Micro><FBD NAME=\"Gen\"><INCLUDE FILE_NAME=\"\\Gen\\*.xml\"/></FBD></Micro>\n"
                                      << "<!--" << std::string(200, ' ') << "-->\n";
    for (int f = 0; f < s.files; ++f) {
        std::ofstream out(folder / "Gen" / ("Lib" + std::to_string(f) + ".xml"));
        out << "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<Lib><FBD NAME=\"Lib" << f << "\">\n";
        for (int b = 0; b < s.blocksPerFile; ++b) {
            if (b % 10 == 0) out << (b ? "</GROUP>\n" : "") << "<GROUP NAME=\"G" << b / 10 << "\" IM=\"Group\">\n";
            out << "<BLOCK NAME=\"B" << b << "\" IM=\"Block " << b << "\" Library=\"lib.inc\">"
                << "<IN NAME=\"A\" TYPE=\"Bool\" DEFAULT=\"65535\" IM=\"In\"/>"
                << "<OUT NAME=\"Q\" TYPE=\"Bool\" DEFAULT=\"65535\" IM=\"Out\"/>"
                << "<VAR NAME=\"K\" TYPE=\"Word\" DEFAULT=\"1\" IM=\"Factor\"/>"
                << "<FIELD NAME=\"Cod\" TYPE=\"Word\" DEFAULT=\"" << b << "\" IM=\"Code\"/>"
                << "<!-- Block comment. --></BLOCK>\n";
        }
        out << "</GROUP>\n</FBD></Lib>\n";
    }
}

// The same files parsed and walked by libxml2 alone.
int64_t parseAll(const std::vector<std::string>& files) {
    int64_t seen = 0;
    for (const std::string& f : files) seen += ParseAndWalk(platform::nativePath(platform::withCurrentDir(f)));
    return seen;
}

void libraryRows(const Settings& s, const std::string& name, const std::vector<std::string>& devices,
                 const std::string& size, std::vector<TableRow>& rows) {
    std::vector<std::string> files;
    for (const std::string& d : devices)
        for (const std::string& f : loadLibrary(d, nullptr)) files.push_back(f);
    add(s, "LoadSource/" + name, [devices](benchmark::State& state) {
        for (auto _ : state)
            for (const std::string& d : devices) {
                size_t nodes = 0;
                loadLibrary(d, &nodes);
                if (nodes == 0) state.SkipWithError("no nodes");
            }
    });
    add(s, "libxml2/" + name, [files](benchmark::State& state) {
        for (auto _ : state)
            if (parseAll(files) <= 0) state.SkipWithError("no parse");
    });
    rows.push_back({"element library LoadSource", size, "LoadSource/" + name, "libxml2/" + name,
                    "libxml2 parse and walk of the same files", TableRow::Target::RatioToReference, 3, "", 0, ""});
}

int32_t noStatus(int32_t, const char*) { return 0; }

}  // namespace

void RunWindowsBench(const WindowsBenchSettings& given, RunCollector& runs, std::vector<TableRow>& rows) {
    const Settings s = settingsOf(given);
    std::error_code ec;
    const fs::path work = fs::temp_directory_path() / ("zobench_windows_" + std::to_string(::getpid()));
    fs::remove_all(work, ec);
    fs::create_directories(work);
    for (const char* d : {"Device", "Library", "Struct"})
        fs::copy(fs::path(ZO_PROGRAM_DIR) / d, work / d, fs::copy_options::recursive);
    generateLibrary(work, s);
    const fs::path before = fs::current_path();
    fs::current_path(work);

    libraryRows(s, "shipped", {"\\Device\\OrvantaPLC.dev", "\\Device\\OrvantaAVR.dev"}, "shipped devices", rows);
    libraryRows(s, "generated", {"\\Gen.dev"},
                std::to_string(s.files * s.blocksPerFile) + " blocks in " + std::to_string(s.files) + " files", rows);

    // The inspector filled with a multi-selection of AND blocks.
    void* convertLibrary = platform::loadLibrary(std::string(ZO_PROGRAM_DIR) + "/System/ZoConvert.so");
    auto getInfo = reinterpret_cast<void (*)(void**, int32_t*)>(platform::findSymbol(convertLibrary, "GetInfo"));
    void* convert = nullptr;
    int32_t convertSize = 0;
    if (getInfo) getInfo(&convert, &convertSize);
    TStruct description;
    description.ConvertOptions = static_cast<const TConvertOptions*>(convert);
    int loaded = description.LoadStructDescription("\\Library\\Logic.xml/FBD/Logic/AND");
    const size_t recordSize = size_t(std::max(description.GetSize(), 1));
    std::vector<std::vector<uint8_t>> records(size_t(s.selection), std::vector<uint8_t>(recordSize));
    std::vector<TStructInstance> selection;
    for (auto& r : records) {
        description.SetDefaults(r.data());
        selection.push_back({&description, r.data()});
    }
    TInspectorRecord record{};
    record.ConvertOptions = static_cast<TConvertOptions*>(convert);
    record.GetStructPath = GetStructPath;
    record.SetStatusText = noStatus;
    FillStructAccess(record.StructAccess);
    record.GetStructItemPtr = GetStructItemPtr;
    InspectorLink link(&record);
    auto inspector = std::make_unique<TObjInspect>(link, 0);
    inspector->resize(300, 700);
    add(s, "ReplaceElementProperties/" + std::to_string(s.selection), [&](benchmark::State& state) {
        if (loaded != 0) state.SkipWithError("AND description not loaded");
        for (auto _ : state)
            if (inspector->ReplaceElementProperties("AND", int32_t(selection.size()), selection.data(), nullptr) != 0)
                state.SkipWithError("refused");
    });
    // What filling cannot do with less: every value of the selection read as text.
    add(s, "values/" + std::to_string(s.selection), [&](benchmark::State& state) {
        if (loaded != 0) state.SkipWithError("AND description not loaded");
        const int items = description.GetItemCount();
        for (auto _ : state) {
            size_t length = 0;
            for (const TStructInstance& one : selection)
                for (int i = 0; i < items; ++i) length += description.GetValue(one.Data, i).size();
            benchmark::DoNotOptimize(length);
        }
    });
    rows.push_back({"inspector filled (ReplaceElementProperties and paint)", std::to_string(s.selection) + " blocks",
                    "ReplaceElementProperties/" + std::to_string(s.selection), "values/" + std::to_string(s.selection),
                    "the selection's values as text", TableRow::Target::AbsoluteSeconds, 20e-3, "", 0, ""});

    benchmark::RunSpecifiedBenchmarks(&runs);
    benchmark::ClearRegisteredBenchmarks();
    inspector.reset();
    fs::current_path(before, ec);
    fs::remove_all(work, ec);
}

}  // namespace zo::bench
