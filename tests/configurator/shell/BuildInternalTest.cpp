// The program's own assembler build: the AVR project formed from the kernel's
// answers and assembled, with its own first line and without interrupt vectors.
#include "configurator/shell/BuildInternal.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zo;
using namespace zo::test;
namespace fs = std::filesystem;

namespace {

// A device whose runtime program needs no interrupt vectors.
class MiniKernel : public shell::IBuildKernel {
public:
    explicit MiniKernel(const std::string& p) : p_(p) {
        for (const char* d : {"Device", "Configuration", "Upload", "Utility", "Runtime/Mini/Device"})
            fs::create_directories(p_ + "/" + d);
        for (const char* tool : {"Kelvart", "avrasm2"})
            fs::create_symlink(fs::path(ZO_PROGRAM_DIR) / "Utility" / tool, p_ + "/Utility/" + tool);
        writeBytes(p_ + "/Device/Mini.dev",
                   R"(<?xml version="1.0" encoding="windows-1251"?><Micro Program="Mini" ConfigFileType="2">)"
                   R"(<BUILD CMD="avrasm2 -fI" SOURCE="main.asm"><PROGRAM FILE="main_prog.asm"/>)"
                   R"(<DEVICE FILE="mini.inc"/></BUILD></Micro>)");
        writeBytes(p_ + "/Runtime/Mini/main_prog.asm", ".cseg\r\n.include \"Include.inc\"\r\n\trjmp CfgTable\r\n");
        writeBytes(p_ + "/Runtime/Mini/Device/mini.inc", ".device ATmega128\r\n");
    }
    std::string UploadFolder() override { return p_ + "\\Upload"; }
    std::string DeviceRuntimeFolder() override { return p_ + "\\Runtime\\"; }
    std::string ProgramFolder() override { return p_; }
    std::string DeviceFilePath() override { return p_ + "\\Device\\Mini.dev"; }
    std::string DeviceProgram() override { return "Mini"; }
    int32_t CreateConfigFile(const std::string& cfgPath, const char*, std::vector<std::string>& libraries) override {
        std::string bytes(145, '\0');
        bytes += std::string("\x00\x00", 2);
        writeBytes(platform::nativePath(cfgPath), bytes);
        libraries.clear();
        return 0;
    }

private:
    std::string p_;
};

std::vector<std::pair<std::string, int>>* g_log = nullptr;

void writeLog(const char* text, uint8_t level) {
    if (g_log) g_log->emplace_back(utf(text), level);
}

shell::BuildServices services(std::vector<std::pair<std::string, int>>& log) {
    g_log = &log;
    return shell::ProgramBuildServices(writeLog);
}

TEST(BuildInternal, WithoutKernelReturnsMinusOneAndLogsNothing) {
    std::vector<std::pair<std::string, int>> log;
    EXPECT_EQ(shell::BuildInternal(nullptr, "Demo", services(log)), -1);
    EXPECT_TRUE(log.empty());
}

TEST(BuildInternal, BuildsWithoutInterruptVectorsAndWithItsOwnFirstLine) {
    TempDir dir;
    MiniKernel kernel(dir.str());
    std::vector<std::pair<std::string, int>> log;
    ASSERT_EQ(shell::BuildInternal(&kernel, "Demo", services(log)), 0);
    const std::string upload = dir.str() + "/Upload/";
    EXPECT_TRUE(fs::exists(upload + "Demo.hex"));
    EXPECT_FALSE(fs::exists(upload + "Interrupt.inc"));
    EXPECT_EQ(readBytes(upload + "main.asm").rfind("//This file was created with Configurator.exe program. ", 0), 0u);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), std::make_pair("Создан файл \"" + dir.str() + "\\Upload\\Demo.hex\"", 2));
}

}  // namespace
