// Files the kernel writes, met as a second user of the machine would leave
// them: links planted under the names the kernel writes to in its own
// folders and the temporary files of saves that were killed (a project file
// its owner made read-only is among the failed saves of FaultTest). The
// kernel replaces files; it never writes through a link in its own folders,
// while a project file named through a link is the file the link names.
#include "ProjectModel.h"

#include "common/FileReplacement.h"
#include "common/Struct.h"
#include "kernel/ConfigFile.h"
#include "kernel/DeviceFile.h"
#include "kernel/KernelRecord.h"
#include "kernel/KernelState.h"
#include "kernel/ProjectFile.h"
#include "kernel/ProjectOpen.h"
#include "kernel/UploadFolder.h"
#include "support/RuntimeProcess.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>

using namespace zo;
using namespace zo::kernel;
using namespace zo::test;

namespace fs = std::filesystem;

namespace {

void age(const std::string& path, time_t seconds) {
    const timespec times[2] = {{time(nullptr) - seconds, 0}, {time(nullptr) - seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class PlantedFile : public ProjectModel {
protected:
    void SetUp() override {
        ProjectModel::SetUp();
        FillKernelOptions(Options());
        Options().ConvertOptions = const_cast<TConvertOptions*>(zo::test::ConvertOptions());
        newProject("Демо", 1);
        addSheet("Лист 1");
        writeBytes(victim(), "another user's file");
    }
    void TearDown() override {
        CloseProject("");
        ProjectModel::TearDown();
    }
    std::string victim() const { return file("victim.txt"); }

    UiRecorder ui_;
};

TEST_F(PlantedFile, LinksUnderTheNamesOfConfigurationFilesAreReplacedNotWrittenThrough) {
    struct Case {
        const char* what;
        const char* link;    // relative to the program folder
        const char* target;  // the file the kernel writes
        std::function<int32_t(const std::string&)> write;
    };
    const auto configure = [](const std::string& path) {
        return CreateConfigFile(path.c_str(), "CreateConfig.log", nullptr);
    };
    for (const Case& c : {Case{"configuration file", "Configuration/Demo.cfg", "Configuration/Demo.cfg", configure},
                          Case{"fixed temporary name", "Configuration/Demo.cfg.tmp", "Configuration/Demo.cfg",
                               configure}}) {
        SCOPED_TRACE(c.what);
        fs::remove(file(c.link));
        fs::remove(file(c.target));
        fs::create_symlink(victim(), file(c.link));
        EXPECT_EQ(c.write(file(c.target)), 0);
        EXPECT_EQ(readBytes(victim()), "another user's file");
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(file(c.target))));
        EXPECT_GT(readBytes(file(c.target)).size(), 0u);
    }
}

// A project the user opened through a symbolic link is saved into the
// file it names: the link stays, the file keeps its mode, and later saves
// still reach it.
TEST_F(PlantedFile, AProjectSavedThroughALinkIsSavedIntoTheFileItNames) {
    fs::create_directories(file("real"));
    fs::create_directories(file("view"));
    const std::string real = file("real/Plant.hc");
    ASSERT_EQ(SaveProject(real.c_str()), 0);
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    fs::create_symlink("../real/Plant.hc", file("view/Plant.hc"));
    for (uint16_t width : {uint16_t(71), uint16_t(72)}) {
        const std::string before = readBytes(real);
        sheet(0)->Width = width;
        ASSERT_EQ(SaveProject(file("view/Plant.hc").c_str()), 0);
        EXPECT_TRUE(fs::is_symlink(file("view/Plant.hc")));
        EXPECT_EQ(fs::status(real).permissions() & fs::perms::all, fs::perms(0640));
        EXPECT_NE(readBytes(real), before) << "the save reached the file";
    }
    EXPECT_EQ(filesIn(file("view")), std::vector<std::string>{"Plant.hc"});
}

TEST_F(PlantedFile, ASuccessfulSaveRemovesTheTemporaryFilesOfKilledSavesOfThatFile) {
    struct Case {
        const char* folder;
        const char* name;
        std::function<int32_t(const std::string&)> write;
    };
    for (const Case& c : {Case{"Project", "Demo.hc", [](const std::string& p) { return SaveProject(p.c_str()); }},
                          Case{"Configuration", "Demo.cfg", [](const std::string& p) {
                                   return CreateConfigFile(p.c_str(), "CreateConfig.log", nullptr);
                               }}}) {
        SCOPED_TRACE(c.name);
        const std::string folder = file(c.folder);
        const std::string base = c.name;
        for (const char* suffix : {"a1B2c3", "K1ll3d", "zzzzzz"}) {
            const std::string leftover = folder + "/." + base + "." + suffix;
            writeBytes(leftover, std::string(4096, '<'));
            age(leftover, 2 * kLeftoverAgeSeconds);
        }
        // A save of the file just started by another process, and another file's leftover.
        writeBytes(folder + "/." + base + ".n0wn0w", "being written");
        writeBytes(folder + "/.Other.hc.0ld0ld", "not this file's");
        age(folder + "/.Other.hc.0ld0ld", 2 * kLeftoverAgeSeconds);

        ASSERT_EQ(c.write(folder + "/" + base), 0);
        std::vector<std::string> expected = {"." + base + ".n0wn0w", ".Other.hc.0ld0ld", base};
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(filesIn(folder), expected);
    }
}

// The upload folder: a link left under the runtime program's name (names
// without an extension survive the cleaning) is replaced by the program.
class PlantedUpload : public PlantedFile {
protected:
    void SetUp() override {
        PlantedFile::SetUp();
        KernelState& s = State();
        s.uploadFolder = programPath() + "\\Upload";
        s.runtimeFolder = programPath() + "\\Runtime";
        fs::copy_file(ZO_PROGRAM_DIR "/Device/OrvantaPLC.dev", file("Device/OrvantaPLC.dev"));
        std::strcpy(s.deviceFileName, "OrvantaPLC.dev");
        std::strcpy(s.deviceProgram, "VT_win.exe");
        std::strcpy(s.projectName, "P");
        // The header record of that device.
        TStruct* header = HeaderDescription();
        ASSERT_NE(header, nullptr);
        std::free(s.headerRecord);
        s.headerRecord = std::calloc(1, size_t(header->GetSize()));
        header->SetDefaults(s.headerRecord);
        fs::create_directories(file("Runtime/VT_win"));
        fs::copy_file(kRuntimeProgram, file("Runtime/VT_win/VT_win"));
    }
};

TEST_F(PlantedUpload, ALinkUnderTheProgramsNameIsReplacedByTheProgram) {
    ASSERT_EQ(::chmod(victim().c_str(), 0600), 0);
    fs::create_symlink(victim(), file("Upload/VT_win"));
    ASSERT_EQ(BuildProjectFolder("CreateConfig.log"), 0);
    EXPECT_EQ(readBytes(victim()), "another user's file");
    EXPECT_EQ(fs::status(victim()).permissions() & fs::perms::all, fs::perms(0600)) << "no run mode given to it";
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(file("Upload/VT_win"))));
    EXPECT_EQ(readBytes(file("Upload/VT_win")), readBytes(kRuntimeProgram));
    EXPECT_NE(fs::status(file("Upload/VT_win")).permissions() & fs::perms::owner_exec, fs::perms::none);
    EXPECT_EQ(readBytes(file("Upload/autoexec.bat")), "start VT_win.exe P.cfg\r\n");
}

}  // namespace
