#include "common/FileUtils.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace zo;
using zo::test::readBytes;
using zo::test::TempDir;
using zo::test::writeBytes;

TEST(FileUtils, WriteTruncatesAndAppendCreates) {
    TempDir dir;
    const std::string f = dir.file("a.bin");
    writeBytes(f, "0123456789");
    EXPECT_EQ(WriteFileBuffer(f, "abc", 3), 0);
    EXPECT_EQ(readBytes(f), "abc");
    const std::string g = dir.file("new.bin");
    EXPECT_EQ(AppendFileBuffer(g, "xy", 2), 0);
    EXPECT_EQ(AppendFileBuffer(g, "z", 1), 0);
    EXPECT_EQ(readBytes(g), "xyz");
}

TEST(FileUtils, WriteIntoMissingFolderGivesCode) {
    TempDir dir;
    EXPECT_EQ(WriteFileBuffer(dir.file("no/such/a.bin"), "abc", 3), kFileOpenFailed);
    EXPECT_EQ(AppendFileBuffer(dir.file("no/such/a.bin"), "abc", 3), kFileOpenFailed);
}

TEST(FileUtils, FindFilesListsSubfoldersFirstAndSkipsNamesWithoutExtension) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "sub" / "deep");
    writeBytes(dir.file("Lib_A.INC"), "1");
    writeBytes(dir.file("noext"), "1");
    writeBytes(dir.file("other.txt"), "1");
    writeBytes((dir.path() / "sub" / "lib_b.inc").string(), "1");
    writeBytes((dir.path() / "sub" / "deep" / "lib_c.inc").string(), "1");

    std::vector<std::string> withSlash, without;
    FindFiles(dir.str() + "\\", "lib_*.inc", withSlash, true);
    FindFiles(dir.str(), "lib_*.inc", without, true);
    EXPECT_EQ(withSlash, without);
    const std::string base = dir.str() + "\\";
    const std::vector<std::string> expected = {base + "sub\\deep\\lib_c.inc", base + "sub\\lib_b.inc",
                                               base + "Lib_A.INC"};
    EXPECT_EQ(without, expected);

    std::vector<std::string> all{"kept"};
    FindFiles(dir.str(), "*.*", all, false);
    EXPECT_EQ(all.front(), "kept");
    EXPECT_EQ(std::count(all.begin(), all.end(), base + "noext"), 0);
    EXPECT_EQ(all.size(), 3u);  // kept, Lib_A.INC, other.txt
}
