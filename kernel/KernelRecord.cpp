#include "kernel/KernelRecord.h"

#include "common/Struct.h"
#include "kernel/BlockDrop.h"
#include "kernel/BlockPreview.h"
#include "kernel/BlockPictures.h"
#include "kernel/HitTest.h"
#include "kernel/ConfigFile.h"
#include "kernel/DebugMode.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelStart.h"
#include "kernel/ChannelBase.h"
#include "kernel/DeviceFile.h"
#include "kernel/ProjectFile.h"
#include "kernel/ProjectOpen.h"
#include "kernel/MouseEditing.h"
#include "kernel/SchemePaint.h"
#include "kernel/KeyboardEditing.h"
#include "kernel/ProjectTree.h"
#include "kernel/NewProject.h"
#include "kernel/Sheets.h"
#include "kernel/LibraryFiles.h"
#include "kernel/OptionBlocks.h"
#include "kernel/UploadFolder.h"

namespace zo::kernel {

namespace {

// Host defaults: what answers until the host has written its slots. They
// cannot fail, so they need no barrier.
int32_t NoSchemeWindow(const char*) { return -1; }
int32_t NoSchemeWindows() { return -1; }
int32_t NoCreateSchemeWindow(const char*, int32_t*, int32_t*, float*) { return -1; }
int32_t NoRenameSchemeWindow(const char*, const char*) { return -1; }
int32_t NoStatusText(int32_t, const char*) { return -100; }
void* NoProjectTree() { return nullptr; }
void Nothing() {}

void fillHostDefaults(TKernelOptions& o) {
    o.UpdateActionStates = Nothing;
    o.CloseSchemeWindow = NoSchemeWindow;
    o.CloseAllSchemeWindows = NoSchemeWindows;
    o.CreateSchemeWindow = NoCreateSchemeWindow;
    o.RepaintSchemeWindows = Nothing;
    o.ShowSchemeWindow = NoSchemeWindow;
    o.StoreSchemeWindowState = NoSchemeWindow;
    o.RenameSchemeWindow = NoRenameSchemeWindow;
    o.GetProjectTree = NoProjectTree;
    o.SetStatusText = NoStatusText;
    o.Inspector.SetStatusText = NoStatusText;
}

// The accessors of the structure layer, each behind the barrier.
void fillStructAccess(TStructAccess& a) {
    a.GetStructName = ZO_KERNEL_SLOT(GetStructName, nullptr);
    a.GetStructCaption = ZO_KERNEL_SLOT(GetStructCaption, nullptr);
    a.GetStructItemCount = ZO_KERNEL_SLOT(GetStructItemCount, 0);
    a.GetStructSize = ZO_KERNEL_SLOT(GetStructSize, 0);
    a.GetStructItemType = ZO_KERNEL_SLOT(GetStructItemType, nullptr);
    a.GetStructItemName = ZO_KERNEL_SLOT(GetStructItemName, nullptr);
    a.GetStructItemCaption = ZO_KERNEL_SLOT(GetStructItemCaption, nullptr);
    a.GetStructItemKind = ZO_KERNEL_SLOT(GetStructItemKind, nullptr);
    a.GetStructItemList = ZO_KERNEL_SLOT(GetStructItemList, nullptr);
    a.GetStructItemDefault = ZO_KERNEL_SLOT(GetStructItemDefault, nullptr);
    a.GetStructItemValue = ZO_KERNEL_SLOT(GetStructItemValue, nullptr);
    a.SetStructItemValue = ZO_KERNEL_SLOT(SetStructItemValue, 0);
    a.FindStructItem = ZO_KERNEL_SLOT(FindStructItem, 0);
}

void fillStructAccess(TKernelOptions& o) {
    fillStructAccess(o.Inspector.StructAccess);
    fillStructAccess(o.StructAccess);
    o.Inspector.GetStructPath = ZO_KERNEL_SLOT(GetStructPath, nullptr);
    o.Inspector.GetStructItemPtr = ZO_KERNEL_SLOT(GetStructItemPtr, nullptr);
}

}  // namespace

void FillKernelOptions(TKernelOptions& o) {
    o.KernelInit = ZO_KERNEL_SLOT(KernelInit);
    o.KernelDone = ZO_KERNEL_SLOT(KernelDone, kKernelDoneFailed);
    fillStructAccess(o);
    o.GetProgramFolder = ZO_KERNEL_SLOT(GetProgramFolder, kNoText);
    o.GetDeviceFolder = ZO_KERNEL_SLOT(GetDeviceFolder, kNoText);
    o.GetProjectFolder = ZO_KERNEL_SLOT(GetProjectFolder, kNoText);
    o.GetStructFolder = ZO_KERNEL_SLOT(GetStructFolder, kNoText);
    o.GetUploadFolder = ZO_KERNEL_SLOT(GetUploadFolder, kNoText);
    o.GetConfigurationFolder = ZO_KERNEL_SLOT(GetConfigurationFolder, kNoText);
    o.GetDeviceRuntimeFolder = ZO_KERNEL_SLOT(GetDeviceRuntimeFolder, kNoText);
    o.SetLogCallback = ZO_KERNEL_SLOT(SetLogCallback);
    o.KernelLog = ZO_KERNEL_SLOT(KernelLog);
    // -- sheets and new project
    o.NewProject = ZO_KERNEL_SLOT(NewProject, kNoHeaderMemory);
    o.GetSheetCount = ZO_KERNEL_SLOT(GetSheetCount, 0);
    o.GetSheet = ZO_KERNEL_SLOT(GetSheet, nullptr);
    o.ResizeSheet = ZO_KERNEL_SLOT(ResizeSheet, kResizeRefused);
    o.OpenSheetWindow = ZO_KERNEL_SLOT(OpenSheetWindow, kOpenNoSuchSheet);
    o.AddSheet = ZO_KERNEL_SLOT(AddSheet);
    o.DeleteSheet = ZO_KERNEL_SLOT(DeleteSheet, kSheetHoldsBlocks);
    o.SetSheetWindow = ZO_KERNEL_SLOT(SetSheetWindow, kWindowNoSuchSheet);
    // -- dropping blocks, block pictures and hit testing
    o.SheetHitTest = ZO_KERNEL_SLOT(SheetHitTest, kHitNilName);
    o.GetBlockPath = ZO_KERNEL_SLOT(GetBlockPath, nullptr);
    o.GetBlockLibrary = ZO_KERNEL_SLOT(GetBlockLibrary, nullptr);
    o.GetBlockInfoBitmap = ZO_KERNEL_SLOT(GetBlockInfoBitmap, kPictureNotMade);
    o.DrawBlockPicture = ZO_KERNEL_SLOT(DrawBlockPicture, kPictureNotMade);
    o.DrawBlockComments = ZO_KERNEL_SLOT(DrawBlockComments, kPictureNotMade);
    o.ReleaseObject = ZO_KERNEL_SLOT(ReleaseObject);
    o.SheetDragOver = ZO_KERNEL_SLOT(SheetDragOver, kDragRefused);
    o.SheetDragDrop = ZO_KERNEL_SLOT(SheetDragDrop, kDragNotAppended);
    // -- project file, device file, channel base
    o.SaveProject = ZO_KERNEL_SLOT(SaveProject, kSaveNoDescription);
    o.WriteChannelList = ZO_KERNEL_SLOT(WriteChannelList, kChannelListStreamFailed);
    o.GetDeviceFilePath = ZO_KERNEL_SLOT(GetDeviceFilePath, kNoText);
    o.GetDeviceProgram = ZO_KERNEL_SLOT(GetDeviceProgram, kNoText);
    o.EditProjectHeader = ZO_KERNEL_SLOT(EditProjectHeader, kNoHeaderToEdit);
    // -- opening and closing, configuration file, upload folder
    o.OpenProject = ZO_KERNEL_SLOT(OpenProject, kProjectFileUnreadable);
    o.CloseProject = ZO_KERNEL_SLOT(CloseProject, kProjectClosed);
    o.CreateConfigFile = ZO_KERNEL_SLOT(CreateConfigFile, kConfigRefused);
    o.BuildProjectFolder = ZO_KERNEL_SLOT(BuildProjectFolder, kUploadConfigNotCreated);
    // -- modes and debugging
    o.SetMode = ZO_KERNEL_SLOT(SetMode);
    o.GetMode = ZO_KERNEL_SLOT(GetMode, 0);
    o.ForwardToDebugger = ZO_KERNEL_SLOT(ForwardToDebugger, kDebuggerNotLoaded);
    // -- mouse editing, connections, painting
    o.PaintScheme = ZO_KERNEL_SLOT(PaintScheme, kPaintFailed);
    o.SheetMouseDown = ZO_KERNEL_SLOT(SheetMouseDown, kPointerRefused);
    o.SheetMouseMove = ZO_KERNEL_SLOT(SheetMouseMove, kPointerRefused);
    o.SheetMouseUp = ZO_KERNEL_SLOT(SheetMouseUp, kPointerRefused);
    // -- keyboard and clipboard
    o.SheetKeyDown = ZO_KERNEL_SLOT(SheetKeyDown, kKeyNoSheet);
    o.SheetKeyUp = ZO_KERNEL_SLOT(SheetKeyUp, kKeyDone);
    // -- project tree
    o.ProjectTreeClick = ZO_KERNEL_SLOT(ProjectTreeClick, kTreeNoLists);
    o.ProjectTreeDblClick = ZO_KERNEL_SLOT(ProjectTreeDblClick);
    o.ProjectTreeKeyUp = ZO_KERNEL_SLOT(ProjectTreeKeyUp, kTreeNoLists);
    // -- option blocks
    o.GetKernelOptionBlock = ZO_KERNEL_SLOT(GetKernelOptionBlock, kOptionBlockFailed);
    o.SaveOptionBlock = ZO_KERNEL_SLOT(SaveOptionBlock, kOptionBlockFailed);
    o.LoadOptionBlock = ZO_KERNEL_SLOT(LoadOptionBlock, kOptionBlockFailed);
    o.GetStructDescription = ZO_KERNEL_SLOT(GetStructDescription, kOptionDescriptionNotLoaded);
    // -- previews and library files
    o.GetBlockPreview = ZO_KERNEL_SLOT(GetBlockPreview, kPreviewRefused);
    o.FreeBlockPreview = ZO_KERNEL_SLOT(FreeBlockPreview, kPreviewNotReleased);
    o.ClearLibraryFiles = ZO_KERNEL_SLOT(ClearLibraryFiles, kLibraryFilesNotCleared);
    o.LibraryFileCount = ZO_KERNEL_SLOT(LibraryFileCount, 0);
    o.GetLibraryFile = ZO_KERNEL_SLOT(GetLibraryFile, nullptr);
    o.AddLibraryFile = ZO_KERNEL_SLOT(AddLibraryFile, kLibraryFileNotAdded);
    fillHostDefaults(o);
}

}  // namespace zo::kernel
