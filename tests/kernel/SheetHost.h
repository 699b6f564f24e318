#pragma once
// A program side for the kernel's editing slots: binds the real kernel library
// from a temporary program folder, plays the host's scheme windows, inspector
// and project tree, and drops blocks of a small element library onto sheets
// the way the element library window does.

#include "KernelHost.h"
#include "MemoryTree.h"

#include "common/abi/BlockRecord.h"
#include "common/abi/ConnectionRecord.h"
#include "common/abi/SheetRecord.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace zo::test {

class SheetHost : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    TKernelOptions& kernel() { return *KernelOptionsPtr; }

    // Sheets through the slots; names in UTF-8.
    std::string addSheet();  // the new sheet's name
    TSheetRecord* sheet(const std::string& name);
    int blockCount(const std::string& sheet);
    TBlockRecord* block(const std::string& sheet, int index);
    std::vector<std::string> blockNames(const std::string& sheet);
    // Drops a library block ("AND": pins A, Q of type Bool and a value K, default 5)
    // at a pixel position of the sheet: SheetDragDrop's result.
    int32_t drop(const std::string& sheet, const std::string& type, uint16_t x, uint16_t y);
    // A straight connection from cell (x1, y1) to cell (x2, y2), laid with the pointer in mode 1.
    void layLink(const std::string& sheet, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    int linkCount(const std::string& sheet);
    TConnectionRecord link(const std::string& sheet, int index);

    // Key presses and pointer moves through the slots; the last Changed is kept.
    int32_t key(const std::string& sheet, uint16_t code, uint8_t shift);
    void pointerAt(const std::string& sheet, int32_t x, int32_t y);
    void click(const std::string& sheet, int32_t x, int32_t y);

    // A value of a block's data by field name, through the structure accessors.
    std::string value(const TBlockRecord* block, const char* field);
    void setValue(TBlockRecord* block, const char* field, const std::string& text);

    ProgramFolder program_;
    TempDir config_;
    ScopedEnv env_{"XDG_CONFIG_HOME", config_.str()};
    ScopedCurrentDir cd_{program_.path()};
    LogRecorder log_;
    MemoryTree tree_;
    std::string libraryPath_;
    uint8_t changed_ = 0;

public:
    // What the host saw (names UTF-8).
    static std::set<std::string> windows;           // open scheme windows
    static std::vector<std::string> shown;           // ShowSchemeWindow calls
    static std::vector<std::string> closed;          // CloseSchemeWindow calls
    static int32_t renameResult;                     // what RenameSchemeWindow answers
    static int repaints;                             // RepaintSchemeWindows calls
    static int inspectorRepaints;
    // The inspector's current content.
    static std::string caption;
    static std::vector<TStructInstance> items;
    static TPropertiesChangedProc onChange;
};

}  // namespace zo::test
