#pragma once
// A kernel state on a temporary program folder holding a device description
// "Test.dev", with helpers that build a project model in memory the way the
// kernel keeps it: sheets with their block and connection lists, blocks with
// their descriptions, data and display parameters.

#include "KernelHost.h"

#include "common/abi/BlockRecord.h"
#include "common/abi/ConnectionRecord.h"
#include "common/abi/KernelOptions.h"
#include "common/abi/SheetRecord.h"

#include <gtest/gtest.h>

#include <string>

namespace zo {
class TStruct;
}

namespace zo::test {

class ProjectModel : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The program folder path and a file below it (native form).
    std::string programPath() const { return program_.path(); }
    std::string file(const std::string& relative) const { return program_.sub(relative); }

    // Description path of a block of the shipped Base.xml, in the form the
    // element library gives it (program folder + "\Struct\Base.xml/FBD/...").
    std::string basePath(const std::string& block) const;

    // The device header of a new project of the device "Test.dev" (defaults,
    // then Device and Name), the project header fields set.
    void newProject(const std::string& projectNameUtf8, uint8_t configFileType = 1);

    // Appends a sheet (defaults of a new sheet) and answers its index.
    uint16_t addSheet(const std::string& nameUtf8);
    TSheetRecord* sheet(uint16_t index);
    // Appends a block of the description at path with defaults in its data and
    // display parameters; answers its index in the sheet's blocks.
    uint16_t addBlock(uint16_t sheetIndex, const std::string& path, const std::string& nameUtf8, int32_t left,
                      int32_t top);
    TBlockRecord* block(uint16_t sheetIndex, uint16_t index);
    // Sets a field of a block's data by name (text in UTF-8).
    void setData(TBlockRecord* block, const std::string& field, const std::string& valueUtf8);
    std::string data(const TBlockRecord* block, const std::string& field) const;  // UTF-8
    // Appends a pin (cell offsets from the block's top-left, field index, line type).
    void addPin(TBlockRecord* block, int16_t x, int16_t y, int16_t field, int16_t lineType);
    // Appends a connection from (x1, y1) to (x2, y2).
    void addLink(uint16_t sheetIndex, uint16_t x1, uint16_t y1, uint16_t x2, uint16_t y2);
    TConnectionRecord link(uint16_t sheetIndex, uint16_t index);

    // Frees what the helpers above allocated and empties the model.
    void freeModel();

    static uint32_t point(uint16_t x, uint16_t y) { return uint32_t(x) | (uint32_t(y) << 16); }

    ProgramFolder program_;
    ScopedCurrentDir cd_{program_.path()};
    LogRecorder log_;
    TKernelOptions savedOptions_{};
};

}  // namespace zo::test
