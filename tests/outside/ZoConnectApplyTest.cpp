// Putting an update in place: one file named twice is placed once and a
// failure restores it whole; a running program is replaced; an apply killed
// half way is finished (or rolled back) the next time, with nothing left over.
#include "common/abi/ConnectSettings.h"
#include "outside/ZoConnect/UpdateApply.h"
#include "outside/ZoConnect/UpdateFiles.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

extern char** environ;

namespace zo::connect {
namespace {

namespace fs = std::filesystem;
using configurator::kApplyFailed;
using configurator::kApplyOk;
using test::readBytes;

void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    test::writeBytes(path.string(), bytes);
}

// A program folder with its update folder; files staged for the entry "Configurator".
class Apply : public ::testing::Test {
protected:
    std::string prog(const std::string& relative) const { return (program.path() / relative).string(); }
    std::string update() const { return prog("Update"); }
    // Stages the files (name as the manifest gives it -> bytes) with a manifest naming them in order.
    void stage(const std::vector<std::pair<std::string, std::string>>& files, const std::string& version = "2") {
        Manifest manifest{version, {}};
        for (const auto& [name, bytes] : files) {
            StagedFile f;
            ASSERT_TRUE(ValidEntryPath(name, &f.name)) << name;
            manifest.files.push_back(f);
            writeFile(fs::path(update()) / "Configurator" / f.name, bytes);
        }
        // The manifest keeps each name as given, so a second spelling reaches the apply.
        std::string text = "version\t" + version + "\n";
        for (const auto& file : files) text += "file\t644\t" + file.first + "\n";
        writeFile(fs::path(update()) / "Configurator" / ".manifest", text);
    }
    int32_t apply(const std::function<void(size_t)>& afterFilePlaced = {}) {
        return ApplyStaged(program.str(), update(), "Configurator", &reason, afterFilePlaced);
    }
    // Every file left below the program folder but the update folder.
    std::vector<std::string> programFiles() const {
        std::vector<std::string> files;
        for (const auto& e : fs::recursive_directory_iterator(program.path())) {
            const std::string rel = e.path().lexically_relative(program.path()).string();
            if (rel.rfind("Update", 0) != 0) files.push_back(rel);
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    test::TempDir program;
    std::string reason;
};

TEST_F(Apply, AFileNamedTwiceIsPlacedOnceAndAFailureRestoresItWhole) {
    writeFile(prog("Struct/Help.xml"), "old help");
    writeFile(prog("z.txt"), "old z");
    stage({{"Struct/Help.xml", "new help"}, {"Struct\\Help.xml", "new help"}, {"z.txt", "new z"}});
    // The last file cannot be placed: its staged copy is gone once the others are in place.
    EXPECT_EQ(apply([&](size_t placed) {
                  if (placed == 1) fs::remove(fs::path(update()) / "Configurator" / "z.txt");
              }),
              kApplyFailed);
    EXPECT_EQ(readBytes(prog("Struct/Help.xml")), "old help") << reason;
    EXPECT_EQ(readBytes(prog("z.txt")), "old z");
    EXPECT_EQ(programFiles(), (std::vector<std::string>{"Struct", "Struct/Help.xml", "z.txt"}));
    EXPECT_FALSE(fs::exists(fs::path(update()) / kApplyJournalName));

    stage({{"Struct/Help.xml", "new help"}, {"Struct\\Help.xml", "new help"}, {"z.txt", "new z"}});
    EXPECT_EQ(apply(), kApplyOk) << reason;
    EXPECT_EQ(readBytes(prog("Struct/Help.xml")), "new help");
    EXPECT_EQ(readBytes(prog("z.txt")), "new z");
    EXPECT_EQ(programFiles(), (std::vector<std::string>{"Struct", "Struct/Help.xml", "z.txt"}));
}

// A running program cannot be opened for writing (ETXTBSY), but its name can
// be given to a new file: the update is applied and the program runs on.
TEST_F(Apply, ARunningProgramIsReplaced) {
    fs::copy_file("/bin/sleep", prog("Configurator"));
    const std::string path = prog("Configurator");
    char* argv[] = {const_cast<char*>(path.c_str()), const_cast<char*>("30"), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ), 0);
    stage({{"Configurator", "#!/bin/sh\necho new\n"}});
    const int32_t result = apply();
    int status = 0;
    const bool stillRunning = ::waitpid(pid, &status, WNOHANG) == 0;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    EXPECT_EQ(result, kApplyOk) << reason;
    EXPECT_TRUE(stillRunning);
    EXPECT_EQ(readBytes(prog("Configurator")), "#!/bin/sh\necho new\n");
    struct stat st {};
    ASSERT_EQ(::stat(prog("Configurator").c_str(), &st), 0);
    EXPECT_NE(st.st_mode & S_IXUSR, 0u) << "the program keeps its mode";
    EXPECT_EQ(programFiles(), std::vector<std::string>{"Configurator"});
}

// An apply killed after some of its files are in place: the next look finishes
// it while every file is still staged or placed, and rolls it back when one is
// neither any more; either way nothing is left over.
TEST_F(Apply, AnApplyKilledHalfWayIsFinishedOrRolledBackNextTime) {
    struct Case {
        const char* what;
        bool loseAStagedFile;
        ResumeResult result;
    };
    for (const Case& c : {Case{"finished", false, ResumeResult::Finished},
                          Case{"rolled back", true, ResumeResult::RolledBack}}) {
        SCOPED_TRACE(c.what);
        fs::remove_all(program.path());
        fs::create_directory(program.path());
        const std::vector<std::string> names = {"a.txt", "b.txt", "New/c.txt", "d.txt"};
        std::vector<std::pair<std::string, std::string>> staged;
        for (const std::string& name : names) {
            if (name != "New/c.txt") writeFile(prog(name), "old " + name);
            staged.emplace_back(name, "new " + name);
        }
        stage(staged);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            apply([](size_t placed) {
                if (placed == 2) ::raise(SIGKILL);
            });
            ::_exit(3);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));
        ASSERT_TRUE(fs::exists(fs::path(update()) / kApplyJournalName));
        EXPECT_EQ(readBytes(prog("a.txt")), "new a.txt") << "killed half way";
        EXPECT_EQ(readBytes(prog("d.txt")), "old d.txt");
        if (c.loseAStagedFile) fs::remove(fs::path(update()) / "Configurator" / "d.txt");

        const ResumedApply resumed = ResumeInterruptedApply(program.str(), update());
        EXPECT_EQ(resumed.result, c.result) << resumed.reason;
        EXPECT_EQ(resumed.entry, "Configurator");
        const bool finished = c.result == ResumeResult::Finished;
        for (const std::string name : {"a.txt", "b.txt", "d.txt"})
            EXPECT_EQ(readBytes(prog(name)), (finished ? "new " : "old ") + name);
        EXPECT_EQ(fs::exists(prog("New/c.txt")), finished);
        std::vector<std::string> expected = {"a.txt", "b.txt", "d.txt"};
        if (finished) expected = {"New", "New/c.txt", "a.txt", "b.txt", "d.txt"};
        EXPECT_EQ(programFiles(), expected) << "no old copies, no folders of the apply left";
        EXPECT_EQ(test::filesIn(update()), finished ? std::vector<std::string>{"Configurator.version"}
                                                    : std::vector<std::string>{});
        EXPECT_EQ(ResumeInterruptedApply(program.str(), update()).result, ResumeResult::None);
    }
}

}  // namespace
}  // namespace zo::connect
