#include "KernelHost.h"

#include "common/abi/GraficOptions.h"
#include "platform/DynLib.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zo;
using namespace zo::test;

namespace {

const char* const kLabels[] = {"Путь программы: ",      "Исполнительные программы: ", "Конфигурации: ",
                               "Подготовленный проект: ", "Путь к устройствам: ",     "Путь к проектам: ",
                               "Путь к структурам: "};

std::vector<std::string> folderLines(const LogRecorder& log) {
    std::vector<std::string> out;
    for (const LogLine& l : log.lines)
        for (const char* label : kLabels)
            if (l.text.rfind(label, 0) == 0) out.push_back(l.text);
    return out;
}

// Binds and wires the kernel as the program does, then calls KernelInit.
void startKernel() {
    LoadKernelLibrary("\\system", nullptr, nullptr, LogRecorder::Proc);
    ASSERT_NE(KernelOptionsPtr, nullptr);
    KernelOptionsPtr->ConvertOptions = const_cast<TConvertOptions*>(zo::test::ConvertOptions());
    KernelOptionsPtr->SetLogCallback("Vezevire.log", LogRecorder::WriteProc);
    KernelOptionsPtr->KernelInit();
}

TGraficOptions* graficRecord() {
    LibraryRecord lib = LoadLibraryRecord("ZoGraficConfig.so");
    platform::unloadLibrary(lib.handle);  // the kernel keeps it loaded
    return static_cast<TGraficOptions*>(lib.record);
}

}  // namespace

TEST(KernelInit, FoldersBelowTheProgramFolderAndLibrariesWired) {
    ProgramFolder program;
    TempDir config;
    ScopedEnv env("XDG_CONFIG_HOME", config.str());
    ScopedCurrentDir cd(program.path());
    LogRecorder log;
    startKernel();
    const std::string p = program.path();
    EXPECT_EQ(folderLines(log),
              (std::vector<std::string>{"Путь программы: \"" + p + "\"", "Исполнительные программы: \"" + p + "\\Runtime\"",
                                        "Конфигурации: \"" + p + "\\Configuration\"",
                                        "Подготовленный проект: \"" + p + "\\Upload\"",
                                        "Путь к устройствам: \"" + p + "\\Device\"", "Путь к проектам: \"" + p + "\\Project\"",
                                        "Путь к структурам: \"" + p + "\\Struct\""}));
    EXPECT_STREQ(KernelOptionsPtr->GetStructFolder(), (p + "\\Struct").c_str());
    EXPECT_EQ(std::string(KernelOptionsPtr->GetProgramFolder()), p);
    EXPECT_EQ(ZO_FIELD(KernelOptionsPtr->Inspector, ConvertOptions), zo::test::ConvertOptions());

    // The graphic library is bound (three blanks before its description) and given the
    // kernel's callbacks; the routing library is bound with one blank before its description.
    EXPECT_TRUE(log.has("Загружена библиотека \"" + p +
                        "\\System\\ZoGraficConfig.so\"   библиотека графики Orvanta Configurator"));
    EXPECT_TRUE(log.has("Загружена библиотека \"ZoTraceSchem.so\" ZoTraceSchem: connection router"));
    TGraficOptions* g = graficRecord();
    ASSERT_NE(g, nullptr);
    auto color = ZO_FIELD(*g, GetConnectionTypeColor);
    ASSERT_NE(color, nullptr);
    EXPECT_NE(ZO_FIELD(*g, AddMenObjItem), nullptr);
    EXPECT_NE(ZO_FIELD(*g, GetStructItemValue), nullptr);
    // Line types came from the shipped Config.xml.
    EXPECT_EQ(color("Bool"), 0x008000);
    EXPECT_EQ(color("bool"), 0x008000);
    EXPECT_EQ(color("Nothing"), 0xC0C0C0);
    for (const LogLine& l : log.lines) EXPECT_NE(l.level, 5) << l.text;
    UnloadKernelLibrary(nullptr);
}

TEST(KernelInit, WithoutTheProgramEveryFolderComesFromTheRegistry) {
    ProgramFolder program(false);
    TempDir config, elsewhere;
    ScopedEnv env("XDG_CONFIG_HOME", config.str());
    ASSERT_TRUE(platform::writeRegistry(platform::RegistryRoot::LocalMachine, platform::kProgramKey, "path",
                                        elsewhere.str()));
    ScopedCurrentDir cd(program.path());
    LogRecorder log;
    startKernel();
    const std::string r = elsewhere.str();
    const std::vector<std::string> lines = folderLines(log);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "Путь программы: \"" + r + "\"");
    EXPECT_EQ(lines[6], "Путь к структурам: \"" + r + "\\Struct\"");
    // No line types there: one error line naming the file.
    EXPECT_TRUE(log.has("Ошибка загрузки типов соеденений \"" + r + "\\Struct\\Config.xml\""));
    // The program folder stays the folder the library was loaded in.
    EXPECT_EQ(std::string(KernelOptionsPtr->GetProgramFolder()), program.path());
    UnloadKernelLibrary(nullptr);
}
