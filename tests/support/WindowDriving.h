#pragma once
// Driving the program's real windows from a test: handling events for a
// bounded time, answering the dialogs the program opens through the
// UI-services hook, and watching a process the program started.

#include "platform/DialogHook.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>
#include <QString>

#include <sys/types.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

namespace zo::test {

// Handles the windows' events until done (bounded); true when done.
inline bool pumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::milliseconds(15000)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        // What the program's event loop would delete by now (closed windows).
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

inline void pumpFor(std::chrono::milliseconds span) {
    pumpUntil([] { return false; }, span);
}

// Installs a dialog runner for a scope; afterwards every dialog is rejected.
struct ScopedDialogRunner {
    explicit ScopedDialogRunner(platform::DialogRunner runner) { platform::setDialogRunner(std::move(runner)); }
    ~ScopedDialogRunner() { platform::setDialogRunner({}); }
    ScopedDialogRunner(const ScopedDialogRunner&) = delete;
    ScopedDialogRunner& operator=(const ScopedDialogRunner&) = delete;
};

// A dialog runner that chooses the file in a file dialog and rejects any other dialog.
inline platform::DialogRunner chooseFile(const std::string& file) {
    return [file](QDialog& dialog) {
        auto* chooser = qobject_cast<QFileDialog*>(&dialog);
        if (!chooser) return int(QDialog::Rejected);
        chooser->selectFile(QString::fromStdString(file));
        return int(QDialog::Accepted);
    };
}

// True while the process exists and is not a zombie.
inline bool processRunning(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(stat, text)) return false;
    const size_t close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z';
}

}  // namespace zo::test
