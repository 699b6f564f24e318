// Structure descriptions: the grammar, the loaders and their log lines.

#include "StructTestSupport.h"

#include "common/My_XML.h"

#include <cstring>
#include <filesystem>
#include <map>

using namespace zo;
using namespace zo::test;

namespace {

const char* const kPlain = R"(<Orvanta>
  <STRUCT>
    <BLOCK NAME="Запись" IM="Тестовая запись" CHARACTER="T1">
      <VAR NAME="Count" TYPE="Word" DEFAULT="7" IM="Количество" LIST="Счёт"/>
      <FIELD NAME="Title" TYPE="String20" IM="Заголовок"/>
      <IN NAME="X" TYPE="Analog" IM="Вход"/>
      <OUT NAME="Y" TYPE="Word"/>
    </BLOCK>
  </STRUCT>
</Orvanta>
)";

class StructDescription : public StructFixture {};

TEST_F(StructDescription, ThreeTokensLoadABlockDirectlyUnderTheSingleTop) {
    writeXml(path("s.xml"), kPlain);
    TStruct s;
    prepare(s);
    const std::string p = path("s.xml") + cp("/STRUCT/Запись");
    ASSERT_EQ(s.LoadStructDescription(p.c_str()), 0);
    EXPECT_TRUE(loggedLines().empty());
    EXPECT_EQ(utf(s.GetName()), "Запись");
    EXPECT_EQ(utf(s.GetCaption()), "Тестовая запись");
    EXPECT_STREQ(s.Character, "T1");
    EXPECT_EQ(s.GetPath(), p);
    ASSERT_EQ(s.GetItemCount(), 4);
    EXPECT_EQ(s.GetItemKind(0), "VAR");
    EXPECT_EQ(s.GetItemName(0), "Count");
    EXPECT_EQ(s.GetItemType(0), "Word");
    EXPECT_EQ(s.GetItemDefault(0), "7");
    EXPECT_EQ(utf(s.GetItemCaption(0)), "Количество");
    EXPECT_EQ(utf(s.GetItemList(0)), "Счёт");
    EXPECT_EQ(s.GetItemKind(1), "FIELD");
    EXPECT_EQ(s.GetItemDefault(1), "");
    // A pin of a type the conversion library does not know is taken: 2 bytes.
    EXPECT_EQ(s.GetItemKind(2), "IN");
    EXPECT_EQ(s.GetItemType(2), "Analog");
    EXPECT_EQ(s.GetItemSize(2), 2);
    EXPECT_EQ(s.GetSize(), 2 + 21 + 2 + 2);
    EXPECT_EQ(s.GetItemName(4), "");  // out of range
    EXPECT_EQ(s.GetItem(4), nullptr);
    EXPECT_EQ(s.GetItem(-1), nullptr);
}

TEST_F(StructDescription, GroupsAreWalkedByNameUnderTheTopFoundAnywhere) {
    writeXml(path("lib.xml"), R"(<Library><Part>
  <FBD>
    <GROUP NAME="Logic"><GROUP NAME="Gates">
      <BLOCK NAME="AND" IM="И"><IN NAME="A" TYPE="Word"/><OUT NAME="Q" TYPE="Word"/></BLOCK>
    </GROUP></GROUP>
  </FBD></Part></Library>
)");
    TStruct s;
    prepare(s);
    const std::string p = path("lib.xml") + "/FBD/Logic/Gates/AND";
    ASSERT_EQ(s.LoadStructDescription(p.c_str()), 0);
    EXPECT_EQ(s.GetItemCount(), 2);
    EXPECT_EQ(s.GetSize(), 4);
}

struct GrammarCase {
    const char* label;
    const char* body;      // file content (UTF-8); nullptr: no file at all
    const char* elements;  // appended to the file path
    int code;
    const char* log;       // expected single log line, "%F" = file, "%P" = whole path; nullptr: none
};

const GrammarCase kGrammarCases[] = {
    {"two tokens", kPlain, "/STRUCT", -1, "Не возможно загрузить описание структуры: \"%P\""},
    {"two tops", "<R><STRUCT/><STRUCT/></R>", "/STRUCT/B", -3, "Число узлов STRUCT в файле %F =2"},
    {"no top", "<R><OTHER/></R>", "/STRUCT/B", -3, "Число узлов STRUCT в файле %F =0"},
    {"top is the root", "<STRUCT><BLOCK NAME=\"B\"><VAR NAME=\"a\" TYPE=\"Byte\"/></BLOCK></STRUCT>", "/STRUCT/B", 0,
     nullptr},
    {"top without children", "<R><STRUCT/></R>", "/STRUCT/B", -3, nullptr},
    {"group level without children", "<R><STRUCT><GROUP NAME=\"G\"/></STRUCT></R>", "/STRUCT/G/B", -4, nullptr},
    {"first group level without children", "<R><STRUCT/></R>", "/STRUCT/G/B", -3, nullptr},
    {"group not found", "<R><STRUCT><GROUP NAME=\"H\"><BLOCK NAME=\"B\"/></GROUP></STRUCT></R>", "/STRUCT/G/B", -4,
     "Группа \"G\" в файле \"%F\" не найдена"},
    {"group element in lower case", "<R><STRUCT><group NAME=\"G\"><BLOCK NAME=\"B\"/></group></STRUCT></R>",
     "/STRUCT/G/B", -4, "Группа \"G\" в файле \"%F\" не найдена"},
    {"block not found", "<R><STRUCT><BLOCK NAME=\"C\"><VAR NAME=\"a\" TYPE=\"Byte\"/></BLOCK></STRUCT></R>",
     "/STRUCT/B", -5, "Структура \"B\" в файле \"%F\" не найдена"},
    {"block name differs in case", "<R><STRUCT><BLOCK NAME=\"b\"><VAR NAME=\"a\" TYPE=\"Byte\"/></BLOCK></STRUCT></R>",
     "/STRUCT/B", -5, "Структура \"B\" в файле \"%F\" не найдена"},
    {"block without fields", "<R><STRUCT><BLOCK NAME=\"B\"/></STRUCT></R>", "/STRUCT/B", -6,
     "Нет описания структуры \"B\" в файле \"%F\""},
    {"field without TYPE", "<R><STRUCT><BLOCK NAME=\"B\"><VAR NAME=\"a\" TYPE=\"Byte\"/><VAR NAME=\"b\"/></BLOCK></STRUCT></R>",
     "/STRUCT/B", -8, nullptr},
    {"field without NAME", "<R><STRUCT><BLOCK NAME=\"B\"><VAR TYPE=\"Byte\"/></BLOCK></STRUCT></R>", "/STRUCT/B", -8,
     nullptr},
    {"unknown type on a plain field", "<R><STRUCT><BLOCK NAME=\"B\"><VAR NAME=\"a\" TYPE=\"Real48\"/></BLOCK></STRUCT></R>",
     "/STRUCT/B", -7, "Неизвестный тип Real48 структуры B"},
    {"unknown type on a pin of another case",
     "<R><STRUCT><BLOCK NAME=\"B\"><in NAME=\"a\" TYPE=\"Analog\"/></BLOCK></STRUCT></R>", "/STRUCT/B", -7,
     "Неизвестный тип Analog структуры B"},
};

class GrammarTable : public StructFixture, public ::testing::WithParamInterface<GrammarCase> {};

std::string expand(std::string text, const std::string& file, const std::string& whole) {
    for (size_t at; (at = text.find("%F")) != std::string::npos;) text.replace(at, 2, file);
    for (size_t at; (at = text.find("%P")) != std::string::npos;) text.replace(at, 2, whole);
    return text;
}

TEST_P(GrammarTable, CodeAndLogLine) {
    const GrammarCase& c = GetParam();
    const std::string file = path("g.xml");
    writeXml(file, c.body);
    const std::string whole = file + c.elements;

    TStruct s;
    prepare(s);
    // A previous good load must not survive a failed one.
    writeXml(path("good.xml"), kPlain);
    ASSERT_EQ(s.LoadStructDescription((path("good.xml") + cp("/STRUCT/Запись")).c_str()), 0);
    loggedLines().clear();

    EXPECT_EQ(s.LoadStructDescription(whole.c_str()), c.code);
    if (c.log) {
        const std::vector<LoggedLine> expected{{expand(c.log, file, whole), 5}};
        EXPECT_EQ(loggedLines(), expected);
    } else {
        EXPECT_TRUE(loggedLines().empty()) << loggedLines().front().text;
    }
    if (c.code != 0) {
        EXPECT_EQ(s.GetItemCount(), 0);
        EXPECT_EQ(s.GetPath(), "");
        EXPECT_TRUE(s.LoadedPath().empty());
    }
    EXPECT_TRUE(ui.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Struct, GrammarTable, ::testing::ValuesIn(kGrammarCases),
                         [](const ::testing::TestParamInfo<GrammarCase>& info) {
                             std::string name;
                             for (const char* p = info.param.label; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

TEST_F(StructDescription, FieldFailuresAlsoEmptyTheHeader) {
    writeXml(path("f.xml"), R"(<R><STRUCT><BLOCK NAME="B" IM="Cap" CHARACTER="c">
        <VAR NAME="a" TYPE="Byte"/><VAR NAME="b" TYPE="Nope"/></BLOCK></STRUCT></R>)");
    TStruct s;
    prepare(s);
    EXPECT_EQ(s.LoadStructDescription((path("f.xml") + "/STRUCT/B").c_str()), -7);
    EXPECT_STREQ(s.Name, "");
    EXPECT_STREQ(s.Caption, "");
    EXPECT_STREQ(s.Character, "");
}

TEST_F(StructDescription, MissingFileShowsTheParseErrorBox) {
    TStruct s;
    prepare(s);
    EXPECT_EQ(s.LoadStructDescription((path("none.xml") + "/STRUCT/B").c_str()), -2);
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(loggedLines().empty());
}

TEST_F(StructDescription, WithoutConversionRecordNothingIsAdded) {
    writeXml(path("s.xml"), kPlain);
    TStruct s;
    s.OnLog = logLine;
    EXPECT_EQ(s.LoadStructDescription((path("s.xml") + cp("/STRUCT/Запись")).c_str()), -7);
    const std::vector<LoggedLine> expected{{"Нет указателя функций преобразования типов Запись", 5}};
    EXPECT_EQ(loggedLines(), expected);
    EXPECT_EQ(s.GetItemCount(), 0);

    TStructItem item{};
    std::strcpy(item.Kind, "VAR");
    std::strcpy(item.Name, "a");
    std::strcpy(item.TypeName, "Byte");
    EXPECT_EQ(s.AddItem(item), -1);
    s.ConvertOptions = conversion();
    EXPECT_EQ(s.AddItem(item), 0);
    std::strcpy(item.TypeName, "Nope");
    EXPECT_EQ(s.AddItem(item), -2);
    std::strcpy(item.Kind, "OUT");
    EXPECT_EQ(s.AddItem(item), 0);
    EXPECT_EQ(s.GetItemCount(), 2);
}

TEST_F(StructDescription, CommentsAroundFields) {
    writeXml(path("c.xml"), R"(<R><STRUCT>
      <BLOCK NAME="Between"><VAR NAME="a" TYPE="Byte"/><!-- end --><VAR NAME="b" TYPE="Byte"/></BLOCK>
      <BLOCK NAME="Before"><!-- what the block does --><!-- second line --><VAR NAME="a" TYPE="Word"/><VAR NAME="b" TYPE="Byte"/></BLOCK>
      <BLOCK NAME="Only"><!-- nothing else --></BLOCK>
    </STRUCT></R>)");
    TStruct s;
    prepare(s);
    // A comment between fields ends the list there.
    ASSERT_EQ(s.LoadStructDescription((path("c.xml") + "/STRUCT/Between").c_str()), 0);
    EXPECT_EQ(s.GetItemCount(), 1);
    // Comments before the first field are passed over.
    ASSERT_EQ(s.LoadStructDescription((path("c.xml") + "/STRUCT/Before").c_str()), 0);
    EXPECT_EQ(s.GetItemCount(), 2);
    EXPECT_EQ(s.GetSize(), 3);
    // A block holding only a comment has no valid field.
    EXPECT_EQ(s.LoadStructDescription((path("c.xml") + "/STRUCT/Only").c_str()), -8);
}

TEST_F(StructDescription, TextsAreCutToTheirFields) {
    const std::string longName(50, 'n'), longCaption(70, 'c'), longField(40, 'f');
    writeXml(path("l.xml"), "<R><STRUCT><BLOCK NAME=\"" + longName + "\" IM=\"" + longCaption + "\" CHARACTER=\"" +
                                longField + "\"><VAR NAME=\"" + longField + "\" TYPE=\"Byte\" IM=\"" + longCaption +
                                "\" DEFAULT=\"" + longField + "\"/></BLOCK></STRUCT></R>");
    TStruct s;
    prepare(s);
    ASSERT_EQ(s.LoadStructDescription((path("l.xml") + "/STRUCT/" + longName).c_str()), 0);
    EXPECT_EQ(s.GetName(), longName.substr(0, 40));
    EXPECT_EQ(s.GetCaption(), longCaption.substr(0, 60));
    EXPECT_EQ(std::string(s.Character), longField.substr(0, 20));
    EXPECT_EQ(s.GetItemName(0), longField.substr(0, 30));
    EXPECT_EQ(s.GetItemCaption(0), longCaption.substr(0, 60));
    EXPECT_EQ(s.GetItemDefault(0), longField.substr(0, 30));
}

TEST_F(StructDescription, LeadingBackslashMeansTheCurrentFolder) {
    writeXml(path("s.xml"), kPlain);
    ScopedCurrentDir here(dir.path());
    TStruct s;
    prepare(s);
    EXPECT_EQ(s.LoadStructDescription(cp("\\s.xml/STRUCT/Запись").c_str()), 0);
    EXPECT_EQ(s.GetItemCount(), 4);
}

TEST_F(StructDescription, FindItemIsExact) {
    writeXml(path("s.xml"), kPlain);
    TStruct s;
    prepare(s);
    ASSERT_EQ(s.LoadStructDescription((path("s.xml") + cp("/STRUCT/Запись")).c_str()), 0);
    int16_t index = 99;
    EXPECT_EQ(s.FindItem("Title", index), 1);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(s.FindItem("title", index), 0);
    EXPECT_EQ(index, -1);
    index = 5;
    EXPECT_EQ(s.FindItem(nullptr, index), 0);
    EXPECT_EQ(index, -1);
}

// ---------------------------------------------------------------------------
// Loading by element path (option blocks)

const char* const kOptions = R"(<OPTIONS>
  <MENU><TREENODE NAME="Сборка" STRUCT="ConfiguratorBuilder"/></MENU>
  <STRUCT>
    <BLOCK NAME="ConfiguratorUpdate" IM="Обновление"><VAR NAME="Auto" TYPE="Byte" DEFAULT="1"/></BLOCK>
    <BLOCK NAME="ConfiguratorBuilder" IM="Сборка">
      <VAR NAME="GroupInputs" TYPE="Byte" DEFAULT="0"/>
      <VAR NAME="GroupOutputs" TYPE="Byte" DEFAULT="0"/>
    </BLOCK>
    <BLOCK NAME="Empty"/>
    <BLOCK NAME="Broken"><VAR NAME="x" TYPE="Nope"/></BLOCK>
    <BLOCK NAME="Nameless"><VAR TYPE="Byte"/></BLOCK>
  </STRUCT>
</OPTIONS>
)";

class ElementPath : public StructFixture {};

TEST_F(ElementPath, FindsTheBlockByNameAndLeavesPathEmpty) {
    writeXml(path("Options.xml"), kOptions);
    TStruct s;
    prepare(s);
    ASSERT_EQ(s.LoadDescriptionByElementPath((path("Options.xml") + "/OPTIONS/STRUCT/ConfiguratorBuilder").c_str()), 0);
    EXPECT_EQ(s.GetName(), "ConfiguratorBuilder");
    EXPECT_EQ(utf(s.GetCaption()), "Сборка");
    EXPECT_EQ(s.GetItemCount(), 2);
    EXPECT_EQ(s.GetSize(), 2);
    EXPECT_EQ(s.GetPath(), "");
    EXPECT_TRUE(loggedLines().empty());
}

TEST_F(ElementPath, Failures) {
    writeXml(path("Options.xml"), kOptions);
    const std::string file = path("Options.xml");
    struct Case {
        std::string elements;
        int code;
        std::string log;  // empty: no line
    } cases[] = {
        {"", -1, "Не возможно загрузить описание структуры: \"" + file + "\""},
        // No such block reports failure; it used to load an empty structure.
        {"/OPTIONS/STRUCT/Missing", -3, "Структура \"Missing\" в файле \"" + file + "\" не найдена"},
        {"/OPTIONS/NOSTRUCT/ConfiguratorBuilder", -3,
         "Структура \"ConfiguratorBuilder\" в файле \"" + file + "\" не найдена"},
        {"/OTHERS/STRUCT/ConfiguratorBuilder", -3,
         "Структура \"ConfiguratorBuilder\" в файле \"" + file + "\" не найдена"},
        {"/OPTIONS/STRUCT/Empty", -3, "Нет описания  \"" + file + "/OPTIONS/STRUCT/Empty\""},
        {"/OPTIONS/STRUCT/Broken", -3, "Неизвестный тип Nope структуры Broken"},
        {"/OPTIONS/STRUCT/Nameless", -3, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.elements);
        loggedLines().clear();
        TStruct s;
        prepare(s);
        ASSERT_EQ(s.LoadDescriptionByElementPath((file + "/OPTIONS/STRUCT/ConfiguratorUpdate").c_str()), 0);
        loggedLines().clear();
        EXPECT_EQ(s.LoadDescriptionByElementPath((file + c.elements).c_str()), c.code);
        EXPECT_EQ(s.GetItemCount(), 0);
        EXPECT_EQ(s.GetSize(), 0);
        if (c.log.empty()) {
            EXPECT_TRUE(loggedLines().empty());
        } else {
            const std::vector<LoggedLine> expected{{c.log, 5}};
            EXPECT_EQ(loggedLines(), expected);
        }
    }
    TStruct s;
    prepare(s);
    EXPECT_EQ(s.LoadDescriptionByElementPath((path("none.xml") + "/OPTIONS/STRUCT/X").c_str()), -2);
}

// ---------------------------------------------------------------------------
// The shipped description file

struct ShippedRecord {
    const char* name;
    int size;
};

TEST_F(StructDescription, EveryShippedDescriptionLoadsAtItsSize) {
    const std::string file = ZO_PROGRAM_DIR "/Struct/Struct.xml";
    ASSERT_TRUE(std::filesystem::exists(file));
    const std::map<std::string, int> sizes{
        {"Проект", 184},         {"Схема", 94},          {"Блок", 340},           {"Соединение", 15},
        {"Соединение_сохран", 15}, {"Описание_соединения", 95}, {"Описание_блока", 6}, {"Отобр.", 323},
    };
    // Every BLOCK of the file is one of these, and each of these is there.
    TZo_XML xml;
    ASSERT_EQ(xml.OpenFile(file), 0);
    xml.GoRoot();
    xml.SetMark();
    ASSERT_EQ(xml.CountFromMark("STRUCT"), 1);
    ASSERT_EQ(xml.FindFromMark("STRUCT"), 0);
    ASSERT_EQ(xml.GoFirstChild(), 0);
    std::map<std::string, int> found;
    do {
        ASSERT_EQ(xml.GetNodeName(), "BLOCK");
        const std::string name = utf(xml.GetAttribute("NAME"));
        ASSERT_TRUE(sizes.count(name)) << name;
        TStruct s;
        prepare(s);
        ASSERT_EQ(s.LoadStructDescription((file + "/STRUCT/" + cp(name)).c_str()), 0) << name;
        EXPECT_EQ(s.GetSize(), sizes.at(name)) << name;
        EXPECT_FALSE(s.GetCaption().empty()) << name;
        // Defaults are values of their types: a record set to them writes no attribute.
        std::vector<uint8_t> record(size_t(s.GetSize()) + 1, 0xAB);
        for (int i = 0; i < s.GetItemCount(); ++i) {
            EXPECT_FALSE(s.GetItemCaption(i).empty()) << name << " " << s.GetItemName(i);
            if (!s.GetItemDefault(i).empty()) {
                EXPECT_EQ(s.SetValue(record.data(), i, s.GetItem(i)->Default), 0) << name << " " << s.GetItemName(i);
            }
        }
        found[name] = s.GetSize();
    } while (xml.GoNextSibling() == 0);
    EXPECT_EQ(found.size(), sizes.size());
    EXPECT_TRUE(loggedLines().empty());
}

TEST_F(StructDescription, ShippedLineTypeRecordHasTheFieldsWhereTheKernelReadsThem) {
    TStruct s;
    prepare(s);
    ASSERT_EQ(s.LoadStructDescription((ZO_PROGRAM_DIR "/Struct/Struct.xml" + cp("/STRUCT/Описание_соединения")).c_str()), 0);
    std::vector<uint8_t> record(95, 0);
    uint8_t* base = record.data();
    struct Place {
        int offset;
        const char* type;
    };
    const std::map<int, Place> wanted{{0, {0, "String20"}}, {1, {21, "String20"}}, {2, {42, "String40"}},
                                      {3, {83, "Color"}},    {4, {87, "Color"}},    {5, {91, "Integer"}}};
    ASSERT_EQ(s.GetItemCount(), int(wanted.size()));
    for (const auto& [index, place] : wanted) {
        EXPECT_EQ(static_cast<uint8_t*>(s.GetValuePtr(base, index)) - base, place.offset) << index;
        EXPECT_EQ(s.GetItemType(index), place.type) << index;
    }
}

TEST_F(StructDescription, ShippedListsNamedByFieldsExist) {
    const std::string file = ZO_PROGRAM_DIR "/Struct/Struct.xml";
    TZo_XML xml;
    ASSERT_EQ(xml.OpenFile(file), 0);
    xml.GoRoot();
    xml.SetMark();
    ASSERT_EQ(xml.CountFromMark("List"), 1);
    for (const char* name : {"Проект", "Схема", "Блок", "Соединение", "Соединение_сохран", "Описание_соединения",
                             "Описание_блока", "Отобр."}) {
        TStruct s;
        prepare(s);
        ASSERT_EQ(s.LoadStructDescription((file + "/STRUCT/" + cp(name)).c_str()), 0);
        for (int i = 0; i < s.GetItemCount(); ++i) {
            const std::string list = s.GetItemList(i);
            if (list.empty()) continue;
            EXPECT_EQ(xml.GoToPath(cp("Orvanta/List/") + list), 0) << name << " " << utf(list);
        }
    }
}

}  // namespace
