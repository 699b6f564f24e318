// Replacement lists: the file format, the file's own list winning over the
// global one, both directions of translation and the value list.

#include "configurator/windows/ReplacementLists.h"
#include "platform/Cp1251.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zo;
using namespace zo::configurator;
using namespace zo::test;

namespace {

std::string xmlText(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n" + cp(body) + "\n";
}

class Lists : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(dir_.path() / "Struct");
        writeBytes(dir_.file("Struct/Global.lst"), xmlText(R"(<List>
  <ДаНет><Line Val="Нет=0"/><Line Val="  Да   =  1 "/></ДаНет>
  <Режим><Line Val="Ручной=0"/><Line Val="Авто=1"/><Line Val="Без равенства"/><Line Val="=5"/><Line Val="Пусто="/><Other Val="Лишний=9"/></Режим>
  <Пустой/>
</List>)"));
        writeBytes(dir_.file("Struct/~Old.lst"), xmlText("<List><ДаНет><Line Val=\"Старое=1\"/></ДаНет></List>"));
        writeBytes(dir_.file("Struct/Broken.lst"), "<List><unclosed>");
        writeBytes(dir_.file("Struct/Two.lst"), xmlText("<r><List><A><Line Val=\"a=1\"/></A></List><List/></r>"));
        writeBytes(dir_.file("Desc.xml"), xmlText(R"(<Orvanta><STRUCT><BLOCK NAME="B"/></STRUCT>
  <List><ДаНет><Line Val="Включено=1"/></ДаНет></List></Orvanta>)"));
        lists.OnLog = [this](const std::string& text, uint8_t level) {
            logged.push_back(platform::cp1251ToUtf8(text));
            EXPECT_EQ(level, 1);
        };
        lists.LoadReplacementLists(lists.GlobalLists, "\\Struct");
    }
    std::string shown(const std::string& stored, const char* list, const std::string& path = "\\Desc.xml/STRUCT/B") {
        return platform::cp1251ToUtf8(lists.TranslateValue(path, cp(stored), cp(list)));
    }
    std::string stored(const std::string& text, const char* list, const std::string& path = "\\Desc.xml/STRUCT/B") {
        return platform::cp1251ToUtf8(lists.TranslateToStored(path, cp(text), cp(list)));
    }

    TempDir dir_;
    ScopedCurrentDir cd_{dir_.path()};
    UiRecorder ui_;
    TReplacementLists lists;
    std::vector<std::string> logged;
};

TEST_F(Lists, TheFileFormatGivesTrimmedPairsAndIgnoresWhatItMust) {
    // Global.lst only ("~", malformed and two-List files give none); a list
    // without lines is no list.
    ASSERT_EQ(lists.GlobalLists.size(), 2u);
    EXPECT_EQ(platform::cp1251ToUtf8(lists.GlobalLists[0].Name), "ДаНет");
    EXPECT_EQ(lists.GlobalLists[0].Shown, (std::vector<std::string>{cp("Нет"), cp("Да")}));
    EXPECT_EQ(lists.GlobalLists[0].Stored, (std::vector<std::string>{"0", "1"}));
    EXPECT_EQ(lists.GlobalLists[1].Stored, (std::vector<std::string>{"0", "1"}));
    EXPECT_EQ(logged, std::vector<std::string>{"Загружен список замен из файла \"\\Struct\\Global.lst\""});
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(Lists, ADaOneRoundTripThroughTheGlobalList) {
    EXPECT_EQ(shown("1", "ДаНет", "\\Elsewhere.xml/X"), "Да");
    EXPECT_EQ(stored("Да", "ДаНет", "\\Elsewhere.xml/X"), "1");
    EXPECT_EQ(shown("7", "ДаНет", "\\Elsewhere.xml/X"), "7");
    EXPECT_EQ(stored("Может быть", "ДаНет"), "Может быть");
    EXPECT_EQ(shown("1", "НетТакого"), "1");
    EXPECT_EQ(shown("1", ""), "1");
}

TEST_F(Lists, TheFilesOwnListWinsAndTheGlobalListAnswersWhatItLacks) {
    EXPECT_EQ(shown("1", "ДаНет"), "Включено");
    EXPECT_EQ(shown("0", "ДаНет"), "Нет");  // not in the file's list
    EXPECT_EQ(stored("Включено", "ДаНет"), "1");
    EXPECT_EQ(stored("Нет", "ДаНет"), "0");
    std::vector<std::string> items;
    EXPECT_EQ(lists.FillValueList("\\Desc.xml/STRUCT/B", cp("ДаНет"), items), 0);
    EXPECT_EQ(items, std::vector<std::string>{cp("Включено")});
    EXPECT_EQ(lists.FillValueList("\\Desc.xml/STRUCT/B", cp("Режим"), items), 0);
    EXPECT_EQ(items.size(), 2u);
    EXPECT_EQ(lists.FillValueList("\\Desc.xml/STRUCT/B", cp("Пустой"), items), -1);
    EXPECT_EQ(lists.FillValueList("\\Desc.xml/STRUCT/B", cp("Нет"), items), -1);

    logged.clear();
    EXPECT_EQ(lists.ClearReplacementLists(), 0);
    EXPECT_TRUE(lists.FileLists.empty());
    EXPECT_EQ(logged, std::vector<std::string>{"Очищен список замен. (1 списков)"});
    // Without the cache the reverse direction never loads the file.
    EXPECT_EQ(stored("Включено", "ДаНет"), "Включено");
}

TEST_F(Lists, LookUpsAnswerTheirCodes) {
    std::string out;
    EXPECT_EQ(TReplacementLists::LookupReplacement(lists.GlobalLists, "", "1", out), kLookupNoListName);
    EXPECT_EQ(TReplacementLists::LookupReplacement(lists.GlobalLists, "x", "1", out), kLookupNoList);
    EXPECT_EQ(TReplacementLists::LookupReplacement(lists.GlobalLists, cp("ДаНет"), "5", out), kLookupNoText);
    EXPECT_EQ(TReplacementLists::LookupStored(lists.GlobalLists, cp("ДаНет"), cp("Да"), out), kLookupFound);
    EXPECT_EQ(out, "1");
}

TEST(ShippedLists, TheStructFolderListsCoverEveryListTheShippedStructuresName) {
    ScopedCurrentDir cd(ZO_PROGRAM_DIR);
    TReplacementLists lists;
    lists.LoadReplacementLists(lists.GlobalLists, "\\Struct");
    std::vector<std::string> names;
    for (const TReplacementList& l : lists.GlobalLists) {
        EXPECT_FALSE(l.Stored.empty()) << platform::cp1251ToUtf8(l.Name);
        names.push_back(platform::cp1251ToUtf8(l.Name));
    }
    for (const char* needed : {"ДаНет", "ТипФайлаКонфигурации", "Поворот", "ВидЭлемента"})
        EXPECT_NE(std::find(names.begin(), names.end(), needed), names.end()) << needed;
    std::string shown;
    EXPECT_EQ(TReplacementLists::LookupReplacement(lists.GlobalLists, cp("ДаНет"), "1", shown), kLookupFound);
    EXPECT_EQ(platform::cp1251ToUtf8(shown), "Да");
}

}  // namespace
