#pragma once
// The main window: a multiple-document window holding the scheme windows in
// its MDI area, the log panel, the four-panel status bar and the actions. It
// implements the host services the kernel calls back through (link/HostSlots.h)
// and owns the start-up steps FormCreate / FormShow and the shut-down.
//
// It is handed the project session it works on; it makes the actions
// (declared once in Actions.cpp), the panels and the commands, and hands each
// command the collaborators it needs.

#include "configurator/link/HostSlots.h"
#include "configurator/shell/ProgramPanels.h"
#include "configurator/windows/FloatTreeCep.h"
#include "configurator/windows/ISchemeWindow.h"

#include <QIcon>
#include <QMainWindow>
#include <QString>
#include <QVector>

#include <atomic>
#include <memory>

class QAction;
class QDockWidget;
class QLabel;
class QMdiArea;
class QToolBar;

namespace zo::configurator {

class TActions;
class TBuildCommand;
class TPanelLogForm;
class TProgramFrame;
class TProgramUpdate;
class TProjectCommands;
class TProjectSession;
class TSchemeWindowServices;
class TUploadCommands;
enum class ActionId;

class TMainForm : public QMainWindow, public IHostServices {
    Q_OBJECT
public:
    // The number of status-bar panels (0 150 px, 1 100 px, 2 stretching, 3 90 px).
    static constexpr int kStatusPanels = 4;

    explicit TMainForm(TProjectSession& session, SchemeWindowFactory factory = {}, QWidget* parent = nullptr);
    ~TMainForm() override;

    QMdiArea* MdiArea() const { return mdiArea_; }
    QLabel* StatusPanel(int index) const;
    TActions& Actions() const { return *actions_; }
    QAction* Action(ActionId id) const;
    // The action with this object name (e.g. "SaveProject"), or nullptr.
    QAction* Action(const QString& name) const;
    TProjectSession& Session() const { return session_; }
    TPanelLogForm* LogPanel() const { return logPanel_; }
    QDockWidget* LogDock() const { return logDock_; }
    QToolBar* ToolBar() const { return toolBar_; }
    TSchemeWindowServices& SchemeWindows() { return *schemes_; }
    TFloatTreeCep& FloatTree() { return floatTree_; }
    void SetSchemeWindowFactory(SchemeWindowFactory factory);
    TProjectCommands& ProjectCommands() const { return *projectCommands_; }
    TBuildCommand& BuildCommand() const { return *buildCommand_; }
    TUploadCommands& UploadCommands() const { return *uploadCommands_; }
    TProgramUpdate* ProgramUpdate() const { return update_; }

    // Start-up: makes the program folder (by default the program file's folder)
    // current, binds the libraries (logging, conversion, kernel) and sets the caption.
    void FormCreate(const QString& programFolder = {});
    // First showing: the log view, the host slots, KernelInit, the action states.
    void FormShow();
    // Shut-down: closes the scheme windows, unbinds the libraries in reverse order.
    void FormDestroy();
    // As the application quits: the project and every scheme window closed, once.
    void TerminateHandler();
    // True after FormCreate ran the "/Setup" branch: the program then ends at once.
    bool SetupRan() const { return setupRan_; }
    // The dock sites, the panels' frames, the image lists and the command line.
    TProgramFrame& Frame() { return *frame_; }
    // The element library, project tree and inspector; nil before FormCreate
    // (and after the "/Setup" branch).
    TProgramPanels* EditingPanels() { return editing_.Created() ? &editing_ : nullptr; }

    // The host services (IHostServices).
    int ShowSchemeWindow(const QString& caption) override;
    int CloseSchemeWindow(const QString& sheetName) override;
    int CloseAllSchemeWindows() override;
    int StoreSchemeWindowState(const QString& sheetName) override;
    int RenameSchemeWindow(const QString& oldName, const QString& newName) override;
    int CreateSchemeWindow(const QString& sheetName, std::optional<QRect> rect, std::optional<QPoint> scroll,
                           std::optional<float> scale) override;
    void RepaintSchemeWindows() override;
    void UpdateActionStates() override;
    int SetStatusText(int panel, const QString& text) override;

    // The queued repaint: every scheme window fetches its picture again.
    void RepaintSF();

protected:
    // Closing asks only when the open project differs from its file.
    void closeEvent(QCloseEvent* event) override;
    // The window becoming the active one brings the action states up to date.
    void changeEvent(QEvent* event) override;

private:
    void CreateToolBar();
    void CreateStatusBar();
    void CreateLogPanel();
    void CreateCommands();
    // The caption and the application's title of the session's project (or of none).
    void ShowProjectTitles();

    TProjectSession& session_;
    // Where the panels float; it outlives every dock form (they are deleted before it).
    TFloatTreeCep floatTree_;
    QMdiArea* mdiArea_;
    TActions* actions_;
    std::unique_ptr<TSchemeWindowServices> schemes_;
    TPanelLogForm* logPanel_ = nullptr;
    QDockWidget* logDock_ = nullptr;
    QLabel* panels_[kStatusPanels] = {};
    QToolBar* toolBar_ = nullptr;
    std::atomic<bool> repaintPending_{false};
    TProgramFrame* frame_ = nullptr;
    TProgramPanels editing_;
    TBuildCommand* buildCommand_ = nullptr;
    TUploadCommands* uploadCommands_ = nullptr;
    TProjectCommands* projectCommands_ = nullptr;
    TProgramUpdate* update_ = nullptr;
    bool setupRan_ = false;
    bool created_ = false;
    bool shown_ = false;
    bool destroyed_ = false;
    // The terminate step ran (it closed the kernel's project).
    bool terminated_ = false;
};

}  // namespace zo::configurator
