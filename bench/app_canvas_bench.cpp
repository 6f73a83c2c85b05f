// The canvas on the offscreen platform: a full repaint of a busy page at
// zoom 1 and 1/8 (a frame at 60 per second leaves 16 ms), and one mouse move
// over a 10 000-element page (hit tests and hint; under 1 ms).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <cstdlib>

#include "app/canvas/diagramcanvas.h"
#include "base/messagerecorder.h"
#include "model/block.h"
#include "model/elements.h"
#include "model/wire.h"

namespace korvel {
namespace {

// `blocks` integrators in rows of 40 at an 80-pixel pitch, each wired to the next.
struct Page {
    explicit Page(int blocks) : elements(sink) {
        const int type = *FindBlockTypeByTag("KInt");
        KBlock* previous = nullptr;
        for (int i = 0; i < blocks; ++i) {
            auto block = MakeBlock(type);
            block->Initialize(elements.NextFreeIDNumber(), 0, 20 + (i % 40) * 80, 20 + (i / 40) * 80);
            block->selected = false;
            auto& added = static_cast<KBlock&>(elements.Add(std::move(block)));
            if (previous) {
                auto wire = std::make_unique<KWire>(elements.NextFreeIDNumber(), 0, previous, 1);
                wire->ConnectEnd(&added, 0, sink);
                elements.Add(std::move(wire));
            }
            previous = &added;
        }
        KDiagramCanvas::Hooks hooks;
        hooks.edit = [](const KRefusal&, const std::function<void()>& change) {
            change();
            return true;
        };
        hooks.tool = [] { return TKDiagramF::kSelectTool; };
        hooks.chooseSelectTool = [] {};
        hooks.isRunning = [] { return false; };
        hooks.isCompiled = [] { return false; };
        hooks.showHint = [this](const QString& hint) { lastHint = hint; };
        canvas = std::make_unique<KDiagramCanvas>(&elements, hooks);
    }
    KMessageRecorder sink;
    KElements elements;
    std::unique_ptr<KDiagramCanvas> canvas;
    QString lastHint;
};

void BM_RepaintPage(benchmark::State& state) {
    Page page(1000);
    page.canvas->SetZoom(state.range(0) == 1 ? 1.0 : 0.125);
    const QRect screen(0, 0, 1920, 1080);
    for (auto _ : state) {
        QImage image = page.canvas->grab(screen).toImage();
        benchmark::DoNotOptimize(image.constBits());
    }
}
// Argument 1: zoom 1; argument 8: zoom 1/8 (the whole page on screen).
BENCHMARK(BM_RepaintPage)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

void BM_MouseMove(benchmark::State& state) {
    Page page(5000);  // 5000 blocks and 4999 wires
    const QPoint points[] = {{60, 40}, {100, 40}, {1000, 1000}, {2000, 3000}, {3100, 900}};
    std::size_t i = 0;
    for (auto _ : state) {
        const QPoint at = points[i++ % std::size(points)];
        QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(at), Qt::NoButton, Qt::NoButton, {});
        QApplication::sendEvent(page.canvas.get(), &move);
        benchmark::DoNotOptimize(page.lastHint);
    }
}
BENCHMARK(BM_MouseMove)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace korvel

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
