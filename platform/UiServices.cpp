#include "platform/UiServices.h"

#include "platform/Cp1251.h"

#include <atomic>
#include <cstdio>

namespace zo::platform {

namespace {

class StderrServices final : public UiServices {
public:
    void showMessage(const std::string& text, const std::string& caption, MessageKind) override {
        std::fprintf(stderr, "%s%s%s\n", cp1251ToUtf8(caption).c_str(), caption.empty() ? "" : ": ",
                     cp1251ToUtf8(text).c_str());
    }
    Answer ask(const std::string& text, const std::string& caption, Buttons buttons) override {
        showMessage(text, caption, MessageKind::Warning);
        return safeAnswer(buttons);
    }
};

StderrServices g_default;
std::atomic<UiServices*> g_installed{nullptr};

}  // namespace

Answer safeAnswer(Buttons buttons) {
    switch (buttons) {
        case Buttons::YesNo: return Answer::No;
        case Buttons::YesNoCancel: return Answer::Cancel;
        case Buttons::AbortIgnore: return Answer::Abort;
        case Buttons::OkCancel: return Answer::Cancel;
    }
    return Answer::Cancel;
}

UiServices& uiServices() {
    UiServices* installed = g_installed.load();
    return installed ? *installed : static_cast<UiServices&>(g_default);
}

UiServices* setUiServices(UiServices* services) { return g_installed.exchange(services); }

void showMessage(const std::string& text, const std::string& caption, MessageKind kind) {
    uiServices().showMessage(text, caption, kind);
}

Answer ask(const std::string& text, const std::string& caption, Buttons buttons) {
    return uiServices().ask(text, caption, buttons);
}

}  // namespace zo::platform
