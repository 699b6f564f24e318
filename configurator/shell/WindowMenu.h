#pragma once
// The window menu "Окно", rebuilt each time it opens: one checkable item per
// panel (project tree, element library, property inspector, log panel, tool
// bar, status bar) that shows or hides it, then the open child windows. And
// the commands that arrange the scheme windows within the room they really
// have: the MDI area's viewport beside the docked panels.

#include <QObject>
#include <QLabel>
#include <QPointer>
#include <QVector>

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QWidget;

namespace zo::configurator {

class TMainForm;

// "Расположить схемы": the k-th scheme window (child order, from 1) of N on
// GridCellRect(area, N, k), normal state; then every other child brought forward.
void WinHorizontal(QMdiArea& area);
// "Каскадом схемы": window k (from 0) at 22k, 22k, two fifths of the area each way.
void WinCascade(QMdiArea& area);
// "Свернуть схемы": every scheme window minimized.
void WinMinimize(QMdiArea& area);

// The caption of a panel's item: its text cut to 31 characters, else its
// object name, else its class name.
QString PanelCaption(const QWidget& panel);

class TWindowMenu : public QObject {
    Q_OBJECT
public:
    TWindowMenu(QMenu* menu, TMainForm& form);

    void WindowsClick();
    void WnViewPanelExecute(QAction* item);
    // The panels listed, in order (absent ones left out).
    QVector<QWidget*> panels() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMenu* menu_;
    TMainForm& form_;
    QPointer<QWidget> viewport_;
    QPointer<QLabel> clearedPanels_[3];
};

}  // namespace zo::configurator
