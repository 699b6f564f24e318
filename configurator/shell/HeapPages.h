#pragma once
// The program's heap in large pages. Opening a large project allocates tens of
// megabytes within a moment (the parsed project file, the block lists, the
// sheet's picture), and in ordinary 4 KiB pages every page costs a fault when
// it is first written: tens of thousands of faults, most of the time between
// the start and the first painted scheme window. Called first thing in main,
// this lets the main heap grow in steps of 64 MiB, keeps blocks below 32 MiB
// in the heap, and marks the heap's new part for transparent huge pages, so
// the same work faults a few hundred times. Where the allocator is not the C
// library's (a sanitizer's) or the system gives no huge pages, nothing changes.

namespace zo::configurator {

void UseLargeHeapPages();

}  // namespace zo::configurator
