#pragma once
// The program's UI-services hook: every message box and question of the
// system (Windows-1251 texts) shown with QMessageBox in front of every window
// of the program (ModalOwner).

#include "platform/UiServices.h"

namespace zo::configurator {

class TMessageBoxServices : public platform::UiServices {
public:
    void showMessage(const std::string& text, const std::string& caption, platform::MessageKind kind) override;
    platform::Answer ask(const std::string& text, const std::string& caption, platform::Buttons buttons) override;
};

}  // namespace zo::configurator
