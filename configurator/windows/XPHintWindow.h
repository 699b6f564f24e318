#pragma once
// TXPHintWindow: the program's text hint, a tool-tip window with an etched
// frame round its text. The scheme window shows the kernel's hints in one.

#include <QPoint>
#include <QString>
#include <QWidget>

namespace zo::configurator {

// Whether the window asks the system for a drop shadow. The rule of the
// system's hint window: an NT-family platform of major version 5 or above and
// minor version 1 or above (both tested separately: 5.1, 5.2 and 6.1 pass, 6.0
// and 10.0 do not).
bool IsDropShadowSupported(bool ntFamily, int major, int minor);
// This platform is no NT family: false. The desktop's compositor shadows
// tool-tip windows by itself.
bool IsDropShadowSupported();

class TXPHintWindow : public QWidget {
public:
    TXPHintWindow();

    // Shows the text just below the screen point, kept on the screen, without
    // taking the focus.
    void ActivateHint(const QPoint& screenPos, const QString& text);
    QString text() const { return text_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
};

}  // namespace zo::configurator
