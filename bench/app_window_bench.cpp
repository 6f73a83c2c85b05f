// The editor on the offscreen platform: opening a large model until its
// page is painted, and one idle call of the run loop on a heavy model
// (which must return to the event loop within about 20 ms).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "app/appmessages.h"
#include "app/canvas/diagramcanvas.h"
#include "app/diagramwindow.h"
#include "app/modelsession.h"
#include "base/messagerecorder.h"
#include "base/safefile.h"
#include "base/settings.h"
#include "engine/benchtop.h"
#include "model/block.h"
#include "model/elements.h"
#include "model/modeleditor.h"
#include "model/modelfile.h"
#include "model/wire.h"

namespace korvel {
namespace {

class KQuietMessages final : public KAppMessages {
public:
    // Errors are printed: a benchmark of a model that does not load is void.
    KAnswer Box(std::string_view caption, std::string_view text, KButtons) override {
        if (caption == kCaptionError) std::fprintf(stderr, "%.*s\n", int(text.size()), text.data());
        return KAnswer::Ok;
    }
    void ShowMessage(const KTwoLineMessage& m) override {
        std::fprintf(stderr, "%d %s\n", m.number, m.description.c_str());
    }
    KChoice AskYesNoCancel(std::string_view, std::string_view) override { return KChoice::No; }
    bool AskYesNo(std::string_view, std::string_view) override { return true; }
};

// A Solver, a Scope, a chain of `count` integrators, each fed by the one
// before, and a Variable on the last, laid out in rows on page 1; written
// as a model file.
std::string ChainModel(int count) {
    KMessageRecorder sink;
    KElements elements(sink);
    auto solver = MakeBlock(*FindBlockTypeByTag("KSolver"));
    solver->Initialize(0, 0, 10, 10);
    solver->Node(0).value = 1e-6;  // h
    elements.Add(std::move(solver));
    auto scope = MakeBlock(*FindBlockTypeByTag("KScope"));  // every model has one
    scope->Initialize(elements.NextFreeIDNumber(), 0, 10, 60);
    elements.Add(std::move(scope));
    KBlock* previous = nullptr;
    for (int i = 0; i < count; ++i) {
        auto block = MakeBlock(*FindBlockTypeByTag("KInt"));
        block->Initialize(elements.NextFreeIDNumber(), 0, 100 + (i % 50) * 80, 100 + (i / 50) * 80);
        block->Node(3).value = 1.0;  // initial value
        KBlock& added = static_cast<KBlock&>(elements.Add(std::move(block)));
        if (previous) {
            auto wire = std::make_unique<KWire>(elements.NextFreeIDNumber(), 0);
            wire->SetStartBlockNode(1);
            wire->SetEndBlockNode(0);
            (void)wire->Connect(previous, &added, sink);
            wire->Route();
            elements.Add(std::move(wire));
        }
        previous = &added;
    }
    auto variable = MakeBlock(ktype::kVariable);  // and a variable to watch
    variable->Initialize(elements.NextFreeIDNumber(), 0, 10, 160);
    KBlock& watched = static_cast<KBlock&>(elements.Add(std::move(variable)));
    auto wire = std::make_unique<KWire>(elements.NextFreeIDNumber(), 0);
    wire->SetStartBlockNode(1);
    wire->SetEndBlockNode(watched.NodeIndex("Input"));
    (void)wire->Connect(previous, &watched, sink);
    wire->Route();
    elements.Add(std::move(wire));
    KModelEditor(elements).ClearSelection();
    KModelHeader header;
    header.pageNames = {"1"};
    return SaveModelText(elements, header);
}

struct Fixture {
    QTemporaryDir dir;
    KQuietMessages messages;
    KMemorySettings settings;
    KPosixFileSystem fs;
    TKDiagramF window{messages, settings, fs};
    std::string path;

    explicit Fixture(int blocks) {
        settings.Set("AutoSaveBeforeCompile", "false");
        path = dir.filePath("chain.kvd").toStdString();
        KMessageRecorder quiet;
        (void)SaveNewFile(fs, path, ChainModel(blocks), quiet);
        window.Start(false, "");
    }
};

void BM_OpenAndPaint(benchmark::State& state) {
    Fixture f(static_cast<int>(state.range(0)));
    auto* view = f.window.findChild<KDiagramCanvas*>("PBDiagram");
    for (auto _ : state) {
        if (!f.window.OpenPath(f.path)) state.SkipWithError("open failed");
        QImage image = view->grab(QRect(0, 0, 1200, 800)).toImage();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_OpenAndPaint)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

// One call of the idle timer while a 500-integrator chain runs at h = 1e-6:
// the pass toward the next sample would take far longer than 20 ms, so the
// call must cut it.
void BM_IdleCall(benchmark::State& state) {
    Fixture f(500);
    if (!f.window.OpenPath(f.path)) {
        state.SkipWithError("open failed");
        return;
    }
    f.window.showCompileList = [](const std::vector<KCompileMessage>& list) {
        for (const KCompileMessage& m : list)
            std::fprintf(stderr, "%d %s\n", m.code, m.text.c_str());
    };
    if (!f.window.Compile(false)) {
        state.SkipWithError("compile failed");
        return;
    }
    f.window.Run();
    long long steps = 0;
    for (auto _ : state) {
        QCoreApplication::processEvents();
        steps += f.window.StepsInLastCall();
    }
    state.counters["steps/call"] = benchmark::Counter(double(steps) / double(state.iterations()));
}
BENCHMARK(BM_IdleCall)->Unit(benchmark::kMillisecond)->Iterations(20);

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
