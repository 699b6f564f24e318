#include "EditingFixture.h"

#include "common/Geometry.h"
#include "common/MenObj.h"
#include "common/Struct.h"
#include "kernel/BlockPrepare.h"
#include "kernel/Gesture.h"
#include "kernel/GraficServices.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelRecord.h"
#include "kernel/KernelStart.h"
#include "kernel/KernelState.h"
#include "kernel/LineTypes.h"
#include "kernel/MouseEditing.h"
#include "kernel/OutsideLibraries.h"
#include "kernel/Selection.h"
#include "kernel/Sheets.h"
#include "platform/Cp1251.h"
#include "platform/KeyState.h"

#include <cstring>

using namespace zo::kernel;

namespace zo::test {

std::vector<InspectorCall> EditingFixture::inspector;
int EditingFixture::inspectorRepaints = 0;

namespace {

bool g_ctrl = false;
bool ctrlHook() { return g_ctrl; }

int32_t replaceProperties(const char* caption, int32_t count, const TStructInstance*, TPropertiesChangedProc change) {
    EditingFixture::inspector.push_back({platform::cp1251ToUtf8(caption ? caption : ""), count, change != nullptr});
    return 0;
}
int32_t showProperties(const char* caption, int32_t count, const TStructInstance* items, TPropertiesChangedProc change,
                       int32_t, int32_t, int32_t, int32_t) {
    return replaceProperties(caption, count, items, change);
}
void repaintInspector() { ++EditingFixture::inspectorRepaints; }

const char* kLibrary = R"(<?xml version="1.0" encoding="windows-1251"?>
<FBD>
  <GROUP NAME="Test">
    <BLOCK NAME="AND" IM="Логическое И">
      <IN NAME="A" TYPE="Bool" IM="вход А"/>
      <IN NAME="B" TYPE="Bool" IM="вход Б"/>
      <OUT NAME="Q" TYPE="Bool" IM="выход"/>
      <FIELD NAME="Cod" TYPE="Word" DEFAULT="1"/>
      <VAR NAME="IM" TYPE="String20" DEFAULT="и-блок"/>
    </BLOCK>
    <BLOCK NAME="CNT" IM="Счётчик">
      <IN NAME="C" TYPE="Int" IM="счёт"/>
      <OUT NAME="N" TYPE="Int" IM="число"/>
      <FIELD NAME="Cod" TYPE="Word" DEFAULT="2"/>
    </BLOCK>
    <BLOCK NAME="LONG" IM="Длинная подсказка">
      <FIELD NAME="Cod" TYPE="Word" DEFAULT="3"/>
      <VAR NAME="ID" TYPE="String20" DEFAULT="01234567890123456789"/>
      <VAR NAME="ID" TYPE="String20" DEFAULT="01234567890123456789"/>
      <VAR NAME="ID" TYPE="String20" DEFAULT="01234567890123456789"/>
      <VAR NAME="ID" TYPE="String20" DEFAULT="01234567890123456789"/>
      <VAR NAME="ID" TYPE="String20" DEFAULT="01234567890123456789"/>
      <VAR NAME="ID" TYPE="String20" DEFAULT="01234567890123456789"/>
      <VAR NAME="ID" TYPE="String20" DEFAULT="01234567890123456789"/>
      <VAR NAME="ID" TYPE="String20" DEFAULT="01234567890123456789"/>
      <VAR NAME="ID" TYPE="String20" DEFAULT="01234567890123456789"/>
      <VAR NAME="ID" TYPE="String20" DEFAULT="01234567890123456789"/>
      <VAR NAME="ID" TYPE="String20" DEFAULT="01234567890123456789"/>
      <VAR NAME="ID" TYPE="String20" DEFAULT="01234567890123456789"/>
    </BLOCK>
    <BLOCK NAME="NOTE" IM="Заметка">
      <VAR NAME="Text" TYPE="String20"/>
    </BLOCK>
  </GROUP>
</FBD>
)";

// The graphic library started and given the kernel's services, as KernelInit does.
void wireGrafic(TGraficOptions& g) {
    ASSERT_EQ(g.GraficInit(&g), 0);
    WireGraficLibrary(g);
}

std::string segmentText(const TConnectionRecord& l) {
    return std::to_string(PointX(l.PointA)) + "," + std::to_string(PointY(l.PointA)) + "-" +
           std::to_string(PointX(l.PointB)) + "," + std::to_string(PointY(l.PointB));
}

}  // namespace

void EditingFixture::SetUp() {
    inspector.clear();
    inspectorRepaints = 0;
    g_ctrl = false;
    platform::setCtrlStateHook(ctrlHook);
    CreateState();
    KernelState& s = State();
    s.structFolder = program_.path() + "\\Struct";
    s.structCache->ConvertOptions = ConvertOptions();
    s.convertOptions = ConvertOptions();
    FillKernelOptions(Options());
    Options().Inspector.ReplaceElementProperties = replaceProperties;
    Options().Inspector.ShowElementProperties = showProperties;
    Options().Inspector.RepaintInspector = repaintInspector;
    SetLogCallback("test.log", LogRecorder::WriteProc);
    const std::string config = program_.sub("Struct/Config.xml");
    ASSERT_EQ(LoadLineTypes(config.c_str(), "Line_12px", "Line_12px_Mask", 12, &s.lineTypes), 0);
    CreateOutsideBindings();
    LoadGraficLibrary("\\System", nullptr, nullptr, nullptr);
    LoadTraceLibrary("System\\", nullptr);
    ASSERT_NE(GraficOptions(), nullptr);
    wireGrafic(*GraficOptions());
    ASSERT_NE(TraceOptions(), nullptr);
    ClearGestureState();
    ForgetInspectedSheet();
    libraryPath_ = program_.sub("Lib.xml");
    writeBytes(libraryPath_, cp(kLibrary));
}

void EditingFixture::TearDown() {
    TMenObj& sheets = State().sheets;
    for (uint16_t i = 0; i < sheets.Count; ++i) FreeSheetContents(*static_cast<TSheetRecord*>(sheets.GetItem(i)));
    sheets.Clear();
    ClearLineTypes(&State().lineTypes);
    ClearGestureState();
    ForgetInspectedSheet();
    DestroyOutsideBindings(nullptr);
    DestroyState();
    platform::setCtrlStateHook(nullptr);
}

TSheetRecord* EditingFixture::addSheet(const std::string& name, uint16_t width, uint16_t height) {
    TSheetRecord r{};
    std::strncpy(r.Name, name.c_str(), 60);
    r.Width = width;
    r.Height = height;
    r.Blocks = new TMenObj;
    r.Blocks->SetItemSize(kBlockItemSize);
    r.Links = new TMenObj;
    r.Links->SetItemSize(kConnectionItemSize);
    State().sheets.AddItem(&r);
    return sheet(name);
}

TSheetRecord* EditingFixture::sheet(const std::string& name) { return FindSheet(name.c_str()); }

void EditingFixture::clearSheet(const std::string& name) {
    TSheetRecord* s = sheet(name);
    for (uint16_t i = 0; i < s->Blocks->Count; ++i) ReleaseBlock(static_cast<TBlockRecord*>(s->Blocks->GetItem(i)));
    s->Blocks->Clear();
    s->Links->Clear();
}

int EditingFixture::addBlock(const std::string& sheetName, const std::string& type, int32_t left, int32_t top,
                             int turn) {
    TBlockRecord b{};
    const std::string path = libraryPath_ + "/FBD/Test/" + type;
    std::strncpy(b.DescriptionPath, path.c_str(), 260);
    EXPECT_EQ(PrepareBlock(&b), 0) << path;
    if (turn != 0) {
        auto* display = static_cast<TStruct*>(b.Display.Struct);
        int16_t index = -1;
        EXPECT_TRUE(display->FindItem("Turn", index));
        EXPECT_EQ(display->SetValue(b.Display.Data, index, std::to_string(turn).c_str()), 0);
        EXPECT_EQ(RedrawBlockPicture(&b), 0);
    }
    const int32_t w = b.Right - b.Left, h = b.Bottom - b.Top;
    b.Left = left;
    b.Top = top;
    b.Right = left + w;
    b.Bottom = top + h;
    TSheetRecord* s = sheet(sheetName);
    const std::string name = type + " " + std::to_string(s->Blocks->Count + 1);
    std::memset(b.Name, 0, sizeof b.Name);
    std::strncpy(b.Name, name.c_str(), 60);
    s->Blocks->AddItem(&b);
    return s->Blocks->Count - 1;
}

TBlockRecord* EditingFixture::block(const std::string& sheetName, int index) {
    return static_cast<TBlockRecord*>(sheet(sheetName)->Blocks->GetItem(uint16_t(index)));
}

void EditingFixture::pinCell(const std::string& sheetName, int index, const std::string& pinName, int32_t& x,
                             int32_t& y) {
    x = y = -1;
    const TBlockRecord* b = block(sheetName, index);
    const auto* s = static_cast<const TStruct*>(b->Block.Struct);
    for (uint16_t i = 0; i < b->Pins->Count; ++i) {
        TPinRecord p;
        std::memcpy(&p, b->Pins->GetItem(i), sizeof p);
        if (s->GetItemName(p.FieldIndex) == pinName) {
            x = b->Left + p.X;
            y = b->Top + p.Y;
        }
    }
    ASSERT_GE(x, 0) << "no pin " << pinName;
}

void EditingFixture::addLink(const std::string& sheetName, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    TConnectionRecord l{};
    l.PointA = PackPoint(uint32_t(x1), uint32_t(y1));
    l.PointB = PackPoint(uint32_t(x2), uint32_t(y2));
    l.NetIndex = -1;
    l.Chain = -1;
    l.LineType = -1;
    sheet(sheetName)->Links->AddItem(&l);
}

std::vector<std::string> EditingFixture::links(const std::string& sheetName) {
    std::vector<std::string> out;
    const TMenObj* list = sheet(sheetName)->Links;
    for (uint16_t i = 0; i < list->Count; ++i) out.push_back(segmentText(link(sheetName, i)));
    return out;
}

TConnectionRecord EditingFixture::link(const std::string& sheetName, int index) {
    TConnectionRecord l;
    std::memcpy(&l, sheet(sheetName)->Links->GetItem(uint16_t(index)), sizeof l);
    return l;
}

int32_t EditingFixture::down(const std::string& sheetName, int32_t x, int32_t y, uint8_t button) {
    char status[261] = "junk";
    changed_ = 7;
    const int32_t r = SheetMouseDown(sheetName.c_str(), x, y, button, status, &changed_);
    status_ = platform::cp1251ToUtf8(status);
    return r;
}

int32_t EditingFixture::move(const std::string& sheetName, int32_t x, int32_t y) {
    char status[261] = "junk", hint[261] = "junk";
    changed_ = 7;
    const int32_t r = SheetMouseMove(sheetName.c_str(), x, y, status, hint, &cursor_, &changed_);
    status_ = platform::cp1251ToUtf8(status);
    hint_ = platform::cp1251ToUtf8(hint);
    return r;
}

int32_t EditingFixture::up(const std::string& sheetName, int32_t x, int32_t y, uint8_t button) {
    char status[261] = "junk";
    changed_ = 7;
    const int32_t r = SheetMouseUp(sheetName.c_str(), x, y, button, status, &changed_);
    status_ = platform::cp1251ToUtf8(status);
    return r;
}

void EditingFixture::setCtrl(bool held) { g_ctrl = held; }

}  // namespace zo::test
