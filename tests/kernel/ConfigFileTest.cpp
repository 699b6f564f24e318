// The configuration file: small projects built in memory, written through
// CreateConfigFile and compared byte for byte with files worked out by hand.
#include "ProjectModel.h"

#include "common/StringList.h"
#include "common/Struct.h"
#include "kernel/ConfigFile.h"
#include "kernel/ConnectionIndex.h"
#include "kernel/KernelState.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace zo;
using namespace zo::kernel;
using namespace zo::test;

namespace {

namespace fs = std::filesystem;

// A device whose header is one Word, 513: the bytes 01 02.
const char* const kDevice = R"(<?xml version="1.0" encoding="windows-1251"?>
<Micro Program="VT_win.exe" ConfigFileType="1">
  <Structure>
    <BLOCK NAME="Header" IM="Заголовок">
      <VAR NAME="Id" TYPE="Word" DEFAULT="513" IM="Номер"/>
    </BLOCK>
  </Structure>
</Micro>
)";

// Blocks with pins (2 bytes each in the data record), code fields and channels.
const char* const kLibrary = R"(<?xml version="1.0" encoding="windows-1251"?>
<Lib>
  <FBD NAME="Тест">
    <GROUP NAME="G">
      <BLOCK NAME="Gen" IM="Генератор">
        <OUT NAME="Q" TYPE="Bool" DEFAULT="65535"/>
        <FIELD NAME="Код" TYPE="Byte" DEFAULT="1"/>
      </BLOCK>
      <BLOCK NAME="Not" IM="Не">
        <IN NAME="A" TYPE="Bool" DEFAULT="65535"/>
        <OUT NAME="Q" TYPE="Bool" DEFAULT="65535"/>
        <FIELD NAME="Cod" TYPE="Byte" DEFAULT="2"/>
      </BLOCK>
      <BLOCK NAME="And" IM="И">
        <IN NAME="A" TYPE="Bool" DEFAULT="65535"/>
        <IN NAME="B" TYPE="Bool" DEFAULT="65535"/>
        <OUT NAME="Q" TYPE="Bool" DEFAULT="65535"/>
        <FIELD NAME="Cod" TYPE="Byte" DEFAULT="3"/>
      </BLOCK>
      <BLOCK NAME="Big" IM="Длинный">
        <IN NAME="A" TYPE="Bool" DEFAULT="65535"/>
        <VAR NAME="Text" TYPE="String254" IM="Текст"/>
        <FIELD NAME="Cod" TYPE="Byte" DEFAULT="4"/>
      </BLOCK>
      <BLOCK NAME="In" IM="Вход">
        <OUT NAME="Out" TYPE="Bool" DEFAULT="65535"/>
        <VAR NAME="ID" TYPE="Integer" DEFAULT="0"/>
      </BLOCK>
      <BLOCK NAME="Out" IM="Выход">
        <IN NAME="In" TYPE="Bool" DEFAULT="65535"/>
        <VAR NAME="ID" TYPE="Integer" DEFAULT="0"/>
      </BLOCK>
      <BLOCK NAME="Orvan_In" IM="Сетевой вход">
        <OUT NAME="Out" TYPE="Bool" DEFAULT="65535"/>
        <VAR NAME="ID" TYPE="Integer" DEFAULT="0"/>
      </BLOCK>
      <BLOCK NAME="Orvan_Out" IM="Сетевой выход">
        <IN NAME="In" TYPE="Bool" DEFAULT="65535"/>
        <VAR NAME="ID" TYPE="Integer" DEFAULT="0"/>
      </BLOCK>
    </GROUP>
    <GROUP NAME="NoId">
      <BLOCK NAME="Orvan_In" IM="Сетевой вход без номера">
        <OUT NAME="Out" TYPE="Bool" DEFAULT="65535"/>
      </BLOCK>
    </GROUP>
  </FBD>
</Lib>
)";

// "01 02 0a" -> bytes.
std::string hex(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        out.push_back(char(std::stoi(text.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return out;
}

std::string dump(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out.push_back(' ');
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}

int g_repaints = 0;
void countRepaint() { ++g_repaints; }

class ConfigFile : public ProjectModel {
protected:
    void SetUp() override {
        ProjectModel::SetUp();
        writeBytes(file("Device/Cfg.dev"), cp(kDevice));
        writeBytes(file("Cfg.xml"), cp(kLibrary));
        Options().RepaintSchemeWindows = countRepaint;
        g_repaints = 0;
    }

    // An empty project of the small device, of the given file type.
    void project(uint8_t type) {
        freeModel();
        KernelState& s = State();
        std::strcpy(s.deviceFileName, "Cfg.dev");
        std::strcpy(s.deviceProgram, "VT_win.exe");
        std::strcpy(s.projectName, "P");
        s.configFileType = type;
        const TStruct* header = State().structCache->GetStruct((s.deviceFolder + "\\Cfg.dev/Structure/Header").c_str());
        ASSERT_NE(header, nullptr);
        s.headerRecord = std::calloc(1, size_t(header->GetSize()));
        header->SetDefaults(s.headerRecord);
        s.builderOptions[0] = s.builderOptions[1] = 0;
    }

    std::string lib(const std::string& block) const { return programPath() + "\\Cfg.xml/FBD/G/" + block; }

    // A block with a pin list: one pin per listed field at (x, y) offsets.
    struct Pin {
        int16_t x, y, field;
    };
    TBlockRecord* put(uint16_t s, const std::string& type, const std::string& name, int32_t left, int32_t top,
                      std::initializer_list<Pin> pins, const std::string& path = {}) {
        TBlockRecord* b = block(s, addBlock(s, path.empty() ? lib(type) : path, name, left, top));
        for (const Pin& p : pins) addPin(b, p.x, p.y, p.field, -1);
        return b;
    }
    void setLibrary(TBlockRecord* b, const std::string& library) {
        const auto* display = static_cast<const TStruct*>(b->Display.Struct);
        int16_t index = -1;
        ASSERT_EQ(display->FindItem("Library", index), 1);
        ASSERT_EQ(display->SetValue(b->Display.Data, index, library.c_str()), 0);
    }

    // Gen at (0,0) with Q at (2,0); Not with A at (0,0) and Q at (2,0) of its cell.
    TBlockRecord* gen(uint16_t s, const std::string& name, int32_t x, int32_t y) {
        return put(s, "Gen", name, x, y, {{2, 0, 0}});
    }
    TBlockRecord* inverter(uint16_t s, const std::string& name, int32_t x, int32_t y) {
        return put(s, "Not", name, x, y, {{0, 0, 0}, {2, 0, 1}});
    }

    // A temporary file of the configuration file's replacement in its folder.
    bool hasTemporaryFile() const {
        for (const std::string& name : filesIn(file("Upload")))
            if (name.rfind(".P.cfg.", 0) == 0 || name == "P.cfg.tmp") return true;
        return false;
    }

    // The run: result, file bytes (empty when there is no file) and the library list.
    struct Run {
        int32_t result;
        std::string bytes;
        std::vector<std::string> libraries;
    };
    Run run() {
        TStringListTable list;
        list.List()->Add(list.List(), "left over");
        const std::string path = file("Upload/P.cfg");
        // A failed run leaves an earlier file as it was: each run starts without one.
        fs::remove(path);
        const int32_t result = CreateConfigFile(path.c_str(), "CreateConfig.log", list.List());
        Run r{result, fs::exists(path) ? readBytes(path) : std::string(), list.Items()};
        EXPECT_FALSE(hasTemporaryFile()) << "temporary file left behind";
        return r;
    }
};

struct Case {
    const char* name;
    uint8_t type;
    uint8_t groupIn, groupOut;
    std::function<void()> build;
    int32_t result;
    const char* bytes;  // hex; nullptr: no file
    std::vector<std::string> libraries;
};

}  // namespace

// Needs the fixture's protected helpers, so the table lives in the test body.
TEST_F(ConfigFile, WritesTheLayoutsByteForByte) {
    auto chainInReverse = [this] {
        const uint16_t s = addSheet("Лист 1");
        inverter(s, "C", 10, 0);  // A at (10,0), Q at (12,0)
        inverter(s, "B", 5, 0);   // A at (5,0), Q at (7,0)
        gen(s, "A", 0, 0);        // Q at (2,0)
        addLink(s, 2, 0, 5, 0);   // net 0: A.Q - B.A
        addLink(s, 7, 0, 10, 0);  // net 1: B.Q - C.A
    };
    // Two inverters feeding each other: X.Q -> Y.A (net 0), Y.Q -> X.A (net 1, three segments).
    auto loop = [this](uint8_t px, uint8_t py) {
        return [this, px, py] {
            const uint16_t s = addSheet("Лист 1");
            inverter(s, "X", 0, 0)->Priority = px;  // A (0,0), Q (2,0)
            inverter(s, "Y", 5, 0)->Priority = py;  // A (5,0), Q (7,0)
            addLink(s, 2, 0, 5, 0);
            addLink(s, 7, 0, 7, 3);
            addLink(s, 7, 3, 0, 3);
            addLink(s, 0, 3, 0, 0);
        };
    };
    auto unbound = [this] {
        const uint16_t s = addSheet("Лист 1");
        gen(s, "G", 0, 0);
        TBlockRecord* a = put(s, "And", "N", 5, 0, {{0, 0, 0}, {0, 1, 1}, {2, 0, 2}});
        setData(a, "A", "5");  // stale: indexing unbinds it first
    };
    auto sharedLibrary = [this] {
        const uint16_t s = addSheet("Лист 1");
        setLibrary(gen(s, "G1", 0, 0), "logic.inc");
        setLibrary(put(s, "And", "N", 5, 0, {}), "math.inc");
        setLibrary(gen(s, "G2", 0, 5), "logic.inc");
        gen(s, "G3", 0, 10);  // no library
    };
    auto channels = [this] {
        const uint16_t s = addSheet("Лист 1");
        TBlockRecord* out = put(s, "Out", "Q1", 10, 0, {{0, 0, 0}});
        setData(out, "ID", "11");
        TBlockRecord* in = put(s, "In", "I1", 0, 0, {{2, 0, 0}});
        setData(in, "ID", "12");
        TBlockRecord* no = put(s, "Orvan_Out", "NO", 0, 5, {{0, 0, 0}});
        setData(no, "ID", "-2");
        TBlockRecord* ni = put(s, "Orvan_In", "NI", 0, 10, {{2, 0, 0}});
        setData(ni, "ID", "7");
        addLink(s, 2, 0, 10, 0);  // net 0: I1.Out - Q1.In
    };
    // Blocks fed by channels: an inverter listed before the input channel that feeds it.
    auto fedByChannels = [this] {
        const uint16_t s = addSheet("Лист 1");
        inverter(s, "N1", 5, 0);                            // A (5,0), Q (7,0)
        inverter(s, "N2", 5, 5);                            // A (5,5), Q (7,5)
        put(s, "Orvan_In", "NI", 0, 5, {{2, 0, 0}});  // Out (2,5)
        put(s, "In", "I1", 0, 0, {{2, 0, 0}});        // Out (2,0)
        addLink(s, 2, 0, 5, 0);                             // net 0
        addLink(s, 2, 5, 5, 5);                             // net 1
    };
    auto bigBlock = [this] {
        const uint16_t s = addSheet("Лист 1");
        put(s, "Big", "L", 0, 0, {{0, 0, 0}});
    };
    auto netInWithoutId = [this] {
        const uint16_t s = addSheet("Лист 1");
        put(s, "", "W", 0, 0, {{2, 0, 0}}, programPath() + "\\Cfg.xml/FBD/NoId/Orvan_In");
    };

    const std::string gen = "09 00 01 FF FF 03 ";   // head of Gen (3 data bytes)
    const std::string inv = "0B 00 01 FF FF 05 ";   // head of Not (5 data bytes)
    const std::string andHead = "0D 00 01 FF FF 07 ";
    const Case cases[] = {
        {"empty project, full", 1, 0, 0, [] {}, 0, "01 02  06 00 05 01 00 00", {}},
        {"empty project, simplified", 2, 0, 0, [] {}, 0, "01 02  00  00", {}},
        {"chain in reverse, full", 1, 0, 0, chainInReverse, 0,
         nullptr, {}},
        {"chain in reverse, simplified", 2, 0, 0, chainInReverse, 0,
         "01 02  02  03 00 01  04 00 01 02  04 01 FF 02  00", {}},
        {"loop without priorities", 1, 0, 0, loop(0, 0), -5, nullptr, {}},
        {"loop, second block has priority", 1, 0, 0, loop(0, 3), 0, nullptr, {}},
        {"loop, equal priorities: first block wins", 1, 0, 0, loop(2, 2), 0, nullptr, {}},
        {"unbound pins, no grouping", 1, 0, 0, unbound, 0, nullptr, {}},
        {"unbound pins, both grouped", 1, 1, 1, unbound, 0, nullptr, {}},
        {"unbound pins, inputs grouped", 2, 1, 0, unbound, 0, "01 02  01  03 FF 01  05 00 00 FF 03  00", {}},
        {"two blocks share a library", 1, 0, 0, sharedLibrary, 0, nullptr, {"logic.inc", "math.inc"}},
        {"channels", 1, 0, 0, channels, 0, nullptr, {}},
        {"blocks fed by channels", 1, 0, 0, fedByChannels, 0, nullptr, {}},
        {"field too long for the simplified layout", 2, 0, 0, bigBlock, -8, nullptr, {}},
        {"network channel without ID", 1, 0, 0, netInWithoutId, -7, nullptr, {}},
    };
    // Expected files of the cases above whose bytes are long, in the same order.
    const std::map<std::string, std::string> files = {
        {"chain in reverse, full",
         "01 02  06 00 05 03 00 00  " + gen + "00 00 01  " + inv + "00 00 01 00 02  " + inv + "01 00 FF FF 02"},
        {"loop, second block has priority",
         "01 02  06 00 05 03 00 00  " + inv + "00 00 01 00 02  " + inv + "01 00 00 00 02"},
        {"loop, equal priorities: first block wins",
         "01 02  06 00 05 03 00 00  " + inv + "01 00 00 00 02  " + inv + "00 00 01 00 02"},
        {"unbound pins, no grouping",
         "01 02  06 00 05 01 00 00  " + gen + "FF FF 01  " + andHead + "FF FF FF FF FF FF 03"},
        {"unbound pins, both grouped",
         "01 02  06 00 05 03 00 00  " + gen + "01 00 01  " + andHead + "00 00 00 00 01 00 03"},
        {"two blocks share a library",
         "01 02  06 00 05 01 00 00  " + gen + "FF FF 01  " + andHead + "FF FF FF FF FF FF 03  " + gen + "FF FF 01  " +
             gen + "FF FF 01"},
        {"channels",
         "01 02  06 00 05 02 00 00  06 00 03 01 00 00  06 00 04 01 00 00  06 00 07 01 00 00  06 00 08 01 00 00  "
         "0C 00 03 00 00 06 00 00 0B 00 00 00  0C 00 04 00 00 06 00 00 0C 00 00 00  "
         "0C 00 07 00 00 06 FF FF FE FF FF FF  0C 00 08 00 00 06 FF FF 07 00 00 00"},
        {"blocks fed by channels",
         "01 02  06 00 05 03 00 00  06 00 04 01 00 00  06 00 08 01 00 00  "
         "0C 00 08 00 00 06 01 00 00 00 00 00  0C 00 04 00 00 06 00 00 00 00 00 00  " +
             inv + "00 00 FF FF 02  " + inv + "01 00 FF FF 02"},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        project(c.type);
        State().builderOptions[0] = c.groupIn;
        State().builderOptions[1] = c.groupOut;
        c.build();
        const Run r = run();
        EXPECT_EQ(r.result, c.result);
        const auto long_ = files.find(c.name);
        if (c.bytes || long_ != files.end()) {
            const std::string expected = hex(c.bytes ? c.bytes : long_->second);
            EXPECT_EQ(dump(r.bytes), dump(expected));
        } else {
            EXPECT_TRUE(r.bytes.empty()) << "no file expected, found " << dump(r.bytes);
        }
        EXPECT_EQ(r.libraries, c.libraries);
    }
}

TEST_F(ConfigFile, OrderingIsLoggedAndLeavesEveryBlockDeselected) {
    project(1);
    const uint16_t s = addSheet("Лист 1");
    inverter(s, "X", 0, 0)->Priority = 0;
    inverter(s, "Y", 5, 0)->Priority = 3;
    addLink(s, 2, 0, 5, 0);
    addLink(s, 7, 0, 7, 3);
    addLink(s, 7, 3, 0, 3);
    addLink(s, 0, 3, 0, 0);
    ASSERT_EQ(run().result, 0);
    EXPECT_TRUE(log_.has("Очередь \"1\"  добавленных FBD блоков: \"0\""));
    EXPECT_TRUE(log_.has("Добавлен приоритетный блок \"Y\" схемы \"Лист 1\" -(11 байт)"));
    EXPECT_TRUE(log_.has("Очередь \"2\"  добавленных FBD блоков: \"1\""));
    EXPECT_TRUE(log_.has("Создан файл конфигураций " + file("Upload/P.cfg") + " -(30 байт)"));
    for (uint16_t i = 0; i < 2; ++i) EXPECT_EQ(ZO_FIELD(*block(s, i), Selected), 0);
    // Every connection of a computed net holds Chain -1.
    for (uint16_t i = 0; i < 4; ++i) EXPECT_EQ(ZO_FIELD(link(s, i), Chain), -1);
    EXPECT_EQ(g_repaints, 1);
    for (const std::string& name : log_.logNames) EXPECT_EQ(name, "CreateConfig.log");
    for (int mode : log_.modes) EXPECT_EQ(mode, 3);
}

TEST_F(ConfigFile, AnUnorderedLoopNamesItsBlocks) {
    project(1);
    const uint16_t s = addSheet("Лист 1");
    inverter(s, "X", 0, 0);
    inverter(s, "Y", 5, 0)->Priority = 0;
    addLink(s, 2, 0, 5, 0);
    addLink(s, 7, 0, 7, 3);
    addLink(s, 7, 3, 0, 3);
    addLink(s, 0, 3, 0, 0);
    ASSERT_EQ(run().result, -5);
    EXPECT_TRUE(log_.has("Не удалось добавить \"2\" FBD блоков"));
    EXPECT_TRUE(log_.has("Блок \"X\" схемы \"Лист 1\"  (Not) приоритет- 0"));
    EXPECT_TRUE(log_.has("Блок \"Y\" схемы \"Лист 1\"  (Not) приоритет- 0"));
    EXPECT_EQ(g_repaints, 0);
}

TEST_F(ConfigFile, AFailedRunLeavesNoPartialFileAndTheOlderOneAsItWas) {
    UiRecorder ui;  // the XML layer's box for the missing device file
    const std::string path = file("Upload/P.cfg");
    // Failing once the file is started: no partial file, and the older one stays as it was.
    project(1);
    const uint16_t s = addSheet("Лист 1");
    put(s, "", "W", 0, 0, {}, programPath() + "\\Cfg.xml/FBD/NoId/Orvan_In");
    writeBytes(path, "an older configuration");
    EXPECT_EQ(CreateConfigFile(path.c_str(), "CreateConfig.log", nullptr), -7);
    EXPECT_TRUE(log_.has("\"W\" схемы \"Лист 1\"   не содержит поля \"ID\""));
    EXPECT_EQ(readBytes(path), "an older configuration");
    EXPECT_FALSE(hasTemporaryFile());

    // Failing before the file is started (no header description): it is not touched.
    writeBytes(path, "an older configuration");
    std::strcpy(State().deviceFileName, "Missing.dev");
    EXPECT_EQ(CreateConfigFile(path.c_str(), "CreateConfig.log", nullptr), -1);
    EXPECT_TRUE(log_.has("Не удается загрузить описание  " + programPath() + "\\Device\\Missing.dev/Structure/Header"));
    EXPECT_EQ(readBytes(path), "an older configuration");

    // A file that cannot be created.
    project(1);
    const std::string nowhere = file("NoSuchFolder/P.cfg");
    EXPECT_EQ(CreateConfigFile(nowhere.c_str(), "CreateConfig.log", nullptr), -2);
    EXPECT_FALSE(fs::exists(file("NoSuchFolder")));
}

// The net count of the full layout is nets + 1 in a signed 16-bit field, that
// of the simplified layout one byte (255 is an unbound pin).
TEST_F(ConfigFile, NetCountsBeyondTheirFieldsAreRefused) {
    struct Limit {
        uint8_t type;
        int nets;
        int32_t result;
        const char* countBytes;  // at offset 2; nullptr: refused
        const char* line;
    };
    const Limit limits[] = {
        {1, kMaxFullNets, 0, "06 00 05 FF 7F 00", nullptr},
        {1, kMaxFullNets + 1, -1, nullptr, "Ошибка, большое количество соеденений (больше 32766)"},
        {2, 254, 0, "FE", nullptr},
        {2, 255, -1, nullptr, "Ошибка, большое количество соеденений (больше 254)"},
    };
    for (const Limit& l : limits) {
        SCOPED_TRACE(std::to_string(l.type) + " " + std::to_string(l.nets));
        project(l.type);
        const uint16_t s = addSheet("Лист 1");
        sheet(s)->Links->SetCapacity(uint16_t(l.nets));
        for (int i = 0; i < l.nets; ++i) addLink(s, uint16_t(i % 200), uint16_t(2 * (i / 200)), uint16_t(i % 200), uint16_t(2 * (i / 200) + 1));
        const Run r = run();
        EXPECT_EQ(r.result, l.result);
        if (l.countBytes) {
            const std::string expected = hex(l.countBytes);
            EXPECT_EQ(dump(r.bytes.substr(2, expected.size())), dump(expected));
        } else {
            EXPECT_TRUE(r.bytes.empty());
            EXPECT_TRUE(log_.has(l.line));
        }
    }
}
