#include "support/FakeSchemeWindow.h"

#include <QMdiArea>

namespace zo::test {

int FakeSchemeWindow::live = 0;

FakeSchemeWindow::FakeSchemeWindow(QWidget* parent) : QMdiSubWindow(parent) {
    ++live;
    setFocusPolicy(Qt::StrongFocus);
}

FakeSchemeWindow::~FakeSchemeWindow() { --live; }

void FakeSchemeWindow::SetSchemeName(const QString& name) {
    name_ = name;
    setWindowTitle(name);
    log << "name " + name;
}

void FakeSchemeWindow::DetachKernel() {
    attached = false;
    log << "detach";
}

void FakeSchemeWindow::ClosedByKernel() {
    attached = false;
    log << "closed";
}

int FakeSchemeWindow::RefreshScheme() {
    ++refreshes;
    log << "refresh";
    return attached ? 0 : -1;
}

void FakeSchemeWindow::SaveView() { log << "save"; }

void FakeSchemeWindow::SetScrollPositions(int h, int v) {
    horizontal = h;
    vertical = v;
    log << QString("scroll %1 %2").arg(h).arg(v);
}

void FakeSchemeWindow::SetScale(float value) {
    scale = value;
    log << QString("scale %1").arg(double(value));
}

void FakeSchemeWindow::keyPressEvent(QKeyEvent* event) {
    if (onKey) onKey(*this);
    // The handler goes on with the window after the kernel call returned.
    log << "key handled";
    setWindowTitle(name_);
    QMdiSubWindow::keyPressEvent(event);
}

configurator::SchemeWindowFactory fakeSchemeWindowFactory() {
    return [](QMdiArea& area) -> configurator::ISchemeWindow* {
        auto* window = new FakeSchemeWindow;
        area.addSubWindow(window);
        return window;
    };
}

}  // namespace zo::test
