// Structure values: layout, conversion, defaults, and records to and from XML.

#include "StructTestSupport.h"

#include "common/My_XML.h"

#include <cstring>
#include <filesystem>

using namespace zo;
using namespace zo::test;

namespace {

// One field of every type the conversion library offers, and two pins.
const char* const kAllTypes = R"(<Orvanta><STRUCT>
  <BLOCK NAME="All" IM="Все типы">
    <VAR NAME="b" TYPE="Byte" DEFAULT="1"/>
    <VAR NAME="si" TYPE="ShortInt" DEFAULT="-1"/>
    <VAR NAME="bo" TYPE="Boolean" DEFAULT="0"/>
    <VAR NAME="w" TYPE="Word" DEFAULT="40"/>
    <VAR NAME="sm" TYPE="SmallInt" DEFAULT="-2"/>
    <VAR NAME="i" TYPE="Integer" DEFAULT="50"/>
    <VAR NAME="c" TYPE="Cardinal" DEFAULT="0"/>
    <VAR NAME="col" TYPE="Color" DEFAULT="255"/>
    <VAR NAME="f" TYPE="Single" DEFAULT="0.5"/>
    <VAR NAME="d" TYPE="Double" DEFAULT="0"/>
    <VAR NAME="s" TYPE="String20" DEFAULT="текст"/>
    <VAR NAME="e" TYPE="Integer"/>
    <IN NAME="x" TYPE="Analog" DEFAULT="65535"/>
    <OUT NAME="y" TYPE="Word" DEFAULT="65535"/>
  </BLOCK>
</STRUCT></Orvanta>
)";

struct Field {
    const char* name;
    int size;
    int offset;
    const char* value;  // a value other than the default, as the library writes it
};
const Field kFields[] = {
    {"b", 1, 0, "200"},         {"si", 1, 1, "-100"},    {"bo", 1, 2, "1"},         {"w", 2, 3, "65535"},
    {"sm", 2, 5, "-32768"},     {"i", 4, 7, "-2000000"}, {"c", 4, 11, "4000000000"}, {"col", 4, 15, "16711935"},
    {"f", 4, 19, "1.25"},       {"d", 8, 23, "3.1415926535"}, {"s", 21, 31, "другой текст"}, {"e", 4, 52, "7"},
    {"x", 2, 56, "12"},         {"y", 2, 58, "0"},
};
constexpr int kRecordSize = 60;

class StructValues : public StructFixture {
protected:
    void SetUp() override {
        StructFixture::SetUp();
        writeXml(path("all.xml"), kAllTypes);
        prepare(all);
        ASSERT_EQ(all.LoadStructDescription((path("all.xml") + "/STRUCT/All").c_str()), 0);
    }
    int index(const char* name) const {
        int16_t i = -1;
        all.FindItem(name, i);
        return i;
    }
    // Every field set to its value of the table.
    void setTableValues(void* record) const {
        for (const Field& f : kFields) ASSERT_EQ(all.SetValue(record, index(f.name), cp(f.value).c_str()), 0) << f.name;
    }
    TStruct all;
};

TEST_F(StructValues, SizesAndPlaces) {
    EXPECT_EQ(all.GetSize(), kRecordSize);
    uint8_t record[kRecordSize] = {};
    for (const Field& f : kFields) {
        SCOPED_TRACE(f.name);
        EXPECT_EQ(all.GetItemSize(index(f.name)), f.size);
        EXPECT_EQ(static_cast<uint8_t*>(all.GetValuePtr(record, index(f.name))) - record, f.offset);
    }
    EXPECT_EQ(all.GetValuePtr(record, 0), record);
    EXPECT_EQ(all.GetValuePtr(record, all.GetItemCount()), nullptr);
    EXPECT_EQ(all.GetValuePtr(nullptr, 0), nullptr);
    EXPECT_EQ(all.GetItemSize(-1), -1);
    EXPECT_EQ(all.GetItemSize(all.GetItemCount()), -1);
}

TEST_F(StructValues, WithoutConversionRecordNothingIsComputed) {
    uint8_t record[kRecordSize] = {1};
    all.ConvertOptions = nullptr;
    EXPECT_EQ(all.GetItemSize(0), -1);
    EXPECT_EQ(all.GetSize(), -1);
    EXPECT_EQ(all.GetValuePtr(record, 0), nullptr);
    EXPECT_EQ(all.GetValue(record, 0), "");
    EXPECT_NE(all.SetValue(record, 0, "5"), 0);
    EXPECT_EQ(record[0], 1);

    TStruct empty;
    EXPECT_EQ(empty.GetSize(), -1);
    empty.ConvertOptions = conversion();
    EXPECT_EQ(empty.GetSize(), 0);
}

TEST_F(StructValues, DefaultsThenValuesAsText) {
    std::vector<uint8_t> record(kRecordSize, 0);
    all.SetDefaults(record.data());
    EXPECT_EQ(all.GetValue(record.data(), index("b")), "1");
    EXPECT_EQ(all.GetValue(record.data(), index("si")), "-1");
    EXPECT_EQ(all.GetValue(record.data(), index("f")), "0.5");
    EXPECT_EQ(utf(all.GetValue(record.data(), index("s"))), "текст");
    EXPECT_EQ(all.GetValue(record.data(), index("x")), "65535");
    uint16_t pin = 0;
    std::memcpy(&pin, record.data() + 56, 2);
    EXPECT_EQ(pin, 65535);
    // An empty default is no value of Integer: the field holds zero.
    EXPECT_EQ(all.GetValue(record.data(), index("e")), "0");
    EXPECT_EQ(all.GetValue(record.data(), all.GetItemCount()), "");
    EXPECT_EQ(all.GetValue(nullptr, 0), "");
}

TEST_F(StructValues, RefusedTextLeavesTheFieldAsItWas) {
    std::vector<uint8_t> record(kRecordSize, 0);
    all.SetDefaults(record.data());
    const std::vector<uint8_t> before = record;
    const struct {
        const char* field;
        const char* text;
    } refused[] = {{"b", "256"}, {"b", "abc"}, {"w", "-1"}, {"sm", "40000"}, {"f", "x1"},
                   {"s", "a text longer than twenty"}, {"x", "70000"}, {"bo", "2"}};
    for (const auto& r : refused) {
        SCOPED_TRACE(r.field);
        EXPECT_NE(all.SetValue(record.data(), index(r.field), r.text), 0);
    }
    EXPECT_NE(all.SetValue(record.data(), 0, nullptr), 0);
    EXPECT_NE(all.SetValue(record.data(), all.GetItemCount(), "1"), 0);
    EXPECT_NE(all.SetValue(nullptr, 0, "1"), 0);
    EXPECT_EQ(record, before);
}

TEST_F(StructValues, RecordAtItsDefaultsWritesNoAttribute) {
    std::vector<uint8_t> record(kRecordSize, 0);
    all.SetDefaults(record.data());
    TZo_XML xml;
    ASSERT_EQ(xml.NewDocument("R"), 0);
    xml.GoRoot();
    // Attributes left from before are removed when the field holds its default.
    ASSERT_EQ(xml.SetAttribute("b", "9"), 0);
    ASSERT_EQ(all.WriteValuesToElement(record.data(), &xml), 0);
    for (const Field& f : kFields) {
        SCOPED_TRACE(f.name);
        // "e" has an empty default and holds 0: its text differs, so it is written.
        EXPECT_EQ(xml.GetAttribute(f.name), std::string(f.name) == "e" ? "0" : "");
    }
    ASSERT_EQ(all.SetValue(record.data(), index("w"), "41"), 0);
    ASSERT_EQ(all.WriteValuesToElement(record.data(), &xml), 0);
    EXPECT_EQ(xml.GetAttribute("w"), "41");
    EXPECT_EQ(xml.GetAttribute("b"), "");

    ASSERT_EQ(all.WriteAllValuesToElement(record.data(), &xml), 0);
    EXPECT_EQ(xml.GetAttribute("b"), "1");
    EXPECT_EQ(xml.GetAttribute("x"), "65535");
}

TEST_F(StructValues, EveryTypeRoundTripsThroughAFile) {
    std::vector<uint8_t> record(kRecordSize, 0);
    all.SetDefaults(record.data());
    setTableValues(record.data());
    {
        TZo_XML xml;
        ASSERT_EQ(xml.NewDocument("R"), 0);
        xml.GoRoot();
        ASSERT_EQ(xml.AddChild("Rec"), 0);
        ASSERT_EQ(all.WriteValuesToElement(record.data(), &xml), 0);
        ASSERT_EQ(xml.SaveFile(path("out.xml")), 0);
    }
    TZo_XML xml;
    ASSERT_EQ(xml.OpenFile(path("out.xml")), 0);
    ASSERT_EQ(xml.GoToPath("R/Rec"), 0);
    std::vector<uint8_t> back(kRecordSize, 0xEE);
    ASSERT_EQ(all.ReadValuesFromElement(back.data(), &xml), 0);
    EXPECT_EQ(back, record);
    for (const Field& f : kFields) EXPECT_EQ(utf(all.GetValue(back.data(), index(f.name))), f.value) << f.name;
}

TEST_F(StructValues, ReadTakesDefaultsAndUpdateKeepsValues) {
    TZo_XML xml;
    ASSERT_EQ(xml.NewDocument("R"), 0);
    xml.GoRoot();
    std::vector<uint8_t> record(kRecordSize, 0);
    setTableValues(record.data());
    const std::vector<uint8_t> set = record;

    // No attributes: update changes nothing, read gives the defaults.
    ASSERT_EQ(all.UpdateValuesFromElement(record.data(), &xml), 0);
    EXPECT_EQ(record, set);
    ASSERT_EQ(all.ReadValuesFromElement(record.data(), &xml), 0);
    EXPECT_EQ(all.GetValue(record.data(), index("b")), "1");
    EXPECT_EQ(all.GetValue(record.data(), index("w")), "40");
    EXPECT_EQ(all.GetValue(record.data(), index("c")), "0");
    // Zero where the default is no value ("e"), not what the field held.
    EXPECT_EQ(all.GetValue(record.data(), index("e")), "0");

    // An empty attribute counts as absent; a present one is taken by both.
    ASSERT_EQ(xml.SetAttribute("w", ""), 0);
    ASSERT_EQ(xml.SetAttribute("i", "12"), 0);
    record = set;
    ASSERT_EQ(all.UpdateValuesFromElement(record.data(), &xml), 0);
    EXPECT_EQ(all.GetValue(record.data(), index("w")), "65535");
    EXPECT_EQ(all.GetValue(record.data(), index("i")), "12");
    EXPECT_EQ(all.GetValue(record.data(), index("b")), "200");
}

TEST_F(StructValues, ElementFormsRefuseBadArguments) {
    std::vector<uint8_t> record(kRecordSize, 0);
    TZo_XML xml;
    ASSERT_EQ(xml.NewDocument("R"), 0);
    xml.GoRoot();
    EXPECT_EQ(all.ReadValuesFromElement(record.data(), nullptr), -1);
    EXPECT_EQ(all.UpdateValuesFromElement(nullptr, &xml), -2);
    EXPECT_EQ(all.WriteValuesToElement(nullptr, &xml), -2);
    EXPECT_EQ(all.WriteAllValuesToElement(record.data(), nullptr), -1);
}

// A conversion record that has forgotten one type after the description loaded.
const TConvertOptions* forgetful() {
    static TConvertOptions record = [] {
        TConvertOptions r = *conversion();
        r.TypeSize = [](const char* type) -> int32_t {
            if (type && std::strcmp(type, "Double") == 0) return 0;
            return conversion()->TypeSize(type);
        };
        return r;
    }();
    return &record;
}

TEST_F(StructValues, AnItemOfUnknownSizeRefusesEveryRecordOperation) {
    std::vector<uint8_t> record(kRecordSize, 0);
    all.ConvertOptions = forgetful();
    EXPECT_EQ(all.GetSize(), -1);
    EXPECT_EQ(all.GetValuePtr(record.data(), index("s")), nullptr);  // behind the unknown item
    EXPECT_NE(all.GetValuePtr(record.data(), index("f")), nullptr);
    TZo_XML xml;
    ASSERT_EQ(xml.NewDocument("R"), 0);
    xml.GoRoot();
    EXPECT_EQ(all.ReadValuesFromElement(record.data(), &xml), -3);
    EXPECT_EQ(all.UpdateValuesFromElement(record.data(), &xml), -3);
    EXPECT_EQ(all.WriteValuesToElement(record.data(), &xml), -3);
    EXPECT_EQ(all.WriteAllValuesToElement(record.data(), &xml), -3);
    const std::string p = path("v.xml") + "/R/Rec";
    EXPECT_EQ(all.ReadValuesFromFile(record.data(), p.c_str()), -4);
    EXPECT_EQ(all.UpdateValuesFromFile(record.data(), p.c_str()), -4);
    EXPECT_EQ(all.WriteValuesToFile(record.data(), p.c_str()), -4);
    EXPECT_FALSE(std::filesystem::exists(path("v.xml")));
}

// ---------------------------------------------------------------------------
// Files

TEST_F(StructValues, WriteCreatesTheFileAndThePathThenReadsBack) {
    std::vector<uint8_t> record(kRecordSize, 0);
    all.SetDefaults(record.data());
    ASSERT_EQ(all.SetValue(record.data(), index("w"), "1234"), 0);
    const std::string file = path("Configurator.xml");
    // The file is not there yet: no box, it is made with the first element as root.
    ASSERT_EQ(all.WriteValuesToFile(record.data(), (file + "/setings/One/Deep").c_str()), 0);
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(all.SetValue(record.data(), index("w"), "99"), 0);
    ASSERT_EQ(all.WriteValuesToFile(record.data(), (file + "/setings/Two").c_str()), 0);
    ASSERT_EQ(all.SetValue(record.data(), index("w"), "77"), 0);
    ASSERT_EQ(all.WriteValuesToFile(record.data(), (file + "/setings/One/Deep").c_str()), 0);

    TZo_XML xml;
    ASSERT_EQ(xml.OpenFile(file), 0);
    xml.GoRoot();
    EXPECT_EQ(xml.GetNodeName(), "setings");
    ASSERT_EQ(xml.GoFirstChild(), 0);
    EXPECT_EQ(xml.GetNodeName(), "One");
    ASSERT_EQ(xml.GoNextSibling(), 0);
    EXPECT_EQ(xml.GetNodeName(), "Two");
    EXPECT_EQ(xml.GoNextSibling(), -2);  // rewriting One/Deep made no second copy
    xml.GoRoot();
    xml.SetMark();
    EXPECT_EQ(xml.CountFromMark("Deep"), 1);
    ASSERT_EQ(xml.GoToPath("setings/One/Deep"), 0);
    EXPECT_EQ(xml.GetAttribute("w"), "77");
    EXPECT_EQ(xml.GetAttribute("b"), "");  // defaults are not written
    EXPECT_NE(readBytes(file).find("encoding=\"windows-1251\""), std::string::npos);

    std::vector<uint8_t> back(kRecordSize, 0);
    ASSERT_EQ(all.ReadValuesFromFile(back.data(), (file + "/setings/Two").c_str()), 0);
    EXPECT_EQ(all.GetValue(back.data(), index("w")), "99");
    EXPECT_EQ(all.GetValue(back.data(), index("b")), "1");
}

TEST_F(StructValues, RelativeWritePathsUseTheCurrentFolder) {
    std::vector<uint8_t> record(kRecordSize, 0);
    all.SetDefaults(record.data());
    std::filesystem::create_directory(dir.path() / "Struct");
    ScopedCurrentDir here(dir.path());
    ASSERT_EQ(all.WriteValuesToFile(record.data(), "\\Struct\\Configurator.xml/setings/Block"), 0);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "Struct" / "Configurator.xml"));
    std::vector<uint8_t> back(kRecordSize, 0);
    EXPECT_EQ(all.ReadValuesFromFile(back.data(), "\\Struct\\Configurator.xml/setings/Block"), 0);
    EXPECT_EQ(back, record);
}

TEST_F(StructValues, AFileThatDoesNotParseIsNeverReplaced) {
    const std::string file = path("Configurator.xml");
    const std::string broken = "<?xml version=\"1.0\"?>\n<setings><Block w=\"5\"></setings>";
    writeBytes(file, broken);
    std::vector<uint8_t> record(kRecordSize, 0);
    all.SetDefaults(record.data());
    EXPECT_LT(all.WriteValuesToFile(record.data(), (file + "/setings/Block").c_str()), 0);
    EXPECT_EQ(readBytes(file), broken);
    EXPECT_EQ(ui.messages.size(), 1u);  // the parse-error box, for a file that is there
}

TEST_F(StructValues, AFileUnderAnotherRootIsLeftAlone) {
    const std::string file = path("Configurator.xml");
    writeXml(file, "<other><Block w=\"5\"/></other>\n");
    const std::string before = readBytes(file);
    std::vector<uint8_t> record(kRecordSize, 0);
    all.SetDefaults(record.data());
    EXPECT_EQ(all.WriteValuesToFile(record.data(), (file + "/setings/Block").c_str()), -100);
    EXPECT_EQ(readBytes(file), before);
}

TEST_F(StructValues, FileFormsRefuseBadArguments) {
    std::vector<uint8_t> record(kRecordSize, 0);
    const std::string missing = path("none.xml") + "/R/Rec";
    EXPECT_EQ(all.ReadValuesFromFile(record.data(), nullptr), -1);
    EXPECT_EQ(all.ReadValuesFromFile(nullptr, missing.c_str()), -2);
    EXPECT_EQ(all.WriteValuesToFile(record.data(), nullptr), -1);
    EXPECT_EQ(all.WriteValuesToFile(nullptr, missing.c_str()), -2);
    EXPECT_EQ(all.WriteValuesToFile(record.data(), path("none.xml").c_str()), -100);  // no element path
    // A missing file is -100 for reading, tested before opening: no box.
    EXPECT_EQ(all.ReadValuesFromFile(record.data(), missing.c_str()), -100);
    EXPECT_EQ(all.ReadValuesFromFile(record.data(), "/R/Rec"), -100);
    EXPECT_TRUE(ui.messages.empty());
    // Updating does not test first: the open fails.
    EXPECT_EQ(all.UpdateValuesFromFile(record.data(), missing.c_str()), -5);
    EXPECT_FALSE(std::filesystem::exists(path("none.xml")));
}

TEST_F(StructValues, ReadingByDescriptionPath) {
    // The attributes of a library block element are the values of its display record.
    const std::string file = path("lib.xml");
    writeXml(file, R"(<Lib><FBD>
      <GROUP NAME="G"><BLOCK NAME="B" w="7" s="подпись"><IN NAME="a" TYPE="Word"/></BLOCK></GROUP>
      <GROUP NAME="Empty"/>
      <BLOCK NAME="Top" i="3"/>
    </FBD></Lib>)");
    struct Case {
        const char* elements;
        int code;
    } cases[] = {
        {"/FBD/G/B", 0},      {"/FBD/Top", 0},        {"/FBD/H/B", -6},    {"/FBD/G/C", -7},  {"/FBD/Empty/B", -7},
        {"/FBD/Empty/X/B", -100}, {"/NOFBD/G/B", -5}, {"/FBD/g/B", -6},     {"/FBD", -7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.elements);
        std::vector<uint8_t> record(kRecordSize, 0);
        EXPECT_EQ(all.ReadValuesFromFile(record.data(), (file + c.elements).c_str()), c.code);
    }
    std::vector<uint8_t> record(kRecordSize, 0);
    ASSERT_EQ(all.ReadValuesFromFile(record.data(), (file + "/FBD/G/B").c_str()), 0);
    EXPECT_EQ(all.GetValue(record.data(), index("w")), "7");
    EXPECT_EQ(utf(all.GetValue(record.data(), index("s"))), "подпись");
    EXPECT_EQ(all.GetValue(record.data(), index("i")), "50");
    // An element path is tried first.
    ASSERT_EQ(all.ReadValuesFromFile(record.data(), (file + "/Lib/FBD/BLOCK").c_str()), 0);
    EXPECT_EQ(all.GetValue(record.data(), index("i")), "3");
    // Two tops: not unique.
    writeXml(path("two.xml"), "<R><FBD/><FBD/></R>");
    EXPECT_EQ(all.ReadValuesFromFile(record.data(), (path("two.xml") + "/FBD/B").c_str()), -5);
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
