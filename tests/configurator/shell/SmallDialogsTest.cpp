// The small helpers of the shell: window tiling cells, file-name cleaning,
// special folders, the average character size, the message dialog with own
// captions and the input dialog with a file list.
#include "configurator/shell/DialogUnits.h"
#include "configurator/shell/GridCellRect.h"
#include "configurator/shell/InputWithFileListDialog.h"
#include "configurator/shell/MessageDlgWithCaptions.h"
#include "platform/SafeFileName.h"
#include "platform/ShellFolders.h"

#include "platform/DialogHook.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <string>
#include <vector>

using namespace zo::configurator;
using zo::test::cp;

namespace {

std::string show(const zo::TZoRect& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

// Installs a dialog runner for a scope.
class ScopedRunner {
public:
    explicit ScopedRunner(zo::platform::DialogRunner runner) : previous_(zo::platform::setDialogRunner(std::move(runner))) {}
    ~ScopedRunner() { zo::platform::setDialogRunner(previous_); }
    ScopedRunner(const ScopedRunner&) = delete;
    ScopedRunner& operator=(const ScopedRunner&) = delete;

private:
    zo::platform::DialogRunner previous_;
};

TEST(GridCellRect, TilesColumnsOfTheRootsWholePartWithEvenTies) {
    const zo::TZoRect area{0, 0, 1000, 600};
    const struct {
        zo::TZoRect area;
        int count;
        int index;
        zo::TZoRect cell;
    } cases[] = {
        {area, 1, 1, {0, 0, 1000, 600}},
        // Five windows: a column of two, then a column of three.
        {area, 5, 1, {0, 0, 500, 300}},
        {area, 5, 2, {0, 300, 500, 600}},
        {area, 5, 3, {500, 0, 1000, 200}},
        {area, 5, 4, {500, 200, 1000, 400}},
        {area, 5, 5, {500, 400, 1000, 600}},
        // Ten: three columns of 3, 3 and 4.
        {area, 10, 6, {333, 400, 667, 600}},
        {area, 10, 10, {667, 450, 1000, 600}},
        // Halves go to the even neighbour: 2.5 -> 2, 1.5 -> 2, 3.5 -> 4; the area's origin is added.
        {{10, 20, 15, 23}, 4, 1, {10, 20, 12, 22}},
        {{10, 20, 15, 23}, 4, 4, {12, 22, 15, 23}},
        {{0, 0, 7, 7}, 4, 1, {0, 0, 4, 4}},
        // Nothing to tile, or a window outside the count: an empty cell.
        {area, 0, 1, {}},
        {area, 0, 0, {}},
        {area, -3, 1, {}},
        {area, 5, 0, {}},
        {area, 5, 6, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(show(GridCellRect(c.area, c.count, c.index)), show(c.cell)) << c.count << " " << c.index;
}

TEST(SafeFileName, ReplacesTheNineForbiddenCharacters) {
    EXPECT_EQ(zo::platform::SafeFileName("a\"b*c/d:e<f>g?h\\i|j.jpg"), "a_b_c_d_e_f_g_h_i_j.jpg");
    EXPECT_EQ(zo::platform::SafeFileName(cp("Лист 1 (копия).jpg")), cp("Лист 1 (копия).jpg"));
    EXPECT_EQ(zo::platform::SafeFileName(""), "");
}

TEST(SpecialFolders, ComeFromTheDesktopsFoldersAndAreMade) {
    zo::test::TempDir home;
    zo::test::ScopedEnv homeEnv("HOME", home.str());
    zo::test::ScopedEnv configEnv("XDG_CONFIG_HOME", home.str() + "/config");
    std::filesystem::create_directories(home.path() / "config");
    zo::test::writeBytes(home.file("config/user-dirs.dirs"),
                         "XDG_PICTURES_DIR=\"$HOME/Картинки\"\nXDG_DOCUMENTS_DIR=\"$HOME/" + std::string(300, 'd') +
                             "\"\n");
    const std::string pictures = zo::platform::GetSpecialFolderPath(zo::platform::kFolderPictures);
    EXPECT_EQ(pictures, cp(home.str() + "/Картинки"));
    EXPECT_TRUE(std::filesystem::is_directory(home.path() / "Картинки"));
    EXPECT_EQ(zo::platform::GetSpecialFolderPath(zo::platform::kFolderPictures | 0x8000), pictures);
    EXPECT_EQ(zo::platform::GetSpecialFolderPath(zo::platform::kFolderProfile), home.str());
    // Too long for the 260-character field, and unknown numbers: empty.
    EXPECT_EQ(zo::platform::GetSpecialFolderPath(zo::platform::kFolderPersonal), "");
    EXPECT_EQ(zo::platform::GetSpecialFolderPath(0x7F), "");
}

TEST(AverageCharSize, IsTheLettersMeanWidthAndTheirHeight) {
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setPixelSize(13);
    const QFontMetrics metrics(mono);
    ASSERT_EQ(metrics.horizontalAdvance(QLatin1Char('W')), metrics.horizontalAdvance(QLatin1Char('i')))
        << "a monospaced font";
    EXPECT_EQ(AverageCharSize(mono),
              QSize(metrics.horizontalAdvance(QString(52, QLatin1Char('x'))) / 52, metrics.height()));
    QFont large = mono;
    large.setPixelSize(26);
    EXPECT_GT(AverageCharSize(large).width(), AverageCharSize(mono).width());
    EXPECT_EQ(MulDiv(50, 7, 4), 88);  // 87.5 rounds up
    EXPECT_EQ(MulDiv(14, 15, 8), 26);
}

struct SeenBox {
    QString title;
    std::vector<std::pair<QString, QString>> buttons;  // name, text
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool closeButton = true;
    QString defaultButton;
};

SeenBox look(QDialog& dialog) {
    auto& box = static_cast<QMessageBox&>(dialog);
    SeenBox seen;
    seen.title = box.windowTitle();
    for (const char* name : {"Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "NoToAll", "YesToAll"})
        if (auto* b = box.findChild<QPushButton*>(QString::fromLatin1(name)))
            seen.buttons.emplace_back(QString::fromLatin1(name), b->text());
    seen.icon = box.icon();
    seen.closeButton = box.windowFlags().testFlag(Qt::WindowCloseButtonHint);
    if (box.defaultButton()) seen.defaultButton = box.defaultButton()->objectName();
    return seen;
}

TEST(MessageDlgWithCaptions, ButtonsTakeTheCaptionsInOrderAndAnswerTheirResult) {
    SeenBox seen;
    ScopedRunner runner([&seen](QDialog& dialog) {
        seen = look(dialog);
        dialog.findChild<QPushButton*>(QStringLiteral("No"))->click();
        return dialog.result();
    });
    EXPECT_EQ(MessageDlgWithCaptions(cp("Доступно обновление"), cp("Загрузить обновление программы?"),
                                     TMsgDlgType::mtCustom, cp("да,нет"), DlgButton(mbYes) | DlgButton(mbNo)),
              mrNo);
    EXPECT_EQ(seen.title, QStringLiteral("Загрузить обновление программы?"));
    ASSERT_EQ(seen.buttons.size(), 2u);
    EXPECT_EQ(seen.buttons[0].second, QStringLiteral("да"));
    EXPECT_EQ(seen.buttons[1].second, QStringLiteral("нет"));
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_FALSE(seen.closeButton);
    EXPECT_EQ(seen.defaultButton, QStringLiteral("Yes"));
}

TEST(MessageDlgWithCaptions, CaptionsRunOutAndEscapeAnswersCancel) {
    SeenBox seen;
    ScopedRunner runner([&seen](QDialog& dialog) {
        seen = look(dialog);
        dialog.show();  // as exec() would: the box settles its Escape button when shown
        QTest::keyClick(&dialog, Qt::Key_Escape);
        return dialog.result();
    });
    // Blanks separate captions as commas do; Cancel keeps the toolkit's text.
    EXPECT_EQ(MessageDlgWithCaptions("?", "", TMsgDlgType::mtWarning, cp("Сохранить Выйти"),
                                     DlgButton(mbCancel) | DlgButton(mbNo) | DlgButton(mbYes)),
              mrCancel);
    ASSERT_EQ(seen.buttons.size(), 3u);
    EXPECT_EQ(seen.buttons[0], std::make_pair(QStringLiteral("Yes"), QStringLiteral("Сохранить")));
    EXPECT_EQ(seen.buttons[1], std::make_pair(QStringLiteral("No"), QStringLiteral("Выйти")));
    EXPECT_EQ(seen.buttons[2].first, QStringLiteral("Cancel"));
    EXPECT_NE(seen.buttons[2].second, QStringLiteral("Выйти"));
    EXPECT_EQ(seen.icon, QMessageBox::Warning);

    // Without Cancel, Escape answers No.
    EXPECT_EQ(MessageDlgWithCaptions("?", "", TMsgDlgType::mtConfirmation, "", DlgButton(mbYes) | DlgButton(mbNo)),
              mrNo);
    EXPECT_EQ(seen.icon, QMessageBox::Question);
}

TEST(MessageDlgWithCaptions, ADialogNobodyAnswersIsCancelled) {
    ScopedRunner runner({});
    EXPECT_EQ(MessageDlgWithCaptions("?", "", TMsgDlgType::mtError, "", DlgButton(mbOK)), mrCancel);
}

class FileListDialog : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"b.dev", "A.DEV", "notes.txt"}) zo::test::writeBytes(dir_.file(name), "<Micro/>");
    }
    zo::test::TempDir dir_;
};

TEST_F(FileListDialog, OkGivesTheEditAndThePickedListedFile) {
    QStringList items;
    bool editable = true;
    ScopedRunner runner([&](QDialog& dialog) {
        auto* list = dialog.findChild<QComboBox*>(QStringLiteral("FileList"));
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("Edit"));
        for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
        editable = list->isEditable();
        EXPECT_EQ(list->currentText(), QStringLiteral("b.dev"));
        EXPECT_EQ(edit->selectedText(), QStringLiteral("Старое"));
        EXPECT_EQ(edit->maxLength(), 255);
        edit->setText(QStringLiteral("Проект 1"));
        list->setCurrentIndex(0);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("OK")), Qt::LeftButton);
        return dialog.result();
    });
    std::string file = "B.dev";
    std::string edit = cp("Старое");
    EXPECT_EQ(InputWithFileListDialog(cp("Новый проект"), cp("Имя проекта:"), cp("Устройство:"), file, edit,
                                      dir_.str(), "*.dev"),
              1);
    EXPECT_EQ(items, (QStringList{QStringLiteral("A.DEV"), QStringLiteral("b.dev")}));
    EXPECT_FALSE(editable);
    EXPECT_EQ(file, "A.DEV");
    EXPECT_EQ(edit, cp("Проект 1"));
}

TEST_F(FileListDialog, OnlyListedFilesArePickedAndCancelChangesNothing) {
    int picked = 0;
    ScopedRunner runner([&](QDialog& dialog) {
        picked = dialog.findChild<QComboBox*>(QStringLiteral("FileList"))->currentIndex();
        dialog.findChild<QPushButton*>(QStringLiteral("OK"))->click();
        return dialog.result();
    });
    std::string file = "..\\..\\x.dev";
    std::string edit = "name";
    EXPECT_EQ(InputWithFileListDialog("New", "Name:", "Device:", file, edit, dir_.str(), "*.dev"), 1);
    EXPECT_EQ(picked, -1);
    EXPECT_EQ(file, "");

    ScopedRunner cancel([](QDialog& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("Edit"))->setText(QStringLiteral("changed"));
        dialog.findChild<QPushButton*>(QStringLiteral("Cancel"))->click();
        return dialog.result();
    });
    file = "b.dev";
    EXPECT_EQ(InputWithFileListDialog("New", "Name:", "Device:", file, edit, dir_.str(), "*.dev"), 0);
    EXPECT_EQ(file, "b.dev");
    EXPECT_EQ(edit, "name");
}

TEST_F(FileListDialog, NoWidgetOverlapsAnotherOrLeavesTheWindow) {
    for (const char* label : {"Имя проекта:", "Очень длинная подпись, которая не помещается в одну строку диалога"}) {
        ScopedRunner runner([&](QDialog& dialog) {
            std::vector<QWidget*> widgets;
            for (const char* name : {"Label1", "Label2", "Edit", "FileList", "OK", "Cancel"}) {
                auto* w = dialog.findChild<QWidget*>(QString::fromLatin1(name));
                EXPECT_NE(w, nullptr) << name;
                if (w) widgets.push_back(w);
            }
            for (size_t i = 0; i < widgets.size(); ++i) {
                EXPECT_TRUE(dialog.rect().contains(widgets[i]->geometry()))
                    << widgets[i]->objectName().toStdString();
                for (size_t j = i + 1; j < widgets.size(); ++j)
                    EXPECT_FALSE(widgets[i]->geometry().intersects(widgets[j]->geometry()))
                        << widgets[i]->objectName().toStdString() << " " << widgets[j]->objectName().toStdString();
            }
            return int(QDialog::Rejected);
        });
        std::string file;
        std::string edit;
        EXPECT_EQ(InputWithFileListDialog(cp("Новый проект"), cp(label), cp("Устройство:"), file, edit, dir_.str(),
                                          "*.dev"),
                  0);
    }
}

}  // namespace
