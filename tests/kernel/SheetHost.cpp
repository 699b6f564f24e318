#include "SheetHost.h"

#include "common/MenObj.h"
#include "common/abi/DragObject.h"
#include "common/abi/KeyCodes.h"
#include "platform/Cp1251.h"

#include <cstring>

namespace zo::test {

std::set<std::string> SheetHost::windows;
std::vector<std::string> SheetHost::shown;
std::vector<std::string> SheetHost::closed;
int32_t SheetHost::renameResult = 0;
int SheetHost::repaints = 0;
int SheetHost::inspectorRepaints = 0;
std::string SheetHost::caption;
std::vector<TStructInstance> SheetHost::items;
TPropertiesChangedProc SheetHost::onChange = nullptr;

namespace {

MemoryTree* g_tree = nullptr;

const char* kLibrary = R"(<?xml version="1.0" encoding="windows-1251"?>
<FBD>
  <GROUP NAME="Test">
    <BLOCK NAME="AND" IM="Логическое И">
      <IN NAME="A" TYPE="Bool" IM="вход"/>
      <OUT NAME="Q" TYPE="Bool" IM="выход"/>
      <FIELD NAME="Cod" TYPE="Word" DEFAULT="1"/>
      <VAR NAME="K" TYPE="Integer" DEFAULT="5" IM="коэффициент"/>
    </BLOCK>
  </GROUP>
</FBD>
)";

std::string utf8(const char* cp1251) { return platform::cp1251ToUtf8(cp1251 ? cp1251 : ""); }

struct Host {
    static int32_t createWindow(const char* name, int32_t*, int32_t*, float*) {
        SheetHost::windows.insert(utf8(name));
        return 0;
    }
    static int32_t showWindow(const char* name) {
        SheetHost::shown.push_back(utf8(name));
        return SheetHost::windows.count(utf8(name)) ? 0 : -1;
    }
    static int32_t closeWindow(const char* name) {
        SheetHost::closed.push_back(utf8(name));
        return SheetHost::windows.erase(utf8(name)) ? 0 : -1;
    }
    static int32_t renameWindow(const char* oldName, const char* newName) {
        if (SheetHost::renameResult != 0 || !SheetHost::windows.erase(utf8(oldName))) return -1;
        SheetHost::windows.insert(utf8(newName));
        return 0;
    }
    static void repaint() { ++SheetHost::repaints; }
    static void* tree() { return g_tree ? g_tree->host() : nullptr; }
    static int32_t replace(const char* caption, int32_t count, const TStructInstance* items,
                           TPropertiesChangedProc change) {
        SheetHost::caption = utf8(caption);
        SheetHost::items.assign(items, items + (items ? count : 0));
        SheetHost::onChange = change;
        return 0;
    }
    static int32_t show(const char* caption, int32_t count, const TStructInstance* items, TPropertiesChangedProc change,
                        int32_t, int32_t, int32_t, int32_t) {
        return replace(caption, count, items, change);
    }
    static void repaintInspector() { ++SheetHost::inspectorRepaints; }
};

}  // namespace

void SheetHost::SetUp() {
    windows.clear();
    shown.clear();
    closed.clear();
    renameResult = 0;
    repaints = inspectorRepaints = 0;
    caption.clear();
    items.clear();
    onChange = nullptr;
    g_tree = &tree_;
    libraryPath_ = program_.sub("Lib.xml");
    writeBytes(libraryPath_, cp(kLibrary));

    LoadKernelLibrary("\\system", nullptr, nullptr, LogRecorder::Proc);
    ASSERT_NE(KernelOptionsPtr, nullptr);
    TKernelOptions& k = kernel();
    k.ConvertOptions = const_cast<TConvertOptions*>(ConvertOptions());
    k.CreateSchemeWindow = Host::createWindow;
    k.ShowSchemeWindow = Host::showWindow;
    k.CloseSchemeWindow = Host::closeWindow;
    k.RenameSchemeWindow = Host::renameWindow;
    k.RepaintSchemeWindows = Host::repaint;
    k.GetProjectTree = Host::tree;
    k.Inspector.ReplaceElementProperties = Host::replace;
    k.Inspector.ShowElementProperties = Host::show;
    k.Inspector.RepaintInspector = Host::repaintInspector;
    k.SetLogCallback("Vezevire.log", LogRecorder::WriteProc);
    k.KernelInit();
}

void SheetHost::TearDown() {
    if (KernelOptionsPtr) {
        // Empty the model through the slots, so the kernel frees every block.
        kernel().SetMode(0);
        while (kernel().GetSheetCount() > 0) {
            const std::string name = kernel().GetSheet(0)->Name;
            uint8_t changed = 0;
            kernel().SheetKeyDown(name.c_str(), kKeyA, kShiftBitCtrl, &changed);
            kernel().SheetKeyDown(name.c_str(), kKeyDelete, 0, &changed);
            if (kernel().DeleteSheet(name.c_str()) != 0) break;
        }
        EXPECT_EQ(kernel().GetSheetCount(), 0);
        UnloadKernelLibrary(nullptr);
    }
    g_tree = nullptr;
}

std::string SheetHost::addSheet() {
    const int before = kernel().GetSheetCount();
    kernel().AddSheet();
    EXPECT_EQ(kernel().GetSheetCount(), before + 1);
    return utf8(kernel().GetSheet(before)->Name);
}

TSheetRecord* SheetHost::sheet(const std::string& name) {
    for (int i = 0; i < kernel().GetSheetCount(); ++i)
        if (utf8(kernel().GetSheet(i)->Name) == name) return kernel().GetSheet(i);
    return nullptr;
}

int SheetHost::blockCount(const std::string& name) {
    TSheetRecord* s = sheet(name);
    return s ? s->Blocks->Count : -1;
}

TBlockRecord* SheetHost::block(const std::string& name, int index) {
    TSheetRecord* s = sheet(name);
    return s ? static_cast<TBlockRecord*>(s->Blocks->GetItem(uint16_t(index))) : nullptr;
}

std::vector<std::string> SheetHost::blockNames(const std::string& name) {
    std::vector<std::string> out;
    for (int i = 0; i < blockCount(name); ++i) out.push_back(utf8(block(name, i)->Name));
    return out;
}

int32_t SheetHost::drop(const std::string& name, const std::string& type, uint16_t x, uint16_t y) {
    TLibraryNodeRecord node{};
    const std::string path = libraryPath_ + "/FBD/Test/" + type;
    std::strncpy(node.Path, path.c_str(), sizeof node.Path - 1);
    TDragControl tree{};
    std::strcpy(tree.ClassName, kDragTreeClassName);
    tree.SelectedData = &node;
    TMyDragObject source{};
    std::strcpy(source.ClassName, kDragObjectClassName);
    source.SourceTree = &tree;
    return kernel().SheetDragDrop(cp(name).c_str(), &source, x, y);
}

void SheetHost::layLink(const std::string& name, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const uint8_t mode = kernel().GetMode();
    kernel().SetMode(1);
    char status[261] = {};
    uint8_t changed = 0;
    kernel().SheetMouseDown(cp(name).c_str(), x1 * 12 + 6, y1 * 12 + 6, 0, status, &changed);
    kernel().SheetMouseUp(cp(name).c_str(), x2 * 12 + 6, y2 * 12 + 6, 0, status, &changed);
    kernel().SetMode(mode);
}

int SheetHost::linkCount(const std::string& name) {
    TSheetRecord* s = sheet(name);
    return s ? s->Links->Count : -1;
}

TConnectionRecord SheetHost::link(const std::string& name, int index) {
    TConnectionRecord out{};
    sheet(name)->Links->CopyItem(uint16_t(index), &out);
    return out;
}

int32_t SheetHost::key(const std::string& name, uint16_t code, uint8_t shift) {
    changed_ = 0xAA;
    return kernel().SheetKeyDown(cp(name).c_str(), code, shift, &changed_);
}

void SheetHost::pointerAt(const std::string& name, int32_t x, int32_t y) {
    char status[261] = {}, hint[261] = {};
    int16_t cursor = 0;
    uint8_t changed = 0;
    kernel().SheetMouseMove(cp(name).c_str(), x, y, status, hint, &cursor, &changed);
}

void SheetHost::click(const std::string& name, int32_t x, int32_t y) {
    char status[261] = {};
    uint8_t changed = 0;
    kernel().SheetMouseDown(cp(name).c_str(), x, y, 0, status, &changed);
    kernel().SheetMouseUp(cp(name).c_str(), x, y, 0, status, &changed);
}

std::string SheetHost::value(const TBlockRecord* b, const char* field) {
    const TStructAccess& a = kernel().StructAccess;
    const TStructInstance instance = b->Block;
    int16_t index = -1;
    EXPECT_EQ(a.FindStructItem(&instance, field, &index), 1) << field;
    return utf8(a.GetStructItemValue(&instance, uint16_t(index)));
}

void SheetHost::setValue(TBlockRecord* b, const char* field, const std::string& text) {
    const TStructAccess& a = kernel().StructAccess;
    const TStructInstance instance = b->Block;
    int16_t index = -1;
    ASSERT_EQ(a.FindStructItem(&instance, field, &index), 1) << field;
    ASSERT_EQ(a.SetStructItemValue(&instance, uint16_t(index), cp(text).c_str()), 1);
}

}  // namespace zo::test
