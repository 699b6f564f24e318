#include "configurator/windows/SchemActions.h"

#include "common/FileUtils.h"
#include "platform/SafeFileName.h"
#include "platform/ShellFolders.h"
#include "platform/Web.h"
#include "configurator/windows/FormShowBMP.h"
#include "configurator/windows/JpegWriter.h"
#include "configurator/windows/SchemForm.h"
#include "platform/Cp1251.h"
#include "platform/DialogHook.h"
#include "platform/Paths.h"
#include "platform/UiServices.h"

#include <QAction>
#include <QDate>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QUrl>

namespace zo::configurator {

namespace {

struct ActionSpec {
    const char* name;
    const char* caption;
};

// In the order of the action list.
const ActionSpec kActionSpecs[] = {
    {"SchemCut", "Вырезать"},
    {"SchemCopy", "Копировать"},
    {"SchemPaste", "Вставить"},
    {"SchemClrSel", "Снять выделение"},
    {"SchemSelAll", "Выделить все"},
    {"SchemDubl", "Дублировать блок"},
    {"SchemInfFBD", "Информация о блоке"},
    {"SchemPrint", "Печать экрана"},
    {"SchemSaveAs", "Сохранить изображение"},
    {"SchemCodFBD", "Исходный код блока"},
    {"ShemDelete", "Удалть лист"},
    {"ShemHelpFBD", "Онлайн справка о блоке"},
};

constexpr uint8_t kShift = 1;
constexpr uint8_t kCtrl = 4;

// A library value names a file below the device's program folder: no "..", no absolute path.
bool safeRelative(const std::string& library) {
    if (library.empty() || library[0] == '\\' || library[0] == '/') return false;
    if (library.size() > 1 && library[1] == ':') return false;
    std::string part;
    for (size_t i = 0; i <= library.size(); ++i) {
        if (i == library.size() || library[i] == '\\' || library[i] == '/') {
            if (part == "..") return false;
            part.clear();
        } else {
            part += library[i];
        }
    }
    return true;
}

std::string joinFolder(std::string folder, const std::string& name) {
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    std::string rest = name;
    while (!rest.empty() && (rest.front() == '\\' || rest.front() == '/')) rest.erase(0, 1);
    return folder + "\\" + rest;
}

std::string fileNamePart(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void openFile(const std::string& path) {
    platform::OpenUrlInBrowser(QUrl::fromLocalFile(QString::fromStdString(platform::nativePath(path))).toString());
}

void report(const TSchemeCommandLink& link, const std::string& text) {
    link.Log(text, 3);
    platform::showMessage(text);
}

}  // namespace

TSchemActions::TSchemActions(TSchemForm& form) : QObject(&form), form_(form), popup_(new QMenu(&form)) {
    popup_->setObjectName("PopupMenuSchem");
    for (const ActionSpec& spec : kActionSpecs) {
        auto* a = new QAction(QString::fromUtf8(spec.caption), this);
        a->setObjectName(spec.name);
        actions_.insert(spec.name, a);
    }
    const struct {
        const char* name;
        uint16_t key;
        uint8_t shift;
    } keys[] = {{"SchemCut", 88, kCtrl},   {"SchemCopy", 67, kCtrl},  {"SchemPaste", 86, kCtrl},
                {"SchemClrSel", 65, kShift}, {"SchemSelAll", 65, kCtrl}};
    for (const auto& k : keys)
        connect(actions_[k.name], &QAction::triggered, this, [this, key = k.key, shift = k.shift] { EditKey(key, shift); });
    connect(actions_["SchemInfFBD"], &QAction::triggered, this, &TSchemActions::SchemInfFBDExecute);
    connect(actions_["SchemSaveAs"], &QAction::triggered, this, &TSchemActions::SchemSaveAsExecute);
    connect(actions_["SchemCodFBD"], &QAction::triggered, this, &TSchemActions::SchemCodFBDExecute);
    connect(actions_["ShemHelpFBD"], &QAction::triggered, this, &TSchemActions::ShemHelpFBDExecute);
    // "Дублировать блок", "Печать экрана" and "Удалть лист" carry no operation.

    QWidget* canvas = form_.Canvas();
    canvas->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(canvas, &QWidget::customContextMenuRequested, this, [this, canvas](const QPoint& at) {
        PopupMenuSchemPopup();
        popup_->popup(canvas->mapToGlobal(at));
    });
}

TSchemeCommandLink TSchemActions::Link() const {
    return form_.HasKernel() ? TSchemeCommandLink(form_.Link()) : TSchemeCommandLink();
}

void TSchemActions::EditKey(uint16_t key, uint8_t shift) {
    const TSchemeCommandLink kernel = Link();
    if (!kernel.Bound()) return;
    bool changed = true;
    kernel.KeyDown(form_.GetSchemeName(), key, shift, changed);
    if (changed) {
        form_.LoadSchemeBitmap();
        form_.FormPaint();
    }
}

void TSchemActions::PopupMenuSchemPopup() {
    popup_->clear();
    form_.NotePopupOpened();
    const TSchemeCommandLink kernel = Link();
    if (!kernel.Bound()) return;
    TSchemeCommandLink::Hit hit;
    const QPoint pointer = form_.Pointer();
    if (kernel.HitTest(form_.GetSchemeName(), pointer.x(), pointer.y(), hit) != 0) return;
    if (hit.selectedBlocks > 0 || hit.selectedLinks > 0) {
        for (const char* name : {"SchemCut", "SchemCopy", "SchemPaste", "SchemClrSel", "SchemSelAll"})
            popup_->addAction(actions_[name]);
        popup_->addSeparator();
    }
    if (hit.blockIndex >= 0) {
        for (const char* name : {"SchemDubl", "SchemInfFBD", "ShemHelpFBD", "SchemCodFBD"})
            popup_->addAction(actions_[name]);
        popup_->addSeparator();
    }
    for (const char* name : {"SchemSaveAs", "SchemPrint"}) {
        actions_[name]->setEnabled(true);
        popup_->addAction(actions_[name]);
    }
}

bool TSchemActions::BlockUnderPointer(TSchemeCommandLink::Hit& hit) const {
    const TSchemeCommandLink kernel = Link();
    if (!kernel.Bound()) return false;
    const QPoint pointer = form_.Pointer();
    return kernel.HitTest(form_.GetSchemeName(), pointer.x(), pointer.y(), hit) == 0 && hit.blockIndex >= 0;
}

void TSchemActions::SchemCodFBDExecute() {
    TSchemeCommandLink::Hit hit;
    if (!BlockUnderPointer(hit)) return;
    const TSchemeCommandLink kernel = Link();
    const std::string library = kernel.BlockLibrary(form_.GetSchemeName(), hit.blockIndex);
    if (library.empty()) {
        report(kernel, ZO_RU("Не задан файл исходного кода."));
        return;
    }
    const std::string programFolder = joinFolder(kernel.DeviceRuntimeFolder(), kernel.DeviceProgram());
    const std::string path = joinFolder(programFolder, library);
    // A library value leading out of the device's program folder is never opened.
    if (!safeRelative(library)) {
        report(kernel, ZO_RU("Не найден файл") + " \"" + path + "\".");
        return;
    }
    if (platform::fileExists(path)) {
        openFile(path);
        return;
    }
    std::vector<std::string> found;
    FindFiles(joinFolder(programFolder, "FBD"), fileNamePart(library), found, true);
    if (!found.empty()) {
        openFile(found.front());
        return;
    }
    report(kernel, ZO_RU("Не найден файл") + " \"" + path + "\".");
}

void TSchemActions::SchemInfFBDExecute() {
    TSchemeCommandLink::Hit hit;
    if (!BlockUnderPointer(hit)) return;
    const TSchemeCommandLink kernel = Link();
    const std::string path = kernel.BlockPath(form_.GetSchemeName(), hit.blockIndex);
    if (path.empty()) return;
    const QImage picture = kernel.BlockInfoBitmap(path);
    if (picture.isNull()) return;
    auto* window = new TFormShowBMP(&form_);
    window->SetPicture(&picture, QString::fromUtf8("Описание блока"));
    window->show();
}

void TSchemActions::ShemHelpFBDExecute() {
    TSchemeCommandLink::Hit hit;
    if (!BlockUnderPointer(hit)) return;
    const TSchemeCommandLink kernel = Link();
    const std::string path = kernel.BlockPath(form_.GetSchemeName(), hit.blockIndex);
    if (path.empty()) {
        report(kernel, ZO_RU("Не задан файл исходного кода."));
        return;
    }
    const std::string encoded = platform::UrlEncode(platform::cp1251ToUtf8(path));
    platform::OpenUrlInBrowser(platform::SiteAddress() + "/FBD/index.php?help=" + QString::fromLatin1(encoded.c_str()));
}

QImage TSchemActions::StampedPicture(const QImage& view, const QString& sheetName, const QString& dateText) {
    QImage picture = view.convertToFormat(QImage::Format_RGB32);
    QPainter painter(&picture);
    QFont font = painter.font();
    font.setPointSize(8);
    font.setBold(true);
    painter.setFont(font);
    const QString top = dateText + "   " + sheetName;
    QFontMetrics metrics(font);
    QRect box(picture.width() - metrics.horizontalAdvance(top) - 7, 0, metrics.horizontalAdvance(top),
              metrics.height());
    painter.fillRect(box, QColor(0xC0, 0xC0, 0xC0));
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, top);
    font.setItalic(true);
    painter.setFont(font);
    const QFontMetrics italic(font);
    const QString address = QString::fromLatin1(platform::kSiteHost);
    painter.setPen(QColor(0, 0, 0xFF));
    const int width = italic.horizontalAdvance(address);
    painter.drawText(QRect(picture.width() - width - 7, picture.height() - italic.height() - 2, width, italic.height()),
                     Qt::AlignLeft | Qt::AlignTop, address);
    painter.end();
    return picture;
}

void TSchemActions::SchemSaveAsExecute() {
    QFileDialog dialog(&form_, QString::fromUtf8("Сохранить изображение схемы как"));
    dialog.setObjectName("SaveDialogImage");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter("jpeg (*.jpg)");
    dialog.setDefaultSuffix("jpg");
    const std::string pictures = platform::GetSpecialFolderPath(39);
    if (!pictures.empty()) dialog.setDirectory(QString::fromStdString(platform::nativePath(pictures)));
    dialog.selectFile(platform::cp1251ToQString(platform::SafeFileName(platform::qstringToCp1251(form_.GetSchemeName() + ".jpg"))));
    const TSchemeCommandLink kernel = Link();
    if (!kernel.Bound()) return;
    if (platform::runDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString fileName = dialog.selectedFiles().first();
    const QImage picture = StampedPicture(form_.Bitmap(), form_.GetSchemeName(),
                                          QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
    QString error;
    if (!SaveJpeg(picture, fileName, 90, &error)) {
        platform::showMessage(platform::qstringToCp1251(fileName + "\r\n" + error), {}, platform::MessageKind::Error);
        return;
    }
    kernel.Log(ZO_RU("Создан файл:") + " \"" + platform::qstringToCp1251(fileName) + "\"", 1);
    form_.RefreshScheme();
}

}  // namespace zo::configurator
