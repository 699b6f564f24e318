#include "configurator/shell/ProjectCommands.h"

#include "common/abi/NewProjectData.h"
#include "common/abi/SheetRecord.h"
#include "configurator/link/KroDialogs.h"
#include "configurator/link/KroLog.h"
#include "configurator/shell/InputWithFileListDialog.h"
#include "configurator/shell/MainForm.h"
#include "configurator/shell/ProgramFrame.h"
#include "configurator/shell/RecentFiles.h"
#include "configurator/shell/StartUp.h"
#include "configurator/shell/Web.h"
#include "configurator/windows/ObjInspect.h"
#include "configurator/windows/SchemForm.h"
#include "configurator/windows/SourceForm.h"
#include "platform/Cp1251.h"
#include "platform/DialogHook.h"
#include "platform/Paths.h"
#include "platform/UiServices.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QUrl>

#include <cstring>

namespace zo::configurator {

namespace {

constexpr int kProjectNameMax = 60;
const char kQ = '"';

// A kernel path as the file system takes it.
QString native(const char* text) {
    return text ? QString::fromStdString(platform::nativePath(text)) : QString();
}

std::string cp(const QString& text) { return platform::qstringToCp1251(text); }

QString withSeparator(QString folder) {
    if (!folder.isEmpty() && !folder.endsWith('/') && !folder.endsWith('\\')) folder += '/';
    return folder;
}

// The element library window shows the device's library (nothing without that window).
void reloadSource(const char* device) {
    if (device) TSourceForm::ReloadSource(device);
}
void clearSource() { TSourceForm::ClearSourceForm(); }

// Description files may have changed since the docked inspector read their lists.
void clearReplacementLists() {
    if (TObjInspect* inspector = TObjInspect::Docked()) inspector->ClearReplacementLists();
}

// An item of its own (its own enabled state) that triggers the window's action.
QAction* proxyItem(QMenu& menu, QAction* action) {
    QAction* item = menu.addAction(action->icon(), action->text(), action, &QAction::trigger);
    return item;
}

// The menu of the bar with this object name, added with the caption when missing.
QMenu* barMenu(QMenuBar* bar, const char* objectName, const char* caption) {
    if (auto* menu = bar->findChild<QMenu*>(QString::fromLatin1(objectName), Qt::FindDirectChildrenOnly)) return menu;
    QMenu* menu = bar->addMenu(QString::fromUtf8(caption));
    menu->setObjectName(objectName);
    return menu;
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

// The name of a kernel sheet record (empty for none).
QString sheetName(const TSheetRecord* sheet) {
    if (!sheet) return {};
    char name[sizeof sheet->Name + 1] = {};
    std::memcpy(name, sheet->Name, sizeof sheet->Name);
    return TKernelLink::text(name);
}

}  // namespace

QString ProposedProjectName(const QString& projectFolder) {
    for (int n = 1;; ++n) {
        const QString name = QString("Project%1").arg(n);
        if (!QFileInfo::exists(withSeparator(projectFolder) + name + kProjectExtension)) return name;
    }
}

std::string ProjectNameError(const std::string& name) {
    if (name.empty()) return ZO_RU("Не задано имя проекта.");
    if (name.size() > size_t(kProjectNameMax))
        return ZO_RU("Имя проекта длиннее 60 символов: ") + kQ + name + kQ;
    if (name.find("..") != std::string::npos || name.find_first_of("\\/:*?\"<>|") != std::string::npos ||
        name.front() == ' ' || name.back() == ' ' || name.back() == '.')
        return ZO_RU("Недопустимое имя проекта: ") + kQ + name + kQ;
    for (unsigned char c : name)
        if (c < 32) return ZO_RU("Недопустимое имя проекта: ") + kQ + name + kQ;
    return {};
}

QString OpenProjectFile(const TMainForm& form) {
    if (form.OpenProjectName.isEmpty()) return {};
    return form.OpenProjectFolder + form.OpenProjectName + kProjectExtension;
}

TProjectCommands::TProjectCommands(TMainForm& form) : QObject(&form), form_(form) {
    setObjectName("ProjectCommands");
    const std::pair<const char*, void (TProjectCommands::*)()> handlers[] = {
        {"NewProject", &TProjectCommands::NewProjectExecute},
        {"OpenProject", &TProjectCommands::OpenProjectExecute},
        {"SaveProject", &TProjectCommands::SaveProjectExecute},
        {"SaveProjectAs", &TProjectCommands::SaveProjectAsExecute},
        {"CloseProject", &TProjectCommands::CloseProjectExecute},
        {"ProjectAddList", &TProjectCommands::ProjectAddListExecute},
        {"ProjectParam", &TProjectCommands::ProjectParamExecute},
        {"ScalePl", &TProjectCommands::ScalePlExecute},
        {"ScaleMi", &TProjectCommands::ScaleMiExecute},
        {"Scale100", &TProjectCommands::Scale100Execute},
    };
    for (const auto& [name, handler] : handlers)
        if (QAction* a = form_.action(name)) connect(a, &QAction::triggered, this, handler);
    fileMenu_ = barMenu(form_.menuBar(), "Files", "Файл");
    connect(fileMenu_, &QMenu::aboutToShow, this, [this] { FilesClick(*fileMenu_); });
    projectMenu_ = barMenu(form_.menuBar(), "project1", "Проект");
    connect(projectMenu_, &QMenu::aboutToShow, this, [this] { project1Click(*projectMenu_); });
    FilesClick(*fileMenu_);
    project1Click(*projectMenu_);
}

void TProjectCommands::setProgramFolderCurrent() {
    TKernelOptions* k = form_.kernel().record();
    if (k && k->GetProgramFolder) QDir::setCurrent(native(k->GetProgramFolder()));
}

void TProjectCommands::showNoProjectTitles() {
    form_.setWindowTitle(QString::fromLatin1(kProgramCaption));
    form_.setWindowIconText("Configurator");
}

void TProjectCommands::setProjectTitles(const QString& pathShown) {
    TKernelOptions* k = form_.kernel().record();
    const QString device = TKernelLink::text(k && k->GetDeviceFilePath ? k->GetDeviceFilePath() : nullptr);
    form_.setWindowTitle(QString::fromLatin1(kProgramCaption) + " - " + pathShown + "  (device: " +
                         QString::fromStdString(platform::fileNameOf(cp(device))) + ")");
    form_.setWindowIconText(form_.OpenProjectName + kProjectExtension);
}

bool TProjectCommands::confirmDrop() {
    if (form_.OpenProjectName.isEmpty()) return true;
    if (!form_.OpenProjectFolder.isEmpty()) return TProgramFrame::ConfirmProjectClose(OpenProjectFile(form_));
    // A project never saved has no file to compare with: it is unsaved work.
    if (TerminatedBySignal() || !form_.kernel().bound()) return true;
    const std::string text = ZO_RU("Проект ") + kQ + cp(form_.OpenProjectName) + kQ +
                             ZO_RU(" изменен. Сохранить изменения?");
    switch (platform::ask(text, ZO_RU("Сохранение проекта"), platform::Buttons::YesNoCancel)) {
    case platform::Answer::Yes: return saveProject();
    case platform::Answer::No: return true;
    default: return false;
    }
}

// ---------------------------------------------------------------------------------------------
// New, open, save, close

void TProjectCommands::NewProjectExecute() {
    TKernelOptions* k = form_.kernel().record();
    clearReplacementLists();
    form_.OpenProjectFolder.clear();
    TNewProjectData data{};
    const std::string proposed = cp(ProposedProjectName(QDir::current().filePath("Project")));
    std::strncpy(data.ProjectName, proposed.c_str(), sizeof data.ProjectName - 1);
    std::string name;
    std::string device;
    {
        ScopedDialogsLibrary dialogs("\\System", &WriteLog);
        if (CallOpenDialogOfType(form_.window(), "TNewConfiguratorProject", &data) >= 1) {
            name.assign(data.ProjectName, strnlen(data.ProjectName, sizeof data.ProjectName));
            device.assign(data.DeviceFile, strnlen(data.DeviceFile, sizeof data.DeviceFile));
        } else if (InputWithFileListDialog(ZO_RU("Новый проект"), ZO_RU("Имя проекта:"), ZO_RU("Устройство:"),
                                           device, name, "Device\\", "*.dev") < 1) {
            name.clear();
            device.clear();
        }
    }
    if (name.empty() || device.empty() || !k || !k->NewProject) {
        form_.UpdateActionStates();
        return;
    }
    if (const std::string error = ProjectNameError(name); !error.empty()) {
        platform::showMessage(error, ZO_RU("Новый проект"), platform::MessageKind::Error);
        form_.UpdateActionStates();
        return;
    }
    if (k->NewProject(name.c_str(), device.c_str()) == 0) {
        platform::showMessage(ZO_RU("Проект ") + name + ZO_RU(" создан."));
        form_.OpenProjectFolder.clear();
        form_.OpenProjectName = platform::cp1251ToQString(name);
        setProjectTitles(form_.OpenProjectName);
        reloadSource(k->GetDeviceFilePath ? k->GetDeviceFilePath() : nullptr);
        if (k->AddSheet) k->AddSheet();
    }
    form_.UpdateActionStates();
}

bool TProjectCommands::openNamedProject(bool programFolderCurrent) {
    TKernelOptions* k = form_.kernel().record();
    const QString path = OpenProjectFile(form_);
    const int r = k && k->OpenProject ? k->OpenProject(cp(path).c_str()) : -1;
    if (r != 0) {
        log(ZO_RU("Ошибка открытия проекта ") + kQ + cp(path) + kQ, LogLevel::Error);
        if (k && k->CloseProject) k->CloseProject("");
        form_.OpenProjectFolder.clear();
        form_.OpenProjectName.clear();
        showNoProjectTitles();
        return false;
    }
    setProjectTitles(path);
    if (programFolderCurrent) setProgramFolderCurrent();
    reloadSource(k->GetDeviceFilePath ? k->GetDeviceFilePath() : nullptr);
    return true;
}

void TProjectCommands::OpenProjectExecute() {
    TKernelOptions* k = form_.kernel().record();
    const QString folder = native(k && k->GetProjectFolder ? k->GetProjectFolder() : nullptr);
    const QString title = QString::fromUtf8("Открытие проекта ") + kQ + kProgramCaption + kQ;
    const QString file = chooseFile(&form_, false, title, folder, {});
    setProgramFolderCurrent();
    // Cancel leaves the open project (if any) as it was, in the program and the kernel.
    if (file.isEmpty() || !confirmDrop()) {
        form_.UpdateActionStates();
        return;
    }
    clearReplacementLists();
    if (!form_.OpenProjectName.isEmpty()) {
        if (k && k->CloseProject) k->CloseProject(cp(OpenProjectFile(form_)).c_str());
        clearSource();
    }
    const QFileInfo info(file);
    form_.OpenProjectFolder = withSeparator(info.absolutePath());
    form_.OpenProjectName = info.completeBaseName();
    if (k) openNamedProject(true);
    else {
        form_.OpenProjectFolder.clear();
        form_.OpenProjectName.clear();
    }
    setProgramFolderCurrent();
    form_.UpdateActionStates();
}

bool TProjectCommands::saveTo(const QString& path) {
    TKernelOptions* k = form_.kernel().record();
    const int r = k->SaveProject ? k->SaveProject(cp(path).c_str()) : -1;
    if (r != 0) {
        platform::showMessage(ZO_RU("Не удалось сохранить проект ") + kQ + cp(path) + kQ,
                              ZO_RU("Сохранение проекта"), platform::MessageKind::Error);
        return false;
    }
    AddRecentFile(platform::RegistryRoot::CurrentUser, kClosedProjectsKey, cp(path));
    return true;
}

bool TProjectCommands::saveProject() {
    TKernelOptions* k = form_.kernel().record();
    if (!k || form_.OpenProjectName.isEmpty()) return false;
    QString folder = form_.OpenProjectFolder;
    if (folder.isEmpty()) {
        folder = withSeparator(native(k->GetProjectFolder ? k->GetProjectFolder() : nullptr));
        // A project never saved does not silently replace a file of the same name.
        const QString path = folder + form_.OpenProjectName + kProjectExtension;
        if (QFileInfo::exists(path) &&
            platform::ask(ZO_RU("Файл ") + kQ + cp(path) + kQ + ZO_RU(" уже существует. Заменить его?"),
                          ZO_RU("Сохранение проекта"), platform::Buttons::YesNo) != platform::Answer::Yes)
            return false;
    }
    const QString path = folder + form_.OpenProjectName + kProjectExtension;
    if (!saveTo(path)) return false;
    form_.OpenProjectFolder = folder;
    setProjectTitles(path);
    return true;
}

void TProjectCommands::SaveProjectExecute() {
    saveProject();
    form_.UpdateActionStates();
}

void TProjectCommands::SaveProjectAsExecute() {
    TKernelOptions* k = form_.kernel().record();
    const QString programFolder = native(k && k->GetProgramFolder ? k->GetProgramFolder() : nullptr);
    const QString title = QString::fromUtf8("Сохранение проекта ") + kQ + kProgramCaption + kQ;
    const QString file = chooseFile(&form_, true, title, withSeparator(programFolder) + "Project",
                                    form_.OpenProjectName + kProjectExtension);
    if (!file.isEmpty() && k) {
        setProgramFolderCurrent();
        const QFileInfo info(file);
        const QString folder = withSeparator(info.absolutePath());
        const QString name = info.completeBaseName();
        if (const std::string error = ProjectNameError(cp(name)); !error.empty()) {
            platform::showMessage(error, ZO_RU("Сохранение проекта"), platform::MessageKind::Error);
        } else if (saveTo(folder + name + kProjectExtension)) {
            form_.OpenProjectFolder = folder;
            form_.OpenProjectName = name;
            setProjectTitles(folder + name + kProjectExtension);
        }
    }
    if (k) setProgramFolderCurrent();
    form_.UpdateActionStates();
}

void TProjectCommands::CloseProjectExecute() {
    TKernelOptions* k = form_.kernel().record();
    if (k && (!form_.OpenProjectName.isEmpty() || !form_.OpenProjectFolder.isEmpty())) {
        if (!confirmDrop()) {
            form_.UpdateActionStates();
            return;
        }
        clearReplacementLists();
        const QString path = form_.OpenProjectFolder + form_.OpenProjectName + kProjectExtension;
        if (k->CloseProject) k->CloseProject(cp(path).c_str());
        // A project never saved has no file to remember.
        if (!form_.OpenProjectFolder.isEmpty())
            AddRecentFile(platform::RegistryRoot::CurrentUser, kClosedProjectsKey, cp(path));
        form_.OpenProjectFolder.clear();
        form_.OpenProjectName.clear();
        showNoProjectTitles();
    }
    clearSource();
    form_.UpdateActionStates();
}

void TProjectCommands::FastOpenPrjClick(int tag) {
    TKernelOptions* k = form_.kernel().record();
    const std::string path = GetRecentFile(platform::RegistryRoot::CurrentUser, kClosedProjectsKey, tag);
    if (path.empty()) return;
    if (!confirmDrop()) return;
    clearReplacementLists();
    if (!form_.OpenProjectName.isEmpty() || !form_.OpenProjectFolder.isEmpty()) {
        if (k && k->CloseProject) k->CloseProject(cp(OpenProjectFile(form_)).c_str());
        clearSource();
    }
    const QFileInfo info(QString::fromStdString(platform::nativePath(path)));
    form_.OpenProjectFolder = withSeparator(info.absolutePath());
    form_.OpenProjectName = info.completeBaseName();
    if (k) openNamedProject(false);
    else {
        form_.OpenProjectFolder.clear();
        form_.OpenProjectName.clear();
    }
    form_.UpdateActionStates();
}

// ---------------------------------------------------------------------------------------------
// Sheets, header, zoom

void TProjectCommands::ProjectAddListExecute() {
    TKernelOptions* k = form_.kernel().record();
    if (k && k->AddSheet) k->AddSheet();
}

void TProjectCommands::ProjectParamExecute() {
    TKernelOptions* k = form_.kernel().record();
    if (k && k->EditProjectHeader) k->EditProjectHeader();
}

namespace {
TSchemForm* activeSchemForm(TMainForm& form) {
    return qobject_cast<TSchemForm*>(form.mdiArea()->activeSubWindow());
}
}  // namespace

void TProjectCommands::ScalePlExecute() {
    if (TSchemForm* f = activeSchemForm(form_)) f->ScalePlus();
}
void TProjectCommands::ScaleMiExecute() {
    if (TSchemForm* f = activeSchemForm(form_)) f->ScaleMinus();
}
void TProjectCommands::Scale100Execute() {
    if (TSchemForm* f = activeSchemForm(form_)) f->Scale100();
}

// ---------------------------------------------------------------------------------------------
// Menus

void TProjectCommands::FilesClick(QMenu& menu) {
    menu.clear();
    const bool open = !form_.OpenProjectName.isEmpty();
    QAction* neu = proxyItem(menu, form_.action("NewProject"));
    QAction* opn = proxyItem(menu, form_.action("OpenProject"));
    neu->setObjectName("FileNewProject");
    opn->setObjectName("FileOpenProject");
    neu->setEnabled(!open);
    opn->setEnabled(!open);
    menu.addAction(form_.action("CloseProject"));
    menu.addSeparator();
    menu.addAction(form_.action("SaveProject"));
    menu.addAction(form_.action("SaveProjectAs"));
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
    QAction* quit = menu.addAction(QString::fromUtf8("Выход"), &form_, &QWidget::close);
    quit->setObjectName("FileExit");
}

void TProjectCommands::project1Click(QMenu& menu) {
    menu.clear();
    // The submenus of the last opening go with their items.
    for (QMenu* sub : menu.findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) delete sub;
    TKernelOptions* k = form_.kernel().record();
    const bool open = !form_.OpenProjectName.isEmpty();
    QAction* add = proxyItem(menu, form_.action("ProjectAddList"));
    add->setObjectName("ProjectMenuAddList");
    add->setEnabled(open);
    if (open && k) {
        const int sheets = k->GetSheetCount ? int(k->GetSheetCount() & 0xFFFF) : 0;
        if (sheets > 0) {
            QMenu* sub = menu.addMenu(QString::fromUtf8("Схемы"));
            sub->setObjectName("Shems");
            for (int i = 0; i < sheets; ++i) {
                TSheetRecord* sheet = k->GetSheet ? k->GetSheet(i) : nullptr;
                const QString name = sheetName(sheet);
                QAction* item = sub->addAction(name);
                item->setData(i);
                connect(item, &QAction::triggered, this, [this, i] { OpenShemClick(i); });
            }
        }
        const int files = k->LibraryFileCount ? k->LibraryFileCount() : 0;
        if (files > 0) {
            QMenu* sub = menu.addMenu(QString::fromUtf8("Описание FBD"));
            sub->setObjectName("LibraryFiles");
            for (int i = 0; i < files; ++i) {
                QAction* item = sub->addAction(TKernelLink::text(k->GetLibraryFile ? k->GetLibraryFile(i) : nullptr));
                item->setData(i);
                connect(item, &QAction::triggered, this, [this, i] { OpenXMLClick(i); });
            }
        }
    }
    menu.addSeparator();
    QMenu* config = menu.addMenu(QString::fromUtf8("Конфигурация"));
    config->setObjectName("Configuration");
    config->addAction(form_.action("ProjectCreateCFG"));
    config->addAction(form_.action("ProjectUpload"));
    if (QAction* a = form_.action("ProjectOpenUpload")) config->addAction(a);
    if (k && k->GetDeviceProgram && std::strcmp(k->GetDeviceProgram(), "VT_win.exe") == 0) {
        config->addSeparator();
        config->addAction(form_.action("ProjectRunUpload"));
        config->addAction(form_.action("ProjectStopUpload"));
    }
    menu.addSeparator();
    QAction* param = proxyItem(menu, form_.action("ProjectParam"));
    param->setObjectName("ProjectMenuParam");
    param->setEnabled(open);
}

void TProjectCommands::OpenShemClick(int tag) {
    TKernelOptions* k = form_.kernel().record();
    if (!k || !k->GetSheet || !k->OpenSheetWindow) return;
    const QString name = sheetName(k->GetSheet(int16_t(tag)));
    k->OpenSheetWindow(cp(name).c_str());
}

namespace {
// A local file in the desktop's browser.
void openUrl(const QString& path) { OpenUrlInBrowser(QUrl::fromLocalFile(path).toString()); }
}  // namespace

void TProjectCommands::OpenXMLClick(int tag) {
    TKernelOptions* k = form_.kernel().record();
    if (!k || !k->GetProgramFolder || !k->GetLibraryFile) return;
    openUrl(QString::fromStdString(platform::nativePath(std::string(k->GetProgramFolder()) + k->GetLibraryFile(tag))));
}

void TProjectCommands::OpenUpdateXMLClick() {
    TKernelOptions* k = form_.kernel().record();
    if (!k || !k->GetProgramFolder) return;
    openUrl(QString::fromStdString(platform::nativePath(std::string(k->GetProgramFolder()) + "\\Update\\Update.xml")));
}

}  // namespace zo::configurator
