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

#include <array>
#include <functional>

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QWidget;

namespace zo::configurator {

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
    // panels: what the menu lists, in order (absent ones left out); a pointer
    // over the empty MDI area clears the three status panels given.
    TWindowMenu(QMenu* menu, QWidget& window, QMdiArea& area, std::function<QVector<QWidget*>()> panels,
                std::array<QLabel*, 3> clearedPanels);

    void WindowsClick();
    void WnViewPanelExecute(QAction* item);
    // The panels listed, in order (absent ones left out).
    QVector<QWidget*> Panels() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMenu* menu_;
    QWidget& window_;
    QMdiArea& area_;
    std::function<QVector<QWidget*>()> panels_;
    QPointer<QWidget> viewport_;
    QPointer<QLabel> clearedPanels_[3];
};

}  // namespace zo::configurator
