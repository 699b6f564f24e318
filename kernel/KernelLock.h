#pragma once
// The kernel's one lock: guards what the debugging library writes from its own
// thread and the painter reads.

extern "C" {
void Lock();
void Unlock();
}

namespace zo::kernel {

// Takes the kernel lock for a scope.
class KernelLockGuard {
public:
    KernelLockGuard() { Lock(); }
    ~KernelLockGuard() { Unlock(); }
    KernelLockGuard(const KernelLockGuard&) = delete;
    KernelLockGuard& operator=(const KernelLockGuard&) = delete;
};

}  // namespace zo::kernel
