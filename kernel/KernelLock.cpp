#include "kernel/KernelLock.h"

#include "kernel/KernelState.h"

using namespace zo::kernel;

extern "C" void Lock() { State().lock.lock(); }
extern "C" void Unlock() { State().lock.unlock(); }
