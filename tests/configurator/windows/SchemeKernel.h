#pragma once
// The real kernel library for scheme-window tests where the kernel's answers
// matter: bound from a temporary program folder that holds the shipped
// structures, devices and element library files, started with KernelInit and
// given one new sheet. The host's status-bar and repaint slots are recorded.

#include "support/TestSupport.h"

#include "common/abi/DragObject.h"
#include "common/abi/KernelOptions.h"

#include <QString>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace zo::test {

// What went to the host.
struct SchemeCalls {
    std::map<int, std::vector<std::string>> status;  // panel -> texts (UTF-8)
    int repaints = 0;                                 // RepaintSchemeWindows
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
