// Block preparation, redrawing and release, the pin finder and the drop's
// naming, on the kernel's state directly with the graphic library bound.

#include "KernelHost.h"

#include "common/MenObj.h"
#include "common/My_XML.h"
#include "common/Struct.h"
#include "common/abi/DragObject.h"
#include "common/abi/PinRecord.h"
#include "kernel/BlockDrop.h"
#include "kernel/BlockPrepare.h"
#include "kernel/GraficServices.h"
#include "kernel/HitTest.h"
#include "kernel/KernelLog.h"
#include "kernel/KernelRecord.h"
#include "kernel/KernelStart.h"
#include "kernel/KernelState.h"
#include "kernel/LineTypes.h"
#include "kernel/OutsideLibraries.h"
#include "kernel/Sheets.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>

using namespace zo;
using namespace zo::kernel;
using namespace zo::test;

namespace fs = std::filesystem;

namespace {

// Blocks the shipped files do not have: a pin type no line type carries, and
// more pins than a picture can hold.
std::string fixtureLibrary() {
    std::string huge;
    for (int i = 0; i < 1100; ++i) huge += "      <IN NAME=\"I" + std::to_string(i) + "\" TYPE=\"Bool\" DEFAULT=\"65535\"/>\n";
    return "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<FBD>\n  <GROUP NAME=\"Test\">\n"
           "    <BLOCK NAME=\"ODD\" IM=\"Odd pins\">\n"
           "      <IN NAME=\"A\" TYPE=\"Analog\" DEFAULT=\"65535\"/>\n"
           "      <OUT NAME=\"Q\" TYPE=\"word\" DEFAULT=\"65535\"/>\n"
           "    </BLOCK>\n"
           "    <BLOCK NAME=\"HUGE\" IM=\"Too many pins\">\n" +
           huge + "    </BLOCK>\n  </GROUP>\n</FBD>\n";
}

const char* const kAnd = "\\Library\\Logic.xml/FBD/Logic/AND";
const char* const kNot = "\\Library\\Logic.xml/FBD/Logic/NOT";
const char* const kIntToReal = "\\Library\\Math.xml/FBD/Convert/INT2REAL";
const char* const kOdd = "\\Fixture.xml/FBD/Test/ODD";
const char* const kHuge = "\\Fixture.xml/FBD/Test/HUGE";

// Stand-ins for the graphic library's entries.
int g_released = 0;
int32_t narrowPicture(void** picture, const TStructInstance*, const TStructInstance*, void* pins) {
    *picture = new QImage(6, 24, QImage::Format_RGB32);
    const TPinRecord pin{0, 0, 0, -1};
    return AddMenObjItem(pins, &pin);
}
int32_t releaseOwn(void** picture) {
    delete static_cast<QImage*>(*picture);
    *picture = nullptr;
    ++g_released;
    return 0;
}
int32_t failAfterOnePin(void**, const TStructInstance*, const TStructInstance*, void* pins) {
    const TPinRecord pin{9, 9, 0, -1};
    AddMenObjItem(pins, &pin);
    return -7;
}
int32_t noInspector(const char*, int32_t, const TStructInstance*, TPropertiesChangedProc) { return 0; }

std::vector<TPinRecord> pinsOf(const TBlockRecord& b) {
    std::vector<TPinRecord> out(b.Pins ? b.Pins->Count : 0);
    for (size_t i = 0; i < out.size(); ++i) std::memcpy(&out[i], b.Pins->GetItem(uint16_t(i)), sizeof(TPinRecord));
    return out;
}

std::string field(const TStructInstance& pair, const char* name) {
    const auto* s = static_cast<const TStruct*>(pair.Struct);
    int16_t index = -1;
    return s && s->FindItem(name, index) == 1 ? s->GetValue(pair.Data, index) : std::string("<none>");
}

void setField(const TStructInstance& pair, const char* name, const char* text) {
    const auto* s = static_cast<const TStruct*>(pair.Struct);
    int16_t index = -1;
    ASSERT_EQ(s->FindItem(name, index), 1) << name;
    ASSERT_EQ(s->SetValue(pair.Data, index, text), 0) << name;
}

class Preparation : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy(std::string(ZO_PROGRAM_DIR) + "/Library", program_.sub("Library"), fs::copy_options::recursive);
        writeBytes(program_.sub("Fixture.xml"), fixtureLibrary());
        CreateState();
        KernelState& s = State();
        s.structFolder = program_.path() + "\\Struct";
        s.structCache->ConvertOptions = ConvertOptions();
        s.convertOptions = ConvertOptions();
        FillKernelOptions(Options());
        Options().Inspector.ReplaceElementProperties = noInspector;
        SetLogCallback("test.log", LogRecorder::WriteProc);
        const std::string config = program_.sub("Struct/Config.xml");
        ASSERT_EQ(LoadLineTypes(config.c_str(), "Line_12px", "Line_12px_Mask", 12, &s.lineTypes), 0);
        CreateOutsideBindings();
        LoadGraficLibrary("\\System", nullptr, nullptr, nullptr);
        ASSERT_NE(GraficOptions(), nullptr);
        GraficOptions()->GraficInit(GraficOptions());
        wire();
        g_released = 0;
    }
    void TearDown() override {
        ClearSheets();
        ClearLineTypes(&State().lineTypes);
        DestroyOutsideBindings(nullptr);
        DestroyState();
    }
    // What KernelInit hands the graphic library.
    static void wire() { WireGraficLibrary(*GraficOptions()); }
    static TBlockRecord blockFor(const char* path) {
        TBlockRecord b{};
        std::strncpy(b.DescriptionPath, path, 260);
        return b;
    }
    TSheetRecord* addSheet(const char* name) {
        TSheetRecord r{};
        std::strcpy(r.Name, name);
        r.Width = 40;
        r.Height = 30;
        r.Blocks = new TMenObj;
        r.Blocks->SetItemSize(sizeof(TBlockRecord));
        r.Links = new TMenObj;
        r.Links->SetItemSize(sizeof(TConnectionRecord));
        State().sheets.AddItem(&r);
        return FindSheet(name);
    }
    // A prepared block placed with its top-left cell at (x, y).
    TBlockRecord* place(TSheetRecord* sheet, const char* path, int32_t x, int32_t y) {
        TBlockRecord b = blockFor(path);
        EXPECT_EQ(PrepareBlock(&b), 0) << path;
        b.Right += x;
        b.Bottom += y;
        b.Left = x;
        b.Top = y;
        sheet->Blocks->AddItem(&b);
        return static_cast<TBlockRecord*>(sheet->Blocks->GetItem(sheet->Blocks->Count - 1));
    }
    static void addLink(TSheetRecord* sheet, uint16_t x1, uint16_t y1, uint16_t x2, uint16_t y2, int16_t net) {
        TConnectionRecord l{};
        l.PointA = uint32_t(x1) | (uint32_t(y1) << 16);
        l.PointB = uint32_t(x2) | (uint32_t(y2) << 16);
        l.NetIndex = net;
        sheet->Links->AddItem(&l);
    }

    ProgramFolder program_;
    ScopedCurrentDir cd_{program_.path()};
    LogRecorder log_;
};

// ---- preparation ------------------------------------------------------------------------

TEST_F(Preparation, APreparedBlockHasItsRecordsPinsAndSize) {
    TBlockRecord b = blockFor(kAnd);
    ASSERT_EQ(PrepareBlock(&b), 0);
    EXPECT_STREQ(b.Name, "AND");
    EXPECT_EQ(field(b.Block, "In1"), "65535");
    EXPECT_EQ(field(b.Block, "Cod"), "1");
    EXPECT_EQ(field(b.Display, "Library"), "logic.inc");
    EXPECT_EQ(field(b.Display, "Turn"), "0");
    const auto* picture = static_cast<const QImage*>(b.Picture);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(ZO_FIELD(b, Left), 0);
    EXPECT_EQ(ZO_FIELD(b, Right), picture->width() / 12 - 1);
    EXPECT_EQ(ZO_FIELD(b, Bottom), picture->height() / 12 - 1);
    // Bool is the first line type.
    const std::vector<TPinRecord> pins = pinsOf(b);
    ASSERT_EQ(pins.size(), 3u);
    for (const TPinRecord& p : pins) EXPECT_EQ(p.LineType, 0);
    EXPECT_EQ(ReleaseBlock(&b), 0);
}

TEST_F(Preparation, PinsTakeTheLineTypeOfTheirTypeName) {
    struct Case {
        const char* path;
        std::vector<int16_t> lineTypes;  // in pin order
    };
    // Config.xml: Bool 0, Int 1, Word 2, Real 3; names match whatever their case.
    const Case cases[] = {{kIntToReal, {1, 3}}, {kOdd, {-1, 2}}, {kNot, {0, 0}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        TBlockRecord b = blockFor(c.path);
        ASSERT_EQ(PrepareBlock(&b), 0);
        std::vector<int16_t> got;
        for (const TPinRecord& p : pinsOf(b)) got.push_back(p.LineType);
        EXPECT_EQ(got, c.lineTypes);
        ReleaseBlock(&b);
    }
}

TEST_F(Preparation, DataAlreadyThereIsKeptAndANameAlreadyGivenToo) {
    TBlockRecord b = blockFor(kAnd);
    std::strcpy(b.Name, "Mine");
    const TStruct* description = State().structCache->GetStruct(kAnd);
    ASSERT_NE(description, nullptr);
    void* data = std::calloc(1, size_t(description->GetSize()));
    description->SetDefaults(data);
    int16_t cod = -1;
    ASSERT_EQ(description->FindItem("Cod", cod), 1);
    description->SetValue(data, cod, "55");
    b.Block.Data = data;
    ASSERT_EQ(PrepareBlock(&b), 0);
    EXPECT_EQ(ZO_FIELD(b, Block).Data, data);
    EXPECT_EQ(field(b.Block, "Cod"), "55");
    EXPECT_STREQ(b.Name, "Mine");
    ReleaseBlock(&b);
}

TEST_F(Preparation, EveryFailureReleasesWhatPreparationMade) {
    struct Case {
        const char* what;
        const char* path;
        bool narrow;  // the graphic library makes a picture narrower than a cell
        int result;
        int32_t left = 0;
    };
    const Case cases[] = {
        {"no such block", "\\Library\\Logic.xml/FBD/Logic/NAND", false, -2},
        {"a picture too large to draw", kHuge, false, -3},
        {"a picture narrower than a cell", kAnd, true, -3},
        {"a place whose rectangle cannot be held", kAnd, false, -3, std::numeric_limits<int32_t>::max()},
    };
    const TGraficDrawBlockProc draw = GraficOptions()->DrawBlock;
    const TGraficReleaseProc release = GraficOptions()->ReleasePicture;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_released = 0;
        GraficOptions()->DrawBlock = c.narrow ? narrowPicture : draw;
        GraficOptions()->ReleasePicture = c.narrow ? releaseOwn : release;
        for (bool ownData : {false, true}) {
            TBlockRecord b = blockFor(c.path);
            b.Left = c.left;
            void* data = ownData ? std::calloc(1, 4096) : nullptr;
            b.Block.Data = data;
            EXPECT_EQ(PrepareBlock(&b), c.result);
            EXPECT_EQ(ZO_FIELD(b, Picture), nullptr);
            EXPECT_EQ(ZO_FIELD(b, Pins), nullptr);
            EXPECT_EQ(ZO_FIELD(b, Display).Data, nullptr);
            EXPECT_EQ(ZO_FIELD(b, Block).Data, data);  // the caller's record stays the caller's
            EXPECT_EQ(ZO_FIELD(b, Block).Struct, nullptr);
            std::free(data);
        }
        EXPECT_EQ(g_released, c.narrow ? 2 : 0);
    }
    GraficOptions()->DrawBlock = draw;
    GraficOptions()->ReleasePicture = release;
    EXPECT_EQ(PrepareBlock(nullptr), -1);
}

TEST_F(Preparation, WithoutTheGraphicLibraryNothingIsPrepared) {
    UnloadGraficLibrary(nullptr);
    TBlockRecord b = blockFor(kAnd);
    EXPECT_EQ(PrepareBlock(&b), -1);
    EXPECT_EQ(ZO_FIELD(b, Block).Struct, nullptr);
    EXPECT_EQ(ZO_FIELD(b, Display).Data, nullptr);
}

// ---- redraw and release ---------------------------------------------------------------------

TEST_F(Preparation, RedrawFollowsTheTurnAndKeepsThePinsWhenDrawingFails) {
    TSheetRecord* sheet = addSheet("Main");
    TBlockRecord* b = place(sheet, kAnd, 3, 4);
    const int32_t wide = b->Right - b->Left + 1, high = b->Bottom - b->Top + 1;
    setField(b->Display, "Turn", "1");
    ASSERT_EQ(RedrawBlockPicture(b), 0);
    EXPECT_EQ(ZO_FIELD(*b, Left), 3);
    EXPECT_EQ(ZO_FIELD(*b, Right) - ZO_FIELD(*b, Left) + 1, high);
    EXPECT_EQ(ZO_FIELD(*b, Bottom) - ZO_FIELD(*b, Top) + 1, wide);
    const std::vector<TPinRecord> pins = pinsOf(*b);
    ASSERT_EQ(pins.size(), 3u);
    for (const TPinRecord& p : pins) EXPECT_EQ(p.LineType, 0);

    const TGraficDrawBlockProc draw = GraficOptions()->DrawBlock;
    GraficOptions()->DrawBlock = failAfterOnePin;
    const void* picture = b->Picture;
    EXPECT_EQ(RedrawBlockPicture(b), -7);
    GraficOptions()->DrawBlock = draw;
    EXPECT_EQ(ZO_FIELD(*b, Picture), picture);
    const std::vector<TPinRecord> kept = pinsOf(*b);
    ASSERT_EQ(kept.size(), pins.size());
    EXPECT_EQ(std::memcmp(kept.data(), pins.data(), pins.size() * sizeof(TPinRecord)), 0);
    EXPECT_EQ(ZO_FIELD(*b, Right) - ZO_FIELD(*b, Left) + 1, high);

    TBlockRecord bare = blockFor(kAnd);
    EXPECT_EQ(RedrawBlockPicture(&bare), -1);
    EXPECT_EQ(RedrawBlockPicture(nullptr), -1);
}

TEST_F(Preparation, ReleaseClearsEveryReference) {
    TBlockRecord b = blockFor(kAnd);
    ASSERT_EQ(PrepareBlock(&b), 0);
    EXPECT_EQ(ReleaseBlock(&b), 0);
    EXPECT_EQ(ZO_FIELD(b, Block).Struct, nullptr);
    EXPECT_EQ(ZO_FIELD(b, Block).Data, nullptr);
    EXPECT_EQ(ZO_FIELD(b, Display).Struct, nullptr);
    EXPECT_EQ(ZO_FIELD(b, Display).Data, nullptr);
    EXPECT_EQ(ZO_FIELD(b, Pins), nullptr);
    EXPECT_EQ(ZO_FIELD(b, Picture), nullptr);
    EXPECT_EQ(ReleaseBlock(&b), 0);  // nothing left to free
    EXPECT_EQ(ReleaseBlock(nullptr), -1);
}

// ---- what lies under a point -------------------------------------------------------------------

TEST_F(Preparation, FindPinAtPrefersTheLastBlockTheFirstConnectionAndAnOutputField) {
    TSheetRecord* sheet = addSheet("Main");
    TBlockRecord* a = place(sheet, kAnd, 2, 2);
    place(sheet, kNot, 20, 2);
    // A block without its description over the first one is passed over.
    TBlockRecord shadow{};
    shadow.Left = 2;
    shadow.Top = 2;
    shadow.Right = 30;
    shadow.Bottom = 10;
    sheet->Blocks->AddItem(&shadow);
    addLink(sheet, 10, 15, 16, 15, 4);
    addLink(sheet, 12, 15, 12, 20, 7);
    a = static_cast<TBlockRecord*>(sheet->Blocks->GetItem(0));
    TBlockRecord* n = static_cast<TBlockRecord*>(sheet->Blocks->GetItem(1));

    // Block and pin.
    const std::vector<TPinRecord> pins = pinsOf(*a);
    TPinHit hit;
    ASSERT_EQ(FindPinAt("main", (a->Left + pins[0].X) * 12 + 3, (a->Top + pins[0].Y) * 12 + 11, hit), 0);
    EXPECT_EQ(hit.Sheet, sheet);
    EXPECT_EQ(hit.Block, a);
    EXPECT_EQ(hit.BlockIndex, 0);
    ASSERT_NE(hit.Pin, nullptr);
    EXPECT_EQ(ZO_FIELD(*hit.Pin, FieldIndex), pins[0].FieldIndex);
    EXPECT_EQ(hit.Link, nullptr);
    ASSERT_EQ(FindPinAt("Main", (a->Left + 1) * 12, a->Top * 12, hit), 0);
    EXPECT_EQ(hit.Block, a);
    EXPECT_EQ(hit.Pin, nullptr);

    // Connections: the first whose rectangle holds the cell, ends included;
    // its net is found at the first OUT field bound to it, else the first IN.
    setField(a->Block, "In1", "4");
    setField(n->Block, "In", "4");
    ASSERT_EQ(FindPinAt("Main", 12 * 12, 15 * 12, hit), 0);
    EXPECT_EQ(hit.LinkIndex, 0);
    EXPECT_EQ(hit.Block, nullptr);
    EXPECT_EQ(hit.PinItemBlock, 0);
    ASSERT_NE(hit.PinItem, nullptr);
    EXPECT_STREQ(hit.PinItem->Name, "In1");
    setField(n->Block, "Q", "4");
    ASSERT_EQ(FindPinAt("Main", 16 * 12 + 11, 15 * 12, hit), 0);
    EXPECT_EQ(hit.LinkIndex, 0);
    EXPECT_EQ(hit.PinItemBlock, 1);
    EXPECT_STREQ(hit.PinItem->Name, "Q");
    ASSERT_EQ(FindPinAt("Main", 12 * 12, 20 * 12, hit), 0);
    EXPECT_EQ(hit.LinkIndex, 1);
    EXPECT_EQ(hit.PinItem, nullptr);  // nothing bound to net 7

    EXPECT_EQ(FindPinAt(nullptr, 0, 0, hit), -1);
    EXPECT_EQ(hit.Sheet, nullptr);
    EXPECT_EQ(FindPinAt("Other", 0, 0, hit), -2);
}

// ---- the shipped element library files ------------------------------------------------------------

// Description paths of every BLOCK below the current element (FBD or GROUP).
void collectBlocks(TZo_XML& xml, const std::string& place, std::vector<std::string>& out) {
    if (xml.GoFirstChild() != 0) return;
    do {
        const std::string name = xml.GetNodeName();
        if (name == "GROUP") collectBlocks(xml, place + "/" + xml.GetAttribute("NAME"), out);
        if (name == "BLOCK") out.push_back(place + "/" + xml.GetAttribute("NAME"));
    } while (xml.GoNextSibling() == 0);
    xml.GoParent();
}

TEST_F(Preparation, EveryShippedBlockPreparesWithTypedPinsCodeAndComments) {
    fs::copy(std::string(ZO_PROGRAM_DIR) + "/Device", program_.sub("Device"), fs::copy_options::recursive);
    const char* const files[] = {"\\Library\\Logic.xml", "\\Library\\Math.xml", "\\Library\\Channels.xml",
                                 "\\Library\\Timers\\Timers.xml", "\\Device\\OrvantaPLC.dev",
                                 "\\Device\\OrvantaAVR.dev"};
    std::vector<std::string> paths;
    for (const char* file : files) {
        SCOPED_TRACE(file);
        // What the element library window requires of a file.
        std::string native = std::string(file).substr(1);
        std::replace(native.begin(), native.end(), '\\', '/');
        EXPECT_GE(fs::file_size(program_.sub(native)), 200u);
        TZo_XML xml;
        ASSERT_EQ(xml.OpenFile(file), 0);
        xml.GoRoot();
        xml.SetMark();
        ASSERT_EQ(xml.CountFromMark("FBD"), 1);
        ASSERT_EQ(xml.FindFromMark("FBD"), 0);
        collectBlocks(xml, std::string(file) + "/FBD", paths);
    }
    EXPECT_GE(paths.size(), 20u);
    const std::vector<std::string> channels = {"In", "Out"};
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        TBlockRecord b = blockFor(path.c_str());
        ASSERT_EQ(PrepareBlock(&b), 0);
        const std::vector<TPinRecord> pins = pinsOf(b);
        EXPECT_FALSE(pins.empty());
        for (const TPinRecord& p : pins) {
            EXPECT_GE(p.LineType, 0);
            EXPECT_EQ(field(b.Block, static_cast<const TStruct*>(b.Block.Struct)->GetItemName(p.FieldIndex).c_str()),
                      "65535");
        }
        const bool channel = std::find(channels.begin(), channels.end(), std::string(b.Name)) != channels.end();
        EXPECT_EQ(field(b.Block, "Cod") == "<none>", channel);
        EXPECT_EQ(field(b.Display, "Library").empty(), channel);
        if (channel) {
            EXPECT_NE(field(b.Block, "ID"), "<none>");
        }
        std::vector<std::string> comments;
        EXPECT_EQ(ReadBlockComments(path.c_str(), &comments), 0);
        EXPECT_FALSE(comments.empty());
        ReleaseBlock(&b);
    }
}

// ---- the drop's names after a real deletion ---------------------------------------------------------

TEST_F(Preparation, ADeletedBlocksNumberIsTakenAgain) {
    TSheetRecord* sheet = addSheet("Main");
    TLibraryNodeRecord node{};
    std::strcpy(node.Path, kAnd);
    TDragControl tree{};
    std::strcpy(tree.ClassName, "TTreeView");
    tree.SelectedData = &node;
    TMyDragObject drag{};
    std::strcpy(drag.ClassName, "TMyDragObject");
    drag.SourceTree = &tree;
    ASSERT_EQ(SheetDragDrop("Main", &drag, 0, 0), 0);
    ASSERT_EQ(SheetDragDrop("Main", &drag, 15 * 12, 0), 0);
    ReleaseBlock(static_cast<TBlockRecord*>(sheet->Blocks->GetItem(0)));
    sheet->Blocks->DeleteItem(0);
    ASSERT_EQ(SheetDragDrop("Main", &drag, 0, 15 * 12), 0);
    EXPECT_STREQ(static_cast<TBlockRecord*>(sheet->Blocks->GetItem(0))->Name, "AND 2");
    EXPECT_STREQ(static_cast<TBlockRecord*>(sheet->Blocks->GetItem(1))->Name, "AND 1");
}

}  // namespace
