#include "support/FakeKernel.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace zo::test {

namespace {

std::atomic<FakeKernel*> g_current{nullptr};

// A slot name as a template argument.
template <std::size_t N>
struct SlotName {
    char text[N];
    constexpr SlotName(const char (&name)[N]) { std::copy_n(name, N, text); }
};

template <SlotName Name, typename Slot>
struct Trampoline;

template <SlotName Name, typename R, typename... A>
struct Trampoline<Name, R (*)(A...)> {
    static R call(A... args) { return FakeKernel::dispatch<R, A...>(Name.text, args...); }
};

// Writes a trampoline into a slot of a packed record (memcpy: the field may be unaligned).
template <SlotName Name, typename Slot>
void place(void* record, std::size_t offset) {
    const Slot function = &Trampoline<Name, Slot>::call;
    std::memcpy(static_cast<char*>(record) + offset, &function, sizeof function);
}

#define ZO_FAKE_SLOT(Record, field, name) \
    place<name, decltype(std::declval<Record&>().field)>(&record, offsetof(Record, field))

void fillStructAccess(TKernelOptions& record) {
    // The two structure-access tables (the kernel's and the inspector's) answer alike.
#define ZO_FAKE_ACCESS(base)                                                                  \
    ZO_FAKE_SLOT(TKernelOptions, base.GetStructName, "GetStructName");                        \
    ZO_FAKE_SLOT(TKernelOptions, base.GetStructCaption, "GetStructCaption");                  \
    ZO_FAKE_SLOT(TKernelOptions, base.GetStructItemCount, "GetStructItemCount");              \
    ZO_FAKE_SLOT(TKernelOptions, base.GetStructSize, "GetStructSize");                        \
    ZO_FAKE_SLOT(TKernelOptions, base.GetStructItemType, "GetStructItemType");                \
    ZO_FAKE_SLOT(TKernelOptions, base.GetStructItemName, "GetStructItemName");                \
    ZO_FAKE_SLOT(TKernelOptions, base.GetStructItemCaption, "GetStructItemCaption");          \
    ZO_FAKE_SLOT(TKernelOptions, base.GetStructItemKind, "GetStructItemKind");                \
    ZO_FAKE_SLOT(TKernelOptions, base.GetStructItemList, "GetStructItemList");                \
    ZO_FAKE_SLOT(TKernelOptions, base.GetStructItemDefault, "GetStructItemDefault");          \
    ZO_FAKE_SLOT(TKernelOptions, base.GetStructItemValue, "GetStructItemValue");              \
    ZO_FAKE_SLOT(TKernelOptions, base.SetStructItemValue, "SetStructItemValue");              \
    ZO_FAKE_SLOT(TKernelOptions, base.FindStructItem, "FindStructItem")
    ZO_FAKE_ACCESS(StructAccess);
    ZO_FAKE_ACCESS(Inspector.StructAccess);
#undef ZO_FAKE_ACCESS
}

void fillRecord(TKernelOptions& record) {
    std::memcpy(record.Description, "FakeKernel", sizeof "FakeKernel");
    ZO_FAKE_SLOT(TKernelOptions, KernelInit, "KernelInit");
    ZO_FAKE_SLOT(TKernelOptions, KernelDone, "KernelDone");
    ZO_FAKE_SLOT(TKernelOptions, Inspector.RepaintInspector, "RepaintInspector");
    ZO_FAKE_SLOT(TKernelOptions, Inspector.ShowElementProperties, "ShowElementProperties");
    ZO_FAKE_SLOT(TKernelOptions, Inspector.ReplaceElementProperties, "ReplaceElementProperties");
    ZO_FAKE_SLOT(TKernelOptions, Inspector.SetStatusText, "Inspector.SetStatusText");
    ZO_FAKE_SLOT(TKernelOptions, Inspector.GetStructPath, "GetStructPath");
    ZO_FAKE_SLOT(TKernelOptions, Inspector.GetStructItemPtr, "GetStructItemPtr");
    ZO_FAKE_SLOT(TKernelOptions, GetKernelOptionBlock, "GetKernelOptionBlock");
    fillStructAccess(record);
    ZO_FAKE_SLOT(TKernelOptions, GetProgramFolder, "GetProgramFolder");
    ZO_FAKE_SLOT(TKernelOptions, GetDeviceFolder, "GetDeviceFolder");
    ZO_FAKE_SLOT(TKernelOptions, GetProjectFolder, "GetProjectFolder");
    ZO_FAKE_SLOT(TKernelOptions, GetStructFolder, "GetStructFolder");
    ZO_FAKE_SLOT(TKernelOptions, GetUploadFolder, "GetUploadFolder");
    ZO_FAKE_SLOT(TKernelOptions, GetConfigurationFolder, "GetConfigurationFolder");
    ZO_FAKE_SLOT(TKernelOptions, GetDeviceRuntimeFolder, "GetDeviceRuntimeFolder");
    ZO_FAKE_SLOT(TKernelOptions, NewProject, "NewProject");
    ZO_FAKE_SLOT(TKernelOptions, OpenProject, "OpenProject");
    ZO_FAKE_SLOT(TKernelOptions, CloseProject, "CloseProject");
    ZO_FAKE_SLOT(TKernelOptions, SaveProject, "SaveProject");
    ZO_FAKE_SLOT(TKernelOptions, CreateConfigFile, "CreateConfigFile");
    ZO_FAKE_SLOT(TKernelOptions, BuildProjectFolder, "BuildProjectFolder");
    ZO_FAKE_SLOT(TKernelOptions, WriteChannelList, "WriteChannelList");
    ZO_FAKE_SLOT(TKernelOptions, GetDeviceFilePath, "GetDeviceFilePath");
    ZO_FAKE_SLOT(TKernelOptions, GetDeviceProgram, "GetDeviceProgram");
    ZO_FAKE_SLOT(TKernelOptions, EditProjectHeader, "EditProjectHeader");
    ZO_FAKE_SLOT(TKernelOptions, SetMode, "SetMode");
    ZO_FAKE_SLOT(TKernelOptions, GetMode, "GetMode");
    ZO_FAKE_SLOT(TKernelOptions, UpdateActionStates, "UpdateActionStates");
    ZO_FAKE_SLOT(TKernelOptions, GetSheetCount, "GetSheetCount");
    ZO_FAKE_SLOT(TKernelOptions, GetSheet, "GetSheet");
    ZO_FAKE_SLOT(TKernelOptions, CloseSchemeWindow, "CloseSchemeWindow");
    ZO_FAKE_SLOT(TKernelOptions, CloseAllSchemeWindows, "CloseAllSchemeWindows");
    ZO_FAKE_SLOT(TKernelOptions, CreateSchemeWindow, "CreateSchemeWindow");
    ZO_FAKE_SLOT(TKernelOptions, ResizeSheet, "ResizeSheet");
    ZO_FAKE_SLOT(TKernelOptions, PaintScheme, "PaintScheme");
    ZO_FAKE_SLOT(TKernelOptions, RepaintSchemeWindows, "RepaintSchemeWindows");
    ZO_FAKE_SLOT(TKernelOptions, ShowSchemeWindow, "ShowSchemeWindow");
    ZO_FAKE_SLOT(TKernelOptions, OpenSheetWindow, "OpenSheetWindow");
    ZO_FAKE_SLOT(TKernelOptions, AddSheet, "AddSheet");
    ZO_FAKE_SLOT(TKernelOptions, DeleteSheet, "DeleteSheet");
    ZO_FAKE_SLOT(TKernelOptions, StoreSchemeWindowState, "StoreSchemeWindowState");
    ZO_FAKE_SLOT(TKernelOptions, RenameSchemeWindow, "RenameSchemeWindow");
    ZO_FAKE_SLOT(TKernelOptions, SetSheetWindow, "SetSheetWindow");
    ZO_FAKE_SLOT(TKernelOptions, SheetKeyDown, "SheetKeyDown");
    ZO_FAKE_SLOT(TKernelOptions, SheetKeyUp, "SheetKeyUp");
    ZO_FAKE_SLOT(TKernelOptions, SheetMouseDown, "SheetMouseDown");
    ZO_FAKE_SLOT(TKernelOptions, SheetMouseMove, "SheetMouseMove");
    ZO_FAKE_SLOT(TKernelOptions, SheetMouseUp, "SheetMouseUp");
    ZO_FAKE_SLOT(TKernelOptions, GetProjectTree, "GetProjectTree");
    ZO_FAKE_SLOT(TKernelOptions, ProjectTreeClick, "ProjectTreeClick");
    ZO_FAKE_SLOT(TKernelOptions, ProjectTreeDblClick, "ProjectTreeDblClick");
    ZO_FAKE_SLOT(TKernelOptions, ProjectTreeKeyUp, "ProjectTreeKeyUp");
    ZO_FAKE_SLOT(TKernelOptions, SheetHitTest, "SheetHitTest");
    ZO_FAKE_SLOT(TKernelOptions, GetBlockPath, "GetBlockPath");
    ZO_FAKE_SLOT(TKernelOptions, GetBlockLibrary, "GetBlockLibrary");
    ZO_FAKE_SLOT(TKernelOptions, GetBlockInfoBitmap, "GetBlockInfoBitmap");
    ZO_FAKE_SLOT(TKernelOptions, DrawBlockPicture, "DrawBlockPicture");
    ZO_FAKE_SLOT(TKernelOptions, DrawBlockComments, "DrawBlockComments");
    ZO_FAKE_SLOT(TKernelOptions, ReleaseObject, "ReleaseObject");
    ZO_FAKE_SLOT(TKernelOptions, SheetDragOver, "SheetDragOver");
    ZO_FAKE_SLOT(TKernelOptions, SheetDragDrop, "SheetDragDrop");
    ZO_FAKE_SLOT(TKernelOptions, SetLogCallback, "SetLogCallback");
    ZO_FAKE_SLOT(TKernelOptions, KernelLog, "KernelLog");
    ZO_FAKE_SLOT(TKernelOptions, SaveOptionBlock, "SaveOptionBlock");
    ZO_FAKE_SLOT(TKernelOptions, LoadOptionBlock, "LoadOptionBlock");
    ZO_FAKE_SLOT(TKernelOptions, GetStructDescription, "GetStructDescription");
    ZO_FAKE_SLOT(TKernelOptions, ForwardToDebugger, "ForwardToDebugger");
    ZO_FAKE_SLOT(TKernelOptions, GetBlockPreview, "GetBlockPreview");
    ZO_FAKE_SLOT(TKernelOptions, FreeBlockPreview, "FreeBlockPreview");
    ZO_FAKE_SLOT(TKernelOptions, SetStatusText, "SetStatusText");
    ZO_FAKE_SLOT(TKernelOptions, ClearLibraryFiles, "ClearLibraryFiles");
    ZO_FAKE_SLOT(TKernelOptions, LibraryFileCount, "LibraryFileCount");
    ZO_FAKE_SLOT(TKernelOptions, GetLibraryFile, "GetLibraryFile");
    ZO_FAKE_SLOT(TKernelOptions, AddLibraryFile, "AddLibraryFile");
}

#undef ZO_FAKE_SLOT

}  // namespace

FakeKernel::FakeKernel() {
    fillRecord(record_);
    FakeKernel* expected = nullptr;
    if (!g_current.compare_exchange_strong(expected, this)) {
        std::fprintf(stderr, "FakeKernel: a second fake while one is live\n");
        std::abort();
    }
}

FakeKernel::~FakeKernel() { g_current.store(nullptr); }

FakeKernel* FakeKernel::current() { return g_current.load(); }

std::vector<FakeCall> FakeKernel::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::vector<FakeCall> FakeKernel::callsOf(const std::string& slot) const {
    std::lock_guard lock(mutex_);
    std::vector<FakeCall> out;
    for (const FakeCall& call : calls_)
        if (call.slot == slot) out.push_back(call);
    return out;
}

int FakeKernel::count(const std::string& slot) const { return static_cast<int>(callsOf(slot).size()); }

std::vector<std::string> FakeKernel::slotsCalled() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const FakeCall& call : calls_) out.push_back(call.slot);
    return out;
}

void FakeKernel::clearCalls() {
    std::lock_guard lock(mutex_);
    calls_.clear();
}

void FakeKernel::setResult(const std::string& slot, int64_t value) {
    std::lock_guard lock(mutex_);
    results_[slot] = value;
}

void FakeKernel::setText(const std::string& slot, const std::string& text) {
    std::lock_guard lock(mutex_);
    texts_[slot] = text;
}

void FakeKernel::setPointer(const std::string& slot, void* pointer) {
    std::lock_guard lock(mutex_);
    pointers_[slot] = pointer;
}

std::string FakeKernel::describe(const char* text) { return text ? std::string(text) : std::string("<nil>"); }

std::string FakeKernel::describe(char* buffer) { return buffer ? "<ptr>" : "<nil>"; }

std::string FakeKernel::describe(float value) { return describe(static_cast<double>(value)); }

std::string FakeKernel::describe(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace zo::test
