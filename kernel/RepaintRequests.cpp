#include "kernel/RepaintRequests.h"

#include <atomic>

namespace {
std::atomic<uint32_t> g_count{0};
std::atomic<bool> g_requested{false};
}  // namespace

extern "C" void RequestRepaint() {
    g_count.fetch_add(1, std::memory_order_relaxed);
    g_requested.store(true, std::memory_order_release);
}

namespace zo::kernel {

bool TakeRepaintRequest() { return g_requested.exchange(false, std::memory_order_acq_rel); }
bool RepaintRequested() { return g_requested.load(std::memory_order_acquire); }
uint32_t RepaintCount() { return g_count.load(std::memory_order_relaxed); }
void ClearRepaintRequest() { g_requested.store(false, std::memory_order_release); }

void ResetRepaintRequests() {
    g_count.store(0, std::memory_order_relaxed);
    g_requested.store(false, std::memory_order_release);
}

}  // namespace zo::kernel
