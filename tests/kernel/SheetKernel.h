#pragma once
// The kernel library as the program uses it for sheets and blocks: bound from
// a temporary program folder that holds the shipped device descriptions and
// element library files, started with KernelInit, its host slots played here
// (scheme windows, inspector, project tree), and element library blocks
// dropped through a drag object as the element library window hands it over.

#include "KernelHost.h"
#include "MemoryTree.h"

#include "common/abi/BlockRecord.h"
#include "common/abi/ConnectionRecord.h"
#include "common/abi/DragObject.h"
#include "common/abi/SheetRecord.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace zo::test {

// A drag from the element library tree whose selected node holds a block path.
struct LibraryDrag {
    explicit LibraryDrag(const std::string& path, const char* objectClass = "TMyDragObject",
                         const char* treeClass = "TTreeView");
    LibraryDrag(const LibraryDrag&) = delete;
    LibraryDrag& operator=(const LibraryDrag&) = delete;
    void* source() { return &object; }

    TLibraryNodeRecord node{};
    TDragControl tree{};
    TMyDragObject object{};
};

// Block description paths of the shipped element library files.
inline const char* const kAndPath = "\\Library\\Logic.xml/FBD/Logic/AND";
inline const char* const kRsPath = "\\Library\\Logic.xml/FBD/Logic/Triggers/RS";
inline const char* const kInPath = "\\Library\\Channels.xml/FBD/Channels/In";
inline const char* const kTonPath = "\\Library\\Timers\\Timers.xml/FBD/Timers/TON";

class SheetKernel : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    TKernelOptions& kernel() { return *KernelOptionsPtr; }
    // Binds and starts the kernel again (a fresh state, descriptions read anew).
    void restart();

    // Sheets through the slots: the new sheet's name (Windows-1251).
    std::string addSheet();
    TSheetRecord* sheet(const std::string& name);
    TBlockRecord* block(const std::string& sheetName, int index);
    int blockCount(const std::string& sheetName);
    std::string blockName(const std::string& sheetName, int index);  // Windows-1251
    // Drops the library block at a pixel point: SheetDragDrop's result.
    int32_t drop(const std::string& sheetName, const char* path, uint16_t x, uint16_t y);
    void addLink(const std::string& sheetName, uint16_t x1, uint16_t y1, uint16_t x2, uint16_t y2);
    // A field of a record through the kernel's structure accessors (Windows-1251).
    std::string value(const TStructInstance& instance, const char* field);
    bool setValue(const TStructInstance& instance, const char* field, const std::string& text);

    ProgramFolder program_;
    TempDir config_;
    ScopedEnv env_{"XDG_CONFIG_HOME", config_.str()};
    ScopedCurrentDir cd_{program_.path()};
    LogRecorder log_;
    UiRecorder ui_;  // parse-error boxes of files that are not there
    MemoryTree tree_;

    // What the host saw.
    struct WindowCall {
        std::string name;  // Windows-1251
        bool placed = false;
        int32_t rect[4] = {};
        int32_t scroll[2] = {};
        float scale = 0;
    };
    struct InspectorCall {
        std::string caption;  // Windows-1251
        int32_t count = 0;
        std::vector<TStructInstance> items;
        bool onChange = false;
        int32_t rect[4] = {};
    };
    static std::vector<WindowCall> created;
    static int32_t createResult;
    static std::set<std::string> openWindows;  // what ShowSchemeWindow finds
    static std::vector<std::string> showAsked;
    static std::vector<InspectorCall> shown;     // ShowElementProperties
    static std::vector<InspectorCall> replaced;  // ReplaceElementProperties
};

}  // namespace zo::test
