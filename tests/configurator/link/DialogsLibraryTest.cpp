// The dialogs library through the program's binding: each typed dialog writes
// exactly its type's size, answers through the dialog runner, and the library
// leaves nothing behind when it is unbound.
#include "common/abi/NewProjectData.h"
#include "configurator/link/KroDialogs.h"
#include "configurator/link/BindingTestSupport.h"
#include "platform/DialogHook.h"

#include <gtest/gtest.h>

#include <QColorDialog>
#include <QCoreApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QDialogButtonBox>

#include <cstring>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zo::configurator {
namespace {

using test::BindingFolder;
using test::loggedLines;
using test::mapped;
using test::recordLog;
using test::systemLibrary;

// Installs a runner for a scope; the default (reject) afterwards.
struct Runner {
    explicit Runner(platform::DialogRunner runner) { platform::setDialogRunner(std::move(runner)); }
    ~Runner() { platform::setDialogRunner({}); }
};

// A folder with the dialogs library, bound for the test.
struct Dialogs {
    BindingFolder folder;
    Dialogs() {
        folder.placeHere(systemLibrary("ZoDialogs.so"), "ZoDialogs.so");
        LoadDialogsLibrary("\\System", &recordLog);
    }
    ~Dialogs() { UnloadDialogsLibrary(&recordLog); }
};

// A buffer with guard bytes on both sides of the value.
template <size_t N>
struct Guarded {
    unsigned char before[16];
    unsigned char value[N];
    unsigned char after[16];
    Guarded() {
        std::memset(before, 0xA5, sizeof before);
        std::memset(value, 0, sizeof value);
        std::memset(after, 0xA5, sizeof after);
    }
    bool intact() const {
        for (unsigned char c : before)
            if (c != 0xA5) return false;
        for (unsigned char c : after)
            if (c != 0xA5) return false;
        return true;
    }
    std::string text() const { return std::string(reinterpret_cast<const char*>(value)); }
};

void clickOk(QDialog& dialog) {
    auto* buttons = dialog.findChild<QDialogButtonBox*>("Buttons");
    ASSERT_NE(buttons, nullptr);
    buttons->button(QDialogButtonBox::Ok)->click();
}

TEST(DialogsLibrary, NilDataAsksWhetherTheTypeHasADialog) {
    Dialogs d;
    ASSERT_TRUE(DialogsLibraryBound());
    for (const char* type : {"Color", "Font", "FileName", "Text", "TNewConfiguratorProject"})
        EXPECT_EQ(CallOpenDialogOfType(nullptr, type, nullptr), 1) << type;
    for (const char* type : {"Integer", "String60", "color", ""})
        EXPECT_EQ(CallOpenDialogOfType(nullptr, type, nullptr), 0) << type;
}

TEST(DialogsLibrary, ColorIsWrittenAsBgrAndARejectedDialogWritesNothing) {
    Dialogs d;
    Guarded<4> value;
    const int32_t blue = 0x00FF0000;
    std::memcpy(value.value, &blue, 4);
    {
        Runner r([](QDialog&) { return int(QDialog::Rejected); });
        EXPECT_EQ(CallOpenDialogOfType(nullptr, "Color", value.value), 0);
    }
    int32_t out = 0;
    std::memcpy(&out, value.value, 4);
    EXPECT_EQ(out, blue);
    {
        Runner r([](QDialog& dialog) {
            auto* chooser = qobject_cast<QColorDialog*>(&dialog);
            if (!chooser) return int(QDialog::Rejected);
            EXPECT_EQ(chooser->currentColor(), QColor(0, 0, 255));  // started from the value
            chooser->setCurrentColor(QColor(0x12, 0x34, 0x56));
            return int(QDialog::Accepted);
        });
        EXPECT_EQ(CallOpenDialogOfType(nullptr, "Color", value.value), 1);
    }
    std::memcpy(&out, value.value, 4);
    EXPECT_EQ(out, 0x00563412);
    EXPECT_TRUE(value.intact());
}

TEST(DialogsLibrary, FontTextAndFileNameStayWithinTheirSizes) {
    Dialogs d;
    Guarded<256> font;
    std::strcpy(reinterpret_cast<char*>(font.value), "0|-11|DejaVu Sans|0|96|8|nnnn");
    {
        Runner r([](QDialog& dialog) {
            auto* chooser = qobject_cast<QFontDialog*>(&dialog);
            if (!chooser) return int(QDialog::Rejected);
            QFont f = chooser->currentFont();
            f.setPointSize(14);
            chooser->setCurrentFont(f);
            return int(QDialog::Accepted);
        });
        EXPECT_EQ(CallOpenDialogOfType(nullptr, "Font", font.value), 1);
    }
    EXPECT_NE(font.text().find("|14|"), std::string::npos) << font.text();
    EXPECT_TRUE(font.intact());

    Guarded<4096> text;  // the type's size is 256: nothing past it is touched
    std::memset(text.value + 256, 0x5A, 4096 - 256);
    {
        Runner r([](QDialog& dialog) {
            auto* edit = dialog.findChild<QPlainTextEdit*>("TextEdit");
            if (!edit) return int(QDialog::Rejected);
            edit->setPlainText(QString(300, 'x'));  // too long for the type
            clickOk(dialog);
            return dialog.result();
        });
        test::UiRecorder ui;
        EXPECT_EQ(CallOpenDialogOfType(nullptr, "Text", text.value), 0);
        EXPECT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(text.text(), "");
    }
    {
        Runner r([](QDialog& dialog) {
            auto* edit = dialog.findChild<QPlainTextEdit*>("TextEdit");
            if (!edit) return int(QDialog::Rejected);
            edit->setPlainText(QString::fromUtf8("первая\nвторая"));
            clickOk(dialog);
            return dialog.result();
        });
        EXPECT_EQ(CallOpenDialogOfType(nullptr, "Text", text.value), 1);
    }
    EXPECT_EQ(test::utf(text.text()), "первая\r\nвторая");
    for (size_t i = 256; i < 4096; ++i) ASSERT_EQ(text.value[i], 0x5A) << i;

    Guarded<261> path;
    const std::string chosen = d.folder.here() + "/chosen.txt";
    {
        Runner r([&](QDialog& dialog) {
            auto* chooser = qobject_cast<QFileDialog*>(&dialog);
            if (!chooser) return int(QDialog::Rejected);
            chooser->selectFile(QString::fromStdString(chosen));
            return int(QDialog::Accepted);
        });
        EXPECT_EQ(CallOpenDialogOfType(nullptr, "FileName", path.value), 1);
    }
    EXPECT_EQ(path.text(), chosen);
    EXPECT_TRUE(path.intact());
}

TEST(DialogsLibrary, NewProjectWritesNameAndDeviceAndRefusesUnsafeNames) {
    Dialogs d;
    std::filesystem::create_directories(d.folder.here() + "/Device");
    test::writeBytes(d.folder.here() + "/Device/Avr.dev", "");
    test::writeBytes(d.folder.here() + "/Device/Vt.dev", "");
    Guarded<sizeof(TNewProjectData)> data;
    std::strcpy(reinterpret_cast<char*>(data.value), "Project3");
    QString proposed;
    int devices = 0;
    auto fill = [&](const QString& name) {
        return [&, name](QDialog& dialog) {
            auto* edit = dialog.findChild<QLineEdit*>("ProjectName");
            auto* device = dialog.findChild<QComboBox*>("DeviceFile");
            if (!edit || !device) return int(QDialog::Rejected);
            proposed = edit->text();
            devices = device->count();
            edit->setText(name);
            device->setCurrentIndex(1);
            clickOk(dialog);
            return dialog.result();
        };
    };
    {
        test::UiRecorder ui;
        Runner r(fill("../evil"));
        EXPECT_EQ(CallOpenDialogOfType(nullptr, "TNewConfiguratorProject", data.value), 0);
        EXPECT_EQ(ui.messages, std::vector<std::string>{"Недопустимое имя проекта"});
        EXPECT_EQ(data.text(), "Project3");
    }
    {
        Runner r(fill(QString::fromUtf8("Насос")));
        EXPECT_EQ(CallOpenDialogOfType(nullptr, "TNewConfiguratorProject", data.value), 1);
    }
    EXPECT_EQ(proposed, "Project3");
    EXPECT_EQ(devices, 2);
    TNewProjectData out;
    std::memcpy(&out, data.value, sizeof out);
    EXPECT_EQ(test::utf(out.ProjectName), "Насос");
    EXPECT_STREQ(out.DeviceFile, "Vt.dev");
    EXPECT_TRUE(data.intact());
}

// Whatever a dialog's run throws stays in the library: the call answers -1
// and one error box names the entry and what failed.
TEST(DialogsLibrary, AThrowInsideADialogAnswersMinusOneWithOneBox) {
    Dialogs d;
    struct Case {
        std::function<int(QDialog&)> runner;
        const char* box;
    };
    const Case cases[] = {
        {[](QDialog&) -> int { throw std::runtime_error("runner failed"); }, "ZoDialogs OpenDialogOfType: runner failed"},
        {[](QDialog&) -> int { throw 42; }, "ZoDialogs OpenDialogOfType: unknown exception"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        Runner runner(c.runner);
        test::UiRecorder ui;
        Guarded<256> text;
        EXPECT_EQ(CallOpenDialogOfType(nullptr, "Text", text.value), -1);
        EXPECT_EQ(text.text(), "");
        EXPECT_TRUE(text.intact());
        EXPECT_EQ(ui.messages, std::vector<std::string>{c.box});
    }
}

TEST(DialogsLibrary, EveryDialogLeavesNothingOfTheLibraryRunning) {
    BindingFolder folder;
    folder.placeHere(systemLibrary("ZoDialogs.so"), "ZoDialogs.so");
    const std::string native = folder.here() + "/System/ZoDialogs.so";
    // Each dialog is shown and its event loop turned before it is accepted.
    Runner r([](QDialog& dialog) {
        dialog.show();
        QCoreApplication::processEvents();
        return int(QDialog::Accepted);
    });
    unsigned char buffer[512] = {};
    for (const char* type : {"Color", "Font", "FileName", "Text", "TNewConfiguratorProject"}) {
        {
            ScopedDialogsLibrary dialogs("\\System", &recordLog);
            ASSERT_TRUE(DialogsLibraryBound());
            CallOpenDialogOfType(nullptr, type, buffer);
        }
        QCoreApplication::processEvents();
        EXPECT_FALSE(mapped(native)) << type;
    }
}

TEST(DialogsLibrary, HundredBindDialogUnbindCyclesLeaveNothingMapped) {
    BindingFolder folder;
    folder.placeHere(systemLibrary("ZoDialogs.so"), "ZoDialogs.so");
    const std::string native = folder.here() + "/System/ZoDialogs.so";
    Runner r([](QDialog& dialog) {
        if (auto* chooser = qobject_cast<QColorDialog*>(&dialog)) chooser->setCurrentColor(Qt::green);
        return int(QDialog::Accepted);
    });
    for (int i = 0; i < 100; ++i) {
        int32_t color = i;
        {
            ScopedDialogsLibrary dialogs("\\System", &recordLog);
            ASSERT_TRUE(DialogsLibraryBound()) << i;
            ASSERT_EQ(CallOpenDialogOfType(nullptr, "Color", &color), 1) << i;
        }
        ASSERT_EQ(color, 0x0000FF00) << i;
        ASSERT_FALSE(DialogsLibraryBound());
        ASSERT_FALSE(mapped(native)) << "cycle " << i;
    }
    EXPECT_TRUE(loggedLines().empty());
}

TEST(DialogsBinding, FoundBelowTheRegistrySystemFolderAsTheLastCandidate) {
    BindingFolder folder;
    folder.placeInRegistry(systemLibrary("ZoDialogs.so"), "ZoDialogs.so", "System");
    // The subfolder given is not System: neither usual candidate exists.
    LoadDialogsLibrary("\\Other", &recordLog);
    ASSERT_TRUE(DialogsLibraryBound());
    EXPECT_TRUE(loggedLines().empty()) << "the dialogs binding logs no registry or loaded line";
    EXPECT_EQ(CallOpenDialogOfType(nullptr, "Color", nullptr), 1);
    EXPECT_EQ(CallOpenDialogOfType(nullptr, "NoSuchType", nullptr), 0);
    UnloadDialogsLibrary(&recordLog);
    EXPECT_FALSE(DialogsLibraryBound());
    EXPECT_TRUE(loggedLines().empty());
}

}  // namespace
}  // namespace zo::configurator
