#include "configurator/shell/SchemeWindowServices.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace zo::configurator {

namespace {

// Set on a window that was closed and waits for its deletion.
constexpr char kDisposed[] = "zoSchemeWindowDisposed";

constexpr int kDefaultWidth = 300;
constexpr int kDefaultHeight = 150;

// A stored placement narrower or lower than half the default size (a sheet whose
// window was never shown keeps a rectangle of no size) is no window to work in:
// such a window opens at the default size where the placement stood.
bool Usable(const QRect& rect) { return rect.width() >= kDefaultWidth / 2 && rect.height() >= kDefaultHeight / 2; }

}  // namespace

TSchemeWindowServices::TSchemeWindowServices(QMdiArea& area, SchemeWindowFactory factory)
    : area_(area), factory_(std::move(factory)) {}

QList<ISchemeWindow*> TSchemeWindowServices::SchemeWindows() const {
    QList<ISchemeWindow*> out;
    for (QMdiSubWindow* child : area_.subWindowList(QMdiArea::CreationOrder)) {
        if (child->property(kDisposed).toBool()) continue;
        if (ISchemeWindow* window = schemeWindowOf(child)) out.append(window);
    }
    return out;
}

ISchemeWindow* TSchemeWindowServices::ActiveSchemeWindow() const {
    QMdiSubWindow* child = area_.activeSubWindow();
    if (!child || child->property(kDisposed).toBool()) return nullptr;
    return schemeWindowOf(child);
}

ISchemeWindow* TSchemeWindowServices::First(const QString& name) const {
    for (ISchemeWindow* window : SchemeWindows())
        if (window->GetSchemeName() == name) return window;
    return nullptr;
}

void TSchemeWindowServices::Dispose(ISchemeWindow* window, bool closedByKernel) {
    if (closedByKernel) window->ClosedByKernel();
    else window->DetachKernel();
    QMdiSubWindow* child = window->SubWindow();
    child->setProperty(kDisposed, true);
    child->hide();
    child->deleteLater();
}

int TSchemeWindowServices::ShowSchemeWindow(const QString& caption) {
    ISchemeWindow* window = First(caption);
    if (!window) return -1;
    window->RefreshScheme();
    QMdiSubWindow* child = window->SubWindow();
    child->show();
    child->raise();
    area_.setActiveSubWindow(child);
    return 0;
}

int TSchemeWindowServices::CloseSchemeWindow(const QString& sheetName) {
    const QList<ISchemeWindow*> windows = SchemeWindows();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        if ((*it)->GetSchemeName() == sheetName) {
            Dispose(*it, true);
            return 0;
        }
    }
    return -1;
}

int TSchemeWindowServices::CloseAllSchemeWindows() {
    const QList<ISchemeWindow*> windows = SchemeWindows();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) Dispose(*it, false);
    return 0;
}

int TSchemeWindowServices::StoreSchemeWindowState(const QString& sheetName) {
    ISchemeWindow* window = First(sheetName);
    if (!window) return -1;
    window->SaveView();
    return 0;
}

int TSchemeWindowServices::RenameSchemeWindow(const QString& oldName, const QString& newName) {
    ISchemeWindow* window = First(oldName);
    if (!window) return -1;
    window->SetSchemeName(newName.left(kMaxSchemeName));
    return 0;
}

int TSchemeWindowServices::CreateSchemeWindow(const QString& sheetName, std::optional<QRect> rect,
                                              std::optional<QPoint> scroll, std::optional<float> scale) {
    if (!factory_) return -1;
    ISchemeWindow* window = factory_(area_);
    if (!window) return -1;
    QMdiSubWindow* child = window->SubWindow();
    if (!area_.subWindowList().contains(child)) area_.addSubWindow(child);
    if (!icon_.isNull()) child->setWindowIcon(icon_);
    window->SetSchemeName(sheetName.left(kMaxSchemeName));
    if (rect && Usable(*rect)) child->setGeometry(*rect);
    else if (rect) child->setGeometry(QRect(rect->topLeft(), QSize(kDefaultWidth, kDefaultHeight)));
    else child->resize(kDefaultWidth, kDefaultHeight);
    if (scroll) {
        window->SetScrollPositions(scroll->x(), scroll->y());
        if (scale) window->SetScale(*scale);
    }
    window->RefreshScheme();
    child->show();
    return 0;
}

void TSchemeWindowServices::RefreshAll() {
    for (ISchemeWindow* window : SchemeWindows()) window->RefreshScheme();
}

}  // namespace zo::configurator
