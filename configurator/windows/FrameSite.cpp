#include "configurator/windows/FrameSite.h"

#include "configurator/windows/CustomDockForm.h"
#include "configurator/windows/DockZones.h"
#include "configurator/windows/FloatTreeCep.h"

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>

#include <algorithm>
#include <optional>

namespace zo::configurator {

QSize DockTargetSize(QSize parentClient, QSize screen, int savedWidth, int savedHeight) {
    int d = 0, e = 0;
    if (parentClient.isValid() && !parentClient.isEmpty()) {
        d = parentClient.width() * 2 / 3;
        e = parentClient.height() * 2 / 3;
    } else {
        d = screen.width() / 4;
        e = screen.height() / 4;
    }
    d = std::max(30, std::min(d, savedWidth));
    e = std::max(30, std::min(e, savedHeight));
    return {d, e};
}

TEdges CollapsedDockRect(SiteAlign align, TEdges r, QSize target, TEdges parentClient, bool hasParent) {
    const int d = target.width(), e = target.height();
    switch (align) {
    case SiteAlign::None: {
        const int gx = (d - r.Width()) / 2, gy = (e - r.Height()) / 2;
        r = {r.Left - gx, r.Top - gy, r.Right + gx, r.Bottom + gy};
        if (hasParent) {
            const int dx = std::max(0, parentClient.Left - r.Left), dy = std::max(0, parentClient.Top - r.Top);
            r = {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
        }
        break;
    }
    case SiteAlign::Top: r.Bottom = r.Top + e; break;
    case SiteAlign::Bottom: r.Top = r.Bottom - e; break;
    case SiteAlign::Left: r.Right = r.Left + d; break;
    case SiteAlign::Right: r.Left = r.Right - d; break;
    }
    return r;
}

std::string DockPanelName(const TCustomDockFormEx* frame) {
    if (!frame) return {};
    if (const QWidget* client = frame->widget(); client && !client->objectName().isEmpty())
        return client->objectName().toStdString();
    return frame->objectName().toStdString();
}

uint8_t SiteZoneOrientation(SiteAlign align) {
    return align == SiteAlign::Top || align == SiteAlign::Bottom ? kZoneSideBySide : kZoneStacked;
}

namespace {

TEdges edgesOf(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

}  // namespace

TFrameSite::TFrameSite(QMainWindow* window, Qt::DockWidgetArea area, QSize designSize, const QString& name)
    : QObject(window), window_(window), area_(area), tree_(*this) {
    setObjectName(name);
    SavedWidth = designSize.width();
    SavedHeight = designSize.height();
    openSize_ = designSize;
}

SiteAlign TFrameSite::Align() const {
    switch (area_) {
    case Qt::LeftDockWidgetArea: return SiteAlign::Left;
    case Qt::RightDockWidgetArea: return SiteAlign::Right;
    case Qt::TopDockWidgetArea: return SiteAlign::Top;
    case Qt::BottomDockWidgetArea: return SiteAlign::Bottom;
    default: return SiteAlign::None;
    }
}

std::vector<TCustomDockFormEx*> TFrameSite::DockClients() const {
    std::vector<TCustomDockFormEx*> list;
    if (!window_) return list;
    for (TCustomDockFormEx* panel : window_->findChildren<TCustomDockFormEx*>(Qt::FindDirectChildrenOnly))
        if (!panel->isFloating() && window_->dockWidgetArea(panel) == area_ &&
            std::find(watched_.begin(), watched_.end(), panel) != watched_.end())
            list.push_back(panel);
    return list;
}

int TFrameSite::VisibleDockClients() const {
    int n = 0;
    for (TCustomDockFormEx* panel : DockClients())
        if (!panel->isHidden()) ++n;
    return n;
}

QSize TFrameSite::Size() const {
    QRect box;
    for (TCustomDockFormEx* panel : DockClients())
        if (!panel->isHidden()) box |= panel->geometry();
    return box.size();
}

void TFrameSite::SetSize(QSize size) {
    if (!window_ || VisibleDockClients() == 0) return;
    const bool across = Align() == SiteAlign::Top || Align() == SiteAlign::Bottom;
    const int extent = across ? size.height() : size.width();
    if (extent < 1) return;
    const QSize now = Size();
    const QSize target = across ? QSize(std::max(now.width(), 1), extent) : QSize(extent, std::max(now.height(), 1));
    if (const std::optional<TZoneTree> tree = ReadZoneTree(tree_.Layout()))
        tree_.ApplyPlaces(ZonePlaces(*tree, target, tree_.SeparatorExtent()), false);
    openSize_ = across ? QSize(openSize_.width(), extent) : QSize(extent, openSize_.height());
}

TEdges TFrameSite::DockOver() const {
    if (!window_) return {};
    const QRect client = window_->rect();
    if (!Collapsed) {
        QRect box;
        for (TCustomDockFormEx* panel : DockClients())
            if (!panel->isHidden()) box |= panel->geometry();
        return edgesOf(box);
    }
    // A collapsed site is the bare edge of its side.
    TEdges edge = edgesOf(client);
    switch (Align()) {
    case SiteAlign::Left: edge.Right = edge.Left; break;
    case SiteAlign::Right: edge.Left = edge.Right; break;
    case SiteAlign::Top: edge.Bottom = edge.Top; break;
    case SiteAlign::Bottom: edge.Top = edge.Bottom; break;
    case SiteAlign::None: edge = {client.center().x(), client.center().y(), client.center().x(), client.center().y()}; break;
    }
    QSize screen(1024, 768);
    if (QScreen* s = QGuiApplication::primaryScreen()) screen = s->size();
    const QSize target = DockTargetSize(client.size(), screen, SavedWidth, SavedHeight);
    return CollapsedDockRect(Align(), edge, target, edgesOf(client), true);
}

void TFrameSite::Watch(TCustomDockFormEx* panel) {
    // Frames that are gone leave empty pointers; they are dropped here rather
    // than from their destroyed signal, which a widget sends while it is no
    // longer a frame (a pointer compared then would be cast to what it has ceased to be).
    watched_.erase(std::remove_if(watched_.begin(), watched_.end(),
                                  [](const QPointer<TCustomDockFormEx>& p) { return p.isNull(); }),
                   watched_.end());
    if (std::find(watched_.begin(), watched_.end(), panel) != watched_.end()) return;
    watched_.push_back(panel);
    connect(panel, &QDockWidget::topLevelChanged, this, [this](bool floating) {
        if (Busy) return;
        if (!floating) dropped_ = true;
        PostSettle();
    });
    connect(panel, &QDockWidget::dockLocationChanged, this, [this](Qt::DockWidgetArea) { if (!Busy) PostSettle(); });
    connect(panel, &QDockWidget::visibilityChanged, this, [this](bool) { if (!Busy) PostSettle(); });
    panel->installEventFilter(this);
}

void TFrameSite::Dock(TCustomDockFormEx* panel) {
    if (!panel || !window_) return;
    Place(panel, nullptr, SiteZoneOrientation(Align()) == kZoneSideBySide ? Qt::Horizontal : Qt::Vertical);
    dropped_ = true;
    PostSettle();
}

void TFrameSite::Place(TCustomDockFormEx* panel, TCustomDockFormEx* after, Qt::Orientation o) {
    if (!panel || !window_) return;
    Watch(panel);
    const bool vertical = Align() == SiteAlign::Top || Align() == SiteAlign::Bottom;
    panel->SetSiteKind(Kind, vertical);
    panel->SetFloatKind(Kind);
    // Added first: a frame that floats and is not in the window's layout
    // would otherwise be docked into the left area by Qt on the way.
    if (after && after != panel) window_->splitDockWidget(after, panel, o);
    else window_->addDockWidget(area_, panel, o);
    panel->setFloating(false);
    panel->show();
}

void TFrameSite::ApplyFloatFormKind() {
    const bool vertical = Align() == SiteAlign::Top || Align() == SiteAlign::Bottom;
    for (const QPointer<TCustomDockFormEx>& panel : watched_) {
        if (!panel) continue;
        panel->SetFloatKind(Kind);
        panel->SetSiteKind(Kind, vertical);
    }
}

void TFrameSite::SetFloatFormKind(uint8_t kind) {
    if (kind == Kind) return;
    Kind = kind;
    // The title bars change in place: the panels keep where and how large they are.
    ApplyFloatFormKind();
}

void TFrameSite::PostSettle() {
    if (settlePending_) return;
    settlePending_ = true;
    QMetaObject::invokeMethod(this, [this] { Settle(); }, Qt::QueuedConnection);
}

void TFrameSite::Settle() {
    settlePending_ = false;
    const bool empty = VisibleDockClients() == 0;
    if (empty != (Collapsed != 0)) {
        if (empty) {
            // The size it had while open; the panel that left has already gone.
            SavedWidth = openSize_.width();
            SavedHeight = openSize_.height();
            Collapsed = 1;
        } else {
            // A drop gives the site the drag's dock rectangle, held within the
            // main window; a panel shown again reopens it at its saved size.
            const TEdges drop = DockOver();
            Collapsed = 0;
            SetSize(dropped_ ? QSize(drop.Width(), drop.Height()) : QSize(SavedWidth, SavedHeight));
        }
    }
    dropped_ = false;
    if (!Collapsed) {
        const QSize now = Size();
        if (now.width() > 0 && now.height() > 0) openSize_ = now;
    }
    LastResetTick = QDateTime::currentMSecsSinceEpoch();
}

bool TFrameSite::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && !Collapsed) {
        auto* panel = qobject_cast<TCustomDockFormEx*>(watched);
        if (panel && !panel->isFloating() && !panel->isHidden()) {
            const QSize now = Size();
            if (now.width() > 0 && now.height() > 0) openSize_ = now;
        }
    }
    return QObject::eventFilter(watched, event);
}

bool TFrameSite::SaveToStream(TZoStream* stream) {
    const TDockLayout tree = tree_.Layout();
    const QSize size = Size();
    return WriteSiteLayout(stream, &tree, TrailerFor(Align(), size.width(), size.height()));
}

DockStreamResult TFrameSite::LoadFromStream(TZoStream* stream) {
    if (!stream) return {};
    TSiteLayout layout;
    DockStreamResult r = ReadSiteLayout(stream, layout);
    if (!r.ok) return r;
    QSize size = Size();
    if (layout.HasTrailer) {
        const bool across = Align() == SiteAlign::Top || Align() == SiteAlign::Bottom;
        if (layout.Trailer.Width >= 1 && across == false) size.setWidth(layout.Trailer.Width);
        if (layout.Trailer.Height >= 1 && (across || Align() == SiteAlign::None)) size.setHeight(layout.Trailer.Height);
        if (Collapsed) {
            SavedWidth = size.width();
            SavedHeight = size.height();
        }
    }
    // The tree's panels take their shares of the size the trailer gives.
    if (layout.HasTree) tree_.ApplyLayout(layout.Tree, layout.HasTrailer ? std::optional<QSize>(size) : std::nullopt);
    else if (layout.HasTrailer && !Collapsed) SetSize(size);
    return r;
}

TCustomDockFormEx* TFrameSite::ReloadDockedControl(const std::string& nameOrKey) const {
    QString name = QString::fromStdString(nameOrKey);
    QString key;
    if (name.contains(';')) {
        key = name;
        name = name.section(';', 0, 0).section('.', -1);
    }
    // The frame of the panel of that name (and key): the panel the floating registry keys.
    auto accept = [&](TCustomDockFormEx* frame) {
        if (QString::fromStdString(DockPanelName(frame)).compare(name, Qt::CaseInsensitive) != 0) return false;
        const QObject* panel = frame->widget() && !frame->widget()->objectName().isEmpty()
                                   ? static_cast<const QObject*>(frame->widget())
                                   : frame;
        return key.isEmpty() || QString::fromStdString(ControlKey(panel)).compare(key, Qt::CaseInsensitive) == 0;
    };
    if (window_)
        for (TCustomDockFormEx* panel : window_->findChildren<TCustomDockFormEx*>())
            if (accept(panel)) return panel;
    for (QWidget* top : QApplication::topLevelWidgets())
        for (TCustomDockFormEx* panel : top->findChildren<TCustomDockFormEx*>())
            if (accept(panel)) return panel;
    return nullptr;
}

}  // namespace zo::configurator
