// The streaming writer: the text it saves is the text the whole document
// saves, whether it is held whole or written into the file piece by piece,
// and a save that fails or is given up leaves the previous file whole and no
// temporary file behind.

#include "common/FileReplacement.h"
#include "common/My_XML.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace zo;
using namespace zo::test;

namespace {

// One step of building a document: AddChild, SetAttribute, RemoveAttribute or GoParent.
struct Step {
    char op;  // 'c' child, 's' set, 'r' remove, 'p' parent
    std::string name;
    std::string value;
};

struct Outcome {
    std::vector<int> answers;
    int saved = 0;
    std::string bytes;
};

template <typename Xml>
int apply(Xml& xml, const Step& step) {
    switch (step.op) {
        case 'c': return xml.AddChild(step.name);
        case 's': return xml.SetAttribute(step.name, step.value);
        case 'r': return xml.RemoveAttribute(step.name);
        default: return xml.GoParent();
    }
}

Outcome throughDocument(const std::vector<Step>& steps, const std::string& file) {
    Outcome out;
    TZo_XML xml;
    EXPECT_EQ(xml.NewDocument("Orvanta_config"), 0);
    xml.GoRoot();
    for (const Step& step : steps) out.answers.push_back(apply(xml, step));
    out.saved = xml.SaveFile(file);
    out.bytes = readBytes(file);
    return out;
}

Outcome throughWriter(const std::vector<Step>& steps, const std::string& file, bool streamed) {
    Outcome out;
    TZo_XMLWriter xml;
    EXPECT_EQ(xml.NewDocument("Orvanta_config"), 0);
    if (streamed) {
        EXPECT_EQ(xml.WriteInto(file), 0);
    }
    for (const Step& step : steps) out.answers.push_back(apply(xml, step));
    out.saved = xml.SaveFile(file);
    out.bytes = readBytes(file);
    return out;
}

std::string everyByte() {
    std::string bytes;
    for (int b = 1; b < 256; ++b) bytes += char(b);
    return bytes;
}

// Blocks enough that the text is many pieces of the file's writing.
std::vector<Step> manyBlocks(int count) {
    std::vector<Step> steps;
    for (int i = 0; i < count; ++i) {
        steps.push_back({'c', cp("Блок"), ""});
        steps.push_back({'s', "Name", cp("Блок ") + std::to_string(i)});
        steps.push_back({'s', "Left", std::to_string(i % 97)});
        steps.push_back({'c', cp("Данные"), ""});
        steps.push_back({'s', "IM", i % 50 == 0 ? everyByte() : cp("Насос & <клапан>")});
        steps.push_back({'p', "", ""});
        steps.push_back({'p', "", ""});
    }
    return steps;
}

class XmlWriterFiles : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return dir_.file(name); }
    TempDir dir_;
    UiRecorder ui_;
};

TEST_F(XmlWriterFiles, SavesWhatTheWholeDocumentSaves) {
    struct Case {
        const char* what;
        std::vector<Step> steps;
    };
    const std::string markup = "<&\"'>\t\r\n";
    const Case cases[] = {
        {"a value set again keeps its place, longer and shorter",
         {{'c', "e", ""}, {'s', "a", "1"}, {'s', "b", "2"}, {'s', "c", "3"}, {'s', "a", "long & <value>"},
          {'s', "b", ""}, {'s', "a", "x"}, {'p', "", ""}}},
        {"an attribute removed before, between and after others",
         {{'c', "e", ""}, {'s', "a", "1"}, {'s', "b", markup}, {'s', "c", "3"}, {'r', "b", ""}, {'s', "d", "4"},
          {'r', "a", ""}, {'r', "absent", ""}, {'s', "b", "again"}, {'r', "d", ""}, {'p', "", ""}}},
        {"every byte a value can hold, and markup",
         {{'c', cp("Блок"), ""}, {'s', "IM", everyByte()}, {'s', "Name", markup}, {'p', "", ""}}},
        {"names the reader would not take back",
         {{'c', "p:e", ""}, {'c', "1e", ""}, {'c', "e", ""}, {'s', "xmlns", "1"}, {'s', "p:q", "1"},
          {'s', "-a", "1"}, {'s', "a.b-c_d9", "1"}, {'s', cp("Имя"), cp("значение")}, {'s', "", "1"},
          {'c', "", ""}, {'p', "", ""}}},
        {"elements left open, and above the root",
         {{'c', "a", ""}, {'c', "b", ""}, {'s', "x", "1"}, {'p', "", ""}, {'c', "c", ""}, {'p', "", ""},
          {'p', "", ""}, {'p', "", ""}, {'c', "late", ""}}},
        {"many pieces of text", manyBlocks(3000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome document = throughDocument(c.steps, path("document.xml"));
        ASSERT_EQ(document.saved, 0);
        for (const bool streamed : {false, true}) {
            SCOPED_TRACE(streamed ? "streamed" : "held whole");
            const Outcome writer = throughWriter(c.steps, path("writer.xml"), streamed);
            EXPECT_EQ(writer.answers, document.answers);
            EXPECT_EQ(writer.saved, 0);
            EXPECT_EQ(writer.bytes, document.bytes);
        }
    }
    EXPECT_GT(readBytes(path("writer.xml")).size(), size_t(4 * 64 * 1024));
    EXPECT_EQ(filesIn(dir_.str()), (std::vector<std::string>{"document.xml", "writer.xml"}));
}

TEST_F(XmlWriterFiles, TheOldFileStaysUntilTheStreamedOneIsPutInPlace) {
    const std::string target = path("project.hc");
    writeBytes(target, "old");
    TZo_XMLWriter xml;
    ASSERT_EQ(xml.NewDocument("Orvanta_config"), 0);
    ASSERT_EQ(xml.WriteInto(target), 0);
    for (const Step& step : manyBlocks(2000)) ASSERT_EQ(apply(xml, step), 0);
    // Pieces went into a temporary file beside the target, which is untouched.
    const std::vector<std::string> files = filesIn(dir_.str());
    ASSERT_EQ(files.size(), 2u);
    EXPECT_TRUE(IsReplacementLeftoverName("project.hc", files[0])) << files[0];
    EXPECT_GT(std::filesystem::file_size(path(files[0])), 64u * 1024);
    EXPECT_EQ(readBytes(target), "old");

    ASSERT_EQ(xml.SaveFile(target), 0);
    EXPECT_EQ(filesIn(dir_.str()), std::vector<std::string>{"project.hc"});
    EXPECT_EQ(readBytes(target), throughDocument(manyBlocks(2000), path("document.xml")).bytes);
    // The text is in the file, not here: it cannot be saved a second time.
    EXPECT_EQ(xml.SaveFile(path("again.xml")), -3);
    EXPECT_FALSE(std::filesystem::exists(path("again.xml")));
}

TEST_F(XmlWriterFiles, AStreamedSaveThatFailsOrIsGivenUpLeavesTheOldFileAndNoTemporaryFile) {
    const std::string target = path("project.hc");
    const auto streamedThen = [&](const std::function<void(TZo_XMLWriter&)>& end) {
        writeBytes(target, "old");
        {
            TZo_XMLWriter xml;
            EXPECT_EQ(xml.NewDocument("Orvanta_config"), 0);
            EXPECT_EQ(xml.WriteInto(target), 0);
            for (const Step& step : manyBlocks(1500)) apply(xml, step);
            end(xml);
        }
        EXPECT_EQ(readBytes(target), "old");
        EXPECT_EQ(filesIn(dir_.str()), std::vector<std::string>{"project.hc"});
    };
    {
        SCOPED_TRACE("never saved");
        streamedThen([](TZo_XMLWriter&) {});
    }
    {
        SCOPED_TRACE("saved under another name");
        streamedThen([&](TZo_XMLWriter& xml) { EXPECT_EQ(xml.SaveFile(path("other.hc")), -3); });
        EXPECT_FALSE(std::filesystem::exists(path("other.hc")));
    }
    {
        SCOPED_TRACE("an attribute for a start tag already written");
        streamedThen([&](TZo_XMLWriter& xml) {
            ASSERT_EQ(xml.AddChild("a"), 0);
            ASSERT_EQ(xml.AddChild("b"), 0);
            ASSERT_EQ(xml.GoParent(), 0);
            EXPECT_EQ(xml.SetAttribute("late", "1"), -2);
            EXPECT_EQ(xml.SaveFile(target), -3);
        });
    }
    {
        // A name longer than the reader takes: the bytes written are read
        // back as a file is read before the file is put in place.
        SCOPED_TRACE("a text the reader would refuse");
        streamedThen([&](TZo_XMLWriter& xml) {
            ASSERT_EQ(xml.AddChild(std::string(60000, char(0xFF))), 0);
            EXPECT_EQ(xml.SaveFile(target), -3);
        });
    }
    {
        SCOPED_TRACE("a full disk");
        writeBytes(target, "old");
        const int child = RunWithFullDisk(16 * 1024, [&] {
            TZo_XMLWriter xml;
            if (xml.NewDocument("Orvanta_config") != 0 || xml.WriteInto(target) != 0) return 1;
            for (const Step& step : manyBlocks(1500)) apply(xml, step);
            return xml.SaveFile(target) == -3 ? 0 : 2;
        });
        EXPECT_EQ(child, 0);
        EXPECT_EQ(readBytes(target), "old");
        EXPECT_EQ(filesIn(dir_.str()), std::vector<std::string>{"project.hc"});
    }
}

TEST_F(XmlWriterFiles, WritingIntoAFileNeedsADocumentAndAFolderThatTakesIt) {
    TZo_XMLWriter none;
    EXPECT_EQ(none.WriteInto(path("a.xml")), -1);

    TZo_XMLWriter twice;
    ASSERT_EQ(twice.NewDocument("r"), 0);
    ASSERT_EQ(twice.WriteInto(path("a.xml")), 0);
    EXPECT_EQ(twice.WriteInto(path("b.xml")), -1);
    EXPECT_EQ(twice.SaveFile(path("a.xml")), 0);
    EXPECT_EQ(readBytes(path("a.xml")),
              "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
              "<!-- This document was created with Zo_xml unit. -->\n"
              "<r/>\n");

    TZo_XMLWriter missing;
    ASSERT_EQ(missing.NewDocument("r"), 0);
    EXPECT_EQ(missing.WriteInto(path("no folder/a.xml")), -3);
    EXPECT_EQ(missing.AddChild("e"), 0);
    EXPECT_EQ(missing.SaveFile(path("no folder/a.xml")), -3);
    EXPECT_EQ(filesIn(dir_.str()), std::vector<std::string>{"a.xml"});
}

TEST_F(XmlWriterFiles, ASaveWhenChangedLeavesAFileThatHoldsTheTextAsItIs) {
    const std::string file = path("base.xml");
    TZo_XML xml;
    ASSERT_EQ(xml.NewDocument("Orvanta_Canals"), 0);
    xml.GoRoot();
    ASSERT_EQ(xml.AddChild("List"), 0);
    ASSERT_EQ(xml.SetAttribute("Name", cp("Лист 1")), 0);
    ASSERT_EQ(xml.SaveFileWhenChanged(file), 0);  // no file yet
    const std::string text = readBytes(file);
    ASSERT_NE(text.find("<List Name="), std::string::npos);
    const auto inode = [](const std::string& name) {
        struct stat st {};
        return ::lstat(name.c_str(), &st) == 0 ? st.st_ino : ino_t(0);
    };

    // The same text: the file itself is kept (the same inode), nothing new beside it.
    const ino_t before = inode(file);
    ASSERT_EQ(xml.SaveFileWhenChanged(file), 0);
    EXPECT_EQ(inode(file), before);
    EXPECT_EQ(filesIn(dir_.str()), std::vector<std::string>{"base.xml"});

    // Other bytes, also of the same length, and a link: replaced as SaveFile
    // replaces (the file the link names, the link kept).
    std::string changed = text;
    changed[changed.find("List")] = 'X';
    writeBytes(file, changed);
    const ino_t other = inode(file);
    ASSERT_EQ(xml.SaveFileWhenChanged(file), 0);
    EXPECT_EQ(readBytes(file), text);
    EXPECT_NE(inode(file), other);

    const std::string link = path("link.xml");
    std::filesystem::create_symlink(file, link);
    writeBytes(file, changed);
    ASSERT_EQ(xml.SaveFileWhenChanged(link), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readBytes(file), text);
}

}  // namespace
