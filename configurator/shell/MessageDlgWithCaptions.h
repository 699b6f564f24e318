#pragma once
// A message dialog whose push buttons carry captions of the caller's, such as
// "да,нет" on the update question. Shown modally through the dialog hook.

#include <cstdint>
#include <string>

namespace zo::configurator {

// The dialog's kind: its icon.
enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// The buttons, in the order the dialog creates them.
enum TMsgDlgBtn : uint32_t { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = uint32_t;  // bit (1 << TMsgDlgBtn) for each button
constexpr TMsgDlgButtons DlgButton(TMsgDlgBtn button) { return TMsgDlgButtons(1) << button; }

// Modal results.
enum TModalResult : int {
    mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
    mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10,
};

// Shows Message (Windows-1251) titled Caption, with the icon of DialogType and
// the buttons of Buttons; ButtonCaptions is split at commas and blanks and its
// parts go, in order, to the buttons in their creation order until they run
// out (the others keep the toolkit's own texts). The window has no title-bar
// buttons. The push buttons are named "Yes", "No", "OK", "Cancel", "Abort",
// "Retry", "Ignore", "All", "NoToAll", "YesToAll", "Help". Answers the
// modal result of the button pressed; mrCancel when the dialog was closed
// without one.
int MessageDlgWithCaptions(const std::string& message, const std::string& caption, TMsgDlgType dialogType,
                           const std::string& buttonCaptions, TMsgDlgButtons buttons);

}  // namespace zo::configurator
