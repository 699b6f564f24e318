// XML path queries over a small device description.
#include "configurator/shell/XmlQuery.h"

#include "common/StringList.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zo::configurator;
using zo::test::cp;

namespace {

class XmlQuery : public ::testing::Test {
protected:
    void SetUp() override {
        device_ = dir_.file("device.dev");
        zo::test::writeBytes(device_, cp("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
                                          "<Micro Program=\"Mega128\" Name=\"Прибор\">\n"
                                          "  <BUILD CMD=\"avrasm2.exe -fI\" SOURCE=\"main.asm\" LONG=\"" +
                                          std::string(300, 'v') + "\" FIELD=\"" + std::string(260, 'f') +
                                          "\">\n"
                                          "    <PROGRAM FILE=\"main_prog.asm\"/>\n"
                                          "    <COPY FILE=\"a.inc\"/>\n"
                                          "    <COPY FILE=\"\"/>\n"
                                          "    <COPY NAME=\"no file\"/>\n"
                                          "    <copy FILE=\"other case\"/>\n"
                                          "    <COPY FILE=\"b.inc\"/>\n"
                                          "    <!-- the walk ends here -->\n"
                                          "    <COPY FILE=\"after the comment\"/>\n"
                                          "  </BUILD>\n"
                                          "  <EMPTY/>\n"
                                          "</Micro>\n"));
        build_ = device_ + "/Micro/BUILD";
    }

    std::vector<std::string> list(const std::string& query, const char* child, const char* attribute,
                                  int32_t expected) {
        std::vector<std::string> items{"left over"};
        EXPECT_EQ(XmlQueryList(nullptr, query.c_str(), child, &items, attribute), expected) << query;
        return items;
    }

    zo::test::TempDir dir_;
    zo::test::UiRecorder ui_;
    std::string device_;
    std::string build_;
};

TEST_F(XmlQuery, ListsTheNonEmptyAttributesOfNamedChildrenUpToTheFirstNonElement) {
    EXPECT_EQ(list(build_, "COPY", "FILE", kXmlQueryOk), (std::vector<std::string>{"a.inc", "b.inc"}));
    EXPECT_EQ(list(build_, "PROGRAM", "FILE", kXmlQueryOk), (std::vector<std::string>{"main_prog.asm"}));
    EXPECT_TRUE(list(build_, "DEVICE", "FILE", kXmlQueryOk).empty());
    EXPECT_TRUE(list(device_ + "/Micro/EMPTY", "COPY", "FILE", kXmlQueryOk).empty());
    // A failing query leaves the list empty too.
    EXPECT_TRUE(list(device_ + "/Micro/NONE", "COPY", "FILE", kXmlQueryNoElement).empty());
}

TEST_F(XmlQuery, ValuesAndTheirFailures) {
    const struct {
        std::string query;
        const char* attribute;
        int32_t result;
        std::string value;
    } cases[] = {
        {build_, "CMD", kXmlQueryOk, "avrasm2.exe -fI"},
        {build_ + "/", "SOURCE", kXmlQueryOk, "main.asm"},
        {device_ + "/Micro/", "Name", kXmlQueryOk, cp("Прибор")},
        {build_, "MISSING", kXmlQueryNoValue, ""},
        {device_ + "/Micro/EMPTY", "FILE", kXmlQueryNoValue, ""},
        {device_ + "/Micro/BUILD/NONE", "CMD", kXmlQueryNoElement, ""},
        {device_ + "/Other/BUILD", "CMD", kXmlQueryNoElement, ""},
        // Only a file part: an empty element path is not found.
        {device_, "Program", kXmlQueryNoElement, ""},
        {"/Micro/BUILD", "CMD", kXmlQueryNoFile, ""},
        {"", "CMD", kXmlQueryNoFile, ""},
    };
    for (const auto& c : cases) {
        std::string value = "left over";
        EXPECT_EQ(XmlQueryValue(nullptr, c.query.c_str(), c.attribute, &value), c.result) << c.query;
        EXPECT_EQ(value, c.value) << c.query;
    }
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(XmlQuery, NilArgumentsAreRefused) {
    std::vector<std::string> items;
    std::string value;
    EXPECT_EQ(XmlQueryList(nullptr, nullptr, "COPY", &items, "FILE"), kXmlQueryNilArgument);
    EXPECT_EQ(XmlQueryList(nullptr, build_.c_str(), nullptr, &items, "FILE"), kXmlQueryNilArgument);
    EXPECT_EQ(XmlQueryList(nullptr, build_.c_str(), "COPY", nullptr, "FILE"), kXmlQueryNilArgument);
    EXPECT_EQ(XmlQueryList(nullptr, build_.c_str(), "COPY", &items, nullptr), kXmlQueryNilArgument);
    EXPECT_EQ(XmlQueryValue(nullptr, nullptr, "CMD", &value), kXmlQueryNilArgument);
    EXPECT_EQ(XmlQueryValue(nullptr, build_.c_str(), nullptr, &value), kXmlQueryNilArgument);
    EXPECT_EQ(XmlQueryValue(nullptr, build_.c_str(), "CMD", nullptr), kXmlQueryNilArgument);
}

TEST_F(XmlQuery, AFileThatDoesNotOpenShowsTheWrappersBox) {
    zo::test::writeBytes(dir_.file("broken.dev"), "<Micro><BUILD></Micro>");
    zo::test::ScopedCurrentDir here(dir_.path());
    std::string value;
    EXPECT_EQ(XmlQueryValue(nullptr, "broken.dev/Micro/BUILD", "CMD", &value), kXmlQueryOpenFailed);
    EXPECT_EQ(XmlQueryValue(nullptr, "missing.dev/Micro/BUILD", "CMD", &value), kXmlQueryOpenFailed);
    EXPECT_EQ(ui_.messages.size(), 2u);
}

TEST_F(XmlQuery, ALeadingBackslashNamesAFileOfTheCurrentFolder) {
    zo::test::ScopedCurrentDir here(dir_.path());
    std::string value;
    EXPECT_EQ(XmlQueryValue(nullptr, "\\device.dev/Micro/BUILD", "SOURCE", &value), kXmlQueryOk);
    EXPECT_EQ(value, "main.asm");
    std::vector<std::string> items;
    EXPECT_EQ(XmlQueryList(nullptr, "\\device.dev/Micro/BUILD", "COPY", &items, "FILE"), kXmlQueryOk);
    EXPECT_EQ(items.size(), 2u);
}

TEST_F(XmlQuery, AGivenWrapperIsUsedAsItStandsAndKept) {
    zo::TZo_XML xml;
    ASSERT_EQ(xml.OpenFile(device_), 0);
    std::string value;
    // The file part is not opened: it need not even exist.
    EXPECT_EQ(XmlQueryValue(&xml, "not-opened.dev/Micro/BUILD", "CMD", &value), kXmlQueryOk);
    EXPECT_EQ(value, "avrasm2.exe -fI");
    std::vector<std::string> items;
    EXPECT_EQ(XmlQueryList(&xml, "not-opened.dev/Micro/BUILD", "PROGRAM", &items, "FILE"), kXmlQueryOk);
    EXPECT_EQ(items, std::vector<std::string>{"main_prog.asm"});
    EXPECT_EQ(xml.GoToPath("Micro"), 0);
    EXPECT_EQ(xml.GetAttribute("Program"), "Mega128");
}

TEST_F(XmlQuery, TheListCallbackFillsTheCallersList) {
    zo::TStringListTable table;
    table.List()->Add(table.List(), "left over");
    EXPECT_EQ(XmlQueryListCallback(nullptr, build_.c_str(), "COPY", "FILE", table.List()), kXmlQueryOk);
    EXPECT_EQ(table.Items(), (std::vector<std::string>{"a.inc", "b.inc"}));
    EXPECT_EQ(XmlQueryListCallback(nullptr, (device_ + "/Micro/NONE").c_str(), "COPY", "FILE", table.List()),
              kXmlQueryNoElement);
    EXPECT_TRUE(table.Items().empty());
    EXPECT_EQ(XmlQueryListCallback(nullptr, build_.c_str(), "COPY", "FILE", nullptr), kXmlQueryNilArgument);
}

TEST_F(XmlQuery, TheValueCallbackAlwaysSetsItsBufferAndRefusesWhatDoesNotFit) {
    const char* text = nullptr;
    EXPECT_EQ(XmlQueryValueCallback(nullptr, build_.c_str(), "CMD", &text), kXmlQueryOk);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "avrasm2.exe -fI");

    // 260 characters and the terminator fill the field exactly.
    const char* full = nullptr;
    EXPECT_EQ(XmlQueryValueCallback(nullptr, build_.c_str(), "FIELD", &full), kXmlQueryOk);
    EXPECT_EQ(std::string(full), std::string(260, 'f'));

    const char* failed = nullptr;
    EXPECT_EQ(XmlQueryValueCallback(nullptr, build_.c_str(), "MISSING", &failed), kXmlQueryNoValue);
    ASSERT_NE(failed, nullptr);
    EXPECT_STREQ(failed, "");

    const char* tooLong = nullptr;
    EXPECT_EQ(XmlQueryValueCallback(nullptr, build_.c_str(), "LONG", &tooLong), kXmlQueryTooLong);
    ASSERT_NE(tooLong, nullptr);
    EXPECT_STREQ(tooLong, "");

    EXPECT_EQ(XmlQueryValueCallback(nullptr, build_.c_str(), "CMD", nullptr), kXmlQueryNilArgument);
}

}  // namespace
