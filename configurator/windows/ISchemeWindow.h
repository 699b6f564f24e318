#pragma once
// What the main window's scheme-window services need of one scheme window.
// The services (the kernel's host slots) find, create, show, rename, store and
// close the scheme windows among the children of the main window's MDI area
// through this interface only; TSchemForm implements it, tests may implement it
// with a stand-in window.

#include <QMdiSubWindow>
#include <QString>

#include <functional>

class QMdiArea;

namespace zo::configurator {

class ISchemeWindow {
public:
    virtual ~ISchemeWindow() = default;

    // The MDI child this window is (its caption is the scheme name).
    virtual QMdiSubWindow* SubWindow() = 0;
    // The sheet's name: the key under which every kernel call names the sheet.
    virtual QString GetSchemeName() const = 0;
    // Takes at most 260 characters as the scheme name and the caption.
    virtual void SetSchemeName(const QString& name) = 0;
    // From now on the window makes no kernel call (closing all windows while
    // the kernel empties its lists).
    virtual void DetachKernel() = 0;
    // The kernel closed the window's sheet: the window writes its closing line
    // now and from then on makes no kernel call (it is deleted later).
    virtual void ClosedByKernel() = 0;
    // Fetches the sheet's picture from the kernel again and repaints:
    // 0 done, -1 no kernel, -2 the kernel failed to paint, -3 no picture.
    virtual int RefreshScheme() = 0;
    // Reports the window's placement (rectangle, scroll positions, zoom) to the kernel.
    virtual void SaveView() = 0;
    // Placement handed over by the kernel when the window is created.
    virtual void SetScrollPositions(int horizontal, int vertical) = 0;
    virtual void SetScale(float scale) = 0;
};

// Makes a new scheme window as a child of the area (not yet shown). The main
// window is given one; a nullptr result means no window could be made.
using SchemeWindowFactory = std::function<ISchemeWindow*(QMdiArea& area)>;

// The scheme window a child of the MDI area is, or nullptr for any other child.
// (TSchemForm is itself the QMdiSubWindow, so the child is cast directly.)
inline ISchemeWindow* schemeWindowOf(QMdiSubWindow* child) {
    return dynamic_cast<ISchemeWindow*>(child);
}

}  // namespace zo::configurator
