#include "configurator/shell/MainMenus.h"

#include "configurator/link/ProgramFolders.h"
#include "configurator/shell/HelpMenu.h"
#include "configurator/shell/MainForm.h"
#include "configurator/shell/MenuOptions.h"
#include "configurator/shell/ProgramUpdate.h"
#include "configurator/shell/WindowMenu.h"

#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>

namespace zo::configurator {

void BuildMainMenus(TMainForm& form) {
    QMenuBar* bar = form.menuBar();
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
    QMenu* modes = MainMenu(form, "N2");
    for (const char* name : {"ReginSelect", "RegimSoeden", "RegimDebug"})
        if (QAction* a = form.action(name)) modes->addAction(a);
    modes->addSeparator();

    auto* options = new TMenuOptions(MainMenu(form, "MenuOptions"), form.kernel(), &form);
    auto* update = new TProgramUpdate(
        form.kernel(), [&form](int panel, const QString& text) { form.SetStatusText(panel, text); }, &form);
    update->setObjectName("ProgramUpdate");
    options->setUpdatePart([update](QMenu* menu) { update->AddUpdateMenu(menu); });
    if (QAction* a = form.action("Options"))
        QObject::connect(a, &QAction::triggered, options, [options] { options->OptinsClick(nullptr); });
    new TWindowMenu(MainMenu(form, "Windows"), form);
    QMdiArea* area = form.mdiArea();
    const struct {
        const char* name;
        void (*command)(QMdiArea&);
    } arrange[] = {{"WinHorizontal", &WinHorizontal}, {"WinCascade", &WinCascade}, {"WinMinimize", &WinMinimize}};
    for (const auto& entry : arrange)
        if (QAction* a = form.action(entry.name))
            QObject::connect(a, &QAction::triggered, area, [area, command = entry.command] { command(*area); });
    new THelpMenu(MainMenu(form, "MenuHelp"), [&form] { return KernelProgramFolder(form.kernel()); }, &form);
}

QMenu* MainMenu(const TMainForm& form, const char* objectName) {
    QMenuBar* bar = form.menuBar();
    return bar ? bar->findChild<QMenu*>(QString::fromLatin1(objectName), Qt::FindDirectChildrenOnly) : nullptr;
}

}  // namespace zo::configurator
