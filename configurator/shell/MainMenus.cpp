#include "configurator/shell/MainMenus.h"

#include "configurator/link/HostSlots.h"
#include "configurator/link/ProjectSession.h"
#include "configurator/shell/Actions.h"
#include "configurator/shell/HelpMenu.h"
#include "configurator/shell/MenuOptions.h"
#include "configurator/shell/ProgramUpdate.h"
#include "configurator/shell/WindowMenu.h"

#include <QAction>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>

namespace zo::configurator {

TMainMenus BuildMainMenus(QMainWindow& window, TProjectSession& session, TActions& actions, IHostServices& host,
                          QMdiArea& area, TWindowMenuParts windowParts) {
    QMenuBar* bar = window.menuBar();
    bar->setObjectName("MainMenu1");
    const struct {
        const char* name;
        const char* caption;
    } menus[] = {{"Files", "Файл"},          {"project1", "Проект"}, {"N2", "Режим"},
                 {"MenuOptions", "Параметры"}, {"Windows", "Окно"},    {"MenuHelp", "Справка"}};
    for (const auto& spec : menus) {
        QMenu* menu = bar->addMenu(QString::fromUtf8(spec.caption));
        menu->setObjectName(spec.name);
    }
    TMainMenus made;
    made.files = MainMenu(window, "Files");
    made.project = MainMenu(window, "project1");
    QMenu* modes = MainMenu(window, "N2");
    for (ActionId id : kModeActions) modes->addAction(actions[id]);
    modes->addSeparator();

    made.options = new TMenuOptions(MainMenu(window, "MenuOptions"), session, host, &window);
    made.update = new TProgramUpdate(
        session, [&host](int panel, const QString& text) { host.SetStatusText(panel, text); }, &window);
    made.update->setObjectName("ProgramUpdate");
    TProgramUpdate* update = made.update;
    made.options->SetUpdatePart([update](QMenu* menu) { update->AddUpdateMenu(menu); });
    TMenuOptions* options = made.options;
    actions.Connect(ActionId::Options, options, [options] { options->OptinsClick(nullptr); });
    made.windows = new TWindowMenu(MainMenu(window, "Windows"), window, area, std::move(windowParts.panels),
                                   windowParts.clearedPanels);
    const struct {
        ActionId id;
        void (*command)(QMdiArea&);
    } arrange[] = {{ActionId::WinHorizontal, &WinHorizontal},
                   {ActionId::WinCascade, &WinCascade},
                   {ActionId::WinMinimize, &WinMinimize}};
    for (const auto& entry : arrange)
        actions.Connect(entry.id, &area, [&area, command = entry.command] { command(area); });
    made.help = new THelpMenu(
        MainMenu(window, "MenuHelp"), [&session] { return session.FolderText(KernelFolder::Program); }, &window);
    return made;
}

QMenu* MainMenu(const QMainWindow& window, const char* objectName) {
    QMenuBar* bar = window.menuBar();
    return bar ? bar->findChild<QMenu*>(QString::fromLatin1(objectName), Qt::FindDirectChildrenOnly) : nullptr;
}

}  // namespace zo::configurator
