#include "ProjectModel.h"

#include "common/Struct.h"
#include "kernel/DeviceFile.h"
#include "kernel/KernelState.h"
#include "kernel/ProjectFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

using namespace zo;
using namespace zo::kernel;
using namespace zo::test;

namespace fs = std::filesystem;

namespace {

class ProjectFile : public ProjectModel {
protected:
    static int32_t storeWindowState(const char* sheetName) {
        // Only the first sheet has a window.
        return std::strcmp(sheetName, cp("Лист 1").c_str()) == 0 ? 0 : -1;
    }
    void SetUp() override {
        ProjectModel::SetUp();
        Options().StoreSchemeWindowState = storeWindowState;
    }
    std::string saved(const std::string& path) { return utf(readBytes(path)); }
};

TEST_F(ProjectFile, WritesTheWholeModelAsTheElementTreeWithoutDefaults) {
    newProject("Демо", 2);
    const uint16_t s1 = addSheet("Лист 1");
    sheet(s1)->Left = 10;
    sheet(s1)->Scale = 1.5f;
    addSheet("Лист 2");
    TBlockRecord* b = block(s1, addBlock(s1, basePath("Orvan_Out"), "Orvan_Out 1", 2, 3));
    b->Bottom = 4;
    setData(b, "IM", "Насос");
    setData(b, "ID", "7");
    const auto* display = static_cast<const TStruct*>(b->Display.Struct);
    display->SetValue(b->Display.Data, 0, "1");  // Turn
    addLink(s1, 5, 4, 9, 4);
    addLink(s1, 9, 4, 9, 8);

    const std::string path = file("Project/Demo.hc");
    ASSERT_EQ(SaveProject(path.c_str()), 0);

    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
        "<!-- This document was created with Zo_xml unit. -->\n"
        "<Orvanta_config>\n"
        "  <Проект Name=\"Demo\" DeviceFile=\"Test.dev\" Program=\"VT_win.exe\" ConfigFileType=\"2\"/>\n"
        "  <Заголовок Device=\"Test\" Name=\"Демо\"/>\n"
        "  <Схема Name=\"Лист 1\" WindowOpen=\"1\" Left=\"10\" Scale=\"1.5\">\n"
        "    <Блок Name=\"Orvan_Out 1\" DescriptionPath=\"\\Struct\\Base.xml/FBD/Вход Выход/Orvan_Out\" "
        "Left=\"2\" Top=\"3\" Right=\"4\" Bottom=\"4\">\n"
        "      <Парам. Turn=\"1\"/>\n"
        "      <Данные IM=\"Насос\" ID=\"7\"/>\n"
        "    </Блок>\n"
        "    <Соединение PointA=\"262149\" PointB=\"262153\"/>\n"
        "    <Соединение PointA=\"262153\" PointB=\"524297\"/>\n"
        "  </Схема>\n"
        "  <Схема Name=\"Лист 2\"/>\n"
        "</Orvanta_config>\n";
    EXPECT_EQ(saved(path), expected);

    // The save changed the model: window bytes and the block's path.
    EXPECT_EQ(ZO_FIELD(*sheet(0), WindowOpen), 1);
    EXPECT_EQ(ZO_FIELD(*sheet(1), WindowOpen), 0);
    EXPECT_EQ(utf(block(s1, 0)->DescriptionPath), "\\Struct\\Base.xml/FBD/Вход Выход/Orvan_Out");
    EXPECT_EQ(utf(State().projectPath), path);
    EXPECT_EQ(utf(State().projectName), "Demo");
    EXPECT_TRUE(log_.has("Проект \"" + path + "\" сохранен."));
    // A simplified-type project leaves the channel base alone.
    EXPECT_FALSE(fs::exists(file("Struct/Canals.xml")));
}

// The file is streamed from the records; it must be the file the whole
// document would have written, for every byte a text field can hold.
TEST_F(ProjectFile, TheStreamedFileIsTheFileOfTheWholeDocument) {
    newProject("Демо", 1);
    const uint16_t s1 = addSheet("Лист 1");
    addSheet("Лист 2");
    sheet(s1)->Scale = 0.75f;
    std::string everyByte;
    for (int c = 1; c < 256; ++c) everyByte += char(c);
    // A channel name holds 40 characters: the bytes spread over seven blocks.
    for (int i = 0; i < 7; ++i) {
        TBlockRecord* b = block(s1, addBlock(s1, basePath("Orvan_Out"), "Блок", 2 + 6 * i, 3));
        setData(b, "ID", std::to_string(i * 40000 - 1));
        const auto* data = static_cast<const TStruct*>(b->Block.Struct);
        int16_t im = -1;
        ASSERT_EQ(data->FindItem("IM", im), 1);
        ASSERT_EQ(data->SetValue(b->Block.Data, im, everyByte.substr(size_t(i) * 40, 40).c_str()), 0);
        const auto* display = static_cast<const TStruct*>(b->Display.Struct);
        display->SetValue(b->Display.Data, 0, std::to_string(i % 2).c_str());
    }
    const char markup[] = "<&\"'>\t\r\n";
    std::memcpy(block(s1, 6)->Name, markup, sizeof markup);
    addLink(s1, 5, 4, 9, 4);
    addLink(s1, 9, 4, 9, 8);

    // The project's name is its file's: the same name in another folder.
    const std::string streamed = file("Project/Demo.hc");
    const std::string document = file("Configuration/Demo.hc");
    ASSERT_EQ(SaveProject(streamed.c_str()), 0);
    ASSERT_EQ(SaveProjectThroughDocument(document.c_str()), 0);
    const std::string bytes = readBytes(streamed);
    EXPECT_EQ(bytes, readBytes(document));
    EXPECT_NE(bytes.find("Name=\"&lt;&amp;&quot;'&gt;&#9;&#13;&#10;\""), std::string::npos) << utf(bytes);
}

TEST_F(ProjectFile, ProjectWithoutSheetsHoldsOnlyItsTwoRecords) {
    newProject("Пустой");
    const auto* header = HeaderDescription();
    header->SetDefaults(State().headerRecord);
    const std::string path = file("Project/Empty project.hc");
    ASSERT_EQ(SaveProject(path.c_str()), 0);
    EXPECT_EQ(saved(path),
              "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
              "<!-- This document was created with Zo_xml unit. -->\n"
              "<Orvanta_config>\n"
              "  <Проект Name=\"Empty project\" DeviceFile=\"Test.dev\" Program=\"VT_win.exe\"/>\n"
              "  <Заголовок/>\n"
              "</Orvanta_config>\n");
}

TEST_F(ProjectFile, PathsBelowTheProgramFolderBecomeRelative) {
    const std::string base = programPath();
    const std::string g = cp("/FBD/Вход Выход/Orvan_In");
    struct Case {
        std::string path;
        std::string expected;
    } cases[] = {
        {base + "\\Struct\\Base.xml" + g, "\\Struct\\Base.xml" + g},
        // Native separators below the folder turn into "\" in the file part only.
        {base + "/Struct/Base.xml" + g, "\\Struct\\Base.xml" + g},
        // A folder whose name only starts with the program folder's name.
        {base + "2\\Struct\\Base.xml" + g, base + "2\\Struct\\Base.xml" + g},
        {"/elsewhere\\Base.xml" + g, "/elsewhere\\Base.xml" + g},
        {base, base},
        {"\\Struct\\Base.xml" + g, "\\Struct\\Base.xml" + g},
    };
    for (const Case& c : cases) EXPECT_EQ(PathRelativeToProgram(c.path, base), c.expected) << c.path;
    // A trailing separator on the folder changes nothing.
    EXPECT_EQ(PathRelativeToProgram(base + "\\Struct\\Base.xml" + g, base + "/"), "\\Struct\\Base.xml" + g);
}

TEST_F(ProjectFile, BlockOutsideTheProgramFolderKeepsItsAbsolutePath) {
    TempDir other;
    fs::copy_file(file("Struct/Base.xml"), other.file("Base.xml"));
    const std::string outside = other.str() + "\\Base.xml" + cp("/FBD/Вход Выход/Orvan_In");
    newProject("Demo");
    const uint16_t s = addSheet("Лист 1");
    addBlock(s, outside, "Orvan_In 1", 1, 1);
    addBlock(s, basePath("Orvan_In"), "Orvan_In 2", 5, 1);
    const std::string path = file("Project/Demo.hc");
    ASSERT_EQ(SaveProject(path.c_str()), 0);
    EXPECT_EQ(std::string(block(s, 0)->DescriptionPath), outside);
    EXPECT_EQ(utf(block(s, 1)->DescriptionPath), "\\Struct\\Base.xml/FBD/Вход Выход/Orvan_In");
    const std::string text = readBytes(path);
    EXPECT_NE(text.find("DescriptionPath=\"" + outside + "\""), std::string::npos);
}

TEST_F(ProjectFile, StructureCheckAnswersAndLogsItsCodes) {
    const std::string project = StructDescriptionPath(ProjectDescriptionName());
    EXPECT_EQ(CheckStructure(nullptr, project.c_str(), 184), -1);
    EXPECT_EQ(CheckStructure(State().structCache, project.c_str(), 184), 0);
    EXPECT_EQ(CheckStructure(State().structCache, project.c_str(), 183), -3);
    EXPECT_TRUE(log_.has("Не соответствие размера структуры \"" + utf(project) + "\""));
    const std::string missing = StructDescriptionPath("Нет такой");
    {
        UiRecorder ui;
        EXPECT_EQ(CheckStructure(State().structCache, missing.c_str(), 10), -2);
    }
    EXPECT_TRUE(log_.has("Структура  \"" + utf(missing) + "\" не найдена"));
}

TEST_F(ProjectFile, DescriptionOfTheWrongSizeWritesNothing) {
    // A block description one byte short (Priority removed).
    std::string structXml = utf(readBytes(file("Struct/Struct.xml")));
    const std::string priority = "<VAR NAME=\"Priority\"";
    const size_t at = structXml.find(priority);
    ASSERT_NE(at, std::string::npos);
    structXml.erase(at, structXml.find('\n', at) - at);
    writeBytes(file("Struct/Struct.xml"), cp(structXml));
    newProject("Demo");
    const std::string path = file("Project/Demo.hc");
    EXPECT_EQ(SaveProject(path.c_str()), -1);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(State().projectPath[0], 0);
}

TEST_F(ProjectFile, MissingDeviceHeaderWritesNothing) {
    newProject("Demo");
    writeBytes(file("Device/Bare.dev"), "<Micro Program=\"VT_win.exe\"/>");
    std::strcpy(State().deviceFileName, "Bare.dev");
    const std::string path = file("Project/Demo.hc");
    EXPECT_EQ(SaveProject(path.c_str()), -2);
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(ProjectFile, FileThatCannotBeWrittenIsAFailureAndLeavesNoTrace) {
    newProject("Demo");
    // A folder that does not exist.
    const std::string missing = file("NoFolder/Demo.hc");
    EXPECT_EQ(SaveProject(missing.c_str()), -3);
    EXPECT_TRUE(log_.has("Ошибка записи файла проекта \"" + missing + "\""));
    // A folder standing where the file should go.
    const std::string folder = file("Project/Demo.hc");
    fs::create_directory(folder);
    writeBytes(folder + "/inside", "kept");
    EXPECT_EQ(SaveProject(folder.c_str()), -3);
    EXPECT_EQ(readBytes(folder + "/inside"), "kept");
    for (const auto& entry : fs::directory_iterator(file("Project")))
        EXPECT_EQ(entry.path().filename(), "Demo.hc") << "left behind: " << entry.path();
    for (const LogLine& l : log_.lines) EXPECT_EQ(l.text.find("сохранен"), std::string::npos) << l.text;
    EXPECT_FALSE(fs::exists(file("Struct/Canals.xml")));
}

}  // namespace
