#include "SheetPaintBench.h"

#include <cstring>
#include <string>

namespace zo::bench {

namespace {

std::string nameOf(TSheetRecord* sheet) { return sheet ? std::string(sheet->Name, strnlen(sheet->Name, 60)) : ""; }

bool paint(KernelHost& host, benchmark::State& state, const std::string& name) {
    void* bitmap = nullptr;
    if (const int32_t rc = host.kernel().PaintScheme(name.c_str(), &bitmap); rc != 0) {
        state.SkipWithError(("PaintScheme answered " + std::to_string(rc)).c_str());
        return false;
    }
    benchmark::DoNotOptimize(bitmap);
    return true;
}

}  // namespace

void PaintAnotherSheet(KernelHost& host, benchmark::State& state, int measured, int other) {
    state.PauseTiming();
    if (other != measured) paint(host, state, nameOf(host.sheet(other)));
    state.ResumeTiming();
}

BlockMover::BlockMover(KernelHost& host, int sheetIndex) : host_(host) {
    TSheetRecord* sheet = host.sheet(sheetIndex);
    name_ = nameOf(sheet);
    const int count = sheet ? host.blockCount(sheet) : 0;
    if (count == 0) return;
    const TBlockRecord* b = host.block(sheet, count / 2);
    // Inside the block, off its pins and below the row its label may take.
    x_ = (b->Left + 2) * 12 + 6;
    y_ = (b->Top + 1) * 12 + 6;
    usable_ = true;
}

void BlockMover::step() {
    TKernelOptions& k = host_.kernel();
    char status[261], hint[261];
    uint8_t changed = 0;
    int16_t cursor = 0;
    const int32_t to = x_ + (right_ ? 12 : -12);
    k.SheetMouseDown(name_.c_str(), x_, y_, 0, status, &changed);
    k.SheetMouseMove(name_.c_str(), to, y_, status, hint, &cursor, &changed);
    k.SheetMouseUp(name_.c_str(), to, y_, 0, status, &changed);
    x_ = to;
    right_ = !right_;
}

void AddSheetPaintBenchmarks(KernelHost& host, int measured, int other, const std::string& suffix,
                             const AddSheetBenchmark& add) {
    add("PaintScheme.whole" + suffix, [&host, measured, other](benchmark::State& state) {
        const std::string name = nameOf(host.sheet(measured));
        if (!host.sheet(measured) || !host.sheet(other)) state.SkipWithError("the project holds no two sheets");
        for (auto _ : state) {
            PaintAnotherSheet(host, state, measured, other);
            if (!paint(host, state, name)) break;
        }
    });
    add("PaintScheme.move" + suffix, [&host, measured](benchmark::State& state) {
        const std::string name = nameOf(host.sheet(measured));
        BlockMover mover(host, measured);
        if (!mover.usable()) state.SkipWithError("the sheet holds no blocks");
        paint(host, state, name);
        for (auto _ : state) {
            state.PauseTiming();
            mover.step();
            state.ResumeTiming();
            if (!paint(host, state, name)) break;
        }
    });
}

}  // namespace zo::bench
