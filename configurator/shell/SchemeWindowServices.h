#pragma once
// The scheme-window services of the kernel's host slots: they find, create,
// show, rename, store and close the scheme windows among the children of the
// main window's MDI area, through ISchemeWindow only. Other children are
// skipped. A closed window is detached from the kernel, hidden and deleted
// later, so a window may be closed from inside its own event handler.

#include "configurator/windows/ISchemeWindow.h"

#include <QIcon>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

class QMdiArea;

namespace zo::configurator {

class TSchemeWindowServices {
public:
    TSchemeWindowServices(QMdiArea& area, SchemeWindowFactory factory);

    void SetFactory(SchemeWindowFactory factory) { factory_ = std::move(factory); }
    // The icon of every scheme window made from now on (the sheet of the icon
    // strips); without one the toolkit's own logo would show in the caption.
    void SetWindowIcon(const QIcon& icon) { icon_ = icon; }

    // The live scheme windows in child order (closed ones awaiting deletion are left out).
    QList<ISchemeWindow*> SchemeWindows() const;
    // The scheme window of the active child, or nullptr.
    ISchemeWindow* ActiveSchemeWindow() const;

    int ShowSchemeWindow(const QString& caption);
    int CloseSchemeWindow(const QString& sheetName);
    int CloseAllSchemeWindows();
    int StoreSchemeWindowState(const QString& sheetName);
    int RenameSchemeWindow(const QString& oldName, const QString& newName);
    int CreateSchemeWindow(const QString& sheetName, std::optional<QRect> rect, std::optional<QPoint> scroll,
                           std::optional<float> scale);
    // Every scheme window fetches its picture again (the queued repaint).
    void RefreshAll();

    // The longest scheme name a window takes.
    static constexpr int kMaxSchemeName = 260;

private:
    ISchemeWindow* First(const QString& name) const;
    // Hides the window and deletes it after the current event. One the kernel
    // closed writes its closing line first; one closed with all the others is
    // detached silently (the kernel is emptying its lists).
    void Dispose(ISchemeWindow* window, bool closedByKernel);

    QMdiArea& area_;
    SchemeWindowFactory factory_;
    QIcon icon_;
};

}  // namespace zo::configurator
