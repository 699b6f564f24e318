#pragma once
// TFormShowBMP: a small tool window that stays on top and shows one picture
// (a block's description picture). Several may be open at once; each frees
// itself when closed.

#include <QImage>
#include <QString>
#include <QWidget>

namespace zo::configurator {

class TFormShowBMP : public QWidget {
public:
    explicit TFormShowBMP(QWidget* parent = nullptr);

    // Copies the picture (its size becomes the client size) and takes the
    // caption. Without both nothing changes; without a picture only the caption.
    void SetPicture(const QImage* graphic, const QString& caption);
    const QImage& Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

}  // namespace zo::configurator
