#include "platform/WindowMessages.h"

#include <QMetaObject>
#include <QObject>

#include <map>
#include <memory>
#include <mutex>

namespace zo::platform {

namespace {

struct Registration {
    QObject* receiver;
    std::shared_ptr<WindowMessageHandler> handler;
};

std::mutex g_mutex;
std::map<uint32_t, Registration> g_windows;
uint32_t g_lastToken = 0;

}  // namespace

uint32_t RegisterMessageWindow(QObject* receiver, WindowMessageHandler handler) {
    if (!receiver) return 0;
    uint32_t token;
    {
        std::lock_guard lock(g_mutex);
        do {
            token = ++g_lastToken;
        } while (token == 0 || g_windows.count(token));
        g_windows[token] = Registration{receiver, std::make_shared<WindowMessageHandler>(std::move(handler))};
    }
    QObject::connect(receiver, &QObject::destroyed, [token] { UnregisterMessageWindow(token); });
    return token;
}

void UnregisterMessageWindow(uint32_t token) {
    std::lock_guard lock(g_mutex);
    g_windows.erase(token);
}

bool PostWindowMessage(uint32_t token, uint32_t message, intptr_t wParam, intptr_t lParam) {
    // The receiver is alive while its registration stands, and the registration
    // is only removed under the lock, so posting under the lock is safe.
    std::lock_guard lock(g_mutex);
    const auto it = g_windows.find(token);
    if (it == g_windows.end()) return false;
    QMetaObject::invokeMethod(
        it->second.receiver,
        [token, message, wParam, lParam] {
            std::shared_ptr<WindowMessageHandler> handler;
            {
                std::lock_guard inner(g_mutex);
                const auto found = g_windows.find(token);
                if (found == g_windows.end()) return;
                handler = found->second.handler;
            }
            if (*handler) (*handler)(message, wParam, lParam);
        },
        Qt::QueuedConnection);
    return true;
}

}  // namespace zo::platform
