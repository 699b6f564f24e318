#include "configurator/shell/ProjectCommands.h"

#include "common/abi/NewProjectData.h"
#include "configurator/link/HostSlots.h"
#include "configurator/link/KroDialogs.h"
#include "configurator/link/KroLog.h"
#include "configurator/link/ProjectSession.h"
#include "configurator/shell/Actions.h"
#include "configurator/shell/InputWithFileListDialog.h"
#include "configurator/shell/ProgramFrame.h"
#include "configurator/shell/ProgramPanels.h"
#include "configurator/shell/RecentFiles.h"
#include "configurator/shell/StartUp.h"
#include "platform/Web.h"
#include "configurator/windows/SchemForm.h"
#include "platform/Cp1251.h"
#include "platform/DialogHook.h"
#include "platform/Paths.h"
#include "platform/UiServices.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QUrl>

#include <cstring>

namespace zo::configurator {

namespace {

constexpr int kProjectNameMax = 60;
// The cell of the icon strip that the File menu's "Выход" shows.
constexpr int kExitIcon = 24;
const char kQ = '"';

std::string cp(const QString& text) { return platform::qstringToCp1251(text); }

QString withSeparator(QString folder) {
    if (!folder.isEmpty() && !folder.endsWith('/') && !folder.endsWith('\\')) folder += '/';
    return folder;
}

// An item of its own (its own enabled state) that triggers the window's action.
QAction* proxyItem(QMenu& menu, QAction* action) {
    QAction* item = menu.addAction(action->icon(), action->text(), action, &QAction::trigger);
    return item;
}

// The open and save choosers: non-native, run through the dialog hook.
QString chooseFile(QWidget* owner, bool save, const QString& title, const QString& folder, const QString& name) {
    QFileDialog dialog(owner, title, folder);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter("Orvanta config (*.hc)");
    dialog.setDefaultSuffix("hc");
    if (!name.isEmpty()) dialog.selectFile(name);
    if (platform::runDialog(dialog) != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || QFileInfo(files.first()).isDir()) return {};
    QString file = files.first();
    if (QFileInfo(file).suffix().isEmpty()) file += kProjectExtension;
    return file;
}

void log(const std::string& text, uint8_t level) { WriteLog(text.c_str(), level); }

// Whether two paths name one file (through links), or the same path where neither exists yet.
bool sameFile(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    return ca.isEmpty() || cb.isEmpty() ? QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath() : ca == cb;
}

}  // namespace

namespace {
std::string unnamableText(const QString& path) {
    return ZO_RU("Путь ") + kQ + platform::readableCp1251(path) + kQ +
           ZO_RU(" содержит символы, которых нет в кодировке Windows-1251: проект по этому пути "
                 "не может быть открыт или сохранен.");
}
}  // namespace

void ReportUnnamablePath(const QString& path, const std::string& caption) {
    platform::showMessage(unnamableText(path), caption, platform::MessageKind::Error);
}

std::string OpenedFileError(const QString& path) {
    if (!TProjectSession::KernelCanName(path)) return unnamableText(path);
    const std::string shown = kQ + platform::readableCp1251(path) + kQ;
    const QFileInfo info(path);
    if (const std::string error = ProjectNameError(cp(info.completeBaseName())); !error.empty())
        return ZO_RU("Файл ") + shown + ZO_RU(" не открыт: ") + error;
    if (info.isDir()) return ZO_RU("Файл ") + shown + ZO_RU(" не открыт: это папка, а не файл проекта.");
    if (!info.exists()) return ZO_RU("Файл ") + shown + ZO_RU(" не найден.");
    return {};
}

void ReportOpenFailure(SessionResult result, const QString& path) {
    const std::string caption = ZO_RU("Открытие проекта");
    if (result == SessionResult::Unnamable) ReportUnnamablePath(path, caption);
    if (result == SessionResult::NotProject)
        platform::showMessage(ZO_RU("Файл ") + kQ + platform::readableCp1251(path) + kQ +
                                  ZO_RU(" не является файлом проекта: в нем нет элемента <Orvanta_config> с "
                                        "разделом <Проект>."),
                              caption, platform::MessageKind::Error);
}

bool CheckOpenedFile(const QString& path) {
    const std::string error = OpenedFileError(path);
    if (error.empty()) return true;
    log(error, LogLevel::Error);
    platform::showMessage(error, ZO_RU("Открытие проекта"), platform::MessageKind::Error);
    return false;
}

QString ProposedProjectName(const QString& projectFolder) {
    for (int n = 1;; ++n) {
        const QString name = QString("Project%1").arg(n);
        if (!QFileInfo::exists(withSeparator(projectFolder) + name + kProjectExtension)) return name;
    }
}

std::string ProjectNameError(const std::string& name) {
    if (name.empty()) return ZO_RU("Не задано имя проекта.");
    // A line feed or another control character is named, not written into the message.
    const std::string shown = kQ + platform::readableCp1251(platform::cp1251ToQString(name)) + kQ;
    if (name.size() > size_t(kProjectNameMax)) return ZO_RU("Имя проекта длиннее 60 символов: ") + shown;
    if (name.find("..") != std::string::npos || name.find_first_of("\\/:*?\"<>|") != std::string::npos ||
        name.front() == ' ' || name.back() == ' ' || name.back() == '.')
        return ZO_RU("Недопустимое имя проекта: ") + shown;
    for (unsigned char c : name)
        if (c < 32 || c == 127) return ZO_RU("Недопустимое имя проекта: ") + shown;
    return {};
}


TProjectCommands::TProjectCommands(TProjectSession& session, TActions& actions, IHostServices& host,
                                   TProgramPanels& panels, QMdiArea& area, QWidget& window, QMenu& fileMenu,
                                   QMenu& projectMenu)
    : QObject(&window), session_(session), actions_(actions), host_(host), panels_(panels), area_(area),
      window_(window), fileMenu_(fileMenu), projectMenu_(projectMenu) {
    setObjectName("ProjectCommands");
    actions_.ConnectAll<TProjectCommands>(this, {
        {ActionId::NewProject, &TProjectCommands::NewProjectExecute},
        {ActionId::OpenProject, &TProjectCommands::OpenProjectExecute},
        {ActionId::SaveProject, &TProjectCommands::SaveProjectExecute},
        {ActionId::SaveProjectAs, &TProjectCommands::SaveProjectAsExecute},
        {ActionId::CloseProject, &TProjectCommands::CloseProjectExecute},
        {ActionId::ProjectAddList, &TProjectCommands::ProjectAddListExecute},
        {ActionId::ProjectParam, &TProjectCommands::ProjectParamExecute},
        {ActionId::ScalePl, &TProjectCommands::ScalePlExecute},
        {ActionId::ScaleMi, &TProjectCommands::ScaleMiExecute},
        {ActionId::Scale100, &TProjectCommands::Scale100Execute},
    });
    // Told once the open has finished (the caption set, the panels docked).
    connect(&session_, &TProjectSession::Opened, this, &TProjectCommands::ReportRecoveryCopy, Qt::QueuedConnection);
    connect(&fileMenu_, &QMenu::aboutToShow, this, [this] { FilesClick(fileMenu_); });
    connect(&projectMenu_, &QMenu::aboutToShow, this, [this] { Project1Click(projectMenu_); });
    FilesClick(fileMenu_);
    Project1Click(projectMenu_);
}

void TProjectCommands::SetProgramFolderCurrent() {
    const QString folder = session_.FolderPath(KernelFolder::Program);
    if (!folder.isEmpty()) QDir::setCurrent(folder);
}

bool TProjectCommands::ConfirmDrop() {
    // A run ended by a signal asks and saves nothing.
    if (!session_.IsOpen() || TerminatedBySignal() || !session_.Bound()) return true;
    // A project never saved has no file to compare with: it is unsaved work.
    const bool saved = !session_.Folder().isEmpty();
    if (saved && !session_.DiffersFromFile()) return true;
    const std::string text = ZO_RU("Проект ") + kQ + cp(saved ? session_.FilePath() : session_.Name()) + kQ +
                             ZO_RU(" изменен. Сохранить изменения?");
    switch (platform::ask(text, ZO_RU("Сохранение проекта"), platform::Buttons::YesNoCancel)) {
    case platform::Answer::Yes:
        switch (SaveProject()) {
        case SaveOutcome::Saved: return true;
        case SaveOutcome::Failed: return AfterFailedSave();
        case SaveOutcome::Cancelled: return false;
        }
        return false;
    case platform::Answer::No: return true;
    default: return false;
    }
}

void TProjectCommands::KeepUnsavedWork() {
    if (!session_.IsOpen() || !session_.Bound() || !session_.DiffersFromFile()) return;
    const std::string project = cp(session_.ShownPath());
    const std::string copy = cp(session_.RecoveryPath());
    if (session_.SaveRecoveryCopy())
        log(ZO_RU("Программа завершена сигналом: несохраненные изменения проекта ") + kQ + project + kQ +
                ZO_RU(" записаны в ") + kQ + copy + kQ,
            LogLevel::Warning);
    else
        log(ZO_RU("Программа завершена сигналом: не удалось записать несохраненные изменения проекта ") + kQ +
                project + kQ + ZO_RU(" в ") + kQ + copy + kQ,
            LogLevel::Error);
}

void TProjectCommands::ReportRecoveryCopy() {
    const QString copy = session_.RecoveryPath();
    if (copy.isEmpty() || !QFileInfo(copy).isFile()) return;
    const std::string text =
        ZO_RU("Найдена копия несохраненных изменений проекта ") + kQ + cp(session_.ShownPath()) + kQ +
        ZO_RU(", записанная, когда программа была завершена сигналом (") +
        cp(QFileInfo(copy).lastModified().toString("dd.MM.yyyy HH:mm:ss")) + "): " + kQ + cp(copy) + kQ +
        ZO_RU(". Чтобы открыть ее, дайте ей имя с расширением .hc.");
    log(text, LogLevel::Warning);
    platform::showMessage(text, ZO_RU("Открытие проекта"), platform::MessageKind::Warning);
}

bool TProjectCommands::AfterFailedSave() {
    const std::string text = ZO_RU("Проект ") + kQ + cp(session_.Name()) + kQ +
                             ZO_RU(" не сохранен. Сохранить его в другом месте? (Нет: закрыть без сохранения)");
    for (;;) {
        switch (platform::ask(text, ZO_RU("Сохранение проекта"), platform::Buttons::YesNoCancel)) {
        case platform::Answer::Yes:
            if (SaveAs() == SaveOutcome::Saved) return true;
            break;
        case platform::Answer::No: return true;
        default: return false;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// New, open, save, close

void TProjectCommands::NewProjectExecute() {
    panels_.ClearReplacementLists();
    TNewProjectData data{};
    const std::string proposed = cp(ProposedProjectName(QDir::current().filePath("Project")));
    std::strncpy(data.ProjectName, proposed.c_str(), sizeof data.ProjectName - 1);
    std::string name;
    std::string device;
    {
        ScopedDialogsLibrary dialogs("\\System", &WriteLog);
        if (CallOpenDialogOfType(window_.window(), "TNewConfiguratorProject", &data) >= 1) {
            name.assign(data.ProjectName, strnlen(data.ProjectName, sizeof data.ProjectName));
            device.assign(data.DeviceFile, strnlen(data.DeviceFile, sizeof data.DeviceFile));
        } else if (InputWithFileListDialog(ZO_RU("Новый проект"), ZO_RU("Имя проекта:"), ZO_RU("Устройство:"),
                                           device, name, "Device\\", "*.dev") < 1) {
            name.clear();
            device.clear();
        }
    }
    if (name.empty() || device.empty() || !session_.Bound()) {
        host_.UpdateActionStates();
        return;
    }
    if (const std::string error = ProjectNameError(name); !error.empty()) {
        platform::showMessage(error, ZO_RU("Новый проект"), platform::MessageKind::Error);
        host_.UpdateActionStates();
        return;
    }
    if (session_.New(name, device) == SessionResult::Done) {
        platform::showMessage(ZO_RU("Проект ") + name + ZO_RU(" создан."));
        session_.AddSheet();
    }
    host_.UpdateActionStates();
}

void TProjectCommands::CloseForOpen() {
    session_.Close();
    panels_.ClearSource();
}

bool TProjectCommands::OpenProject(const QString& path, bool programFolderCurrent) {
    if (!session_.Bound()) {
        session_.Assign({}, {});
        return false;
    }
    const SessionResult opened = session_.Open(path);
    ReportOpenFailure(opened, TProjectSession::ProjectFileOf(path));
    if (opened != SessionResult::Done) {
        log(ZO_RU("Ошибка открытия проекта ") + kQ + cp(TProjectSession::ProjectFileOf(path)) + kQ, LogLevel::Error);
        return false;
    }
    if (programFolderCurrent) SetProgramFolderCurrent();
    return true;
}

void TProjectCommands::OpenProjectExecute() {
    const QString folder = session_.FolderPath(KernelFolder::Project);
    const QString title = QString::fromUtf8("Открытие проекта ") + kQ + kProgramCaption + kQ;
    const QString file = chooseFile(&window_, false, title, folder, {});
    SetProgramFolderCurrent();
    // Cancel leaves the open project (if any) as it was, in the program and the kernel;
    // so does a file that cannot be opened as a project.
    if (!file.isEmpty() && !CheckOpenedFile(TProjectSession::ProjectFileOf(file))) {
        host_.UpdateActionStates();
        return;
    }
    if (file.isEmpty() || !ConfirmDrop()) {
        host_.UpdateActionStates();
        return;
    }
    panels_.ClearReplacementLists();
    if (session_.IsOpen()) CloseForOpen();
    OpenProject(file, true);
    SetProgramFolderCurrent();
    host_.UpdateActionStates();
}

TProjectCommands::SaveOutcome TProjectCommands::SaveTo(const QString& path) {
    // Another program (a second instance) may have saved over the file since
    // this one opened or saved it: its work is not replaced unasked.
    if (session_.IsOpen() && !session_.Folder().isEmpty() && sameFile(path, session_.FilePath()) &&
        !session_.FileStillOurs()) {
        const std::string text =
            ZO_RU("Файл проекта ") + kQ + cp(path) + kQ +
            ZO_RU(" изменен другой программой после того, как он был открыт или сохранен здесь. Заменить его? "
                  "(Нет: сохранить проект в другом месте)");
        switch (platform::ask(text, ZO_RU("Сохранение проекта"), platform::Buttons::YesNoCancel)) {
        case platform::Answer::Yes: break;
        case platform::Answer::No: return SaveAs();
        default: return SaveOutcome::Cancelled;
        }
    }
    const SessionResult saved = session_.Save(path);
    if (saved == SessionResult::Unnamable) {
        ReportUnnamablePath(path, ZO_RU("Сохранение проекта"));
        return SaveOutcome::Failed;
    }
    if (saved != SessionResult::Done) {
        platform::showMessage(ZO_RU("Не удалось сохранить проект ") + kQ + cp(path) + kQ,
                              ZO_RU("Сохранение проекта"), platform::MessageKind::Error);
        return SaveOutcome::Failed;
    }
    AddRecentFile(platform::RegistryRoot::CurrentUser, kClosedProjectsKey, cp(path));
    return SaveOutcome::Saved;
}

TProjectCommands::SaveOutcome TProjectCommands::SaveProject() {
    if (!session_.Bound() || !session_.IsOpen()) return SaveOutcome::Failed;
    QString folder = session_.Folder();
    if (folder.isEmpty()) {
        folder = withSeparator(session_.FolderPath(KernelFolder::Project));
        // A project never saved does not silently replace a file of the same name.
        const QString path = folder + session_.Name() + kProjectExtension;
        if (QFileInfo::exists(path) &&
            platform::ask(ZO_RU("Файл ") + kQ + cp(path) + kQ + ZO_RU(" уже существует. Заменить его?"),
                          ZO_RU("Сохранение проекта"), platform::Buttons::YesNo) != platform::Answer::Yes)
            return SaveOutcome::Cancelled;
    }
    return SaveTo(folder + session_.Name() + kProjectExtension);
}

void TProjectCommands::SaveProjectExecute() {
    SaveProject();
    host_.UpdateActionStates();
}

TProjectCommands::SaveOutcome TProjectCommands::SaveAs() {
    const QString programFolder = session_.FolderPath(KernelFolder::Program);
    const QString title = QString::fromUtf8("Сохранение проекта ") + kQ + kProgramCaption + kQ;
    const QString file = chooseFile(&window_, true, title, withSeparator(programFolder) + "Project",
                                    session_.Name() + kProjectExtension);
    SaveOutcome saved = file.isEmpty() ? SaveOutcome::Cancelled : SaveOutcome::Failed;
    if (!file.isEmpty() && session_.Bound()) {
        SetProgramFolderCurrent();
        const QString path = TProjectSession::ProjectFileOf(file);
        if (const std::string error = ProjectNameError(cp(QFileInfo(file).completeBaseName())); !error.empty())
            platform::showMessage(error, ZO_RU("Сохранение проекта"), platform::MessageKind::Error);
        else
            saved = SaveTo(path);
    }
    if (session_.Bound()) SetProgramFolderCurrent();
    return saved;
}

void TProjectCommands::SaveProjectAsExecute() {
    SaveAs();
    host_.UpdateActionStates();
}

void TProjectCommands::CloseProjectExecute() {
    if (session_.Bound() && (session_.IsOpen() || !session_.Folder().isEmpty())) {
        if (!ConfirmDrop()) {
            host_.UpdateActionStates();
            return;
        }
        panels_.ClearReplacementLists();
        const QString path = session_.Folder() + session_.Name() + kProjectExtension;
        const bool saved = !session_.Folder().isEmpty();
        session_.Close();
        // A project never saved has no file to remember.
        if (saved) AddRecentFile(platform::RegistryRoot::CurrentUser, kClosedProjectsKey, cp(path));
    }
    panels_.ClearSource();
    host_.UpdateActionStates();
}

void TProjectCommands::FastOpenPrjClick(int tag) {
    const std::string path = GetRecentFile(platform::RegistryRoot::CurrentUser, kClosedProjectsKey, tag);
    if (path.empty()) return;
    const QString file = QString::fromStdString(platform::nativePath(path));
    if (!CheckOpenedFile(TProjectSession::ProjectFileOf(file)) || !ConfirmDrop()) return;
    panels_.ClearReplacementLists();
    if (session_.IsOpen() || !session_.Folder().isEmpty()) CloseForOpen();
    OpenProject(file, false);
    host_.UpdateActionStates();
}

// ---------------------------------------------------------------------------------------------
// Sheets, header, zoom

void TProjectCommands::ProjectAddListExecute() { session_.AddSheet(); }

void TProjectCommands::ProjectParamExecute() { session_.EditProjectHeader(); }

namespace {
TSchemForm* activeSchemForm(QMdiArea& area) { return qobject_cast<TSchemForm*>(area.activeSubWindow()); }
}  // namespace

void TProjectCommands::ScalePlExecute() {
    if (TSchemForm* f = activeSchemForm(area_)) f->ScalePlus();
}
void TProjectCommands::ScaleMiExecute() {
    if (TSchemForm* f = activeSchemForm(area_)) f->ScaleMinus();
}
void TProjectCommands::Scale100Execute() {
    if (TSchemForm* f = activeSchemForm(area_)) f->Scale100();
}

// ---------------------------------------------------------------------------------------------
// Menus

void TProjectCommands::FilesClick(QMenu& menu) {
    menu.clear();
    const bool open = session_.IsOpen();
    QAction* neu = proxyItem(menu, actions_[ActionId::NewProject]);
    QAction* opn = proxyItem(menu, actions_[ActionId::OpenProject]);
    neu->setObjectName("FileNewProject");
    opn->setObjectName("FileOpenProject");
    neu->setEnabled(!open);
    opn->setEnabled(!open);
    menu.addAction(actions_[ActionId::CloseProject]);
    menu.addSeparator();
    menu.addAction(actions_[ActionId::SaveProject]);
    menu.addAction(actions_[ActionId::SaveProjectAs]);
    menu.addSeparator();
    using platform::RegistryRoot;
    if (!GetRecentFile(RegistryRoot::CurrentUser, kClosedProjectsKey, 0).empty()) {
        PruneRecentFiles(RegistryRoot::CurrentUser, kClosedProjectsKey);
        for (int n = 0; n < kRecentFileCount; ++n) {
            const std::string path = GetRecentFile(RegistryRoot::CurrentUser, kClosedProjectsKey, n);
            if (path.empty()) break;
            QAction* item = menu.addAction(QString::number(n) + ". " + platform::cp1251ToQString(path));
            item->setObjectName(QString("Recent%1").arg(n));
            item->setData(n);
            connect(item, &QAction::triggered, this, [this, n] { FastOpenPrjClick(n); });
        }
        menu.addSeparator();
    }
    QAction* quit = menu.addAction(actions_.Icon(kExitIcon), QString::fromUtf8("Выход"), &window_, &QWidget::close);
    quit->setObjectName("FileExit");
}

void TProjectCommands::Project1Click(QMenu& menu) {
    menu.clear();
    // The submenus of the last opening go with their items.
    for (QMenu* sub : menu.findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) delete sub;
    const bool open = session_.IsOpen();
    QAction* add = proxyItem(menu, actions_[ActionId::ProjectAddList]);
    add->setObjectName("ProjectMenuAddList");
    add->setEnabled(open);
    if (open && session_.Bound()) {
        const int sheets = session_.SheetCount();
        if (sheets > 0) {
            QMenu* sub = menu.addMenu(QString::fromUtf8("Схемы"));
            sub->setObjectName("Shems");
            for (int i = 0; i < sheets; ++i) {
                QAction* item = sub->addAction(session_.SheetName(i));
                item->setData(i);
                connect(item, &QAction::triggered, this, [this, i] { OpenShemClick(i); });
            }
        }
        const int files = session_.LibraryFileCount();
        if (files > 0) {
            QMenu* sub = menu.addMenu(QString::fromUtf8("Описание FBD"));
            sub->setObjectName("LibraryFiles");
            for (int i = 0; i < files; ++i) {
                QAction* item = sub->addAction(session_.LibraryFile(i));
                item->setData(i);
                connect(item, &QAction::triggered, this, [this, i] { OpenXMLClick(i); });
            }
        }
    }
    menu.addSeparator();
    QMenu* config = menu.addMenu(QString::fromUtf8("Конфигурация"));
    config->setObjectName("Configuration");
    config->addAction(actions_[ActionId::ProjectCreateCFG]);
    config->addAction(actions_[ActionId::ProjectUpload]);
    config->addAction(actions_[ActionId::ProjectOpenUpload]);
    if (session_.DeviceProgramText() == "VT_win.exe") {
        config->addSeparator();
        config->addAction(actions_[ActionId::ProjectRunUpload]);
        config->addAction(actions_[ActionId::ProjectStopUpload]);
    }
    menu.addSeparator();
    QAction* param = proxyItem(menu, actions_[ActionId::ProjectParam]);
    param->setObjectName("ProjectMenuParam");
    param->setEnabled(open);
}

void TProjectCommands::OpenShemClick(int tag) {
    if (!session_.Bound()) return;
    session_.OpenSheetWindow(session_.SheetName(tag));
}

namespace {
// A local file in the desktop's browser.
void openUrl(const QString& path) {
    if (!path.isEmpty()) platform::OpenUrlInBrowser(QUrl::fromLocalFile(path).toString());
}
}  // namespace

void TProjectCommands::OpenXMLClick(int tag) {
    if (session_.LibraryFile(tag).isEmpty()) return;
    openUrl(session_.ProgramPath(cp(session_.LibraryFile(tag))));
}

}  // namespace zo::configurator
