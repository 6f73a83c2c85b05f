// The "lowpass chain" through the engine, beside a hand-written flat-array
// RK4 of the same equations (the limit the engine is measured against).
//
// A sine of time feeds N first-order stages; stage i is a subtract
// (u_{i-1} - y_i), a scale-by 100 and an integrator starting at 1, so
// y_i' = 100 (u_{i-1} - y_i). h = 1e-5 and one second of model time: 100 000
// steps. The model is built as a compile would leave it, in depth-first
// order (sub, gain, integrator per stage), and run with the engine's plain
// compile-order evaluation and with its batched plan.
//
// Reported per run, in seconds per second of model time: wall time
// ("s_per_model_s") and the thread's CPU time ("cpu_s_per_model_s"), which
// stays meaningful on a machine shared with other work. Each engine run is
// checked against the flat result, so a fast wrong answer cannot pass.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <string_view>
#include <vector>

#include "engine/benchtop.h"
#include "engine/solver.h"
#include "benchtiming.h"
#include "handcompiled.h"
#include "model/block.h"

namespace korvel {
namespace {

constexpr double kStep = 1e-5;
constexpr double kModelSeconds = 1.0;

// A model compiled by hand: blocks in execution order, one net per source.
class ChainModel : public HandCompiled {
public:
    explicit ChainModel(int stages) {
        KBlock& solver = Add("KSolver");
        solver.FindNode("h")->value = kStep;
        KBlock& time = Add("KTime");
        KBlock& sine = Add("KSin");
        Wire(time, "Time", sine, "Input");
        KBlock* previous = &sine;
        for (int i = 0; i < stages; ++i) {
            KBlock& sub = Add("KSub");
            KBlock& gain = Add("KScale");
            KBlock& integrator = Add("KInt");
            gain.FindNode("Scale by")->value = 100.0;
            integrator.FindNode("Initial Value")->value = 1.0;
            Wire(*previous, "Output", sub, "Input1");
            Wire(integrator, "Output", sub, "Input2");
            Wire(sub, "Output", gain, "Input");
            Wire(gain, "Output", integrator, "Input");
            previous = &integrator;
        }
        Build();
    }
};

double FlatResult(int stages);

void RunEngine(benchmark::State& state, bool batched) {
    const int stages = static_cast<int>(state.range(0));
    double wall = 0.0;
    double cpu = 0.0;
    int runs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ChainModel model(stages);
        model.benchTop->SetBatchedEvaluation(batched);
        model.benchTop->Plan();  // built with the model, not during the run
        state.ResumeTiming();
        const Stopwatch watch;
        const bool ok = model.benchTop->Solver()->RunUntil(kModelSeconds - kStep / 2);
        watch.AddTo(wall, cpu);
        ++runs;
        state.PauseTiming();
        const double last = model.benchTop->Solver()->States()[stages - 1];
        if (!ok || std::fabs(last - FlatResult(stages)) > 1e-9) {
            state.SkipWithError("the engine's result differs from the flat arrays'");
        }
        state.ResumeTiming();
    }
    state.counters["s_per_model_s"] = wall / runs / kModelSeconds;
    state.counters["cpu_s_per_model_s"] = cpu / runs / kModelSeconds;
}

void EnginePlain(benchmark::State& state) {
    RunEngine(state, false);
}
void EngineBatched(benchmark::State& state) {
    RunEngine(state, true);
}

// The same equations on flat arrays: one loop per stage, no objects.
class FlatChain {
public:
    explicit FlatChain(int stages)
        : n_(static_cast<std::size_t>(stages)), y_(n_, 1.0), dy_(n_), start_(n_), slope_(n_) {}

    void Run(double until) {
        while (time_ < until) Step();
    }
    double Last() const { return y_[n_ - 1]; }

private:
    void Evaluate(double t) {
        double u = std::sin(t);
        for (std::size_t i = 0; i < n_; ++i) {
            dy_[i] = 1.0 * ((u - y_[i]) * 100.0);
            u = y_[i];
        }
    }
    void Step() {
        const double t = time_;
        const double h = kStep;
        const double half = 0.5 * h;
        for (std::size_t i = 0; i < n_; ++i) start_[i] = y_[i];
        Evaluate(t);
        for (std::size_t i = 0; i < n_; ++i) {
            slope_[i] = dy_[i];
            y_[i] = start_[i] + half * dy_[i];
        }
        Evaluate(t + half);
        for (std::size_t i = 0; i < n_; ++i) {
            y_[i] = start_[i] + half * dy_[i];
            slope_[i] += 2 * dy_[i];
        }
        Evaluate(t + half);
        for (std::size_t i = 0; i < n_; ++i) {
            slope_[i] += 2 * dy_[i];
            y_[i] = start_[i] + h * dy_[i];
        }
        Evaluate(t + h);
        for (std::size_t i = 0; i < n_; ++i) {
            slope_[i] += dy_[i];
            y_[i] = start_[i] + slope_[i] * h * (1.0 / 6.0);
        }
        time_ += h;
    }

    std::size_t n_;
    std::vector<double> y_, dy_, start_, slope_;
    double time_ = 0.0;
};

double FlatResult(int stages) {
    static std::map<int, double> results;
    auto it = results.find(stages);
    if (it != results.end()) return it->second;
    FlatChain chain(stages);
    chain.Run(kModelSeconds - kStep / 2);
    return results[stages] = chain.Last();
}

void FlatLimit(benchmark::State& state) {
    const int stages = static_cast<int>(state.range(0));
    double wall = 0.0;
    double cpu = 0.0;
    int runs = 0;
    for (auto _ : state) {
        FlatChain chain(stages);
        const Stopwatch watch;
        chain.Run(kModelSeconds - kStep / 2);
        watch.AddTo(wall, cpu);
        ++runs;
        benchmark::DoNotOptimize(chain.Last());
    }
    state.counters["s_per_model_s"] = wall / runs / kModelSeconds;
    state.counters["cpu_s_per_model_s"] = cpu / runs / kModelSeconds;
}

// Three runs of one second of model time each; the minimum is the figure.
void ChainSizes(benchmark::internal::Benchmark* b) {
    b->Arg(10)->Arg(100)->Arg(500)->Iterations(1)->Repetitions(3);
    b->ComputeStatistics("min", Minimum)->Unit(benchmark::kMillisecond);
}

BENCHMARK(FlatLimit)->Apply(ChainSizes);
BENCHMARK(EngineBatched)->Apply(ChainSizes);
BENCHMARK(EnginePlain)->Apply(ChainSizes);

}  // namespace
}  // namespace korvel

BENCHMARK_MAIN();
