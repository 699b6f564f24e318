// The recent-projects list in the registry layer (an INI file below a
// temporary XDG_CONFIG_HOME).
#include "configurator/shell/RecentFiles.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace zo::configurator;
using zo::platform::RegistryRoot;
using zo::test::cp;

namespace {

class RecentProjects : public ::testing::Test {
protected:
    std::vector<std::string> list() { return RecentFiles(RegistryRoot::CurrentUser, kClosedProjectsKey); }
    void add(const std::string& path) { AddRecentFile(RegistryRoot::CurrentUser, kClosedProjectsKey, path); }
    std::vector<std::string> valueNames() {
        return zo::platform::registryValueNames(RegistryRoot::CurrentUser, kClosedProjectsKey);
    }

    zo::test::TempDir config_;
    zo::test::ScopedEnv env_{"XDG_CONFIG_HOME", config_.str()};
};

TEST_F(RecentProjects, ReadingAnAbsentEntryCreatesNoSettingsFile) {
    for (int index : {-1, 0, 9, 10})
        EXPECT_EQ(GetRecentFile(RegistryRoot::CurrentUser, kClosedProjectsKey, index), "") << index;
    EXPECT_EQ(PruneRecentFiles(RegistryRoot::CurrentUser, kClosedProjectsKey), 0);
    EXPECT_FALSE(std::filesystem::exists(zo::platform::registryFile(RegistryRoot::CurrentUser)));
    EXPECT_TRUE(zo::test::filesIn(config_.str()).empty());
}

TEST_F(RecentProjects, AnAddedPathComesFirstOnceAndTheOldestFallsOff) {
    add("/p/A.hc");
    add("/p/B.hc");
    add(cp("/p/Проект.hc"));
    EXPECT_EQ(list(), (std::vector<std::string>{cp("/p/Проект.hc"), "/p/B.hc", "/p/A.hc"}));
    EXPECT_EQ(GetRecentFile(RegistryRoot::CurrentUser, kClosedProjectsKey, 1), "/p/B.hc");

    add("/p/A.hc");
    EXPECT_EQ(list(), (std::vector<std::string>{"/p/A.hc", cp("/p/Проект.hc"), "/p/B.hc"}));
    // The comparison is exact: another case is another path.
    add("/p/a.hc");
    EXPECT_EQ(list().size(), 4u);
    // An empty path would end the list at its first value.
    add("");
    EXPECT_EQ(list().size(), 4u);

    for (int i = 0; i < 11; ++i) add("/q/" + std::to_string(i) + ".hc");
    std::vector<std::string> expected;
    for (int i = 10; i >= 1; --i) expected.push_back("/q/" + std::to_string(i) + ".hc");
    EXPECT_EQ(list(), expected);
    EXPECT_EQ(valueNames().size(), 10u);
}

TEST_F(RecentProjects, AnEntryBehindAGapDoesNotComeBack) {
    zo::platform::writeRegistry(RegistryRoot::CurrentUser, kClosedProjectsKey, "File_0", "/p/X.hc");
    zo::platform::writeRegistry(RegistryRoot::CurrentUser, kClosedProjectsKey, "File_2", "/p/Stale.hc");
    EXPECT_EQ(list(), std::vector<std::string>{"/p/X.hc"});
    add("/p/Y.hc");
    add("/p/Z.hc");
    EXPECT_EQ(list(), (std::vector<std::string>{"/p/Z.hc", "/p/Y.hc", "/p/X.hc"}));
}

TEST_F(RecentProjects, PruningKeepsExistingFilesInOrderAndDeletesTheRest) {
    zo::test::TempDir projects;
    zo::test::writeBytes(projects.file("one.hc"), "<x/>");
    zo::test::writeBytes(projects.file("two.hc"), "<x/>");
    add(projects.file("one.hc"));
    add(projects.file("gone.hc"));
    add(projects.file("two.hc"));
    add("/no/such/folder/p.hc");
    EXPECT_EQ(PruneRecentFiles(RegistryRoot::CurrentUser, kClosedProjectsKey), 0);
    EXPECT_EQ(list(), (std::vector<std::string>{projects.file("two.hc"), projects.file("one.hc")}));
    EXPECT_EQ(valueNames().size(), 2u);
}

}  // namespace
