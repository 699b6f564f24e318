// The program's own assembler build: the AVR project formed from the kernel's
// answers and assembled, with its own first line and without interrupt vectors.
#include "configurator/link/ProjectSession.h"
#include "configurator/shell/BuildInternal.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"
#include "support/FakeKernel.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zo;
using namespace zo::test;
namespace fs = std::filesystem;

namespace {

// A device whose runtime program needs no interrupt vectors, answered by the
// shared fake of the kernel record through the program's session.
struct MiniDevice {
    FakeKernel fake;
    configurator::TProjectSession session{fake.recordPtr()};

    explicit MiniDevice(const std::string& p) {
        for (const char* d : {"Device", "Configuration", "Upload", "Utility", "Runtime/Mini/Device"})
            fs::create_directories(p + "/" + d);
        for (const char* tool : {"Kelvart", "avrasm2"})
            fs::create_symlink(fs::path(ZO_PROGRAM_DIR) / "Utility" / tool, p + "/Utility/" + tool);
        writeBytes(p + "/Device/Mini.dev",
                   R"(<?xml version="1.0" encoding="windows-1251"?><Micro Program="Mini" ConfigFileType="2">)"
                   R"(<BUILD CMD="avrasm2 -fI" SOURCE="main.asm"><PROGRAM FILE="main_prog.asm"/>)"
                   R"(<DEVICE FILE="mini.inc"/></BUILD></Micro>)");
        writeBytes(p + "/Runtime/Mini/main_prog.asm", ".cseg\r\n.include \"Include.inc\"\r\n\trjmp CfgTable\r\n");
        writeBytes(p + "/Runtime/Mini/Device/mini.inc", ".device ATmega128\r\n");
        fake.setText("GetUploadFolder", p + "\\Upload");
        fake.setText("GetDeviceRuntimeFolder", p + "\\Runtime\\");
        fake.setText("GetProgramFolder", p);
        fake.setText("GetDeviceFilePath", p + "\\Device\\Mini.dev");
        fake.setText("GetDeviceProgram", "Mini");
        fake.setHook<TCreateConfigFileProc>("CreateConfigFile", [](const char* cfgPath, const char*, TZoStringList*) {
            std::string bytes(145, '\0');
            bytes += std::string("\x00\x00", 2);
            writeBytes(platform::nativePath(cfgPath), bytes);
            return 0;
        });
        session.Assign({}, "Demo");
    }
};

std::vector<std::pair<std::string, int>>* g_log = nullptr;

void writeLog(const char* text, uint8_t level) {
    if (g_log) g_log->emplace_back(utf(text), level);
}

TEST(BuildInternal, WithoutKernelReturnsMinusOneAndLogsNothing) {
    std::vector<std::pair<std::string, int>> log;
    g_log = &log;
    configurator::TProjectSession unbound;
    EXPECT_EQ(configurator::BuildInternal(unbound, unbound.BuildInputs(), &writeLog), -1);
    EXPECT_TRUE(log.empty());
    g_log = nullptr;
}

TEST(BuildInternal, BuildsWithoutInterruptVectorsAndWithItsOwnFirstLine) {
    TempDir dir;
    MiniDevice device(dir.str());
    std::vector<std::pair<std::string, int>> log;
    g_log = &log;
    ASSERT_EQ(configurator::BuildInternal(device.session, device.session.BuildInputs(), &writeLog), 0);
    g_log = nullptr;
    const std::string upload = dir.str() + "/Upload/";
    EXPECT_TRUE(fs::exists(upload + "Demo.hex"));
    EXPECT_FALSE(fs::exists(upload + "Interrupt.inc"));
    EXPECT_EQ(readBytes(upload + "main.asm").rfind("//This file was created with Configurator.exe program. ", 0), 0u);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), std::make_pair("Создан файл \"" + dir.str() + "\\Upload\\Demo.hex\"", 2));
    // The device program is asked again at each use, through the session.
    EXPECT_GE(device.fake.count("GetDeviceProgram"), 2);
}

}  // namespace
