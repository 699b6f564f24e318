// A project (or a new-project request) naming its device file with a folder
// part: the device description is only ever read from the Device folder, so
// such a project does not open and such a project is not made, with a line
// saying why.
#include "ProjectModel.h"

#include "kernel/DeviceFile.h"
#include "kernel/KernelState.h"
#include "kernel/NewProject.h"
#include "kernel/ProjectOpen.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zo;
using namespace zo::kernel;
using namespace zo::test;

namespace fs = std::filesystem;

namespace {

class HostileDeviceFile : public ProjectModel {
protected:
    void SetUp() override {
        ProjectModel::SetUp();
        // A device description outside the Device folder, and one in a sub-folder of it.
        for (const char* folder : {"evil", "Device/sub"}) {
            fs::create_directories(file(folder));
            fs::copy_file(file("Device/Test.dev"), file(std::string(folder) + "/evil.dev"));
        }
    }
    void TearDown() override {
        CloseProject("");
        ProjectModel::TearDown();
    }
    int32_t openNaming(const std::string& deviceFile) {
        writeBytes(file("Project/P.hc"), cp("<?xml version=\"1.0\" encoding=\"windows-1251\"?><Orvanta_config>"
                                            "<Проект DeviceFile=\"" + deviceFile + "\"/><Заголовок/></Orvanta_config>"));
        return OpenProject(file("Project/P.hc").c_str());
    }
    static std::string refusal(const std::string& name) {
        return "Недопустимое имя файла устройства \"" + name + "\": файл описания устройства должен лежать в папке Device.";
    }
};

TEST_F(HostileDeviceFile, ADeviceFileWithAFolderPartIsRefused) {
    // The attribute's text -> the name the kernel is given.
    const std::pair<const char*, const char*> names[] = {
        {"..\\evil\\evil.dev", "..\\evil\\evil.dev"},
        {"../evil/evil.dev", "../evil/evil.dev"},
        {"sub\\evil.dev", "sub\\evil.dev"},
        {"..", ".."},
        {"Test.dev&#10;", "Test.dev\n"},
    };
    for (const auto& [attribute, name] : names) {
        SCOPED_TRACE(attribute);
        log_.lines.clear();
        EXPECT_EQ(openNaming(attribute), kProjectHeaderMissing);
        EXPECT_TRUE(log_.has(refusal(name)));
        EXPECT_EQ(State().headerRecord, nullptr);
        EXPECT_STREQ(State().deviceFileName, "");
        CloseProject("");

        log_.lines.clear();
        EXPECT_EQ(NewProject(cp("Новый").c_str(), name), kNoHeaderDescription);
        EXPECT_TRUE(log_.has(refusal(name)));
        EXPECT_STREQ(State().deviceFileName, "");
    }
    // The device folder's own file still opens.
    EXPECT_EQ(openNaming("Test.dev"), kProjectOpened);
    EXPECT_STREQ(State().deviceFileName, "Test.dev");
}

}  // namespace
