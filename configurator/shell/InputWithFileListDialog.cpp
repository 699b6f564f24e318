#include "configurator/shell/InputWithFileListDialog.h"

#include "common/FileUtils.h"
#include "configurator/shell/DialogUnits.h"
#include "platform/Cp1251.h"
#include "platform/DialogHook.h"
#include "platform/Paths.h"

#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <vector>

namespace zo::configurator {

namespace {

// A word-wrapped label as narrow as its text, at most maxWidth wide.
QLabel* makeLabel(QDialog& dialog, const char* name, const std::string& text, int left, int top, int maxWidth) {
    auto* label = new QLabel(platform::cp1251ToQString(text), &dialog);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    const QFontMetrics metrics(label->font());
    const QRect bounds = metrics.boundingRect(QRect(0, 0, maxWidth, 10000), Qt::TextWordWrap, label->text());
    label->setGeometry(left, top, std::min(maxWidth, bounds.width()), bounds.height());
    return label;
}

}  // namespace

int InputWithFileListDialog(const std::string& caption, const std::string& label1, const std::string& label2,
                            std::string& fileText, std::string& editText, const std::string& folder,
                            const std::string& mask) {
    std::vector<std::string> files;
    FindFiles(folder, mask, files, false);

    QDialog dialog;
    dialog.setWindowTitle(platform::cp1251ToQString(caption));
    const QSize unit = AverageCharSize(dialog.font());
    const int cx = unit.width();
    const int cy = unit.height();

    QLabel* first = makeLabel(dialog, "Label1", label1, 6, 4, MulDiv(164, cx, 4));
    QLabel* second = makeLabel(dialog, "Label2", label2, 6, first->geometry().bottom() + 1 + 10, MulDiv(164, cx, 4));
    const int x = std::max(first->geometry().right(), second->geometry().right()) + 1 + 5;

    auto* edit = new QLineEdit(&dialog);
    edit->setObjectName(QStringLiteral("Edit"));
    edit->setMaxLength(255);
    edit->setText(platform::cp1251ToQString(editText));
    edit->selectAll();
    edit->setGeometry(x, first->y(), 140, edit->sizeHint().height());

    // The drop-down sits beside the second label, but never under the edit
    // when this font makes the edit taller than the first label.
    auto* list = new QComboBox(&dialog);
    list->setObjectName(QStringLiteral("FileList"));
    list->setEditable(false);
    for (const std::string& file : files) list->addItem(platform::cp1251ToQString(platform::fileNameOf(file)));
    list->setCurrentIndex(list->findText(platform::cp1251ToQString(fileText), Qt::MatchFixedString));
    const int listTop = std::max(second->y(), edit->geometry().bottom() + 1 + 4);
    if (listTop != second->y()) second->move(second->x(), listTop);
    list->setGeometry(x, listTop, 140, list->sizeHint().height());

    const int buttonWidth = MulDiv(50, cx, 4);
    const int buttonHeight = MulDiv(14, cy, 8);
    const int buttonTop = list->geometry().bottom() + 1 + 5;
    auto* ok = new QPushButton(QDialog::tr("OK"), &dialog);
    ok->setObjectName(QStringLiteral("OK"));
    ok->setDefault(true);
    ok->setGeometry(MulDiv(38, cx, 4), buttonTop, buttonWidth, buttonHeight);
    auto* cancel = new QPushButton(QDialog::tr("Cancel"), &dialog);
    cancel->setObjectName(QStringLiteral("Cancel"));
    cancel->setGeometry(MulDiv(92, cx, 4), buttonTop, buttonWidth, buttonHeight);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);

    // The window reaches 10 pixels past the drop-down, and past Cancel when a
    // large font pushes Cancel further out.
    const int width = std::max(list->geometry().right() + 1 + 10, cancel->geometry().right() + 1 + 10);
    dialog.setFixedSize(width, cancel->geometry().bottom() + 1 + 5);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        dialog.move(area.center() - QPoint(width / 2, dialog.height() / 2));
    }
    edit->setFocus();

    if (platform::runDialog(dialog) != QDialog::Accepted) return 0;
    editText = platform::qstringToCp1251(edit->text());
    fileText = list->currentIndex() >= 0 ? platform::qstringToCp1251(list->currentText()) : std::string();
    return 1;
}

}  // namespace zo::configurator
