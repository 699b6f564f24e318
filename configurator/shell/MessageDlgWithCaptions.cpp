#include "configurator/shell/MessageDlgWithCaptions.h"

#include "platform/Cp1251.h"
#include "platform/DialogHook.h"

#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

#include <vector>

namespace zo::configurator {

namespace {

struct ButtonKind {
    TMsgDlgBtn button;
    const char* name;
    QMessageBox::StandardButton standard;
    int result;
};

constexpr ButtonKind kButtons[] = {
    {mbYes, "Yes", QMessageBox::Yes, mrYes},
    {mbNo, "No", QMessageBox::No, mrNo},
    {mbOK, "OK", QMessageBox::Ok, mrOk},
    {mbCancel, "Cancel", QMessageBox::Cancel, mrCancel},
    {mbAbort, "Abort", QMessageBox::Abort, mrAbort},
    {mbRetry, "Retry", QMessageBox::Retry, mrRetry},
    {mbIgnore, "Ignore", QMessageBox::Ignore, mrIgnore},
    {mbAll, "All", QMessageBox::NoButton, mrAll},
    {mbNoToAll, "NoToAll", QMessageBox::NoToAll, mrNoToAll},
    {mbYesToAll, "YesToAll", QMessageBox::YesToAll, mrYesToAll},
    {mbHelp, "Help", QMessageBox::Help, mrNone},
};

QMessageBox::Icon iconOf(TMsgDlgType type) {
    switch (type) {
        case TMsgDlgType::mtWarning: return QMessageBox::Warning;
        case TMsgDlgType::mtError: return QMessageBox::Critical;
        case TMsgDlgType::mtInformation: return QMessageBox::Information;
        case TMsgDlgType::mtConfirmation: return QMessageBox::Question;
        case TMsgDlgType::mtCustom: return QMessageBox::NoIcon;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

int MessageDlgWithCaptions(const std::string& message, const std::string& caption, TMsgDlgType dialogType,
                           const std::string& buttonCaptions, TMsgDlgButtons buttons) {
    QMessageBox box;
    box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    box.setWindowTitle(platform::cp1251ToQString(caption));
    box.setText(platform::cp1251ToQString(message));
    box.setIcon(iconOf(dialogType));

    QString captionText = platform::cp1251ToQString(buttonCaptions);
    captionText.replace(QLatin1Char(','), QLatin1Char(' '));
    const QStringList captions = captionText.split(QLatin1Char(' '), Qt::SkipEmptyParts);

    std::vector<std::pair<QAbstractButton*, int>> made;
    int next = 0;
    for (const ButtonKind& kind : kButtons) {
        if (!(buttons & DlgButton(kind.button))) continue;
        // "All" has no standard button of its own; it is added with its role.
        QPushButton* button = kind.button == mbAll ? box.addButton(QMessageBox::tr("All"), QMessageBox::YesRole)
                                                   : box.addButton(kind.standard);
        if (!button) continue;
        button->setObjectName(QString::fromLatin1(kind.name));
        if (next < captions.size()) button->setText(captions[next++]);
        made.emplace_back(button, kind.result);
    }
    if (made.empty()) {
        QPushButton* ok = box.addButton(QMessageBox::Ok);
        ok->setObjectName(QStringLiteral("OK"));
        if (!captions.isEmpty()) ok->setText(captions.front());
        made.emplace_back(ok, mrOk);
    }
    // The default button is OK, else Yes; Escape answers Cancel, else No, else OK.
    auto find = [&box](const char* name) { return box.findChild<QPushButton*>(QString::fromLatin1(name)); };
    for (const char* name : {"OK", "Yes"})
        if (QPushButton* b = find(name)) {
            box.setDefaultButton(b);
            break;
        }
    for (const char* name : {"Cancel", "No", "OK"})
        if (QPushButton* b = find(name)) {
            box.setEscapeButton(b);
            break;
        }

    platform::runDialog(box);
    const QAbstractButton* clicked = box.clickedButton();
    for (const auto& [button, result] : made)
        if (button == clicked) return result;
    return mrCancel;
}

}  // namespace zo::configurator
