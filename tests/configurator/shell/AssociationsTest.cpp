// Registry strings and the desktop association of the project file type.
#include "configurator/shell/Associations.h"
#include "configurator/shell/ProgramIcon.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>

namespace zo::configurator {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;
using test::TempDir;

TEST(RegistryStrings, WriteReadAndAMissingValue) {
    TempDir dir;
    ScopedEnv config("XDG_CONFIG_HOME", dir.str());
    std::string text = "stale";
    ReadRegistryString(platform::RegistryRoot::LocalMachine, platform::kProgramKey, "path", text);
    EXPECT_EQ(text, "");
    // Reading creates nothing.
    EXPECT_TRUE(test::filesIn(dir.str()).empty());
    ASSERT_TRUE(WriteRegistryString(platform::RegistryRoot::LocalMachine, platform::kProgramKey, "path",
                                    test::cp("/opt/Конфигуратор")));
    ReadRegistryString(platform::RegistryRoot::LocalMachine, platform::kProgramKey, "path", text);
    EXPECT_EQ(test::utf(text), "/opt/Конфигуратор");
}

TEST(DesktopExec, QuotingRoundTrips) {
    struct Case {
        const char* program;
        const char* exec;
    } cases[] = {
        {"/opt/my programs/Configurator", R"("/opt/my programs/Configurator" %f)"},
        {"/opt/a\"b/Configurator", R"("/opt/a\"b/Configurator" %f)"},
        {"/opt/$HOME`x`/C", R"("/opt/\$HOME\`x\`/C" %f)"},
        {"/opt/back\\slash/C", R"("/opt/back\\slash/C" %f)"},
        {"/opt/100%/C", R"("/opt/100%%/C" %f)"},
    };
    for (const Case& c : cases) {
        const std::string exec = DesktopExecLine(c.program, "%f");
        EXPECT_EQ(exec, c.exec) << c.program;
        EXPECT_EQ(DesktopExecProgram(exec), c.program) << c.program;
    }
    EXPECT_EQ(DesktopExecProgram("/usr/bin/plain %f"), "/usr/bin/plain");
    EXPECT_EQ(DesktopExecProgram("\"/unclosed %f"), "");
}

class Association : public ::testing::Test {
protected:
    TempDir data;
    ScopedEnv xdg{"XDG_DATA_HOME", data.str()};
    const std::string program = data.str() + "/Program Files/Orvanta/Configurator";
    std::string entry() const { return data.str() + "/applications/Orvanta.configurator.desktop"; }
    std::string mime() const { return data.str() + "/mime/packages/Orvanta.configurator.xml"; }
    bool associate() {
        return AssociateFileType(".hc", "Orvanta.configurator", "orvanta configuration project", "", "open", program) &&
               SetFileTypeIcon("Orvanta.configurator", ProgramIcon());
    }
    std::string icon() const {
        return data.str() + "/icons/hicolor/48x48/mimetypes/application-x-orvanta-configurator.png";
    }
};

TEST_F(Association, FilesOfTheTypeAndTheEntryWithABlankInThePath) {
    ASSERT_TRUE(associate());
    const std::string desktop = test::readBytes(entry());
    EXPECT_NE(desktop.find("Exec=\"" + program + "\" %f\n"), std::string::npos) << desktop;
    EXPECT_NE(desktop.find("MimeType=application/x-orvanta-configurator;\n"), std::string::npos);
    // The program's icon in the icon theme, under the name desktops take for the type.
    EXPECT_NE(desktop.find("Icon=application-x-orvanta-configurator\n"), std::string::npos);
    const QImage shown(QString::fromStdString(icon()));
    EXPECT_EQ(shown.convertToFormat(QImage::Format_ARGB32), ProgramIcon());
    const std::string type = test::readBytes(mime());
    EXPECT_NE(type.find("<mime-type type=\"application/x-orvanta-configurator\">"), std::string::npos);
    EXPECT_NE(type.find("<glob pattern=\"*.hc\"/>"), std::string::npos);
    EXPECT_NE(type.find("<comment>orvanta configuration project</comment>"), std::string::npos);
    const std::string defaults = test::readBytes(data.str() + "/applications/mimeapps.list");
    EXPECT_NE(defaults.find("[Default Applications]\napplication/x-orvanta-configurator=Orvanta.configurator.desktop;"),
              std::string::npos);
    EXPECT_EQ(IsFileTypeAssociated(".hc", "Orvanta.configurator", program), 1);
}

TEST_F(Association, TheTestComparesWholePaths) {
    ASSERT_TRUE(associate());
    EXPECT_EQ(IsFileTypeAssociated(".hc", "Orvanta.configurator", program + "2"), 0);
    EXPECT_EQ(IsFileTypeAssociated(".hc", "Orvanta.configurator", data.str() + "/Program Files/Orvanta/Config"), 0);
    EXPECT_EQ(IsFileTypeAssociated(".hc", "Other.id", program), 0);
    EXPECT_EQ(IsFileTypeAssociated(".hcx", "Orvanta.configurator", program), 0);
}

TEST_F(Association, AgainOverwritesAndUnregisterRemovesAndReportsFailure) {
    ASSERT_TRUE(associate());
    ASSERT_TRUE(associate());
    const std::string defaults = test::readBytes(data.str() + "/applications/mimeapps.list");
    EXPECT_EQ(defaults.find("x-orvanta-configurator="), defaults.rfind("x-orvanta-configurator="));
    EXPECT_EQ(UnregisterFileType(".hc", "Orvanta.configurator"), 1);
    EXPECT_FALSE(fs::exists(entry()));
    EXPECT_FALSE(fs::exists(mime()));
    EXPECT_FALSE(fs::exists(icon()));
    EXPECT_EQ(test::readBytes(data.str() + "/applications/mimeapps.list").find("x-orvanta-configurator"),
              std::string::npos);
    EXPECT_EQ(IsFileTypeAssociated(".hc", "Orvanta.configurator", program), 0);
    // A desktop entry that cannot be removed (a folder with a file in it) is a failure.
    fs::create_directories(entry() + "/inner");
    EXPECT_EQ(UnregisterFileType(".hc", "Orvanta.configurator"), 0);
}

}  // namespace
}  // namespace zo::configurator
