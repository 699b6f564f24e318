#pragma once
// Window messages for libraries that report to a window by a 32-bit handle
// (the connection library's notification 1045). A window registers itself
// and gets a token that stands where the handle stood; a library posts a
// message to that token from any thread and the window's handler runs later
// on the window's own thread, as a queued call. A token whose window was
// unregistered or destroyed swallows its messages.

#include <cstdint>
#include <functional>

class QObject;

namespace zo::platform {

using WindowMessageHandler = std::function<void(uint32_t message, intptr_t wParam, intptr_t lParam)>;

// Registers receiver (a QObject living on the thread that should run handler);
// answers its token, never 0. The registration ends with UnregisterMessageWindow
// or when receiver is destroyed.
uint32_t RegisterMessageWindow(QObject* receiver, WindowMessageHandler handler);
void UnregisterMessageWindow(uint32_t token);

// Queues message for the window of token; false when no window has that token.
// Safe on any thread.
bool PostWindowMessage(uint32_t token, uint32_t message, intptr_t wParam, intptr_t lParam);

}  // namespace zo::platform
