// File names read from a folder come in as the system's Windows-1251 text, so
// they name the same files when they go back to the file system.

#include "common/FileUtils.h"
#include "platform/Paths.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zo;
using namespace zo::test;

namespace fs = std::filesystem;

TEST(FileNames, FoundFilesAreNamedInWindows1251AndNameTheirFiles) {
    TempDir dir;
    fs::create_directories(dir.path() / "Папка");
    writeBytes(dir.file("Папка/Схема.xml"), "x");
    writeBytes(dir.file("Папка/数据.xml"), "y");
    std::vector<std::string> found;
    FindFiles(dir.str() + cp("\\Папка"), "*.xml", found, false);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_NE(std::find(found.begin(), found.end(), dir.str() + cp("\\Папка\\Схема.xml")), found.end());
    EXPECT_TRUE(platform::fileExists(dir.str() + cp("\\Папка\\Схема.xml")));
    // A name Windows-1251 cannot hold shows as "?" and names no file.
    EXPECT_NE(std::find(found.begin(), found.end(), dir.str() + cp("\\Папка\\??.xml")), found.end());
    EXPECT_FALSE(platform::fileExists(dir.str() + cp("\\Папка\\??.xml")));
}
