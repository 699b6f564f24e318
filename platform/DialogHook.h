#pragma once
// The one replaceable hook through which every modal dialog of the system runs
// (file choosers, typed value editors, the new-project dialog, the proxy and
// options dialogs): the program installs a runner that calls QDialog::exec(),
// tests install one that fills the dialog's widgets and answers it. Without an
// installed runner a dialog is rejected at once, so nothing ever waits for a
// person in a test or a headless run.

#include <functional>

class QDialog;

namespace zo::platform {

// Runs a dialog modally and gives its result (QDialog::Accepted, Rejected or
// the value it was done with).
using DialogRunner = std::function<int(QDialog& dialog)>;

// Runs the dialog through the runner in force; 0 (rejected) without one.
int runDialog(QDialog& dialog);

// Installs a runner (an empty one restores the default); returns the previous one.
DialogRunner setDialogRunner(DialogRunner runner);

}  // namespace zo::platform
