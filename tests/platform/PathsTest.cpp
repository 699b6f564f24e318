#include "platform/Paths.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zo::platform;
using zo::test::ScopedCurrentDir;
using zo::test::TempDir;
using zo::test::writeBytes;

TEST(Paths, NativeAndLeadingBackslash) {
    EXPECT_EQ(nativePath("a\\b\\c.xml"), "a/b/c.xml");
    TempDir dir;
    ScopedCurrentDir cd(dir.path());
    // The folder as the system names it (a temporary folder may lie behind a link).
    const std::string here = std::filesystem::canonical(dir.path()).string();
    EXPECT_EQ(currentDir(), here);
    EXPECT_EQ(withCurrentDir("\\Struct\\x.xml"), here + "\\Struct\\x.xml");
    EXPECT_EQ(withCurrentDir("Struct"), "Struct");
}

TEST(Paths, MaskTable) {
    struct Case {
        const char* name;
        const char* mask;
        bool match;
    } cases[] = {
        {"a.txt", "*.*", true},      {"noext", "*.*", true},      {"noext", "*.", true},
        {"a.txt", "*.", false},      {"LIB_x.INC", "lib_*.inc", true}, {"lib_x.incx", "lib_*.inc", false},
        {"abc.hc", "*.HC", true},    {"a.b", "?.b", true},        {"ab.b", "?.b", false},
    };
    for (const Case& c : cases) EXPECT_EQ(matchMask(c.name, c.mask), c.match) << c.name << " ~ " << c.mask;
    EXPECT_TRUE(hasExtension(".."));
    EXPECT_FALSE(hasExtension("sub"));
}

TEST(Paths, SplitTakesShortestExistingFilePrefix) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "a.d");
    writeBytes(dir.file("a.d/lib.xml"), "<FBD/>");
    const std::string p = dir.str() + "/a.d/lib.xml/FBD/Group/Block";
    const FileAndRest s = splitFileAndElements(p);
    EXPECT_EQ(s.file, dir.str() + "/a.d/lib.xml");
    EXPECT_EQ(s.rest, "FBD/Group/Block");
    const FileAndRest back = splitFileAndElements(dir.str() + "\\a.d\\lib.xml/FBD/B");
    EXPECT_EQ(back.file, dir.str() + "\\a.d\\lib.xml");
    EXPECT_EQ(back.rest, "FBD/B");
    const FileAndRest missing = splitFileAndElements("nofile.xml/ROOT/x");
    EXPECT_EQ(missing.file, "nofile.xml");
    EXPECT_EQ(missing.rest, "ROOT/x");
}
