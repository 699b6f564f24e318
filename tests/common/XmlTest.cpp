#include "common/My_XML.h"
#include "platform/Paths.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zo;
using zo::test::cp;
using zo::test::filesIn;
using zo::test::readBytes;
using zo::test::RunWithFullDisk;
using zo::test::RunWithReadOnlyFolder;
using zo::test::TempDir;
using zo::test::UiRecorder;
using zo::test::utf;
using zo::test::writeBytes;

namespace {

// A small library file in Windows-1251, as other tools write them.
const char* kLibrary =
    "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
    "<FBD NAME=\"Библиотека\">\n"
    "  <GROUP NAME=\"Логика\">\n"
    "    <BLOCK NAME=\"И\" IM=\"Логическое И\">\n"
    "      <!-- Первая строка -->\n"
    "      <IN NAME=\"A\" TYPE=\"Bool\"/>\n"
    "      <!---->\n"
    "      <OUT NAME=\"Q\" TYPE=\"Bool\"/>\n"
    "      <!-- Вторая строка -->\n"
    "    </BLOCK>\n"
    "    <BLOCK NAME=\"ИЛИ\"/>\n"
    "  </GROUP>\n"
    "  <Second/>\n"
    "</FBD>\n";

std::string writeLibrary(const TempDir& dir, const std::string& name = "lib.xml") {
    const std::string path = dir.file(name);
    writeBytes(path, cp(kLibrary));
    return path;
}

}  // namespace

TEST(Xml, GoToPathCodes) {
    TempDir dir;
    const std::string file = writeLibrary(dir);
    TZo_XML unopened;
    EXPECT_EQ(unopened.GoToPath("FBD"), -2);

    TZo_XML xml;
    ASSERT_EQ(xml.OpenFile(file), 0);
    struct Case {
        const char* path;
        int code;
        const char* name;
    } cases[] = {
        {"", -1, ""},
        {"FBD", 0, "FBD"},
        {"Wrong/GROUP", -4, ""},
        {"FBD/GROUP/BLOCK", 0, "BLOCK"},
        {"FBD/Second", 0, "Second"},
        {"FBD/Second/X", -5, ""},
        {"FBD/GROUP/Missing", -6, ""},
        {"FBD / GROUP ", 0, "GROUP"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(xml.GoToPath(cp(c.path)), c.code) << c.path;
        EXPECT_EQ(utf(xml.GetNodeName()), c.name) << c.path;
        if (c.code != 0) {
            EXPECT_EQ(xml.CurrentElement, nullptr);
        }
    }
}

TEST(Xml, CommentEndsSiblingWalkButNodeWalkSeesAll) {
    TempDir dir;
    TZo_XML xml;
    ASSERT_EQ(xml.OpenFile(writeLibrary(dir)), 0);
    ASSERT_EQ(xml.GoToPath("FBD/GROUP/BLOCK"), 0);
    ASSERT_EQ(xml.GoFirstChild(), 0);  // the first comment
    EXPECT_EQ(xml.GoNextSibling(), 0);  // IN
    EXPECT_EQ(xml.GetNodeName(), "IN");
    EXPECT_EQ(xml.GoNextSibling(), -3);  // a comment follows
    EXPECT_EQ(xml.GetNodeName(), "IN");

    ASSERT_EQ(xml.GoToPath("FBD/Second"), 0);
    EXPECT_EQ(xml.GoNextSibling(), -2);  // last element

    ASSERT_EQ(xml.GoToPath("FBD/GROUP/BLOCK"), 0);
    ASSERT_EQ(xml.GoFirstNode(), 0);
    std::vector<std::string> comments;
    do {
        if (!xml.GetCommentText().empty()) comments.push_back(utf(xml.GetCommentText()));
    } while (xml.GoNextNode() == 0);
    EXPECT_EQ(comments, (std::vector<std::string>{" Первая строка ", " Вторая строка "}));
}

TEST(Xml, CountAndFindFromMark) {
    TempDir dir;
    TZo_XML xml;
    ASSERT_EQ(xml.OpenFile(writeLibrary(dir)), 0);
    xml.GoRoot();
    xml.SetMark();
    EXPECT_EQ(xml.CountFromMark("FBD"), 1);  // the marked element counts itself
    EXPECT_EQ(xml.CountFromMark("BLOCK"), 2);
    EXPECT_EQ(xml.CountElements(nullptr, "BLOCK"), 0);
    EXPECT_EQ(xml.FindFromMark("BLOCK"), 0);
    EXPECT_EQ(utf(xml.GetAttribute("NAME")), "И");
    EXPECT_EQ(xml.FindFromMark("Nothing"), -2);
    EXPECT_EQ(xml.FindElement(nullptr, "BLOCK"), -1);
    xml.GoRoot();
    EXPECT_EQ(xml.GoParent(), -4);
    EXPECT_EQ(xml.CurrentElement, nullptr);
}

TEST(Xml, CyrillicFileRoundTripsByteForByte) {
    TempDir dir;
    const std::string name = dir.file(cp("Проект.hc"));
    TZo_XML xml;
    ASSERT_EQ(xml.NewDocument(cp("Корень")), 0);
    xml.GoRoot();
    ASSERT_EQ(utf(xml.GetNodeName()), "Корень");
    ASSERT_EQ(xml.AddChild(cp("Схема")), 0);
    ASSERT_EQ(xml.SetAttribute(cp("Имя"), cp("Лист №1 «ёЁ»")), 0);
    ASSERT_EQ(xml.SaveFile(name), 0);
    // The file's name on disk is the UTF-8 form of the system's name.
    const std::string first = readBytes(zo::platform::nativePath(name));
    EXPECT_EQ(first.rfind("<?xml version=\"1.0\" encoding=\"windows-1251\"?>", 0), 0u);
    EXPECT_NE(first.find("<!-- This document was created with Zo_xml unit. -->"), std::string::npos);
    EXPECT_NE(first.find(cp("\n  <Схема Имя=\"Лист №1 «ёЁ»\"/>")), std::string::npos);  // two blanks a level

    TZo_XML again;
    ASSERT_EQ(again.OpenFile(name), 0);
    ASSERT_EQ(again.GoToPath(cp("Корень/Схема")), 0);
    EXPECT_EQ(utf(again.GetAttribute(cp("Имя"))), "Лист №1 «ёЁ»");
    const std::string second = dir.file("copy.hc");
    ASSERT_EQ(again.SaveFile(second), 0);
    EXPECT_EQ(readBytes(second), first);
}

TEST(Xml, SaveKeepsCurrentElementAndMark) {
    TempDir dir;
    TZo_XML xml;
    ASSERT_EQ(xml.NewDocument("Root"), 0);
    xml.GoRoot();
    xml.AddChild("A");
    xml.SetMark();
    ASSERT_EQ(xml.SaveFile(dir.file("x.xml")), 0);
    EXPECT_EQ(xml.GetNodeName(), "A");
    EXPECT_EQ(xml.AddChild("B"), 0);
    xml.GoMark();
    EXPECT_EQ(xml.GetNodeName(), "A");
    EXPECT_EQ(xml.GetFileName(), dir.file("x.xml"));
}

TEST(Xml, ParseErrorBoxNamesCodeReasonLineAndText) {
    TempDir dir;
    const std::string file = dir.file("broken.xml");
    writeBytes(file, "<?xml version=\"1.0\"?>\n<A>\n  <B x=\"1\">\n</A>\n");
    UiRecorder ui;
    TZo_XML xml;
    EXPECT_EQ(xml.OpenFile(file), -2);
    ASSERT_EQ(ui.messages.size(), 1u);
    const std::string& box = ui.messages[0];
    EXPECT_EQ(box.rfind("Ошибка открытия XML файла.\r\nФайл    : " + file + "\r\nКод : ", 0), 0u) << box;
    EXPECT_NE(box.find("\r\nТекст   : </A>\r\nСтрока : 4\r\nПозиция: "), std::string::npos) << box;
    EXPECT_EQ(xml.LastParseError().line, 4);
    EXPECT_EQ(xml.Opened, 0);

    ui.messages.clear();
    EXPECT_EQ(xml.OpenFile(dir.file("missing.xml")), -2);
    EXPECT_EQ(ui.messages.size(), 1u);
    xml.GoRoot();
    EXPECT_EQ(xml.CurrentElement, nullptr);
}

TEST(Xml, RemoveChildrenForgetsMarkInside) {
    TZo_XML xml;
    ASSERT_EQ(xml.NewDocument("Root"), 0);
    xml.GoRoot();
    xml.AddChild("A");
    xml.AddChild("B");
    xml.SetMark();
    xml.GoRoot();
    EXPECT_EQ(xml.RemoveChildren(), 0);
    EXPECT_EQ(xml.MarkElement, nullptr);
    EXPECT_EQ(xml.GoFirstChild(), -4);
}

// A full disk and a read-only folder: the save fails with -3, the old file stays.
TEST(Xml, AFailedSaveGivesCodeAndKeepsOldFile) {
    TempDir dir;
    const std::string file = dir.file("keep.xml");
    writeBytes(file, "<old/>");
    const auto save = [&] {
        TZo_XML xml;
        xml.NewDocument("New");
        xml.GoRoot();
        for (int i = 0; i < 2000; ++i) {  // more than the full disk holds
            xml.AddChild("Item");
            xml.SetAttribute("Value", std::to_string(i));
            xml.GoParent();
        }
        return xml.SaveFile(file) == -3 ? 0 : 1;
    };
    EXPECT_EQ(RunWithFullDisk(4096, save), 0) << "full disk";
    EXPECT_EQ(RunWithReadOnlyFolder(dir.str(), save), 0) << "read-only folder";
    EXPECT_EQ(readBytes(file), "<old/>");
    EXPECT_EQ(filesIn(dir.str()), std::vector<std::string>{"keep.xml"});
}

TEST(Xml, SaveIntoMissingFolderGivesCode) {
    TempDir dir;
    TZo_XML xml;
    ASSERT_EQ(xml.NewDocument("New"), 0);
    EXPECT_EQ(xml.SaveFile(dir.file("no/such/x.xml")), -3);
    EXPECT_FALSE(std::filesystem::exists(dir.file("no")));
}

namespace {

// Waits (bounded) for one byte from the child; false when none came.
bool childSaid(int fd, char expected) {
    pollfd ready{fd, POLLIN, 0};
    char byte = 0;
    return ::poll(&ready, 1, 60000) == 1 && ::read(fd, &byte, 1) == 1 && byte == expected;
}

}  // namespace

TEST(Xml, ProcessKilledWhileSavingLeavesAWholeFile) {
    TempDir dir;
    const std::string file = dir.file("big.xml");
    {
        TZo_XML xml;
        ASSERT_EQ(xml.NewDocument("Old"), 0);
        ASSERT_EQ(xml.SaveFile(file), 0);
    }
    const std::string old = readBytes(file);
    // Each round kills a child that saves the new document over and over, at a
    // later point of its saving; the last round after a save ended at least once.
    constexpr int kRounds = 5;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        int channel[2];
        ASSERT_EQ(::pipe(channel), 0);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(channel[0]);
            TZo_XML xml;
            xml.NewDocument("New");
            xml.GoRoot();
            for (int i = 0; i < 20000; ++i) {
                xml.AddChild("Item");
                xml.SetAttribute("Value", std::to_string(i));
                xml.GoParent();
            }
            [[maybe_unused]] ssize_t n = ::write(channel[1], "b", 1);  // saving begins
            for (;;) {
                xml.SaveFile(file);
                n = ::write(channel[1], "s", 1);  // one save ended
            }
        }
        ::close(channel[1]);
        const bool saving = childSaid(channel[0], 'b');
        const bool lastRound = round == kRounds - 1;
        const bool saved = lastRound && saving && childSaid(channel[0], 's');
        if (!lastRound) usleep(useconds_t(round * 9000));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        ::close(channel[0]);
        ASSERT_TRUE(saving) << "the child did not begin to save";
        if (lastRound) {
            ASSERT_TRUE(saved) << "no save of the child ended";
        }
        TZo_XML check;
        ASSERT_EQ(check.OpenFile(file), 0);
        check.GoRoot();
        const std::string root = check.GetNodeName();
        if (root == "Old") {
            EXPECT_FALSE(saved) << "a save that ended is kept";
            EXPECT_EQ(readBytes(file), old);
        } else {
            EXPECT_EQ(root, "New");
            check.SetMark();
            EXPECT_EQ(check.CountFromMark("Item"), 20000);
        }
    }
}

TEST(Xml, ReadBlockCommentsAndRootAttribute) {
    TempDir dir;
    const std::string file = writeLibrary(dir);
    std::vector<std::string> list{"stale"};
    EXPECT_EQ(ReadBlockComments((file + cp("/FBD/Логика/И")).c_str(), &list), 0);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(utf(list[0]), " Первая строка ");
    EXPECT_EQ(ReadBlockComments((file + "/FBD/GROUP/BLOCK").c_str(), &list), 0);  // element path first
    EXPECT_EQ(list.size(), 2u);
    EXPECT_EQ(ReadBlockComments((file + cp("/FBD/Нет/И")).c_str(), &list), -6);
    EXPECT_EQ(ReadBlockComments((file + cp("/FBD/Логика/Нет")).c_str(), &list), -7);
    EXPECT_EQ(ReadBlockComments((file + cp("/Nothing/Логика/И")).c_str(), &list), -5);
    EXPECT_EQ(ReadBlockComments(nullptr, &list), -1);
    EXPECT_EQ(ReadBlockComments(file.c_str(), nullptr), -1);
    EXPECT_EQ(utf(ReadRootAttribute(file, "NAME")), "Библиотека");
}
