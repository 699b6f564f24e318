// The picture a sheet's paint hands out after an edit is the picture a paint
// from nothing gives, pixel for pixel, whatever the painter kept of the last
// one: a table of edits made through the kernel's slots, each painted as it
// comes and then again after the kept picture was forgotten.

#include "EditingFixture.h"
#include "SheetKernel.h"

#include "common/MenObj.h"
#include "common/Struct.h"
#include "common/abi/AbiLayout.h"
#include "common/abi/KeyCodes.h"
#include "kernel/BlockDrop.h"
#include "kernel/BlockPrepare.h"
#include "kernel/Gesture.h"
#include "kernel/KernelState.h"
#include "kernel/KeyboardEditing.h"
#include "kernel/OutsideLibraries.h"
#include "kernel/RepaintRequests.h"
#include "kernel/SchemePaint.h"
#include "kernel/Selection.h"
#include "platform/Cp1251.h"

#include <QImage>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace zo;
using namespace zo::kernel;
using namespace zo::test;

namespace {

// A cell's centre in sheet pixels.
int32_t px(int32_t cell) { return cell * 12 + 6; }

class PaintedSheet : public EditingFixture {
protected:
    void SetUp() override {
        EditingFixture::SetUp();
        addSheet("S", 60, 40);
        addSheet("T", 30, 20);
        State().mode = kModeSelect;
        and_ = addBlock("S", "AND", 3, 4);
        cnt_ = addBlock("S", "CNT", 22, 5, 1);
        addBlock("S", "AND", 34, 18, 2);
        addBlock("S", "CNT", 10, 26, 3);
        addBlock("S", "NOTE", 44, 4);
        addBlock("T", "AND", 2, 2);
        addLink("S", 1, 16, 40, 16);
        addLink("S", 14, 2, 14, 34);  // crosses the first
        addLink("S", 40, 16, 40, 30);
        addLink("S", 40, 30, 50, 30);
    }

    QImage paint(const char* name = "S") {
        void* bitmap = nullptr;
        EXPECT_EQ(PaintScheme(name, &bitmap), 0);
        return bitmap ? static_cast<const QImage*>(bitmap)->copy() : QImage();
    }
    // The same sheet painted from nothing.
    QImage paintWhole(const char* name = "S") {
        ForgetPaintedPictures();
        return paint(name);
    }
    int32_t key(uint16_t code, uint8_t shift = 0) {
        uint8_t changed = 0;
        return SheetKeyDown("S", code, shift, &changed);
    }
    // A field of a block's display parameters (then its picture drawn again, as
    // a property change does) or of its data.
    void setDisplay(int index, const char* field, const char* value) {
        TBlockRecord* b = block("S", index);
        setField(ZO_FIELD(*b, Display), field, value);
        ASSERT_EQ(RedrawBlockPicture(b), 0);
    }
    void setPin(int index, const char* field, const char* net) {
        setField(ZO_FIELD(*block("S", index), Block), field, net);
    }
    static void setField(TStructInstance instance, const char* field, const char* value) {
        auto* s = static_cast<TStruct*>(instance.Struct);
        int16_t i = -1;
        ASSERT_TRUE(s->FindItem(field, i));
        ASSERT_EQ(s->SetValue(instance.Data, i, value), 0);
    }
    // The centre of a block's second row (its body, below the label's reach).
    int32_t bodyX(int index) { return px(block("S", index)->Left + 1); }
    int32_t bodyY(int index) { return px(block("S", index)->Top + 1); }

    int and_ = -1, cnt_ = -1;
};

// Pictures equal but for the debug mode's timing line in the bottom right corner.
bool sameBesideTiming(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return false;
    const int timingTop = a.height() - 20, timingLeft = a.width() - 260;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if ((y < timingTop || x < timingLeft) && a.pixel(x, y) != b.pixel(x, y)) return false;
    return true;
}

struct Edit {
    const char* what;
    std::function<void()> make;
    bool shows = true;    // the picture changes
    bool partial = true;  // only a part of it is painted again
};

}  // namespace

TEST_F(PaintedSheet, EveryEditPaintsWhatAPaintFromNothingPaints) {
    LoadDebugLibrary("System\\", nullptr);
    ASSERT_NE(DebugOptions(), nullptr);
    LibraryDrag drag(libraryPath_ + "/FBD/Test/CNT");
    const std::vector<Edit> edits = {
        {"a click selects a block",
         [this] {
             ASSERT_EQ(down("S", bodyX(and_), bodyY(and_)), 0);
             ASSERT_EQ(up("S", bodyX(and_), bodyY(and_)), 0);
         }},
        {"the selection is dragged one cell",
         [this] {
             ASSERT_EQ(down("S", bodyX(and_), bodyY(and_)), 0);
             ASSERT_EQ(move("S", bodyX(and_) + 12, bodyY(and_) + 12), 0);
         }},
        {"the drag goes on over a connection",
         [this] { ASSERT_EQ(move("S", bodyX(and_) + 36, bodyY(and_) + 96), 0); }},
        {"the drag is dropped",
         [this] { ASSERT_EQ(up("S", bodyX(and_) + 36, bodyY(and_) + 96), 0); }},
        {"the selected block moves by a key", [this] { ASSERT_EQ(key(kKeyRight, kShiftBitCtrl), 0); }},
        {"a Ctrl-click adds a turned block",
         [this] {
             setCtrl(true);
             ASSERT_EQ(down("S", bodyX(cnt_), bodyY(cnt_)), 0);
             ASSERT_EQ(up("S", bodyX(cnt_), bodyY(cnt_)), 0);
             setCtrl(false);
         }},
        {"the rubber band opens",
         [this] {
             ASSERT_EQ(down("S", px(30), px(33)), 0);
             ASSERT_EQ(move("S", px(20), px(25)), 0);
         }},
        {"the rubber band grows over blocks and connections",
         [this] { ASSERT_EQ(move("S", px(2), px(12)), 0); }},
        {"the rubber band shrinks to a turned block", [this] { ASSERT_EQ(move("S", px(8), px(20)), 0); }},
        {"the rubber band is released", [this] { ASSERT_EQ(up("S", px(8), px(20)), 0); }},
        {"the selection is deleted", [this] { ASSERT_EQ(key(kKeyDelete), 0); }},
        {"a library block is dropped",
         [&drag] { ASSERT_EQ(SheetDragDrop("S", drag.source(), px(46), px(33)), 0); }},
        {"the mode becomes laying straight connections", [] { State().mode = kModeStraight; }, true, false},
        {"a connection is being laid",
         [this] {
             ASSERT_EQ(down("S", px(4), px(36)), 0);
             ASSERT_EQ(move("S", px(28), px(36)), 0);
         }},
        {"the connection being laid turns", [this] { ASSERT_EQ(move("S", px(28), px(10)), 0); }},
        {"the connection is laid (where its route was drawn)",
         [this] { up("S", px(28), px(10)); }, false},
        {"the mode becomes selecting", [] { State().mode = kModeSelect; }, false, false},
        {"a block's label and turn change",
         [this] {
             setDisplay(and_, "Label", ZO_RU("Пуск насоса").c_str());
             setDisplay(and_, "Turn", "3");
         }},
        {"a block is renamed in the inspector",
         [this] {
             TBlockRecord* b = block("S", cnt_);
             std::memset(b->Name, 0, sizeof b->Name);
             std::strcpy(b->Name, ZO_RU("Счёт").c_str());
             OnBlockPropertiesChanged();  // what the inspector calls after storing a value
         }},
        {"debugging starts with values",
         [this] {
             setPin(cnt_, "C", "0");
             setPin(cnt_, "N", "1");
             State().netValues = {TNetValue{"12", 1u << 24}, TNetValue{"err", 0}};
             State().mode = kModeDebug;
             ClearRepaintRequest();
         },
         true, false},
        {"a debug value changes", [] { State().netValues[0] = TNetValue{"-7", 0}; }, true, false},
        {"debugging ends", [] { State().mode = kModeSelect; }, true, false},
    };
    QImage last = paintWhole();
    for (const Edit& edit : edits) {
        SCOPED_TRACE(edit.what);
        edit.make();
        const QImage painted = paint();
        if (edit.partial) {
            EXPECT_LT(LastPaintedPixels(), uint64_t(painted.width()) * uint64_t(painted.height()) / 2);
        }
        if (edit.shows) {
            EXPECT_NE(painted, last) << "the edit changed nothing to look at";
        }
        const QImage whole = paintWhole();
        if (State().mode == kModeDebug) {
            EXPECT_TRUE(sameBesideTiming(painted, whole));
        } else {
            EXPECT_EQ(painted, whole);
        }
        last = whole;
    }
}

TEST_F(PaintedSheet, AnotherSheetPaintedBetweenKeepsBothRight) {
    paint("S");
    paint("T");
    ASSERT_EQ(down("S", bodyX(and_), bodyY(and_)), 0);
    ASSERT_EQ(move("S", bodyX(and_) + 24, bodyY(and_)), 0);
    const QImage s = paint("S");
    const QImage t = paint("T");
    EXPECT_EQ(s, paintWhole("S"));
    EXPECT_EQ(t, paintWhole("T"));
}

TEST_F(PaintedSheet, ChangesMadeBesideTheSlotsAreSeen) {
    paint();
    // Straight into the records, as a test or a property change does.
    block("S", and_)->Selected = 1;
    sheet("S")->Links->Data[0] = 1;
    EXPECT_EQ(paint(), paintWhole());
    block("S", cnt_)->Left += 2;
    block("S", cnt_)->Right += 2;
    EXPECT_EQ(paint(), paintWhole());
    sheet("S")->Width = 50;  // the canvas
    EXPECT_EQ(paint(), paintWhole());
    TBlockRecord* b = block("S", and_);
    void* picture = b->Picture;
    b->Picture = nullptr;
    EXPECT_EQ(paint(), paintWhole());
    b->Picture = picture;
    EXPECT_EQ(paint(), paintWhole());
}
