// The start-up steps that stand apart from the main window.
#include "configurator/link/ProjectComparison.h"
#include "configurator/shell/StartUp.h"

#include "configurator/shell/Associations.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace zo::configurator {
namespace {

TEST(CommandLine, SetupIsExactAndAProjectPathIsMadeAbsolute) {
    struct Case {
        QStringList args;
        bool setup;
        QString folder, name;
    } cases[] = {
        {{"/Setup"}, true, "", ""},
        {{"/setup"}, false, "/", "setup"},
        {{}, false, "", ""},
        {{"Project/Example.hc"}, false, "/home/user/Project/", "Example"},
        {{"../x/Plant.v2.xml"}, false, "/home/x/", "Plant.v2"},
        {{"/data/Проект без имени.hc", "more"}, false, "/data/", "Проект без имени"},
        {{"Name"}, false, "/home/user/", "Name"},
    };
    for (const Case& c : cases) {
        const TCommandLine line = ParseCommandLine(c.args, "/home/user");
        EXPECT_EQ(line.Setup, c.setup) << c.args.join(' ').toStdString();
        EXPECT_EQ(line.ProjectFolder, c.folder) << c.args.join(' ').toStdString();
        EXPECT_EQ(line.ProjectName, c.name) << c.args.join(' ').toStdString();
    }
}

TEST(Captions, ProjectAndDevice) {
    EXPECT_EQ(ProjectCaption("/p/Plant.hc", "/opt/c/Device/OrvantaPLC.dev"),
              "Orvanta configurator - /p/Plant.hc  (device: OrvantaPLC.dev)");
    EXPECT_EQ(ProjectCaption("/p/Plant.hc", "\\Device\\OrvantaAVR.dev"),
              "Orvanta configurator - /p/Plant.hc  (device: OrvantaAVR.dev)");
    EXPECT_EQ(ProjectCaption("/p/Plant.hc", "Device\\sub/OrvantaAVR.dev"),
              "Orvanta configurator - /p/Plant.hc  (device: OrvantaAVR.dev)");
    EXPECT_EQ(ProjectCaption("/p/Plant.hc", "Plain.dev"), "Orvanta configurator - /p/Plant.hc  (device: Plain.dev)");
    EXPECT_EQ(ProjectCaption("/p/Plant.hc", ""), "Orvanta configurator - /p/Plant.hc  (device: )");
}

TEST(UnsavedWork, WindowPlacementSelectionAndConnectionNumbersAreNotWork) {
    const std::string a = test::cp("<Схема Name=\"Лист 1\" Width=\"35\" WindowOpen=\"1\" Left=\"0\" Scale=\"1\">\n"
                                   "    <Блок Name=\"AND 1\" Left=\"1\"/>\n"
                                   "    <Соединение PointA=\"196617\" PointB=\"196619\" Chain=\"1\"/>\n");
    const std::string b = test::cp("<Схема Name=\"Лист 1\" Width=\"35\" Right=\"300\" HScroll=\"4\">\n"
                                   "    <Блок Name=\"AND 1\" Left=\"1\" Selected=\"1\"/>\n"
                                   "    <Соединение PointA=\"196617\" PointB=\"196619\" NetIndex=\"3\" LineType=\"1\" Selected=\"1\"/>\n");
    const std::string moved = test::cp("<Схема Name=\"Лист 1\" Width=\"35\">\n    <Блок Name=\"AND 1\" Left=\"2\"/>\n"
                                       "    <Соединение PointA=\"196617\" PointB=\"196619\"/>\n");
    const std::string wider = test::cp("<Схема Name=\"Лист 1\" Width=\"36\">\n    <Блок Name=\"AND 1\" Left=\"1\"/>\n"
                                       "    <Соединение PointA=\"196617\" PointB=\"196619\"/>\n");
    const std::string relaid = test::cp("<Схема Name=\"Лист 1\" Width=\"35\">\n    <Блок Name=\"AND 1\" Left=\"1\"/>\n"
                                        "    <Соединение PointA=\"196617\" PointB=\"196620\"/>\n");
    auto norm = [](const std::string& t) { return WithoutDerivedFields(QByteArray::fromStdString(t)); };
    EXPECT_EQ(norm(a), norm(b));
    EXPECT_NE(norm(a), norm(moved));  // a block's Left is work
    EXPECT_NE(norm(a), norm(wider));
    EXPECT_NE(norm(a), norm(relaid));  // so is where a connection runs
}

std::vector<std::pair<std::string, int>> logged;
void logProc(const char* text, uint8_t level) { logged.emplace_back(test::utf(text), level); }

TEST(Setup, RegistersTheFolderAndTheAssociation) {
    test::TempDir dir;
    test::ScopedEnv config("XDG_CONFIG_HOME", dir.file("config"));
    test::ScopedEnv data("XDG_DATA_HOME", dir.file("data"));
    logged.clear();
    const QString folder = QString::fromStdString(dir.str()) + "/my programs/Configurator/";
    ASSERT_TRUE(RunSetup(folder, folder + "Configurator", logProc));
    EXPECT_EQ(logged, (std::vector<std::pair<std::string, int>>{{"Добавление записей в реестр", 1}}));
    EXPECT_EQ(platform::registryProgramPath(), dir.str() + "/my programs/Configurator");
    EXPECT_EQ(IsFileTypeAssociated(".hc", "Orvanta.configurator", (folder + "Configurator").toStdString()), 1);
}

TEST(Setup, AFailureIsLoggedAtLevelThree) {
    test::TempDir dir;
    test::ScopedEnv config("XDG_CONFIG_HOME", dir.file("config"));
    // A data home that is a file: nothing can be written below it.
    test::writeBytes(dir.file("data"), "");
    test::ScopedEnv data("XDG_DATA_HOME", dir.file("data"));
    logged.clear();
    EXPECT_FALSE(RunSetup("/opt/c/", "/opt/c/Configurator", logProc));
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[1], (std::pair<std::string, int>{"Не удается добавить данные в реестер", 3}));
}

TEST(ImageLists, FilledFromTheResourceStrips) {
    test::ScopedCurrentDir here(ZO_PROGRAM_DIR);
    TProgramImageLists lists;
    const TIconStrips strips = FillImageLists(lists);
    EXPECT_GT(lists.List16.Count(), 0);
    // The strips read for the lists are handed on for the window's icons.
    EXPECT_EQ(strips.Icon16.height(), lists.List16.Height());
    EXPECT_EQ(strips.Icon16.width() / strips.Icon16.height(), lists.List16.Count());
    EXPECT_EQ(strips.Icon32.height(), 32);
    EXPECT_EQ(strips.Icon32.width() / 32, lists.List32.Count());
    EXPECT_EQ(lists.List16.Width(), lists.List16.Height());
    EXPECT_GT(lists.List32.Count(), 0);
    EXPECT_EQ(lists.List32.Count(), lists.List32dis.Count());
    EXPECT_GT(lists.List24.Count(), 0);
    EXPECT_EQ(lists.List24.Width(), 24);
}

TEST(ImageLists, WithoutTheResourceLibraryTheyStayEmpty) {
    test::TempDir dir;
    test::ScopedCurrentDir here(dir.path());
    TProgramImageLists lists;
    const TIconStrips strips = FillImageLists(lists);
    EXPECT_EQ(lists.List16.Count() + lists.List24.Count() + lists.List32.Count() + lists.List32dis.Count(), 0);
    EXPECT_TRUE(strips.Icon16.isNull());
    EXPECT_TRUE(strips.Icon32.isNull());
}

}  // namespace
}  // namespace zo::configurator
