#include "AvrBuildBench.h"

#include "ProjectGenerator.h"
#include "common/My_XML.h"
#include "common/abi/BuildParams.h"
#include "platform/Cp1251.h"
#include "platform/DynLib.h"
#include "platform/Paths.h"

#include <QProcess>
#include <QStringList>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <libxml/tree.h>
#include <stdexcept>

namespace fs = std::filesystem;

namespace zo::bench {

namespace {

using Clock = std::chrono::steady_clock;

benchmark::State* g_state = nullptr;       // the running measurement of the builder
std::vector<double> g_assemblerSeconds;    // each build's assembler run
int g_failedRuns = 0;

void dropLog(const char*, uint8_t) {}

int32_t runProgram(const char* workFolder, const char* commandLine, TLogProc) {
    QStringList args = QProcess::splitCommand(platform::cp1251ToQString(commandLine ? commandLine : ""));
    if (args.isEmpty()) return -1;
    const QString program = QString::fromStdString(platform::nativePath(platform::qstringToCp1251(args.takeFirst())));
    const bool assembler = program.endsWith("/avrasm2");
    // The assembler's time is kept apart from the builder's.
    if (assembler && g_state) g_state->PauseTiming();
    const auto start = Clock::now();
    QProcess process;
    if (workFolder) process.setWorkingDirectory(QString::fromStdString(platform::nativePath(workFolder)));
    process.start(program, args);
    const bool ran = process.waitForStarted(10000) && process.waitForFinished(600000);
    if (!ran || process.exitCode() != 0) ++g_failedRuns;
    if (assembler) {
        g_assemblerSeconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        if (g_state) g_state->ResumeTiming();
    }
    return ran ? 0 : -1;
}

// The element "file/Micro/BUILD/" of the device description.
xmlNodePtr buildNode(TZo_XML& xml, const char* query) {
    const platform::FileAndRest parts = platform::splitFileAndElements(query ? query : "");
    if (xml.OpenFile(parts.file) != 0 || !xml.Document) return nullptr;
    xmlNodePtr root = xmlDocGetRootElement(xml.Document);
    for (xmlNodePtr c = root ? root->children : nullptr; c; c = c->next)
        if (c->type == XML_ELEMENT_NODE && std::strcmp(reinterpret_cast<const char*>(c->name), "BUILD") == 0) return c;
    return nullptr;
}

int32_t readXmlList(void*, const char* query, const char* child, const char* attr, TZoStringList* list) {
    list->Clear(list);
    TZo_XML xml;
    xmlNodePtr node = buildNode(xml, query);
    if (!node) return -1;
    for (xmlNodePtr c = node->children; c; c = c->next) {
        if (c->type != XML_ELEMENT_NODE || std::strcmp(reinterpret_cast<const char*>(c->name), child) != 0) continue;
        if (xmlChar* v = xmlGetProp(c, reinterpret_cast<const xmlChar*>(attr))) {
            if (*v) list->Add(list, platform::utf8ToCp1251(reinterpret_cast<const char*>(v)).c_str());
            xmlFree(v);
        }
    }
    return 0;
}

int32_t readXmlValue(void*, const char* query, const char* attr, const char** value) {
    static std::string buffer;
    buffer.clear();
    *value = buffer.c_str();
    TZo_XML xml;
    xmlNodePtr node = buildNode(xml, query);
    xmlChar* v = node ? xmlGetProp(node, reinterpret_cast<const xmlChar*>(attr)) : nullptr;
    if (!v) return -1;
    buffer = platform::utf8ToCp1251(reinterpret_cast<const char*>(v));
    xmlFree(v);
    *value = buffer.c_str();
    return 0;
}

void copyText(char* field, size_t size, const std::string& text) {
    std::memset(field, 0, size);
    std::strncpy(field, text.c_str(), size - 1);
}

}  // namespace

void RunAvrBuildBench(ProgramFolder& folder, KernelHost& host, int blocks, bool once, RunCollector& runs,
                      std::vector<TableRow>& rows) {
    const fs::path built(ZO_PROGRAM_DIR);
    fs::copy(built / "Runtime" / "Mega128", folder.path() / "Runtime" / "Mega128", fs::copy_options::recursive);
    fs::create_directories(folder.path() / "Utility");
    for (const char* tool : {"Kelvart", "avrasm2"}) fs::copy(built / "Utility" / tool, folder.path() / "Utility" / tool);

    TKernelOptions& k = host.kernel();
    host.closeProject();
    const std::string project = folder.file("Project/BenchAvr.hc");
    GenerateProject(host, blocks, blocks, project, "OrvantaAVR.dev");
    host.closeProject();
    if (k.OpenProject(project.c_str()) != 0) throw std::runtime_error("the AVR project does not open");

    void* library = platform::loadLibrary(folder.file("System/ZoAVRbuilder.so"));
    auto build = reinterpret_cast<TBuildProc>(library ? platform::findSymbol(library, "Build") : nullptr);
    if (!build) throw std::runtime_error("System/ZoAVRbuilder.so cannot be bound");
    static TBuildParams params{};
    params.Log = dropLog;
    params.RunProgram = runProgram;
    params.ReadXmlList = readXmlList;
    params.ReadXmlValue = readXmlValue;
    params.CreateConfig = k.CreateConfigFile;
    copyText(params.ProjectName, sizeof params.ProjectName, "BenchAvr");
    copyText(params.DeviceFilePath, sizeof params.DeviceFilePath, "\\Device\\OrvantaAVR.dev");
    copyText(params.DeviceProgram, sizeof params.DeviceProgram, k.GetDeviceProgram());
    copyText(params.ProgramFolder, sizeof params.ProgramFolder, k.GetProgramFolder());
    copyText(params.DeviceRuntimeFolder, sizeof params.DeviceRuntimeFolder, k.GetDeviceRuntimeFolder());
    copyText(params.UploadFolder, sizeof params.UploadFolder, k.GetUploadFolder());

    const std::string size = "/" + std::to_string(blocks);
    g_assemblerSeconds.clear();
    auto* builder = benchmark::RegisterBenchmark(("AvrBuild.builder" + size).c_str(), [build](benchmark::State& state) {
        g_state = &state;
        for (auto _ : state) {
            if (const int32_t rc = build(&params); rc != 0 || g_failedRuns > 0) {
                state.SkipWithError(("Build answered " + std::to_string(rc)).c_str());
                break;
            }
        }
        g_state = nullptr;
    });
    // The assembler runs of those same builds, one per iteration.
    auto* assembler = benchmark::RegisterBenchmark(("AvrBuild.assembler" + size).c_str(), [](benchmark::State& state) {
        size_t i = 0;
        for (auto _ : state) {
            if (g_assemblerSeconds.empty()) {
                state.SkipWithError("no assembler run was measured");
                break;
            }
            state.SetIterationTime(g_assemblerSeconds[i++ % g_assemblerSeconds.size()]);
        }
    });
    builder->UseRealTime()->Unit(benchmark::kMillisecond);
    assembler->UseManualTime()->Unit(benchmark::kMillisecond);
    if (once) {
        builder->Iterations(1);
        assembler->Iterations(1);
    } else {
        builder->Iterations(3)->Repetitions(5);
        assembler->Iterations(15);
    }
    benchmark::RunSpecifiedBenchmarks(&runs);
    benchmark::ClearRegisteredBenchmarks();
    platform::unloadLibrary(library);
    host.closeProject();
    rows.push_back({"AVR Build (builder's own part)", std::to_string(blocks) + " blocks", "AvrBuild.builder" + size,
                    "AvrBuild.assembler" + size, "the assembler in the same builds",
                    TableRow::Target::RatioToReference, 1, "", 0, ""});
}

}  // namespace zo::bench
