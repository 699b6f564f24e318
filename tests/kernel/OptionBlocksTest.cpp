#include "KernelHost.h"

#include "common/My_XML.h"
#include "common/Struct.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

using namespace zo;
using namespace zo::test;

namespace {

// The kernel bound and started in a program folder with the shipped Struct files.
class OptionBlocks : public ::testing::Test {
protected:
    void SetUp() override {
        LoadKernelLibrary("\\system", nullptr, nullptr, LogRecorder::Proc);
        ASSERT_NE(KernelOptionsPtr, nullptr);
        KernelOptionsPtr->ConvertOptions = const_cast<TConvertOptions*>(zo::test::ConvertOptions());
        KernelOptionsPtr->SetLogCallback("Vezevire.log", LogRecorder::WriteProc);
        KernelOptionsPtr->KernelInit();
        structFolder_ = KernelOptionsPtr->GetStructFolder();
        log_.lines.clear();
    }
    void TearDown() override { UnloadKernelLibrary(nullptr); }

    TKernelOptions& o() { return *KernelOptionsPtr; }
    // The paths the program's option walk gives the kernel.
    std::string description(const std::string& block) const {
        return structFolder_ + "\\Options.xml/OPTIONS/STRUCT/" + block;
    }
    std::string value(const std::string& block) const { return structFolder_ + "\\Configurator.xml/setings/" + block; }
    std::string settingsFile() const { return program_.sub("Struct/Configurator.xml"); }

    int save(const std::string& block, std::vector<uint8_t>& data) {
        return o().SaveOptionBlock(description(block).c_str(), value(block).c_str(), data.data(), int32_t(data.size()));
    }
    int load(const std::string& block, std::vector<uint8_t>& data) {
        return o().LoadOptionBlock(description(block).c_str(), value(block).c_str(), data.data(), int32_t(data.size()));
    }
    // The stored element of a block in the settings file as "name=value;..." (UTF-8), or "absent".
    std::string stored(const std::string& block) {
        TZo_XML xml;
        xml.CreateDom();
        if (xml.OpenFile(settingsFile()) != 0 || xml.GoToPath("setings/" + block) != 0) return "absent";
        std::string out;
        for (xmlAttrPtr a = xml.CurrentElement->properties; a; a = a->next)
            out += std::string(reinterpret_cast<const char*>(a->name)) + "=" +
                   utf(xml.GetAttribute(reinterpret_cast<const char*>(a->name))) + ";";
        return out;
    }

    ProgramFolder program_;
    TempDir config_;
    ScopedEnv env_{"XDG_CONFIG_HOME", config_.str()};
    ScopedCurrentDir cd_{program_.path()};
    LogRecorder log_;
    std::string structFolder_;
};

// size bytes of zero but the ones given.
std::vector<uint8_t> zerosBut(size_t size, std::initializer_list<std::pair<size_t, uint8_t>> set) {
    std::vector<uint8_t> bytes(size, 0);
    for (const auto& [at, value] : set) bytes.at(at) = value;
    return bytes;
}

struct ShippedBlock {
    const char* name;
    int32_t size;
    std::vector<uint8_t> defaults;  // the record at the defaults of the shipped Options.xml
};
const ShippedBlock kShippedBlocks[] = {
    // LastCheck 0.0, LastUpdate 0.0, a reserved byte 0.
    {"ConfiguratorUpdate", 17, zerosBut(17, {})},
    // Four flags 1, grid colour black, background 0xB0B0B0 (little-endian): the
    // look the painter gives a sheet without settings.
    {"ConfiguratorVisible", 12, {1, 1, 1, 1, 0, 0, 0, 0, 0xB0, 0xB0, 0xB0, 0}},
    // UseProxy 0, empty texts, ProxyPort 8080 at offset 52.
    {"ConfiguratorConnect", 158, zerosBut(158, {{52, 0x90}, {53, 0x1F}})},
    {"ConfiguratorBuilder", 2, {0, 0}}};

std::vector<uint8_t> shippedDefaults(const std::string& name) {
    for (const ShippedBlock& b : kShippedBlocks)
        if (name == b.name) return b.defaults;
    ADD_FAILURE() << "no shipped block " << name;
    return {};
}

}  // namespace

TEST_F(OptionBlocks, ShippedBlocksLoadAtTheSizesTheirOwnersUse) {
    for (const ShippedBlock& b : kShippedBlocks) {
        SCOPED_TRACE(b.name);
        void* ref = nullptr;
        int32_t size = 0;
        ASSERT_EQ(o().GetStructDescription(description(b.name).c_str(), &ref, &size), 0);
        EXPECT_EQ(size, b.size);
        EXPECT_STREQ(static_cast<TStruct*>(ref)->Name, b.name);
        // With no settings file yet, every block is read as its defaults.
        std::vector<uint8_t> data(size_t(b.size), 0xAB);
        EXPECT_EQ(load(b.name, data), -1);
        EXPECT_EQ(data, b.defaults);
    }
    // The update time lies at offset 8 as a 64-bit float.
    {
        void* ref = nullptr;
        int32_t size = 0;
        ASSERT_EQ(o().GetStructDescription(description("ConfiguratorUpdate").c_str(), &ref, &size), 0);
        const TStruct& s = *static_cast<TStruct*>(ref);
        std::vector<uint8_t> data(17);
        int16_t index = -1;
        ASSERT_EQ(s.FindItem("LastUpdate", index), 1);
        EXPECT_EQ(static_cast<uint8_t*>(s.GetValuePtr(data.data(), index)) - data.data(), 8);
        EXPECT_EQ(s.GetItemType(index), "Double");
    }
    // The connection block is the proxy record: UseProxy 0, server 1, port 52, user 56, password 107.
    {
        void* ref = nullptr;
        int32_t size = 0;
        ASSERT_EQ(o().GetStructDescription(description("ConfiguratorConnect").c_str(), &ref, &size), 0);
        const TStruct& s = *static_cast<TStruct*>(ref);
        std::vector<uint8_t> data(158);
        const std::pair<const char*, int> fields[] = {
            {"UseProxy", 0}, {"ProxyServer", 1}, {"ProxyPort", 52}, {"ProxyUser", 56}, {"ProxyPassword", 107}};
        for (const auto& [name, offset] : fields) {
            int16_t index = -1;
            ASSERT_EQ(s.FindItem(name, index), 1) << name;
            EXPECT_EQ(static_cast<uint8_t*>(s.GetValuePtr(data.data(), index)) - data.data(), offset) << name;
        }
    }
    for (const LogLine& l : log_.lines) EXPECT_NE(l.level, 5) << l.text;
}

TEST_F(OptionBlocks, ShippedMenuNamesOnlyDescribedBlocksAndTheFileHasOneValueList) {
    TZo_XML xml;
    xml.CreateDom();
    ASSERT_EQ(xml.OpenFile(program_.sub("Struct/Options.xml")), 0);
    xml.GoRoot();
    EXPECT_EQ(xml.GetNodeName(), "OPTIONS");
    xml.SetMark();
    EXPECT_EQ(xml.CountFromMark("MENU"), 1);
    EXPECT_EQ(xml.CountFromMark("List"), 1);
    // Every STRUCT of the tree, walked as the program walks it.
    std::vector<std::string> named;
    std::vector<xmlNodePtr> pending{xmlDocGetRootElement(xml.Document)};
    while (!pending.empty()) {
        xmlNodePtr node = pending.back();
        pending.pop_back();
        for (xmlNodePtr c = node->children; c; c = c->next) {
            if (c->type != XML_ELEMENT_NODE) continue;
            pending.push_back(c);
            if (xmlStrcmp(c->name, BAD_CAST "TREENODE") != 0) continue;
            xmlChar* s = xmlGetProp(c, BAD_CAST "STRUCT");
            if (s) named.push_back(reinterpret_cast<const char*>(s));
            xmlFree(s);
        }
    }
    std::sort(named.begin(), named.end());
    EXPECT_EQ(named, (std::vector<std::string>{"ConfiguratorBuilder", "ConfiguratorConnect", "ConfiguratorUpdate",
                                               "ConfiguratorVisible"}));
}

TEST_F(OptionBlocks, SavingMakesTheSettingsFileAndStoresOnlyFieldsOffTheirDefaults) {
    UiRecorder ui;
    ASSERT_FALSE(std::filesystem::exists(settingsFile()));
    std::vector<uint8_t> block = shippedDefaults("ConfiguratorConnect");
    ASSERT_EQ(save("ConfiguratorConnect", block), 0);
    // Made without any parse-error box; the block's element has no attributes.
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(stored("ConfiguratorConnect"), "");
    EXPECT_NE(readBytes(settingsFile()).find("encoding=\"windows-1251\""), std::string::npos);

    // Changed fields become attributes; the reload gives the same bytes.
    block[0] = 1;
    std::strcpy(reinterpret_cast<char*>(&block[1]), "proxy.local");
    const int32_t port = 3128;
    std::memcpy(&block[52], &port, 4);
    std::strcpy(reinterpret_cast<char*>(&block[56]), cp("Пользователь").c_str());
    ASSERT_EQ(save("ConfiguratorConnect", block), 0);
    EXPECT_EQ(stored("ConfiguratorConnect"), "UseProxy=1;ProxyServer=proxy.local;ProxyPort=3128;ProxyUser=Пользователь;");
    std::vector<uint8_t> back(158, 0xCD);
    EXPECT_EQ(load("ConfiguratorConnect", back), 0);
    EXPECT_EQ(back, block);

    // Back at its defaults, the element loses its attributes; other blocks stay.
    std::vector<uint8_t> builder = {1, 0};
    ASSERT_EQ(save("ConfiguratorBuilder", builder), 0);
    block = shippedDefaults("ConfiguratorConnect");
    ASSERT_EQ(save("ConfiguratorConnect", block), 0);
    EXPECT_EQ(stored("ConfiguratorConnect"), "");
    EXPECT_EQ(stored("ConfiguratorBuilder"), "GroupInputs=1;");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(OptionBlocks, ABlockTheSettingsFileLacksIsReadAsItsDefaults) {
    std::vector<uint8_t> builder = {1, 1};
    ASSERT_EQ(save("ConfiguratorBuilder", builder), 0);
    std::vector<uint8_t> update(17, 0xEE);
    EXPECT_EQ(load("ConfiguratorUpdate", update), -1);
    EXPECT_EQ(update, shippedDefaults("ConfiguratorUpdate"));
    EXPECT_EQ(stored("ConfiguratorUpdate"), "absent");
}

TEST_F(OptionBlocks, ABlockOfAnotherSizeIsNeitherReadNorWritten) {
    writeBytes(settingsFile(), "<?xml version=\"1.0\"?>\n<setings><ConfiguratorBuilder GroupInputs=\"1\"/></setings>\n");
    const std::string before = readBytes(settingsFile());
    for (size_t size : {1u, 3u}) {
        SCOPED_TRACE(size);
        std::vector<uint8_t> block(size, 0x77);
        EXPECT_EQ(load("ConfiguratorBuilder", block), -1);
        EXPECT_EQ(block, std::vector<uint8_t>(size, 0x77));
        EXPECT_EQ(save("ConfiguratorBuilder", block), -1);
        EXPECT_EQ(readBytes(settingsFile()), before);
    }
    // A block the options file does not describe.
    std::vector<uint8_t> block(2, 0x77);
    EXPECT_EQ(load("NoSuchBlock", block), -1);
    EXPECT_EQ(save("NoSuchBlock", block), -1);
    EXPECT_EQ(block, std::vector<uint8_t>(2, 0x77));
    EXPECT_EQ(readBytes(settingsFile()), before);
}

TEST_F(OptionBlocks, ASettingsFileThatDoesNotParseIsNeverOverwritten) {
    UiRecorder ui;
    const std::string broken = "<setings><ConfiguratorBuilder GroupInputs=\"1\"></setings>";
    writeBytes(settingsFile(), broken);
    std::vector<uint8_t> builder = {1, 1};
    EXPECT_EQ(save("ConfiguratorBuilder", builder), -1);
    EXPECT_EQ(readBytes(settingsFile()), broken);
    EXPECT_TRUE(log_.has("Не удалось сохранить блок параметров \"" + value("ConfiguratorBuilder") + "\""));
    // Reading it fails too and leaves the defaults.
    EXPECT_EQ(load("ConfiguratorBuilder", builder), -1);
    EXPECT_EQ(builder, (std::vector<uint8_t>{0, 0}));
    EXPECT_FALSE(ui.messages.empty());  // the parse error was shown
}

TEST_F(OptionBlocks, NilArgumentsAreRefused) {
    std::vector<uint8_t> block = {5, 5};
    const std::string d = description("ConfiguratorBuilder"), v = value("ConfiguratorBuilder");
    struct Case {
        const char* d;
        const char* v;
        void* block;
        int32_t size;
    } cases[] = {{nullptr, v.c_str(), block.data(), 2},
                 {d.c_str(), nullptr, block.data(), 2},
                 {d.c_str(), v.c_str(), nullptr, 2},
                 {d.c_str(), v.c_str(), block.data(), 0},
                 {d.c_str(), v.c_str(), block.data(), -1}};
    for (const Case& c : cases) {
        EXPECT_EQ(o().SaveOptionBlock(c.d, c.v, c.block, c.size), -1);
        EXPECT_EQ(o().LoadOptionBlock(c.d, c.v, c.block, c.size), -1);
    }
    EXPECT_EQ(block, (std::vector<uint8_t>{5, 5}));
    EXPECT_FALSE(std::filesystem::exists(settingsFile()));

    void* ref = &block;
    int32_t size = 7;
    EXPECT_EQ(o().GetStructDescription(nullptr, &ref, &size), -1);
    EXPECT_EQ(ref, nullptr);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(o().GetStructDescription(d.c_str(), nullptr, &size), -1);
    EXPECT_EQ(o().GetStructDescription(d.c_str(), &ref, nullptr), -1);
    for (const LogLine& l : log_.lines) EXPECT_NE(l.level, 5) << l.text;
}

TEST_F(OptionBlocks, TheSharedDescriptionIsReloadedByEachCall) {
    void* first = nullptr;
    int32_t size = 0;
    ASSERT_EQ(o().GetStructDescription(description("ConfiguratorUpdate").c_str(), &first, &size), 0);
    EXPECT_EQ(size, 17);
    void* second = nullptr;
    ASSERT_EQ(o().GetStructDescription(description("ConfiguratorBuilder").c_str(), &second, &size), 0);
    EXPECT_EQ(size, 2);
    // The first answer now describes the second block.
    EXPECT_EQ(first, second);
    EXPECT_STREQ(o().StructAccess.GetStructName(static_cast<const TStructInstance*>(static_cast<void*>(&first))),
                 "ConfiguratorBuilder");

    void* ref = &size;
    EXPECT_EQ(o().GetStructDescription(description("Missing").c_str(), &ref, &size), -2);
    EXPECT_EQ(ref, nullptr);
    EXPECT_EQ(size, 0);
    UiRecorder ui;
    EXPECT_EQ(o().GetStructDescription((structFolder_ + "\\None.xml/OPTIONS/STRUCT/X").c_str(), &ref, &size), -2);
}

TEST_F(OptionBlocks, TheKernelsBlocksByTheirExactNames) {
    // The builder block starts zeroed; the copy of the display block at the
    // shipped defaults, so a first start paints the sheet as the options say.
    for (const char* name : {"ConfiguratorVisible", "ConfiguratorBuilder"}) {
        void* block = nullptr;
        int32_t blockSize = 0, blockReserved = 5;
        ASSERT_EQ(o().GetKernelOptionBlock(name, &block, &blockSize, &blockReserved), 0) << name;
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(blockReserved, 0);
        const auto* bytes = static_cast<const uint8_t*>(block);
        EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + blockSize), shippedDefaults(name)) << name;
    }
    void* data = nullptr;
    int32_t size = 0, reserved = 5;
    ASSERT_EQ(o().GetKernelOptionBlock("ConfiguratorBuilder", &data, &size, &reserved), 0);

    // The program's load walk fills it from the settings file like any block.
    writeBytes(settingsFile(), "<?xml version=\"1.0\"?>\n<setings><ConfiguratorBuilder GroupOutputs=\"1\"/></setings>\n");
    EXPECT_EQ(o().LoadOptionBlock(description("ConfiguratorBuilder").c_str(), value("ConfiguratorBuilder").c_str(), data,
                                  size),
              0);
    EXPECT_EQ(static_cast<uint8_t*>(data)[0], 0);
    EXPECT_EQ(static_cast<uint8_t*>(data)[1], 1);

    for (const char* name : {"configuratorbuilder", "ConfiguratorUpdate", "", static_cast<const char*>(nullptr)}) {
        void* d = &size;
        int32_t s = 9, r = 9;
        EXPECT_EQ(o().GetKernelOptionBlock(name, &d, &s, &r), -1) << (name ? name : "nil");
        EXPECT_EQ(d, &size);
        EXPECT_EQ(s, 9);
        EXPECT_EQ(r, 9);
    }
}
