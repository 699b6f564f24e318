// Names of files and folders cross the file-system edge in their encoding:
// the system's Windows-1251 paths become the file system's UTF-8 names and
// back, so a folder named in Cyrillic works and its name is never stored
// garbled; a name Windows-1251 cannot hold comes in visibly replaced.

#include "platform/Cp1251.h"
#include "platform/DynLib.h"
#include "platform/Paths.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zo::platform;
using namespace zo::test;

namespace fs = std::filesystem;

TEST(NativeNames, WindowsPathsNameTheirUtf8Files) {
    TempDir dir;
    fs::create_directories(dir.path() / "Проекты" / "Иван");  // "И" is D0 98 in UTF-8
    writeBytes(dir.file("Проекты/Иван/Схема.hc"), "x");
    const std::string folder = dir.str() + cp("/Проекты\\Иван");
    EXPECT_EQ(nativePath(folder + cp("\\Схема.hc")), dir.str() + "/Проекты/Иван/Схема.hc");
    EXPECT_TRUE(fileExists(folder + cp("\\Схема.hc")));
    EXPECT_TRUE(dirExists(folder));
    EXPECT_FALSE(fileExists(dir.str() + "/Проекты/Иван/Схема.hc"));  // UTF-8 is not the system's text

    ScopedCurrentDir cd(dir.path() / "Проекты" / "Иван");
    EXPECT_EQ(currentDir(), dir.str() + cp("/Проекты/Иван"));
    EXPECT_TRUE(fileExists(cp("\\Схема.hc")));
    EXPECT_EQ(splitFileAndElements(cp("\\Схема.hc/Orvanta_config")).file, cp("\\Схема.hc"));
}

TEST(NativeNames, AFolderWindows1251CannotNameComesInWithQuestionMarksAndNamesNothing) {
    TempDir dir;
    fs::create_directories(dir.path() / "数据");
    writeBytes(dir.file("数据/a.xml"), "x");
    writeBytes(dir.file("??"), "another file");
    ScopedCurrentDir cd(dir.path() / "数据");
    EXPECT_EQ(currentDir(), dir.str() + "/??");
    EXPECT_FALSE(fileExists("\\a.xml"));
    EXPECT_FALSE(dirExists(currentDir()));
    EXPECT_EQ(loadLibrary("\\nothing.so"), nullptr);
}
