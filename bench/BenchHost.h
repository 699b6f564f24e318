#pragma once
// The program side of the benchmarks: a temporary program folder holding the
// shipped files and the built libraries, and the kernel started in it the way
// the program starts it, its host slots played by quiet stand-ins (no windows,
// no inspector, no project tree), every log line counted and dropped.

#include "common/abi/BlockRecord.h"
#include "common/abi/ConnectionRecord.h"
#include "common/abi/KernelOptions.h"
#include "common/abi/SheetRecord.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace zo::bench {

// A program folder in a fresh temporary folder: "Configurator", the six
// folders, Struct/, Device/ and Library/ copied from the built program folder
// and System/ linked to the built libraries. Removed on destruction.
class ProgramFolder {
public:
    ProgramFolder();
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// The kernel library bound from the benchmarks' folder the way the program
// binds it from System/ (made current in the program folder, then KernelInit),
// and unbound again after KernelDone.
class KernelHost {
public:
    explicit KernelHost(const ProgramFolder& folder);
    ~KernelHost();
    KernelHost(const KernelHost&) = delete;
    KernelHost& operator=(const KernelHost&) = delete;

    TKernelOptions& kernel() { return *record_; }

    // Empties the model: CloseProject.
    void closeProject();
    // Connection indexing over the whole project: the number of nets, or -1.
    int32_t indexConnections();
    // SaveProject with the whole document built first: the file the streamed one must equal.
    int32_t saveProjectThroughDocument(const std::string& path);

    int sheetCount();
    TSheetRecord* sheet(int index);
    TBlockRecord* block(TSheetRecord* sheet, int index);
    int blockCount(TSheetRecord* sheet);
    int linkCount(TSheetRecord* sheet);
    // Totals over the whole project.
    int totalBlocks();
    int totalLinks();

    static uint64_t logLines();

private:
    void* library_ = nullptr;
    TKernelOptions* record_ = nullptr;
    int32_t (*indexConnections_)() = nullptr;
    int32_t (*saveThroughDocument_)(const char*) = nullptr;
};

}  // namespace zo::bench
