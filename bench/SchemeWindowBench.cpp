#include "SchemeWindowBench.h"

#include "SheetPaintBench.h"

#include "configurator/link/SchemeLink.h"
#include "configurator/windows/SchemForm.h"
#include "platform/Cp1251.h"

#include <QApplication>
#include <QMdiArea>
#include <QMouseEvent>

#include <memory>

namespace zo::bench {

namespace {

using configurator::SchemeLink;
using configurator::TSchemForm;

// A scheme window of the first sheet in an MDI area, shown off-screen.
struct Window {
    explicit Window(KernelHost& host) : link(&host.kernel()) {
        TSheetRecord* sheet = host.sheet(0);
        area.resize(1000, 760);
        form = new TSchemForm(link);
        area.addSubWindow(form);
        form->SetKernel(true);
        form->SetSchemeName(platform::cp1251ToQString(sheet ? sheet->Name : ""));
        area.show();
        form->show();
        form->resize(form->size() - form->Canvas()->size() + QSize(900, 640));
        form->RefreshScheme();
        QApplication::processEvents();
    }
    ~Window() { delete form; }
    // The whole repaint the host asks for: a new picture, then the view drawn now.
    void repaint() {
        form->RefreshScheme();
        form->Canvas()->repaint(form->ViewRegion());
    }
    void move(const QPoint& p) {
        QMouseEvent e(QEvent::MouseMove, p, form->Canvas()->mapToGlobal(p), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(form->Canvas(), &e);
        form->Canvas()->repaint(form->ViewRegion());
    }

    QMdiArea area;
    SchemeLink link;
    TSchemForm* form = nullptr;
};

}  // namespace

void AddSchemeWindowBenchmarks(KernelHost& host, const AddBenchmark& add, int other, const std::string& suffix,
                               bool all) {
    for (const float scale : {1.0f, 2.0f}) {
        const std::string name = (scale == 1.0f ? "TSchemForm.repaint/100" : "TSchemForm.repaint/200") + suffix;
        add(name, [&host, scale, other](benchmark::State& state) {
            if (!host.sheet(0)) state.SkipWithError("the project holds no sheet");
            Window w(host);
            w.form->SetScale(scale);
            for (auto _ : state) {
                PaintAnotherSheet(host, state, 0, other);
                w.repaint();
            }
        });
    }
    if (!all) return;
    // The repaint after a block was moved a cell: the kernel paints what the move touched.
    add("TSchemForm.repaint.move/100" + suffix, [&host](benchmark::State& state) {
        if (!host.sheet(0)) state.SkipWithError("the project holds no sheet");
        Window w(host);
        BlockMover mover(host, 0);
        if (!mover.usable()) state.SkipWithError("the sheet holds no blocks");
        for (auto _ : state) {
            state.PauseTiming();
            mover.step();
            state.ResumeTiming();
            w.repaint();
        }
    });
    // The window's own share of a repaint: the cached picture drawn again.
    add("TSchemForm.view/100" + suffix, [&host](benchmark::State& state) {
        if (!host.sheet(0)) state.SkipWithError("the project holds no sheet");
        Window w(host);
        for (auto _ : state) {
            w.form->FormPaint();
            w.form->Canvas()->repaint(w.form->ViewRegion());
        }
    });
    // Back and forth between a block's body and the empty cell above it: the
    // hover changes with every move.
    add("TSchemForm.hover" + suffix, [&host](benchmark::State& state) {
        TSheetRecord* sheet = host.sheet(0);
        if (!sheet || host.blockCount(sheet) == 0) {
            state.SkipWithError("the sheet holds no blocks");
            return;
        }
        Window w(host);
        const TBlockRecord* b = host.block(sheet, 0);
        const int bx = (b->Left + b->Right) / 2 * 12 + 6 + 5, by = (b->Top + b->Bottom) / 2 * 12 + 6 + 5;
        w.form->SetScrollPositions(bx, by);
        const auto& l = w.form->Layout();
        const QPoint on(l.dest.left + bx - l.source.left, l.dest.top + by - l.source.top);
        const QPoint off = on - QPoint(0, (b->Bottom - b->Top + 3) * 12);
        bool flip = false;
        for (auto _ : state) {
            w.move(flip ? on : off);
            flip = !flip;
        }
    });
}

std::vector<TableRow> SchemeWindowRows(const std::string& sheet, const std::string& reference,
                                       const std::string& suffix, bool all) {
    std::vector<TableRow> rows;
    const struct {
        const char* operation;
        const char* run;
        bool always;
    } ops[] = {{"TSchemForm full repaint (100 %)", "TSchemForm.repaint/100", true},
               {"TSchemForm full repaint (200 %)", "TSchemForm.repaint/200", true},
               {"TSchemForm repaint after a one-block move", "TSchemForm.repaint.move/100", false},
               {"TSchemForm hover move", "TSchemForm.hover", false}};
    if (all)
        rows.push_back({"TSchemForm view only (100 %)", sheet, "TSchemForm.view/100" + suffix, reference,
                        "PaintScheme alone", TableRow::Target::None, 0, "", 0, ""});
    for (const auto& op : ops) {
        if (!op.always && !all) continue;
        rows.push_back({op.operation, sheet, op.run + suffix, reference, "PaintScheme alone",
                        TableRow::Target::RatioToReference, 1.5, "", 0, ""});
        if (all)
            rows.push_back({op.operation, sheet, op.run + suffix, "", "", TableRow::Target::AbsoluteSeconds, 8e-3, "",
                            0, ""});
    }
    return rows;
}

}  // namespace zo::bench
