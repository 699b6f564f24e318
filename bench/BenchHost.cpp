#include "BenchHost.h"

#include "common/MenObj.h"
#include "platform/Cp1251.h"
#include "platform/DynLib.h"

#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace zo::bench {

namespace {

uint64_t g_logLines = 0;
// ZOBENCH_LOG=1 shows the kernel's log lines (Windows-1251 turned to UTF-8) on stderr.
const bool g_showLog = std::getenv("ZOBENCH_LOG") != nullptr;

void countLine(const char*, const char* text, int32_t, int32_t level) {
    ++g_logLines;
    if (g_showLog && text) std::cerr << "log " << level << ": " << platform::cp1251ToUtf8(text) << "\n";
}

int32_t showProperties(const char*, int32_t, const TStructInstance*, TPropertiesChangedProc, int32_t, int32_t,
                       int32_t, int32_t) {
    return 0;
}
int32_t replaceProperties(const char*, int32_t, const TStructInstance*, TPropertiesChangedProc) { return 0; }
void repaintInspector() {}

// The conversion library's record, as the program hands it to the kernel.
TConvertOptions* convertOptions(const fs::path& program) {
    void* lib = platform::loadLibrary((program / "System" / "ZoConvert.so").string());
    auto getInfo = reinterpret_cast<void (*)(void**, int32_t*)>(lib ? platform::findSymbol(lib, "GetInfo") : nullptr);
    if (!getInfo) throw std::runtime_error("ZoConvert.so cannot be bound");
    void* record = nullptr;
    int32_t size = 0;
    getInfo(&record, &size);
    return static_cast<TConvertOptions*>(record);
}

}  // namespace

ProgramFolder::ProgramFolder() {
    std::string pattern = (fs::temp_directory_path() / "zobench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
    path_ = pattern;
    const fs::path built(ZO_PROGRAM_DIR);
    for (const char* d : {"Runtime", "Configuration", "Upload", "Project"}) fs::create_directory(path_ / d);
    for (const char* d : {"Struct", "Device", "Library"})
        fs::copy(built / d, path_ / d, fs::copy_options::recursive);
    fs::create_directory_symlink(built / "System", path_ / "System");
    std::FILE* marker = std::fopen((path_ / "Configurator").c_str(), "w");
    if (marker) std::fclose(marker);
    fs::create_directory(path_ / "config");
    // The registry layer keeps its INI files here, away from the user's.
    setenv("XDG_CONFIG_HOME", (path_ / "config").c_str(), 1);
}

ProgramFolder::~ProgramFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

KernelHost::KernelHost(const ProgramFolder& folder) {
    // The kernel takes the current folder at load as the program folder.
    fs::current_path(folder.path());
    library_ = platform::loadLibrary(ZO_BENCH_KERNEL);
    auto getInfo = reinterpret_cast<TGetInfoProc>(library_ ? platform::findSymbol(library_, "GetInfo") : nullptr);
    indexConnections_ =
        reinterpret_cast<int32_t (*)()>(library_ ? platform::findSymbol(library_, "BenchIndexConnections") : nullptr);
    saveThroughDocument_ = reinterpret_cast<int32_t (*)(const char*)>(
        library_ ? platform::findSymbol(library_, "BenchSaveProjectThroughDocument") : nullptr);
    if (!getInfo || !indexConnections_ || !saveThroughDocument_) throw std::runtime_error(std::string(ZO_BENCH_KERNEL) + " cannot be bound");
    void* record = nullptr;
    int32_t size = 0;
    getInfo(&record, &size);
    record_ = static_cast<TKernelOptions*>(record);
    if (!record_ || size != int32_t(sizeof(TKernelOptions))) throw std::runtime_error("kernel record missing");
    if (!record_->CloseProject) throw std::runtime_error("the kernel has no CloseProject");
    TKernelOptions& k = *record_;
    k.ConvertOptions = convertOptions(folder.path());
    k.SetLogCallback("Bench.log", countLine);
    k.Inspector.ShowElementProperties = showProperties;
    k.Inspector.ReplaceElementProperties = replaceProperties;
    k.Inspector.RepaintInspector = repaintInspector;
    k.KernelInit();
}

KernelHost::~KernelHost() {
    closeProject();
    record_->KernelDone();
    platform::unloadLibrary(library_);
}

void KernelHost::closeProject() { record_->CloseProject(""); }

int32_t KernelHost::indexConnections() { return indexConnections_(); }

int32_t KernelHost::saveProjectThroughDocument(const std::string& path) { return saveThroughDocument_(path.c_str()); }

int KernelHost::sheetCount() { return record_->GetSheetCount(); }

TSheetRecord* KernelHost::sheet(int index) { return record_->GetSheet(index); }

TBlockRecord* KernelHost::block(TSheetRecord* s, int index) {
    return s && s->Blocks ? static_cast<TBlockRecord*>(s->Blocks->GetItem(uint16_t(index))) : nullptr;
}

int KernelHost::blockCount(TSheetRecord* s) { return s && s->Blocks ? s->Blocks->Count : 0; }

int KernelHost::linkCount(TSheetRecord* s) { return s && s->Links ? s->Links->Count : 0; }

int KernelHost::totalBlocks() {
    int n = 0;
    for (int i = 0; i < sheetCount(); ++i) n += blockCount(sheet(i));
    return n;
}

int KernelHost::totalLinks() {
    int n = 0;
    for (int i = 0; i < sheetCount(); ++i) n += linkCount(sheet(i));
    return n;
}

uint64_t KernelHost::logLines() { return g_logLines; }

}  // namespace zo::bench
