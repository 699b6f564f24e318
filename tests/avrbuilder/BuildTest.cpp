// Build of the plug-in, bound from the program folder and driven through its
// record: the files and log lines of a build, and each failure code from its
// own broken input.
#include "AvrFixture.h"

#include "platform/Cp1251.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace zo::test;
namespace fs = std::filesystem;

namespace {

const std::string Q = "\"";

std::vector<std::string> linesOf(const std::string& path) {
    std::vector<std::string> lines;
    const std::string text = readBytes(path);
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) break;
        lines.push_back(utf(text.substr(start, end - start)));
        start = end + 2;
    }
    return lines;
}

TEST(Build, MakesTheProjectFilesAndTheImage) {
    AvrFixture f;
    writeBytes(f.inUpload("old.txt"), "stale");
    ASSERT_TRUE(f.host.bound());
    ASSERT_EQ(f.host.run(), 0) << f.host.logText();

    const std::string u = f.p() + "\\Upload";
    EXPECT_EQ(f.host.log.front().text, "Формирование проекта в папке " + u);
    EXPECT_EQ(f.host.log.front().level, 2);
    EXPECT_TRUE(f.host.logged("Очищена папка " + Q + u + Q + " удалено 1 файлов", 1));
    EXPECT_TRUE(f.host.logged("Создан файл " + Q + f.p() + "\\Configuration\\Demo.cfg" + Q, 1));
    EXPECT_TRUE(f.host.logged("Создан файл " + Q + u + "\\Configuration.inc" + Q, 1));
    EXPECT_TRUE(f.host.logged("Cкопирован файл " + Q + "m128def.inc" + Q, 1));
    EXPECT_TRUE(f.host.logged("Cкопирована библиотека " + Q + u + "\\lib_nets.inc" + Q, 1));
    EXPECT_TRUE(f.host.logged("Cкопирован файл " + Q + u + "\\macros.inc" + Q, 1));
    EXPECT_TRUE(f.host.logged("Cоздан файл " + Q + u + "\\Interrupt.inc" + Q + ".", 1));
    EXPECT_EQ(f.host.log.back().text, "Создан файл " + Q + u + "\\Demo.hex" + Q);
    EXPECT_EQ(f.host.log.back().level, 2);
    EXPECT_FALSE(fs::exists(f.inUpload("old.txt")));
    EXPECT_GT(fs::file_size(f.inUpload("Demo.hex")), 100u);

    const std::vector<std::string> main = linesOf(f.inUpload("main.asm"));
    ASSERT_GT(main.size(), 3u);
    EXPECT_EQ(main[0].rfind("; This file was created with Configurator.exe program. ", 0), 0u);
    EXPECT_EQ(main[1], ".include \"m128def.inc\"" + std::string(28, ' ') + "//device name");
    EXPECT_EQ(main[2], "");

    const std::vector<std::string> include = linesOf(f.inUpload("Include.inc"));
    const std::vector<std::string> expected = {
        "//This document was created with OrvantaConfigurator.exe program.",
        "",
        ".include \"logic.inc\"" + std::string(30, ' ') + "//FBD cod",
        ".include \"lib_fixed.inc\"" + std::string(26, ' ') + "//library",
        ".include \"lib_nets.inc\"" + std::string(27, ' ') + "//library",
        ".include \"lib_timer.inc\"" + std::string(26, ' ') + "//library",
        ".include \"Configuration.inc\"" + std::string(22, ' ') + "//configuration",
    };
    EXPECT_EQ(include, expected);
    // The timer library's handler turns its vector into a jump.
    const std::vector<std::string> vectors = linesOf(f.inUpload("Interrupt.inc"));
    EXPECT_NE(std::find(vectors.begin(), vectors.end(), "rjmp iOC1Aaddr" + std::string(16, ' ') +
                                                            ";0x0018 Timer/Counter1 Compare Match A"),
              vectors.end());
    // The converter and the assembler got quoted paths.
    ASSERT_EQ(f.host.commandLines.size(), 2u);
    EXPECT_EQ(f.host.commandLines[0], Q + f.p() + "\\Utility\\Kelvart" + Q + " -o=" + Q + u + "\\Configuration.inc" +
                                          Q + " " + Q + f.p() + "\\Configuration\\Demo.cfg" + Q);
    EXPECT_EQ(f.host.commandLines[1], Q + f.p() + "\\Utility\\avrasm2" + Q + " -fI -o \"Demo.hex\" \"main.asm\"");
}

TEST(Build, ProjectNameWithBlankBuilds) {
    AvrFixture f("Demo 1");
    ASSERT_EQ(f.host.run(), 0) << f.host.logText();
    EXPECT_TRUE(fs::exists(f.inUpload("Demo 1.hex")));
    EXPECT_TRUE(fs::exists(f.inUpload("Configuration.inc")));
}

TEST(Build, CodeFileBelowTheFbdFolderIsFoundAndIncludedByItsName) {
    AvrFixture f;
    fs::create_directories(f.runtime() + "/FBD/Deep/Er");
    writeBytes(f.runtime() + "/FBD/Deep/Er/extra.inc", "; nothing to run\r\n");
    f.codeFiles = {"sub\\extra.inc", "logic.inc"};
    ASSERT_EQ(f.host.run(), 0) << f.host.logText();
    const std::string fbd = f.p() + "\\Runtime\\Mega128\\FBD\\";
    EXPECT_TRUE(f.host.logged("Ищем файл " + Q + "sub\\extra.inc" + Q + " в " + Q + fbd + Q + ", найден копируем.", 1));
    EXPECT_EQ(readBytes(f.inUpload("extra.inc")), "; nothing to run\r\n");
    const std::vector<std::string> include = linesOf(f.inUpload("Include.inc"));
    EXPECT_EQ(include[2], ".include \"extra.inc\"" + std::string(30, ' ') + "//FBD cod");
}

TEST(Build, WithoutCodeFilesIncludeHoldsLibrariesAndConfiguration) {
    AvrFixture f;
    f.blocks.clear();
    f.codeFiles.clear();
    ASSERT_EQ(f.host.run(), 0) << f.host.logText();
    const std::vector<std::string> include = linesOf(f.inUpload("Include.inc"));
    ASSERT_EQ(include.size(), 6u);
    EXPECT_EQ(include[2].substr(0, 24), ".include \"lib_fixed.inc\"");
    EXPECT_EQ(include[5].substr(0, 28), ".include \"Configuration.inc\"");
}

struct FailureCase {
    const char* name;
    std::function<void(AvrFixture&)> breakIt;
    int32_t code;
    std::function<std::string(const AvrFixture&)> line;  // the level-5 line, UTF-8
};

TEST(Build, EachFailureHasItsCodeAndLine) {
    const std::string kFbd = "\\Runtime\\Mega128\\FBD\\";
    const FailureCase cases[] = {
        {"configuration not written", [](AvrFixture& f) { f.configResult = -1; }, -2,
         [](const AvrFixture& f) { return "Ошибка создания файла " + Q + f.p() + "\\Configuration\\Demo.cfg" + Q; }},
        {"converter missing", [](AvrFixture& f) { fs::remove(f.p() + "/Utility/Kelvart"); }, -3,
         [](const AvrFixture& f) { return "Ошибка исполнения утилиты: " + Q + f.p() + "\\Utility\\Kelvart" + Q; }},
        {"converter refuses the file", [](AvrFixture& f) { f.configBytes = "short"; }, -3,
         [](const AvrFixture& f) { return "Ошибка исполнения утилиты: " + Q + f.p() + "\\Utility\\Kelvart" + Q; }},
        {"converter writes nothing",
         [](AvrFixture& f) {
             fs::remove(f.p() + "/Utility/Kelvart");
             writeBytes(f.p() + "/Utility/Kelvart", "#!/bin/sh\nexit 0\n");
             fs::permissions(f.p() + "/Utility/Kelvart", fs::perms::owner_all);
         },
         -4,
         [](const AvrFixture& f) { return "Файл: " + Q + f.p() + "\\Upload\\Configuration.inc" + Q + " не создан."; }},
        {"no program in BUILD",
         [](AvrFixture& f) { f.writeDevice(R"(<BUILD CMD="avrasm2" SOURCE="main.asm"><DEVICE FILE="m128def.inc"/></BUILD>)"); },
         -5,
         [](const AvrFixture& f) {
             return "В файле описания устройства " + Q + f.p() + "\\Device\\Fix.dev" + Q + " не задана программа.";
         }},
        {"device include missing",
         [](AvrFixture& f) { fs::remove(f.runtime() + "/Device/m128def.inc"); }, -5,
         [](const AvrFixture& f) {
             return "Не найден файл " + Q + f.p() + "\\Runtime\\Mega128\\Device\\m128def.inc" + Q + ".";
         }},
        {"empty upload folder",
         [](AvrFixture& f) { BuildHost::set(f.host.params.UploadFolder, sizeof f.host.params.UploadFolder, ""); }, -5,
         [](const AvrFixture&) { return std::string("Не задана папка проекта: сборка не выполняется."); }},
        {"code file nowhere", [](AvrFixture& f) { f.codeFiles = {"missing.inc"}; }, -6,
         [kFbd](const AvrFixture& f) {
             return "Ищем файл " + Q + "missing.inc" + Q + " в " + Q + f.p() + kFbd + Q + ", не найден.";
         }},
        {"code file outside the runtime", [](AvrFixture& f) { f.codeFiles = {"..\\..\\secret.inc"}; }, -6,
         [](const AvrFixture&) {
             return "Недопустимое имя файла " + Q + "..\\..\\secret.inc" + Q + ": файл должен лежать в папке устройства.";
         }},
        {"copy entry absolute",
         [](AvrFixture& f) {
             f.writeDevice(R"(<BUILD CMD="avrasm2 -fI" SOURCE="main.asm"><PROGRAM FILE="main_prog.asm"/><DEVICE FILE="m128def.inc"/><COPY FILE="/etc/passwd"/></BUILD>)");
         },
         -6,
         [](const AvrFixture&) {
             return "Недопустимое имя файла " + Q + "/etc/passwd" + Q + ": файл должен лежать в папке устройства.";
         }},
        {"no CMD",
         [](AvrFixture& f) {
             f.writeDevice(R"(<BUILD SOURCE="main.asm"><PROGRAM FILE="main_prog.asm"/><DEVICE FILE="m128def.inc"/><COPY FILE="macros.inc"/></BUILD>)");
         },
         -7, [](const AvrFixture&) { return std::string("Не заданы параметры компиляции."); }},
        {"assembler outside the Utility folder",
         [](AvrFixture& f) {
             f.writeDevice(R"(<BUILD CMD="..\..\..\bin\true -fI" SOURCE="main.asm"><PROGRAM FILE="main_prog.asm"/><DEVICE FILE="m128def.inc"/><COPY FILE="macros.inc"/></BUILD>)");
         },
         -7,
         [](const AvrFixture&) {
             return "Недопустимое имя утилиты " + Q + "..\\..\\..\\bin\\true" + Q + ": утилита должна лежать в папке Utility.";
         }},
        {"assembler name with a quote",
         [](AvrFixture& f) {
             f.writeDevice(R"(<BUILD CMD="avrasm2&quot; -fI" SOURCE="main.asm"><PROGRAM FILE="main_prog.asm"/><DEVICE FILE="m128def.inc"/><COPY FILE="macros.inc"/></BUILD>)");
         },
         -7,
         [](const AvrFixture&) {
             return "Недопустимое имя утилиты " + Q + "avrasm2\"" + Q + ": утилита должна лежать в папке Utility.";
         }},
        {"assembler missing",
         [](AvrFixture& f) { fs::remove(f.p() + "/Utility/avrasm2"); }, -7,
         [](const AvrFixture& f) { return "Ошибка исполнения утилиты: " + Q + f.p() + "\\Utility\\avrasm2" + Q; }},
        {"assembler writes no image",
         [](AvrFixture& f) {
             f.writeDevice(R"(<BUILD CMD="noimage -fI" SOURCE="main.asm"><PROGRAM FILE="main_prog.asm"/><DEVICE FILE="m128def.inc"/><COPY FILE="macros.inc"/></BUILD>)");
         },
         -8, [](const AvrFixture& f) { return "Файл: " + Q + f.p() + "\\Upload\\Demo.hex" + Q + " не создан."; }},
        {"assembly errors", [](AvrFixture& f) { writeBytes(f.runtime() + "/library/lib_zbroken.inc", "\tfoo r1\r\n"); }, -7,
         [](const AvrFixture& f) { return "Ошибка исполнения утилиты: " + Q + f.p() + "\\Utility\\avrasm2" + Q; }},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        AvrFixture f;
        c.breakIt(f);
        EXPECT_EQ(f.host.run(), c.code) << f.host.logText();
        ASSERT_FALSE(f.host.log.empty());
        EXPECT_EQ(f.host.log.back().text, c.line(f));
        EXPECT_EQ(f.host.log.back().level, 5);
    }
}

TEST(Build, NoProgramFailsAfterTheConfigurationInclude) {
    AvrFixture f;
    f.writeDevice(R"(<BUILD CMD="avrasm2" SOURCE="main.asm"/>)");
    EXPECT_EQ(f.host.run(), -5);
    EXPECT_TRUE(fs::exists(f.inUpload("Configuration.inc")));
    EXPECT_FALSE(fs::exists(f.inUpload("main.asm")));
}

TEST(Build, EmptyUploadFolderLeavesTheCurrentFolderAlone) {
    AvrFixture f;
    TempDir current;
    writeBytes(current.file("keep.txt"), "mine");
    ScopedCurrentDir here(current.path());
    BuildHost::set(f.host.params.UploadFolder, sizeof f.host.params.UploadFolder, "");
    EXPECT_EQ(f.host.run(), -5);
    EXPECT_EQ(readBytes(current.file("keep.txt")), "mine");
}

TEST(Build, AssemblerMessagesReachTheLogAsErrors) {
    AvrFixture f;
    writeBytes(f.runtime() + "/library/lib_zbroken.inc", "\tfoo r1\r\n");
    EXPECT_EQ(f.host.run(), -7);
    EXPECT_FALSE(fs::exists(f.inUpload("Demo.hex")));
    bool found = false;
    for (const BuildLogLine& l : f.host.log)
        if (l.level == 5 && l.text.find("lib_zbroken.inc:1: error:") != std::string::npos) found = true;
    EXPECT_TRUE(found) << f.host.logText();
}

}  // namespace

namespace {

TEST(Build, EveryBlockKindOfTheDeviceAssembles) {
    AvrFixture f;
    auto block = [](std::initializer_list<int> bytes) {
        std::string b;
        for (int v : bytes) b.push_back(char(v));
        return b;
    };
    f.blocks = {
        block({0, 1, 2, 1, 0}),                     // AND
        block({0, 1, 2, 2, 0}),                     // OR
        block({0, 1, 2, 3, 0}),                     // XOR
        block({0, 2, 4, 0}),                        // NOT
        block({0, 1, 2, 1, 10, 0}),                 // RS
        block({0, 2, 11, 0}),                       // RTRIG
        block({0, 1, 2, 20, 0}),                    // ADD
        block({0, 1, 2, 0, 0, 0x80, 0x3F, 21, 0}),  // MUL, K = 1.0
        block({0, 1, 2, 0, 0, 0, 0, 0, 22, 0}),     // CMP
        block({0, 2, 30, 0}),                       // INT2REAL
        block({0, 2, 0, 31, 0}),                    // REAL2INT
        block({0, 2, 32, 0}),                       // WORD2INT
        block({0, 2, 255, 50, 0, 40, 0}),           // TON
        block({0, 2, 50, 0, 41, 0}),                // TOF
        block({0, 1, 2, 255, 3, 0, 42, 0}),         // CTU
        block({0, 3, 0, 100, 0}),                   // PinIn
        block({2, 1, 0, 101, 0}),                   // PinOut
    };
    f.codeFiles = {"convert.inc", "counter.inc", "logic.inc", "math.inc", "port.inc", "timer.inc", "trigger.inc"};
    ASSERT_EQ(f.host.run(), 0) << f.host.logText();
    EXPECT_GT(fs::file_size(f.inUpload("Demo.hex")), 1000u);
}

}  // namespace
