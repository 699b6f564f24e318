#include "configurator/shell/About.h"

#include "configurator/shell/ProgramIcon.h"
#include "configurator/shell/Version.h"
#include "platform/DialogHook.h"
#include "platform/Web.h"

#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

namespace zo::configurator {
namespace {

constexpr int kPictureWidth = 480;
constexpr int kPictureHeight = 260;

// The picture of the box, drawn here rather than stored: a light field with a
// band on the left holding the product's mark.
QImage basePicture() {
    QImage image(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
    image.fill(QColor(0xC0, 0xC0, 0xC0));
    QPainter p(&image);
    QLinearGradient field(0, 0, 0, kPictureHeight);
    field.setColorAt(0, QColor(0xF4, 0xF6, 0xFA));
    field.setColorAt(1, QColor(0xD8, 0xDE, 0xE8));
    p.fillRect(image.rect(), field);
    QLinearGradient band(0, 0, 120, 0);
    band.setColorAt(0, QColor(0x1C, 0x3F, 0x7A));
    band.setColorAt(1, QColor(0x3A, 0x6E, 0xB8));
    p.fillRect(QRect(0, 0, 120, kPictureHeight), band);
    DrawProgramMark(p, QRect(0, 0, 120, 140));
    p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(image.rect().adjusted(0, 0, -1, -1));
    return image;
}

}  // namespace

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName("AboutForm");
    setWindowTitle(QString::fromUtf8("О программе"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(pal);
    QFont font("Tahoma");
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
    DrawPicture();
    setFixedSize(picture_.size());
    setMouseTracking(true);

    LinkLabel = new QLabel(this);
    LinkLabel->setObjectName("LinkLabel");
    LinkLabel->setText(QString::fromLatin1(platform::kSiteHost));
    LinkLabel->setCursor(Qt::PointingHandCursor);
    QFont linkFont = font;
    linkFont.setPointSize(8);
    linkFont.setUnderline(true);
    LinkLabel->setFont(linkFont);
    QPalette linkPal = LinkLabel->palette();
    linkPal.setColor(QPalette::WindowText, Qt::blue);
    LinkLabel->setPalette(linkPal);
    LinkLabel->adjustSize();
    LinkLabel->move(width() - LinkLabel->width() - 70, height() - 45);
    LinkLabel->setMouseTracking(true);
    LinkLabel->installEventFilter(this);

    ButtonClose = new QPushButton(QString::fromUtf8("Закрыть"), this);
    ButtonClose->setObjectName("ButtonClose");
    ButtonClose->adjustSize();
    ButtonClose->move(width() - ButtonClose->width() - 10, height() - ButtonClose->height() - 6);
    connect(ButtonClose, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutForm::DrawPicture() {
    picture_ = basePicture();
    QPainter p(&picture_);
    QFont text = font();
    text.setPointSize(8);
    p.setFont(text);
    p.setPen(Qt::black);
    const int ascent = QFontMetrics(text).ascent();
    // The lines are placed by their tops, as the box was laid out.
    auto line = [&](int y, const QString& s) { p.drawText(130, y + ascent, s); };
    line(50, QString::fromUtf8("   Configurator являеся составной частью программного"));
    line(60, QString::fromUtf8("комплекса  Orvanta,  представляющий  собой  SCADA"));
    line(70, QString::fromUtf8("систему (Supervisory Control And Data Acquisition System"));
    line(80, QString::fromUtf8("система сбора данных и оперативного диспетчерского"));
    line(90, QString::fromUtf8("управления)."));
    text.setBold(true);
    p.setFont(text);
    std::string version;
    GetVersionString(version);
    const int boldAscent = QFontMetrics(text).ascent();
    p.drawText(130, 200 + boldAscent,
               QString::fromUtf8("Orvanta Configurator  сборка: ") + QString::fromStdString(version));
    p.drawText(130, 215 + boldAscent, QString::fromUtf8("Сайт проекта: "));
}

void TAboutForm::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, picture_);
}

void TAboutForm::mouseMoveEvent(QMouseEvent* event) {
    lastPos_ = event->position().toPoint();
    if (dragging_) move(event->globalPosition().toPoint() - dragFrom_);
}

void TAboutForm::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    lastPos_ = at;
    if (event->button() == Qt::LeftButton && at.y() < 40 && width() - at.x() < 40) {
        reject();
        return;
    }
    // Any button drags, and its release ends the drag.
    dragging_ = true;
    dragButton_ = event->button();
    dragFrom_ = at;
}

void TAboutForm::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == dragButton_) dragging_ = false;
}

bool TAboutForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == LinkLabel) {
        QFont f = LinkLabel->font();
        switch (event->type()) {
        case QEvent::Enter:
            f.setUnderline(false);
            LinkLabel->setFont(f);
            break;
        case QEvent::Leave:
            f.setUnderline(true);
            LinkLabel->setFont(f);
            break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                platform::OpenUrlInBrowser(platform::SiteAddress());
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ShowAboutBox(QWidget* parent) {
    TAboutForm box(parent);
    platform::runDialog(box);
}

}  // namespace zo::configurator
