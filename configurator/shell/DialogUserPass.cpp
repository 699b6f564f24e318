#include "configurator/shell/DialogUserPass.h"

#include "platform/Cp1251.h"
#include "platform/DialogHook.h"
#include "platform/UiServices.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstring>

namespace zo::configurator {
namespace {

constexpr int kTextLength = 50;

QString fieldText(const char* field, size_t size) {
    return platform::cp1251ToQString(std::string_view(field, strnlen(field, size)));
}

void storeText(char* field, const QString& text) {
    const std::string bytes = platform::qstringToCp1251(text).substr(0, kTextLength);
    std::memset(field, 0, kTextLength + 1);
    std::memcpy(field, bytes.data(), bytes.size());
}

// The port as the user wrote it: a decimal integer (blanks around it allowed).
bool parsePort(const QString& text, int32_t& port) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (ok) port = value;
    return ok;
}

}  // namespace

TFormDialogUserPass::TFormDialogUserPass(TProxySettings& block, QWidget* parent) : QDialog(parent), block_(block) {
    setObjectName("FormDialogUserPass");
    setWindowTitle(QString::fromUtf8("Параметры авторизации"));
    CheckBoxProxy = new QCheckBox(QString::fromUtf8("Использовать прокси сервер"), this);
    CheckBoxProxy->setObjectName("CheckBoxProxy");
    EditServer = new QLineEdit(this);
    EditServer->setObjectName("EditServer");
    EditPort = new QLineEdit(this);
    EditPort->setObjectName("EditPort");
    EditUser = new QLineEdit(this);
    EditUser->setObjectName("EditUser");
    EditPassword = new QLineEdit(this);
    EditPassword->setObjectName("EditPassword");
    EditPassword->setEchoMode(QLineEdit::Password);
    for (QLineEdit* edit : {EditServer, EditUser, EditPassword}) edit->setMaxLength(kTextLength);
    ButtonOk = new QPushButton(QString::fromUtf8("Ок"), this);
    ButtonOk->setObjectName("ButtonOk");
    ButtonOk->setDefault(true);
    ButtonCancel = new QPushButton(QString::fromUtf8("Отмена"), this);
    ButtonCancel->setObjectName("ButtonCancel");

    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8("Прокси сервер"), EditServer);
    form->addRow(QString::fromUtf8("Порт"), EditPort);
    form->addRow(QString::fromUtf8("Пользователь"), EditUser);
    form->addRow(QString::fromUtf8("Пароль"), EditPassword);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonOk);
    buttons->addWidget(ButtonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CheckBoxProxy);
    layout->addLayout(form);
    layout->addLayout(buttons);
    setMinimumWidth(340);

    EditServer->setText(fieldText(block.ProxyServer, sizeof block.ProxyServer));
    EditPort->setText(QString::number(ZO_FIELD(block, ProxyPort)));
    EditUser->setText(fieldText(block.ProxyUser, sizeof block.ProxyUser));
    EditPassword->setText(fieldText(block.ProxyPassword, sizeof block.ProxyPassword));
    CheckBoxProxy->setChecked(block.UseProxy != 0);
    ProxyClick();

    connect(CheckBoxProxy, &QCheckBox::toggled, this, [this] { ProxyClick(); });
    connect(ButtonOk, &QPushButton::clicked, this, [this] { OkClick(); });
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormDialogUserPass::ProxyClick() {
    const bool on = CheckBoxProxy->isChecked();
    for (QLineEdit* edit : {EditServer, EditPort, EditUser, EditPassword}) edit->setEnabled(on);
}

void TFormDialogUserPass::OkClick() {
    // Every field is checked before any is stored: a bad port leaves the block as it was.
    int32_t port = 0;
    if (!parsePort(EditPort->text(), port)) {
        platform::showMessage(platform::qstringToCp1251(QString::fromUtf8("'%1' не является целым числом")
                                                            .arg(EditPort->text())),
                              {}, platform::MessageKind::Error);
        EditPort->setFocus();
        return;
    }
    block_.UseProxy = CheckBoxProxy->isChecked() ? 1 : 0;
    storeText(block_.ProxyServer, EditServer->text());
    block_.ProxyPort = port;
    storeText(block_.ProxyUser, EditUser->text());
    storeText(block_.ProxyPassword, EditPassword->text());
    accept();
}

int32_t ShowUserPassDialog(TProxySettings* block, int32_t, const char* caption) {
    if (!block) return -1;
    TFormDialogUserPass dialog(*block);
    if (caption && *caption) dialog.setWindowTitle(platform::cp1251ToQString(caption));
    return platform::runDialog(dialog) == QDialog::Accepted ? 0 : -1;
}

}  // namespace zo::configurator
