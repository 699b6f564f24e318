#include "ProjectModel.h"

#include "common/MenObj.h"
#include "common/Struct.h"
#include "common/abi/PinRecord.h"
#include "kernel/DeviceFile.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelState.h"
#include "kernel/ProjectFile.h"

#include <cstdlib>
#include <cstring>

using namespace zo::kernel;

namespace zo::test {

namespace {

const char* const kDevice = R"(<?xml version="1.0" encoding="windows-1251"?>
<Micro Program="VT_win.exe" ConfigFileType="1">
  <Structure>
    <BLOCK NAME="Header" IM="Параметры контроллера">
      <VAR NAME="Device" TYPE="String20" IM="Устройство"/>
      <VAR NAME="Name" TYPE="String60" IM="Имя проекта"/>
      <VAR NAME="IP" TYPE="String15" DEFAULT="192.168.0.10" IM="Адрес"/>
      <VAR NAME="Port" TYPE="Word" DEFAULT="502" IM="Порт"/>
    </BLOCK>
  </Structure>
</Micro>
)";

void copyText(char* destination, size_t size, const std::string& text) {
    std::memset(destination, 0, size);
    std::strncpy(destination, text.c_str(), size - 1);
}

void* newRecord(const TStruct* description) {
    void* record = std::calloc(1, size_t(description->GetSize()));
    description->SetDefaults(record);
    return record;
}

}  // namespace

void ProjectModel::SetUp() {
    CreateState();
    savedOptions_ = Options();
    KernelState& s = State();
    s.structFolder = program_.path() + "\\Struct";
    s.deviceFolder = program_.path() + "\\Device";
    s.convertOptions = zo::test::ConvertOptions();
    s.structCache->ConvertOptions = zo::test::ConvertOptions();
    SetLogCallback("Test.log", LogRecorder::WriteProc);
    writeBytes(file("Device/Test.dev"), cp(kDevice));
}

void ProjectModel::TearDown() {
    freeModel();
    Options() = savedOptions_;
    DestroyState();
}

std::string ProjectModel::basePath(const std::string& block) const {
    return program_.path() + "\\Struct\\Base.xml" + cp("/FBD/Вход Выход/") + block;
}

void ProjectModel::newProject(const std::string& projectNameUtf8, uint8_t configFileType) {
    KernelState& s = State();
    copyText(s.deviceFileName, sizeof s.deviceFileName, "Test.dev");
    copyText(s.deviceProgram, sizeof s.deviceProgram, "VT_win.exe");
    copyText(s.projectName, sizeof s.projectName, cp(projectNameUtf8));
    s.configFileType = configFileType;
    TStruct* header = HeaderDescription();
    ASSERT_NE(header, nullptr);
    std::free(s.headerRecord);
    s.headerRecord = newRecord(header);
    int16_t index = -1;
    ASSERT_EQ(header->FindItem("Device", index), 1);
    header->SetValue(s.headerRecord, index, "Test");
    ASSERT_EQ(header->FindItem("Name", index), 1);
    header->SetValue(s.headerRecord, index, cp(projectNameUtf8).c_str());
}

uint16_t ProjectModel::addSheet(const std::string& nameUtf8) {
    TSheetRecord r{};
    copyText(r.Name, sizeof r.Name, cp(nameUtf8));
    r.Width = 40;
    r.Height = 30;
    r.Left = 50;
    r.Top = 50;
    r.Right = 150;
    r.Bottom = 100;
    r.Blocks = new TMenObj;
    r.Blocks->SetItemSize(sizeof(TBlockRecord));
    r.Links = new TMenObj;
    r.Links->SetItemSize(sizeof(TConnectionRecord));
    State().sheets.AddItem(&r);
    return uint16_t(State().sheets.Count - 1);
}

TSheetRecord* ProjectModel::sheet(uint16_t index) { return static_cast<TSheetRecord*>(State().sheets.GetItem(index)); }

uint16_t ProjectModel::addBlock(uint16_t sheetIndex, const std::string& path, const std::string& nameUtf8,
                                int32_t left, int32_t top) {
    TBlockRecord b{};
    copyText(b.Name, sizeof b.Name, cp(nameUtf8));
    copyText(b.DescriptionPath, sizeof b.DescriptionPath, path);
    b.Left = left;
    b.Top = top;
    b.Right = left + 2;
    b.Bottom = top + 1;
    TStruct* description = State().structCache->GetStruct(path.c_str());
    TStruct* display = StructDescription(DisplayDescriptionName());
    EXPECT_NE(description, nullptr) << path;
    EXPECT_NE(display, nullptr);
    if (description) b.Block = {description, newRecord(description)};
    if (display) b.Display = {display, newRecord(display)};
    TMenObj* blocks = sheet(sheetIndex)->Blocks;
    blocks->AddItem(&b);
    return uint16_t(blocks->Count - 1);
}

TBlockRecord* ProjectModel::block(uint16_t sheetIndex, uint16_t index) {
    return static_cast<TBlockRecord*>(sheet(sheetIndex)->Blocks->GetItem(index));
}

void ProjectModel::setData(TBlockRecord* b, const std::string& field, const std::string& valueUtf8) {
    const auto* description = static_cast<const TStruct*>(b->Block.Struct);
    int16_t index = -1;
    ASSERT_EQ(description->FindItem(field.c_str(), index), 1) << field;
    ASSERT_EQ(description->SetValue(b->Block.Data, index, cp(valueUtf8).c_str()), 0) << field;
}

std::string ProjectModel::data(const TBlockRecord* b, const std::string& field) const {
    const auto* description = static_cast<const TStruct*>(b->Block.Struct);
    int16_t index = -1;
    if (!description || !description->FindItem(field.c_str(), index)) return "<none>";
    return utf(description->GetValue(b->Block.Data, index));
}

void ProjectModel::addPin(TBlockRecord* b, int16_t x, int16_t y, int16_t field, int16_t lineType) {
    if (!b->Pins) {
        b->Pins = new TMenObj;
        b->Pins->SetItemSize(sizeof(TPinRecord));
    }
    const TPinRecord pin{x, y, field, lineType};
    b->Pins->AddItem(&pin);
}

void ProjectModel::addLink(uint16_t sheetIndex, uint16_t x1, uint16_t y1, uint16_t x2, uint16_t y2) {
    TConnectionRecord c{};
    c.PointA = point(x1, y1);
    c.PointB = point(x2, y2);
    sheet(sheetIndex)->Links->AddItem(&c);
}

TConnectionRecord ProjectModel::link(uint16_t sheetIndex, uint16_t index) {
    TConnectionRecord c{};
    sheet(sheetIndex)->Links->CopyItem(index, &c);
    return c;
}

void ProjectModel::freeModel() {
    if (!StateExists()) return;
    KernelState& s = State();
    for (uint16_t i = 0; i < s.sheets.Count; ++i) {
        TSheetRecord* r = sheet(i);
        if (TMenObj* blocks = r->Blocks) {
            for (uint16_t k = 0; k < blocks->Count; ++k) {
                auto* b = static_cast<TBlockRecord*>(blocks->GetItem(k));
                std::free(b->Block.Data);
                std::free(b->Display.Data);
                delete b->Pins;
            }
        }
        delete r->Blocks;
        delete r->Links;
    }
    s.sheets.Clear();
    std::free(s.headerRecord);
    s.headerRecord = nullptr;
}

}  // namespace zo::test
