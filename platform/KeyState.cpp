#include "platform/KeyState.h"

#include <atomic>

namespace zo::platform {

namespace {
std::atomic<CtrlStateHook> g_hook{nullptr};
}

bool isCtrlDown() {
    CtrlStateHook hook = g_hook.load();
    return hook ? hook() : false;
}

CtrlStateHook setCtrlStateHook(CtrlStateHook hook) { return g_hook.exchange(hook); }

}  // namespace zo::platform
