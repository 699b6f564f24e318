#pragma once
// TFormDialogUserPass: the proxy settings dialog that edits the connection
// block (TProxySettings): use a proxy, server, port, user and password.

#include "configurator/shell/Options.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace zo::configurator {

class TFormDialogUserPass : public QDialog {
    Q_OBJECT
public:
    // The dialog shows the block; only "Ок" with every field valid changes it.
    explicit TFormDialogUserPass(TProxySettings& block, QWidget* parent = nullptr);

    QCheckBox* CheckBoxProxy;
    QLineEdit* EditServer;
    QLineEdit* EditPort;
    QLineEdit* EditUser;
    QLineEdit* EditPassword;
    QPushButton* ButtonOk;
    QPushButton* ButtonCancel;

private:
    void ProxyClick();
    void OkClick();

    TProxySettings& block_;
};

// -1 for a nil block; else the modal dialog (through the dialog hook) with the
// caption given (Windows-1251; empty keeps "Параметры авторизации"): 0 when
// the user confirmed, -1 otherwise.
int32_t ShowUserPassDialog(TProxySettings* block, int32_t unused, const char* caption);

}  // namespace zo::configurator
