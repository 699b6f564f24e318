// Reading element library files into the library's plain tree: the FBD rules,
// the skip rules, INCLUDE, block paths and the guards against includes that
// never end and paths that do not fit.

#include "configurator/windows/LibraryTree.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace zo;
using namespace zo::configurator;
using namespace zo::test;
namespace fs = std::filesystem;

namespace {

// A library file's text (UTF-8 source) in Windows-1251, padded by a comment to
// at least the given size.
std::string library(const std::string& body, size_t size = 300) {
    std::string text = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n" + cp(body) + "\n";
    if (text.size() + 8 <= size) text += "<!--" + std::string(size - text.size() - 8, 'x') + "-->\n";
    return text;
}

class LibraryFiles : public ::testing::Test {
protected:
    void write(const std::string& relative, const std::string& text) {
        fs::create_directories(fs::path(dir_.file(relative)).parent_path());
        writeBytes(dir_.file(relative), text);
    }
    void load(const std::string& path, const std::string& caption = {}) {
        TLibraryServices services;
        services.programFolder = [this] { return programFolder; };
        services.addLibraryFile = [this](const std::string& f) {
            registered.push_back(f);
            return 0;
        };
        services.log = [this](const std::string& text, uint8_t level) {
            logged.push_back(platform::cp1251ToUtf8(text));
            levels.push_back(level);
        };
        services.repaint = [this] { ++repaints; };
        TLibraryLoader loader(root, services);
        loader.LoadSource(caption, path);
    }
    // "text" per top-level node, two blanks more per level (UTF-8).
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        root.ForEach([&](const TLibraryNode& n) {
            out.push_back(std::string(size_t(n.Level()) * 2, ' ') + platform::cp1251ToUtf8(n.Text));
        });
        return out;
    }
    const TLibraryNode* find(const std::string& utf8Text) const {
        const TLibraryNode* found = nullptr;
        root.ForEach([&](const TLibraryNode& n) {
            if (!found && platform::cp1251ToUtf8(n.Text) == utf8Text) found = &n;
        });
        return found;
    }

    TempDir dir_;
    ScopedCurrentDir cd_{dir_.path()};
    UiRecorder ui_;
    TLibraryNode root;
    std::string programFolder = platform::currentDir();
    std::vector<std::string> registered, logged;
    std::vector<int> levels;
    int repaints = 0;
};

TEST_F(LibraryFiles, GroupsAndBlocksBecomeNodesWithTheirPathsAndCaptions) {
    write("Library/Logic.xml", library(R"(<lib><FBD NAME="Логика">
  <GROUP NAME="Logic" IM="Логические">
    <BLOCK NAME="AND" IM="Логическое И"><IN NAME="A" TYPE="Bool"/></BLOCK>
    <GROUP NAME="Inner" IM="Внутри"><BLOCK NAME="RS" IM="Триггер"/></GROUP>
    <BLOCK IM="без имени"/>
    <BLOCK NAME="OR"/>
  </GROUP>
  <GROUP IM="группа без имени"><BLOCK NAME="HIDDEN"/></GROUP>
  <BLOCK NAME="TOP" IM="Наверху"/>
  <OTHER NAME="x"/>
</FBD></lib>)"));
    load("\\Library\\Logic.xml");
    EXPECT_EQ(lines(), (std::vector<std::string>{"Logic", "  AND", "  Inner", "    RS", "  OR", "TOP"}));
    EXPECT_EQ(registered, std::vector<std::string>{"\\Library\\Logic.xml"});
    const TLibraryNode* rs = find("RS");
    ASSERT_TRUE(rs && rs->Record);
    EXPECT_STREQ(rs->Record->Path, "\\Library\\Logic.xml/FBD/Logic/Inner/RS");
    EXPECT_EQ(platform::cp1251ToUtf8(rs->Record->Caption), "Триггер");
    const TLibraryNode* group = find("Logic");
    ASSERT_TRUE(group && group->Record);
    EXPECT_STREQ(group->Record->Path, "");
    EXPECT_EQ(platform::cp1251ToUtf8(group->Record->Caption), "Логические");
    EXPECT_STREQ(find("TOP")->Record->Path, "\\Library\\Logic.xml/FBD/TOP");
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(LibraryFiles, NotExactlyOneFbdElementIsReportedAndNothingLoads) {
    struct Case {
        const char* body;
        int count;
    } cases[] = {
        {"<lib><FBD><BLOCK NAME=\"A\"/></FBD><x><FBD><BLOCK NAME=\"B\"/></FBD></x></lib>", 2},
        {"<lib><GROUP NAME=\"G\"><BLOCK NAME=\"A\"/></GROUP></lib>", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        ui_.messages.clear();
        registered.clear();
        root.Children.clear();
        write("Bad.xml", library(c.body));
        load("\\Bad.xml", "Caption");
        ASSERT_EQ(ui_.messages.size(), 1u);
        EXPECT_EQ(ui_.messages[0], "Число узлов FBD " + std::to_string(c.count) + " в файле " +
                                       platform::cp1251ToUtf8(platform::currentDir()) + "\\Bad.xml");
        EXPECT_EQ(lines(), std::vector<std::string>{"Caption"});  // the root node stays, empty
        EXPECT_TRUE(registered.empty());
    }
}

TEST_F(LibraryFiles, AnFbdWithoutChildrenIsReportedAndNotRegistered) {
    write("Empty.xml", library("<FBD NAME=\"Пусто\"></FBD>"));
    load("\\Empty.xml");
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0],
              "Нет описания GROUP узла FBD в файле " + platform::cp1251ToUtf8(platform::currentDir()) + "\\Empty.xml");
    EXPECT_TRUE(registered.empty());
}

TEST_F(LibraryFiles, SmallShortAndTildeFilesAreSkippedSilently) {
    const std::string body = "<FBD><BLOCK NAME=\"A\"/></FBD>";
    std::string at199 = library(body, 199);
    ASSERT_LE(at199.size(), 199u);
    at199.insert(at199.size() - 1, std::string(199 - at199.size(), ' '));
    ASSERT_EQ(at199.size(), 199u);
    std::string at200 = at199;
    at200.insert(at200.size() - 1, " ");
    write("small.xml", at199);
    write("exact.xml", at200);
    write("ab", library(body));
    write("~lib.xml", library(body));
    for (const char* skipped : {"\\small.xml", "\\ab", "\\~lib.xml", "\\missing.xml"}) {
        SCOPED_TRACE(skipped);
        load(skipped, "Root");
        EXPECT_TRUE(root.Children.empty());
    }
    load("\\exact.xml", "Root");
    EXPECT_EQ(lines(), (std::vector<std::string>{"Root", "  A"}));
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(LibraryFiles, IncludedFilesBecomeRootNodesNamedByTheirFbdOrTheirFile) {
    write("Device/Dev.dev", library(R"(<Micro><FBD NAME="Устройство">
  <INCLUDE FILE_NAME="\Library\*.xml"/>
  <INCLUDE/>
  <GROUP NAME="Own"><BLOCK NAME="Cycle"/></GROUP>
</FBD></Micro>)"));
    write("Library/Named.xml", library("<lib><FBD NAME=\"Именованная\"><BLOCK NAME=\"N\"/></FBD></lib>"));
    write("Library/Plain.xml", library("<lib><FBD><BLOCK NAME=\"P\"/></FBD></lib>"));
    write("Library/Other.txt", library("<lib><FBD><BLOCK NAME=\"T\"/></FBD></lib>"));
    load("\\Device\\Dev.dev");
    EXPECT_EQ(lines(), (std::vector<std::string>{"Именованная", "  N", "Plain.xml", "  P", "Own", "  Cycle"}));
    EXPECT_EQ(registered, (std::vector<std::string>{"\\Device\\Dev.dev", "\\Library\\Named.xml", "\\Library\\Plain.xml"}));
    EXPECT_EQ(find("N")->Record->Path, std::string("\\Library\\Named.xml/FBD/N"));
    EXPECT_FALSE(find("Plain.xml")->Record);  // the root node of an included file carries no record
    EXPECT_EQ(repaints, 2);
}

TEST_F(LibraryFiles, AnIncludeCycleEndsAndIsLoggedOnce) {
    write("Self.xml", library("<FBD><INCLUDE FILE_NAME=\"\\Self.xml\"/><BLOCK NAME=\"S\"/></FBD>"));
    load("\\Self.xml");
    EXPECT_EQ(lines(), std::vector<std::string>{"S"});
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_NE(logged[0].find("Self.xml"), std::string::npos);

    root.Children.clear();
    logged.clear();
    write("Ring/A.xml", library("<FBD NAME=\"A\"><INCLUDE FILE_NAME=\"\\Ring\\B.xml\"/><BLOCK NAME=\"a\"/></FBD>"));
    write("Ring/B.xml", library("<FBD NAME=\"B\"><INCLUDE FILE_NAME=\"\\Ring\\A.xml\"/><BLOCK NAME=\"b\"/></FBD>"));
    load("\\Ring\\A.xml");
    EXPECT_EQ(lines(), (std::vector<std::string>{"B", "  b", "a"}));
    EXPECT_EQ(logged.size(), 1u);
}

TEST_F(LibraryFiles, FilesIncludingEachOthersFolderAreEachReadOnce) {
    // Nine files that each include the whole folder can be reached in 9! orders;
    // each is read once, the first time it is reached.
    for (int i = 0; i < 9; ++i)
        write("Mesh/F" + std::to_string(i) + ".xml",
              library("<FBD><INCLUDE FILE_NAME=\"\\Mesh\\*.xml\"/><BLOCK NAME=\"b" + std::to_string(i) + "\"/></FBD>"));
    load("\\Mesh\\F0.xml");
    std::vector<std::string> expected;
    for (int i = 1; i < 9; ++i) {
        expected.push_back("F" + std::to_string(i) + ".xml");
        expected.push_back("  b" + std::to_string(i));
    }
    expected.push_back("b0");
    EXPECT_EQ(lines(), expected);
    EXPECT_EQ(registered.size(), 9u);
    // Each file closes a cycle once (it includes its own folder), logged once.
    EXPECT_EQ(logged.size(), 9u);
}

TEST_F(LibraryFiles, AFileReachedThroughTwoIncludesShowsOnce) {
    write("Dev.dev", library(R"(<FBD><INCLUDE FILE_NAME="\A\*.xml"/><INCLUDE FILE_NAME="\Common\*.xml"/></FBD>)"));
    write("A/A.xml", library(R"(<FBD NAME="A"><INCLUDE FILE_NAME="\Common\*.xml"/><BLOCK NAME="a"/></FBD>)"));
    write("Common/C.xml", library(R"(<FBD NAME="C"><BLOCK NAME="c"/></FBD>)"));
    load("\\Dev.dev");
    EXPECT_EQ(lines(), (std::vector<std::string>{"A", "  a", "C", "  c"}));
    EXPECT_EQ(registered, (std::vector<std::string>{"\\Dev.dev", "\\A\\A.xml", "\\Common\\C.xml"}));
    EXPECT_TRUE(logged.empty());
}

TEST_F(LibraryFiles, AFolderOfMoreFilesThanTheBoundEndsAtTheBound) {
    const int files = TLibraryLoader::kMaxLoadedFiles + 20;
    for (int i = 0; i < files; ++i)
        write("Many/F" + std::to_string(1000 + i) + ".xml",
              library("<FBD><BLOCK NAME=\"b" + std::to_string(i) + "\"/></FBD>"));
    write("Top.xml", library(R"(<FBD><INCLUDE FILE_NAME="\Many\*.xml"/></FBD>)"));
    load("\\Top.xml");
    int blocks = 0;
    root.ForEach([&](const TLibraryNode& n) { blocks += n.Record && n.Record->Path[0] ? 1 : 0; });
    // Top.xml is one of the files read.
    EXPECT_EQ(blocks, TLibraryLoader::kMaxLoadedFiles - 1);
    const std::string bound = "Прочитано " + std::to_string(TLibraryLoader::kMaxLoadedFiles) + " файлов описания FBD блоков";
    EXPECT_EQ(std::count_if(logged.begin(), logged.end(),
                            [&](const std::string& line) { return line.rfind(bound, 0) == 0; }),
              1);
}

TEST_F(LibraryFiles, LongCaptionsAreCutAndBlocksWhosePathWouldBeCutAreRefused) {
    const std::string longIm(70, 'i');
    const std::string longGroup(230, 'g');
    write("L.xml", library("<FBD><GROUP NAME=\"" + longGroup + "\"><BLOCK NAME=\"FITS\" IM=\"" + longIm +
                           "\"/><BLOCK NAME=\"TOOLONGNAME_TOOLONG\"/></GROUP></FBD>"));
    load("\\L.xml");
    const TLibraryNode* fits = find("FITS");
    ASSERT_TRUE(fits);
    EXPECT_EQ(std::string(fits->Record->Caption), std::string(60, 'i'));
    EXPECT_EQ(std::string(fits->Record->Path), "\\L.xml/FBD/" + longGroup + "/FITS");
    EXPECT_FALSE(find("TOOLONGNAME_TOOLONG"));
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(levels[0], 3);
}

TEST_F(LibraryFiles, OnlyAFileInsideTheProgramFolderLosesTheFolder) {
    TempDir outside;
    writeBytes(outside.file("Out.xml"), library("<FBD><BLOCK NAME=\"O\"/></FBD>"));
    load(outside.file("Out.xml"));
    EXPECT_EQ(registered, std::vector<std::string>{outside.file("Out.xml")});
    EXPECT_EQ(find("O")->Record->Path, outside.file("Out.xml") + "/FBD/O");

    EXPECT_EQ(TLibraryLoader::RelativeToProgram("/prog\\Library\\A.xml", "/prog"), "\\Library\\A.xml");
    EXPECT_EQ(TLibraryLoader::RelativeToProgram("/Prog\\Library\\A.xml", "/prog"), "/Prog\\Library\\A.xml");
    EXPECT_EQ(TLibraryLoader::RelativeToProgram("/prog", "/prog"), "/prog");
}

}  // namespace

namespace {

// A library folder full of files that are no library files: one box for all of
// them (how many, the first few names), each reason in the log, and the
// library files among them still read.
TEST_F(LibraryFiles, ManyFilesThatAreNoLibraryFilesGiveOneBox) {
    const int refused = 40;
    for (int i = 0; i < refused; ++i) {
        const std::string name = "Many/N" + std::to_string(100 + i) + ".xml";
        write(name, i % 2 ? std::string(300, 'x') : library("<NOT_FBD/>"));
    }
    write("Many/Real.xml", library(R"(<FBD><BLOCK NAME="Real"/></FBD>)"));
    write("Top.xml", library(R"(<FBD><INCLUDE FILE_NAME="\Many\*.xml"/></FBD>)"));
    load("\\Top.xml");
    EXPECT_NE(find("Real"), nullptr);
    ASSERT_EQ(ui_.messages.size(), 1u);
    const std::string& box = ui_.messages[0];
    const std::string head = "Не являются файлами описания FBD блоков " + std::to_string(refused) + " файлов: ";
    EXPECT_EQ(box.rfind(head, 0), 0u) << box;
    EXPECT_NE(box.find(" и другие. Причины записаны в журнал."), std::string::npos) << box;
    EXPECT_EQ(std::count(box.begin(), box.end(), ','), int(TLibraryLoader::kNamedRefusedFiles) - 1) << box;
    EXPECT_EQ(std::count_if(logged.begin(), logged.end(),
                            [](const std::string& line) { return line.find("/Many/N1") != std::string::npos ||
                                                                 line.find("\\Many\\N1") != std::string::npos; }),
              refused);
}

}  // namespace
