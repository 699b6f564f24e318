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

// Host defaults: what answers until the host has written its slots.
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

void fillStructAccess(TKernelOptions& o) {
    FillStructAccess(o.Inspector.StructAccess);
    FillStructAccess(o.StructAccess);
    o.Inspector.GetStructPath = GetStructPath;
    o.Inspector.GetStructItemPtr = GetStructItemPtr;
}

}  // namespace

void FillKernelOptions(TKernelOptions& o) {
    o.KernelInit = KernelInit;
    o.KernelDone = KernelDone;
    fillStructAccess(o);
    o.GetProgramFolder = GetProgramFolder;
    o.GetDeviceFolder = GetDeviceFolder;
    o.GetProjectFolder = GetProjectFolder;
    o.GetStructFolder = GetStructFolder;
    o.GetUploadFolder = GetUploadFolder;
    o.GetConfigurationFolder = GetConfigurationFolder;
    o.GetDeviceRuntimeFolder = GetDeviceRuntimeFolder;
    o.SetLogCallback = SetLogCallback;
    o.KernelLog = KernelLog;
    // -- sheets and new project
    o.NewProject = NewProject;
    o.GetSheetCount = GetSheetCount;
    o.GetSheet = GetSheet;
    o.ResizeSheet = ResizeSheet;
    o.OpenSheetWindow = OpenSheetWindow;
    o.AddSheet = AddSheet;
    o.DeleteSheet = DeleteSheet;
    o.SetSheetWindow = SetSheetWindow;
    // -- dropping blocks, block pictures and hit testing
    o.SheetHitTest = SheetHitTest;
    o.GetBlockPath = GetBlockPath;
    o.GetBlockLibrary = GetBlockLibrary;
    o.GetBlockInfoBitmap = GetBlockInfoBitmap;
    o.DrawBlockPicture = DrawBlockPicture;
    o.DrawBlockComments = DrawBlockComments;
    o.ReleaseObject = ReleaseObject;
    o.SheetDragOver = SheetDragOver;
    o.SheetDragDrop = SheetDragDrop;
    // -- project file, device file, channel base
    o.SaveProject = SaveProject;
    o.WriteChannelList = WriteChannelList;
    o.GetDeviceFilePath = GetDeviceFilePath;
    o.GetDeviceProgram = GetDeviceProgram;
    o.EditProjectHeader = EditProjectHeader;
    // -- opening and closing, configuration file, upload folder
    o.OpenProject = OpenProject;
    o.CloseProject = CloseProject;
    o.CreateConfigFile = CreateConfigFile;
    o.BuildProjectFolder = BuildProjectFolder;
    // -- modes and debugging
    o.SetMode = SetMode;
    o.GetMode = GetMode;
    o.ForwardToDebugger = ForwardToDebugger;
    // -- mouse editing, connections, painting
    o.PaintScheme = PaintScheme;
    o.SheetMouseDown = SheetMouseDown;
    o.SheetMouseMove = SheetMouseMove;
    o.SheetMouseUp = SheetMouseUp;
    // -- keyboard and clipboard
    o.SheetKeyDown = SheetKeyDown;
    o.SheetKeyUp = SheetKeyUp;
    // -- project tree
    o.ProjectTreeClick = ProjectTreeClick;
    o.ProjectTreeDblClick = ProjectTreeDblClick;
    o.ProjectTreeKeyUp = ProjectTreeKeyUp;
    // -- option blocks
    o.GetKernelOptionBlock = GetKernelOptionBlock;
    o.SaveOptionBlock = SaveOptionBlock;
    o.LoadOptionBlock = LoadOptionBlock;
    o.GetStructDescription = GetStructDescription;
    // -- previews and library files
    o.GetBlockPreview = GetBlockPreview;
    o.FreeBlockPreview = FreeBlockPreview;
    o.ClearLibraryFiles = ClearLibraryFiles;
    o.LibraryFileCount = LibraryFileCount;
    o.GetLibraryFile = GetLibraryFile;
    o.AddLibraryFile = AddLibraryFile;
    fillHostDefaults(o);
}

}  // namespace zo::kernel
