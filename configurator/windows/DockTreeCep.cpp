#include "configurator/windows/DockTreeCep.h"

#include "configurator/windows/DockZones.h"
#include "configurator/windows/FloatTreeCep.h"
#include "configurator/windows/FrameSite.h"

#include <QApplication>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

#include <algorithm>
#include <map>
#include <optional>

namespace zo::configurator {

QColor ColourPercent(const QColor& colour, int percent) {
    auto scale = [percent](int c) { return std::min(255, (percent * c + 49) / 100); };
    return QColor(scale(colour.red()), scale(colour.green()), scale(colour.blue()));
}

TGrabberGeometry GrabberGeometry(const TEdges& z, bool leftGrabber) {
    if (!leftGrabber)
        return {{z.Left + 1, z.Top, z.Right - 14, z.Top + 11},
                {z.Right - 12, z.Top, z.Right - 1, z.Top + 11},
                {z.Left + 4, z.Top - 1, z.Right - 17, z.Top + 11}};
    return {{z.Left, z.Top + 14, z.Left + 11, z.Bottom - 1},
            {z.Left, z.Top + 1, z.Left + 11, z.Top + 12},
            {z.Left - 3, z.Top + 15, z.Left + 10, z.Bottom - 5}};
}

namespace {

// The status-bar font at 10 pixels, normal weight.
QFont captionFont() {
    QFont f = QApplication::font("QStatusBar");
    f.setPixelSize(10);
    f.setWeight(QFont::Normal);
    return f;
}

}  // namespace

void PaintGrabber(QPainter& p, const QString& text, const TEdges& zone, bool leftGrabber, const QColor& siteColour) {
    const TGrabberGeometry g = GrabberGeometry(zone, leftGrabber);
    const QColor a = ColourPercent(siteColour, 120);
    const QColor b = ColourPercent(siteColour, 85);
    if (g.Bar.Width() >= 8 && g.Bar.Height() >= 8) GradientBox(p, g.Bar, 2, leftGrabber, kOutlineAveraged, a, b);
    GradientBox(p, g.Close, 2, leftGrabber, kOutlineAveraged, a, b);
    TEdges cross{g.Close.Left + 2, g.Close.Top + 2, g.Close.Right - 2, g.Close.Bottom - 2};
    if (cross.Width() % 2) --cross.Right;
    if (cross.Height() % 2) --cross.Bottom;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(ColourPercent(siteColour, 40), 2));
    p.drawLine(cross.Left, cross.Top, cross.Right, cross.Bottom);
    p.drawLine(cross.Left, cross.Bottom, cross.Right, cross.Top);
    const TEdges& area = g.Caption;
    if (!text.isEmpty() && area.Width() > 10 && area.Height() > 10) {
        const QFont font = captionFont();
        p.setFont(font);
        p.setPen(QApplication::palette().color(QPalette::WindowText));
        const QFontMetrics fm(font);
        const int textHeight = fm.height();
        if (!leftGrabber) {
            const int y = std::max((area.Top + area.Bottom - textHeight) / 2, area.Top - 1);
            p.drawText(QRect(area.Left, y, area.Width(), textHeight), Qt::AlignLeft | Qt::TextSingleLine,
                       fm.elidedText(text, Qt::ElideRight, area.Width()));
        } else {
            const int x = std::max((area.Left + area.Right - textHeight + 1) / 2, area.Left - 1);
            const int length = area.Height();
            p.translate(x, area.Bottom);
            p.rotate(-90);
            p.drawText(QRect(0, 0, length, textHeight), Qt::AlignLeft | Qt::TextSingleLine | Qt::TextDontClip,
                       fm.elidedText(text, Qt::ElideRight, length));
        }
    }
    p.restore();
}

TDockTreeCep::TDockTreeCep(TFrameSite& site) : site_(site) {}

void TDockTreeCep::PaintDockFrame(QPainter& painter, QWidget* control, const TEdges& zone) const {
    if (site_.Kind != 1 || !control) return;
    const bool left = site_.Align() == SiteAlign::Top || site_.Align() == SiteAlign::Bottom;
    const QColor colour = site_.Window() ? site_.Window()->palette().color(QPalette::Window)
                                         : QApplication::palette().color(QPalette::Window);
    PaintGrabber(painter, control->windowTitle(), zone, left, colour);
}

namespace {

Qt::Orientation qtOrientation(uint8_t orientation) {
    return orientation == kZoneSideBySide ? Qt::Horizontal : Qt::Vertical;
}

const TZoneNode& firstPanel(const TZoneNode& node) {
    return node.IsPanel() ? node : firstPanel(node.Children.front());
}

using NamedFrames = std::map<std::string, TCustomDockFormEx*>;

// Each zone's first panel goes beside the first panel of the zone before it,
// along the zone's parent's axis; then each zone is split in its turn, so a
// split always lands in the run of the zone it belongs to.
void growZone(TFrameSite& site, const TZoneNode& node, const NamedFrames& frames) {
    if (node.IsPanel()) return;
    const Qt::Orientation o = qtOrientation(node.Orientation);
    TCustomDockFormEx* before = frames.at(firstPanel(node.Children.front()).Name);
    for (size_t i = 1; i < node.Children.size(); ++i) {
        TCustomDockFormEx* panel = frames.at(firstPanel(node.Children[i]).Name);
        site.Place(panel, before, o);
        before = panel;
    }
    for (const TZoneNode& child : node.Children) growZone(site, child, frames);
}

}  // namespace

TDockLayout TDockTreeCep::Layout() const {
    TDockLayout layout;
    std::vector<TPanelPlace> places;
    QRect box;
    for (TCustomDockFormEx* panel : site_.DockClients()) {
        if (panel->isHidden()) {
            layout.Hidden.push_back(DockPanelName(panel));
            continue;
        }
        const QRect g = panel->geometry();
        places.push_back({DockPanelName(panel), {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()}});
        box |= g;
    }
    for (TPanelPlace& p : places)
        p.Rect = {p.Rect.Left - box.left(), p.Rect.Top - box.top(), p.Rect.Right - box.left(),
                  p.Rect.Bottom - box.top()};
    WriteZoneTree(ZoneTreeOf(std::move(places), box.size(), SiteZoneOrientation(site_.Align())), layout);
    return layout;
}

DockStreamResult TDockTreeCep::LoadFromStream(TZoStream* stream) {
    TDockLayout layout;
    DockStreamResult r = ReadDockLayout(stream, layout);
    if (r.ok) ApplyLayout(layout, std::nullopt);
    return r;
}

void TDockTreeCep::ApplyLayout(const TDockLayout& layout, std::optional<QSize> size) {
    const uint8_t busy = site_.Busy;
    site_.Busy = 1;
    QSize target = size && !size->isEmpty() ? *size : site_.Size();
    if (target.isEmpty()) target = QSize(site_.SavedWidth, site_.SavedHeight);
    std::vector<TCustomDockFormEx*> noted = site_.DockClients();
    auto strike = [&noted](TCustomDockFormEx* panel) {
        noted.erase(std::remove(noted.begin(), noted.end(), panel), noted.end());
    };
    NamedFrames frames;
    std::optional<TZoneTree> tree = ReadZoneTree(layout);
    const bool anyZone = tree && PruneZoneTree(*tree, [&](const std::string& name) {
        TCustomDockFormEx* panel = site_.ReloadDockedControl(name);
        if (panel) frames[name] = panel;
        return panel != nullptr;
    });
    std::vector<TCustomDockFormEx*> hidden;
    for (const std::string& name : layout.Hidden) {
        TCustomDockFormEx* panel = site_.ReloadDockedControl(name);  // nil: a panel that no longer exists
        if (panel && std::find(hidden.begin(), hidden.end(), panel) == hidden.end() &&
            std::none_of(frames.begin(), frames.end(), [panel](const auto& f) { return f.second == panel; }))
            hidden.push_back(panel);
    }
    for (const auto& [name, panel] : frames) strike(panel);
    for (TCustomDockFormEx* panel : hidden) strike(panel);
    // Panels docked now that the layout does not name float, where they floated last.
    TCustomDockFormEx::SetRestoring(true);
    for (TCustomDockFormEx* panel : noted) panel->Refloat();
    TCustomDockFormEx::SetRestoring(false);
    // The named panels leave the site and come back in the stream's shape.
    QMainWindow* window = site_.Window();
    auto takeOut = [window](TCustomDockFormEx* panel) {
        // Hiding a floating panel on its way into the site is no change of its own.
        TFloatTreeCep& registry = panel->FloatTree();
        const uint8_t recording = registry.Recording;
        registry.SetRecording(false);
        window->removeDockWidget(panel);
        registry.Recording = recording;
    };
    for (const auto& [name, panel] : frames) takeOut(panel);
    for (TCustomDockFormEx* panel : hidden) takeOut(panel);
    Qt::Orientation outer = qtOrientation(SiteZoneOrientation(site_.Align()));
    if (anyZone) {
        if (!tree->Top.IsPanel()) outer = qtOrientation(tree->Top.Orientation);
        site_.Place(frames.at(firstPanel(tree->Top).Name), nullptr, outer);
        growZone(site_, tree->Top, frames);
        ApplyPlaces(ZonePlaces(*tree, target, SeparatorExtent()), true);
    }
    for (TCustomDockFormEx* panel : hidden) {
        site_.Place(panel, nullptr, outer);
        panel->hide();
    }
    site_.Busy = busy;
    site_.PostSettle();
}

int TDockTreeCep::SeparatorExtent() const {
    QMainWindow* window = site_.Window();
    return window ? window->style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, window) : 0;
}

void TDockTreeCep::ApplyPlaces(const std::vector<TPanelPlace>& places, bool bothWays) const {
    QList<QDockWidget*> docks;
    QList<int> widths, heights;
    const std::vector<TCustomDockFormEx*> clients = site_.DockClients();
    for (const TPanelPlace& place : places) {
        const auto it = std::find_if(clients.begin(), clients.end(), [&place](TCustomDockFormEx* panel) {
            return !panel->isHidden() && DockPanelName(panel) == place.Name;
        });
        if (it == clients.end()) continue;
        docks << *it;
        widths << place.Rect.Width();
        heights << place.Rect.Height();
    }
    QMainWindow* window = site_.Window();
    if (docks.isEmpty() || !window) return;
    const bool acrossIsHeight = site_.Align() == SiteAlign::Top || site_.Align() == SiteAlign::Bottom;
    if (bothWays || !acrossIsHeight) window->resizeDocks(docks, widths, Qt::Horizontal);
    if (bothWays || acrossIsHeight) window->resizeDocks(docks, heights, Qt::Vertical);
}

// ---- TDockGrabberCep ----

TDockGrabberCep::TDockGrabberCep(TCustomDockFormEx* form) : QWidget(form), form_(form) {
    setObjectName("DockGrabber");
}

void TDockGrabberCep::SetVertical(bool vertical) {
    vertical_ = vertical;
    updateGeometry();
    update();
}

TEdges TDockGrabberCep::Zone() const { return {0, 0, width(), height()}; }

QSize TDockGrabberCep::sizeHint() const { return vertical_ ? QSize(12, 40) : QSize(40, 12); }
QSize TDockGrabberCep::minimumSizeHint() const { return sizeHint(); }

void TDockGrabberCep::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QColor colour = palette().color(QPalette::Window);
    p.fillRect(rect(), colour);
    PaintGrabber(p, form_->windowTitle(), Zone(), vertical_, colour);
}

void TDockGrabberCep::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && GrabberGeometry(Zone(), vertical_).Close.Contains(at.x(), at.y())) {
        closePressed_ = true;
        event->accept();
        return;
    }
    event->ignore();  // the panel is dragged by its grabber
}

void TDockGrabberCep::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const bool pressed = closePressed_;
    closePressed_ = false;
    if (pressed && event->button() == Qt::LeftButton &&
        GrabberGeometry(Zone(), vertical_).Close.Contains(at.x(), at.y())) {
        QMetaObject::invokeMethod(form_, [form = QPointer<TCustomDockFormEx>(form_)] { if (form) form->close(); },
                                  Qt::QueuedConnection);
        event->accept();
        return;
    }
    event->ignore();
}

}  // namespace zo::configurator
