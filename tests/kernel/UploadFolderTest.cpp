// The upload folder: cleaned, then filled with the configuration file, the
// runtime program, the code libraries the blocks name and the start script.
#include "ProjectModel.h"

#include "common/Struct.h"
#include "kernel/ConfigFile.h"
#include "kernel/DeviceFile.h"
#include "kernel/KernelState.h"
#include "kernel/UploadFolder.h"
#include "support/RuntimeProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

using namespace zo;
using namespace zo::kernel;
using namespace zo::test;

namespace {

namespace fs = std::filesystem;

class UploadFolder : public ProjectModel {
protected:
    void SetUp() override {
        ProjectModel::SetUp();
        KernelState& s = State();
        s.uploadFolder = programPath() + "\\Upload";
        s.runtimeFolder = programPath() + "\\Runtime";
        fs::copy_file(ZO_PROGRAM_DIR "/Device/OrvantaPLC.dev", file("Device/OrvantaPLC.dev"));
        project("P", "VT_win.exe");
        // The device's runtime folder: the program and two code libraries.
        fs::create_directories(file("Runtime/VT_win/sub"));
        fs::copy_file(kRuntimeProgram, file("Runtime/VT_win/VT_win"));
        writeBytes(file("Runtime/VT_win/logic.inc"), "logic");
        writeBytes(file("Runtime/VT_win/sub/math.inc"), "math");
        writeBytes(file("Runtime/secret.inc"), "outside the runtime folder");
    }

    void project(const std::string& name, const std::string& program) {
        freeModel();
        KernelState& s = State();
        std::strcpy(s.deviceFileName, "OrvantaPLC.dev");
        std::strcpy(s.deviceProgram, program.c_str());
        std::strcpy(s.projectName, name.c_str());
        s.configFileType = 1;
        TStruct* header = HeaderDescription();
        ASSERT_NE(header, nullptr);
        s.headerRecord = std::calloc(1, size_t(header->GetSize()));
        header->SetDefaults(s.headerRecord);
    }

    std::string upload(const std::string& name) const { return file("Upload/" + name); }
};

// A library of FBD blocks with code, so that their libraries are collected.
const char* const kLibrary = R"(<?xml version="1.0" encoding="windows-1251"?>
<Lib><FBD><GROUP NAME="G">
<BLOCK NAME="Gen"><OUT NAME="Q" TYPE="Bool" DEFAULT="65535"/><FIELD NAME="Cod" TYPE="Byte" DEFAULT="1"/></BLOCK>
</GROUP></FBD></Lib>)";

class UploadFolderFilled : public UploadFolder {
protected:
    void SetUp() override {
        UploadFolder::SetUp();
        writeBytes(file("Lib.xml"), kLibrary);
        const uint16_t s = addSheet("Лист 1");
        for (const auto& [name, library] : {std::pair<std::string, std::string>{"A", "logic.inc"},
                                           {"B", "sub\\math.inc"},
                                           {"C", "logic.inc"},
                                           {"D", "..\\secret.inc"},
                                           {"E", "missing.inc"}}) {
            TBlockRecord* b = block(s, addBlock(s, programPath() + "\\Lib.xml/FBD/G/Gen", name, 0, 3 * (name[0] - 'A')));
            const auto* display = static_cast<const TStruct*>(b->Display.Struct);
            int16_t index = -1;
            ASSERT_EQ(display->FindItem("Library", index), 1);
            ASSERT_EQ(display->SetValue(b->Display.Data, index, library.c_str()), 0);
        }
        // Left from an earlier build: a file that goes, and what stays.
        writeBytes(upload("old.cfg"), "old");
        writeBytes(upload("README"), "no extension");
        fs::create_directories(upload("keep"));
        writeBytes(upload("keep/inside.txt"), "in a subfolder");
        fs::create_directories(upload("empty.d"));  // a folder with an extension is listed, not removed
    }
};

TEST_F(UploadFolderFilled, HoldsConfigurationProgramLibrariesAndStartScript) {
    ASSERT_EQ(BuildProjectFolder("CreateConfig.log"), 0);

    EXPECT_EQ(readBytes(upload("autoexec.bat")), "start VT_win.exe P.cfg\r\n");
    // The configuration file is the one CreateConfigFile writes for the project.
    const std::string other = file("Other.cfg");
    ASSERT_EQ(CreateConfigFile(other.c_str(), "CreateConfig.log", nullptr), 0);
    EXPECT_EQ(readBytes(upload("P.cfg")), readBytes(other));
    // The runtime program, runnable, and each library once under its bare name.
    EXPECT_EQ(readBytes(upload("VT_win")), readBytes(kRuntimeProgram));
    EXPECT_NE(fs::status(upload("VT_win")).permissions() & fs::perms::owner_exec, fs::perms::none);
    EXPECT_EQ(readBytes(upload("logic.inc")), "logic");
    EXPECT_EQ(readBytes(upload("math.inc")), "math");
    EXPECT_FALSE(fs::exists(upload("secret.inc")));
    EXPECT_FALSE(fs::exists(upload("old.cfg")));
    EXPECT_TRUE(fs::exists(upload("README")));
    EXPECT_TRUE(fs::exists(upload("keep/inside.txt")));
    EXPECT_TRUE(fs::is_directory(upload("empty.d")));

    const std::string u = programPath() + "\\Upload";
    EXPECT_TRUE(log_.has("Формирование проекта в папке " + u));
    EXPECT_TRUE(log_.has("Очищена папка \"" + u + "\" удалено 2 файлов"));
    EXPECT_TRUE(log_.has("Создан файл \"" + u + "\\P.cfg\""));
    EXPECT_TRUE(log_.has("Cкопирован файл \"" + u + "\\VT_win\""));
    EXPECT_TRUE(log_.has("Cкопирован файл \"" + u + "\\logic.inc\""));
    EXPECT_TRUE(log_.has("Cкопирован файл \"" + u + "\\math.inc\""));
    EXPECT_TRUE(log_.has("Недопустимый путь библиотеки \"..\\secret.inc\""));
    EXPECT_TRUE(log_.has("Ошибка копирования файла \"missing.inc\""));
    EXPECT_TRUE(log_.has("Создан файл \"" + u + "\\autoexec.bat\""));
    int copies = 0;
    for (const std::string& t : log_.texts()) copies += t == "Cкопирован файл \"" + u + "\\logic.inc\"";
    EXPECT_EQ(copies, 1) << "a library two blocks name is copied once";
}

// The runtime program started from the upload folder with its configuration
// serves the controller's address of the project's header.
TEST_F(UploadFolderFilled, TheUploadedRuntimeRunsTheUploadedConfiguration) {
    TStruct* header = HeaderDescription();
    int16_t i = -1;
    ASSERT_EQ(header->FindItem("Port", i), 1);
    const LoopbackPort held;
    const uint16_t port = held.number();
    ASSERT_NE(port, 0);
    ASSERT_EQ(header->SetValue(State().headerRecord, i, std::to_string(port).c_str()), 0);
    ASSERT_EQ(BuildProjectFolder("CreateConfig.log"), 0);
    RuntimeProcess runtime;
    ASSERT_TRUE(runtime.Start(upload("P.cfg"), upload("VT_win")));
    ASSERT_TRUE(WaitForListener(port)) << runtime.Errors();
    EXPECT_EQ(runtime.Stop(), 0);
    EXPECT_NE(runtime.Output().find("0 nets, 5 FBD blocks"), std::string::npos);
}

TEST_F(UploadFolder, AProjectWithoutLibrariesGetsConfigurationProgramAndScript) {
    struct Case {
        const char* program;
        const char* runtimeFile;
        const char* script;
    };
    for (const Case& c : {Case{"VT_win.exe", "VT_win", "start VT_win.exe P.cfg\r\n"},
                          Case{"vt_win.exe", "vt_win", "vt_win.exe P.cfg\r\n"},
                          Case{"Other.EXE", "Other", "Other.EXE P.cfg\r\n"},
                          Case{"runner", "runner", "runner P.cfg\r\n"}}) {
        SCOPED_TRACE(c.program);
        project("P", c.program);
        // The device's runtime folder: the program's name up to its first dot;
        // a name without a dot has the Runtime folder itself.
        const std::string program = c.program;
        const size_t dot = program.find('.');
        const std::string folder = dot == std::string::npos ? std::string() : program.substr(0, dot);
        fs::create_directories(file("Runtime/" + folder));
        writeBytes(file("Runtime/" + folder + "/" + c.runtimeFile), "program");
        ASSERT_EQ(BuildProjectFolder("CreateConfig.log"), 0);
        EXPECT_EQ(readBytes(upload("autoexec.bat")), c.script);
        EXPECT_EQ(readBytes(upload(c.runtimeFile)), "program");
        EXPECT_TRUE(fs::exists(upload("P.cfg")));
        fs::remove(upload(c.runtimeFile));
    }
}

TEST_F(UploadFolder, RefusesNamesThatAreNotPlainFileNames) {
    writeBytes(upload("old.cfg"), "old");
    struct Case {
        const char* name;
        const char* program;
        int32_t result;
        const char* line;
    };
    for (const Case& c : {Case{"..\\P", "VT_win.exe", -1, "Недопустимое имя проекта \"..\\P\""},
                          Case{"a/b", "VT_win.exe", -1, "Недопустимое имя проекта \"a/b\""},
                          Case{"", "VT_win.exe", -1, "Недопустимое имя проекта \"\""},
                          Case{"P", "..\\..\\bin\\sh", -2, "Недопустимое имя программы \"..\\..\\bin\\sh\""},
                          Case{"P", "..", -2, "Недопустимое имя программы \"..\""}}) {
        SCOPED_TRACE(c.line);
        project(c.name, c.program);
        EXPECT_EQ(BuildProjectFolder("CreateConfig.log"), c.result);
        EXPECT_TRUE(log_.has(c.line));
        EXPECT_TRUE(fs::exists(upload("old.cfg"))) << "nothing is cleaned before the names are checked";
    }
}

TEST_F(UploadFolder, FailuresStopTheBuild) {
    // No runtime program: -2 and no start script.
    fs::remove(file("Runtime/VT_win/VT_win"));
    EXPECT_EQ(BuildProjectFolder("CreateConfig.log"), -2);
    EXPECT_TRUE(log_.has("Ошибка копирования файла \"" + programPath() + "\\Upload\\VT_win\""));
    EXPECT_TRUE(fs::exists(upload("P.cfg")));
    EXPECT_FALSE(fs::exists(upload("autoexec.bat")));

    // No configuration file: -1.
    std::strcpy(State().deviceFileName, "Missing.dev");
    UiRecorder ui;
    EXPECT_EQ(BuildProjectFolder("CreateConfig.log"), -1);
    EXPECT_TRUE(log_.has("Ошибка создания файла \"" + programPath() + "\\Upload\\P.cfg\""));
    EXPECT_FALSE(fs::exists(upload("P.cfg")));
}

TEST_F(UploadFolderFilled, AReadOnlyUploadFolderGivesMinusOneALogLineAndKeepsItsFiles) {
    const std::vector<std::string> before = filesIn(file("Upload"));
    const int child = RunWithReadOnlyFolder(file("Upload"), [&] {
        if (BuildProjectFolder("CreateConfig.log") != -1) return 1;
        if (!log_.has("Ошибка создания файла \"" + programPath() + "\\Upload\\P.cfg\"")) return 2;
        return 0;
    });
    EXPECT_EQ(child, 0);
    EXPECT_EQ(filesIn(file("Upload")), before);
    EXPECT_EQ(readBytes(upload("old.cfg")), "old");
}

}  // namespace
