// The canvas on the offscreen platform: a full repaint of a busy page at
// zoom 1 and 1/8 (a frame at 60 per second leaves 16 ms), one mouse move
// over a 10 000-element page (hit tests and hint; under 1 ms), and one step
// of dragging 200 selected blocks (only the outline's old and new places are
// repainted; the counter says how many pixels were).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
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


// Sums the area of the paint events a widget receives.
class PaintedArea : public QObject {
public:
    double pixels = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            for (const QRect& r : static_cast<QPaintEvent*>(event)->region())
                pixels += double(r.width()) * r.height();
        return false;
    }
};

void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), QPointF(at), button, buttons, {});
    QApplication::sendEvent(widget, &event);
}

void BM_DragSelection(benchmark::State& state) {
    Page page(1000);
    int chosen = 0;  // the first 200 blocks: five rows of 40
    for (const auto& e : page.elements.All())
        if (e->IsBlock() && chosen < 200) e->selected = ++chosen > 0;
    page.canvas->resize(1920, 1080);
    page.canvas->show();
    QApplication::processEvents();
    PaintedArea painted;
    page.canvas->installEventFilter(&painted);
    const QPoint grip(40, 40);  // inside the first selected block
    SendMouse(page.canvas.get(), QEvent::MouseButtonPress, grip, Qt::LeftButton);
    SendMouse(page.canvas.get(), QEvent::MouseMove, grip + QPoint(10, 0), Qt::LeftButton);
    QApplication::processEvents();
    if (!page.canvas->IsBlockDrag()) state.SkipWithError("the drag did not start");
    painted.pixels = 0;
    int step = 0;
    for (auto _ : state) {
        // Back and forth by one grid step: every move changes the snapped point.
        const QPoint at = grip + QPoint(++step % 2 ? 20 : 10, 10);
        SendMouse(page.canvas.get(), QEvent::MouseMove, at, Qt::LeftButton);
        QApplication::processEvents();
    }
    state.counters["painted_px"] = benchmark::Counter(painted.pixels, benchmark::Counter::kAvgIterations);
    state.counters["screen_px"] = 1920.0 * 1080.0;
    SendMouse(page.canvas.get(), QEvent::MouseButtonRelease, grip, Qt::NoButton);
}
BENCHMARK(BM_DragSelection)->Unit(benchmark::kMillisecond);

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
