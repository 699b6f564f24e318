#include "SheetKernel.h"

#include "common/MenObj.h"
#include "common/abi/PinRecord.h"
#include "common/abi/Stream.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace zo;
using namespace zo::test;

namespace {

// The project slots through the kernel record, as the program calls them.
class ProjectSlots : public SheetKernel {
protected:
    static int32_t storeWindowState(const char* name) { return openWindows.count(name ? name : "") ? 0 : -1; }
    void SetUp() override {
        SheetKernel::SetUp();
        kernel().StoreSchemeWindowState = storeWindowState;
    }
    std::pair<uint16_t, uint16_t> pinCell(const TBlockRecord* b, uint16_t pin) {
        TPinRecord p{};
        b->Pins->CopyItem(pin, &p);
        return {uint16_t(b->Left + p.X), uint16_t(b->Top + p.Y)};
    }
};

TEST_F(ProjectSlots, NewProjectIsSavedClosedAndOpenedAgain) {
    ASSERT_EQ(kernel().NewProject("Pump", "OrvantaPLC.dev"), 0);
    const std::string s1 = addSheet();
    ASSERT_EQ(drop(s1, kAndPath, 24, 24), 0);
    const std::string channelPath = cp("\\Struct\\Base.xml/FBD/Вход Выход/Orvan_In");
    ASSERT_EQ(drop(s1, channelPath.c_str(), 240, 24), 0);
    ASSERT_TRUE(setValue(block(s1, 1)->Block, "ID", "9"));
    ASSERT_TRUE(setValue(block(s1, 1)->Block, "IM", cp("Давление")));
    // The channel's output to the first input of AND.
    const auto from = pinCell(block(s1, 1), 0);
    const auto to = pinCell(block(s1, 0), 0);
    addLink(s1, from.first, from.second, to.first, from.second);
    addLink(s1, to.first, from.second, to.first, to.second);

    const std::string path = program_.sub("Project/Pump.hc");
    ASSERT_EQ(kernel().SaveProject(path.c_str()), 0);
    EXPECT_TRUE(log_.has("Проект \"" + path + "\" сохранен."));

    ASSERT_EQ(kernel().CloseProject(path.c_str()), 0);
    EXPECT_EQ(kernel().GetSheetCount(), 0);
    EXPECT_EQ(std::string(kernel().GetDeviceProgram()), "");
    EXPECT_TRUE(tree_.lines().empty());

    created.clear();
    openWindows.clear();
    ASSERT_EQ(kernel().OpenProject(path.c_str()), 0);
    ASSERT_EQ(kernel().GetSheetCount(), 1);
    ASSERT_EQ(blockCount(s1), 2);
    EXPECT_EQ(blockName(s1, 0), "AND 1");
    EXPECT_EQ(value(block(s1, 1)->Block, "ID"), "9");
    EXPECT_EQ(utf(value(block(s1, 1)->Block, "IM")), "Давление");
    // Both pins of the connection hold its net.
    EXPECT_EQ(value(block(s1, 1)->Block, "Out"), "0");
    EXPECT_EQ(value(block(s1, 0)->Block, "In1"), "0");
    EXPECT_EQ(value(block(s1, 0)->Block, "In2"), "65535");
    EXPECT_EQ(std::string(kernel().GetDeviceProgram()), "VT_win.exe");
    EXPECT_EQ(std::string(kernel().GetDeviceFilePath()), std::string(kernel().GetDeviceFolder()) + "\\OrvantaPLC.dev");
    // The window open at the save is opened again where it stood.
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].name, s1);
    EXPECT_TRUE(created[0].placed);
    EXPECT_EQ(tree_.lines().size(), 3u);

    // Saved again, closed and opened once more: the same file (the
    // connections were laid without indexing before the first save).
    ASSERT_EQ(kernel().SaveProject(path.c_str()), 0);
    const std::string saved = readBytes(path);
    ASSERT_EQ(kernel().CloseProject(path.c_str()), 0);
    ASSERT_EQ(kernel().OpenProject(path.c_str()), 0);
    ASSERT_EQ(kernel().SaveProject(path.c_str()), 0);
    EXPECT_EQ(readBytes(path), saved);

    // The full-type device keeps its channel in the base.
    const std::string canals = readBytes(program_.sub("Struct/Canals.xml"));
    EXPECT_NE(canals.find("<_Pump.hc File=\"" + path + "\">"), std::string::npos) << canals;
    EXPECT_NE(canals.find("ID=\"9\""), std::string::npos) << canals;

    struct Bytes {
        TZoStream stream{};
        std::string data;
    } out;
    out.stream.Context = &out;
    out.stream.Write = [](TZoStream* s, const void* d, int32_t n) -> int32_t {
        static_cast<Bytes*>(s->Context)->data.append(static_cast<const char*>(d), size_t(n));
        return n;
    };
    ASSERT_EQ(kernel().WriteChannelList(&out.stream), 0);
    EXPECT_EQ(out.data.size(), 4 + 4 + s1.size() + 4 + 4 + cp("Давление").size() + 4 + 4);

    ASSERT_EQ(kernel().EditProjectHeader(), 0);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(utf(shown.back().caption), "Заголовок проекта Orvanta PLC");
    EXPECT_EQ(shown.back().count, 1);
}

}  // namespace
