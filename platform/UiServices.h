#pragma once
// The one replaceable hook through which every message box and question of the
// system goes: the program installs one over QMessageBox, tests install a
// recorder, and without either the text goes to stderr with the safe answer.
// Texts are Windows-1251.

#include <string>

namespace zo::platform {

enum class MessageKind { Information, Warning, Error };

enum class Buttons { YesNo, YesNoCancel, AbortIgnore, OkCancel };

enum class Answer { Ok, Cancel, Yes, No, Abort, Ignore };

class UiServices {
public:
    virtual ~UiServices() = default;
    virtual void showMessage(const std::string& text, const std::string& caption, MessageKind kind) = 0;
    virtual Answer ask(const std::string& text, const std::string& caption, Buttons buttons) = 0;
};

// The safe answer of a question nobody can answer: No, Cancel or Abort.
Answer safeAnswer(Buttons buttons);

// The hook in force; never null (the stderr default when none is installed).
UiServices& uiServices();

// Installs a hook (nullptr restores the default); returns the previous one
// (nullptr when the default was in force). The caller keeps ownership.
UiServices* setUiServices(UiServices* services);

// Shortcuts.
void showMessage(const std::string& text, const std::string& caption = {}, MessageKind kind = MessageKind::Information);
Answer ask(const std::string& text, const std::string& caption, Buttons buttons);

}  // namespace zo::platform
