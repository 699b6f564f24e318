#include "RealKernel.h"

#include "common/MenObj.h"
#include "common/abi/SheetRecord.h"
#include "platform/Cp1251.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace zo::test {

std::vector<std::string> RealKernel::logLines;

namespace {

std::string makeProgramFolder(const TempDir& dir) {
    const std::string path = dir.str();
    writeBytes(path + "/Configurator", "");
    for (const char* d : {"Runtime", "Configuration", "Upload", "Project"}) fs::create_directory(path + "/" + d);
    for (const char* d : {"Struct", "Device", "Library"})
        fs::copy(std::string(ZO_PROGRAM_DIR) + "/" + d, path + "/" + d, fs::copy_options::recursive);
    fs::create_directory_symlink(std::string(ZO_PROGRAM_DIR) + "/System", path + "/System");
    return path;
}

void logProc(const char* text, uint8_t) { RealKernel::logLines.push_back(platform::cp1251ToUtf8(text ? text : "")); }
void writeProc(const char*, const char* text, int32_t, int32_t) {
    RealKernel::logLines.push_back(platform::cp1251ToUtf8(text ? text : ""));
}

}  // namespace

RealKernel::RealKernel()
    : path_(makeProgramFolder(dir_)), env_("XDG_CONFIG_HOME", config_.str()), cd_(path_) {
    logLines.clear();
    UnloadKernelLibrary(nullptr);
    LoadKernelLibrary("\\system", nullptr, nullptr, logProc);
    if (!KernelOptionsPtr) return;
    static const LibraryRecord convert = LoadLibraryRecord("ZoConvert.so");
    KernelOptionsPtr->ConvertOptions = static_cast<TConvertOptions*>(convert.record);
    KernelOptionsPtr->SetLogCallback("Configurator.log", writeProc);
    KernelOptionsPtr->KernelInit();
}

RealKernel::~RealKernel() { UnloadKernelLibrary(nullptr); }

std::string RealKernel::addSheet() {
    const int32_t before = kernel().GetSheetCount();
    kernel().AddSheet();
    TSheetRecord* sheet = kernel().GetSheet(before);
    return sheet ? std::string(sheet->Name) : std::string();
}

int RealKernel::blockCount(const std::string& sheetName) {
    for (int32_t i = 0; i < kernel().GetSheetCount(); ++i) {
        TSheetRecord* s = kernel().GetSheet(i);
        if (sheetName == s->Name) return s->Blocks->Count;
    }
    return -1;
}

}  // namespace zo::test
