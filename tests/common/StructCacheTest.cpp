// The description cache and the flat accessors.

#include "StructTestSupport.h"

#include <cstring>
#include <filesystem>

using namespace zo;
using namespace zo::test;

namespace {

const char* const kDescriptions = R"(<Orvanta><STRUCT>
  <BLOCK NAME="Rec" IM="Запись">
    <VAR NAME="Count" TYPE="Word" DEFAULT="3" IM="Количество" LIST="Список"/>
    <FIELD NAME="Title" TYPE="String300" IM="Заголовок"/>
    <OUT NAME="Q" TYPE="Analog" IM="Выход"/>
  </BLOCK>
  <BLOCK NAME="Other" IM="Другая"><VAR NAME="a" TYPE="Byte"/></BLOCK>
</STRUCT></Orvanta>
)";

class StructCache : public StructFixture {
protected:
    void SetUp() override {
        StructFixture::SetUp();
        writeXml(path("s.xml"), kDescriptions);
        cache.ConvertOptions = conversion();
        cache.OnLog = logLine;
    }
    TArhivStruc cache;
};

TEST_F(StructCache, LoadsOncePerPath) {
    const std::string p = path("s.xml") + "/STRUCT/Rec";
    TStruct* first = cache.GetStruct(p.c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->ConvertOptions, conversion());
    EXPECT_EQ(first->OnLog, &logLine);
    // The file changes, the cached description does not.
    writeXml(path("s.xml"), "<Orvanta><STRUCT><BLOCK NAME=\"Rec\"><VAR NAME=\"z\" TYPE=\"Byte\"/></BLOCK></STRUCT></Orvanta>");
    EXPECT_EQ(cache.GetStruct(p.c_str()), first);
    EXPECT_EQ(first->GetItemCount(), 3);
    EXPECT_EQ(cache.Structs.Count, 1);
    TStruct* other = cache.GetStruct((path("s.xml") + "/STRUCT/Rec/").c_str());  // another key, loaded anew
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, first);
    EXPECT_EQ(other->GetItemCount(), 1);
    EXPECT_EQ(cache.Structs.Count, 2);
}

TEST_F(StructCache, FailuresAreNotRememberedAndAreRetried) {
    const std::string p = path("s.xml") + "/STRUCT/Later";
    EXPECT_EQ(cache.GetStruct(p.c_str()), nullptr);
    EXPECT_EQ(cache.GetStruct(p.c_str()), nullptr);
    const LoggedLine line{"Структура \"Later\" в файле \"" + path("s.xml") + "\" не найдена", 5};
    EXPECT_EQ(loggedLines(), std::vector<LoggedLine>({line, line}));
    EXPECT_EQ(cache.Structs.Count, 0);

    writeXml(path("s.xml"), "<Orvanta><STRUCT><BLOCK NAME=\"Later\"><VAR NAME=\"z\" TYPE=\"Byte\"/></BLOCK></STRUCT></Orvanta>");
    TStruct* loaded = cache.GetStruct(p.c_str());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetSize(), 1);
    EXPECT_EQ(cache.Structs.Count, 1);
    EXPECT_EQ(cache.GetStruct(nullptr), nullptr);
}

TEST_F(StructCache, LeadingBackslashIsAnotherKey) {
    ScopedCurrentDir here(dir.path());
    TStruct* relative = cache.GetStruct("\\s.xml/STRUCT/Rec");
    TStruct* plain = cache.GetStruct("s.xml/STRUCT/Rec");
    ASSERT_NE(relative, nullptr);
    ASSERT_NE(plain, nullptr);
    EXPECT_NE(relative, plain);
    EXPECT_EQ(cache.GetStruct("\\s.xml/STRUCT/Rec"), relative);
}

TEST_F(StructCache, APathLongerThanItsStoredFormIsStillLoadedOnce) {
    // A folder deep enough for the path to pass 260 characters.
    std::filesystem::path deep = dir.path();
    while (deep.string().size() < 280) deep /= std::string(40, 'd');
    std::filesystem::create_directories(deep);
    const std::string file = (deep / "s.xml").string();
    writeXml(file, kDescriptions);
    const std::string p = file + "/STRUCT/Rec";
    ASSERT_GT(p.size(), 260u);

    TStruct* first = cache.GetStruct(p.c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetPath(), p.substr(0, 260));
    EXPECT_EQ(cache.GetStruct(p.c_str()), first);
    EXPECT_EQ(cache.Structs.Count, 1);
}

// ---------------------------------------------------------------------------
// Accessors

class Accessors : public StructCache {
protected:
    void SetUp() override {
        StructCache::SetUp();
        rec = cache.GetStruct((path("s.xml") + "/STRUCT/Rec").c_str());
        ASSERT_NE(rec, nullptr);
        ASSERT_EQ(rec->GetSize(), 2 + 301 + 2);
        record.assign(size_t(rec->GetSize()), 0);
        rec->SetDefaults(record.data());
        instance = {rec, record.data()};
    }
    TStruct* rec = nullptr;
    std::vector<uint8_t> record;
    TStructInstance instance{};
};

TEST_F(Accessors, NilGivesNilOrZero) {
    EXPECT_EQ(GetStructPath(nullptr), nullptr);
    EXPECT_EQ(GetStructName(nullptr), nullptr);
    EXPECT_EQ(GetStructCaption(nullptr), nullptr);
    EXPECT_EQ(GetStructItemCount(nullptr), 0);
    EXPECT_EQ(GetStructSize(nullptr), 0);
    EXPECT_EQ(GetStructItemName(nullptr, 0), nullptr);
    EXPECT_EQ(GetStructItemValue(nullptr, 0), nullptr);
    EXPECT_EQ(SetStructItemValue(nullptr, 0, "1"), 0);
    EXPECT_EQ(GetStructItemPtr(nullptr, 0), nullptr);
    int16_t index = 42;
    EXPECT_EQ(FindStructItem(nullptr, "Count", &index), 0);
    EXPECT_EQ(index, 42);
    const TStructInstance empty{nullptr, record.data()};
    EXPECT_EQ(GetStructName(&empty), nullptr);
    EXPECT_EQ(GetStructItemCount(&empty), 0);
}

TEST_F(Accessors, HeaderTextsPointIntoTheStructure) {
    EXPECT_EQ(GetStructPath(&instance), rec->Path);
    EXPECT_EQ(GetStructName(&instance), rec->Name);
    EXPECT_EQ(GetStructCaption(&instance), rec->Caption);
    EXPECT_EQ(utf(GetStructCaption(&instance)), "Запись");
    EXPECT_EQ(GetStructItemCount(&instance), 3);
    EXPECT_EQ(GetStructSize(&instance), 305);
}

TEST_F(Accessors, TheAddressOfAStructureReferenceServesForItsDescription) {
    // Only the first field is read: a lone reference is enough (the sanitizer
    // would catch a read of the missing record pointer).
    TStruct* lone = rec;
    const auto* reference = reinterpret_cast<const TStructInstance*>(&lone);
    EXPECT_STREQ(GetStructName(reference), "Rec");
    EXPECT_EQ(GetStructItemCount(reference), 3);
    EXPECT_EQ(GetStructSize(reference), 305);
    EXPECT_STREQ(GetStructItemType(reference, 1), "String300");
    int16_t index = -5;
    EXPECT_EQ(FindStructItem(reference, "Q", &index), 1);
    EXPECT_EQ(index, 2);
}

TEST_F(Accessors, ItemTextsShareOneBuffer) {
    const char* name = GetStructItemName(&instance, 0);
    EXPECT_STREQ(name, "Count");
    const char* type = GetStructItemType(&instance, 0);
    EXPECT_EQ(type, name);
    EXPECT_STREQ(name, "Word");
    struct Row {
        const char* (*accessor)(const TStructInstance*, uint16_t);
        uint16_t index;
        const char* utf8;
    } rows[] = {
        {GetStructItemName, 2, "Q"},           {GetStructItemType, 2, "Analog"},   {GetStructItemCaption, 0, "Количество"},
        {GetStructItemKind, 1, "FIELD"},       {GetStructItemKind, 2, "OUT"},      {GetStructItemList, 0, "Список"},
        {GetStructItemDefault, 0, "3"},        {GetStructItemValue, 0, "3"},       {GetStructItemValue, 2, "0"},
        {GetStructItemName, 3, ""},            {GetStructItemValue, 3, ""},        {GetStructItemDefault, 65535, ""},
    };
    for (const Row& row : rows) {
        const char* text = row.accessor(&instance, row.index);
        EXPECT_EQ(text, name);  // out of range too: empty text, same address
        EXPECT_EQ(utf(text), row.utf8);
    }
}

TEST_F(Accessors, ValuesAreReadAndStoredThroughTheInstance) {
    EXPECT_EQ(SetStructItemValue(&instance, 0, "1000"), 1);
    EXPECT_STREQ(GetStructItemValue(&instance, 0), "1000");
    uint16_t count = 0;
    std::memcpy(&count, record.data(), 2);
    EXPECT_EQ(count, 1000);
    // Refused texts are not stored and say so.
    EXPECT_EQ(SetStructItemValue(&instance, 0, "70000"), 0);
    EXPECT_EQ(SetStructItemValue(&instance, 0, "many"), 0);
    EXPECT_EQ(SetStructItemValue(&instance, 0, nullptr), 0);
    EXPECT_EQ(SetStructItemValue(&instance, 3, "1"), 0);
    EXPECT_STREQ(GetStructItemValue(&instance, 0), "1000");
    // Pins are 2-byte numbers.
    EXPECT_EQ(SetStructItemValue(&instance, 2, "65535"), 1);
    EXPECT_EQ(GetStructItemPtr(&instance, 2), record.data() + 303);
    EXPECT_EQ(GetStructItemPtr(&instance, 0), record.data());
    EXPECT_EQ(GetStructItemPtr(&instance, 3), nullptr);
}

TEST_F(Accessors, LongValuesAreCutTo260Characters) {
    const std::string title(300, 't');
    ASSERT_EQ(SetStructItemValue(&instance, 1, title.c_str()), 1);
    EXPECT_EQ(rec->GetValue(record.data(), 1), title);
    EXPECT_EQ(std::string(GetStructItemValue(&instance, 1)), title.substr(0, 260));
}

TEST_F(Accessors, FindIsExact) {
    int16_t index = 7;
    EXPECT_EQ(FindStructItem(&instance, "Title", &index), 1);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(FindStructItem(&instance, "title", &index), 0);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(FindStructItem(&instance, "Title", nullptr), 0);
}

TEST(StructAccessRecord, SlotsInTheirOrder) {
    TStructAccess access{};
    FillStructAccess(access);
    EXPECT_EQ(access.GetStructName, &GetStructName);
    EXPECT_EQ(access.GetStructCaption, &GetStructCaption);
    EXPECT_EQ(access.GetStructItemCount, &GetStructItemCount);
    EXPECT_EQ(access.GetStructSize, &GetStructSize);
    EXPECT_EQ(access.GetStructItemType, &GetStructItemType);
    EXPECT_EQ(access.GetStructItemName, &GetStructItemName);
    EXPECT_EQ(access.GetStructItemCaption, &GetStructItemCaption);
    EXPECT_EQ(access.GetStructItemKind, &GetStructItemKind);
    EXPECT_EQ(access.GetStructItemList, &GetStructItemList);
    EXPECT_EQ(access.GetStructItemDefault, &GetStructItemDefault);
    EXPECT_EQ(access.GetStructItemValue, &GetStructItemValue);
    EXPECT_EQ(access.SetStructItemValue, &SetStructItemValue);
    EXPECT_EQ(access.FindStructItem, &FindStructItem);
}

}  // namespace
