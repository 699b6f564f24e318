#pragma once
// The main window: a multiple-document window holding the scheme windows in
// its MDI area, the log panel, the four-panel status bar and the actions. It
// implements the host services the kernel calls back through (link/HostSlots.h)
// and owns the start-up steps FormCreate / FormShow and the shut-down.
//
// The actions are made once from the table in MainForm.cpp (name, caption,
// hint, shortcut, icon index, handler); action(name) finds one by its name.

#include "configurator/link/HostSlots.h"
#include "configurator/link/KernelLink.h"
#include "configurator/windows/ISchemeWindow.h"

#include <QHash>
#include <QIcon>
#include <QMainWindow>
#include <QString>
#include <QVector>

#include <atomic>
#include <memory>

class QAction;
class QActionGroup;
class QDockWidget;
class QLabel;
class QMdiArea;

namespace zo::configurator {

class TPanelLogForm;
class TProgramFrame;
class TProgramPanels;
class TSchemeWindowServices;

class TMainForm : public QMainWindow, public IHostServices {
    Q_OBJECT
public:
    // The number of status-bar panels (0 150 px, 1 100 px, 2 stretching, 3 90 px).
    static constexpr int kStatusPanels = 4;

    explicit TMainForm(SchemeWindowFactory factory = {}, QWidget* parent = nullptr);
    ~TMainForm() override;

    QMdiArea* mdiArea() const { return mdiArea_; }
    QLabel* statusPanel(int index) const;
    // The action of the table with this name (e.g. "SaveProject"), or nullptr.
    QAction* action(const QString& name) const;
    QList<QAction*> actions() const { return actionList_; }
    TKernelLink& kernel() { return kernel_; }
    TPanelLogForm* logPanel() const { return logPanel_; }
    QDockWidget* logDock() const { return logDock_; }
    TSchemeWindowServices& schemeWindows() { return *schemes_; }
    void setSchemeWindowFactory(SchemeWindowFactory factory);
    // Gives each action the icon of its index (the tool-bar strip's cells).
    void setActionIcons(const QVector<QIcon>& icons);

    // The open project (file = OpenProjectFolder + OpenProjectName + ".hc"); none while the name is empty.
    QString OpenProjectName;
    QString OpenProjectFolder;

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
    TProgramFrame& frame() { return *frame_; }
    // The element library, project tree and inspector; nil before FormCreate
    // (and after the "/Setup" branch).
    TProgramPanels* editingPanels() const { return editingPanels_.get(); }

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

private:
    void createActions();
    void createStatusBar();
    void createLogPanel();

    TKernelLink kernel_;
    QMdiArea* mdiArea_;
    std::unique_ptr<TSchemeWindowServices> schemes_;
    TPanelLogForm* logPanel_ = nullptr;
    QDockWidget* logDock_ = nullptr;
    QLabel* panels_[kStatusPanels] = {};
    QHash<QString, QAction*> actions_;
    QList<QAction*> actionList_;
    QActionGroup* modeGroup_ = nullptr;
    std::atomic<bool> repaintPending_{false};
    TProgramFrame* frame_ = nullptr;
    std::unique_ptr<TProgramPanels> editingPanels_;
    bool setupRan_ = false;
    bool created_ = false;
    bool shown_ = false;
    bool destroyed_ = false;
};

}  // namespace zo::configurator
