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

TKernelOptions g_original;  // the kernel's own slots, called by the counters

std::string utf8(const char* text) { return platform::cp1251ToUtf8(text ? text : ""); }

int32_t statusText(int32_t panel, const char* text) {
    SchemeKernel::calls.status[panel].push_back(utf8(text));
    return 0;
}
void repaint() { ++SchemeKernel::calls.repaints; }
void kernelLog(const char* text, uint8_t) { SchemeKernel::calls.logs.push_back(utf8(text)); }
int32_t createWindow(const char*, int32_t*, int32_t*, float*) { return 0; }
int32_t showProperties(const char*, int32_t, const TStructInstance*, TPropertiesChangedProc, int32_t, int32_t,
                       int32_t, int32_t) {
    return 0;
}
int32_t replaceProperties(const char*, int32_t, const TStructInstance*, TPropertiesChangedProc) { return 0; }

int32_t mouseDown(const char* s, int32_t x, int32_t y, uint8_t b, char* status, uint8_t* changed) {
    ++SchemeKernel::calls.mouseDowns;
    SchemeKernel::calls.lastPoint = {x, y};
    return g_original.SheetMouseDown(s, x, y, b, status, changed);
}
int32_t mouseUp(const char* s, int32_t x, int32_t y, uint8_t b, char* status, uint8_t* changed) {
    ++SchemeKernel::calls.mouseUps;
    SchemeKernel::calls.lastPoint = {x, y};
    return g_original.SheetMouseUp(s, x, y, b, status, changed);
}
int32_t mouseMove(const char* s, int32_t x, int32_t y, char* status, char* hint, int16_t* cursor, uint8_t* changed) {
    ++SchemeKernel::calls.mouseMoves;
    SchemeKernel::calls.lastPoint = {x, y};
    return g_original.SheetMouseMove(s, x, y, status, hint, cursor, changed);
}
int32_t dragOver(const char* s, void* bitmap, void* source, uint16_t x, uint16_t y, int32_t kind) {
    ++SchemeKernel::calls.dragOvers;
    SchemeKernel::calls.lastPoint = {x, y};
    return SchemeKernel::calls.lastDragOver = g_original.SheetDragOver(s, bitmap, source, x, y, kind);
}
int32_t dragDrop(const char* s, void* source, uint16_t x, uint16_t y) {
    ++SchemeKernel::calls.dragDrops;
    SchemeKernel::calls.lastPoint = {x, y};
    return g_original.SheetDragDrop(s, source, x, y);
}
int32_t resizeSheet(const char* s, int32_t l, int32_t t, int32_t r, int32_t b) {
    ++SchemeKernel::calls.resizes;
    SchemeKernel::calls.lastResize = {l, t, r, b};
    return g_original.ResizeSheet(s, l, t, r, b);
}
int32_t keyDown(const char* s, uint16_t key, uint8_t shift, uint8_t* changed) {
    ++SchemeKernel::calls.keyDowns;
    SchemeKernel::calls.lastKey = key;
    SchemeKernel::calls.lastShift = shift;
    return g_original.SheetKeyDown(s, key, shift, changed);
}

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
    std::memcpy(&g_original, &k, sizeof g_original);
    k.KernelLog = kernelLog;
    k.SheetMouseDown = mouseDown;
    k.SheetMouseUp = mouseUp;
    k.SheetMouseMove = mouseMove;
    k.SheetDragOver = dragOver;
    k.SheetDragDrop = dragDrop;
    k.ResizeSheet = resizeSheet;
    k.SheetKeyDown = keyDown;

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
