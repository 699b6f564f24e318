#pragma once
// TGraphicHintWindow: a hint that shows a picture instead of its text, the
// preview of the block under the pointer in the element library tree. The
// picture is the one last given to SetHintBitmap; the window does not own it.

#include <QRect>
#include <QString>
#include <QWidget>

class QImage;

namespace zo::configurator {

// The picture the picture hints show (nil allowed). The element library sets
// its preview at creation and nil when it goes.
void SetHintBitmap(const QImage* bitmap);
const QImage* HintBitmap();

class TGraphicHintWindow : public QWidget {
public:
    TGraphicHintWindow();

    // Takes the rectangle (global coordinates) as its place: with a picture,
    // 2 pixels wider and 3 higher than it (the picture sits inside a
    // one-pixel border). Then pulls itself onto the desktop
    // and shows without taking the focus. The text is only the condition for
    // showing; it is not drawn.
    void ActivateHint(QRect rect, const QString& text);
    bool Activating() const { return activating_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool activating_ = false;
};

}  // namespace zo::configurator
