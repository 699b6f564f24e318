#include "configurator/shell/ModalOwner.h"

#include <QApplication>
#include <QDialog>
#include <QWindow>

namespace zo::configurator {

namespace {

bool StaysOnTop(const QWidget* window) { return window && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

// A shown window of the program that a modal window may belong to (no pop-up, hint or splash).
bool Candidate(const QWidget* window, const QWidget* except) {
    if (!window || window == except || !window->isVisible() || !window->isWindow()) return false;
    const Qt::WindowType type = window->windowType();
    return type != Qt::Popup && type != Qt::ToolTip && type != Qt::SplashScreen && type != Qt::Desktop;
}

// The program's shown windows, the newest first.
QList<QWidget*> ShownWindows(const QWidget* except) {
    QList<QWidget*> shown;
    const QWindowList windows = QGuiApplication::topLevelWindows();
    const QWidgetList widgets = QApplication::topLevelWidgets();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        for (QWidget* widget : widgets)
            if (widget->windowHandle() == *it && Candidate(widget, except)) shown.append(widget);
    }
    return shown;
}

}  // namespace

QWidget* ModalOwner(const QWidget* except) {
    QWidget* modal = QApplication::activeModalWidget();
    if (Candidate(modal, except)) return modal;
    QWidget* active = QApplication::activeWindow();
    if (!Candidate(active, except)) active = nullptr;
    if (StaysOnTop(active)) return active;
    const QList<QWidget*> shown = ShownWindows(except);
    for (QWidget* window : shown)
        if (StaysOnTop(window)) return window;
    if (active) return active;
    return shown.value(0);
}

void PlaceModal(QDialog& dialog) {
    QWidget* owner = ModalOwner(&dialog);
    if (!owner) return;
    Qt::WindowFlags flags = dialog.windowFlags();
    if (StaysOnTop(owner)) flags |= Qt::WindowStaysOnTopHint;
    const QWidget* current = dialog.parentWidget();
    if ((current ? current->window() : nullptr) != owner || flags != dialog.windowFlags()) dialog.setParent(owner, flags);
}

int RunModalDialog(QDialog& dialog) {
    PlaceModal(dialog);
    return dialog.exec();
}

}  // namespace zo::configurator
