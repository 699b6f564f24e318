// zostartup: the program's start-up as Configurator's main runs it (the
// application, the main window with its scheme windows, FormCreate, the
// maximized showing, FormShow, the event loop), on the project named by its
// one argument, with the program folder ZO_STARTUP_FOLDER. When the first
// scheme window has painted, it prints the steady clock at that moment (in
// nanoseconds) and ends the way a close does. Nobody is asked anything: every
// box takes its safe answer. Exit 2 when no scheme window painted in 120 s.
#include "common/KroKernelConfig.h"
#include "configurator/link/ProjectSession.h"
#include "configurator/link/SchemeLink.h"
#include "configurator/shell/HeapPages.h"
#include "configurator/shell/MainForm.h"
#include "configurator/windows/CustomDockForm.h"
#include "configurator/windows/SchemForm.h"
#include "platform/DialogHook.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

class TSafeAnswers : public zo::platform::UiServices {
public:
    void showMessage(const std::string&, const std::string&, zo::platform::MessageKind) override {}
    zo::platform::Answer ask(const std::string&, const std::string&, zo::platform::Buttons buttons) override {
        return buttons == zo::platform::Buttons::OkCancel ? zo::platform::Answer::Cancel : zo::platform::Answer::No;
    }
};

// Ends the run at the first paint of anything inside a scheme window.
class TFirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!painted_ && event->type() == QEvent::Paint && watched->isWidgetType()) {
            for (QWidget* w = static_cast<QWidget*>(watched); w; w = w->parentWidget()) {
                if (!qobject_cast<zo::configurator::TSchemForm*>(w)) continue;
                painted_ = true;
                const auto now = std::chrono::steady_clock::now().time_since_epoch();
                std::printf("%lld\n", static_cast<long long>(std::chrono::nanoseconds(now).count()));
                std::fflush(stdout);
                QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
                break;
            }
        }
        return QObject::eventFilter(watched, event);
    }
    bool painted() const { return painted_; }

private:
    bool painted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    // Before anything large is allocated.
    zo::configurator::UseLargeHeapPages();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Configurator");
    TSafeAnswers answers;
    zo::platform::setUiServices(&answers);
    zo::platform::setDialogRunner([](QDialog&) { return 0; });
    TFirstPaint probe;
    app.installEventFilter(&probe);
    const char* folder = std::getenv("ZO_STARTUP_FOLDER");
    int result = 2;
    {
        zo::configurator::TProjectSession session;
        zo::configurator::SchemeLink schemeLink(session);
        zo::configurator::TMainForm mainForm(session, zo::configurator::schemeFormFactory(schemeLink));
        mainForm.FormCreate(folder ? QString::fromLocal8Bit(folder) : QString());
        if (QScreen* screen = QGuiApplication::primaryScreen()) mainForm.setGeometry(screen->availableGeometry());
        mainForm.showMaximized();
        mainForm.FormShow();
        QTimer::singleShot(120000, qApp, [] { QCoreApplication::exit(2); });
        QApplication::exec();
        result = probe.painted() ? 0 : 2;
        app.removeEventFilter(&probe);
    }
    zo::configurator::ReleaseDockForms();
    zo::platform::setDialogRunner({});
    zo::platform::setUiServices(nullptr);
    return result;
}
