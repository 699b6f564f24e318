// Saving: the file holds exactly libxml2's pretty-printed Windows-1251 text of
// the document, also for documents far longer than one piece of the check
// that the text parses again.

#include "common/My_XML.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <libxml/tree.h>

#include <string>

using namespace zo;
using namespace zo::test;

namespace {

// libxml2's own text of the document, as the file should hold it.
std::string libxmlText(xmlDocPtr doc) {
    const int oldIndent = xmlIndentTreeOutput;
    xmlIndentTreeOutput = 1;
    xmlChar* mem = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(doc, &mem, &size, "windows-1251", 1);
    xmlIndentTreeOutput = oldIndent;
    std::string text(reinterpret_cast<const char*>(mem), size_t(size));
    xmlFree(mem);
    return text;
}

TEST(XmlSave, TheFileHoldsLibxmlsOwnText) {
    TempDir dir;
    const std::string source = dir.file("source.xml");
    writeBytes(source, cp("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
                          "<!DOCTYPE Проект>\n"
                          "<Проект Имя=\"Насос &amp; клапан\"><!-- заметка --><Схема Ширина=\"40\">значение</Схема>"
                          "<Блок/><?обработка данные?></Проект>\n"));
    TZo_XML xml;
    ASSERT_EQ(xml.OpenFile(source), 0);
    xml.GoRoot();
    ASSERT_EQ(xml.AddChild(cp("Соединение")), 0);
    ASSERT_EQ(xml.SetAttribute("A", cp("точка")), 0);
    const std::string expected = libxmlText(xml.Document);
    ASSERT_EQ(xml.SaveFile(dir.file("saved.xml")), 0);
    EXPECT_EQ(readBytes(dir.file("saved.xml")), expected);
}

TEST(XmlSave, ALongDocumentSavesWholeAndReadsBack) {
    TempDir dir;
    TZo_XML xml;
    ASSERT_EQ(xml.NewDocument("Orvanta_config"), 0);
    constexpr int kBlocks = 8000;  // several pieces of the parse check
    for (int i = 0; i < kBlocks; ++i) {
        xml.GoRoot();
        ASSERT_EQ(xml.AddChild(cp("Блок")), 0);
        ASSERT_EQ(xml.SetAttribute("Name", cp("Блок ") + std::to_string(i)), 0);
        ASSERT_EQ(xml.SetAttribute("Left", std::to_string(i % 97)), 0);
    }
    const std::string expected = libxmlText(xml.Document);
    ASSERT_GT(expected.size(), size_t(256 * 1024));
    ASSERT_EQ(xml.SaveFile(dir.file("long.xml")), 0);
    EXPECT_EQ(readBytes(dir.file("long.xml")), expected);

    TZo_XML again;
    ASSERT_EQ(again.OpenFile(dir.file("long.xml")), 0);
    again.GoRoot();
    again.SetMark();
    EXPECT_EQ(again.CountFromMark(cp("Блок")), kBlocks);
}

}  // namespace
