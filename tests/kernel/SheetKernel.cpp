#include "SheetKernel.h"

#include "common/MenObj.h"

#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace zo::test {

std::vector<SheetKernel::WindowCall> SheetKernel::created;
int32_t SheetKernel::createResult = 0;
std::set<std::string> SheetKernel::openWindows;
std::vector<std::string> SheetKernel::showAsked;
std::vector<SheetKernel::InspectorCall> SheetKernel::shown;
std::vector<SheetKernel::InspectorCall> SheetKernel::replaced;

namespace {

MemoryTree* g_tree = nullptr;

struct Host : SheetKernel {
    static int32_t createWindow(const char* name, int32_t* rect, int32_t* scroll, float* scale) {
        WindowCall call;
        call.name = name ? name : "";
        if (rect) {
            call.placed = true;
            std::memcpy(call.rect, rect, sizeof call.rect);
        }
        if (scroll) std::memcpy(call.scroll, scroll, sizeof call.scroll);
        if (scale) call.scale = *scale;
        created.push_back(call);
        if (createResult == 0) openWindows.insert(call.name);
        return createResult;
    }
    static int32_t showWindow(const char* name) {
        showAsked.push_back(name ? name : "");
        return openWindows.count(name ? name : "") ? 0 : -1;
    }
    static int32_t showProperties(const char* caption, int32_t count, const TStructInstance* items,
                                  TPropertiesChangedProc change, int32_t l, int32_t t, int32_t r, int32_t b) {
        InspectorCall call{caption ? caption : "", count, {}, change != nullptr, {l, t, r, b}};
        for (int32_t i = 0; items && i < count; ++i) call.items.push_back(items[i]);
        shown.push_back(call);
        return 0;
    }
    static int32_t replaceProperties(const char* caption, int32_t count, const TStructInstance* items,
                                     TPropertiesChangedProc change) {
        InspectorCall call{caption ? caption : "", count, {}, change != nullptr, {}};
        for (int32_t i = 0; items && i < count; ++i) call.items.push_back(items[i]);
        replaced.push_back(call);
        return 0;
    }
    static void repaintInspector() {}
    static void* projectTree() { return g_tree ? g_tree->host() : nullptr; }
};

}  // namespace

LibraryDrag::LibraryDrag(const std::string& path, const char* objectClass, const char* treeClass) {
    std::strncpy(node.Path, path.c_str(), sizeof node.Path - 1);
    std::strncpy(tree.ClassName, treeClass, sizeof tree.ClassName - 1);
    tree.SelectedData = &node;
    std::strncpy(object.ClassName, objectClass, sizeof object.ClassName - 1);
    object.SourceTree = &tree;
}

void SheetKernel::SetUp() {
    created.clear();
    createResult = 0;
    openWindows.clear();
    showAsked.clear();
    shown.clear();
    replaced.clear();
    g_tree = &tree_;
    for (const char* folder : {"Device", "Library"})
        fs::copy(std::string(ZO_PROGRAM_DIR) + "/" + folder, program_.sub(folder),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    restart();
}

void SheetKernel::restart() {
    UnloadKernelLibrary(nullptr);
    LoadKernelLibrary("\\system", nullptr, nullptr, LogRecorder::Proc);
    ASSERT_NE(KernelOptionsPtr, nullptr);
    TKernelOptions& k = kernel();
    k.ConvertOptions = const_cast<TConvertOptions*>(ConvertOptions());
    k.SetLogCallback("Vezevire.log", LogRecorder::WriteProc);
    k.CreateSchemeWindow = Host::createWindow;
    k.ShowSchemeWindow = Host::showWindow;
    k.GetProjectTree = Host::projectTree;
    k.Inspector.ShowElementProperties = Host::showProperties;
    k.Inspector.ReplaceElementProperties = Host::replaceProperties;
    k.Inspector.RepaintInspector = Host::repaintInspector;
    k.KernelInit();
}

void SheetKernel::TearDown() {
    UnloadKernelLibrary(nullptr);
    g_tree = nullptr;
}

std::string SheetKernel::addSheet() {
    const int32_t before = kernel().GetSheetCount();
    kernel().AddSheet();
    EXPECT_EQ(kernel().GetSheetCount(), before + 1);
    return kernel().GetSheet(before) ? std::string(kernel().GetSheet(before)->Name) : std::string();
}

TSheetRecord* SheetKernel::sheet(const std::string& name) {
    for (int32_t i = 0; i < kernel().GetSheetCount(); ++i)
        if (name == kernel().GetSheet(i)->Name) return kernel().GetSheet(i);
    return nullptr;
}

TBlockRecord* SheetKernel::block(const std::string& sheetName, int index) {
    TSheetRecord* s = sheet(sheetName);
    return s ? static_cast<TBlockRecord*>(s->Blocks->GetItem(uint16_t(index))) : nullptr;
}

int SheetKernel::blockCount(const std::string& sheetName) {
    TSheetRecord* s = sheet(sheetName);
    return s ? s->Blocks->Count : -1;
}

std::string SheetKernel::blockName(const std::string& sheetName, int index) {
    const TBlockRecord* b = block(sheetName, index);
    return b ? std::string(b->Name, strnlen(b->Name, sizeof b->Name)) : std::string("?");
}

int32_t SheetKernel::drop(const std::string& sheetName, const char* path, uint16_t x, uint16_t y) {
    LibraryDrag drag(path);
    return kernel().SheetDragDrop(sheetName.c_str(), drag.source(), x, y);
}

void SheetKernel::addLink(const std::string& sheetName, uint16_t x1, uint16_t y1, uint16_t x2, uint16_t y2) {
    TConnectionRecord l{};
    l.PointA = uint32_t(x1) | (uint32_t(y1) << 16);
    l.PointB = uint32_t(x2) | (uint32_t(y2) << 16);
    l.NetIndex = -1;
    l.Chain = -1;
    l.LineType = -1;
    sheet(sheetName)->Links->AddItem(&l);
}

std::string SheetKernel::value(const TStructInstance& instance, const char* field) {
    int16_t index = -1;
    if (kernel().StructAccess.FindStructItem(&instance, field, &index) != 1) return "<none>";
    const char* text = kernel().StructAccess.GetStructItemValue(&instance, uint16_t(index));
    return text ? text : "<nil>";
}

bool SheetKernel::setValue(const TStructInstance& instance, const char* field, const std::string& text) {
    int16_t index = -1;
    if (kernel().StructAccess.FindStructItem(&instance, field, &index) != 1) return false;
    return kernel().StructAccess.SetStructItemValue(&instance, uint16_t(index), text.c_str()) == 1;
}

}  // namespace zo::test
