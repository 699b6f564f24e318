#pragma once
// TDockTreeCep: the layout of the panels inside one dock site of the main
// window. It paints each docked panel's slim grabber (a gradient bar, a close
// box and the panel's caption: along the top in a left or right site, along
// the left in a top or bottom site), gives the site's layout as a dock tree
// and loads one, also one in which some panels were hidden.
// TDockGrabberCep is the title-bar widget of a panel docked in a site of kind 1.

#include "configurator/windows/CustomDockForm.h"
#include "configurator/windows/DockStreams.h"
#include "configurator/windows/DockZones.h"

#include <QColor>
#include <QSize>
#include <QWidget>

#include <optional>
#include <vector>

namespace zo::configurator {

class TFrameSite;

// A colour at P %: each channel min(255, (P * channel + 49) div 100).
QColor ColourPercent(const QColor& colour, int percent);

struct TGrabberGeometry {
    TEdges Bar;
    TEdges Close;
    TEdges Caption;
};
// The grabber's parts in the zone (L, T, R, B); leftGrabber for a top or bottom site.
TGrabberGeometry GrabberGeometry(const TEdges& zone, bool leftGrabber);

// Paints a grabber: bar, close box and caption text (the panel's title).
void PaintGrabber(QPainter& painter, const QString& text, const TEdges& zone, bool leftGrabber, const QColor& siteColour);

class TDockTreeCep {
public:
    explicit TDockTreeCep(TFrameSite& site);

    // The grabber of control in zone; a site of another kind than 1 paints nothing here.
    void PaintDockFrame(QPainter& painter, QWidget* control, const TEdges& zone) const;

    // The site's panels as the dock tree they form: zones split where the
    // panels lie side by side or one above the other, each zone named after
    // its panel (the frame's client), the hidden panels by name.
    TDockLayout Layout() const;
    // Docks the panels the stream names in its zones, their relative sizes
    // those of the stream's limits; docks and hides the hidden ones that still
    // exist, and floats every docked panel it does not name (where it floated last).
    DockStreamResult LoadFromStream(TZoStream* stream);
    // size: the site's size to share out (its current size when none).
    void ApplyLayout(const TDockLayout& layout, std::optional<QSize> size);
    // The site's docked panels sized as the places say (across the site only, or both ways).
    void ApplyPlaces(const std::vector<TPanelPlace>& places, bool bothWays) const;
    // The room Qt keeps between two panels of the site.
    int SeparatorExtent() const;

private:
    TFrameSite& site_;
};

class TDockGrabberCep : public QWidget {
    Q_OBJECT
public:
    explicit TDockGrabberCep(TCustomDockFormEx* form);
    void SetVertical(bool vertical);
    bool Vertical() const { return vertical_; }
    TEdges Zone() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TCustomDockFormEx* form_;
    bool vertical_ = false;
    bool closePressed_ = false;
};

}  // namespace zo::configurator
