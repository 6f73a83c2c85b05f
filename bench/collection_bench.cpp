// Editing a large model: copying, pasting and deleting a whole page of blocks
// and wires must stay well under a second at a hundred thousand elements,
// so these are single passes over the collection, not a scan per element.
#include <benchmark/benchmark.h>

#include <memory>

#include "base/messagerecorder.h"
#include "model/block.h"
#include "model/elements.h"
#include "model/modeleditor.h"
#include "model/wire.h"

namespace korvel {
namespace {

constexpr int kAdd = 53;  // Input1 0, Input2 1, Output 2

// A chain of n adders wired output to input: n blocks and n - 1 wires.
void Chain(KElements& elements, Messages& messages, int n) {
    KBlock* previous = nullptr;
    int number = 0;
    for (int i = 0; i < n; ++i) {
        auto b = MakeBlock(kAdd);
        b->SetIDNumber(number++);
        b->SetPosition(10 * (i % 100), 10 * (i / 100));
        KBlock& block = static_cast<KBlock&>(elements.Add(std::move(b)));
        if (previous) {
            auto w = std::make_unique<KWire>(number++, 0);
            w->SetStartBlockNode(2);
            w->SetEndBlockNode(0);
            (void)w->Connect(previous, &block, messages);
            elements.Add(std::move(w));
        }
        previous = &block;
    }
}

void SelectAll(KElements& elements) {
    for (const auto& e : elements.All()) e->selected = true;
}

void BM_CopyPaste(benchmark::State& state) {
    KMessageRecorder messages;
    KElements elements(messages);
    Chain(elements, messages, static_cast<int>(state.range(0)) / 2);
    SelectAll(elements);
    KModelEditor editor(elements);
    for (auto _ : state) {
        editor.CopyAllSelected(0);
        benchmark::DoNotOptimize(editor.PasteAll(1, 20, 20));
        state.PauseTiming();
        elements.DeletePage(1);
        SelectAll(elements);
        state.ResumeTiming();
    }
    state.counters["elements"] = elements.Count();
}

void BM_DeleteSelection(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        KMessageRecorder messages;
        auto elements = std::make_unique<KElements>(messages);
        Chain(*elements, messages, static_cast<int>(state.range(0)) / 2);
        // Every other block: each deletion takes wires with it.
        for (int i = 0; i < elements->Count(); i += 4) elements->At(i).selected = true;
        state.ResumeTiming();
        elements->DeleteSelected();
        state.PauseTiming();
        elements.reset();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_CopyPaste)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteSelection)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvel

BENCHMARK_MAIN();
