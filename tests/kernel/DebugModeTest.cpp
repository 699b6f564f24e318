// Editing modes and on-line debugging: the kernel starts the debugging library
// on the address of the device header, with the controller's runtime program
// (stand-in) serving on a loopback port held for the test.
#include "ProjectModel.h"

#include "common/Struct.h"
#include "common/abi/DebugOptions.h"
#include "kernel/ConfigFile.h"
#include "kernel/DebugMode.h"
#include "kernel/DeviceFile.h"
#include "kernel/Gesture.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelStart.h"
#include "kernel/KernelState.h"
#include "kernel/LineTypes.h"
#include "kernel/NetValues.h"
#include "kernel/OutsideLibraries.h"
#include "kernel/ProjectOpen.h"
#include "kernel/RepaintRequests.h"
#include "support/RuntimeProcess.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace zo;
using namespace zo::kernel;
using namespace zo::test;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Host slots the mode change calls, counted. The debugging library asks for
// repaints from its own thread: those are counted apart.
struct HostCalls {
    static inline std::thread::id gui;
    static inline int repaints = 0;
    static inline std::atomic<int> libraryRepaints{0};
    static inline int actionUpdates = 0;
    static inline int inspectorClears = 0;
    static void Repaint() {
        if (std::this_thread::get_id() == gui)
            ++repaints;
        else
            ++libraryRepaints;
    }
    static void UpdateActions() { ++actionUpdates; }
    static int32_t Replace(const char* caption, int32_t count, const TStructInstance* items, TPropertiesChangedProc) {
        if (!caption && count == 0 && !items) ++inspectorClears;
        return 0;
    }
};

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 5000ms) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (done()) return true;
        std::this_thread::sleep_for(10ms);
    }
    return done();
}

class DebugMode : public ProjectModel {
protected:
    void SetUp() override {
        ProjectModel::SetUp();
        HostCalls::gui = std::this_thread::get_id();
        HostCalls::repaints = HostCalls::actionUpdates = HostCalls::inspectorClears = 0;
        HostCalls::libraryRepaints = 0;
        TKernelOptions& o = Options();
        o.CreateConfigFile = CreateConfigFile;
        o.KernelLog = KernelLog;
        o.ConvertOptions = const_cast<TConvertOptions*>(zo::test::ConvertOptions());
        o.RepaintSchemeWindows = HostCalls::Repaint;
        o.UpdateActionStates = HostCalls::UpdateActions;
        o.Inspector.ReplaceElementProperties = HostCalls::Replace;
        CreateOutsideBindings();
        // The shipped device of the runtime program.
        fs::copy_file(ZO_PROGRAM_DIR "/Device/OrvantaPLC.dev", file("Device/OrvantaPLC.dev"));
        ASSERT_EQ(LoadLineTypes((programPath() + "\\Struct\\Config.xml").c_str(), "Line_12px", "Line_12px_Mask", 12,
                                &State().lineTypes),
                  0);
    }
    void TearDown() override {
        StopDebugging();
        ClearLineTypes(&State().lineTypes);
        DestroyOutsideBindings(nullptr);
        ProjectModel::TearDown();
    }

    // A saved project of the shipped device whose controller is at 127.0.0.1:controllerPort.
    void project(uint16_t controllerPort, bool saved = true) {
        freeModel();
        KernelState& s = State();
        std::strcpy(s.deviceFileName, "OrvantaPLC.dev");
        std::strcpy(s.deviceProgram, "VT_win.exe");
        std::strcpy(s.projectName, "P");
        s.configFileType = 1;
        std::strcpy(s.projectPath, saved ? (programPath() + "/Project/P.hc").c_str() : "");
        TStruct* header = HeaderDescription();
        ASSERT_NE(header, nullptr);
        s.headerRecord = std::calloc(1, size_t(header->GetSize()));
        header->SetDefaults(s.headerRecord);
        int16_t i = -1;
        ASSERT_EQ(header->FindItem("IP", i), 1);
        ASSERT_EQ(header->SetValue(s.headerRecord, i, "127.0.0.1"), 0);
        ASSERT_EQ(header->FindItem("Port", i), 1);
        ASSERT_EQ(header->SetValue(s.headerRecord, i, std::to_string(controllerPort).c_str()), 0);
    }

    // Net 0 (line type Bool) from a network input, net 1 (line type Int) into
    // a network output, net 2 touching no pin (no line type).
    void circuit() {
        const uint16_t s = addSheet("Лист 1");
        TBlockRecord* in = block(s, addBlock(s, basePath("Orvan_In"), "NI", 0, 0));
        addPin(in, 2, 0, 0, 0);  // Out at (2,0), Bool
        TBlockRecord* out = block(s, addBlock(s, basePath("Orvan_Out"), "NO", 5, 5));
        addPin(out, 0, 0, 0, 1);  // In at (5,5), Int
        addLink(s, 2, 0, 4, 0);
        addLink(s, 5, 5, 9, 5);
        addLink(s, 20, 20, 21, 20);
    }

    std::string text(int index) {
        std::string t;
        uint32_t tag = 0;
        return GetNetValue(index, t, tag) ? utf(t) : "<none>";
    }
    uint32_t tag(int index) {
        std::string t;
        uint32_t g = 0;
        GetNetValue(index, t, g);
        return g;
    }

    // The painter's step: refresh when the debugging library asked for it.
    bool refreshedUntil(const std::function<bool()>& done) {
        return waitUntil([&] {
            if (TakeRepaintRequest()) RefreshNetValues();
            return done();
        });
    }

    std::string cfgPath() const { return programPath() + "/Project/P.cfg"; }

    // The saved circuit's configuration run by the controller's runtime at
    // 127.0.0.1:port(), listening.
    void runningController(RuntimeProcess& runtime) {
        ASSERT_NE(port(), 0);
        project(port());
        circuit();
        ASSERT_EQ(CreateConfigFile(cfgPath().c_str(), "CreateConfig.log", nullptr), 0);
        ASSERT_TRUE(runtime.Start(cfgPath()));
        ASSERT_TRUE(WaitForListener(port())) << runtime.Errors();
    }

    // The test's controller port: held for the test, nothing listens on it
    // but the runtime a test starts.
    uint16_t port() const { return port_.number(); }

private:
    LoopbackPort port_;
};

TEST_F(DebugMode, SessionShowsTheRuntimesValuesAndStopsOnModeChange) {
    RuntimeProcess runtime;
    ASSERT_NO_FATAL_FAILURE(runningController(runtime));

    HostCalls::repaints = 0;
    SetMode(kModeDebug);
    EXPECT_EQ(GetMode(), kModeDebug);
    const TDebugOptions* debug = DebugOptions();
    ASSERT_NE(debug, nullptr);
    EXPECT_STREQ(debug->IpAddress, "127.0.0.1");
    EXPECT_EQ(ZO_FIELD(*debug, Port), port());
    EXPECT_EQ(std::string(debug->DeviceFile), programPath() + "\\Device\\OrvantaPLC.dev");
    EXPECT_EQ(std::string(debug->ConfigFile), cfgPath());
    EXPECT_TRUE(log_.has("Создан файл конфигурации \"" + cfgPath() + "\""));
    EXPECT_EQ(HostCalls::repaints, 2) << "one from the configuration file, one from the mode change";

    // Before the first poll: "нет" everywhere, the line types in the tags.
    ASSERT_EQ(NetValueCount(), 3);
    EXPECT_EQ(text(0), "нет");
    EXPECT_EQ(NetTagLineType(tag(0)), 0);
    EXPECT_EQ(NetTagLineType(tag(1)), 1);
    EXPECT_EQ(NetTagLineType(tag(2)), kNetNoLineType);

    ASSERT_TRUE(refreshedUntil([&] { return text(0) == "0" && text(1) == "0"; })) << text(0) << " " << text(1);
    EXPECT_EQ(text(2), "?") << "a net without a line type";
    EXPECT_EQ(NetTagError(tag(0)), 0);
    EXPECT_EQ(NetTagStatus(tag(0)), 1);
    EXPECT_GE(HostCalls::libraryRepaints.load(), 1) << "the library asks the host to repaint";

    // A value set through the debugger reaches the list with the next poll.
    EXPECT_EQ(ForwardToDebugger(1, 1, -5, 0, 0), 0);
    ASSERT_TRUE(refreshedUntil([&] { return text(1) == "-5"; })) << text(1);
    EXPECT_EQ(text(0), "0");
    EXPECT_EQ(ForwardToDebugger(1, 3, 1, 0, 0), -2) << "a net the controller does not hold";

    // Choosing debug mode again keeps the running debugger and only repaints.
    const int repaints = HostCalls::repaints;
    SetMode(kModeDebug);
    EXPECT_EQ(DebugOptions(), debug);
    EXPECT_EQ(HostCalls::repaints, repaints + 1);

    // Leaving debug mode stops the library (its thread joined) and empties the list.
    const auto started = std::chrono::steady_clock::now();
    SetMode(kModeSelect);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);  // joined, not hung
    EXPECT_EQ(DebugOptions(), nullptr);
    EXPECT_EQ(NetValueCount(), 0);
    EXPECT_EQ(ForwardToDebugger(1, 0, 1, 0, 0), -1);
    EXPECT_TRUE(log_.has("Выгружена библиотека отладки \"ZoDebug.so\""));
    EXPECT_EQ(runtime.Stop(), 0);
}

// Other ways a running session ends: the kernel's end keeps the project, closing
// the project empties it; either way the debugger is gone and the list empty.
struct SessionEnd {
    const char* what;
    std::function<int32_t(const std::string& cfgPath)> end;
    int sheetsAfter;
};

class DebugSessionEnd : public DebugMode, public ::testing::WithParamInterface<SessionEnd> {};

TEST_P(DebugSessionEnd, StopsTheRunningSession) {
    RuntimeProcess runtime;
    ASSERT_NO_FATAL_FAILURE(runningController(runtime));
    SetMode(kModeDebug);
    ASSERT_TRUE(refreshedUntil([&] { return text(0) == "0" && text(1) == "0"; })) << text(0) << " " << text(1);

    EXPECT_EQ(GetParam().end(cfgPath()), 0);
    EXPECT_EQ(DebugOptions(), nullptr);
    EXPECT_EQ(NetValueCount(), 0);
    EXPECT_EQ(State().sheets.Count, GetParam().sheetsAfter);
    EXPECT_EQ(runtime.Stop(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, DebugSessionEnd,
    ::testing::Values(SessionEnd{"KernelDone", [](const std::string&) { return KernelDone(); }, 1},
                      SessionEnd{"CloseProject", [](const std::string& cfg) { return CloseProject(cfg.c_str()); }, 0}),
    [](const ::testing::TestParamInfo<SessionEnd>& info) { return std::string(info.param.what); });

TEST_F(DebugMode, WithoutAControllerTheValuesShowErrors) {
    project(port());
    circuit();
    SetMode(kModeDebug);
    ASSERT_NE(DebugOptions(), nullptr);
    ASSERT_TRUE(refreshedUntil([&] { return text(0) == "err"; })) << text(0);
    EXPECT_EQ(NetTagError(tag(0)), 1);
    StopDebugging();
    EXPECT_EQ(GetMode(), kModeDebug) << "stopping keeps the mode";
    EXPECT_EQ(DebugOptions(), nullptr);
}

TEST_F(DebugMode, AProjectNeverSavedCannotBeDebugged) {
    project(port(), false);
    SetMode(kModeDebug);
    EXPECT_EQ(GetMode(), kModeDebug);
    EXPECT_EQ(DebugOptions(), nullptr);
    EXPECT_TRUE(log_.has("Проект \"P\" не сохранен, невозможно запустить отладку"));
    EXPECT_FALSE(fs::exists(cfgPath()));
    EXPECT_EQ(HostCalls::repaints, 0);
    EXPECT_EQ(HostCalls::actionUpdates, 1);
    EXPECT_EQ(HostCalls::inspectorClears, 1);
}

TEST_F(DebugMode, AFailedConfigurationUnloadsTheDebugger) {
    project(port());
    // A network input without its pin field makes the configuration fail.
    const uint16_t s = addSheet("Лист 1");
    writeBytes(file("Bad.xml"), cp(R"(<?xml version="1.0" encoding="windows-1251"?>
<Lib><FBD><GROUP NAME="G"><BLOCK NAME="Orvan_In"><VAR NAME="ID" TYPE="Integer"/></BLOCK></GROUP></FBD></Lib>)"));
    addBlock(s, programPath() + "\\Bad.xml/FBD/G/Orvan_In", "W", 0, 0);
    SetMode(kModeDebug);
    EXPECT_EQ(GetMode(), kModeDebug);
    EXPECT_EQ(DebugOptions(), nullptr);
    EXPECT_EQ(NetValueCount(), 0);
    EXPECT_TRUE(log_.has("Ошибка создания файла конфигурации"));
    EXPECT_EQ(HostCalls::repaints, 1);
}

TEST_F(DebugMode, ModeChangeEndsTheGestureAndEmptiesTheInspector) {
    project(port());
    Gesture().dragging = 1;
    Gesture().layingLine = 1;
    RequestRepaint();
    SetMode(kModeConnect);
    EXPECT_EQ(GetMode(), kModeConnect);
    EXPECT_EQ(Gesture().dragging, 0);
    EXPECT_EQ(Gesture().layingLine, 0);
    EXPECT_FALSE(RepaintRequested());
    EXPECT_EQ(HostCalls::actionUpdates, 1);
    EXPECT_EQ(HostCalls::inspectorClears, 1);
    EXPECT_EQ(HostCalls::repaints, 1);
    EXPECT_EQ(ForwardToDebugger(1, 2, 3, 4, 5), -1);
}

// The address fields: an IP longer than the record's 15 characters is cut, a
// "Port" that is not a Word is not taken.
TEST_F(DebugMode, AddressFieldsStayWithinTheRecord) {
    writeBytes(file("Device/Wide.dev"), cp(R"(<?xml version="1.0" encoding="windows-1251"?>
<Micro Program="VT_win.exe"><Structure><BLOCK NAME="Header" IM="Заголовок">
<VAR NAME="IP" TYPE="String30" DEFAULT="1234567890.1234567890"/>
<VAR NAME="Port" TYPE="Integer" DEFAULT="5000"/>
</BLOCK></Structure></Micro>)"));
    project(1);
    std::strcpy(State().deviceFileName, "Wide.dev");
    std::free(State().headerRecord);
    TStruct* header = HeaderDescription();
    ASSERT_NE(header, nullptr);
    State().headerRecord = std::calloc(1, size_t(header->GetSize()));
    header->SetDefaults(State().headerRecord);
    SetMode(kModeDebug);
    const TDebugOptions* debug = DebugOptions();
    ASSERT_NE(debug, nullptr);
    EXPECT_EQ(std::string(debug->IpAddress, 16), std::string("1234567890.1234") + '\0');
    EXPECT_EQ(ZO_FIELD(*debug, Port), 0);
}

TEST_F(DebugMode, NetValueListIgnoresNetsOutsideIt) {
    const uint16_t s = addSheet("Лист 1");
    addLink(s, 0, 0, 1, 0);
    addLink(s, 5, 0, 6, 0);
    TConnectionRecord* a = static_cast<TConnectionRecord*>(sheet(s)->Links->GetItem(0));
    TConnectionRecord* b = static_cast<TConnectionRecord*>(sheet(s)->Links->GetItem(1));
    a->NetIndex = 1;
    a->LineType = 2;
    b->NetIndex = 7;  // beyond the list
    b->LineType = 3;
    FillNetValues(2);
    ASSERT_EQ(NetValueCount(), 2);
    EXPECT_EQ(text(0), "нет");
    EXPECT_EQ(tag(0), 65535u);
    EXPECT_EQ(tag(1), 2u);
    b->NetIndex = -1;
    a->LineType = -1;
    FillNetValues(2);
    EXPECT_EQ(tag(1), 65535u);
    std::string t;
    uint32_t g = 0;
    EXPECT_FALSE(GetNetValue(2, t, g));
    EXPECT_FALSE(GetNetValue(-1, t, g));
    ClearNetValues();
    EXPECT_EQ(NetValueCount(), 0);
}

TEST(DebugConfigPath, ReplacesTheExtensionOfTheFileName) {
    struct Case {
        const char* project;
        const char* config;
    };
    for (const Case& c : {Case{"C:\\Projects\\P.hc", "C:\\Projects\\P.cfg"}, Case{"/home/u/P", "/home/u/P.cfg"},
                          Case{"/home/u.v/P", "/home/u.v/P.cfg"}, Case{"\\a.b\\P.x.hc", "\\a.b\\P.x.cfg"}})
        EXPECT_EQ(DebugConfigPath(c.project), c.config) << c.project;
}

}  // namespace
