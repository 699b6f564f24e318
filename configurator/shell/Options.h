#pragma once
// The option blocks of the program: the three blocks it owns ("ConfiguratorUpdate",
// "ConfiguratorVisible", "ConfiguratorConnect"), the lookup GetOptionBlock that
// hands any other name to the kernel, and the walk over the options tree of
// Options.xml that loads every known block at start and saves it at exit
// through the kernel's LoadOptionBlock / SaveOptionBlock.

#include "common/abi/AbiLayout.h"
#include "common/abi/ProxySettings.h"
#include "configurator/link/OptionsLink.h"

#include <cstdint>
#include <string>

namespace zo::configurator {

class TProjectSession;

inline constexpr int32_t kUpdateBlockSize = 17;   // offset 8: time of the last update applied (days)
inline constexpr int32_t kVisibleBlockSize = 12;

// The program's blocks, zero at start but the display block, which starts at
// the painter's own look (TVisibleOptions defaults).
struct TProgramOptionBlocks {
    uint8_t Update[kUpdateBlockSize];
    uint8_t Visible[kVisibleBlockSize];
    TProxySettings Connect;
};
TProgramOptionBlocks& ProgramOptionBlocks();

// The program's blocks by exact name (Reserved 0, result 0); any other name
// goes to the kernel's GetKernelOptionBlock (-1 when the kernel is not bound).
int32_t GetOptionBlock(const char* name, void** data, int32_t* size, int32_t* reserved);

// The kernel's block transfer (LoadOptionBlock / SaveOptionBlock).
using TOptionBlockProc = int32_t (*)(const char* descriptionPath, const char* valuePath, void* block, int32_t size);

// Results of the walks.
inline constexpr int32_t kOptionsNilArgument = -1;
inline constexpr int32_t kOptionsFileNotOpened = -2;
inline constexpr int32_t kOptionsBadFileOrTransfer = -3;
// Longest settings path that a value path may start with.
inline constexpr size_t kMaxSettingsPath = 255;

// Moves every block of the options tree from the settings: each TREENODE with
// NAME and STRUCT whose block the lookup knows is loaded with description path
// <options file>/OPTIONS/STRUCT/<STRUCT> and value path <settings path>/<STRUCT>.
// A block the settings file does not hold keeps the defaults the kernel gave
// it and the walk goes on (so a first start gives every block its defaults);
// the result is then -3. A settings path longer than 255 characters is
// refused (-1): cut, it would name another file.
int32_t LoadOptionBlocks(const char* optionsFile, const char* settingsPath, TOptionBlockLookup lookup,
                         TOptionBlockProc load);
// The same walk writing every block; a block that fails to save does not keep
// the others from being saved (result -3).
int32_t SaveOptionBlocks(const char* optionsFile, const char* settingsPath, TOptionBlockLookup lookup,
                         TOptionBlockProc save);

// The settings file of a settings path (the path without its last "/" part)
// readable by its owner only, since it holds the proxy password: made with
// its empty root element when absent, group and other rights taken away when
// present. false when it cannot be made so. SaveOptionBlocks calls it first.
bool PrepareSettingsFile(const std::string& settingsPath);

// Hands the program's display block ("ConfiguratorVisible") to the kernel's
// copy, which the painter and the windows read: after the blocks were loaded
// and after every options dialog. false when no kernel took it.
bool HandVisibleOptionsToKernel(const TProjectSession& session);

// The two paths the program gives the walks: <Struct folder>\Options.xml and
// <Struct folder>\Configurator.xml/setings; from "Struct\" of the current
// folder when the kernel is not bound.
std::string OptionsFilePath(const TProjectSession& session);
std::string SettingsPath(const TProjectSession& session);

// Where the options dialog opens: W = min(screen width div 2, 600), H = min(screen
// height div 2, 300), centred (left = sw div 2 - W div 2, right = sw div 2 + W div 2,
// top and bottom likewise); as (Left, Top, Right, Bottom).
struct TOptionsRect {
    int Left, Top, Right, Bottom;
    bool operator==(const TOptionsRect&) const = default;
};
TOptionsRect OptionsDialogRect(int screenWidth, int screenHeight);
// The options file of the options commands: the Struct folder's Options.xml,
// "Struct\Options.xml" of the current folder when the kernel is not bound.
std::string OptionsDialogFile(const TProjectSession& session);

}  // namespace zo::configurator
