#include "configurator/shell/MainForm.h"

#include "common/KroKernelConfig.h"
#include "configurator/link/KroConnect.h"
#include "configurator/link/KroConvert.h"
#include "configurator/link/KroLog.h"
#include "configurator/link/LogLink.h"
#include "configurator/shell/BuildCommand.h"
#include "configurator/shell/MainMenus.h"
#include "configurator/shell/ProgramUpdate.h"
#include "configurator/shell/PanelLogForm.h"
#include "configurator/shell/ProgramFrame.h"
#include "configurator/shell/ProgramPanels.h"
#include "configurator/shell/ProjectCommands.h"
#include "configurator/shell/SchemeWindowServices.h"
#include "configurator/shell/UploadCommands.h"
#include "configurator/windows/CustomDockForm.h"
#include "configurator/windows/FrameSite.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/UiServices.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMetaObject>
#include <QPixmap>
#include <QStatusBar>
#include <QThread>
#include <QToolBar>

#include <chrono>
#include <thread>

namespace zo::configurator {

namespace {

using Handler = void (TMainForm::*)();

// One action of the main window. Captions and hints are UTF-8 literals.
struct ActionSpec {
    const char* name;
    const char* caption;
    const char* hint;      // nullptr: the caption
    const char* shortcut;  // nullptr: none
    int icon;              // cell of the tool-bar icon strips, -1 none
    bool checkable;
    Handler handler;       // nullptr: executing does nothing (yet)
};

// The actions, made once from this table; the project, build and window
// commands connect their handlers here.
const ActionSpec kActions[] = {
    {"NewProject", "Новый проект", nullptr, nullptr, 0, false, nullptr},
    {"OpenProject", "Открыть проект", nullptr, nullptr, 1, false, nullptr},
    {"SaveProject", "Схранить проект", nullptr, nullptr, 2, false, nullptr},
    {"SaveProjectAs", "Сохранить проект как", nullptr, nullptr, 3, false, nullptr},
    {"CloseProject", "Закрыть проект", nullptr, nullptr, 4, false, nullptr},
    {"EditUndo", "Отменить", nullptr, "Ctrl+Z", 5, false, nullptr},  // does nothing, stays disabled
    {"EditRedo", "Повторить", nullptr, "Ctrl+U", 6, false, nullptr},  // does nothing, stays disabled
    {"ReginSelect", "Режим выбора", nullptr, nullptr, 7, true, nullptr},
    {"RegimSoeden", "Режим соединения", nullptr, nullptr, 8, true, nullptr},
    {"RegimDebug", "Режим отладка", nullptr, nullptr, 9, true, nullptr},
    {"ProjectParam", "Параметры пректа", nullptr, nullptr, 10, false, nullptr},
    {"ProjectAddList", "Новый лист", nullptr, nullptr, 11, false, nullptr},
    {"ProjectCreateCFG", "Создать файл конфигураций", nullptr, nullptr, 12, false, nullptr},
    {"ProjectUpload", "Собрать проект", nullptr, nullptr, 13, false, nullptr},
    {"ProjectOpenUpload", "Открыть созданный проект", nullptr, nullptr, -1, false, nullptr},
    {"ProjectRunUpload", "Выполнить\\Перезапустить собранный проект", nullptr, nullptr, 14, false, nullptr},
    {"ProjectStopUpload", "Остановить запущенный проект", nullptr, nullptr, 15, false, nullptr},
    {"ScaleMi", "Уменьшить", nullptr, nullptr, 16, false, nullptr},
    {"ScalePl", "Увеличить", nullptr, nullptr, 17, false, nullptr},
    {"Scale100", "Scale100", "100%", nullptr, 18, false, nullptr},
    {"WinCascade", "Каскадом схемы", nullptr, nullptr, 19, false, nullptr},
    {"WinHorizontal", "Расположить схемы", nullptr, nullptr, 20, false, nullptr},
    {"WinMinimize", "Свернуть схемы", nullptr, nullptr, 21, false, nullptr},
    {"Options", "Настройки", nullptr, nullptr, 22, false, nullptr},
};

// Enabled exactly while a project is open (NewProject and OpenProject the opposite way).
const char* const kProjectActions[] = {
    "SaveProject",   "SaveProjectAs",    "CloseProject",     "WinMinimize",      "WinHorizontal",
    "WinCascade",    "ProjectUpload",    "ProjectParam",     "ProjectAddList",   "ProjectCreateCFG",
    "ProjectRunUpload", "ProjectStopUpload", "ProjectOpenUpload", "ReginSelect",  "RegimSoeden",      "RegimDebug",
};
// Enabled only while a project is open and a scheme window is active (EditUndo
// and EditRedo do nothing, so they stay disabled).
const char* const kViewActions[] = {"ScalePl", "ScaleMi", "Scale100"};
const char* const kNeverEnabled[] = {"EditUndo", "EditRedo"};

// The tool bar's groups.
const char* const kToolBar[] = {"NewProject",   "OpenProject",    "SaveProject",      nullptr,       "EditUndo",
                                "EditRedo",     nullptr,          "ReginSelect",      "RegimSoeden", "RegimDebug",
                                nullptr,        "ProjectParam",   "ProjectAddList",   "ProjectCreateCFG",
                                "ProjectUpload", nullptr,         "ScaleMi",          "ScalePl",     "Scale100",
                                nullptr,        "WinCascade",     "WinHorizontal",    "WinMinimize",
                                nullptr,        "Options"};

constexpr char kCaption[] = "Orvanta configurator";
// The cell of the icon strips showing a sheet (the new-sheet command's icon).
constexpr int kSheetIcon = 11;

// Icons cut from a square-celled strip, each masked by the colour of its top-right pixel.
QVector<QIcon> iconsOfStrip(const QImage& strip) {
    QVector<QIcon> icons;
    const int side = strip.height();
    if (side <= 0) return icons;
    for (int x = 0; x + side <= strip.width(); x += side) {
        const QImage cell = strip.copy(x, 0, side, side);
        QPixmap pixmap = QPixmap::fromImage(cell);
        pixmap.setMask(pixmap.createMaskFromColor(QColor(cell.pixel(side - 1, 0)), Qt::MaskInColor));
        icons.append(QIcon(pixmap));
    }
    return icons;
}

}  // namespace

TMainForm::TMainForm(SchemeWindowFactory factory, QWidget* parent)
    : QMainWindow(parent), mdiArea_(new QMdiArea(this)),
      schemes_(std::make_unique<TSchemeWindowServices>(*mdiArea_, std::move(factory))) {
    setObjectName("MainForm");
    setWindowTitle(kCaption);
    // The window's own font; the panels set theirs.
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    font.setBold(true);
    setFont(font);
    mdiArea_->setObjectName("MdiArea");
    mdiArea_->setBackground(QColor(0xC0, 0xC0, 0xC0));
    setCentralWidget(mdiArea_);
    frame_ = new TProgramFrame(*this);
    createActions();
    createStatusBar();
    createLogPanel();
    BuildMainMenus(*this);
    new TProjectCommands(*this);  // the project commands and the File and Project menus
    new TUploadCommands(*this);   // configuration file, upload folder, run, stop, modes
    new TBuildCommand(*this);     // the build (also the one before a run)
    // Activating a child (a scheme window or another) changes the view actions.
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this] { UpdateActionStates(); });
    UpdateActionStates();
}

TMainForm::~TMainForm() {
    // The children go after this body; their signals must not reach a half-destroyed window.
    disconnect(mdiArea_, nullptr, this, nullptr);
    FormDestroy();
    if (HostServices() == this) SetHostServices(nullptr);
}

void TMainForm::createActions() {
    modeGroup_ = new QActionGroup(this);
    modeGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const ActionSpec& spec : kActions) {
        auto* a = new QAction(QString::fromUtf8(spec.caption), this);
        a->setObjectName(spec.name);
        a->setToolTip(QString::fromUtf8(spec.hint ? spec.hint : spec.caption));
        a->setStatusTip(a->toolTip());
        if (spec.shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(spec.shortcut)));
        a->setCheckable(spec.checkable);
        a->setProperty("iconIndex", spec.icon);
        if (spec.checkable) modeGroup_->addAction(a);
        if (spec.handler) connect(a, &QAction::triggered, this, spec.handler);
        actions_.insert(spec.name, a);
        actionList_.append(a);
        addAction(a);  // shortcuts work without a menu
    }
    auto* bar = addToolBar(QString::fromUtf8("Панель инструментов"));
    bar->setObjectName("ToolBarMain");
    bar->setIconSize(QSize(32, 32));
    for (const char* name : kToolBar) {
        if (!name) bar->addSeparator();
        else bar->addAction(action(name));
    }
}

void TMainForm::createStatusBar() {
    static const int widths[kStatusPanels] = {150, 100, 0, 90};
    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar");
    for (int i = 0; i < kStatusPanels; ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QString("StatusPanel%1").arg(i));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        if (widths[i] > 0) {
            label->setFixedWidth(widths[i]);
            label->setAlignment(Qt::AlignCenter);
            bar->addPermanentWidget(label, 0);
        } else {
            label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            bar->addPermanentWidget(label, 1);
        }
        panels_[i] = label;
    }
}

void TMainForm::createLogPanel() {
    logPanel_ = new TPanelLogForm(ProgramLogLink());
    logDock_ = new TCustomDockFormCep(this);
    logDock_->setObjectName("PanelLogDock");
    static_cast<TCustomDockFormEx*>(logDock_)->AddDockClient(logPanel_);
    logDock_->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    connect(logPanel_, &QWidget::windowTitleChanged, logDock_, &QWidget::setWindowTitle);
    addDockWidget(Qt::BottomDockWidgetArea, logDock_);
    resizeDocks({logDock_}, {160}, Qt::Vertical);
}

QLabel* TMainForm::statusPanel(int index) const {
    return index >= 0 && index < kStatusPanels ? panels_[index] : nullptr;
}

QAction* TMainForm::action(const QString& name) const { return actions_.value(name, nullptr); }

void TMainForm::setSchemeWindowFactory(SchemeWindowFactory factory) { schemes_->setFactory(std::move(factory)); }

void TMainForm::setActionIcons(const QVector<QIcon>& icons) {
    for (QAction* a : actionList_) {
        const int index = a->property("iconIndex").toInt();
        if (index >= 0 && index < icons.size()) a->setIcon(icons[index]);
    }
}

// ---------------------------------------------------------------------------------------------
// Start-up and shut-down

void TMainForm::FormCreate(const QString& folderGiven) {
    if (created_) return;
    created_ = true;
    // The command line is read in the folder the program was started in: a
    // relative project path is made absolute before the program's folder becomes current.
    const TCommandLine commandLine = ParseCommandLine(QCoreApplication::arguments().mid(1), QDir::currentPath());
    // The program folder is the folder of the program file, and the current folder.
    QString programFolder = folderGiven.isEmpty() ? QCoreApplication::applicationDirPath() : folderGiven;
    if (!programFolder.endsWith('/')) programFolder += '/';
    if (programFolder == "/") programFolder = QString::fromStdString(platform::registryProgramPath()) + "/";
    QDir::setCurrent(programFolder);
    LoadLogsLibrary("\\system", qApp, nullptr);
    if (!LogsOptionsPtr)
        platform::showMessage(ZO_RU("Не возможно загрузить библиотеку ") + "\"ZoLogs.so\"", {},
                              platform::MessageKind::Error);
    else if (LogsOptionsPtr->OpenLog)
        LogsOptionsPtr->OpenLog(kProgramLogName, 20000);
    if (commandLine.Setup) {
        // "/Setup" registers the program and ends it; nothing else is bound.
        RunSetup(programFolder, QCoreApplication::applicationFilePath(), &WriteLog);
        hide();
        UnloadLogsLibrary();
        setupRan_ = true;
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        return;
    }
    const std::string folder = platform::qstringToCp1251(programFolder);
    WriteLog((ZO_RU("Запуск конструктора  Путь: ") + "\"" + folder + "\"").c_str(), LogLevel::Information);
    LoadConvertLibrary("\\system", &WriteLog);
    LoadKernelLibrary("\\system", qApp, nullptr, &WriteLog);
    kernel_.setRecord(KernelOptionsPtr);
    setWindowTitle(kCaption);
    const TIconStrips strips = FillImageLists(frame_->ImageLists);
    setActionIcons(iconsOfStrip(strips.Icon32));
    // Scheme windows show the new-sheet icon of the small strip in their caption.
    const QVector<QIcon> small = iconsOfStrip(strips.Icon16);
    if (small.size() > kSheetIcon) schemes_->setWindowIcon(small[kSheetIcon]);
    setWindowIconText("Configurator");
    OpenProjectFolder = commandLine.ProjectFolder;
    OpenProjectName = commandLine.ProjectName;
    // The element library, the project tree and the inspector come right after the window.
    editingPanels_ = std::make_unique<TProgramPanels>(*this);
    // The terminate step runs as the application quits, before the windows go.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &TMainForm::TerminateHandler);
}

void TMainForm::FormShow() {
    if (shown_) return;
    shown_ = true;
    logPanel_->resetView(kProgramLogName);
    if (editingPanels_) editingPanels_->Attach(kernel_.record(), &WriteLog);
    if (kernel_.bound()) {
        TKernelOptions& k = *kernel_.record();
        if (LogsOptionsPtr && k.SetLogCallback) k.SetLogCallback(kProgramLogName, LogsOptionsPtr->WriteLine);
        SetHostServices(this);
        kernel_.writeHostSlots();
        if (ConvertOptionsPtr) k.ConvertOptions = ConvertOptionsPtr;
        kernel_.init();
        TProgramFrame::LoadOptions();
        if (frame_->OpenCommandLineProject(OpenProjectFolder, OpenProjectName) == 0 && editingPanels_)
            editingPanels_->ReloadSource();
    } else if (!OpenProjectName.isEmpty()) {
        OpenProjectFolder.clear();
        OpenProjectName.clear();
    }
    if (editingPanels_) editingPanels_->Dock(*frame_);
    frame_->FrameSiteBottom->Dock(static_cast<TCustomDockFormEx*>(logDock_));
    UpdateActionStates();
    logPanel_->PanelLogFormCanResize();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    const QString project = OpenProjectName.isEmpty() ? QString() : OpenProjectFolder + OpenProjectName + ".hc";
    if (!TProgramFrame::ConfirmProjectClose(project)) {
        event->ignore();
        return;
    }
    WriteLog("TMainForm.FormClose", LogLevel::Information);
    QMainWindow::closeEvent(event);
}

void TMainForm::TerminateHandler() {
    if (!created_ || setupRan_) return;
    frame_->Terminate(&WriteLog, [this] { CloseAllSchemeWindows(); });
}

void TMainForm::FormDestroy() {
    if (destroyed_ || !created_ || setupRan_) return;
    destroyed_ = true;
    // The project and the scheme windows are closed here unless the quit did it.
    TerminateHandler();
    // The option blocks are the only thing saved at exit.
    if (kernel_.bound()) TProgramFrame::SaveOptions();
    // The panels go before the kernel they call.
    if (editingPanels_) editingPanels_->Release();
    // Windows closed above are deleted before the libraries they may call go.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (HostServices() == this) SetHostServices(nullptr);
    // No notice of the connection library reaches the window once it is gone.
    delete findChild<TProgramUpdate*>(QStringLiteral("ProgramUpdate"));
    UnloadConnectLibrary(&WriteLog);
    kernel_.setRecord(nullptr);
    UnloadKernelLibrary(&WriteLog);
    UnloadConvertLibrary(&WriteLog);
    if (LogsOptionsPtr) {
        if (LogsOptionsPtr->WriteLine)
            LogsOptionsPtr->WriteLine(kProgramLogName, ZO_RU("Завершение работы конструктора").c_str(), 3,
                                      LogLevel::Milestone);
        if (LogsOptionsPtr->CloseLog) LogsOptionsPtr->CloseLog(kProgramLogName, "");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    UnloadLogsLibrary();
}

// ---------------------------------------------------------------------------------------------
// Host services

int TMainForm::ShowSchemeWindow(const QString& caption) { return schemes_->ShowSchemeWindow(caption); }
int TMainForm::CloseSchemeWindow(const QString& sheetName) { return schemes_->CloseSchemeWindow(sheetName); }
int TMainForm::CloseAllSchemeWindows() { return schemes_->CloseAllSchemeWindows(); }
int TMainForm::StoreSchemeWindowState(const QString& sheetName) { return schemes_->StoreSchemeWindowState(sheetName); }
int TMainForm::RenameSchemeWindow(const QString& oldName, const QString& newName) {
    return schemes_->RenameSchemeWindow(oldName, newName);
}
int TMainForm::CreateSchemeWindow(const QString& sheetName, std::optional<QRect> rect, std::optional<QPoint> scroll,
                                  std::optional<float> scale) {
    return schemes_->CreateSchemeWindow(sheetName, rect, scroll, scale);
}

void TMainForm::RepaintSchemeWindows() {
    // Any thread: only queue, and keep at most one repaint pending.
    if (repaintPending_.exchange(true)) return;
    QMetaObject::invokeMethod(this, [this] { RepaintSF(); }, Qt::QueuedConnection);
}

void TMainForm::RepaintSF() {
    repaintPending_.store(false);
    if (kernel_.bound()) schemes_->RefreshAll();
}

int TMainForm::SetStatusText(int panel, const QString& text) {
    if (panel < 0 || panel >= kStatusPanels) return -1;
    try {
        panels_[panel]->setText(text);
    } catch (...) {
        WriteLog(ZO_RU("Ошибка вывода текста в StatusBar").c_str(), LogLevel::Error);
        return -2;
    }
    return 0;
}

void TMainForm::UpdateActionStates() {
    const bool open = !OpenProjectName.isEmpty();
    action("NewProject")->setEnabled(!open);
    action("OpenProject")->setEnabled(!open);
    for (const char* name : kProjectActions) action(name)->setEnabled(open);
    const bool schemeActive = open && schemes_->activeSchemeWindow() != nullptr;
    for (const char* name : kViewActions) action(name)->setEnabled(schemeActive);
    for (const char* name : kNeverEnabled) action(name)->setEnabled(false);
    if (!open) return;
    QAction* modes[] = {action("ReginSelect"), action("RegimSoeden"), action("RegimDebug")};
    for (QAction* a : modes) a->setChecked(false);
    switch (kernel_.mode()) {
    case int(KernelMode::Select): modes[0]->setChecked(true); break;
    case int(KernelMode::Connect): modes[1]->setChecked(true); break;
    case int(KernelMode::Debug): modes[2]->setChecked(true); break;
    default: break;
    }
}

}  // namespace zo::configurator
