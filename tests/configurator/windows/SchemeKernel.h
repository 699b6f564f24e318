#pragma once
// The real kernel library for scheme-window tests: bound from a temporary
// program folder that holds the shipped structures, devices and element
// library files, started with KernelInit and given one new sheet. The host's
// status bar and repaint slots and the kernel's log are recorded, and the
// sheet slots the window calls are counted on their way to the kernel.

#include "support/TestSupport.h"

#include "common/abi/DragObject.h"
#include "common/abi/KernelOptions.h"

#include <QString>

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <vector>

namespace zo::test {

// What went to the host and through the counted slots.
struct SchemeCalls {
    std::map<int, std::vector<std::string>> status;  // panel -> texts (UTF-8)
    std::vector<std::string> logs;                    // KernelLog texts (UTF-8)
    int repaints = 0;                                 // RepaintSchemeWindows
    int mouseDowns = 0, mouseUps = 0, mouseMoves = 0, dragOvers = 0, dragDrops = 0, resizes = 0, keyDowns = 0;
    std::array<int32_t, 2> lastPoint{};               // the last point given to a mouse or drag slot
    std::array<int32_t, 4> lastResize{};
    uint16_t lastKey = 0;
    uint8_t lastShift = 0;
    int32_t lastDragOver = 0;
    std::string lastStatus(int panel) const;
};

// An element library drag whose selected node holds a block path.
struct LibraryDrag {
    explicit LibraryDrag(const char* path);
    LibraryDrag(const LibraryDrag&) = delete;
    LibraryDrag& operator=(const LibraryDrag&) = delete;
    TLibraryNodeRecord node{};
    TDragControl tree{};
    TMyDragObject object{};
};

inline const char* const kAndPath = "\\Library\\Logic.xml/FBD/Logic/AND";

class SchemeKernel : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    TKernelOptions& kernel();
    TSheetRecord* sheet();
    int blockCount();

    QString sheetName;  // the new sheet

public:
    static SchemeCalls calls;

private:
    TempDir program_;
    TempDir config_;
    ScopedEnv env_{"XDG_CONFIG_HOME", config_.str()};
    std::unique_ptr<ScopedCurrentDir> cd_;
    UiRecorder ui_;
};

}  // namespace zo::test
