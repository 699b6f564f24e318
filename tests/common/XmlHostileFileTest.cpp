// Files made to hurt the reader: entity declarations (expanded again on every
// read of a text that refers to them), devices and pipes where a file is
// expected, and bad lines far longer than a message box can show.

#include "common/My_XML.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

using namespace zo;
using namespace zo::test;

namespace {

class XmlHostile : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return dir_.file(name); }
    // The "Текст" line of the one parse-error box shown (UTF-8).
    std::string quotedLine() const {
        if (ui_.messages.size() != 1) return "<" + std::to_string(ui_.messages.size()) + " boxes>";
        const std::string& box = ui_.messages[0];
        const std::string label = "\r\nТекст   : ";
        const size_t from = box.find(label);
        if (from == std::string::npos) return "<no text line>";
        const size_t start = from + label.size();
        return box.substr(start, box.find("\r\nСтрока : ", start) - start);
    }
    TempDir dir_;
    UiRecorder ui_;
};

// Refused at the declaration, before a single reference is expanded: the
// error's line is the declaration's, whatever follows it.
TEST_F(XmlHostile, DocumentsThatDeclareEntitiesAreRefusedAtTheDeclaration) {
    std::string manyReferences;
    for (int i = 0; i < 3000; ++i) manyReferences += "&big;";
    const std::string big(100 * 1024, 'x');
    struct Case {
        const char* what;
        std::string text;
    };
    const Case cases[] = {
        {"internal entity referenced thousands of times",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE r [\n<!ENTITY big \"" + big + "\">\n]>\n<r a=\"" + manyReferences +
             "\"/>\n"},
        {"entity loop", "<?xml version=\"1.0\"?>\n<!DOCTYPE r [\n<!ENTITY a \"&b;\"><!ENTITY b \"&a;\">\n]>\n<r>&a;</r>\n"},
        {"external entity", "<?xml version=\"1.0\"?>\n<!DOCTYPE r [\n<!ENTITY e SYSTEM \"/dev/zero\">\n]>\n<r>&e;</r>\n"},
        {"parameter entity", "<?xml version=\"1.0\"?>\n<!DOCTYPE r [\n<!ENTITY % p \"<!ELEMENT r ANY>\"> %p;\n]>\n<r/>\n"},
        {"unparsed entity",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE r [\n<!NOTATION n SYSTEM \"n\"><!ENTITY u SYSTEM \"u\" NDATA n>\n]>\n<r/>\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui_.messages.clear();
        writeBytes(path("e.xml"), c.text);
        TZo_XML xml;
        EXPECT_EQ(xml.OpenFile(path("e.xml")), -2);
        EXPECT_EQ(xml.Opened, 0);
        EXPECT_EQ(xml.LastParseError().line, 3);
        ASSERT_EQ(ui_.messages.size(), 1u);
        EXPECT_NE(ui_.messages[0].find("Ошибка : Entity declarations are not allowed\r\n"), std::string::npos)
            << ui_.messages[0].substr(0, 300);
    }

    // A document type without entities still opens.
    writeBytes(path("d.xml"), "<?xml version=\"1.0\"?>\n<!DOCTYPE r [ <!ELEMENT r ANY> ]>\n<r a=\"&amp;&#1055;\"/>\n");
    ui_.messages.clear();
    TZo_XML xml;
    ASSERT_EQ(xml.OpenFile(path("d.xml")), 0);
    xml.GoRoot();
    EXPECT_EQ(xml.GetAttribute("a"), cp("&П"));
    EXPECT_TRUE(ui_.messages.empty());
}

// A device, a pipe or a folder where a file is expected: refused as a missing
// file is, at once (the child is stopped should a read block or run on), the
// box saying in words what is there instead.
TEST_F(XmlHostile, OnlyRegularFilesAreRead) {
    ASSERT_EQ(::mkfifo(path("pipe.xml").c_str(), 0644), 0);
    std::filesystem::create_directory(path("folder.xml"));
    const std::string climbing = dir_.str() + "/folder.xml/../../../../../../../../../../dev/zero";
    const std::pair<std::string, std::string> cases[] = {
        {"/dev/zero", "это не обычный файл"},          {climbing, "это не обычный файл"},
        {path("pipe.xml"), "это не обычный файл"},     {path("folder.xml"), "это папка, а не файл"},
        {path("missing.xml"), "файл не найден"},       {path("missing/a.xml"), "файл не найден"},
    };
    const int child = RunInChild([&] {
        ::alarm(60);
        UiRecorder ui;
        int failed = 10;
        for (const auto& [name, reason] : cases) {
            ++failed;
            ui.messages.clear();
            TZo_XML xml;
            if (xml.OpenFile(name) != -2 || xml.Opened != 0 || ui.messages.size() != 1) return failed;
            const std::string said = "Файл    : " + name + "\r\nКод : 1549\r\nОшибка : " + reason + "\r\n";
            if (ui.messages[0].find(said) == std::string::npos) return failed + 10;
        }
        return 0;
    });
    EXPECT_EQ(child, 0);
}

// What cannot be shown as text is escaped in the box: control bytes, bytes
// that are no UTF-8, a line feed in the file's name; a character Windows-1251
// lacks is named by its code.
TEST_F(XmlHostile, TheBoxEscapesWhatIsNoText) {
    struct Case {
        const char* what;
        std::string name;
        std::string file;
        std::string quote;  // the "Текст" line (UTF-8)
    } cases[] = {
        {"control and invalid bytes", "noise.xml", std::string("<r>\n<a>\x01\x02\xFF\x1B[2J\x7F</a>\n"),
         "<a>\\x01\\x02\\xFF\\x1B[2J\\x7F</a>"},
        {"NUL byte", "nul.xml", std::string("<r>\n<a\0b/>\n", 11), "<a\\x00b/>"},
        {"Windows-1251 file", "cp.xml", "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<r>\n<a>\x01" + cp("Я") + "</b>\n", "<a>\\x01Я</b>"},
        {"character outside Windows-1251", "cjk.xml", "<r>\n<a>日\x01</b>\n", "<a><U+65E5>\\x01</b>"},
        {"line feed in the name", "new\nline.xml", "<r>\n</b>\n", "</b>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui_.messages.clear();
        writeBytes(path(c.name), c.file);
        TZo_XML xml;
        EXPECT_EQ(xml.OpenFile(path(c.name)), -2);
        ASSERT_EQ(ui_.messages.size(), 1u);
        EXPECT_EQ(quotedLine(), c.quote);
        const std::string& box = ui_.messages[0];
        for (size_t i = 0; i < box.size(); ++i) {
            const auto b = static_cast<unsigned char>(box[i]);
            const bool lineBreak = b == '\r' && i + 1 < box.size() && box[i + 1] == '\n';
            if (lineBreak) ++i;
            else EXPECT_TRUE(b >= 0x20 && b != 0x7F) << "byte " << int(b) << " at " << i << " of " << box;
        }
    }
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_NE(ui_.messages[0].find("Файл    : " + dir_.str() + "/new\\x0Aline.xml\r\n"), std::string::npos)
        << ui_.messages[0];
}

TEST_F(XmlHostile, TheBoxQuotesAtMostAFewHundredCharactersOfTheBadLine) {
    // One line of 8 MB with the error at its end: the quote is its start, cut.
    std::string text = "<?xml version=\"1.0\" encoding=\"windows-1251\"?><r>";
    for (int i = 0; i < 8 * 1024 * 1024 / 8; ++i) text += "<a>x</a>";
    text += "</b>";
    writeBytes(path("long.xml"), text);
    TZo_XML xml;
    EXPECT_EQ(xml.OpenFile(path("long.xml")), -2);
    EXPECT_EQ(xml.LastParseError().line, 1);
    const std::string quoted = quotedLine();
    EXPECT_EQ(quoted, text.substr(0, 300) + "...");
    EXPECT_EQ(xml.LastParseError().text, text.substr(0, 300) + "...");

    struct Case {
        const char* what;
        std::string file;  // bytes
        int line;
        std::string quote;  // as the box shows it (UTF-8)
    };
    const std::string cyrillic = "<имя значение=\"текст\">";
    const std::string longCyrillic = std::string(293, 'a') + "яяя";
    const Case cases[] = {
        {"UTF-8 file", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r>\n" + cyrillic + "</r>\n", 3, cyrillic + "</r>"},
        {"no declaration (UTF-8)", "<r>\n" + cyrillic + "</r>\n", 2, cyrillic + "</r>"},
        {"Windows-1251 file", "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<r>\n" + cp(cyrillic) + "</r>\n", 3,
         cyrillic + "</r>"},
        {"UTF-8 cut inside a character", "<r>\n<a b=\"" + longCyrillic + "\"></b>\n", 2,
         "<a b=\"" + std::string(293, 'a') + "..."},
        {"short line with CR LF", "<r>\r\n<a></b>\r\n</r>\r\n", 2, "<a></b>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui_.messages.clear();
        writeBytes(path("bad.xml"), c.file);
        TZo_XML bad;
        EXPECT_EQ(bad.OpenFile(path("bad.xml")), -2);
        EXPECT_EQ(bad.LastParseError().line, c.line);
        EXPECT_EQ(quotedLine(), c.quote);
    }
}

}  // namespace
