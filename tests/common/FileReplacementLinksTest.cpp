// Replacing a file named through symbolic links: the file the links name gets
// the new contents with its mode, the links stay; a chain that never ends is
// refused; a file the program makes in its own folders replaces a link in
// its place instead; a hard-linked file is replaced under the one name.
#include "common/FileReplacement.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

using namespace zo;
using namespace zo::test;

namespace fs = std::filesystem;

namespace {

mode_t modeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

TEST(FileReplacementLinks, TheFileALinkNamesIsReplacedAndTheLinkStays) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> links;  // link (below the folder) -> its text
    };
    const Case cases[] = {
        {"relative link", {{"view/Plant.hc", "../real/Plant.hc"}}},
        {"absolute link", {{"view/Plant.hc", "{R}/real/Plant.hc"}}},
        {"chain of links", {{"view/Plant.hc", "../other/Plant.hc"}, {"other/Plant.hc", "../real/Plant.hc"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        for (const char* folder : {"view", "real", "other"}) fs::create_directory(dir.path() / folder);
        const std::string real = dir.file("real/Plant.hc");
        writeBytes(real, "old project");
        ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
        for (auto [link, text] : c.links) {
            if (text.rfind("{R}", 0) == 0) text = dir.str() + text.substr(3);
            fs::create_symlink(text, dir.file(link));
        }
        ASSERT_EQ(ReplaceFileContents(dir.file("view/Plant.hc"), "new project", 11), kReplaceOk);
        EXPECT_EQ(readBytes(real), "new project");
        EXPECT_EQ(modeOf(real), 0640u);
        for (const auto& [link, text] : c.links) EXPECT_TRUE(fs::is_symlink(dir.file(link))) << link;
        EXPECT_EQ(filesIn(dir.file("view")), std::vector<std::string>{"Plant.hc"});
        EXPECT_EQ(filesIn(dir.file("real")), std::vector<std::string>{"Plant.hc"});
    }
}

TEST(FileReplacementLinks, ALinkToAMissingFileMakesThatFile) {
    TempDir dir;
    fs::create_directory(dir.path() / "real");
    fs::create_symlink("real/New.hc", dir.file("New.hc"));
    ASSERT_EQ(ReplaceFileContents(dir.file("New.hc"), "x", 1), kReplaceOk);
    EXPECT_TRUE(fs::is_symlink(dir.file("New.hc")));
    EXPECT_EQ(readBytes(dir.file("real/New.hc")), "x");
}

TEST(FileReplacementLinks, AChainOfLinksThatNeverEndsIsRefused) {
    TempDir dir;
    fs::create_symlink("b.hc", dir.file("a.hc"));
    fs::create_symlink("a.hc", dir.file("b.hc"));
    EXPECT_EQ(ReplaceFileContents(dir.file("a.hc"), "x", 1), kReplaceRefused);
    EXPECT_EQ(filesIn(dir.str()), (std::vector<std::string>{"a.hc", "b.hc"}));
}

TEST(FileReplacementLinks, AFileOfTheProgramsOwnFoldersReplacesTheLinkInItsPlace) {
    TempDir dir;
    const std::string victim = dir.file("victim.txt");
    writeBytes(victim, "another user's file");
    fs::create_symlink(victim, dir.file("Demo.cfg"));
    ASSERT_EQ(ReplaceFileContents(dir.file("Demo.cfg"), "cfg", 3, -1, LinkPolicy::ReplaceLink), kReplaceOk);
    EXPECT_EQ(readBytes(victim), "another user's file");
    EXPECT_FALSE(fs::is_symlink(dir.file("Demo.cfg")));
    EXPECT_EQ(readBytes(dir.file("Demo.cfg")), "cfg");
}

// Only a rename is atomic, and a rename gives the name a file of its own: the
// other names of a hard-linked file keep its old contents.
TEST(FileReplacementLinks, AHardLinkedFileIsReplacedUnderTheOneName) {
    TempDir dir;
    writeBytes(dir.file("Plant.hc"), "old");
    ASSERT_EQ(::chmod(dir.file("Plant.hc").c_str(), 0600), 0);
    fs::create_hard_link(dir.file("Plant.hc"), dir.file("Copy.hc"));
    ASSERT_EQ(ReplaceFileContents(dir.file("Plant.hc"), "new", 3), kReplaceOk);
    EXPECT_EQ(readBytes(dir.file("Plant.hc")), "new");
    EXPECT_EQ(modeOf(dir.file("Plant.hc")), 0600u);
    EXPECT_EQ(readBytes(dir.file("Copy.hc")), "old");
}

}  // namespace
