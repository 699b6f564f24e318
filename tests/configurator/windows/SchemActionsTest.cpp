// The scheme window's commands: the context menu from what lies under the
// pointer, the edit keystrokes, the block's source file and help page, and
// the view saved as a JPEG picture that the window itself never shows stamped.
#include "configurator/link/SchemeLink.h"
#include "platform/Web.h"
#include "configurator/windows/SchemActions.h"
#include "configurator/windows/SchemForm.h"
#include "platform/DialogHook.h"
#include "support/FakeKernel.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <jpeglib.h>

namespace zo::configurator {
namespace {

using test::FakeKernel;

QImage& sheetPicture() {
    static QImage picture = [] {
        QImage image(240, 160, QImage::Format_RGB32);
        image.fill(QColor(255, 255, 255));
        return image;
    }();
    return picture;
}

struct Hit {
    int32_t result = 0, blocks = 0, links = 0, block = -1;
};

class SchemActions : public ::testing::Test {
protected:
    void SetUp() override {
        fake.setHook<TSheetBitmapProc>("PaintScheme", [](const char*, void** bitmap) {
            *bitmap = &sheetPicture();
            return 0;
        });
        fake.setHook<TSheetHitTestProc>("SheetHitTest", [this](const char*, int32_t, int32_t, int32_t* blocks,
                                                               int32_t* links, int32_t* block, int32_t* link) {
            *blocks = hit.blocks;
            *links = hit.links;
            *block = hit.block;
            *link = -1;
            return hit.result;
        });
        form = new TSchemForm(link);
        form->SetKernel(true);
        form->SetSchemeName(QString::fromUtf8("Лист:1?"));
        form->RefreshScheme();
        platform::SetUrlOpener([this](const QString& url) {
            opened << url;
            return true;
        });
    }
    void TearDown() override {
        platform::SetUrlOpener({});
        delete form;
    }
    QStringList popupItems() {
        form->Commands()->PopupMenuSchemPopup();
        QStringList items;
        for (QAction* a : form->Commands()->PopupMenu()->actions())
            items << (a->isSeparator() ? QString("-") : a->text());
        return items;
    }
    // Answers the save dialog with this file (or cancels it for an empty name).
    void answerSave(const QString& file) {
        platform::setDialogRunner([file, this](QDialog& dialog) {
            auto& chooser = static_cast<QFileDialog&>(dialog);
            proposed = chooser.selectedFiles().value(0);
            if (file.isEmpty()) return int(QDialog::Rejected);
            chooser.selectFile(file);
            return int(QDialog::Accepted);
        });
    }

    FakeKernel fake;
    SchemeLink link{&fake.record()};
    TSchemForm* form = nullptr;
    Hit hit;
    QStringList opened;
    QString proposed;
};

TEST_F(SchemActions, TwelveActionsWithTheirCaptions) {
    const char* rows[][2] = {{"SchemCut", "Вырезать"},        {"SchemCopy", "Копировать"},
                             {"SchemPaste", "Вставить"},      {"SchemClrSel", "Снять выделение"},
                             {"SchemSelAll", "Выделить все"}, {"SchemDubl", "Дублировать блок"},
                             {"SchemInfFBD", "Информация о блоке"}, {"SchemPrint", "Печать экрана"},
                             {"SchemSaveAs", "Сохранить изображение"}, {"SchemCodFBD", "Исходный код блока"},
                             {"ShemDelete", "Удалть лист"},   {"ShemHelpFBD", "Онлайн справка о блоке"}};
    for (const auto& row : rows) {
        QAction* a = form->Commands()->Action(row[0]);
        ASSERT_NE(a, nullptr) << row[0];
        EXPECT_EQ(a->text(), QString::fromUtf8(row[1]));
    }
}

TEST_F(SchemActions, PopupFromWhatLiesUnderThePointer) {
    EXPECT_EQ(popupItems(), (QStringList{"Сохранить изображение", "Печать экрана"}));
    hit = {0, 1, 0, 3};
    EXPECT_EQ(popupItems(),
              (QStringList{"Вырезать", "Копировать", "Вставить", "Снять выделение", "Выделить все", "-",
                           "Дублировать блок", "Информация о блоке", "Онлайн справка о блоке", "Исходный код блока",
                           "-", "Сохранить изображение", "Печать экрана"}));
    hit = {-1, 1, 0, 3};  // a failing hit test: nothing more
    EXPECT_TRUE(popupItems().isEmpty());
    form->SetKernel(false);
    EXPECT_TRUE(popupItems().isEmpty());
}

TEST_F(SchemActions, EditActionsAreKeystrokesToTheKernel) {
    const struct {
        const char* action;
        const char* key;
        const char* shift;
    } rows[] = {{"SchemCut", "88", "4"}, {"SchemCopy", "67", "4"}, {"SchemPaste", "86", "4"},
                {"SchemClrSel", "65", "1"}, {"SchemSelAll", "65", "4"}};
    for (const auto& row : rows) {
        fake.clearCalls();
        form->Commands()->Action(row.action)->trigger();
        const auto calls = fake.callsOf("SheetKeyDown");
        ASSERT_EQ(calls.size(), 1u) << row.action;
        EXPECT_EQ(calls[0].args[1], row.key);
        EXPECT_EQ(calls[0].args[2], row.shift);
        EXPECT_EQ(fake.count("PaintScheme"), 1) << "changed starts at 1, so the picture is fetched again";
    }
}

TEST_F(SchemActions, BlockHelpAndSourceFile) {
    test::UiRecorder ui;
    test::TempDir dir;
    hit = {0, 0, 0, 2};
    fake.setText("GetBlockPath", "\\Library\\Logic.xml/FBD/Logic/AND 2");
    form->Commands()->Action("ShemHelpFBD")->trigger();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], platform::SiteAddress() + "/FBD/index.php?help=%5CLibrary%5CLogic%2Exml%2FFBD%2FLogic%2FAND+2");

    std::filesystem::create_directories(dir.path() / "Runtime" / "Plc" / "FBD" / "sub");
    std::ofstream(dir.file("Runtime/Plc/FBD/sub/and.c")) << "x";
    fake.setText("GetDeviceRuntimeFolder", dir.str() + "/Runtime\\");
    fake.setText("GetDeviceProgram", "Plc");
    fake.setText("GetBlockLibrary", "lib\\and.c");
    opened.clear();
    form->Commands()->Action("SchemCodFBD")->trigger();  // not at the given place: found below FBD
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened[0].startsWith("file://")) << opened[0].toStdString();
    EXPECT_TRUE(opened[0].endsWith("/Runtime/Plc/FBD/sub/and.c")) << opened[0].toStdString();

    for (const char* unsafe : {"..\\..\\etc\\passwd", "/etc/passwd"}) {
        opened.clear();
        ui.messages.clear();
        fake.setText("GetBlockLibrary", unsafe);
        form->Commands()->Action("SchemCodFBD")->trigger();
        EXPECT_TRUE(opened.isEmpty()) << unsafe;
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].rfind("Не найден файл \"", 0), 0u) << ui.messages[0];
    }
    fake.setText("GetBlockLibrary", "");
    ui.messages.clear();
    form->Commands()->Action("SchemCodFBD")->trigger();
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Не задан файл исходного кода."});
}

// Decodes a JPEG file; its size, or an empty size when it does not decode.
QSize decodedSize(const std::string& file) {
    std::FILE* in = std::fopen(file.c_str(), "rb");
    if (!in) return {};
    jpeg_decompress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, in);
    QSize size;
    if (jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK) {
        jpeg_start_decompress(&info);
        std::vector<unsigned char> row(info.output_width * info.output_components);
        while (info.output_scanline < info.output_height) {
            JSAMPROW rows[] = {row.data()};
            jpeg_read_scanlines(&info, rows, 1);
        }
        size = QSize(int(info.output_width), int(info.output_height));
        jpeg_finish_decompress(&info);
    }
    jpeg_destroy_decompress(&info);
    std::fclose(in);
    return size;
}

TEST_F(SchemActions, SavedPictureDecodesToTheViewsSizeAndTheViewStaysUnstamped) {
    test::TempDir dir;
    const QImage before = form->Bitmap().copy();
    const std::string target = dir.file("view.jpg");
    answerSave(QString::fromStdString(target));
    form->Commands()->SchemSaveAsExecute();
    platform::setDialogRunner({});
    EXPECT_EQ(QFileInfo(proposed).fileName(), QString::fromUtf8("Лист_1_.jpg"));
    EXPECT_EQ(decodedSize(target), before.size());
    EXPECT_EQ(form->Bitmap(), before);
    EXPECT_EQ(test::filesIn(dir.str()), std::vector<std::string>{"view.jpg"});
    const auto logs = fake.callsOf("KernelLog");
    ASSERT_FALSE(logs.empty());
    EXPECT_EQ(test::utf(logs.back().args[0]), "Создан файл: \"" + target + "\"");

    // The stamps: the date box at the top right, the address at the bottom right.
    QImage plain(300, 120, QImage::Format_RGB32);
    plain.fill(Qt::white);
    const QImage stamped = TSchemActions::StampedPicture(plain, "S", "01.02.2026");
    int grey = 0;
    for (int x = stamped.width() - 40; x < stamped.width() - 7; ++x)
        for (int y = 0; y < 10; ++y) grey += stamped.pixelColor(x, y) == QColor(0xC0, 0xC0, 0xC0);
    EXPECT_GT(grey, 20);
    EXPECT_EQ(stamped.pixelColor(stamped.width() - 3, 2), QColor(255, 255, 255));
    bool blue = false;
    for (int x = stamped.width() / 2; x < stamped.width() && !blue; ++x)
        for (int y = stamped.height() - 20; y < stamped.height() && !blue; ++y)
            blue = stamped.pixelColor(x, y).blue() > 200 && stamped.pixelColor(x, y).red() < 120;
    EXPECT_TRUE(blue);
    EXPECT_EQ(stamped.pixelColor(2, stamped.height() / 2), QColor(255, 255, 255));
}

TEST_F(SchemActions, ReadOnlyTargetKeepsTheOldPictureAndTheView) {
    test::TempDir dir;
    const std::string target = dir.file("old.jpg");
    test::writeBytes(target, "old picture");
    const QImage before = form->Bitmap().copy();
    const int code = test::RunWithReadOnlyFolder(dir.str(), [&] {
        test::UiRecorder ui;
        answerSave(QString::fromStdString(target));
        form->Commands()->SchemSaveAsExecute();
        if (ui.messages.size() != 1) return 1;
        if (form->Bitmap() != before) return 2;
        return 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(test::readBytes(target), "old picture");
    EXPECT_EQ(test::filesIn(dir.str()), std::vector<std::string>{"old.jpg"});
}

TEST_F(SchemActions, CancelledSaveWritesNothing) {
    test::TempDir dir;
    answerSave({});
    form->Commands()->SchemSaveAsExecute();
    platform::setDialogRunner({});
    EXPECT_EQ(fake.count("KernelLog"), 0);
}

}  // namespace
}  // namespace zo::configurator
