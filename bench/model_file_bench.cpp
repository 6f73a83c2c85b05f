// Saving and loading large designs: chains of 1 000, 10 000 and 100 000
// adders, each adder's output wired to the next one's first input. The
// "per_element" counter is the time per block or wire; it must stay flat as
// the model grows, or opening a big design becomes the user's wait.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/messagerecorder.h"
#include "model/block.h"
#include "model/elements.h"
#include "model/lineio.h"
#include "model/modelfile.h"
#include "model/wire.h"

namespace {

using namespace korvel;

constexpr int kAdd = 53;
constexpr int kOutput = 2;
constexpr int kFirstInput = 0;
constexpr int kPerRow = 100;

// One chain and the messages sink it reports to; built once per size.
struct Chain {
    KMessageRecorder messages;
    KElements elements{messages};
    KModelHeader header;
    std::string text;
};

std::unique_ptr<Chain> BuildChain(int blocks) {
    auto chain = std::make_unique<Chain>();
    std::vector<KBlock*> adders;
    adders.reserve(static_cast<std::size_t>(blocks));
    for (int i = 0; i < blocks; ++i) {
        std::unique_ptr<KBlock> b = MakeBlock(kAdd);
        b->SetIDNumber(i);
        b->SetPosition(100 + (i % kPerRow) * 60, 100 + (i / kPerRow) * 60);
        b->userString = "Add" + std::to_string(i + 1);
        adders.push_back(static_cast<KBlock*>(&chain->elements.Add(std::move(b))));
    }
    for (int i = 1; i < blocks; ++i) {
        auto w = std::make_unique<KWire>(blocks + i - 1, 0);
        KBlock* from = adders[static_cast<std::size_t>(i - 1)];
        KBlock* to = adders[static_cast<std::size_t>(i)];
        w->SetStartBlock(from->IDNumber());
        w->SetStartBlockNode(kOutput);
        w->SetEndBlock(to->IDNumber());
        w->SetEndBlockNode(kFirstInput);
        if (!w->Connect(from, to, chain->messages)) std::abort();
        w->Route();
        chain->elements.Add(std::move(w));
    }
    chain->text = SaveModelText(chain->elements, chain->header);
    return chain;
}

const Chain& ChainOf(int blocks) {
    static std::map<int, std::unique_ptr<Chain>> chains;
    auto& chain = chains[blocks];
    if (!chain) chain = BuildChain(blocks);
    return *chain;
}

void CountElements(benchmark::State& state, const Chain& chain) {
    double elements = static_cast<double>(chain.elements.Count());
    state.counters["elements"] = elements;
    state.counters["per_element"] = benchmark::Counter(
        elements, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["bytes"] = static_cast<double>(chain.text.size());
}

void BM_SaveModelText(benchmark::State& state) {
    const Chain& chain = ChainOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::string text = SaveModelText(chain.elements, chain.header);
        benchmark::DoNotOptimize(text.data());
    }
    CountElements(state, chain);
}

void BM_LoadModel(benchmark::State& state) {
    const Chain& chain = ChainOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto messages = std::make_unique<KMessageRecorder>();
        auto elements = std::make_unique<KElements>(*messages);
        KLineReader reader(chain.text);
        KModelHeader header;
        state.ResumeTiming();
        KLoadResult result = LoadModel(*elements, reader, {}, header, *messages);
        state.PauseTiming();
        if (!result.Ok() || elements->Count() != chain.elements.Count()) {
            state.ResumeTiming();
            state.SkipWithError("the chain did not load");
            break;
        }
        elements.reset();  // freeing the model is not part of loading it
        state.ResumeTiming();
    }
    CountElements(state, chain);
}

BENCHMARK(BM_SaveModelText)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadModel)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
