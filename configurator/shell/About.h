#pragma once
// TAboutForm: the about box. A borderless window the size of its picture, the
// texts drawn onto the picture, the link to the project's site and the button
// "Закрыть"; it is dragged by a press of any button and closed by a left press
// in its top-right 40 x 40 corner.

#include <QDialog>
#include <QImage>

class QLabel;
class QPushButton;

namespace zo::configurator {

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);

    const QImage& Picture() const { return picture_; }
    QLabel* LinkLabel;
    QPushButton* ButtonClose;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DrawPicture();

    QImage picture_;
    QPoint lastPos_;
    bool dragging_ = false;
    Qt::MouseButton dragButton_ = Qt::NoButton;
    QPoint dragFrom_;
};

// The box, modal, through the dialog hook; freed when it closes.
void ShowAboutBox(QWidget* parent);

}  // namespace zo::configurator
