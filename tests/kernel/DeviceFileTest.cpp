#include "ProjectModel.h"

#include "common/Struct.h"
#include "kernel/DeviceFile.h"
#include "kernel/KernelState.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cstring>

using namespace zo;
using namespace zo::kernel;
using namespace zo::test;

namespace {

struct Shown {
    int calls = 0;
    std::string caption;
    int32_t count = 0;
    TStructInstance item{};
    bool onChange = true;
    int32_t rect[4] = {};
};
Shown* g_shown = nullptr;

int32_t showElementProperties(const char* caption, int32_t count, const TStructInstance* items,
                              TPropertiesChangedProc onChange, int32_t left, int32_t top, int32_t right,
                              int32_t bottom) {
    Shown& s = *g_shown;
    ++s.calls;
    s.caption = caption ? caption : "";
    s.count = count;
    if (items) s.item = items[0];
    s.onChange = onChange != nullptr;
    s.rect[0] = left;
    s.rect[1] = top;
    s.rect[2] = right;
    s.rect[3] = bottom;
    return 0;
}

class DeviceFile : public ProjectModel {
protected:
    void SetUp() override {
        ProjectModel::SetUp();
        g_shown = &shown_;
        Options().Inspector.ShowElementProperties = showElementProperties;
    }
    void TearDown() override {
        g_shown = nullptr;
        ProjectModel::TearDown();
    }
    Shown shown_;
};

TEST_F(DeviceFile, PathAndProgramOfTheProjectsDevice) {
    // No project: the Device folder and a backslash; no program.
    EXPECT_EQ(std::string(GetDeviceFilePath()), programPath() + "\\Device\\");
    EXPECT_EQ(std::string(GetDeviceProgram()), "");
    newProject("Demo");
    EXPECT_EQ(std::string(GetDeviceFilePath()), programPath() + "\\Device\\Test.dev");
    EXPECT_EQ(std::string(GetDeviceProgram()), "VT_win.exe");
    EXPECT_EQ(HeaderDescriptionPath(), programPath() + "\\Device\\Test.dev/Structure/Header");
    // The path is cut to 260 characters.
    State().deviceFolder = std::string(300, 'd');
    EXPECT_EQ(std::strlen(GetDeviceFilePath()), 260u);
}

TEST_F(DeviceFile, HeaderIsShownInTheFloatingInspectorInTheMiddleOfTheScreen) {
    EXPECT_EQ(EditProjectHeader(), -1);  // no project
    EXPECT_EQ(shown_.calls, 0);
    newProject("Demo");
    ASSERT_EQ(EditProjectHeader(), 0);
    ASSERT_EQ(shown_.calls, 1);
    EXPECT_EQ(utf(shown_.caption), "Параметры контроллера");
    EXPECT_EQ(shown_.count, 1);
    EXPECT_EQ(ZO_FIELD(shown_.item, Struct), static_cast<void*>(HeaderDescription()));
    EXPECT_EQ(ZO_FIELD(shown_.item, Data), State().headerRecord);
    EXPECT_FALSE(shown_.onChange);
    const QSize screen = QGuiApplication::primaryScreen()->size();
    const int w = std::min(screen.width() / 2, 600);
    const int h = std::min(screen.height() / 2, 300);
    const int cx = screen.width() / 2;
    const int cy = screen.height() / 2;
    EXPECT_EQ(shown_.rect[0], cx - w / 2);
    EXPECT_EQ(shown_.rect[1], cy - h / 2);
    EXPECT_EQ(shown_.rect[2], cx + w / 2);
    EXPECT_EQ(shown_.rect[3], cy + h / 2);
    // Edits go to the record in place.
    auto* header = static_cast<TStruct*>(shown_.item.Struct);
    EXPECT_EQ(SetStructItemValue(&shown_.item, 3, "503"), 1);
    EXPECT_EQ(header->GetValue(State().headerRecord, 3), "503");
}

TEST_F(DeviceFile, DeviceWithoutHeaderCannotBeEdited) {
    newProject("Demo");
    writeBytes(file("Device/Bare.dev"), "<Micro Program=\"VT_win.exe\"><Structure/></Micro>");
    std::strcpy(State().deviceFileName, "Bare.dev");
    EXPECT_EQ(EditProjectHeader(), -1);
    EXPECT_EQ(shown_.calls, 0);
}

}  // namespace
