// The property inspector over real structure descriptions and the conversion
// library: the host callbacks and their codes, rows, folding and scrolling,
// painting, and editing with its checks.

#include "common/Struct.h"
#include "configurator/link/InspectorCallbacks.h"
#include "configurator/link/InspectorLink.h"
#include "configurator/windows/ObjInspect.h"

#include "configurator/windows/InspectorWindows.h"
#include "platform/DialogHook.h"
#include "platform/Cp1251.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QColorDialog>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <memory>

using namespace zo;
using namespace zo::configurator;
using namespace zo::test;

namespace {

int g_changes = 0;
void changed() { ++g_changes; }
std::vector<std::string> g_status;
int32_t statusText(int32_t panel, const char* text) {
    g_status.push_back(std::to_string(panel) + ":" + platform::cp1251ToUtf8(text));
    return 0;
}
void* noItemPtr(const TStructInstance*, uint16_t) { return nullptr; }

const TConvertOptions* convert() {
    static const LibraryRecord lib = LoadLibraryRecord("ZoConvert.so");
    return static_cast<const TConvertOptions*>(lib.record);
}

std::string descriptionFile() {
    std::string big = "<BLOCK NAME=\"Big\" IM=\"Много\">";
    for (int i = 0; i < 30; ++i)
        big += "<VAR NAME=\"V" + std::to_string(i) + "\" TYPE=\"Word\" DEFAULT=\"" + std::to_string(i) + "\"/>";
    big += "</BLOCK>";
    return "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n" + cp(R"(<Orvanta><STRUCT>
<BLOCK NAME="Blk" IM="Блок">
  <IN NAME="In1" TYPE="Bool" DEFAULT="65535" IM="Вход"/>
  <VAR NAME="Count" TYPE="Word" DEFAULT="5" IM="Счет"/>
  <VAR NAME="On" TYPE="Byte" DEFAULT="1" IM="Включен" LIST="ДаНет"/>
  <VAR NAME="Password" TYPE="String10" DEFAULT="secret" IM="Пароль"/>
  <VAR NAME="Label" TYPE="String10" DEFAULT="abc" IM="Подпись"/>
  <FIELD NAME="Code" TYPE="Word" DEFAULT="7" IM="Код"/>
</BLOCK>
<BLOCK NAME="Col" IM="Цвет"><VAR NAME="GridColor" TYPE="Color" DEFAULT="12632256" IM="Цвет сетки"/></BLOCK>)" + big + R"(</STRUCT>
<List><ДаНет><Line Val="Нет=0"/><Line Val="Да=1"/></ДаНет></List></Orvanta>)");
}

struct Record {
    explicit Record(const char* path) {
        desc.ConvertOptions = convert();
        EXPECT_EQ(desc.LoadStructDescription(path), 0);
        bytes.assign(size_t(std::max(desc.GetSize(), 1)), 0);
        desc.SetDefaults(bytes.data());
    }
    TStructInstance instance() { return {&desc, bytes.data()}; }
    std::string value(int index) const { return platform::cp1251ToUtf8(desc.GetValue(bytes.data(), index)); }
    TStruct desc;
    std::vector<uint8_t> bytes;
};

class Inspector : public ::testing::Test {
protected:
    void SetUp() override {
        g_changes = 0;
        g_status.clear();
        record_.ConvertOptions = const_cast<TConvertOptions*>(convert());
        record_.SetStatusText = statusText;
        record_.GetStructPath = GetStructPath;
        FillStructAccess(record_.StructAccess);
        record_.GetStructItemPtr = GetStructItemPtr;
        link_.SetRecord(&record_);
        form = std::make_unique<TObjInspect>(link_, 0);
        windows_.SetDocked(form.get(), &link_);
        InstallInspectorCallbacks(record_, windows_.Handlers());
        form->resize(300, 400);
    }
    void TearDown() override {
        RemoveInspectorCallbacks();
        windows_.DestroyFloating();
        form.reset();
    }
    // The grid point in the middle of a row's value cell.
    QPoint rowPoint(int row) const {
        const TInspectorGrid& g = form->Grid();
        return QPoint(g.NameWidth + 20, g.CaptionHeight() + 1 + (row - g.TopRow) * g.RowHeight() + g.RowHeight() / 2);
    }
    void press(int row) {
        form->FormMouseMove(rowPoint(row));
        form->FormMouseDown(rowPoint(row));
    }
    int replace(std::vector<TStructInstance> items, const char* caption = "Blk") {
        return record_.ReplaceElementProperties(caption, int32_t(items.size()), items.data(), changed);
    }

    TempDir dir_;
    ScopedCurrentDir cd_{dir_.path()};
    UiRecorder ui_;
    TInspectorRecord record_{};
    InspectorLink link_;
    std::unique_ptr<TObjInspect> form;
    TInspectorWindows windows_;
    int written_ = (writeBytes(dir_.file("Desc.xml"), descriptionFile()), 0);
    Record blk_{"\\Desc.xml/STRUCT/Blk"};
};

TEST_F(Inspector, ReplaceAnswersItsCodesAndKeepsItsOwnCopyOfThePairs) {
    EXPECT_EQ(record_.ReplaceElementProperties(nullptr, 1, nullptr, nullptr), -2);
    EXPECT_EQ(record_.ReplaceElementProperties("Caption", 0, nullptr, nullptr), -3);
    EXPECT_TRUE(form->Items().empty());
    // An empty grid: the header brush everywhere, no caption row.
    const QImage& empty = form->GridBitmap();
    EXPECT_EQ(QColor(empty.pixel(empty.width() / 2, 5)), QColor(0xC8, 0xC8, 0xC8));

    Record second("\\Desc.xml/STRUCT/Blk");
    auto pairs = std::make_unique<TStructInstance[]>(2);
    pairs[0] = blk_.instance();
    pairs[1] = second.instance();
    EXPECT_EQ(record_.ReplaceElementProperties("Two", 2, pairs.get(), changed), 0);
    pairs.reset();  // the caller's array goes; the inspector keeps whole pairs
    ASSERT_EQ(form->Items().size(), 2u);
    EXPECT_EQ(form->Items()[1].Data, second.bytes.data());
    EXPECT_EQ(form->Items()[1].Struct, &second.desc);

    form.reset();
    EXPECT_EQ(record_.ReplaceElementProperties("Gone", 1, nullptr, nullptr), -1);
}

TEST_F(Inspector, ThirtyFieldsInTenRowsScrollOverTwentyOneAndFoldingShrinksTheRange) {
    Record big("\\Desc.xml/STRUCT/Big");
    ASSERT_EQ(replace({big.instance()}, "Big"), 0);
    const TInspectorGrid& g = form->Grid();
    form->resize(300, g.CaptionHeight() + 1 + 10 * g.RowHeight() + g.RowHeight() / 2);
    form->FormPaint();
    EXPECT_EQ(form->Grid().VisibleRows(), 10);
    EXPECT_FALSE(form->SB()->isHidden());
    EXPECT_EQ(form->SB()->minimum(), 0);
    EXPECT_EQ(form->SB()->maximum(), 21);
    form->SB()->setValue(5);
    EXPECT_EQ(form->Grid().TopRow, 5);

    form->SB()->setValue(0);
    press(0);  // the group row folds
    EXPECT_EQ(form->Collapsed(), std::vector<std::string>{"Big"});
    EXPECT_TRUE(form->SB()->isHidden());
    EXPECT_EQ(form->Rows().size(), 1u);
    press(0);
    EXPECT_TRUE(form->Collapsed().empty());
    EXPECT_EQ(form->SB()->maximum(), 21);
}

TEST_F(Inspector, RowsArePaintedInTheirStylesWithTheMarkOnTheSelectedRow) {
    ASSERT_EQ(replace({blk_.instance()}), 0);
    press(2);  // Count
    const QImage& bitmap = form->GridBitmap();
    const TInspectorGrid& g = form->Grid();
    auto at = [&](int x, int row) {
        return QColor(bitmap.pixel(x, g.CaptionHeight() + 1 + row * g.RowHeight() + g.RowHeight() / 2));
    };
    EXPECT_EQ(at(g.Width / 2, 0), QColor(0xC2, 0xBE, 0xB6));  // the group row
    EXPECT_EQ(at(3, 2), QColor(0xD6, 0xD2, 0xF2));           // the selected row's mark cell
    EXPECT_EQ(at(13, 1), QColor(0xD6, 0xD2, 0xCA));          // a mark cell of another row
    EXPECT_EQ(form->Grid().SelectedRow, 2);
}

TEST_F(Inspector, TheSecondRecordOfAMultiSelectionShowsItsOwnValues) {
    Record second("\\Desc.xml/STRUCT/Blk");
    ASSERT_EQ(second.desc.SetValue(second.bytes.data(), 1, "42"), 0);
    ASSERT_EQ(replace({blk_.instance(), second.instance()}), 0);
    ASSERT_EQ(form->Rows().size(), 14u);  // two group rows and six fields each
    press(7 + 2);                         // Count of the second record
    EXPECT_FALSE(form->EditValue()->isHidden());
    EXPECT_EQ(form->EditValue()->text(), "42");
    EXPECT_EQ(g_status.back(), "2:Count (Word)  Счет");
    press(2);
    EXPECT_EQ(form->EditValue()->text(), "5");
}

TEST_F(Inspector, ADaOneRoundTripThroughTheValueList) {
    ASSERT_EQ(replace({blk_.instance()}), 0);
    press(3);  // On, stored 1
    ASSERT_FALSE(form->CB()->isHidden());
    EXPECT_TRUE(form->EditValue()->isHidden());
    EXPECT_EQ(form->CB()->count(), 2);
    EXPECT_EQ(form->CB()->currentText(), QString::fromUtf8("Да"));
    form->CB()->setCurrentIndex(0);  // "Нет"
    EXPECT_EQ(blk_.value(2), "0");
    EXPECT_EQ(g_changes, 1);
    EXPECT_EQ(form->Grid().ShownValue(link_, form->Lists(), &form->Items()[0], 2), cp("Нет"));
}

TEST_F(Inspector, InvalidTextIsColouredAndNeverStored) {
    ASSERT_EQ(replace({blk_.instance()}), 0);
    press(2);
    QLineEdit* edit = form->EditValue();
    edit->setText("70000");
    form->EditValueKeyUp('0');
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(0xFF, 0xDE, 0xDE));
    form->EditValueKeyUp(13);
    EXPECT_TRUE(edit->isHidden());
    EXPECT_EQ(blk_.value(1), "5");
    EXPECT_EQ(g_changes, 0);

    press(2);
    edit->setText("123");
    form->EditValueKeyUp('3');
    EXPECT_NE(edit->palette().color(QPalette::Base), QColor(0xFF, 0xDE, 0xDE));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(blk_.value(1), "123");
    EXPECT_EQ(g_changes, 1);
}

std::vector<std::string> g_logged;
void logged(const char* text, uint8_t level) { g_logged.push_back(std::to_string(level) + ":" + utf(text)); }

// The shipped device descriptions type their fields so that a value the
// device cannot take is refused where it is typed: the controller's address
// past an IPv4 address (the project header, in the floating inspector), a
// port bit past the eight bits of a port (a block, in the docked one). The
// editor turns red, Enter stores nothing and the log says why; a fitting value
// is stored.
TEST_F(Inspector, TheShippedHeaderAndPortBitRefuseWhatTheDeviceCannotTake) {
    struct Case {
        const char* description;
        bool floating;
        int row;
        int item;
        const char* bad;
        const char* good;
        const char* said;
    } cases[] = {
        {"/Device/OrvantaPLC.dev/Structure/Header", true, 2, 2, "999.1.1.1", "10.0.0.7",
         "3:Значение \"999.1.1.1\" не допустимо для поля \"IP\" (IPAddress), не сохранено"},
        {"/Device/OrvantaAVR.dev/FBD/AVR/PinIn", false, 3, 2, "9", "7",
         "3:Значение \"9\" не допустимо для поля \"Bit\" (BitIndex), не сохранено"},
    };
    form->OnLog = logged;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        g_logged.clear();
        g_changes = 0;
        Record shipped((std::string(ZO_PROGRAM_DIR) + c.description).c_str());
        const std::string before = shipped.value(c.item);
        TStructInstance pair = shipped.instance();
        if (c.floating)
            ASSERT_EQ(record_.ShowElementProperties("Header", 1, &pair, changed, 0, 0, 600, 300), 0);
        else
            ASSERT_EQ(replace({pair}), 0);
        TObjInspect& inspector = c.floating ? *windows_.Floating() : *form;
        const TInspectorGrid& g = inspector.Grid();
        const QPoint cell(g.NameWidth + 20, g.CaptionHeight() + 1 + (c.row - g.TopRow) * g.RowHeight() + g.RowHeight() / 2);
        auto type = [&](const char* text) {
            inspector.FormMouseMove(cell);
            inspector.FormMouseDown(cell);
            ASSERT_FALSE(inspector.EditValue()->isHidden());
            inspector.EditValue()->setText(text);
            inspector.EditValueKeyUp('1');
        };
        ASSERT_NO_FATAL_FAILURE(type(c.bad));
        EXPECT_EQ(inspector.EditValue()->palette().color(QPalette::Base), QColor(0xFF, 0xDE, 0xDE));
        inspector.EditValueKeyUp(13);
        EXPECT_EQ(shipped.value(c.item), before);
        EXPECT_EQ(g_changes, 0);
        EXPECT_EQ(g_logged, std::vector<std::string>{c.said});

        ASSERT_NO_FATAL_FAILURE(type(c.good));
        inspector.EditValueKeyUp(13);
        EXPECT_EQ(shipped.value(c.item), c.good);
        EXPECT_EQ(g_changes, 1);
    }
}

TEST_F(Inspector, EnterStoresIntoTheSelectedRowWhereverThePointerIs) {
    ASSERT_EQ(replace({blk_.instance()}), 0);
    press(2);
    form->EditValue()->setText("9");
    form->FormMouseMove(rowPoint(0));  // over the group row
    form->EditValueKeyUp(13);
    EXPECT_EQ(blk_.value(1), "9");
    press(5);
    form->EditValue()->setText("xyz");
    form->FormMouseMove(rowPoint(2));
    form->EditValueKeyUp(13);
    EXPECT_EQ(blk_.value(4), "xyz");
    EXPECT_EQ(blk_.value(1), "9");
}

TEST_F(Inspector, PinsFieldsAndGroupRowsOpenNoEditor) {
    ASSERT_EQ(replace({blk_.instance()}), 0);
    for (int row : {0, 1, 6}) {  // group, IN, FIELD
        SCOPED_TRACE(row);
        press(row);
        EXPECT_TRUE(form->EditValue()->isHidden());
        EXPECT_TRUE(form->CB()->isHidden());
        EXPECT_EQ(form->Grid().SelectedItem, -1);
        EXPECT_EQ(form->Grid().SelectedRow, -1);
        if (row == 0) press(0);  // unfold again
    }
}

TEST_F(Inspector, APasswordOfAStringTypeIsMasked) {
    ASSERT_EQ(replace({blk_.instance()}), 0);
    EXPECT_EQ(form->Grid().ShownValue(link_, form->Lists(), &form->Items()[0], 3), "******");
    EXPECT_EQ(form->Grid().ShownValue(link_, form->Lists(), &form->Items()[0], 4), "abc");
    press(4);
    EXPECT_EQ(form->EditValue()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(form->EditValue()->text(), "secret");
    press(5);
    EXPECT_EQ(form->EditValue()->echoMode(), QLineEdit::Normal);
    EXPECT_TRUE(TInspectorGrid::IsPassword("ProxyPassword", "String50"));
    EXPECT_TRUE(TInspectorGrid::IsPassword(cp("пароль"), "char[20]"));
    EXPECT_FALSE(TInspectorGrid::IsPassword("Password", "Word"));
    EXPECT_FALSE(TInspectorGrid::IsPassword("Name", "String50"));
}

TEST_F(Inspector, ATypedDialogEditsTheFieldInPlaceAndIsRefusedWithoutIt) {
    std::vector<void*> opened;
    link_.SetDialogOpener([&](const std::string& type, void* data) {
        if (type != "Word") return 0;
        if (!data) return 1;
        opened.push_back(data);
        uint16_t v = 777;
        std::memcpy(data, &v, sizeof v);
        return 1;
    });
    ASSERT_EQ(replace({blk_.instance()}), 0);
    press(2);
    ASSERT_TRUE(form->HasTypeDialog());
    ASSERT_FALSE(form->BitBtndlg()->isHidden());
    EXPECT_LT(form->EditValue()->geometry().right(), form->BitBtndlg()->geometry().left());
    form->BitBtndlgClick();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(blk_.value(1), "777");
    EXPECT_EQ(form->EditValue()->text(), "777");
    EXPECT_EQ(g_changes, 1);

    // A record shorter than its description: no value to hand the dialog.
    record_.GetStructItemPtr = noItemPtr;
    press(2);
    form->BitBtndlgClick();
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_EQ(g_changes, 1);
    EXPECT_EQ(ui_.messages.size(), 1u);
    press(5);  // a String10: no dialog
    EXPECT_FALSE(form->HasTypeDialog());
    EXPECT_TRUE(form->BitBtndlg()->isHidden());
}

TEST_F(Inspector, AColourIsEditedInTheDialogsLibrarysColourDialog) {
    std::filesystem::create_directory_symlink(std::string(ZO_PROGRAM_DIR) + "/System", dir_.path() / "System");
    link_.SetDialogOpener(InspectorLink::DialogsLibraryOpener(nullptr));
    int runs = 0;
    const auto previous = platform::setDialogRunner([&](QDialog& dialog) {
        ++runs;
        auto* chooser = qobject_cast<QColorDialog*>(&dialog);
        if (!chooser) return int(QDialog::Rejected);
        chooser->setCurrentColor(QColor(1, 2, 3));
        return int(QDialog::Accepted);
    });
    Record colour("\\Desc.xml/STRUCT/Col");
    ASSERT_EQ(replace({colour.instance()}, "Col"), 0);
    press(1);
    EXPECT_TRUE(form->HasTypeDialog());
    EXPECT_FALSE(form->BitBtndlg()->isHidden());
    form->BitBtndlgClick();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(colour.value(0), std::to_string(0x030201));
    EXPECT_EQ(g_changes, 1);
    press(1);
    platform::setDialogRunner(previous);
    // Without the library no dialog is offered.
    std::filesystem::remove(dir_.path() / "System");
    press(1);
    EXPECT_FALSE(form->HasTypeDialog());
    EXPECT_TRUE(form->BitBtndlg()->isHidden());
}

TEST_F(Inspector, ShowOpensTheFloatingWindowWithItsCodes) {
    auto pair = blk_.instance();
    EXPECT_EQ(record_.ShowElementProperties(nullptr, 1, &pair, nullptr, 0, 0, 10, 10), -1);
    EXPECT_EQ(record_.ShowElementProperties("Header", 0, &pair, nullptr, 0, 0, 10, 10), -2);
    EXPECT_EQ(record_.ShowElementProperties("Header", 1, nullptr, nullptr, 0, 0, 10, 10), -2);
    EXPECT_EQ(record_.ShowElementProperties("Header", 1, &pair, changed, 10, 20, 710, 420), 0);
    TObjInspect* floating = windows_.Floating();
    ASSERT_TRUE(floating);
    EXPECT_EQ(floating->Mode(), 1);
    EXPECT_EQ(floating->geometry(), QRect(10, 20, 700, 400));
    EXPECT_EQ(floating->windowTitle(), "Header");
    EXPECT_FALSE(floating->Grid().Grouped);
    EXPECT_EQ(floating->Rows().size(), 6u);
    EXPECT_EQ(record_.ShowElementProperties("Again", 1, &pair, nullptr, 0, 0, 100, 100), 0);
    EXPECT_EQ(windows_.Floating(), floating);
}

}  // namespace
