#pragma once
// TFrameSite: one docking site of the main window (left, right, bottom), over
// the QMainWindow dock area of that side. It collapses to nothing when it
// holds no visible panel and reopens at its former size when a panel comes
// back; its kind chooses the title bars of its panels (0: the desktop's frame
// when floating, 1: the painted caption floating and the slim grabber docked,
// 2: Qt's own bars); it saves and loads its layout stream (dock tree and size
// trailer) and finds a panel by its name or key.

#include "configurator/windows/DockStreams.h"
#include "configurator/windows/DockTreeCep.h"

#include <QObject>
#include <QPointer>
#include <QSize>

#include <vector>

class QMainWindow;

namespace zo::configurator {

class TCustomDockFormEx;

// The size a collapsed site reopens at when a panel is dropped on it: two
// thirds of the parent's client (a quarter of the screen without a parent),
// at most the saved size and at least 30 pixels.
QSize DockTargetSize(QSize parentClient, QSize screen, int savedWidth, int savedHeight);
// The drag's dock rectangle over a collapsed site of that alignment.
TEdges CollapsedDockRect(SiteAlign align, TEdges site, QSize target, TEdges parentClient, bool hasParent);

// The name a site's dock tree knows a panel by: its frame's client's (the
// panel the floating registry keys), else the frame's own.
std::string DockPanelName(const TCustomDockFormEx* frame);
// The axis along which a site of that alignment sets its panels: one above the
// other in a left, right or free site, side by side in a top or bottom one.
uint8_t SiteZoneOrientation(SiteAlign align);

class TFrameSite : public QObject {
    Q_OBJECT
public:
    TFrameSite(QMainWindow* window, Qt::DockWidgetArea area, QSize designSize, const QString& name);

    uint8_t Busy = 0;
    uint8_t Collapsed = 0;
    uint8_t FirstHandle = 1;
    int32_t SavedWidth = 0;
    int32_t SavedHeight = 0;
    uint8_t Kind = 0;
    int64_t LastResetTick = 0;

    QMainWindow* Window() const { return window_; }
    Qt::DockWidgetArea Area() const { return area_; }
    SiteAlign Align() const;
    TDockTreeCep& Tree() { return tree_; }

    // The panels docked in the site (not floating), in their order.
    std::vector<TCustomDockFormEx*> DockClients() const;
    int VisibleDockClients() const;
    // The site's size: what its visible panels cover; 0 x 0 when collapsed.
    QSize Size() const;
    // The site's extent across its side (the width of a left or right site, the
    // height of a top or bottom one) becomes that of size; its panels keep
    // their shares of it.
    void SetSize(QSize size);
    // The drag's dock rectangle for a drop on the site, in the main window:
    // the site's own while open; while collapsed, its edge grown to the size
    // it reopens at, two thirds of the main window at most (CollapsedDockRect).
    TEdges DockOver() const;

    // Docks a panel at the end of the site and shows it (a drop on the site).
    void Dock(TCustomDockFormEx* panel);
    // Docks a panel into the site and shows it: beside after (in after's run,
    // along o), or without after into the site's run along o.
    void Place(TCustomDockFormEx* panel, TCustomDockFormEx* after, Qt::Orientation o);
    void SetFloatFormKind(uint8_t kind);
    void ApplyFloatFormKind();

    // Asks the site to settle its collapsed state after the current event.
    void PostSettle();
    void Settle();

    bool SaveToStream(TZoStream* stream);
    DockStreamResult LoadFromStream(TZoStream* stream);
    // A panel by its plain name or key, searched from the main window, then the application.
    TCustomDockFormEx* ReloadDockedControl(const std::string& name) const;

protected:
    // Keeps the size the site has while open, to reopen at it.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Watch(TCustomDockFormEx* panel);

    QMainWindow* window_;
    Qt::DockWidgetArea area_;
    TDockTreeCep tree_;
    QSize openSize_;
    bool settlePending_ = false;
    bool dropped_ = false;  // a panel came to the site floating (a drop) since the last settling
    std::vector<QPointer<TCustomDockFormEx>> watched_;
};

}  // namespace zo::configurator
