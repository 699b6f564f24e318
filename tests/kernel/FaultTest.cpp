// Faults the kernel meets on an engineer's machine: a disk that fills up while
// a file is written, names and paths longer than the fields that hold them,
// and text with characters that Windows-1251 lacks.
//
// A full disk and a read-only folder are set up in a forked child (a file size
// limit; file permissions that hold also for root). The child answers 0 when
// every expectation held there, else the number of the first one that failed.

#include "ProjectModel.h"

#include "common/My_XML.h"
#include "common/Struct.h"
#include "kernel/ChannelBase.h"
#include "kernel/ConfigFile.h"
#include "kernel/DeviceFile.h"
#include "kernel/KernelRecord.h"
#include "kernel/KernelState.h"
#include "kernel/NewProject.h"
#include "kernel/OptionBlocks.h"
#include "kernel/ProjectFile.h"
#include "kernel/ProjectOpen.h"

#include <gtest/gtest.h>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>

using namespace zo;
using namespace zo::kernel;
using namespace zo::test;

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kDiskLimit = 4096;

// An attribute of the first element of that name, as the file holds it (UTF-8).
std::string rawAttribute(const std::string& file, const char* element, const char* attribute) {
    xmlDocPtr doc = xmlReadFile(file.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc) return "<no document>";
    std::string value = "<absent>";
    std::function<bool(xmlNodePtr)> find = [&](xmlNodePtr node) {
        for (; node; node = node->next) {
            if (node->type != XML_ELEMENT_NODE) continue;
            if (std::strcmp(reinterpret_cast<const char*>(node->name), element) == 0) {
                if (xmlChar* v = xmlGetProp(node, reinterpret_cast<const xmlChar*>(attribute))) {
                    value = reinterpret_cast<const char*>(v);
                    xmlFree(v);
                }
                return true;
            }
            if (find(node->children)) return true;
        }
        return false;
    };
    find(xmlDocGetRootElement(doc));
    xmlFreeDoc(doc);
    return value;
}

class Fault : public ProjectModel {
protected:
    void SetUp() override {
        ProjectModel::SetUp();
        FillKernelOptions(Options());
        Options().ConvertOptions = const_cast<TConvertOptions*>(zo::test::ConvertOptions());
    }
    void TearDown() override {
        CloseProject("");
        ProjectModel::TearDown();
    }
    // Sheets enough that the project file is larger than the disk allows.
    void largeProject(uint8_t configFileType) {
        newProject("Демо", configFileType);
        for (int i = 1; i <= 150; ++i) addSheet("Лист " + std::to_string(i));
    }
    std::string structFile(const std::string& name) const { return programPath() + "\\Struct\\" + name; }

    UiRecorder ui_;
};

// A full disk, a read-only folder and a project file its owner made read-only:
// the save fails with a code and a log line, and the old file stays as it was.
TEST_F(Fault, AFailedProjectSaveGivesACodeALogLineAndKeepsTheOldFile) {
    largeProject(2);
    const std::string path = file("Project/Demo.hc");
    const auto save = [&] {
        log_.lines.clear();
        if (SaveProject(path.c_str()) >= 0) return 1;
        if (!log_.has("Ошибка записи файла проекта \"" + path + "\"")) return 2;
        if (log_.has("Проект \"" + path + "\" сохранен.")) return 3;
        return 0;
    };
    struct Case {
        const char* what;
        std::function<int(const std::function<int()>&)> run;
        bool readOnlyFile;
    };
    const Case cases[] = {
        {"full disk", [](const std::function<int()>& body) { return RunWithFullDisk(kDiskLimit, body); }, false},
        {"read-only folder",
         [&](const std::function<int()>& body) { return RunWithReadOnlyFolder(file("Project"), body); }, false},
        {"read-only file", [](const std::function<int()>& body) { return RunHonouringFilePermissions(body); }, true},
    };
    int width = 77;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(SaveProject(path.c_str()), 0);
        const std::string old = readBytes(path);
        ASSERT_GT(old.size(), kDiskLimit);
        if (c.readOnlyFile) {
            ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
        }
        const fs::perms mode = fs::status(path).permissions() & fs::perms::all;
        sheet(0)->Width = width++;  // the model changed since
        EXPECT_EQ(c.run(save), 0);
        EXPECT_EQ(readBytes(path), old);
        EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, mode);
        EXPECT_EQ(filesIn(file("Project")), std::vector<std::string>{"Demo.hc"});
    }
}

TEST_F(Fault, FullDiskWhileUpdatingTheChannelBaseKeepsTheBaseAndStillSavesTheProject) {
    newProject("Насос", 1);
    const uint16_t s = addSheet("Лист 1");
    setData(block(s, addBlock(s, basePath("Orvan_In"), "Давление", 2, 2)), "ID", "5");
    // A base that other projects filled: rewriting it needs more than the disk holds.
    std::string base = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<Orvanta_Canals>\n";
    for (int i = 0; i < 60; ++i)
        base += "  <_Other" + std::to_string(i) + ".hc File=\"C:\\Projects\\Other.hc\"><List Name=\"S\">"
                "<Orvan_Out In=\"1\" IM=\"Out\" ID=\"" + std::to_string(i) + "\"/></List></_Other" +
                std::to_string(i) + ".hc>\n";
    base += "</Orvanta_Canals>\n";
    const std::string canals = file("Struct/Canals.xml");
    writeBytes(canals, base);
    ASSERT_GT(base.size(), kDiskLimit);
    const std::string path = file("Project/Pump.hc");

    const int child = RunWithFullDisk(kDiskLimit, [&] {
        if (SaveProject(path.c_str()) != 0) return 1;  // the base is advisory
        if (!log_.has("Ошибка базы каналов \"" + utf(structFile("Canals.xml")) + "\"")) return 2;
        return 0;
    });
    EXPECT_EQ(child, 0);
    EXPECT_EQ(readBytes(canals), base);
    EXPECT_NE(rawAttribute(path, "Блок", "Name"), "<no document>");
    for (const std::string& name : filesIn(file("Struct"))) EXPECT_NE(name.front(), '.') << name;
}

TEST_F(Fault, AFailedConfigurationRunGivesACodeAndKeepsTheOldFile) {
    // Blocks whose data records together are larger than the disk allows.
    writeBytes(file("Struct/Big.xml"), cp("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
                                          "<FBD><GROUP NAME=\"G\"><BLOCK NAME=\"Big\" IM=\"Большой\">"
                                          "<FIELD NAME=\"Cod\" TYPE=\"Word\" DEFAULT=\"3\"/>"
                                          "<VAR NAME=\"Text\" TYPE=\"String3000\" DEFAULT=\"текст\"/>"
                                          "</BLOCK></GROUP></FBD>\n"));
    newProject("Демо", 1);
    const uint16_t s = addSheet("Лист 1");
    addBlock(s, structFile("Big.xml") + "/FBD/G/Big", "B1", 2, 2);
    addBlock(s, structFile("Big.xml") + "/FBD/G/Big", "B2", 8, 2);
    const std::string path = file("Configuration/Demo.cfg");
    writeBytes(path, "an older configuration");

    // The disk fills while the second block is added; a read-only folder
    // refuses the file before anything is written (the callers log that).
    const auto run = [&] { return CreateConfigFile(path.c_str(), "CreateConfig.log", nullptr); };
    const auto fullDisk = [&] {
        if (run() >= 0) return 1;
        return log_.has("Ошибка добавления FBD блока \"B2\" схемы \"Лист 1\"") ? 0 : 2;
    };
    EXPECT_EQ(RunWithFullDisk(kDiskLimit, fullDisk), 0) << "full disk";
    EXPECT_EQ(RunWithReadOnlyFolder(file("Configuration"), [&] { return run() < 0 ? 0 : 1; }), 0) << "read-only folder";
    EXPECT_EQ(readBytes(path), "an older configuration");
    EXPECT_EQ(filesIn(file("Configuration")), std::vector<std::string>{"Demo.cfg"});

    // With room on the disk the same run writes the file.
    EXPECT_EQ(run(), 0);
    EXPECT_GT(readBytes(path).size(), kDiskLimit);
}

TEST_F(Fault, FullDiskWhileSavingAnOptionBlockKeepsTheSettingsFile) {
    std::string settings = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<setings>\n";
    for (int i = 0; i < 60; ++i) settings += "  <Other" + std::to_string(i) + " Value=\"" + std::string(60, 'v') + "\"/>\n";
    settings += "</setings>\n";
    const std::string path = file("Struct/Configurator.xml");
    writeBytes(path, settings);
    const std::string description = structFile("Options.xml") + "/OPTIONS/STRUCT/ConfiguratorBuilder";
    const std::string value = structFile("Configurator.xml") + "/setings/ConfiguratorBuilder";
    uint8_t block[2] = {1, 1};

    const int child = RunWithFullDisk(kDiskLimit, [&] {
        if (SaveOptionBlock(description.c_str(), value.c_str(), block, 2) != -1) return 1;
        if (!log_.has("Не удалось сохранить блок параметров \"" + utf(value) + "\"")) return 2;
        return 0;
    });
    EXPECT_EQ(child, 0);
    EXPECT_EQ(readBytes(path), settings);
    EXPECT_EQ(SaveOptionBlock(description.c_str(), value.c_str(), block, 2), 0);
    EXPECT_EQ(rawAttribute(path, "ConfiguratorBuilder", "GroupInputs"), "1");
    EXPECT_EQ(rawAttribute(path, "Other59", "Value"), std::string(60, 'v'));
}

// A name or path longer than the field that holds it is cut to the field
// where the kernel copies it into its own state, and refused where a value
// enters a record through its description (the record keeps its default).

TEST_F(Fault, ANewProjectKeepsAtMostSixtyCharactersOfItsName) {
    std::string cyrillic;
    for (int i = 0; i < 30; ++i) cyrillic += "Ж";
    const std::string name = cp(std::string(40, 'N') + cyrillic + "-конец");
    ASSERT_EQ(NewProject(name.c_str(), "Test.dev"), 0);
    const KernelState& s = State();
    EXPECT_EQ(std::string(s.projectName), name.substr(0, 60));
    TStruct* header = HeaderDescription();
    ASSERT_NE(header, nullptr);
    int16_t index = -1;
    ASSERT_EQ(header->FindItem("Name", index), 1);
    // The header's String60 field does not take the longer name: it keeps its default.
    EXPECT_EQ(header->GetValue(s.headerRecord, index), "");
    ASSERT_EQ(header->FindItem("Device", index), 1);
    EXPECT_EQ(header->GetValue(s.headerRecord, index), "Test");
}

TEST_F(Fault, ADeviceFileNameLongerThanItsFieldIsRefused) {
    // The project keeps 60 characters of the device file's name: a longer name
    // would name another file (or none) when the project is saved or opened.
    const std::string longName = std::string(70, 'd') + ".dev";
    fs::copy_file(file("Device/Test.dev"), file("Device/" + longName));
    EXPECT_EQ(NewProject("P", longName.c_str()), -1);
    EXPECT_EQ(std::string(State().deviceFileName), "");
    EXPECT_EQ(State().headerRecord, nullptr);

    const std::string exact = std::string(56, 'e') + ".dev";  // 60 characters
    fs::copy_file(file("Device/Test.dev"), file("Device/" + exact));
    ASSERT_EQ(NewProject("P", exact.c_str()), 0);
    EXPECT_EQ(std::string(State().deviceFileName), exact);
    EXPECT_EQ(SaveProject(file("Project/P.hc").c_str()), 0);
}

TEST_F(Fault, APathLongerThanTheProjectPathIsCutInTheStateAndTheFileIsSavedWhole) {
    newProject("Демо", 2);
    addSheet("Лист 1");
    const std::string folder = file("Project/" + std::string(200, 'f'));
    fs::create_directories(folder);
    const std::string path = folder + "/" + std::string(90, 'p') + ".hc";
    ASSERT_GT(path.size(), 260u);
    ASSERT_EQ(SaveProject(path.c_str()), 0);
    EXPECT_EQ(std::string(State().projectPath), path.substr(0, 260));
    EXPECT_EQ(std::string(State().projectName), std::string(60, 'p'));
    EXPECT_EQ(rawAttribute(path, "Проект", "Name"), std::string(60, 'p'));
    CloseProject("");
    ASSERT_EQ(OpenProject(path.c_str()), 0);
    EXPECT_EQ(std::string(State().projectPath), path.substr(0, 260));
    EXPECT_EQ(State().sheets.Count, 1);
}

TEST_F(Fault, NamesLongerThanTheirFieldsInAProjectFileTakeTheDefaults) {
    const std::string longName = std::string(100, 'L');
    writeBytes(file("Project/Long.hc"),
               cp("<?xml version=\"1.0\" encoding=\"windows-1251\"?><Orvanta_config>"
                  "<Проект Name=\"" + longName + "\" DeviceFile=\"Test.dev\" Program=\"" + longName + "\"/>"
                  "<Заголовок Name=\"" + longName + "\" IP=\"" + longName + "\" Port=\"70000\"/>"
                  "<Схема Name=\"" + longName + "\" Width=\"99999\"/><Схема Name=\"Лист 2\"/></Orvanta_config>"));
    ASSERT_EQ(OpenProject(file("Project/Long.hc").c_str()), 0);
    const KernelState& s = State();
    EXPECT_EQ(std::string(s.projectName), "");
    EXPECT_EQ(std::string(s.deviceProgram), "");
    ASSERT_EQ(s.sheets.Count, 2);
    EXPECT_EQ(std::string(sheet(0)->Name), "");
    const uint16_t width = sheet(0)->Width;
    EXPECT_EQ(width, 40);
    EXPECT_EQ(std::string(sheet(1)->Name), cp("Лист 2"));
    TStruct* header = HeaderDescription();
    ASSERT_NE(header, nullptr);
    const std::vector<std::pair<const char*, const char*>> defaults = {{"Name", ""}, {"IP", "192.168.0.10"}, {"Port", "502"}};
    for (const auto& [field, value] : defaults) {
        int16_t index = -1;
        ASSERT_EQ(header->FindItem(field, index), 1);
        EXPECT_EQ(header->GetValue(s.headerRecord, index), value) << field;
    }
}

// An opened block takes its display parameters from its library element
// before the project's "Парам.": one set back to its default must be saved,
// or the block comes back turned as the library has it.
TEST_F(Fault, ADisplayParameterAtItsDefaultIsSavedWhereTheLibraryDiffers) {
    writeBytes(file("Struct/Turned.xml"), "<FBD><GROUP NAME=\"G\"><BLOCK NAME=\"T\" Turn=\"1\" Label=\"L\">"
                                          "<FIELD NAME=\"Cod\" TYPE=\"Word\"/></BLOCK></GROUP></FBD>");
    newProject("Демо", 2);
    const uint16_t s = addSheet("Лист 1");
    addBlock(s, structFile("Turned.xml") + "/FBD/G/T", "T1", 2, 2);  // Turn 0, Label empty
    addBlock(s, basePath("Orvan_In"), "C1", 8, 2);
    const std::string path = file("Project/Demo.hc");
    ASSERT_EQ(SaveProject(path.c_str()), 0);
    const std::string text = utf(readBytes(path));
    EXPECT_NE(text.find("<Парам. Turn=\"0\"/>"), std::string::npos) << text;
    // A block whose library element sets nothing keeps an empty "Парам.".
    EXPECT_NE(text.find("<Парам./>"), std::string::npos) << text;
}

// Text with characters that Windows-1251 lacks, in files other tools wrote:
// inside the system they show as "?", and a file is never written with them
// silently changed.

TEST_F(Fault, CharactersWindows1251LacksInAProjectShowAsQuestionMarksAndAreSavedSo) {
    writeBytes(file("Project/Utf.hc"), "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Orvanta_config>"
                                       "<Проект DeviceFile=\"Test.dev\" ConfigFileType=\"2\"/>"
                                       "<Заголовок Name=\"Проект 中文\"/><Схема Name=\"Схема ✓\"/></Orvanta_config>");
    ASSERT_EQ(OpenProject(file("Project/Utf.hc").c_str()), 0);
    ASSERT_EQ(State().sheets.Count, 1);
    EXPECT_EQ(std::string(sheet(0)->Name), cp("Схема ?"));
    const std::string saved = file("Project/Saved.hc");
    ASSERT_EQ(SaveProject(saved.c_str()), 0);
    EXPECT_EQ(rawAttribute(saved, "Схема", "Name"), "Схема ?");
    EXPECT_EQ(rawAttribute(saved, "Заголовок", "Name"), "Проект ??");
}

TEST_F(Fault, APathWithCyrillicFoldersIsStoredAsTheFileSystemNamesIt) {
    // A library outside the program folder keeps its absolute path in the project.
    TempDir outside;
    fs::create_directories(outside.path() / "Библиотеки");
    writeBytes(outside.file("Библиотеки/Своя.xml"),
               "<FBD><GROUP NAME=\"G\"><BLOCK NAME=\"B\"><FIELD NAME=\"Cod\" TYPE=\"Word\"/></BLOCK></GROUP></FBD>");
    const std::string library = outside.str() + cp("\\Библиотеки\\Своя.xml/FBD/G/B");
    newProject("Демо", 2);
    const uint16_t s = addSheet("Лист 1");
    addBlock(s, library, "B1", 2, 2);
    const TStructInstance loaded = block(s, 0)->Block;
    ASSERT_NE(loaded.Struct, nullptr);
    const std::string path = file("Project/Демо.hc");
    ASSERT_EQ(SaveProject(cp(path).c_str()), 0);
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(rawAttribute(path, "Блок", "DescriptionPath"), utf(library));
    EXPECT_EQ(rawAttribute(path, "Проект", "Name"), "Демо");
}

TEST_F(Fault, AChannelBaseWhoseNamesWindows1251CannotHoldIsLeftAsItWas) {
    newProject("Насос", 1);
    const uint16_t s = addSheet("Лист 1");
    addBlock(s, basePath("Orvan_In"), "Вход", 2, 2);
    const std::string canals = file("Struct/Canals.xml");
    const std::string path = file("Project/Pump.hc");

    // Another tool's element name: the base could not be written back whole.
    const std::string foreignName = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                    "<Orvanta_Canals><_项目.hc File=\"C:\\a.hc\"/></Orvanta_Canals>\n";
    writeBytes(canals, foreignName);
    ASSERT_EQ(SaveProject(path.c_str()), 0);
    EXPECT_EQ(readBytes(canals), foreignName);
    EXPECT_TRUE(log_.has("Ошибка базы каналов \"" + utf(structFile("Canals.xml")) + "\""));

    // Another project's value: kept as it was while the base is updated.
    writeBytes(canals, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<Orvanta_Canals><_Other.hc File=\"C:\\项目\\Other.hc\"/></Orvanta_Canals>\n");
    ASSERT_EQ(SaveProject(path.c_str()), 0);
    EXPECT_EQ(rawAttribute(canals, "_Other.hc", "File"), "C:\\项目\\Other.hc");
    EXPECT_EQ(rawAttribute(canals, "_Pump.hc", "File"), path);
}

TEST_F(Fault, SettingsWithCharactersWindows1251LacksAreReadVisiblyAndOthersKept) {
    const std::string path = file("Struct/Configurator.xml");
    writeBytes(path, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<setings>"
                     "<ConfiguratorConnect UseProxy=\"1\" ProxyServer=\"сервер中\"/>"
                     "<Other Note=\"中文 ✓\"/></setings>\n");
    const std::string description = structFile("Options.xml") + "/OPTIONS/STRUCT/ConfiguratorConnect";
    const std::string value = structFile("Configurator.xml") + "/setings/ConfiguratorConnect";
    void* ref = nullptr;
    int32_t size = 0;
    ASSERT_EQ(GetStructDescription(description.c_str(), &ref, &size), 0);
    std::vector<uint8_t> block(size_t(size), 0);
    ASSERT_EQ(LoadOptionBlock(description.c_str(), value.c_str(), block.data(), size), 0);
    const auto* connect = static_cast<const TStruct*>(ref);
    int16_t index = -1;
    ASSERT_EQ(connect->FindItem("ProxyServer", index), 1);
    EXPECT_EQ(connect->GetValue(block.data(), index), cp("сервер?"));

    ASSERT_EQ(SaveOptionBlock(description.c_str(), value.c_str(), block.data(), size), 0);
    EXPECT_EQ(rawAttribute(path, "ConfiguratorConnect", "ProxyServer"), "сервер?");
    EXPECT_EQ(rawAttribute(path, "Other", "Note"), "中文 ✓");

    // A file declared Windows-1251 that holds a byte Windows-1251 does not
    // define does not read, and it is not written over.
    const std::string undefinedByte = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
                                      "<setings><Other Note=\"a\x98z\"/></setings>\n";
    writeBytes(path, undefinedByte);
    EXPECT_EQ(LoadOptionBlock(description.c_str(), value.c_str(), block.data(), size), -1);
    EXPECT_EQ(SaveOptionBlock(description.c_str(), value.c_str(), block.data(), size), -1);
    EXPECT_EQ(readBytes(path), undefinedByte);
}

}  // namespace
