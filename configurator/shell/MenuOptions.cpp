#include "configurator/shell/MenuOptions.h"

#include "configurator/link/HostSlots.h"
#include "configurator/link/KroLog.h"
#include "configurator/shell/MenuXml.h"
#include "configurator/shell/Options.h"
#include "configurator/shell/OptionsMenu.h"
#include "platform/Cp1251.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

namespace zo::configurator {

TMenuOptions::TMenuOptions(QMenu* menu, TProjectSession& session, IHostServices& host, QWidget* dialogParent)
    : QObject(menu), menu_(menu), session_(session), host_(host), dialogParent_(dialogParent) {
    link_.SetDialogOpener(InspectorLink::DialogsLibraryOpener(&WriteLog));
    connect(menu_, &QMenu::aboutToShow, this, &TMenuOptions::MenuOptionsClick);
}

void TMenuOptions::MenuOptionsClick() {
    menu_->clear();
    LoadMenuFromXml(OptionsDialogFile(session_), menu_, [this](QAction* item) { OptinsClick(item); });
    if (updatePart_) updatePart_(menu_);
}

void TMenuOptions::OptinsClick(QAction* sender) {
    const int tag = sender ? MenuItemTag(sender) : -1;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->size() : QSize(1024, 768);
    const TOptionsRect rect = OptionsDialogRect(size.width(), size.height());
    link_.Bind(session_);
    ShowOptionsDialog(ZO_RU("Параметры Configurator").c_str(), OptionsDialogFile(session_).c_str(), tag,
                      &GetOptionBlock, rect.Left, rect.Top, rect.Right, rect.Bottom, link_, dialogParent_);
    if (HandVisibleOptionsToKernel(session_)) host_.RepaintSchemeWindows();
}

}  // namespace zo::configurator
