#include "configurator/shell/HeapPages.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace zo::configurator {

namespace {

constexpr size_t kHugePage = size_t(2) << 20;
constexpr size_t kHeapStep = size_t(64) << 20;
constexpr size_t kOwnMappingFrom = size_t(32) << 20;

uintptr_t address(void* p) { return reinterpret_cast<uintptr_t>(p); }

}  // namespace

void UseLargeHeapPages() {
    if (mallopt(M_MMAP_THRESHOLD, int(kOwnMappingFrom)) == 0) return;
    mallopt(M_TOP_PAD, int(kHeapStep));
    mallopt(M_TRIM_THRESHOLD, int(2 * kHeapStep));
    // A block the heap's free top cannot hold makes the heap grow by it and
    // the step; freed again, the grown part stays for what comes.
    void* const before = sbrk(0);
    // (Held in a volatile, so that the compiler cannot drop the unused block.)
    void* volatile block = std::malloc(kOwnMappingFrom / 2);
    void* const after = sbrk(0);
    std::free(block);
    if (before == reinterpret_cast<void*>(-1) || after == reinterpret_cast<void*>(-1) ||
        address(after) <= address(before))
        return;
    const uintptr_t start = (address(before) + kHugePage - 1) & ~uintptr_t(kHugePage - 1);
    const uintptr_t end = address(after) & ~uintptr_t(kHugePage - 1);
    // Only a hint: without huge pages the heap works in ordinary ones.
    if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

}  // namespace zo::configurator
