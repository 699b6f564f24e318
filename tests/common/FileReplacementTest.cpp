// Replacing a file: never through an existing name, the old file whole until
// the new one is complete, a target the user cannot write refused, and the
// leftovers of interrupted replacements removed without taking a file that
// is being written.
#include "common/FileReplacement.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

using namespace zo;
using namespace zo::test;

namespace fs = std::filesystem;

namespace {

// Sets a file's modification time back by seconds.
void age(const std::string& path, time_t seconds) {
    const timespec times[2] = {{time(nullptr) - seconds, 0}, {time(nullptr) - seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

TEST(FileReplacement, ReplacesTheContentsKeepingTheTargetsPermissions) {
    TempDir dir;
    const std::string target = dir.file("P.hc");
    writeBytes(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    EXPECT_EQ(ReplaceFileContents(target, "new text", 8), kReplaceOk);
    EXPECT_EQ(readBytes(target), "new text");
    EXPECT_EQ(modeOf(target), 0640u);
    EXPECT_EQ(filesIn(dir.str()), std::vector<std::string>{"P.hc"});

    // A new file: 0644 less the umask; an explicit mode exactly.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    EXPECT_EQ(ReplaceFileContents(dir.file("new.cfg"), "x", 1), kReplaceOk);
    EXPECT_EQ(modeOf(dir.file("new.cfg")), 0644u & ~mask);
    EXPECT_EQ(ReplaceFileContents(dir.file("prog"), "x", 1, 0755), kReplaceOk);
    EXPECT_EQ(modeOf(dir.file("prog")), 0755u);
}

TEST(FileReplacement, AnUncommittedReplacementLeavesTheOldFileAndNoTrace) {
    TempDir dir;
    const std::string target = dir.file("P.hc");
    writeBytes(target, "old");
    {
        FileReplacement file(target);
        ASSERT_EQ(file.Open(), kReplaceOk);
        ASSERT_TRUE(file.Write("half", 4));
        EXPECT_TRUE(IsReplacementLeftoverName("P.hc", fs::path(file.TempName()).filename().string()));
        EXPECT_EQ(filesIn(dir.str()).size(), 2u);
    }
    EXPECT_EQ(readBytes(target), "old");
    EXPECT_EQ(filesIn(dir.str()), std::vector<std::string>{"P.hc"});
}

// A link planted in the place of a file the program makes in its own folders,
// or under any name the temporary file could take, is replaced or passed
// over; the file behind it stays as it was.
TEST(FileReplacement, NeverWritesThroughAPlantedLink) {
    TempDir dir;
    const std::string victim = dir.file("victim.txt");
    writeBytes(victim, "precious");
    fs::create_directory(dir.path() / "work");
    const std::string target = dir.file("work/P.cfg");
    fs::create_symlink(victim, target);
    fs::create_symlink(victim, dir.file("work/P.cfg.tmp"));
    EXPECT_EQ(ReplaceFileContents(target, "config", 6, -1, LinkPolicy::ReplaceLink), kReplaceOk);
    EXPECT_EQ(readBytes(victim), "precious");
    EXPECT_FALSE(fs::is_symlink(target));
    EXPECT_EQ(readBytes(target), "config");

    // The copy of a program onto a planted link: replaced, with the source's mode.
    const std::string source = dir.file("runtime");
    writeBytes(source, "program");
    ASSERT_EQ(::chmod(source.c_str(), 0750), 0);
    const std::string copy = dir.file("work/runtime");
    fs::create_symlink(victim, copy);
    EXPECT_EQ(ReplaceFileWithCopy(source, copy), kReplaceOk);
    EXPECT_EQ(readBytes(victim), "precious");
    EXPECT_FALSE(fs::is_symlink(copy));
    EXPECT_EQ(readBytes(copy), "program");
    EXPECT_EQ(modeOf(copy), 0750u);
}

TEST(FileReplacement, RefusesTargetsAPlainWriteWouldRefuse) {
    TempDir dir;
    const std::string readOnly = dir.file("P.hc");
    writeBytes(readOnly, "read-only project");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    const int child = RunHonouringFilePermissions([&] {
        if (ReplaceFileContents(readOnly, "new", 3) != kReplaceRefused) return 1;
        if (ReplaceFileWithCopy(ZO_SOURCE_DIR "/CMakeLists.txt", readOnly) != kReplaceRefused) return 2;
        return 0;
    });
    EXPECT_EQ(child, 0);
    EXPECT_EQ(readBytes(readOnly), "read-only project");

    // A folder, a pipe (no open of it may block) and a device are no files to replace.
    fs::create_directory(dir.path() / "folder");
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0644), 0);
    for (const std::string& target : {dir.file("folder"), dir.file("pipe"), std::string("/dev/null")}) {
        SCOPED_TRACE(target);
        EXPECT_EQ(ReplaceFileContents(target, "x", 1), kReplaceRefused);
    }
    EXPECT_EQ(filesIn(dir.str()), (std::vector<std::string>{"P.hc", "folder", "pipe"}));
}

TEST(FileReplacement, ACopyNeedsARegularSource) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0644), 0);
    const std::string target = dir.file("prog");
    writeBytes(target, "old");
    for (const std::string& source : {dir.file("pipe"), dir.file("missing"), dir.str(), std::string("/dev/zero")}) {
        SCOPED_TRACE(source);
        EXPECT_EQ(ReplaceFileWithCopy(source, target), kReplaceRefused);
    }
    EXPECT_EQ(readBytes(target), "old");
}

TEST(FileReplacement, LeftoverNamesAreTheTemporaryNamesOfThatFileAlone) {
    struct Case {
        const char* name;
        bool leftover;
    };
    for (const Case& c : {Case{".P.hc.a1B2c3", true}, Case{".P.hc.XXXXXX", true}, Case{".P.hc.a1B2c", false},
                          Case{".P.hc.a1B2c3d", false}, Case{".P.hc.a1-2c3", false}, Case{"P.hc.a1B2c3", false},
                          Case{".Q.hc.a1B2c3", false}, Case{".P.hc.bak.a1B2c3", false}, Case{".P.hcXa1B2c3", false},
                          Case{"P.hc", false}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsReplacementLeftoverName("P.hc", c.name), c.leftover);
    }
}

// Leftovers of killed saves go with the next successful save of the file;
// a temporary file another writer still holds, one that changed lately, and
// every other file stay.
TEST(FileReplacement, ASuccessfulReplacementRemovesTheLeftoversOfInterruptedOnes) {
    TempDir dir;
    const std::string target = dir.file("P.hc");
    writeBytes(target, "old");
    const std::vector<std::string> dead = {".P.hc.k1ll3d", ".P.hc.AAAAAA"};
    for (const std::string& name : dead) {
        writeBytes(dir.file(name), std::string(1000, 'x'));
        age(dir.file(name), 2 * kLeftoverAgeSeconds);
    }
    // A save in progress elsewhere holds its file locked, however old it looks.
    FileReplacement other(target);
    ASSERT_EQ(other.Open(), kReplaceOk);
    ASSERT_TRUE(other.Write("in progress", 11));
    age(other.TempName(), 10 * kLeftoverAgeSeconds);
    const std::string busy = fs::path(other.TempName()).filename().string();
    writeBytes(dir.file(".P.hc.fr3sh1"), "just written");
    writeBytes(dir.file(".Q.hc.0ld0ld"), "another file's");
    age(dir.file(".Q.hc.0ld0ld"), 2 * kLeftoverAgeSeconds);
    writeBytes(dir.file(".P.hc.tmp"), "not the pattern");
    age(dir.file(".P.hc.tmp"), 2 * kLeftoverAgeSeconds);
    fs::create_symlink(target, dir.file(".P.hc.l1nk00"));

    EXPECT_EQ(ReplaceFileContents(target, "new", 3), kReplaceOk);
    std::vector<std::string> expected = {".P.hc.fr3sh1", ".P.hc.l1nk00", ".P.hc.tmp", ".Q.hc.0ld0ld", "P.hc", busy};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(filesIn(dir.str()), expected);
    EXPECT_EQ(readBytes(target), "new");

    // The other save still completes.
    EXPECT_EQ(other.Commit(), kReplaceOk);
    EXPECT_EQ(readBytes(target), "in progress");
}

TEST(FileReplacement, AFolderThatRefusesFilesGivesACodeAndKeepsTheTarget) {
    TempDir dir;
    const std::string target = dir.file("P.hc");
    writeBytes(target, "old");
    const int child = RunHonouringFilePermissions([&] {
        if (::chmod(dir.str().c_str(), 0555) != 0) return 1;
        const int rc = ReplaceFileContents(target, "new", 3);
        ::chmod(dir.str().c_str(), 0755);
        return rc == kReplaceCreateFailed ? 0 : 2;
    });
    EXPECT_EQ(child, 0);
    EXPECT_EQ(readBytes(target), "old");
    EXPECT_EQ(filesIn(dir.str()), std::vector<std::string>{"P.hc"});
    EXPECT_EQ(ReplaceFileContents(dir.file("missing/P.hc"), "x", 1), kReplaceCreateFailed);
}

}  // namespace
