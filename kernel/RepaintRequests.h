#pragma once
// Repaint requests: the debugging library asks for a repaint from its own
// thread (RequestRepaint is handed to it); the painter takes the request on
// the interface thread. A counter of all requests and a flag that stays set
// until it is taken or cleared, both atomic.

#include <cstdint>

extern "C" {
// Counts the request and sets the repaint flag. Safe on any thread.
void RequestRepaint();
}

namespace zo::kernel {

// The painter: true once for every run of requests (the flag is cleared).
bool TakeRepaintRequest();
// Whether a request waits, without taking it.
bool RepaintRequested();
// Requests counted since the last reset.
uint32_t RepaintCount();
// A mode change clears the flag; starting debugging also sets the counter to 0.
void ClearRepaintRequest();
void ResetRepaintRequests();

}  // namespace zo::kernel
