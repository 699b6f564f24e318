#include "configurator/windows/CustomDockForm.h"

#include "configurator/windows/DockTreeCep.h"
#include "configurator/windows/FloatTreeCep.h"

#include <QApplication>
#include <QFontDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace zo::configurator {
namespace {

bool restoring = false;
int cepInstances = 0;

// The one-shot timer that applies deferred visibility (100 ms, started only when none runs).
QPointer<QTimer>& dockTimer() {
    static QPointer<QTimer> timer;
    return timer;
}

void applyWantedVisibility() {
    for (QWidget* w : QApplication::allWidgets()) {
        auto* form = qobject_cast<TCustomDockFormEx*>(w);
        if (form && (form->WantedVisible != 0) != form->isVisible()) form->setVisible(form->WantedVisible != 0);
    }
}

void startDockTimer() {
    QPointer<QTimer>& timer = dockTimer();
    if (timer && timer->isActive()) return;
    if (!timer) {
        timer = new QTimer(qApp);
        timer->setObjectName("DockFormTimer");
        timer->setSingleShot(true);
        timer->setInterval(100);
        QObject::connect(timer, &QTimer::timeout, [] { applyWantedVisibility(); });
    }
    timer->start();
}

QColor channelsAveraged(const QColor& a, const QColor& b) {
    return QColor((a.red() + b.red()) / 3, (a.green() + b.green()) / 3, (a.blue() + b.blue()) / 3);
}

QColor fromBgr(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

}  // namespace

void GradientBox(QPainter& painter, const TEdges& box, int cut, bool leftToRight, uint32_t outline, const QColor& a,
                 const QColor& bIn) {
    const int L = box.Left, T = box.Top, R = box.Right, B = box.Bottom;
    const QPoint points[9] = {{L + cut, T},         {R - cut - 1, T}, {R - 1, T + cut},
                              {R - 1, B - cut - 1}, {R - cut - 1, B - 1}, {L + cut, B - 1},
                              {L, B - cut - 1},     {L, T + cut},     {L + cut, T}};
    QColor b = bIn;
    if (painter.device() && painter.device()->depth() < 16) b = a;
    const QRect inner(QPoint(L + 1, T + 1), QPoint(R - 2, B - 2));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (inner.isValid()) {
        if (a == b) {
            painter.fillRect(inner, a);
        } else {
            QLinearGradient g(inner.topLeft(), leftToRight ? QPointF(inner.right() + 1, inner.top())
                                                           : QPointF(inner.left(), inner.bottom() + 1));
            g.setColorAt(0, a);
            g.setColorAt(1, b);
            painter.fillRect(inner, g);
        }
    }
    if (outline != kOutlineNone) {
        const QColor pen = outline == kOutlineAveraged ? channelsAveraged(a, b) : fromBgr(outline);
        painter.setPen(QPen(pen, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(points, 9);
    }
    painter.restore();
}

TCaptionGeometry CaptionGeometry(int windowWidth, int windowHeight, int clientWidth, int clientHeight,
                                 int captionHeight, bool hasSystemMenu) {
    TCaptionGeometry g;
    const int border = (windowWidth - clientWidth) / 2;
    const int clientTop = windowHeight - clientHeight - border;
    if (!hasSystemMenu) {
        g.Caption = {-1, -1, -1, -1};
        return g;
    }
    g.Caption = {border, border, windowWidth - border, clientTop - 1};
    g.Close = {std::max(g.Caption.Right - 2 - captionHeight, g.Caption.Left), g.Caption.Top, g.Caption.Right - 2,
               g.Caption.Bottom};
    g.HasClose = true;
    return g;
}

TEdges KeepOnScreen(TEdges r, int screenWidth, int screenHeight) {
    const int hw = (r.Right - r.Left) / 2;
    const int hh = (r.Bottom - r.Top) / 2;
    auto shift = [](TEdges& e, int dx, int dy) {
        e.Left += dx;
        e.Right += dx;
        e.Top += dy;
        e.Bottom += dy;
    };
    if (r.Right < hw) shift(r, -hw - r.Left, 0);
    if (r.Bottom < hh) shift(r, 0, -hh - r.Top);
    if (screenWidth < r.Right - hw) shift(r, screenWidth - (r.Right - hw), 0);
    if (screenHeight < r.Bottom - hh) shift(r, 0, screenHeight - (r.Bottom - hh));
    return r;
}

// ---- TCustomDockFormEx ----

TCustomDockFormEx::TCustomDockFormEx(TFloatTreeCep& floatTree, QWidget* parent)
    : QDockWidget(parent), floatTree_(floatTree) {
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    connect(this, &QDockWidget::topLevelChanged, this, [this](bool) { ApplyTitleBar(); });
}

TCustomDockFormEx::~TCustomDockFormEx() {
    if (isFloating()) floatTree_.RecordForm(this);
}

void TCustomDockFormEx::SetWantedVisible(uint8_t value) {
    WantedVisible = value;
    if ((value != 0) != isVisible()) startDockTimer();
}

void TCustomDockFormEx::AddDockClient(QWidget* client) {
    if (!client) return;
    if (!widget()) {
        // The caption's first line (a pattern match here would cost a regular
        // expression compiled for every docked panel).
        const QString title = client->windowTitle();
        qsizetype end = 0;
        while (end < title.size() && title[end] != '\r' && title[end] != '\n') ++end;
        setWindowTitle(title.left(end));
    }
    setWidget(client);
    if (Restoring()) {
        TFloatRecord rec;
        if (!floatTree_.Find(client, &rec)) {
            show();
            SetWantedVisible(1);
        }
        client->setVisible(WantedVisible != 0);
        return;
    }
    show();
    if (isFloating()) floatTree_.Record(client, Bounds(), true);
}

void TCustomDockFormEx::Refloat() { FloatAt(LastFloat()); }

std::optional<TFloatRecord> TCustomDockFormEx::LastFloat() const {
    TFloatRecord record;
    if (widget() && floatTree_.Find(widget(), &record)) return record;
    return std::nullopt;
}

void TCustomDockFormEx::FloatAt(std::optional<TFloatRecord> last) {
    setFloating(true);
    if (last && widget()) {
        // Floating has just recorded the place Qt gave the frame: the one before is given back.
        floatTree_.Store(ControlKey(widget()), *last);
        floatTree_.Restore(this);
        if (Restoring()) return;
    }
    show();
    SetWantedVisible(1);
}

bool TCustomDockFormEx::event(QEvent* event) {
    if (event->type() != QEvent::MouseButtonDblClick || isFloating()) return QDockWidget::event(event);
    // Qt floats the frame when the click is on its title; it then goes where it floated last.
    const std::optional<TFloatRecord> last = LastFloat();
    const bool handled = QDockWidget::event(event);
    if (isFloating()) FloatAt(last);
    return handled;
}

void TCustomDockFormEx::SetFloatKind(int kind) {
    floatKind_ = kind;
    ApplyTitleBar();
}

void TCustomDockFormEx::SetSiteKind(int kind, bool verticalGrabber) {
    siteKind_ = kind;
    verticalGrabber_ = verticalGrabber;
    ApplyTitleBar();
}

bool TCustomDockFormEx::Restoring() { return restoring; }
void TCustomDockFormEx::SetRestoring(bool value) { restoring = value; }

TEdges TCustomDockFormEx::Bounds() const {
    const QRect g = frameGeometry();
    return {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

void TCustomDockFormEx::showEvent(QShowEvent* event) {
    QDockWidget::showEvent(event);
    WantedVisible = 1;
    VisibilityChangedRecord(true);
}

void TCustomDockFormEx::hideEvent(QHideEvent* event) {
    QDockWidget::hideEvent(event);
    WantedVisible = 0;
    VisibilityChangedRecord(false);
}

void TCustomDockFormEx::VisibilityChangedRecord(bool visible) {
    if (!widget() || !isFloating()) return;
    if (visible && Restoring()) return;
    floatTree_.Record(widget(), Bounds(), visible);
}

void TCustomDockFormEx::ApplyTitleBar() {
    // Docked in a site of kind 1: the site's slim grabber; otherwise Qt's own bar.
    setFeatures(verticalGrabber_ && !isFloating() ? features() | QDockWidget::DockWidgetVerticalTitleBar
                                                  : features() & ~QDockWidget::DockWidgetVerticalTitleBar);
    if (!isFloating() && siteKind_ == 1) {
        if (!grabber_) grabber_ = new TDockGrabberCep(this);
        grabber_->SetVertical(verticalGrabber_);
        setTitleBarWidget(grabber_);
        grabber_->show();
        return;
    }
    if (titleBarWidget()) {
        titleBarWidget()->hide();
        setTitleBarWidget(nullptr);
    }
}

// ---- TCustomDockFormCep ----

TCustomDockFormCep::TCustomDockFormCep(TFloatTreeCep& floatTree, QWidget* parent)
    : TCustomDockFormEx(floatTree, parent) {
    ++cepInstances;
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));
    setPalette(pal);
    floatKind_ = 1;
}

TCustomDockFormCep::~TCustomDockFormCep() { --cepInstances; }

int TCustomDockFormCep::Instances() { return cepInstances; }

void TCustomDockFormCep::ApplyTitleBar() {
    if (isFloating() && floatKind_ == 1) {
        setFeatures(features() & ~QDockWidget::DockWidgetVerticalTitleBar);
        if (!caption_) caption_ = new TDockCaptionCep(this);
        setTitleBarWidget(caption_);
        caption_->show();
        // The thin frame is painted here: room of one pixel on every side.
        setContentsMargins(1, 0, 1, 1);
        return;
    }
    setContentsMargins(0, 0, 0, 0);
    if (caption_ && titleBarWidget() == caption_) {
        caption_->hide();
        setTitleBarWidget(nullptr);
    }
    TCustomDockFormEx::ApplyTitleBar();
}

void TCustomDockFormCep::paintEvent(QPaintEvent* event) {
    if (!(isFloating() && floatKind_ == 1)) {
        QDockWidget::paintEvent(event);
        return;
    }
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
    p.setPen(isActiveWindow() ? palette().color(QPalette::Highlight) : palette().color(QPalette::Shadow));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TCustomDockFormCep::changeEvent(QEvent* event) {
    TCustomDockFormEx::changeEvent(event);
    if (event->type() == QEvent::ActivationChange || event->type() == QEvent::WindowTitleChange) {
        update();
        if (caption_) caption_->update();
    }
}

// ---- TDockCaptionCep ----

namespace {

QFont smallCaptionFont(const QWidget* w) {
    QFont f = w->font();
    f.setPointSize(8);
    f.setBold(true);
    return f;
}

}  // namespace

TDockCaptionCep::TDockCaptionCep(QDockWidget* form) : QWidget(form), form_(form) {
    setObjectName("DockCaption");
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
}

QSize TDockCaptionCep::sizeHint() const {
    const int h = std::max(17, QFontMetrics(smallCaptionFont(this)).height() + 4);
    return {h * 3, h};
}

TEdges TDockCaptionCep::CloseBox() const {
    // The caption is the whole bar: window width and client of equal width, no border.
    const TCaptionGeometry g = CaptionGeometry(width(), height() + 1, width(), 0, height(), true);
    return g.Close;
}

void TDockCaptionCep::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const bool active = form_->isActiveWindow();
    const QPalette& pal = palette();
    const QColor from = active ? pal.color(QPalette::Active, QPalette::Highlight) : pal.color(QPalette::Dark);
    const QColor to = active ? pal.color(QPalette::Active, QPalette::Highlight).lighter(160) : pal.color(QPalette::Midlight);
    p.fillRect(rect(), pal.color(QPalette::Button));
    GradientBox(p, {0, 0, width(), height()}, 2, false, kOutlineAveraged, from, to);
    const TEdges close = CloseBox();
    int textRight = width();
    if (close.Width() > 0) {
        const QColor crossColour = OverClose ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::WindowText);
        p.setPen(QPen(crossColour, 2));
        const int d = ClosePressed && OverClose ? 1 : 0;
        p.drawLine(close.Left + 4 + d, close.Top + 4 + d, close.Right - 4 + d, close.Bottom - 4 + d);
        p.drawLine(close.Right - 4 + d, close.Top + 4 + d, close.Left + 4 + d, close.Bottom - 4 + d);
        textRight = close.Left;
    }
    const QString text = form_->windowTitle().left(512);
    if (!text.isEmpty()) {
        p.setFont(smallCaptionFont(this));
        p.setPen(active ? pal.color(QPalette::Active, QPalette::HighlightedText) : pal.color(QPalette::Light));
        const QRect area(3, 0, std::max(0, textRight - 3), height());
        p.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, p.fontMetrics().elidedText(text, Qt::ElideRight, area.width()));
    }
}

void TDockCaptionCep::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const uint8_t over = CloseBox().Contains(at.x(), at.y()) ? 1 : 0;
    if (over != OverClose) {
        OverClose = over;
        update();
    }
    event->ignore();  // the frame moves with the caption
}

void TDockCaptionCep::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && CloseBox().Contains(at.x(), at.y())) {
        ClosePressed = 1;
        OverClose = 1;
        update();
        event->accept();
        return;
    }
    event->ignore();
}

void TDockCaptionCep::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const bool wasPressed = ClosePressed != 0;
    ClosePressed = 0;
    if (wasPressed && event->button() == Qt::LeftButton && CloseBox().Contains(at.x(), at.y())) {
        update();
        // Posted, as the system command "close" was: the frame closes after this handler.
        QMetaObject::invokeMethod(form_, [form = QPointer<QDockWidget>(form_)] { if (form) form->close(); },
                                  Qt::QueuedConnection);
        event->accept();
        return;
    }
    update();
    event->ignore();
}

void TDockCaptionCep::leaveEvent(QEvent*) {
    if (OverClose) {
        OverClose = 0;
        update();
    }
}

void ReleaseDockForms() {
    if (QTimer* t = dockTimer()) {
        t->stop();
        delete t;
    }
}

}  // namespace zo::configurator
