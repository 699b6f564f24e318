// Reading values from files while a TValueFileScope lives (each file parsed
// once), and the layout of a description that is loaded again.

#include "StructTestSupport.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

using namespace zo;
using namespace zo::test;

namespace {

const char* const kDescription = R"(<Orvanta><STRUCT>
  <BLOCK NAME="Display">
    <VAR NAME="Turn" TYPE="Byte" DEFAULT="0"/>
    <VAR NAME="Label" TYPE="String20" DEFAULT=""/>
    <VAR NAME="Width" TYPE="Word" DEFAULT="1"/>
  </BLOCK>
  <BLOCK NAME="Wide">
    <VAR NAME="A" TYPE="Double" DEFAULT="0"/>
    <VAR NAME="B" TYPE="Integer" DEFAULT="0"/>
    <VAR NAME="C" TYPE="Byte" DEFAULT="0"/>
  </BLOCK>
</STRUCT></Orvanta>
)";

const char* const kLibrary = R"(<Lib><FBD>
  <GROUP NAME="G">
    <BLOCK NAME="A" Turn="1" Label="первый"/>
    <BLOCK NAME="B" Turn="2"/>
  </GROUP>
</FBD></Lib>
)";

class StructValueFiles : public StructFixture {
protected:
    void SetUp() override {
        StructFixture::SetUp();
        writeXml(path("struct.xml"), kDescription);
        writeXml(path("lib.xml"), kLibrary);
        prepare(display);
        ASSERT_EQ(display.LoadStructDescription((path("struct.xml") + "/STRUCT/Display").c_str()), 0);
        record.assign(size_t(display.GetSize()), 0);
    }
    // The block's Turn and Label as its library element gives them; the read's code first.
    std::string read(const std::string& block, bool update = false) {
        display.SetDefaults(record.data());
        const std::string p = path("lib.xml") + "/FBD/G/" + block;
        const int code = update ? display.UpdateValuesFromFile(record.data(), p.c_str())
                                : display.ReadValuesFromFile(record.data(), p.c_str());
        int16_t turn = -1, label = -1;
        display.FindItem("Turn", turn);
        display.FindItem("Label", label);
        return std::to_string(code) + " " + display.GetValue(record.data(), turn) + " " +
               utf(display.GetValue(record.data(), label));
    }

    TStruct display;
    std::vector<uint8_t> record;
};

TEST_F(StructValueFiles, AScopeAnswersAsReadingEachTimeDoes) {
    const std::vector<std::string> blocks = {"A", "B", "C", "A"};
    std::vector<std::string> plain;
    for (const std::string& b : blocks) plain.push_back(read(b));
    EXPECT_EQ(plain[0], "0 1 первый");
    EXPECT_EQ(plain[1], "0 2 ");
    EXPECT_EQ(plain[2], "-7 0 ");
    TValueFileScope scope;
    for (size_t i = 0; i < blocks.size(); ++i) {
        EXPECT_EQ(read(blocks[i]), plain[i]) << blocks[i];
        EXPECT_EQ(read(blocks[i], true), plain[i]) << blocks[i];
    }
    // A missing file is still tested before opening: no box.
    EXPECT_EQ(display.ReadValuesFromFile(record.data(), (path("none.xml") + "/FBD/G/A").c_str()), -100);
    EXPECT_TRUE(ui.messages.empty());
}

// Reading again what was read before answers from what the first reading
// gave, so records that held other bytes before must still come out as a
// reading without a scope leaves them.
TEST_F(StructValueFiles, AScopeReadsRecordsThatHeldOtherValuesAsReadingEachTimeDoes) {
    const struct {
        const char* block;
        const char* before;  // the Label the record holds first
        bool update;
    } cases[] = {{"A", "", false}, {"B", "прежний", false}, {"B", "прежний", true}, {"B", "другой", true},
                 {"A", "прежний", true}};
    auto readOver = [this](const char* block, const char* before, bool update) {
        display.SetDefaults(record.data());
        int16_t label = -1;
        display.FindItem("Label", label);
        display.SetValue(record.data(), label, cp(before).c_str());
        const std::string p = path("lib.xml") + "/FBD/G/" + block;
        const int code = update ? display.UpdateValuesFromFile(record.data(), p.c_str())
                                : display.ReadValuesFromFile(record.data(), p.c_str());
        return std::to_string(code) + std::string(reinterpret_cast<const char*>(record.data()), record.size());
    };
    std::vector<std::string> plain;
    for (const auto& c : cases) plain.push_back(readOver(c.block, c.before, c.update));
    TValueFileScope scope;
    for (int round = 0; round < 2; ++round)
        for (size_t i = 0; i < std::size(cases); ++i)
            EXPECT_EQ(readOver(cases[i].block, cases[i].before, cases[i].update), plain[i]) << i << " " << round;
}

TEST_F(StructValueFiles, AFileIsParsedOncePerScopeAndReadAgainAfterIt) {
    {
        TValueFileScope outer;
        EXPECT_EQ(read("A"), "0 1 первый");
        {
            TValueFileScope inner;
            writeXml(path("lib.xml"), R"(<Lib><FBD><GROUP NAME="G"><BLOCK NAME="A" Turn="3"/></GROUP></FBD></Lib>)");
            EXPECT_EQ(read("A"), "0 1 первый");  // the document parsed first is kept
        }
        EXPECT_EQ(read("A"), "0 1 первый");  // the outer scope still keeps it
    }
    EXPECT_EQ(read("A"), "0 3 ");
}

TEST_F(StructValueFiles, AFileThatDoesNotParseIsNotKept) {
    writeBytes(path("lib.xml"), "<?xml version=\"1.0\"?>\n<Lib><FBD></Lib>");
    TValueFileScope scope;
    EXPECT_EQ(read("A"), "-5 0 ");
    EXPECT_EQ(read("A"), "-5 0 ");
    EXPECT_EQ(ui.messages.size(), 2u);  // the parse-error box each time, as without a scope
    writeXml(path("lib.xml"), kLibrary);
    EXPECT_EQ(read("A"), "0 1 первый");
}

// A default the field cannot hold (no number, out of range, a text too long)
// gives the type's zero, never what the record held before: a block read into
// memory that was not cleared must not keep stray bytes.
TEST_F(StructValueFiles, DefaultsThatAreNoValueGiveZero) {
    writeXml(path("defaults.xml"), R"(<Orvanta><STRUCT>
      <BLOCK NAME="D">
        <VAR NAME="a" TYPE="Byte" DEFAULT="7"/>
        <VAR NAME="b" TYPE="Word" DEFAULT="not a number"/>
        <VAR NAME="c" TYPE="String4" DEFAULT="ab"/>
        <VAR NAME="t" TYPE="String4" DEFAULT="far too long"/>
      </BLOCK>
      <BLOCK NAME="E">
        <VAR NAME="a" TYPE="Byte" DEFAULT="9"/>
        <VAR NAME="b" TYPE="Word" DEFAULT="300"/>
        <VAR NAME="c" TYPE="String4" DEFAULT=""/>
        <VAR NAME="t" TYPE="Byte" DEFAULT="256"/>
      </BLOCK>
    </STRUCT></Orvanta>)");
    TStruct d;
    prepare(d);
    ASSERT_EQ(d.LoadStructDescription((path("defaults.xml") + "/STRUCT/D").c_str()), 0);
    ASSERT_EQ(d.GetSize(), 1 + 2 + 5 + 5);
    std::vector<uint8_t> bytes(13, 0xAB);
    d.SetDefaults(bytes.data());
    EXPECT_EQ(bytes, (std::vector<uint8_t>{7, 0, 0, 'a', 'b', 0, 0, 0, 0, 0, 0, 0, 0}));
    // A field missing from an element, or empty there, takes its default the same way.
    writeXml(path("values.xml"), R"(<R><E c="xy" t=""/></R>)");
    std::vector<uint8_t> read(13, 0xCD);
    ASSERT_EQ(d.ReadValuesFromFile(read.data(), (path("values.xml") + "/R/E").c_str()), 0);
    EXPECT_EQ(read, (std::vector<uint8_t>{7, 0, 0, 'x', 'y', 0, 0, 0, 0, 0, 0, 0, 0}));

    // Loaded again with other defaults: the new ones.
    ASSERT_EQ(d.LoadStructDescription((path("defaults.xml") + "/STRUCT/E").c_str()), 0);
    std::fill(bytes.begin(), bytes.end(), 0xAB);
    d.SetDefaults(bytes.data());
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 9),
              (std::vector<uint8_t>{9, 300 & 0xFF, 300 >> 8, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(bytes[9], 0xAB);  // past the record
}

TEST_F(StructValueFiles, ADescriptionLoadedAgainHasItsNewLayout) {
    // Both descriptions have three fields: the places follow the one loaded last.
    EXPECT_EQ(display.GetSize(), 1 + 21 + 2);
    uint8_t bytes[64] = {};
    EXPECT_EQ(static_cast<uint8_t*>(display.GetValuePtr(bytes, 2)) - bytes, 22);
    ASSERT_EQ(display.LoadStructDescription((path("struct.xml") + "/STRUCT/Wide").c_str()), 0);
    EXPECT_EQ(display.GetSize(), 8 + 4 + 1);
    EXPECT_EQ(static_cast<uint8_t*>(display.GetValuePtr(bytes, 2)) - bytes, 12);
    EXPECT_EQ(display.GetItemSize(0), 8);
}

}  // namespace
