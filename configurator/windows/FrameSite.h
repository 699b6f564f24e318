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
    // The site's size: its extent across the side (width of a left or right
    // site, height of a bottom one) and along it; 0 x 0 when collapsed.
    QSize Size() const;
    void SetSize(QSize size);

    // Docks a panel at the end of the site and shows it (a drop on the site).
    void Dock(TCustomDockFormEx* panel);
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
    void watch(TCustomDockFormEx* panel);

    QMainWindow* window_;
    Qt::DockWidgetArea area_;
    TDockTreeCep tree_;
    QSize openSize_;
    bool settlePending_ = false;
    std::vector<QPointer<TCustomDockFormEx>> watched_;
};

}  // namespace zo::configurator
