#pragma once
// Where a modal box or dialog of the program goes: in front of every window of
// the program. A modal window is owned by the window in front, so that the
// window manager keeps it above that window (and above whatever that window
// stays above); over a window that stays on top it stays on top as well.

class QDialog;
class QWidget;

namespace zo::configurator {

// The window a new modal window belongs to, nil when the program shows none:
// the modal window already open, else the active window when it stays on top,
// else the newest shown window that stays on top (the floating properties
// window, a block picture), else the active window, else the newest shown
// window. Except is never chosen (the dialog being placed).
QWidget* ModalOwner(const QWidget* except = nullptr);

// Gives a dialog that is about to run modally its owner (its own window flags
// kept), and the stay-on-top hint when the owner stays on top.
void PlaceModal(QDialog& dialog);

// The program's dialog runner: the dialog placed, then run modally.
int RunModalDialog(QDialog& dialog);

}  // namespace zo::configurator
