#pragma once
// Everything the kernel owns from library load to unload: the record it
// publishes, the lock, the log, the program folders, the project header, the
// structure cache and the kernel's lists. One instance, made when the library
// is loaded and freed when it is unloaded.

#include "common/MenObj.h"
#include "common/abi/BlockRecord.h"
#include "common/abi/ConnectionRecord.h"
#include "common/abi/KernelOptions.h"
#include "common/abi/SheetRecord.h"
#include "common/abi/VisibleOptions.h"
#include "kernel/PaintedSheet.h"

#include <QImage>

#include <mutex>
#include <string>
#include <vector>

namespace zo {
class TArhivStruc;
class TStruct;
class TLibraryBinding;
}  // namespace zo

namespace zo::kernel {

// Item sizes of the kernel's lists.
// A line type: the 95-byte record "Описание_соединения" followed by the pointer
// to the type's image list (native width), at the next pointer-aligned offset
// so that the item holds it where a leak checker scanning for pointers finds it.
inline constexpr uint16_t kLineTypeRecordSize = 95;
inline constexpr uint16_t kLineTypeImagesOffset = (kLineTypeRecordSize + sizeof(void*) - 1) / sizeof(void*) * sizeof(void*);
inline constexpr uint16_t kLineTypeItemSize = kLineTypeImagesOffset + sizeof(void*);
inline constexpr uint16_t kSheetItemSize = sizeof(TSheetRecord);
inline constexpr uint16_t kBlockItemSize = sizeof(TBlockRecord);
inline constexpr uint16_t kConnectionItemSize = sizeof(TConnectionRecord);
// A channel: 126 bytes followed by the pointer to the buffer the item owns
// (native width: 130 bytes with 4-byte pointers, 134 on x86-64).
inline constexpr uint16_t kChannelItemSize = 126 + sizeof(void*);
inline constexpr uint16_t kLibraryFileItemSize = 100;

// Editing modes.
inline constexpr uint8_t kModeSelect = 0;
inline constexpr uint8_t kModeConnect = 2;
inline constexpr uint8_t kModeDebug = 3;

// One entry of the net value list: the value's text and its tag (low 16 bits
// the line type of the net's connections, third byte the error flag, fourth
// byte the debugger's second status byte).
struct TNetValue {
    std::string text;
    uint32_t tag = 65535;
};

struct KernelState {
    KernelState();
    ~KernelState();
    KernelState(const KernelState&) = delete;
    KernelState& operator=(const KernelState&) = delete;

    std::recursive_mutex lock;

    // Log.
    TLogWriteProc logCallback = nullptr;
    char logName[261] = {};

    // Host objects the kernel was given, and its own (restored by KernelDone).
    void* savedApplication = nullptr;
    void* savedScreen = nullptr;

    // Folders: the current folder when the library was loaded, then the ones
    // KernelInit works out (bare suffixes until then).
    char programFolder[261] = {};
    std::string programPath;
    std::string registryPath;
    std::string runtimeFolder = "\\Runtime";
    std::string configurationFolder = "\\Configuration";
    std::string uploadFolder = "\\Upload";
    std::string deviceFolder = "\\Device";
    std::string projectFolder = "\\Project";
    std::string structFolder = "\\Struct";
    std::string systemFolder = "\\System";
    std::string runtimeFolderBuffer;  // GetDeviceRuntimeFolder's answer

    // Project header.
    char projectName[61] = {};
    char deviceFileName[61] = {};
    char deviceProgram[61] = {};
    char projectPath[261] = {};
    char editSheetName[61] = {};
    char editBlockName[61] = {};
    uint8_t configFileType = 1;  // 1 full, 2 simplified configuration file
    // The device header record of the open project: a value record of the
    // device's "Header" description, std::calloc'ed, freed with std::free.
    void* headerRecord = nullptr;

    // The structure cache and the conversion record of the structure layer.
    TArhivStruc* structCache = nullptr;
    const TConvertOptions* convertOptions = nullptr;

    uint8_t mode = kModeSelect;

    // The kernel's lists.
    TMenObj lineTypes;
    TMenObj sheets;
    TMenObj clipboardBlocks;
    TMenObj clipboardLinks;
    TMenObj layingLink;
    TMenObj channels;
    TMenObj libraryFiles;

    // The painter's work pictures.
    QImage paintBitmap;
    QImage workBitmap;
    // What paintBitmap shows of the sheet painted last (outside debug mode).
    TPaintedSheet paintedSheet;
    // The net value list (the painter's debug value list), see NetValues.h.
    std::vector<TNetValue> netValues;

    // GetStructDescription's shared description.
    TStruct* sharedDescription = nullptr;

    // The kernel's option block "ConfiguratorBuilder": byte 0 = 1 groups the
    // unbound FBD input pins into one net, byte 1 = 1 the unbound output pins.
    uint8_t builderOptions[2] = {};
    // The kernel's copy of the program's display block "ConfiguratorVisible"
    // (grid, names, colours): the painter and the scheme windows read it.
    TVisibleOptions visibleOptions = kDefaultVisibleOptions;
    // Whether the block pictures were drawn with their pin names.
    bool picturesWithPinNames = true;
};

// The state of the loaded kernel; only valid between library load and unload.
KernelState& State();
TKernelOptions& Options();

// Made at library load, freed at unload (once each).
void CreateState();
void DestroyState();
bool StateExists();

}  // namespace zo::kernel
