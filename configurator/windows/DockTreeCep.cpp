#include "configurator/windows/DockTreeCep.h"

#include "configurator/windows/FrameSite.h"

#include <QApplication>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

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

TDockLayout TDockTreeCep::Layout() const {
    TDockLayout layout;
    const bool across = site_.Align() == SiteAlign::Top || site_.Align() == SiteAlign::Bottom;
    const QSize size = site_.Size();
    layout.TopLimit = across ? size.height() : size.width();
    std::vector<TCustomDockFormEx*> shown;
    for (TCustomDockFormEx* panel : site_.DockClients()) {
        if (panel->isHidden()) layout.Hidden.push_back(panel->objectName().toStdString());
        else shown.push_back(panel);
    }
    std::sort(shown.begin(), shown.end(), [across](QWidget* a, QWidget* b) {
        return across ? a->x() < b->x() : a->y() < b->y();
    });
    layout.Zones.push_back({0, uint8_t(across ? 1 : 2), layout.TopLimit, {}});
    int limit = 0;
    for (TCustomDockFormEx* panel : shown) {
        limit += across ? panel->width() : panel->height();
        layout.Zones.push_back({1, 0, limit, panel->objectName().toStdString()});
    }
    return layout;
}

DockStreamResult TDockTreeCep::LoadFromStream(TZoStream* stream) {
    TDockLayout layout;
    DockStreamResult r = ReadDockLayout(stream, layout);
    if (r.ok) ApplyLayout(layout);
    return r;
}

void TDockTreeCep::ApplyLayout(const TDockLayout& layout) {
    const uint8_t busy = site_.Busy;
    site_.Busy = 1;
    std::vector<TCustomDockFormEx*> noted = site_.DockClients();
    auto strike = [&noted](TCustomDockFormEx* panel) {
        noted.erase(std::remove(noted.begin(), noted.end(), panel), noted.end());
    };
    for (const TDockZone& zone : layout.Zones) {
        if (zone.Name.empty()) continue;
        TCustomDockFormEx* panel = site_.ReloadDockedControl(zone.Name);
        if (!panel) continue;
        strike(panel);
        site_.Dock(panel);
    }
    for (const std::string& name : layout.Hidden) {
        TCustomDockFormEx* panel = site_.ReloadDockedControl(name);
        if (!panel) continue;  // a panel that no longer exists
        strike(panel);
        site_.Dock(panel);
        panel->hide();
    }
    // Panels docked now that the layout does not name float.
    TCustomDockFormEx::SetRestoring(true);
    for (TCustomDockFormEx* panel : noted) panel->setFloating(true);
    TCustomDockFormEx::SetRestoring(false);
    site_.Busy = busy;
    site_.PostSettle();
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
