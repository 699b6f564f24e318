#include "configurator/shell/MessageBoxServices.h"

#include "configurator/shell/ModalOwner.h"
#include "platform/Cp1251.h"

#include <QApplication>
#include <QMessageBox>

namespace zo::configurator {

using platform::Answer;
using platform::Buttons;
using platform::MessageKind;

namespace {

QString captionOr(const std::string& caption) {
    return caption.empty() ? QApplication::applicationDisplayName() : platform::cp1251ToQString(caption);
}

}  // namespace

void TMessageBoxServices::showMessage(const std::string& text, const std::string& caption, MessageKind kind) {
    const QMessageBox::Icon icon = kind == MessageKind::Error     ? QMessageBox::Critical
                                   : kind == MessageKind::Warning ? QMessageBox::Warning
                                                                  : QMessageBox::Information;
    QMessageBox box(icon, captionOr(caption), platform::cp1251ToQString(text), QMessageBox::Ok);
    RunModalDialog(box);
}

Answer TMessageBoxServices::ask(const std::string& text, const std::string& caption, Buttons buttons) {
    QMessageBox::StandardButtons set;
    switch (buttons) {
    case Buttons::YesNo: set = QMessageBox::Yes | QMessageBox::No; break;
    case Buttons::YesNoCancel: set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    case Buttons::AbortIgnore: set = QMessageBox::Abort | QMessageBox::Ignore; break;
    case Buttons::OkCancel: set = QMessageBox::Ok | QMessageBox::Cancel; break;
    }
    QMessageBox box(QMessageBox::Question, captionOr(caption), platform::cp1251ToQString(text), set);
    switch (RunModalDialog(box)) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Abort: return Answer::Abort;
    case QMessageBox::Ignore: return Answer::Ignore;
    case QMessageBox::Cancel: return Answer::Cancel;
    default: return platform::safeAnswer(buttons);
    }
}

}  // namespace zo::configurator
