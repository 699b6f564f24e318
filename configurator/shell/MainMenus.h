#pragma once
// The main window's menu bar, in order: "Файл" (Files), "Проект" (project1),
// "Режим" (N2: the three mode actions, then a separator), "Параметры"
// (MenuOptions), "Окно" (Windows), "Справка" (MenuHelp). The menus that
// rebuild themselves on opening attach their builders here; the File and
// Project menus are filled by the project commands.

#include <QVector>

#include <array>
#include <functional>

class QLabel;
class QMainWindow;
class QMdiArea;
class QMenu;
class QWidget;

namespace zo::configurator {

class IHostServices;
class TActions;
class THelpMenu;
class TMenuOptions;
class TProgramUpdate;
class TProjectSession;
class TWindowMenu;

struct TMainMenus {
    QMenu* files = nullptr;
    QMenu* project = nullptr;
    TMenuOptions* options = nullptr;
    TProgramUpdate* update = nullptr;
    TWindowMenu* windows = nullptr;
    THelpMenu* help = nullptr;
};

// What the window menu lists (panels, log, tool bar, status bar) and which
// status panels a pointer over the empty MDI area clears.
struct TWindowMenuParts {
    std::function<QVector<QWidget*>()> panels;
    std::array<QLabel*, 3> clearedPanels{};
};

TMainMenus BuildMainMenus(QMainWindow& window, TProjectSession& session, TActions& actions, IHostServices& host,
                          QMdiArea& area, TWindowMenuParts windowParts);

// The menu of the window's menu bar with this object name, or nullptr.
QMenu* MainMenu(const QMainWindow& window, const char* objectName);

}  // namespace zo::configurator
