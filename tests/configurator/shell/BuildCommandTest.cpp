// The build command: which build the device description asks for, the
// builder plug-in bound for one build and handed every field of its record,
// and the descriptions it refuses (a type that is not a small number, a
// builder name with a folder).
#include "configurator/link/KroBuilder.h"
#include "configurator/shell/BuildCommand.h"
#include "configurator/shell/MainForm.h"
#include "CommandsFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace zo::configurator {
namespace {

namespace fs = std::filesystem;

bool mapped(const std::string& name) {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find(name) != std::string::npos) return true;
    return false;
}

// A program folder with System/RecordingBuilder.so and one device file.
struct Fixture : test_support::CommandsFixture {
    test::ScopedEnv record{"ZO_BUILDER_RECORD", dir.file("record.txt")};
    TBuildCommand* build;
    int internal = 0;
    Fixture() : CommandsFixture({"System", "Device"}) {
        fs::copy_file(ZO_TEST_LIBS_DIR "/RecordingBuilder.so", dir.path() / "System" / "RecordingBuilder.so");
        fake.setText("GetDeviceFilePath", dir.str() + "/Device/X.dev");
        fake.setText("GetDeviceProgram", "Mega128");
        fake.setText("GetDeviceFolder", dir.str() + "/Device");
        fake.setText("GetDeviceRuntimeFolder", dir.str() + "/Runtime");
        fake.setText("GetConfigurationFolder", dir.str() + "/Configuration");
        fake.setText("GetUploadFolder", dir.str() + "/Upload");
        form.Session().Assign(form.Session().Folder(), "Pump");
        build = &form.BuildCommand();
        build->SetInternalBuild([this] { ++internal; return 0; });
    }
    void device(const std::string& attributes) {
        test::writeBytes(dir.file("Device/X.dev"),
                         "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<Micro NAME=\"X\" " + attributes + "/>\n");
    }
    bool builderCalled() const { return fs::exists(dir.path() / "record.txt"); }
    std::map<std::string, std::string> recorded() const {
        std::map<std::string, std::string> fields;
        std::ifstream in(dir.file("record.txt"));
        std::string line;
        while (std::getline(in, line)) {
            const size_t eq = line.find('=');
            if (eq != std::string::npos) fields[line.substr(0, eq)] = line.substr(eq + 1);
        }
        return fields;
    }
};

TEST(BuildCommand, ConfigFileTypeBuilderNameAndDevicePath) {
    uint8_t type = 9;
    EXPECT_TRUE(ParseConfigFileType("2", &type));
    EXPECT_EQ(type, 2);
    EXPECT_TRUE(ParseConfigFileType("255", &type));
    EXPECT_EQ(type, 255);
    for (const char* bad : {"", "256", "258", "-1", " 2", "2x", "0x2", "1000"})
        EXPECT_FALSE(ParseConfigFileType(bad, &type)) << bad;
    EXPECT_EQ(ClassifyBuilder("ZoAVRbuilder.so"), 1);
    EXPECT_EQ(ClassifyBuilder("ZoAVRbuilder.SO"), 0);
    EXPECT_EQ(ClassifyBuilder("ZoAVRbuilder.dll"), 0);
    EXPECT_EQ(ClassifyBuilder(""), 0);
    EXPECT_EQ(ClassifyBuilder("../evil.so"), -1);
    EXPECT_EQ(ClassifyBuilder("sub\\evil.so"), -1);
    EXPECT_EQ(ClassifyBuilder("/tmp/evil.so"), -1);
    EXPECT_EQ(DevicePathForBuilder("/p/Conf/Device/A.dev", "/p/Conf"), "\\Device\\A.dev");
    EXPECT_EQ(DevicePathForBuilder("/p/Conf/Device/A.dev", "/p/Conf/"), "\\Device\\A.dev");
    EXPECT_EQ(DevicePathForBuilder("/p/Config2/A.dev", "/p/Conf"), "/p/Config2/A.dev");
}

TEST(BuildCommand, TheBuilderSeesEveryFieldAndIsUnboundAfterwards) {
    Fixture f;
    f.device("ConfigFileType=\"7\" Builder=\"RecordingBuilder.so\"");
    EXPECT_TRUE(f.build->ProjectUploadExecute());
    ASSERT_TRUE(f.builderCalled());
    const std::map<std::string, std::string> expected = {
        {"Log", "set"},
        {"RunProgram", "set"},
        {"ReadXmlList", "set"},
        {"ReadXmlValue", "set"},
        {"CreateConfig", "set"},
        {"ProjectName", "Pump"},
        {"DeviceFilePath", "\\Device\\X.dev"},
        {"DeviceProgram", "Mega128"},
        {"ConfigFileType", "7"},
        {"ProgramFolder", f.dir.str()},
        {"DeviceFolder", f.dir.str() + "/Device"},
        {"DeviceRuntimeFolder", f.dir.str() + "/Runtime"},
        {"ConfigurationFolder", f.dir.str() + "/Configuration"},
        {"UploadFolder", f.dir.str() + "/Upload"},
    };
    EXPECT_EQ(f.recorded(), expected);
    EXPECT_FALSE(BuilderLibraryBound());
    EXPECT_FALSE(mapped("RecordingBuilder.so"));
    EXPECT_EQ(f.internal, 0);
    EXPECT_EQ(f.fake.count("BuildProjectFolder"), 0);
}

// A folder longer than its field is refused, never handed on cut short.
TEST(BuildCommand, ATextLongerThanItsFieldIsNotCut) {
    Fixture f;
    f.device("ConfigFileType=\"7\" Builder=\"RecordingBuilder.so\"");
    f.fake.setText("GetUploadFolder", f.dir.str() + "/" + std::string(sizeof(TBuildParams::UploadFolder), 'u'));
    EXPECT_FALSE(f.build->ProjectUploadExecute());
    EXPECT_FALSE(f.builderCalled());
    EXPECT_FALSE(BuilderLibraryBound());
}

TEST(BuildCommand, TheBuildersFailureIsTheCommandsFailure) {
    Fixture f;
    test::ScopedEnv result("ZO_BUILDER_RESULT", "-4");
    f.device("ConfigFileType=\"2\" Builder=\"RecordingBuilder.so\"");
    EXPECT_FALSE(f.build->ProjectUploadExecute());
    EXPECT_TRUE(f.builderCalled());
    EXPECT_FALSE(BuilderLibraryBound());
}

TEST(BuildCommand, WhichBuildTheDescriptionAsksFor) {
    struct Case {
        const char* attributes;
        int internal;
        int folder;
        bool builder;
        bool ok;
    } cases[] = {
        {"ConfigFileType=\"2\" Builder=\"RecordingBuilder.SO\"", 1, 0, false, true},  // suffix compared exactly
        {"ConfigFileType=\"2\"", 1, 0, false, true},                                   // no builder
        {"ConfigFileType=\"2\" Builder=\"\"", 1, 0, false, true},
        {"ConfigFileType=\"1\" Builder=\"\"", 0, 1, false, true},
        {"Builder=\"RecordingBuilder.so\"", 0, 1, false, true},                       // no configuration type
        {"ConfigFileType=\"258\" Builder=\"RecordingBuilder.so\"", 0, 0, false, false},
        {"ConfigFileType=\"2a\" Builder=\"RecordingBuilder.so\"", 0, 0, false, false},
        {"ConfigFileType=\"2\" Builder=\"../System/RecordingBuilder.so\"", 0, 0, false, false},
        {"ConfigFileType=\"2\" Builder=\"Missing.so\"", 0, 0, false, false},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.device(c.attributes);
        EXPECT_EQ(f.build->ProjectUploadExecute(), c.ok) << c.attributes;
        EXPECT_EQ(f.internal, c.internal) << c.attributes;
        EXPECT_EQ(f.fake.count("BuildProjectFolder"), c.folder) << c.attributes;
        if (c.folder) {
            EXPECT_EQ(f.fake.callsOf("BuildProjectFolder")[0].args[0], "CreateConfig.log");
        }
        EXPECT_EQ(f.builderCalled(), c.builder) << c.attributes;
        EXPECT_FALSE(BuilderLibraryBound()) << c.attributes;
    }
}

TEST(BuildCommand, AnUnreadableDeviceFileGetsTheKernelsFolderBuild) {
    for (const char* text : {"", "<Micro ConfigFileType=\"2\" Builder=\"RecordingBuilder.so\""}) {
        Fixture f;
        if (*text) test::writeBytes(f.dir.file("Device/X.dev"), text);  // missing, then not well-formed
        EXPECT_TRUE(f.build->ProjectUploadExecute()) << text;
        EXPECT_EQ(f.internal, 0) << text;
        ASSERT_EQ(f.fake.count("BuildProjectFolder"), 1) << text;
        EXPECT_EQ(f.fake.callsOf("BuildProjectFolder")[0].args[0], "CreateConfig.log");
        EXPECT_FALSE(f.builderCalled()) << text;
    }
    Fixture f;
    f.device("ConfigFileType=\"1\"");
    f.fake.setResult("BuildProjectFolder", 2);
    EXPECT_FALSE(f.build->ProjectUploadExecute());  // the kernel's failure is the command's
}

TEST(BuildCommand, BindingAMissingBuilderLogsAndCallReturnsMinusOne) {
    test::TempDir dir;
    test::ScopedCurrentDir cd(dir.path());
    test::TempDir config;
    test::ScopedEnv env("XDG_CONFIG_HOME", config.str());
    LoadBuilderLibrary("\\system", "Nothing.so", nullptr);
    EXPECT_FALSE(BuilderLibraryBound());
    TBuildParams params{};
    EXPECT_EQ(CallBuild(&params), -1);
    UnloadBuilderLibrary(nullptr);
}

}  // namespace
}  // namespace zo::configurator
