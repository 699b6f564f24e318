// The program's option blocks and the walk over the options tree.
#include "configurator/link/ProjectSession.h"
#include "configurator/shell/Options.h"

#include "common/KroKernelConfig.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

namespace zo::configurator {
namespace {

using test::TempDir;

TEST(GetOptionBlock, TheProgramsThreeBlocksByExactName) {
    struct Case {
        const char* name;
        void* data;
        int32_t size;
    } cases[] = {
        {"ConfiguratorUpdate", ProgramOptionBlocks().Update, 17},
        {"ConfiguratorVisible", ProgramOptionBlocks().Visible, 12},
        {"ConfiguratorConnect", &ProgramOptionBlocks().Connect, 158},
    };
    for (const Case& c : cases) {
        void* data = nullptr;
        int32_t size = 0, reserved = 7;
        EXPECT_EQ(GetOptionBlock(c.name, &data, &size, &reserved), 0) << c.name;
        EXPECT_EQ(data, c.data) << c.name;
        EXPECT_EQ(size, c.size) << c.name;
        EXPECT_EQ(reserved, 0) << c.name;
    }
}

std::vector<std::string> kernelAsked;
int32_t kernelBlock(const char* name, void** data, int32_t* size, int32_t* reserved) {
    kernelAsked.push_back(name);
    static uint8_t block[2];
    if (std::strcmp(name, "ConfiguratorBuilder") != 0) return -1;
    *data = block;
    *size = 2;
    *reserved = 0;
    return 0;
}

TEST(GetOptionBlock, OtherNamesGoToTheKernelAndFailWithoutIt) {
    void* data = nullptr;
    int32_t size = 0, reserved = 0;
    ASSERT_EQ(KernelOptionsPtr, nullptr);
    EXPECT_EQ(GetOptionBlock("ConfiguratorBuilder", &data, &size, &reserved), -1);

    TKernelOptions record{};
    record.GetKernelOptionBlock = kernelBlock;
    KernelOptionsPtr = &record;
    kernelAsked.clear();
    EXPECT_EQ(GetOptionBlock("ConfiguratorBuilder", &data, &size, &reserved), 0);
    EXPECT_EQ(size, 2);
    // Another letter case is not a program block.
    EXPECT_EQ(GetOptionBlock("configuratorupdate", &data, &size, &reserved), -1);
    KernelOptionsPtr = nullptr;
    EXPECT_EQ(kernelAsked, (std::vector<std::string>{"ConfiguratorBuilder", "configuratorupdate"}));
}

struct Transfer {
    std::string description, value;
    int32_t size;
};
std::vector<Transfer> transfers;
std::string failFor;  // the block whose transfer fails
int32_t recordTransfer(const char* description, const char* value, void*, int32_t size) {
    transfers.push_back({description, value, size});
    return failFor.size() && std::string(value).ends_with("/" + failFor) ? -1 : 0;
}

// Known blocks: A (4 bytes), B (6), C (8); anything else unknown.
int32_t lookup(const char* name, void** data, int32_t* size, int32_t* reserved) {
    static uint8_t buffer[8];
    const std::string n = name;
    if (n != "A" && n != "B" && n != "C") return -1;
    *data = buffer;
    *size = n == "A" ? 4 : n == "B" ? 6 : 8;
    *reserved = 0;
    return 0;
}

const char* kOptions = R"(<?xml version="1.0" encoding="windows-1251"?>
<OPTIONS>
  <MENU>
    <TREENODE NAME="Top">
      <TREENODE NAME="a" STRUCT="A"/>
      <TREENODE NAME="unknown" STRUCT="Nobody">
        <TREENODE NAME="b" STRUCT="B"/>
      </TREENODE>
      <OTHER NAME="skipped" STRUCT="A"><TREENODE NAME="x" STRUCT="C"/></OTHER>
      <TREENODE STRUCT="A"/>
    </TREENODE>
    <TREENODE NAME="c" STRUCT="C"/>
  </MENU>
</OPTIONS>
)";

class OptionWalk : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeBytes(dir.file("Options.xml"), kOptions);
        transfers.clear();
        failFor.clear();
    }
    std::string options() const { return dir.file("Options.xml"); }
    TempDir dir;
    test::UiRecorder ui;
};

TEST_F(OptionWalk, EveryKnownBlockInDocumentOrderWithItsPaths) {
    const std::string settings = dir.file("Configurator.xml") + "/setings";
    ASSERT_EQ(LoadOptionBlocks(options().c_str(), settings.c_str(), lookup, recordTransfer), 0);
    ASSERT_EQ(transfers.size(), 3u);
    EXPECT_EQ(transfers[0].description, options() + "/OPTIONS/STRUCT/A");
    EXPECT_EQ(transfers[0].value, settings + "/A");
    EXPECT_EQ(transfers[0].size, 4);
    // The children of a node naming an unknown block are still walked.
    EXPECT_EQ(transfers[1].value, settings + "/B");
    EXPECT_EQ(transfers[2].value, settings + "/C");
}

TEST_F(OptionWalk, ABlockThatFailsDoesNotEndTheWalk) {
    // On a first start the settings file holds no block: each load fails, each
    // block keeps its defaults, and every later block is still loaded.
    failFor = "A";
    const std::string settings = dir.file("Configurator.xml") + "/setings";
    EXPECT_EQ(LoadOptionBlocks(options().c_str(), settings.c_str(), lookup, recordTransfer), kOptionsBadFileOrTransfer);
    EXPECT_EQ(transfers.size(), 3u);
    transfers.clear();
    EXPECT_EQ(SaveOptionBlocks(options().c_str(), settings.c_str(), lookup, recordTransfer), kOptionsBadFileOrTransfer);
    EXPECT_EQ(transfers.size(), 3u);
}

TEST_F(OptionWalk, RefusalsTransferNothing) {
    const std::string settings = dir.file("Configurator.xml") + "/setings";
    test::writeBytes(dir.file("TwoMenus.xml"), "<OPTIONS><MENU/><MENU/></OPTIONS>");
    const std::string twoMenus = dir.file("TwoMenus.xml");
    const std::string missing = dir.file("Missing.xml");
    // A path one character past its field would be cut into another file's name.
    const std::string longSettings = std::string(kMaxSettingsPath - 8, 'x') + "/setings0";
    const std::string optionsFile = options();
    struct Case {
        const char* what;
        const char* options;
        const char* settings;
        TOptionBlockLookup lookup;
        TOptionBlockProc transfer;
        int32_t result;
    } cases[] = {
        {"nil options file", nullptr, settings.c_str(), lookup, recordTransfer, -1},
        {"nil settings", optionsFile.c_str(), nullptr, lookup, recordTransfer, -1},
        {"nil lookup", optionsFile.c_str(), settings.c_str(), nullptr, recordTransfer, -1},
        {"nil transfer", optionsFile.c_str(), settings.c_str(), lookup, nullptr, -1},
        {"settings path too long", optionsFile.c_str(), longSettings.c_str(), lookup, recordTransfer, -1},
        {"missing options file", missing.c_str(), settings.c_str(), lookup, recordTransfer, -2},
        {"two menus", twoMenus.c_str(), settings.c_str(), lookup, recordTransfer, -3},
    };
    for (const Case& c : cases) {
        transfers.clear();
        EXPECT_EQ(LoadOptionBlocks(c.options, c.settings, c.lookup, c.transfer), c.result) << c.what;
        EXPECT_TRUE(transfers.empty()) << c.what;
    }
    ASSERT_EQ(longSettings.size(), kMaxSettingsPath + 1);
}

TEST(OptionsCommands, DialogRectangleAndFile) {
    EXPECT_EQ(OptionsDialogRect(1920, 1080), (TOptionsRect{660, 390, 1260, 690}));
    EXPECT_EQ(OptionsDialogRect(1001, 501), (TOptionsRect{250, 125, 750, 375}));
    EXPECT_EQ(OptionsDialogRect(0, 0), (TOptionsRect{0, 0, 0, 0}));
    ASSERT_EQ(KernelOptionsPtr, nullptr);
    const TProjectSession unbound;
    EXPECT_EQ(OptionsDialogFile(unbound), "Struct\\Options.xml");
    EXPECT_EQ(SettingsPath(unbound), "Struct\\Configurator.xml/setings");
}

TEST(SettingsFile, HoldsThePasswordForItsOwnerOnly) {
    TempDir dir;
    const std::string file = dir.file("Configurator.xml");
    ASSERT_TRUE(PrepareSettingsFile(file + "/setings"));
    struct stat st{};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_NE(test::readBytes(file).find("<setings/>"), std::string::npos);

    // An existing file keeps its text and loses the rights of others.
    test::writeBytes(file, "<setings><A x=\"1\"/></setings>");
    ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
    ASSERT_TRUE(PrepareSettingsFile(file + "/setings"));
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(test::readBytes(file), "<setings><A x=\"1\"/></setings>");
}

}  // namespace
}  // namespace zo::configurator
