#pragma once
// TKernelOptions: the one record through which the program and the kernel
// library ZoKernelConfig reach each other. The kernel fills its slots when the
// library is loaded; the host overwrites its own slots (marked "host") before it
// calls KernelInit. Every slot uses the C calling convention; text is
// zero-terminated Windows-1251; a returned text lives in a kernel buffer until
// the next kernel call.

#include "common/abi/AbiLayout.h"
#include "common/abi/ConvertOptions.h"
#include "common/abi/LogProc.h"
#include "common/abi/StringList.h"
#include "common/abi/StructAccess.h"

#include <cstdint>

extern "C" {

struct TSheetRecord;      // the kernel's sheet record
struct TZoStream;         // byte stream shared across library boundaries

typedef void (*TVoidProc)();
typedef int32_t (*TIntProc)();
typedef const char* (*TGetTextProc)();
typedef const char* (*TGetIndexedTextProc)(int32_t index);
typedef int32_t (*TPathProc)(const char* text);
typedef int32_t (*TNewProjectProc)(const char* projectName, const char* deviceFile);
typedef int32_t (*TCreateConfigFileProc)(const char* cfgPath, const char* logName, TZoStringList* list);
typedef int32_t (*TWriteChannelListProc)(TZoStream* stream);
typedef void (*TSetModeProc)(uint8_t mode);
typedef uint8_t (*TGetModeProc)();
typedef TSheetRecord* (*TGetSheetProc)(int32_t index);
typedef int32_t (*TCreateSchemeWindowProc)(const char* sheetName, int32_t* rect, int32_t* scroll, float* scale);
typedef int32_t (*TResizeSheetProc)(const char* sheetName, int32_t dLeft, int32_t dTop, int32_t dRight, int32_t dBottom);
typedef int32_t (*TSheetBitmapProc)(const char* sheetName, void** bitmap);
typedef int32_t (*TRenameProc)(const char* oldName, const char* newName);
typedef int32_t (*TSetSheetWindowProc)(const char* sheetName, int32_t left, int32_t top, int32_t right,
                                       int32_t bottom, int32_t hScroll, int32_t vScroll, float scale);
typedef int32_t (*TSheetKeyProc)(const char* sheetName, uint16_t key, uint8_t shift, uint8_t* changed);
typedef int32_t (*TSheetMouseButtonProc)(const char* sheetName, int32_t x, int32_t y, uint8_t button,
                                         char* statusText, uint8_t* changed);
typedef int32_t (*TSheetMouseMoveProc)(const char* sheetName, int32_t x, int32_t y, char* statusText,
                                       char* hintText, int16_t* cursor, uint8_t* changed);
typedef void* (*TGetProjectTreeProc)();
typedef int32_t (*TProjectTreeClickProc)(const char* sheetName, uint32_t blockIndex);
typedef void (*TProjectTreeDblClickProc)(const char* sheetName);
typedef int32_t (*TProjectTreeKeyUpProc)(const char* sheetName, uint32_t blockIndex, uint16_t key);
typedef int32_t (*TSheetHitTestProc)(const char* sheetName, int32_t x, int32_t y, int32_t* selectedBlocks,
                                     int32_t* selectedLinks, int32_t* blockIndex, int32_t* linkIndex);
typedef const char* (*TGetBlockTextProc)(const char* sheetName, int32_t blockIndex);
typedef int32_t (*TPathBitmapProc)(const char* blockPath, void** bitmap);
typedef void (*TReleaseObjectProc)(void** object);
typedef int32_t (*TSheetDragOverProc)(const char* sheetName, void* bitmap, void* source, uint16_t x, uint16_t y,
                                      int32_t kind);
typedef int32_t (*TSheetDragDropProc)(const char* sheetName, void* source, uint16_t x, uint16_t y);
typedef void (*TSetLogCallbackProc)(const char* logName, TLogWriteProc callback);
typedef int32_t (*TOptionBlockProc)(const char* descriptionPath, const char* valuePath, void* block, int32_t size);
typedef int32_t (*TGetStructDescriptionProc)(const char* descriptionPath, void** structRef, int32_t* size);
typedef int32_t (*TForwardToDebuggerProc)(int32_t a, int32_t b, int32_t c, int32_t d, uint8_t e);
typedef int32_t (*TFreeBlockPreviewProc)(void** bitmap);
typedef int32_t (*TSetStatusTextProc)(int32_t panel, const char* text);
typedef int32_t (*TGetKernelOptionBlockProc)(const char* name, void** data, int32_t* size, int32_t* reserved);

// Called after the inspector stored a value; no arguments.
typedef void (*TPropertiesChangedProc)();
typedef int32_t (*TShowElementPropertiesProc)(const char* caption, int32_t count, const TStructInstance* items,
                                              TPropertiesChangedProc onChange, int32_t left, int32_t top,
                                              int32_t right, int32_t bottom);
typedef int32_t (*TReplaceElementPropertiesProc)(const char* caption, int32_t count, const TStructInstance* items,
                                                 TPropertiesChangedProc onChange);
typedef const char* (*TGetStructPathProc)(const TStructInstance* instance);

#pragma pack(push, 1)

// The part of TKernelOptions handed to the property inspector.
struct TInspectorRecord {
    TConvertOptions* ConvertOptions;  // kernel copies the host's record here in KernelInit
    uint8_t Reserved[17];
    TVoidProc RepaintInspector;                              // host
    TShowElementPropertiesProc ShowElementProperties;        // host
    TReplaceElementPropertiesProc ReplaceElementProperties;  // host
    TSetStatusTextProc SetStatusText;                        // host
    TGetStructPathProc GetStructPath;
    TStructAccess StructAccess;
    TGetStructItemPtrProc GetStructItemPtr;
};

struct TKernelOptions {
    char Description[40];
    void* HostApplication;  // host
    void* HostScreen;       // host
    TVoidProc KernelInit;
    TIntProc KernelDone;
    TInspectorRecord Inspector;
    TGetKernelOptionBlockProc GetKernelOptionBlock;
    TStructAccess StructAccess;
    TGetTextProc GetProgramFolder;
    TGetTextProc GetDeviceFolder;
    TGetTextProc GetProjectFolder;
    TGetTextProc GetStructFolder;
    TGetTextProc GetUploadFolder;
    TGetTextProc GetConfigurationFolder;
    TGetTextProc GetDeviceRuntimeFolder;
    TConvertOptions* ConvertOptions;
    TNewProjectProc NewProject;
    TPathProc OpenProject;
    TPathProc CloseProject;
    TPathProc SaveProject;
    TCreateConfigFileProc CreateConfigFile;
    TPathProc BuildProjectFolder;
    TWriteChannelListProc WriteChannelList;
    TGetTextProc GetDeviceFilePath;
    TGetTextProc GetDeviceProgram;
    TIntProc EditProjectHeader;
    TSetModeProc SetMode;
    TGetModeProc GetMode;
    TVoidProc UpdateActionStates;
    TIntProc GetSheetCount;
    TGetSheetProc GetSheet;
    TPathProc CloseSchemeWindow;
    TIntProc CloseAllSchemeWindows;
    TCreateSchemeWindowProc CreateSchemeWindow;
    TResizeSheetProc ResizeSheet;
    TSheetBitmapProc PaintScheme;
    TVoidProc RepaintSchemeWindows;
    TPathProc ShowSchemeWindow;
    TPathProc OpenSheetWindow;
    TVoidProc AddSheet;
    TPathProc DeleteSheet;
    TPathProc StoreSchemeWindowState;
    TRenameProc RenameSchemeWindow;
    TSetSheetWindowProc SetSheetWindow;
    TSheetKeyProc SheetKeyDown;
    TSheetKeyProc SheetKeyUp;
    TSheetMouseButtonProc SheetMouseDown;
    TSheetMouseMoveProc SheetMouseMove;
    TSheetMouseButtonProc SheetMouseUp;
    TGetProjectTreeProc GetProjectTree;
    TProjectTreeClickProc ProjectTreeClick;
    TProjectTreeDblClickProc ProjectTreeDblClick;
    TProjectTreeKeyUpProc ProjectTreeKeyUp;
    TSheetHitTestProc SheetHitTest;
    TGetBlockTextProc GetBlockPath;
    TGetBlockTextProc GetBlockLibrary;
    TPathBitmapProc GetBlockInfoBitmap;
    TPathBitmapProc DrawBlockPicture;
    TPathBitmapProc DrawBlockComments;
    TReleaseObjectProc ReleaseObject;
    TSheetDragOverProc SheetDragOver;
    TSheetDragDropProc SheetDragDrop;
    TSetLogCallbackProc SetLogCallback;
    TLogProc KernelLog;
    TOptionBlockProc SaveOptionBlock;
    TOptionBlockProc LoadOptionBlock;
    TGetStructDescriptionProc GetStructDescription;
    TForwardToDebuggerProc ForwardToDebugger;
    TPathBitmapProc GetBlockPreview;
    TFreeBlockPreviewProc FreeBlockPreview;
    TSetStatusTextProc SetStatusText;
    TIntProc ClearLibraryFiles;
    TIntProc LibraryFileCount;
    TGetIndexedTextProc GetLibraryFile;
    TPathProc AddLibraryFile;
};

#pragma pack(pop)

// The export of the kernel library.
typedef void (*TGetInfoProc)(void** record, int32_t* size);

}  // extern "C"

ZO_ABI_CHECK_OFFSET(TInspectorRecord, Reserved, 4, 1);
ZO_ABI_CHECK_OFFSET(TInspectorRecord, RepaintInspector, 21, 1);
ZO_ABI_CHECK_OFFSET(TInspectorRecord, SetStatusText, 33, 4);
ZO_ABI_CHECK_OFFSET(TInspectorRecord, StructAccess, 41, 6);
ZO_ABI_CHECK_OFFSET(TInspectorRecord, GetStructItemPtr, 93, 19);
ZO_ABI_CHECK_SIZE(TInspectorRecord, 97, 20);

ZO_ABI_CHECK_OFFSET(TKernelOptions, HostApplication, 40, 0);
ZO_ABI_CHECK_OFFSET(TKernelOptions, KernelInit, 48, 2);
ZO_ABI_CHECK_OFFSET(TKernelOptions, KernelDone, 52, 3);
ZO_ABI_CHECK_OFFSET(TKernelOptions, Inspector, 56, 4);
ZO_ABI_CHECK_OFFSET(TKernelOptions, GetKernelOptionBlock, 153, 24);
ZO_ABI_CHECK_OFFSET(TKernelOptions, StructAccess, 157, 25);
ZO_ABI_CHECK_OFFSET(TKernelOptions, GetProgramFolder, 209, 38);
ZO_ABI_CHECK_OFFSET(TKernelOptions, GetDeviceFolder, 213, 39);
ZO_ABI_CHECK_OFFSET(TKernelOptions, GetProjectFolder, 217, 40);
ZO_ABI_CHECK_OFFSET(TKernelOptions, GetStructFolder, 221, 41);
ZO_ABI_CHECK_OFFSET(TKernelOptions, GetUploadFolder, 225, 42);
ZO_ABI_CHECK_OFFSET(TKernelOptions, GetConfigurationFolder, 229, 43);
ZO_ABI_CHECK_OFFSET(TKernelOptions, GetDeviceRuntimeFolder, 233, 44);
ZO_ABI_CHECK_OFFSET(TKernelOptions, ConvertOptions, 237, 45);
ZO_ABI_CHECK_OFFSET(TKernelOptions, NewProject, 241, 46);
ZO_ABI_CHECK_OFFSET(TKernelOptions, OpenProject, 245, 47);
ZO_ABI_CHECK_OFFSET(TKernelOptions, CloseProject, 249, 48);
ZO_ABI_CHECK_OFFSET(TKernelOptions, SaveProject, 253, 49);
ZO_ABI_CHECK_OFFSET(TKernelOptions, CreateConfigFile, 257, 50);
ZO_ABI_CHECK_OFFSET(TKernelOptions, BuildProjectFolder, 261, 51);
ZO_ABI_CHECK_OFFSET(TKernelOptions, WriteChannelList, 265, 52);
ZO_ABI_CHECK_OFFSET(TKernelOptions, GetDeviceFilePath, 269, 53);
ZO_ABI_CHECK_OFFSET(TKernelOptions, GetDeviceProgram, 273, 54);
ZO_ABI_CHECK_OFFSET(TKernelOptions, EditProjectHeader, 277, 55);
ZO_ABI_CHECK_OFFSET(TKernelOptions, SetMode, 281, 56);
ZO_ABI_CHECK_OFFSET(TKernelOptions, GetMode, 285, 57);
ZO_ABI_CHECK_OFFSET(TKernelOptions, UpdateActionStates, 289, 58);
ZO_ABI_CHECK_OFFSET(TKernelOptions, GetSheetCount, 293, 59);
ZO_ABI_CHECK_OFFSET(TKernelOptions, GetSheet, 297, 60);
ZO_ABI_CHECK_OFFSET(TKernelOptions, CloseSchemeWindow, 301, 61);
ZO_ABI_CHECK_OFFSET(TKernelOptions, CloseAllSchemeWindows, 305, 62);
ZO_ABI_CHECK_OFFSET(TKernelOptions, CreateSchemeWindow, 309, 63);
ZO_ABI_CHECK_OFFSET(TKernelOptions, ResizeSheet, 313, 64);
ZO_ABI_CHECK_OFFSET(TKernelOptions, PaintScheme, 317, 65);
ZO_ABI_CHECK_OFFSET(TKernelOptions, RepaintSchemeWindows, 321, 66);
ZO_ABI_CHECK_OFFSET(TKernelOptions, ShowSchemeWindow, 325, 67);
ZO_ABI_CHECK_OFFSET(TKernelOptions, OpenSheetWindow, 329, 68);
ZO_ABI_CHECK_OFFSET(TKernelOptions, AddSheet, 333, 69);
ZO_ABI_CHECK_OFFSET(TKernelOptions, DeleteSheet, 337, 70);
ZO_ABI_CHECK_OFFSET(TKernelOptions, StoreSchemeWindowState, 341, 71);
ZO_ABI_CHECK_OFFSET(TKernelOptions, RenameSchemeWindow, 345, 72);
ZO_ABI_CHECK_OFFSET(TKernelOptions, SetSheetWindow, 349, 73);
ZO_ABI_CHECK_OFFSET(TKernelOptions, SheetKeyDown, 353, 74);
ZO_ABI_CHECK_OFFSET(TKernelOptions, SheetKeyUp, 357, 75);
ZO_ABI_CHECK_OFFSET(TKernelOptions, SheetMouseDown, 361, 76);
ZO_ABI_CHECK_OFFSET(TKernelOptions, SheetMouseMove, 365, 77);
ZO_ABI_CHECK_OFFSET(TKernelOptions, SheetMouseUp, 369, 78);
ZO_ABI_CHECK_OFFSET(TKernelOptions, GetProjectTree, 373, 79);
ZO_ABI_CHECK_OFFSET(TKernelOptions, ProjectTreeClick, 377, 80);
ZO_ABI_CHECK_OFFSET(TKernelOptions, ProjectTreeDblClick, 381, 81);
ZO_ABI_CHECK_OFFSET(TKernelOptions, ProjectTreeKeyUp, 385, 82);
ZO_ABI_CHECK_OFFSET(TKernelOptions, SheetHitTest, 389, 83);
ZO_ABI_CHECK_OFFSET(TKernelOptions, GetBlockPath, 393, 84);
ZO_ABI_CHECK_OFFSET(TKernelOptions, GetBlockLibrary, 397, 85);
ZO_ABI_CHECK_OFFSET(TKernelOptions, GetBlockInfoBitmap, 401, 86);
ZO_ABI_CHECK_OFFSET(TKernelOptions, DrawBlockPicture, 405, 87);
ZO_ABI_CHECK_OFFSET(TKernelOptions, DrawBlockComments, 409, 88);
ZO_ABI_CHECK_OFFSET(TKernelOptions, ReleaseObject, 413, 89);
ZO_ABI_CHECK_OFFSET(TKernelOptions, SheetDragOver, 417, 90);
ZO_ABI_CHECK_OFFSET(TKernelOptions, SheetDragDrop, 421, 91);
ZO_ABI_CHECK_OFFSET(TKernelOptions, SetLogCallback, 425, 92);
ZO_ABI_CHECK_OFFSET(TKernelOptions, KernelLog, 429, 93);
ZO_ABI_CHECK_OFFSET(TKernelOptions, SaveOptionBlock, 433, 94);
ZO_ABI_CHECK_OFFSET(TKernelOptions, LoadOptionBlock, 437, 95);
ZO_ABI_CHECK_OFFSET(TKernelOptions, GetStructDescription, 441, 96);
ZO_ABI_CHECK_OFFSET(TKernelOptions, ForwardToDebugger, 445, 97);
ZO_ABI_CHECK_OFFSET(TKernelOptions, GetBlockPreview, 449, 98);
ZO_ABI_CHECK_OFFSET(TKernelOptions, FreeBlockPreview, 453, 99);
ZO_ABI_CHECK_OFFSET(TKernelOptions, SetStatusText, 457, 100);
ZO_ABI_CHECK_OFFSET(TKernelOptions, ClearLibraryFiles, 461, 101);
ZO_ABI_CHECK_OFFSET(TKernelOptions, LibraryFileCount, 465, 102);
ZO_ABI_CHECK_OFFSET(TKernelOptions, GetLibraryFile, 469, 103);
ZO_ABI_CHECK_OFFSET(TKernelOptions, AddLibraryFile, 473, 104);
ZO_ABI_CHECK_SIZE(TKernelOptions, 477, 105);

// The size the kernel reports and the program requires, as laid out here.
inline constexpr int32_t kKernelOptionsSize = int32_t(sizeof(TKernelOptions));
