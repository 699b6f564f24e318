#pragma once
// A stand-in scheme window for tests of the main window's scheme-window
// services: an MDI child implementing ISchemeWindow that records what the
// services asked of it. A key press runs onKey (e.g. the kernel deleting the
// window's own sheet through the host slot) and then uses the window again,
// as a real handler does after its kernel call.

#include "configurator/windows/ISchemeWindow.h"

#include <QMdiSubWindow>
#include <QString>
#include <QStringList>

#include <functional>

namespace zo::test {

class FakeSchemeWindow : public QMdiSubWindow, public configurator::ISchemeWindow {
public:
    explicit FakeSchemeWindow(QWidget* parent = nullptr);
    ~FakeSchemeWindow() override;

    QMdiSubWindow* SubWindow() override { return this; }
    QString GetSchemeName() const override { return name_; }
    void SetSchemeName(const QString& name) override;
    void DetachKernel() override;
    void ClosedByKernel() override;
    int RefreshScheme() override;
    void SaveView() override;
    void SetScrollPositions(int horizontal, int vertical) override;
    void SetScale(float scale) override;

    // What the services asked, in order ("refresh", "save", "detach", "closed", "scroll 1 2", "scale 1.5", "name X").
    QStringList log;
    bool attached = true;
    int refreshes = 0;
    float scale = 1.0f;
    int horizontal = 0;
    int vertical = 0;
    std::function<void(FakeSchemeWindow&)> onKey;
    // Counts live windows, so a test sees deletions.
    static int live;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString name_;
};

// A factory for TMainForm / TSchemeWindowServices making FakeSchemeWindows.
configurator::SchemeWindowFactory fakeSchemeWindowFactory();

}  // namespace zo::test
