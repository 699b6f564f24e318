// The program Configurator: the windowing application with Qt's own texts in
// Russian, the UI-services hook over QMessageBox, the dialog runner that puts
// every dialog in front of the program's windows, and the main window.
#include "configurator/link/ProjectSession.h"
#include "configurator/link/SchemeLink.h"
#include "configurator/shell/HeapPages.h"
#include "configurator/shell/MainForm.h"
#include "configurator/shell/MessageBoxServices.h"
#include "configurator/shell/ModalOwner.h"
#include "configurator/shell/QtTranslations.h"
#include "configurator/shell/StartUp.h"
#include "configurator/windows/CustomDockForm.h"
#include "configurator/windows/SchemForm.h"
#include "platform/DialogHook.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char** argv) {
    // Before anything large is allocated.
    zo::configurator::UseLargeHeapPages();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Configurator");
    zo::configurator::InstallQtTranslations(app);
    zo::configurator::TMessageBoxServices messageBoxes;
    zo::platform::setUiServices(&messageBoxes);
    zo::platform::setDialogRunner(zo::configurator::RunModalDialog);
    // SIGTERM ends the program through its event loop, in the order of a close.
    zo::configurator::InstallTerminateSignals();

    int result = 0;
    {
        // The one project session; the scheme windows reach whatever kernel it holds at the moment.
        zo::configurator::TProjectSession session;
        zo::configurator::SchemeLink schemeLink(session);
        zo::configurator::TMainForm mainForm(session, zo::configurator::schemeFormFactory(schemeLink));
        mainForm.FormCreate();
        if (!mainForm.SetupRan()) {
            // Maximized also where no window manager maximizes (a virtual screen).
            if (QScreen* screen = QGuiApplication::primaryScreen()) mainForm.setGeometry(screen->availableGeometry());
            mainForm.showMaximized();
            mainForm.FormShow();
            // A SIGTERM during start-up (a box of FormShow open) ends the program here.
            if (!zo::configurator::TerminatedBySignal()) result = QApplication::exec();
        }
    }
    zo::configurator::ReleaseDockForms();
    zo::platform::setDialogRunner({});
    zo::platform::setUiServices(nullptr);
    return result;
}
