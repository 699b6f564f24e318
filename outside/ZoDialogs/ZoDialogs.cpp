// Stand-in for the product's outside dialogs library ZoDialogs (typed value editors, the new-project dialog).
//
// OpenDialogOfType(owner, type, data) edits the value of a type in place:
//   "Color"     4 bytes, 0x00BBGGRR                       colour chooser
//   "Font"      String255 holding the font text form      font chooser
//   "FileName"  String260, a path                         file chooser
//   "Text"      String255, lines joined by CR LF          multi-line editor
//   "TNewConfiguratorProject"  TNewProjectData            project name and device
// (StringN: N + 1 bytes, zero-terminated Windows-1251.) Nil data only asks
// whether the type has a dialog: 1 or 0. Otherwise 1 when the user accepted
// (exactly the type's size was written), 0 when nothing was chosen or the
// type is unknown, -1 on a failure.
//
// Every dialog runs through the host's dialog runner (platform/DialogHook.h)
// and every message through its UI services, so a test answers them. Dialogs
// live on the stack and are gone when the call returns; the library makes no
// class of its own, so nothing of it runs once it is unloaded.

#include "common/Canvas.h"
#include "common/SlotBarrier.h"
#include "common/TextForms.h"
#include "common/abi/DialogsLibrary.h"
#include "platform/Cp1251.h"
#include "platform/DialogHook.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr int32_t kAccepted = 1;
constexpr int32_t kNothingChosen = 0;
constexpr int32_t kFailed = -1;

constexpr size_t kString255 = 256;
constexpr size_t kString260 = 261;
constexpr int kProjectField = 60;  // characters of a TNewProjectData field

QWidget* ownerOf(void* owner) { return static_cast<QWidget*>(owner); }

std::string readString(const void* data, size_t size) {
    const char* text = static_cast<const char*>(data);
    return std::string(text, strnlen(text, size));
}

// Writes text into a StringN field of size bytes, zero-filled.
void writeString(void* data, size_t size, const std::string& text) {
    char* out = static_cast<char*>(data);
    std::memset(out, 0, size);
    std::memcpy(out, text.data(), std::min(text.size(), size - 1));
}

bool accepted(QDialog& dialog) { return zo::platform::runDialog(dialog) == QDialog::Accepted; }

// OK and Cancel buttons captioned as the program's own dialogs are.
QDialogButtonBox* okCancel(QDialog& dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->setObjectName("Buttons");
    buttons->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf8("Отмена"));
    return buttons;
}

void tooLong(const char* what, size_t limit) {
    zo::platform::showMessage(zo::platform::utf8ToCp1251(what) + " " + std::to_string(limit) +
                                  zo::platform::utf8ToCp1251(" символов"),
                              "ZoDialogs", zo::platform::MessageKind::Warning);
}

int32_t editColor(void* owner, void* data) {
    int32_t color = 0;
    std::memcpy(&color, data, sizeof color);
    QColorDialog dialog(zo::ToQColor(color), ownerOf(owner));
    dialog.setObjectName("ColorDialog");
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (!accepted(dialog)) return kNothingChosen;
    color = zo::FromQColor(dialog.currentColor());
    std::memcpy(data, &color, sizeof color);
    return kAccepted;
}

int32_t editFont(void* owner, void* data) {
    zo::TTextFont font;
    zo::StrToFont(readString(data, kString255), font);  // a bad text keeps the default font
    QFontDialog dialog(font.font, ownerOf(owner));
    dialog.setObjectName("FontDialog");
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (!accepted(dialog)) return kNothingChosen;
    font.font = dialog.currentFont();
    const std::string text = zo::FontToStr(&font);
    if (text.size() > kString255 - 1) {
        tooLong("Описание шрифта длиннее", kString255 - 1);
        return kNothingChosen;
    }
    writeString(data, kString255, text);
    return kAccepted;
}

int32_t editFileName(void* owner, void* data) {
    const QString current = zo::platform::cp1251ToQString(readString(data, kString260));
    QFileDialog dialog(ownerOf(owner));
    dialog.setObjectName("FileDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!current.isEmpty()) dialog.selectFile(current);
    if (!accepted(dialog) || dialog.selectedFiles().isEmpty()) return kNothingChosen;
    bool lossless = true;
    const std::string path = zo::platform::qstringToCp1251(dialog.selectedFiles().first(), &lossless);
    if (!lossless) {
        zo::platform::showMessage(zo::platform::utf8ToCp1251("Имя файла содержит недопустимые символы"), "ZoDialogs",
                                  zo::platform::MessageKind::Warning);
        return kNothingChosen;
    }
    if (path.size() > kString260 - 1) {
        tooLong("Путь к файлу длиннее", kString260 - 1);
        return kNothingChosen;
    }
    writeString(data, kString260, path);
    return kAccepted;
}

int32_t editText(void* owner, void* data) {
    QString text = zo::platform::cp1251ToQString(readString(data, kString255));
    text.replace("\r\n", "\n");
    QDialog dialog(ownerOf(owner));
    dialog.setObjectName("TextDialog");
    dialog.setWindowTitle(QString::fromUtf8("Текст"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* edit = new QPlainTextEdit(text, &dialog);
    edit->setObjectName("TextEdit");
    layout->addWidget(edit);
    auto* buttons = okCancel(dialog);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (!accepted(dialog)) return kNothingChosen;
    QString lines = edit->toPlainText();
    lines.replace("\n", "\r\n");
    const std::string out = zo::platform::qstringToCp1251(lines);
    if (out.size() > kString255 - 1) {
        tooLong("Текст длиннее", kString255 - 1);
        return kNothingChosen;
    }
    writeString(data, kString255, out);
    return kAccepted;
}

// A project name becomes a file name: no folder separators or other characters
// a file name cannot hold.
bool validProjectName(const QString& name) {
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    if (name.trimmed().isEmpty() || name == "." || name == "..") return false;
    for (QChar c : name)
        if (forbidden.contains(c) || c.unicode() < 32) return false;
    return true;
}

int32_t editNewProject(void* owner, void* data) {
    TNewProjectData project;
    std::memcpy(&project, data, sizeof project);
    QDialog dialog(ownerOf(owner));
    dialog.setObjectName("TNewConfiguratorProject");
    dialog.setWindowTitle(QString::fromUtf8("Новый проект"));
    auto* form = new QFormLayout(&dialog);
    auto* name = new QLineEdit(zo::platform::cp1251ToQString(readString(project.ProjectName, sizeof project.ProjectName)),
                               &dialog);
    name->setObjectName("ProjectName");
    name->setMaxLength(kProjectField);
    name->setMinimumWidth(260);
    form->addRow(QString::fromUtf8("Имя проекта:"), name);
    auto* device = new QComboBox(&dialog);
    device->setObjectName("DeviceFile");
    const QStringList devices = QDir("Device").entryList({"*.dev"}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString& file : devices)
        if (zo::platform::qstringToCp1251(file).size() <= size_t(kProjectField)) device->addItem(file);
    const QString current = zo::platform::cp1251ToQString(readString(project.DeviceFile, sizeof project.DeviceFile));
    if (device->findText(current) >= 0) device->setCurrentIndex(device->findText(current));
    form->addRow(QString::fromUtf8("Устройство:"), device);
    auto* buttons = okCancel(dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&dialog, name, device] {
        bool lossless = true;
        zo::platform::qstringToCp1251(name->text(), &lossless);
        if (!validProjectName(name->text()) || !lossless) {
            zo::platform::showMessage(zo::platform::utf8ToCp1251("Недопустимое имя проекта"), "ZoDialogs",
                                      zo::platform::MessageKind::Warning);
            return;
        }
        if (device->currentText().isEmpty()) {
            zo::platform::showMessage(zo::platform::utf8ToCp1251("Не выбрано устройство"), "ZoDialogs",
                                      zo::platform::MessageKind::Warning);
            return;
        }
        dialog.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    // The runner (or the user) may also end the dialog by accept(): the same checks hold.
    if (!accepted(dialog)) return kNothingChosen;
    bool lossless = true;
    const std::string nameText = zo::platform::qstringToCp1251(name->text().trimmed(), &lossless);
    const std::string deviceText = zo::platform::qstringToCp1251(device->currentText());
    if (!lossless || !validProjectName(name->text()) || deviceText.empty()) return kNothingChosen;
    writeString(project.ProjectName, sizeof project.ProjectName, nameText);
    writeString(project.DeviceFile, sizeof project.DeviceFile, deviceText);
    std::memcpy(data, &project, sizeof project);
    return kAccepted;
}

using Editor = int32_t (*)(void* owner, void* data);

struct TypeDialog {
    const char* name;
    Editor edit;
};

const TypeDialog kTypes[] = {
    {"Color", &editColor},       {"Font", &editFont}, {"FileName", &editFileName},
    {"Text", &editText},         {"TNewConfiguratorProject", &editNewProject},
};

Editor editorOf(const char* typeName) {
    if (!typeName) return nullptr;
    for (const TypeDialog& type : kTypes)
        if (std::strcmp(type.name, typeName) == 0) return type.edit;
    return nullptr;
}

// What a failed call tells the user: the message box of the host, or stderr
// should even the box fail.
void reportFailure(const char* slot, const char* what) noexcept {
    try {
        zo::platform::showMessage(std::string("ZoDialogs ") + slot + ": " + what, "ZoDialogs",
                                  zo::platform::MessageKind::Error);
    } catch (...) {
        zo::ReportSlotFailureToStderr(slot, what);
    }
}

int32_t openDialogOfType(void* owner, const char* typeName, void* data) {
    const Editor edit = editorOf(typeName);
    if (!data) return edit ? 1 : 0;
    if (!edit || !QApplication::instance()) return kNothingChosen;
    return edit(owner, data);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int32_t OpenDialogOfType(void* owner, const char* typeName,
                                                                             void* data) {
    return zo::SlotBarrier<reportFailure, "OpenDialogOfType", openDialogOfType, kFailed>::Call(owner, typeName, data);
}
