#include "configurator/shell/WindowMenu.h"

#include "configurator/shell/GridCellRect.h"
#include "configurator/windows/ISchemeWindow.h"

#include <QAction>
#include <QDockWidget>
#include <QEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>

namespace zo::configurator {

namespace {

// The children of the area in child (creation) order, split into scheme windows and the others.
void childrenOf(QMdiArea& area, QList<QMdiSubWindow*>& schemes, QList<QMdiSubWindow*>& others) {
    for (QMdiSubWindow* child : area.subWindowList(QMdiArea::CreationOrder)) {
        if (schemeWindowOf(child)) schemes << child;
        else others << child;
    }
}

void bringForward(const QList<QMdiSubWindow*>& windows) {
    for (QMdiSubWindow* child : windows) {
        child->show();
        child->raise();
    }
}

TZoRect workArea(const QMdiArea& area) {
    const QWidget* viewport = area.viewport();
    return TZoRect{0, 0, viewport->width(), viewport->height()};
}

void makeNormal(QMdiSubWindow* child) {
    child->setWindowState(child->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    child->showNormal();
}

constexpr char kPanelProperty[] = "panel";

}  // namespace

void WinHorizontal(QMdiArea& area) {
    QList<QMdiSubWindow*> schemes, others;
    childrenOf(area, schemes, others);
    const int count = static_cast<int>(schemes.size());
    if (count == 0) return;
    const TZoRect room = workArea(area);
    for (int k = 1; k <= count; ++k) {
        const TZoRect cell = GridCellRect(room, count, k);
        QMdiSubWindow* child = schemes[k - 1];
        makeNormal(child);
        child->setGeometry(cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top);
    }
    bringForward(others);
}

void WinCascade(QMdiArea& area) {
    QList<QMdiSubWindow*> schemes, others;
    childrenOf(area, schemes, others);
    const TZoRect room = workArea(area);
    const int width = (room.right - room.left) / 5 * 2;
    const int height = (room.bottom - room.top) / 5 * 2;
    for (int k = 0; k < schemes.size(); ++k) {
        QMdiSubWindow* child = schemes[k];
        makeNormal(child);
        child->setGeometry(22 * k, 22 * k, width, height);
        child->show();
        child->raise();
    }
    bringForward(others);
}

void WinMinimize(QMdiArea& area) {
    QList<QMdiSubWindow*> schemes, others;
    childrenOf(area, schemes, others);
    for (QMdiSubWindow* child : schemes) child->showMinimized();
}

QString PanelCaption(const QWidget& panel) {
    QString text = panel.windowTitle().left(31);
    if (text.isEmpty()) text = panel.objectName();
    if (text.isEmpty()) text = QString::fromLatin1(panel.metaObject()->className());
    return text;
}

TWindowMenu::TWindowMenu(QMenu* menu, QWidget& window, QMdiArea& area, std::function<QVector<QWidget*>()> panels,
                         std::array<QLabel*, 3> clearedPanels)
    : QObject(menu), menu_(menu), window_(window), area_(area), panels_(std::move(panels)) {
    connect(menu_, &QMenu::aboutToShow, this, &TWindowMenu::WindowsClick);
    // A pointer moving over the empty MDI area clears the first three status panels.
    viewport_ = area_.viewport();
    for (int i = 0; i < 3; ++i) clearedPanels_[i] = clearedPanels[std::size_t(i)];
    viewport_->setMouseTracking(true);
    viewport_->installEventFilter(this);
}

QVector<QWidget*> TWindowMenu::Panels() const {
    QVector<QWidget*> list;
    if (panels_)
        for (QWidget* panel : panels_())
            if (panel) list << panel;
    return list;
}

void TWindowMenu::WindowsClick() {
    menu_->clear();
    for (QWidget* panel : Panels()) {
        QAction* item = menu_->addAction(PanelCaption(*panel));
        item->setCheckable(true);
        item->setChecked(panel->isVisibleTo(&window_));
        item->setProperty(kPanelProperty, QVariant::fromValue(static_cast<QObject*>(panel)));
        connect(item, &QAction::triggered, this, [this, item] { WnViewPanelExecute(item); });
    }
    // The open child windows, the active one checked.
    const QList<QMdiSubWindow*> children = area_.subWindowList(QMdiArea::CreationOrder);
    if (!children.isEmpty()) menu_->addSeparator();
    for (QMdiSubWindow* child : children) {
        QAction* item = menu_->addAction(child->windowTitle());
        item->setCheckable(true);
        item->setChecked(child == area_.activeSubWindow());
        QPointer<QMdiSubWindow> target(child);
        QMdiArea* area = &area_;
        connect(item, &QAction::triggered, this, [area, target] {
            if (target) area->setActiveSubWindow(target);
        });
    }
}

void TWindowMenu::WnViewPanelExecute(QAction* item) {
    if (!item) return;
    auto* panel = qobject_cast<QWidget*>(item->property(kPanelProperty).value<QObject*>());
    if (!panel) return;
    // triggered has already toggled the check mark of a checkable item.
    // A docked panel is shown and hidden with the frame it lies in: hidden
    // alone it would leave an empty frame, shown alone in a closed frame it
    // would stay out of sight.
    if (auto* frame = qobject_cast<QDockWidget*>(panel->parentWidget())) {
        if (item->isChecked()) panel->show();
        frame->setVisible(item->isChecked());
        return;
    }
    panel->setVisible(item->isChecked());
}

bool TWindowMenu::eventFilter(QObject* watched, QEvent* event) {
    // Only pointers stored at construction are used here: the filter also sees
    // the events of a main window that is being destroyed.
    if (watched == viewport_ && event->type() == QEvent::MouseMove) {
        for (const QPointer<QLabel>& panel : clearedPanels_)
            if (panel) panel->clear();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace zo::configurator
