#include "SchemeKernel.h"

#include "common/KroKernelConfig.h"
#include "common/MenObj.h"
#include "common/abi/SheetRecord.h"
#include "platform/Cp1251.h"

#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace zo::test {

SchemeCalls SchemeKernel::calls;

namespace {

std::string utf8(const char* text) { return platform::cp1251ToUtf8(text ? text : ""); }

int32_t statusText(int32_t panel, const char* text) {
    SchemeKernel::calls.status[panel].push_back(utf8(text));
    return 0;
}
void repaint() { ++SchemeKernel::calls.repaints; }
int32_t createWindow(const char*, int32_t*, int32_t*, float*) { return 0; }
int32_t showProperties(const char*, int32_t, const TStructInstance*, TPropertiesChangedProc, int32_t, int32_t,
                       int32_t, int32_t) {
    return 0;
}
int32_t replaceProperties(const char*, int32_t, const TStructInstance*, TPropertiesChangedProc) { return 0; }

}  // namespace

std::string SchemeCalls::lastStatus(int panel) const {
    const auto it = status.find(panel);
    return it == status.end() || it->second.empty() ? std::string("<none>") : it->second.back();
}

LibraryDrag::LibraryDrag(const char* path) {
    std::strncpy(node.Path, path, sizeof node.Path - 1);
    std::strncpy(tree.ClassName, kDragTreeClassName, sizeof tree.ClassName - 1);
    tree.SelectedData = &node;
    std::strncpy(object.ClassName, kDragObjectClassName, sizeof object.ClassName - 1);
    object.SourceTree = &tree;
}

TKernelOptions& SchemeKernel::kernel() { return *KernelOptionsPtr; }

void SchemeKernel::SetUp() {
    calls = SchemeCalls{};
    const std::string path = program_.str();
    writeBytes(path + "/Configurator", "");
    for (const char* d : {"Runtime", "Configuration", "Upload", "Project"}) fs::create_directory(path + "/" + d);
    for (const char* d : {"Struct", "Device", "Library"})
        fs::copy(std::string(ZO_PROGRAM_DIR) + "/" + d, path + "/" + d, fs::copy_options::recursive);
    fs::create_directory_symlink(std::string(ZO_PROGRAM_DIR) + "/System", path + "/System");
    cd_ = std::make_unique<ScopedCurrentDir>(path);

    LoadKernelLibrary("\\system", nullptr, nullptr, nullptr);
    ASSERT_NE(KernelOptionsPtr, nullptr);
    TKernelOptions& k = kernel();
    static LibraryRecord convert = LoadLibraryRecord("ZoConvert.so");
    k.ConvertOptions = static_cast<TConvertOptions*>(convert.record);
    k.CreateSchemeWindow = createWindow;
    k.SetStatusText = statusText;
    k.RepaintSchemeWindows = repaint;
    k.Inspector.ShowElementProperties = showProperties;
    k.Inspector.ReplaceElementProperties = replaceProperties;
    k.KernelInit();

    k.AddSheet();
    ASSERT_EQ(k.GetSheetCount(), 1);
    sheetName = platform::cp1251ToQString(k.GetSheet(0)->Name);
}

void SchemeKernel::TearDown() {
    UnloadKernelLibrary(nullptr);
    cd_.reset();
}

TSheetRecord* SchemeKernel::sheet() { return kernel().GetSheetCount() > 0 ? kernel().GetSheet(0) : nullptr; }

int SchemeKernel::blockCount() {
    TSheetRecord* s = sheet();
    return s && s->Blocks ? s->Blocks->Count : -1;
}

}  // namespace zo::test
