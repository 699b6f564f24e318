// The shipped devices and element libraries agree with the configuration file:
// a project holding one block of every kind a device's library offers writes
// every one of them, as an FBD block or as a channel.

#include "RealKernel.h"

#include "common/Struct.h"
#include "common/abi/DragObject.h"
#include "configurator/windows/LibraryTree.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace zo;
using namespace zo::configurator;
using namespace zo::test;

namespace {

// Element counts of a configuration file.
struct CfgContent {
    int blocks = 0;    // FBD block elements
    int channels = 0;  // In / Out channel items
    bool wellFormed = true;
};

CfgContent readFull(const std::string& bytes, size_t header) {
    CfgContent c;
    size_t at = header;
    while (at < bytes.size()) {
        if (at + 6 > bytes.size()) return {0, 0, false};
        const auto length = size_t(uint8_t(bytes[at])) | (size_t(uint8_t(bytes[at + 1])) << 8);
        const int kind = uint8_t(bytes[at + 2]);
        const int size = uint8_t(bytes[at + 5]);
        if (length < 6 || at + length > bytes.size()) return {0, 0, false};
        if (kind == 1) ++c.blocks;
        if ((kind == 3 || kind == 4) && size > 0) ++c.channels;
        at += length;
    }
    return c;
}

CfgContent readSimplified(const std::string& bytes, size_t header) {
    CfgContent c;
    size_t at = header + 1;  // the net count
    while (at < bytes.size() && bytes[at] != 0) {
        at += uint8_t(bytes[at]);
        ++c.blocks;
    }
    c.wellFormed = at + 1 == bytes.size();
    return c;
}

struct DeviceCase {
    const char* device;
    bool simplified;
};

class ShippedLibraries : public ::testing::TestWithParam<DeviceCase> {};

TEST_P(ShippedLibraries, EveryOfferedBlockReachesTheConfigurationFile) {
    RealKernel real;
    ASSERT_TRUE(real.bound());
    TKernelOptions& k = real.kernel();
    ASSERT_EQ(k.NewProject("Probe", GetParam().device), 0);
    const std::string device = k.GetDeviceFilePath();

    // The library exactly as the library window reads it for the device.
    TLibraryNode root;
    TLibraryServices services;
    services.programFolder = [&] { return std::string(k.GetProgramFolder()); };
    services.addLibraryFile = [&](const std::string& f) { return k.AddLibraryFile(f.c_str()); };
    UiRecorder ui;
    TLibraryLoader(root, services).LoadSource(std::string(), device);
    EXPECT_TRUE(ui.messages.empty());
    std::vector<std::string> paths;
    root.ForEach([&](const TLibraryNode& n) {
        if (n.Record && n.Record->Path[0] && n.Children.empty()) paths.push_back(n.Record->Path);
    });
    ASSERT_GE(paths.size(), 10u);

    int dropped = 0;
    std::string sheet;
    for (size_t i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(paths[i]);
        if (i % 6 == 0) sheet = real.addSheet();
        TLibraryNodeRecord node{};
        std::strcpy(node.Path, paths[i].c_str());
        TDragControl control{};
        std::strcpy(control.ClassName, kDragTreeClassName);
        control.SelectedData = &node;
        TMyDragObject drag{};
        std::strcpy(drag.ClassName, kDragObjectClassName);
        drag.SourceTree = &control;
        const int slot = int(i % 6);
        ASSERT_EQ(k.SheetDragDrop(sheet.c_str(), &drag, uint16_t(20 + (slot % 3) * 150), uint16_t(20 + (slot / 3) * 150)),
                  0);
        ++dropped;
    }

    TStruct header;
    header.ConvertOptions = k.ConvertOptions;
    ASSERT_EQ(header.LoadStructDescription((device + "/Structure/Header").c_str()), 0);
    const int headerSize = header.GetSize();
    ASSERT_GT(headerSize, 0);
    const std::string cfg = real.folder() + "\\Configuration\\Probe.cfg";
    ASSERT_EQ(k.CreateConfigFile(cfg.c_str(), "CreateConfig.log", nullptr), 0);
    const std::string bytes = readBytes(platform::nativePath(cfg));
    const CfgContent content = GetParam().simplified ? readSimplified(bytes, size_t(headerSize))
                                                     : readFull(bytes, size_t(headerSize));
    EXPECT_TRUE(content.wellFormed);
    EXPECT_EQ(content.blocks + content.channels, dropped);
}

INSTANTIATE_TEST_SUITE_P(Devices, ShippedLibraries,
                         ::testing::Values(DeviceCase{"OrvantaPLC.dev", false}, DeviceCase{"OrvantaAVR.dev", true}),
                         [](const auto& info) { return info.param.simplified ? "Avr" : "Plc"; });

}  // namespace
