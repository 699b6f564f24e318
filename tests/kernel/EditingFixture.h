#pragma once
// A kernel state with sheets, blocks and connections for the editing tests:
// the shipped structures and line types, the graphic and routing libraries of
// the program folder, a recording inspector, and a Ctrl key the test holds.

#include "KernelHost.h"

#include "common/abi/BlockRecord.h"
#include "common/abi/ConnectionRecord.h"
#include "common/abi/PinRecord.h"
#include "common/abi/SheetRecord.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zo::test {

struct InspectorCall {
    std::string caption;  // UTF-8
    int32_t count = 0;
    bool hasChange = false;
};

class EditingFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A sheet appended to the kernel's list.
    TSheetRecord* addSheet(const std::string& name, uint16_t width = 40, uint16_t height = 30);
    TSheetRecord* sheet(const std::string& name);
    // Every block released and removed, every connection removed.
    void clearSheet(const std::string& name);
    // A block of the test library ("AND": inputs A, B and output Q of type Bool;
    // "CNT": input C and output N of type Int; "LONG": no pins, twelve "ID"
    // fields; "NOTE": no pins, no "Cod") with
    // its top-left cell at (left, top) and the given turn. Its index.
    int addBlock(const std::string& sheetName, const std::string& type, int32_t left, int32_t top, int turn = 0);
    TBlockRecord* block(const std::string& sheetName, int index);
    // The sheet cell of a block's pin named pinName.
    void pinCell(const std::string& sheetName, int block, const std::string& pinName, int32_t& x, int32_t& y);
    void addLink(const std::string& sheetName, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    // Connections as "x1,y1-x2,y2" texts, in list order.
    std::vector<std::string> links(const std::string& sheetName);
    TConnectionRecord link(const std::string& sheetName, int index);

    // Pointer gestures through the slots, in sheet pixels.
    int32_t down(const std::string& sheetName, int32_t x, int32_t y, uint8_t button = 0);
    int32_t move(const std::string& sheetName, int32_t x, int32_t y);
    int32_t up(const std::string& sheetName, int32_t x, int32_t y, uint8_t button = 0);
    void setCtrl(bool held);

    ProgramFolder program_;
    ScopedCurrentDir cd_{program_.path()};
    LogRecorder log_;
    std::string libraryPath_;
    // Outputs of the last gesture call (texts UTF-8).
    std::string status_, hint_;
    int16_t cursor_ = 0;
    uint8_t changed_ = 0;

public:
    static std::vector<InspectorCall> inspector;
    static int inspectorRepaints;
};

}  // namespace zo::test
