// Sheets and new projects: through the kernel record as the program calls
// them, and the inner routines (block places, debug-mode refusal, the project
// header a new project leaves) on the kernel's state directly.

#include "SheetKernel.h"

#include "common/MenObj.h"
#include "common/Struct.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "kernel/NewProject.h"
#include "kernel/RepaintRequests.h"
#include "kernel/Sheets.h"
#include "platform/Cp1251.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

using namespace zo;
using namespace zo::test;

namespace fs = std::filesystem;

namespace {

std::string sheetName(int n) { return cp("Лист ") + std::to_string(n); }

TBlockRecord blockCopy(const TBlockRecord* b) {
    TBlockRecord copy;
    std::memcpy(&copy, b, sizeof copy);
    return copy;
}

// ---- through the record -----------------------------------------------------------

using SheetSlots = SheetKernel;

TEST_F(SheetSlots, AddSheetTakesTheSmallestFreeNumberAndOpensItsWindow) {
    EXPECT_EQ(addSheet(), sheetName(1));
    EXPECT_EQ(addSheet(), sheetName(2));
    EXPECT_EQ(addSheet(), sheetName(3));
    ASSERT_EQ(kernel().DeleteSheet(sheetName(2).c_str()), 0);
    EXPECT_EQ(addSheet(), sheetName(2));  // the gap is filled, at the end of the list
    EXPECT_STREQ(kernel().GetSheet(2)->Name, sheetName(2).c_str());

    const TSheetRecord* s = sheet(sheetName(1));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(ZO_FIELD(*s, Width), 40);
    EXPECT_EQ(ZO_FIELD(*s, Height), 30);
    EXPECT_EQ(ZO_FIELD(*s, Left), 50);
    EXPECT_EQ(ZO_FIELD(*s, Top), 50);
    EXPECT_EQ(ZO_FIELD(*s, Right), 150);
    EXPECT_EQ(ZO_FIELD(*s, Bottom), 100);
    EXPECT_EQ(ZO_FIELD(*s, Scale), 0.0f);
    EXPECT_EQ(ZO_FIELD(*s, HScroll), 0);
    EXPECT_EQ(ZO_FIELD(*s, VScroll), 0);
    EXPECT_EQ(ZO_FIELD(*s, WindowOpen), 0);
    EXPECT_EQ(ZO_FIELD(*s, Picture), nullptr);
    ASSERT_NE(ZO_FIELD(*s, Blocks), nullptr);
    EXPECT_EQ(s->Blocks->ItemSize, sizeof(TBlockRecord));
    EXPECT_EQ(s->Links->ItemSize, sizeof(TConnectionRecord));

    // The host chose each window's size; the tree shows every sheet.
    ASSERT_EQ(created.size(), 4u);
    EXPECT_EQ(created[0].name, sheetName(1));
    EXPECT_FALSE(created[0].placed);
    EXPECT_EQ(tree_.lines(), (std::vector<std::string>{"Лист 1", "Лист 3", "Лист 2"}));
    EXPECT_TRUE(log_.has("Добавлен новый лист: \"Лист 1\"."));
}

TEST_F(SheetSlots, SheetsAreFoundIgnoringTheCaseOfLatinLetters) {
    const std::string name = addSheet();
    std::strcpy(kernel().GetSheet(0)->Name, "Main");
    EXPECT_EQ(kernel().SetSheetWindow("MAIN", 1, 2, 3, 4, 5, 6, 1.5f), 0);
    EXPECT_EQ(kernel().SetSheetWindow(name.c_str(), 1, 2, 3, 4, 5, 6, 1.5f), -1);
    EXPECT_EQ(kernel().SetSheetWindow(nullptr, 1, 2, 3, 4, 5, 6, 1.5f), -1);
    const TSheetRecord* s = kernel().GetSheet(0);
    EXPECT_EQ(ZO_FIELD(*s, Left), 1);
    EXPECT_EQ(ZO_FIELD(*s, Top), 2);
    EXPECT_EQ(ZO_FIELD(*s, Right), 3);
    EXPECT_EQ(ZO_FIELD(*s, Bottom), 4);
    EXPECT_EQ(ZO_FIELD(*s, HScroll), 5);
    EXPECT_EQ(ZO_FIELD(*s, VScroll), 6);
    EXPECT_EQ(ZO_FIELD(*s, Scale), 1.5f);
    // A name that differs in a Cyrillic letter's case is another name.
    EXPECT_EQ(kernel().DeleteSheet(cp("ЛИСТ 1").c_str()), -1);
    EXPECT_EQ(kernel().DeleteSheet("main"), 0);
    EXPECT_EQ(kernel().GetSheetCount(), 0);
    EXPECT_EQ(kernel().GetSheet(0), nullptr);
    EXPECT_EQ(kernel().GetSheet(-1), nullptr);
}

TEST_F(SheetSlots, ASheetWithBlocksIsNotDeletedOneWithOnlyConnectionsIs) {
    const std::string withBlock = addSheet(), withLinks = addSheet();
    ASSERT_EQ(drop(withBlock, kAndPath, 24, 24), 0);
    addLink(withLinks, 1, 1, 5, 1);
    addLink(withLinks, 5, 1, 5, 9);
    replaced.clear();

    EXPECT_EQ(kernel().DeleteSheet(withBlock.c_str()), -2);
    EXPECT_EQ(blockCount(withBlock), 1);
    EXPECT_TRUE(log_.has("Лист: \"Лист 1\" содержит FBD блоки, удаление невозможно."));
    EXPECT_EQ(log_.lines.back().level, 5);

    EXPECT_EQ(kernel().DeleteSheet(withLinks.c_str()), 0);
    EXPECT_EQ(kernel().GetSheetCount(), 1);
    EXPECT_EQ(sheet(withLinks), nullptr);
    EXPECT_TRUE(log_.has("Лист: \"Лист 2\" удаён."));
    // The inspector keeps no address of a sheet record that moved or went.
    ASSERT_FALSE(replaced.empty());
    EXPECT_EQ(replaced.back().count, 0);
    EXPECT_EQ(kernel().DeleteSheet("none"), -1);
    EXPECT_EQ(kernel().DeleteSheet(nullptr), -1);
}

TEST_F(SheetSlots, OpenSheetWindowBringsAShownWindowForwardOrCreatesOneWhereItStood) {
    EXPECT_EQ(kernel().OpenSheetWindow(nullptr), -1);
    const std::string name = addSheet();
    ASSERT_EQ(kernel().SetSheetWindow(name.c_str(), 10, 20, 310, 220, 7, 8, 2.0f), 0);
    created.clear();

    // The host already shows it.
    EXPECT_EQ(kernel().OpenSheetWindow(name.c_str()), 0);
    EXPECT_TRUE(created.empty());

    // Its window was closed: a new one at the stored place, scroll and zoom.
    openWindows.clear();
    createResult = 5;
    EXPECT_EQ(kernel().OpenSheetWindow(name.c_str()), 5);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].name, name);
    EXPECT_TRUE(created[0].placed);
    EXPECT_EQ(std::vector<int32_t>(created[0].rect, created[0].rect + 4), (std::vector<int32_t>{10, 20, 310, 220}));
    EXPECT_EQ(created[0].scroll[0], 7);
    EXPECT_EQ(created[0].scroll[1], 8);
    EXPECT_EQ(created[0].scale, 2.0f);

    EXPECT_EQ(kernel().OpenSheetWindow("none"), -1);
    EXPECT_EQ(showAsked.back(), "none");
}

// ---- resizing ---------------------------------------------------------------------------

struct ResizeCase {
    const char* what;
    int32_t dl, dt, dr, db;  // pixels
    int32_t result;
    int width, height;  // afterwards
    int dx, dy;         // how far the block and the connection moved, in cells
};

TEST_F(SheetSlots, ResizeMovesEdgesByWholeCells) {
    const ResizeCase cases[] = {
        {"-11 px moves nothing", -11, -11, -11, -11, 0, 40, 30, 0, 0},
        {"-12 px left", -12, 0, 0, 0, 0, 39, 30, -1, 0},
        {"-23 px top", 0, -23, 0, 0, 0, 40, 29, 0, -1},
        {"right and bottom move nothing inside", 0, 0, -24, -36, 0, 38, 27, 0, 0},
        {"outward", 24, 12, 12, 0, 0, 43, 31, 2, 1},
        {"the block's left cell would leave", -5 * 12, 0, 0, 0, -2, 40, 30, 0, 0},
        {"the connection's top would leave", 0, -3 * 12, 0, 0, -3, 40, 30, 0, 0},
        {"wider than a Word", 0, 0, 70000 * 12, 0, -4, 40, 30, 0, 0},
    };
    for (const ResizeCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string name = addSheet();
        ASSERT_EQ(drop(name, kAndPath, 4 * 12, 5 * 12), 0);  // cells from (4, 5)
        addLink(name, 3, 2, 3, 9);
        const TBlockRecord before = blockCopy(block(name, 0));
        log_.lines.clear();

        EXPECT_EQ(kernel().ResizeSheet(name.c_str(), c.dl, c.dt, c.dr, c.db), c.result);
        const TSheetRecord* s = sheet(name);
        EXPECT_EQ(ZO_FIELD(*s, Width), c.width);
        EXPECT_EQ(ZO_FIELD(*s, Height), c.height);
        const TBlockRecord* after = block(name, 0);
        EXPECT_EQ(ZO_FIELD(*after, Left), before.Left + c.dx);
        EXPECT_EQ(ZO_FIELD(*after, Right), before.Right + c.dx);
        EXPECT_EQ(ZO_FIELD(*after, Top), before.Top + c.dy);
        EXPECT_EQ(ZO_FIELD(*after, Bottom), before.Bottom + c.dy);
        TConnectionRecord link;
        std::memcpy(&link, s->Links->GetItem(0), sizeof link);
        EXPECT_EQ(ZO_FIELD(link, PointA), uint32_t(3 + c.dx) | (uint32_t(2 + c.dy) << 16));
        EXPECT_EQ(ZO_FIELD(link, PointB), uint32_t(3 + c.dx) | (uint32_t(9 + c.dy) << 16));
        const std::string line = "Изменение размера холста: \"" + platform::cp1251ToUtf8(name) + "\"  ширина-" +
                                 std::to_string(c.width) + " высота-" + std::to_string(c.height);
        EXPECT_EQ(log_.has(line), c.result == 0);
    }
}

TEST_F(SheetSlots, ABlockOrConnectionMayNotEndOnTheRemovedEdge) {
    const std::string name = addSheet();
    ASSERT_EQ(drop(name, kAndPath, 0, 0), 0);
    const TBlockRecord b = blockCopy(block(name, 0));
    // Move the canvas's right edge to just behind the block: its last column
    // is Right, inclusive, so the width may shrink to Right + 1 and no further.
    const int32_t spare = 40 - (b.Right + 1);
    ASSERT_GT(spare, 0);
    EXPECT_EQ(kernel().ResizeSheet(name.c_str(), 0, 0, -(spare + 1) * 12, 0), -2);
    EXPECT_EQ(ZO_FIELD(*sheet(name), Width), 40);
    EXPECT_EQ(kernel().ResizeSheet(name.c_str(), 0, 0, -spare * 12, 0), 0);
    EXPECT_EQ(ZO_FIELD(*sheet(name), Width), b.Right + 1);
    const int32_t below = 30 - (b.Bottom + 1);
    EXPECT_EQ(kernel().ResizeSheet(name.c_str(), 0, 0, 0, -(below + 1) * 12), -2);
    EXPECT_EQ(kernel().ResizeSheet(name.c_str(), 0, 0, 0, -below * 12), 0);
    EXPECT_EQ(ZO_FIELD(*sheet(name), Height), b.Bottom + 1);

    // A connection stored right to left keeps both of its ends on the canvas.
    const std::string other = addSheet();
    addLink(other, 9, 4, 2, 4);
    EXPECT_EQ(kernel().ResizeSheet(other.c_str(), -3 * 12, 0, 0, 0), -3);
    EXPECT_EQ(kernel().ResizeSheet(other.c_str(), 0, 0, -31 * 12, 0), -3);
    EXPECT_EQ(kernel().ResizeSheet(other.c_str(), 0, 0, -30 * 12, 0), 0);
    EXPECT_EQ(kernel().ResizeSheet(other.c_str(), -2 * 12, 0, 0, 0), 0);
    TConnectionRecord link;
    std::memcpy(&link, sheet(other)->Links->GetItem(0), sizeof link);
    EXPECT_EQ(ZO_FIELD(link, PointA), 7u | (4u << 16));
    EXPECT_EQ(ZO_FIELD(link, PointB), 0u | (4u << 16));
}

TEST_F(SheetSlots, TheSmallestCanvasIsFourByThree) {
    const std::string name = addSheet();
    ASSERT_EQ(kernel().ResizeSheet(name.c_str(), 0, 0, -36 * 12, -27 * 12), 0);
    EXPECT_EQ(ZO_FIELD(*sheet(name), Width), 4);
    EXPECT_EQ(ZO_FIELD(*sheet(name), Height), 3);
    EXPECT_EQ(kernel().ResizeSheet(name.c_str(), -12, 0, 0, 0), -4);
    EXPECT_EQ(kernel().ResizeSheet(name.c_str(), 0, 0, 0, -12), -4);
    EXPECT_EQ(ZO_FIELD(*sheet(name), Width), 4);
    EXPECT_EQ(ZO_FIELD(*sheet(name), Height), 3);
    EXPECT_EQ(kernel().ResizeSheet("none", 0, 0, 0, 0), -1);
}

// ---- new project --------------------------------------------------------------------------

struct DeviceCase {
    const char* file;
    const char* caption;  // UTF-8
    const char* port;
};

TEST_F(SheetSlots, NewProjectShowsTheHeaderOfEachShippedDevice) {
    const DeviceCase cases[] = {{"OrvantaPLC.dev", "Заголовок проекта Orvanta PLC", "5020"},
                                {"OrvantaAVR.dev", "Заголовок проекта Orvanta AVR", "5021"}};
    for (const DeviceCase& c : cases) {
        SCOPED_TRACE(c.file);
        shown.clear();
        ASSERT_EQ(kernel().NewProject("Pump", c.file), 0);
        ASSERT_EQ(shown.size(), 1u);
        const InspectorCall& call = shown[0];
        EXPECT_EQ(call.caption, cp(c.caption));
        ASSERT_EQ(call.count, 1);
        EXPECT_FALSE(call.onChange);
        const std::string device = std::string(c.file).substr(0, std::strlen(c.file) - 4);
        EXPECT_EQ(value(call.items[0], "Device"), device);
        EXPECT_EQ(value(call.items[0], "Name"), "Pump");
        EXPECT_EQ(value(call.items[0], "IP"), "127.0.0.1");
        EXPECT_EQ(value(call.items[0], "Port"), c.port);
        // Centred on the screen, at most 400 by 300.
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const int w = std::min(screen.width() / 2, 400), h = std::min(screen.height() / 2, 300);
        EXPECT_EQ(call.rect[0], screen.width() / 2 - w / 2);
        EXPECT_EQ(call.rect[2], screen.width() / 2 + w / 2);
        EXPECT_EQ(call.rect[1], screen.height() / 2 - h / 2);
        EXPECT_EQ(call.rect[3], screen.height() / 2 + h / 2);
    }
}

TEST_F(SheetSlots, RuntimeFolderFollowsTheDeviceProgram) {
    const std::string runtime = kernel().GetDeviceRuntimeFolder();
    ASSERT_EQ(runtime, program_.path() + "\\Runtime\\");  // no project yet
    ASSERT_EQ(kernel().NewProject("Pump", "OrvantaPLC.dev"), 0);  // "VT_win.exe"
    EXPECT_EQ(std::string(kernel().GetDeviceRuntimeFolder()), runtime + "VT_win");
    ASSERT_EQ(kernel().NewProject("Pump", "OrvantaAVR.dev"), 0);  // "Mega128": no dot
    EXPECT_EQ(std::string(kernel().GetDeviceRuntimeFolder()), runtime);
}

TEST_F(SheetSlots, NewProjectForADeviceWithoutHeaderFails) {
    writeBytes(program_.sub("Device/Bare.dev"),
               "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<Micro Program=\"x.exe\"><BUILD/></Micro>\n");
    EXPECT_EQ(kernel().NewProject("P", "Bare.dev"), -1);
    EXPECT_EQ(kernel().NewProject("P", "Missing.dev"), -1);
    EXPECT_EQ(kernel().NewProject("P", nullptr), -1);
    EXPECT_TRUE(shown.empty());
}

// ---- the kernel's state directly ------------------------------------------------------------

class SheetState : public ::testing::Test {
protected:
    void SetUp() override {
        kernel::CreateState();
        kernel::KernelState& s = kernel::State();
        fs::copy(std::string(ZO_PROGRAM_DIR) + "/Device", program_.sub("Device"),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        s.deviceFolder = program_.path() + "\\Device";
        s.structFolder = program_.path() + "\\Struct";
        s.structCache->ConvertOptions = ConvertOptions();
        s.convertOptions = ConvertOptions();
        kernel::Options().Inspector.ShowElementProperties = showProperties;
        SetLogCallback("test.log", LogRecorder::WriteProc);
        shows = 0;
    }
    void TearDown() override {
        TMenObj& sheets = kernel::State().sheets;
        for (uint16_t i = 0; i < sheets.Count; ++i)
            kernel::FreeSheetContents(*static_cast<TSheetRecord*>(sheets.GetItem(i)));
        kernel::Options().Inspector.ShowElementProperties = nullptr;
        kernel::DestroyState();
    }
    static int32_t showProperties(const char*, int32_t, const TStructInstance*, TPropertiesChangedProc, int32_t,
                                  int32_t, int32_t, int32_t) {
        ++shows;
        return 0;
    }
    TSheetRecord* addSheet(const char* name, uint16_t width, uint16_t height) {
        TSheetRecord r{};
        std::strncpy(r.Name, name, 60);
        r.Width = width;
        r.Height = height;
        r.Blocks = new TMenObj;
        r.Blocks->SetItemSize(sizeof(TBlockRecord));
        r.Links = new TMenObj;
        r.Links->SetItemSize(sizeof(TConnectionRecord));
        kernel::State().sheets.AddItem(&r);
        return kernel::FindSheet(name);
    }
    void placeBlock(TSheetRecord* s, int32_t l, int32_t t, int32_t r, int32_t b) {
        TBlockRecord block{};
        block.Left = l;
        block.Top = t;
        block.Right = r;
        block.Bottom = b;
        s->Blocks->AddItem(&block);
    }

    ProgramFolder program_;
    LogRecorder log_;
    static inline int shows = 0;
};

struct PlaceCase {
    const char* what;
    TZoRect rect;
    int result;
};

TEST_F(SheetState, CheckBlockPlaceKeepsEveryCellOnTheCanvasAndOffOtherBlocks) {
    TSheetRecord* s = addSheet("Main", 20, 10);
    placeBlock(s, 5, 5, 7, 6);
    const PlaceCase cases[] = {
        {"free", {0, 0, 3, 2}, 0},
        {"last column and row", {17, 8, 19, 9}, 0},
        {"one column past the width", {17, 0, 20, 2}, -2},
        {"one row past the height", {0, 7, 2, 10}, -2},
        {"left of the canvas", {-1, 0, 2, 2}, -2},
        {"above the canvas", {0, -1, 2, 2}, -2},
        {"overlapping", {6, 6, 9, 8}, -3},
        {"sharing the right edge column", {7, 0, 9, 5}, -3},
        {"beside it", {8, 5, 10, 6}, 0},
        {"below it", {5, 7, 7, 8}, 0},
    };
    for (const PlaceCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(kernel::CheckBlockPlace("MAIN", c.rect), c.result);
    }
    EXPECT_EQ(kernel::CheckBlockPlace("Other", TZoRect{0, 0, 1, 1}), -1);
    EXPECT_EQ(kernel::CheckBlockPlace(nullptr, TZoRect{0, 0, 1, 1}), -1);
}

TEST_F(SheetState, ResizeIsRefusedInDebugModeWithoutLookingAtTheSheet) {
    addSheet("Main", 40, 30);
    kernel::State().mode = kernel::kModeDebug;
    EXPECT_EQ(ResizeSheet("Main", 24, 0, 0, 0), -1);
    EXPECT_EQ(ZO_FIELD(*kernel::FindSheet("Main"), Width), 40);
    EXPECT_TRUE(log_.lines.empty());
    kernel::State().mode = kernel::kModeSelect;
    EXPECT_EQ(ResizeSheet("Main", 24, 0, 0, 0), 0);
    EXPECT_EQ(ZO_FIELD(*kernel::FindSheet("Main"), Width), 42);
}

struct HeaderCase {
    const char* file;
    const char* program;
    int type;
};

TEST_F(SheetState, NewProjectSetsTheProjectHeaderFromTheDevice) {
    const HeaderCase cases[] = {{"OrvantaPLC.dev", "VT_win.exe", 1}, {"OrvantaAVR.dev", "Mega128", 2}};
    for (const HeaderCase& c : cases) {
        SCOPED_TRACE(c.file);
        std::strcpy(kernel::State().projectPath, "old.hc");
        ASSERT_EQ(NewProject("Boiler", c.file), 0);
        const kernel::KernelState& s = kernel::State();
        EXPECT_STREQ(s.projectName, "Boiler");
        EXPECT_STREQ(s.deviceFileName, c.file);
        EXPECT_STREQ(s.deviceProgram, c.program);
        EXPECT_EQ(s.configFileType, c.type);
        EXPECT_STREQ(s.projectPath, "");
        ASSERT_NE(s.headerRecord, nullptr);
        // The record starts with Device (String60) and Name (String60).
        EXPECT_STREQ(static_cast<const char*>(s.headerRecord), std::string(c.file).substr(0, 10).c_str());
        EXPECT_STREQ(static_cast<const char*>(s.headerRecord) + 61, "Boiler");
    }
    EXPECT_EQ(shows, 2);
}

struct TypeCase {
    const char* attribute;  // the root's attributes
    int type;
    bool warned;
};

TEST_F(SheetState, AConfigurationFileTypeThatIsNoByteNumberKeepsTypeOne) {
    const std::string header = R"(<Structure><BLOCK NAME="Header" IM="H"><VAR NAME="Name" TYPE="String60"/></BLOCK></Structure>)";
    const TypeCase cases[] = {{"", 1, false},
                              {R"(ConfigFileType="")", 1, false},
                              {R"(ConfigFileType="2")", 2, false},
                              {R"(ConfigFileType="full")", 1, true},
                              {R"(ConfigFileType="2x")", 1, true},
                              {R"(ConfigFileType="300")", 1, true}};
    int n = 0;
    for (const TypeCase& c : cases) {
        SCOPED_TRACE(c.attribute);
        // A file of its own each time: the cache keeps descriptions by path.
        const std::string file = "T" + std::to_string(n++) + ".dev";
        writeBytes(program_.sub("Device/" + file), std::string("<?xml version=\"1.0\"?>\n<Micro Program=\"p.exe\" ") +
                                                       c.attribute + ">" + header + "</Micro>\n");
        log_.lines.clear();
        kernel::State().configFileType = 7;
        ASSERT_EQ(NewProject("P", file.c_str()), 0);
        EXPECT_EQ(kernel::State().configFileType, c.type);
        EXPECT_EQ(!log_.lines.empty() && log_.lines.back().level == 3, c.warned);
    }
}

// ---- repaint requests ---------------------------------------------------------------------------

TEST(RepaintRequests, RequestsFromManyThreadsAreCountedAndTakenOnce) {
    kernel::ResetRepaintRequests();
    EXPECT_FALSE(kernel::TakeRepaintRequest());
    constexpr int kThreads = 4, kEach = 5000;
    std::vector<std::thread> threads;
    std::atomic<int> taken{0};
    std::atomic<bool> stop{false};
    std::thread painter([&] {
        while (!stop.load())
            if (kernel::TakeRepaintRequest()) ++taken;
    });
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < kEach; ++i) RequestRepaint();
        });
    for (std::thread& t : threads) t.join();
    stop = true;
    painter.join();
    EXPECT_EQ(kernel::RepaintCount(), uint32_t(kThreads * kEach));
    // No request is lost: the painter took some, or the last ones still wait, once.
    const bool left = kernel::RepaintRequested();
    EXPECT_EQ(kernel::TakeRepaintRequest(), left);
    EXPECT_TRUE(taken.load() > 0 || left);
    EXPECT_FALSE(kernel::TakeRepaintRequest());
    RequestRepaint();
    kernel::ClearRepaintRequest();
    EXPECT_FALSE(kernel::RepaintRequested());
    EXPECT_EQ(kernel::RepaintCount(), uint32_t(kThreads * kEach + 1));
    kernel::ResetRepaintRequests();
    EXPECT_EQ(kernel::RepaintCount(), 0u);
}

}  // namespace
