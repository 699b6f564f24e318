#include "configurator/windows/FormShowBMP.h"

#include <QFont>
#include <QPainter>

namespace zo::configurator {

TFormShowBMP::TFormShowBMP(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), picture_(1, 1, QImage::Format_RGB32) {
    setObjectName("FormShowBMP");
    setAttribute(Qt::WA_DeleteOnClose);
    QFont f("Tahoma");
    f.setPointSize(8);
    setFont(f);
    picture_.fill(Qt::white);
}

void TFormShowBMP::SetPicture(const QImage* graphic, const QString& caption) {
    if (!graphic && caption.isNull()) return;
    if (graphic && !graphic->isNull()) {
        picture_ = QImage(graphic->size(), QImage::Format_RGB32);
        picture_.fill(Qt::white);
        QPainter p(&picture_);
        p.drawImage(0, 0, *graphic);
        p.end();
        setFixedSize(graphic->size());
    }
    if (!caption.isNull()) setWindowTitle(caption);
    update();
}

void TFormShowBMP::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, picture_);
}

}  // namespace zo::configurator
