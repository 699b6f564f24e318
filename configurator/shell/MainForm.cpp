#include "configurator/shell/MainForm.h"

#include "configurator/link/KroConnect.h"
#include "configurator/link/KroConvert.h"
#include "configurator/link/KroLog.h"
#include "configurator/link/LogLink.h"
#include "configurator/link/ProjectSession.h"
#include "configurator/shell/Actions.h"
#include "configurator/shell/BuildCommand.h"
#include "configurator/shell/MainMenus.h"
#include "configurator/shell/ProgramUpdate.h"
#include "configurator/shell/PanelLogForm.h"
#include "configurator/shell/ProgramFrame.h"
#include "configurator/shell/ProjectCommands.h"
#include "configurator/shell/SchemeWindowServices.h"
#include "configurator/shell/StartUp.h"
#include "configurator/shell/UploadCommands.h"
#include "configurator/windows/CustomDockForm.h"
#include "configurator/windows/FrameSite.h"
#include "configurator/windows/ObjInspect.h"
#include "configurator/windows/ProjectForm.h"
#include "configurator/windows/SourceForm.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/UiServices.h"

#include <QAction>
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

constexpr char kCaption[] = "Orvanta configurator";
constexpr char kFailedCommandLineTitle[] = "Configurator.hc";
// The cell of the icon strips showing a sheet (the new-sheet command's icon).
constexpr int kSheetIcon = 11;

// Pictures cut from a square-celled strip, each masked by the colour of its top-right pixel.
QVector<QPixmap> cellsOfStrip(const QImage& strip) {
    QVector<QPixmap> cells;
    const int side = strip.height();
    if (side <= 0) return cells;
    for (int x = 0; x + side <= strip.width(); x += side) {
        const QImage cell = strip.copy(x, 0, side, side);
        QPixmap pixmap = QPixmap::fromImage(cell);
        pixmap.setMask(pixmap.createMaskFromColor(QColor(cell.pixel(side - 1, 0)), Qt::MaskInColor));
        cells.append(pixmap);
    }
    return cells;
}

// Icons of a strip; a cell of the disabled strip, where there is one, is the
// icon's picture while its action is disabled.
QVector<QIcon> iconsOfStrip(const QImage& strip, const QImage& disabledStrip = QImage()) {
    const QVector<QPixmap> disabled = cellsOfStrip(disabledStrip);
    QVector<QIcon> icons;
    for (const QPixmap& cell : cellsOfStrip(strip)) {
        QIcon icon(cell);
        if (icons.size() < disabled.size()) icon.addPixmap(disabled[icons.size()], QIcon::Disabled);
        icons.append(icon);
    }
    return icons;
}

}  // namespace

TMainForm::TMainForm(TProjectSession& session, SchemeWindowFactory factory, QWidget* parent)
    : QMainWindow(parent), session_(session), mdiArea_(new QMdiArea(this)), actions_(new TActions(*this)),
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
    frame_ = new TProgramFrame(*this, floatTree_);
    CreateToolBar();
    CreateStatusBar();
    CreateLogPanel();
    CreateCommands();
    // The titles follow the session's project; the element library follows its device.
    connect(&session_, &TProjectSession::Opened, this, [this] {
        ShowProjectTitles();
        editing_.ReloadSource();
    });
    connect(&session_, &TProjectSession::Renamed, this, &TMainForm::ShowProjectTitles);
    connect(&session_, &TProjectSession::Closed, this, &TMainForm::ShowProjectTitles);
    // Activating a child (a scheme window or another) changes the view actions.
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this] { UpdateActionStates(); });
    UpdateActionStates();
}

TMainForm::~TMainForm() {
    // The children go after this body; their signals must not reach a half-destroyed window.
    disconnect(mdiArea_, nullptr, this, nullptr);
    disconnect(&session_, nullptr, this, nullptr);
    FormDestroy();
    if (HostServices() == this) SetHostServices(nullptr);
    // The dock forms record where they float as they go: before the registry does.
    qDeleteAll(findChildren<TCustomDockFormEx*>(Qt::FindDirectChildrenOnly));
}

void TMainForm::CreateToolBar() {
    toolBar_ = addToolBar(QString::fromUtf8("Панель инструментов"));
    toolBar_->setObjectName("ToolBarMain");
    toolBar_->setIconSize(QSize(32, 32));
    for (ActionId id : kToolBarActions) {
        if (id == ActionId::Count) toolBar_->addSeparator();
        else toolBar_->addAction(Action(id));
    }
}

void TMainForm::CreateCommands() {
    TWindowMenuParts windowParts;
    windowParts.panels = [this] {
        QVector<QWidget*> list;
        list << editing_.ProjectForm() << editing_.SourceForm() << editing_.ObjInspect() << logDock_ << toolBar_
             << statusBar();
        return list;
    };
    windowParts.clearedPanels = {panels_[0], panels_[1], panels_[2]};
    const TMainMenus menus = BuildMainMenus(*this, session_, *actions_, *this, *mdiArea_, std::move(windowParts));
    update_ = menus.update;
    buildCommand_ = new TBuildCommand(session_, *actions_, this);
    uploadCommands_ = new TUploadCommands(session_, *actions_, *this, *buildCommand_, *this);
    projectCommands_ = new TProjectCommands(session_, *actions_, *this, editing_, *mdiArea_, *this, *menus.files,
                                            *menus.project);
}

void TMainForm::ShowProjectTitles() {
    if (!session_.IsOpen()) {
        setWindowTitle(kCaption);
        setWindowIconText("Configurator");
        return;
    }
    setWindowTitle(ProjectCaption(session_.ShownPath(), session_.DeviceFilePath()));
    setWindowIconText(session_.Name() + kProjectExtension);
}

void TMainForm::CreateStatusBar() {
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

void TMainForm::CreateLogPanel() {
    logPanel_ = new TPanelLogForm(ProgramLogLink());
    logDock_ = new TCustomDockFormCep(floatTree_, this);
    logDock_->setObjectName("PanelLogDock");
    static_cast<TCustomDockFormEx*>(logDock_)->AddDockClient(logPanel_);
    logDock_->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    connect(logPanel_, &QWidget::windowTitleChanged, logDock_, &QWidget::setWindowTitle);
    addDockWidget(Qt::BottomDockWidgetArea, logDock_);
    resizeDocks({logDock_}, {160}, Qt::Vertical);
}

QLabel* TMainForm::StatusPanel(int index) const {
    return index >= 0 && index < kStatusPanels ? panels_[index] : nullptr;
}

QAction* TMainForm::Action(ActionId id) const { return actions_->get(id); }
QAction* TMainForm::Action(const QString& name) const { return actions_->ByName(name); }

void TMainForm::SetSchemeWindowFactory(SchemeWindowFactory factory) { schemes_->SetFactory(std::move(factory)); }

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
    session_.BindKernel(qApp, &WriteLog);
    setWindowTitle(kCaption);
    const TIconStrips strips = FillImageLists(frame_->ImageLists);
    actions_->SetIcons(iconsOfStrip(strips.Icon32, strips.Icon32dis));
    // Scheme windows show the new-sheet icon of the small strip in their caption.
    const QVector<QIcon> small = iconsOfStrip(strips.Icon16);
    if (small.size() > kSheetIcon) schemes_->SetWindowIcon(small[kSheetIcon]);
    setWindowIconText("Configurator");
    session_.Assign(commandLine.ProjectFolder, commandLine.ProjectName);
    // The element library, the project tree and the inspector come right after the window.
    editing_.Create(*this);
    // The terminate step runs as the application quits, before the windows go.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &TMainForm::TerminateHandler);
}

void TMainForm::FormShow() {
    if (shown_) return;
    shown_ = true;
    logPanel_->ResetView(kProgramLogName);
    if (editing_.Created()) editing_.Attach(session_, &WriteLog);
    if (session_.Bound()) {
        session_.Start(this);
        frame_->LoadOptions(session_);
        if (session_.IsOpen()) {
            // The command line's file is checked as the open command checks its choice.
            const QString named = session_.FilePath();
            const bool openable = CheckOpenedFile(named);
            if (!openable) session_.Assign({}, {});
            const SessionResult opened = openable ? session_.OpenAssigned() : SessionResult::Refused;
            ReportOpenFailure(opened, named);
            // The command line's project that does not open leaves its own application title.
            if (opened != SessionResult::Done) setWindowIconText(kFailedCommandLineTitle);
        }
    } else if (session_.IsOpen()) {
        session_.Assign({}, {});
    }
    if (editing_.Created()) editing_.Dock(*frame_);
    frame_->FrameSiteBottom->Dock(static_cast<TCustomDockFormEx*>(logDock_));
    UpdateActionStates();
    logPanel_->PanelLogFormCanResize();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // The route of the File menu's commands: a project never saved is saved
    // into the project folder, never into whatever folder is current.
    if (!projectCommands_->ConfirmDrop()) {
        event->ignore();
        return;
    }
    WriteLog("TMainForm.FormClose", LogLevel::Information);
    QMainWindow::closeEvent(event);
}

void TMainForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) UpdateActionStates();
}

void TMainForm::TerminateHandler() {
    if (!created_ || setupRan_ || terminated_) return;
    terminated_ = true;
    // Ended by a signal nobody is asked: unsaved work is kept in a recovery copy.
    if (TerminatedBySignal() && projectCommands_) projectCommands_->KeepUnsavedWork();
    frame_->Terminate(&WriteLog, session_, [this] { CloseAllSchemeWindows(); });
}

void TMainForm::FormDestroy() {
    if (destroyed_ || !created_ || setupRan_) return;
    destroyed_ = true;
    // The project and the scheme windows are closed here unless the quit did it.
    TerminateHandler();
    // The option blocks are the only thing saved at exit.
    if (session_.Bound()) frame_->SaveOptions(session_);
    // The panels go before the kernel they call.
    editing_.Release();
    // Windows closed above are deleted before the libraries they may call go.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (HostServices() == this) SetHostServices(nullptr);
    // No notice of the connection library reaches the window once it is gone.
    delete update_;
    update_ = nullptr;
    UnloadConnectLibrary(&WriteLog);
    session_.UnbindKernel(&WriteLog);
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
    if (session_.Bound()) schemes_->RefreshAll();
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
    const bool open = session_.IsOpen();
    Action(ActionId::NewProject)->setEnabled(!open);
    Action(ActionId::OpenProject)->setEnabled(!open);
    for (ActionId id : kProjectActions) Action(id)->setEnabled(open);
    const bool schemeActive = open && schemes_->ActiveSchemeWindow() != nullptr;
    for (ActionId id : kViewActions) Action(id)->setEnabled(schemeActive);
    // The actions no command handles (EditUndo, EditRedo) do nothing and stay disabled.
    for (std::size_t i = 0; i < kActionCount; ++i)
        if (!ActionSpec(ActionId(i)).handled) Action(ActionId(i))->setEnabled(false);
    if (!open) return;
    for (ActionId id : kModeActions) Action(id)->setChecked(false);
    switch (session_.Mode()) {
    case int(KernelMode::Select): Action(kModeActions[0])->setChecked(true); break;
    case int(KernelMode::Connect): Action(kModeActions[1])->setChecked(true); break;
    case int(KernelMode::Debug): Action(kModeActions[2])->setChecked(true); break;
    default: break;
    }
}

}  // namespace zo::configurator
