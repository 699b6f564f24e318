#pragma once
// The main window's menu bar, in order: "Файл" (Files), "Проект" (project1),
// "Режим" (N2: the three mode actions, then a separator), "Параметры"
// (MenuOptions), "Окно" (Windows), "Справка" (MenuHelp). Each menu is found
// by its object name; the menus that rebuild themselves on opening attach
// their builders here.

class QMenu;

namespace zo::configurator {

class TMainForm;

void BuildMainMenus(TMainForm& form);

// The menu of the main window's menu bar with this object name, or nullptr.
QMenu* MainMenu(const TMainForm& form, const char* objectName);

}  // namespace zo::configurator
