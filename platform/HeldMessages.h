#pragma once
// While it lives, the message boxes shown through the UI-services hook are
// held back (kept, not shown) and questions get their safe answer: for work
// that reports what it met in its own way, as a reader of files that may be
// no files of its kind does. The hook before it is in force again after it.

#include "platform/UiServices.h"

#include <string>
#include <vector>

namespace zo::platform {

class HeldMessages : public UiServices {
public:
    struct Message {
        std::string text;
        std::string caption;
        MessageKind kind;
    };

    HeldMessages() : previous_(setUiServices(this)) {}
    ~HeldMessages() override { setUiServices(previous_); }
    HeldMessages(const HeldMessages&) = delete;
    HeldMessages& operator=(const HeldMessages&) = delete;

    void showMessage(const std::string& text, const std::string& caption, MessageKind kind) override {
        messages.push_back({text, caption, kind});
    }
    Answer ask(const std::string&, const std::string&, Buttons buttons) override { return safeAnswer(buttons); }

    std::vector<Message> messages;  // in the order shown

private:
    UiServices* previous_;
};

}  // namespace zo::platform
