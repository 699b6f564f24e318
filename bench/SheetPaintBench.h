#pragma once
// The painting of one sheet as editing meets it: PaintScheme painting the
// whole sheet (another sheet painted just before, so nothing of it is kept)
// and PaintScheme right after one block was moved a cell with the pointer
// (down, move, up through the slots), which paints only what the move touched.

#include "BenchHost.h"

#include <benchmark/benchmark.h>

#include <functional>
#include <string>

namespace zo::bench {

// Paints another sheet than the one measured (not timed): the next paint of
// the measured sheet starts from nothing kept.
void PaintAnotherSheet(KernelHost& host, benchmark::State& state, int measured, int other);

// One block in the middle of a sheet, moved a cell to the right and back by
// turns with the pointer.
class BlockMover {
public:
    BlockMover(KernelHost& host, int sheet);
    bool usable() const { return usable_; }
    void step();

private:
    KernelHost& host_;
    std::string name_;
    int32_t x_ = 0, y_ = 0;
    bool right_ = true;
    bool usable_ = false;
};

using SheetBody = std::function<void(benchmark::State&)>;
using AddSheetBenchmark = std::function<void(const std::string& name, SheetBody body)>;

// Registers "PaintScheme.whole<suffix>" and "PaintScheme.move<suffix>" on
// sheet `measured`, with sheet `other` painted in between for the whole paint.
void AddSheetPaintBenchmarks(KernelHost& host, int measured, int other, const std::string& suffix,
                             const AddSheetBenchmark& add);

}  // namespace zo::bench
