// A mixed control model through the engine, beside a hand-written flat-array
// RK4 of the same equations (the limit the engine is measured against).
//
// One waveform generator (square, 0.25 Hz) is the setpoint of N loops; loop
// i is a subtract (r - y_i), a PID (KP 2, KI 6, KD 0.1, derivative low-pass
// 10 Hz), a clamp to +/-5, a two-pole low-pass plant (2 Hz, damping
// 0.3 + 0.002 i) and a hysteresis on y_i (0.5 / 0.9). 4 N + 2 states (the
// solver holds at most 500, so N = 100 is the largest model), h = 1e-4 and
// one second of model time: 10 000 steps. The blocks are built in the
// depth-first order a compile leaves them in and run with the batched plan
// and with plain compile-order evaluation.
//
// Reported per run, in seconds per second of model time: wall time and the
// thread's CPU time (meaningful on a shared machine). Each engine run is
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

constexpr double kStep = 1e-4;
constexpr double kModelSeconds = 1.0;
constexpr double kWaveFrequency = 0.25;
constexpr double kKp = 2, kKi = 6, kKd = 0.1, kLowPass = 10, kSaturation = 100, kWindup = 2;
constexpr double kClamp = 5;
constexpr double kPlantFrequency = 2;
constexpr double kLow = 0.5, kHigh = 0.9;

double Damping(int loop) {
    return 0.3 + 0.002 * loop;
}

// A model compiled by hand: blocks in execution order, one net per source.
class MixedModel : public HandCompiled {
public:
    explicit MixedModel(int loops) {
        KBlock& solver = Add("KSolver");
        solver.FindNode("h")->value = kStep;
        KBlock& wave = Add("KWaveGen");
        Set(wave, "Waveform", 1);
        Set(wave, "Frequency", kWaveFrequency);
        for (int i = 0; i < loops; ++i) {
            KBlock& sub = Add("KSub");
            KBlock& pid = Add("KPid");
            KBlock& clamp = Add("KClamp");
            KBlock& plant = Add("KLpf2");
            KBlock& hyster = Add("KHyster");
            Set(pid, "KP", kKp);
            Set(pid, "KI", kKi);
            Set(pid, "KD", kKd);
            Set(pid, "Low-Pass Frequency", kLowPass);
            Set(pid, "Saturation", kSaturation);
            Set(pid, "Wind-up", kWindup);
            Set(clamp, "Minimum", -kClamp);
            Set(clamp, "Maximum", kClamp);
            Set(plant, "Frequency", kPlantFrequency);
            Set(plant, "Damping", Damping(i));
            Set(hyster, "Low Limit", kLow);
            Set(hyster, "High Limit", kHigh);
            Wire(wave, "Output", sub, "Input1");
            Wire(plant, "Output", sub, "Input2");
            Wire(sub, "Output", pid, "Input");
            Wire(pid, "Output", clamp, "Input");
            Wire(clamp, "Output", plant, "Input");
            Wire(plant, "Output", hyster, "Input");
            plants.push_back(&plant);
            hysters.push_back(&hyster);
        }
        Build();
    }

    std::vector<KBlock*> plants;
    std::vector<KBlock*> hysters;

private:
    static void Set(KBlock& block, std::string_view node, double value) {
        block.FindNode(node)->value = value;
    }
};

// The same equations on flat arrays, one loop over the loops per evaluation.
class FlatMixed {
public:
    explicit FlatMixed(int loops) : n_(static_cast<std::size_t>(loops)) {
        // States: the wave's two integrals, then per loop PID x1, x2 and plant x1, x2.
        const std::size_t count = 2 + 4 * n_;
        x_.assign(count, 0.0);
        dx_.assign(count, 0.0);
        start_.assign(count, 0.0);
        slope_.assign(count, 0.0);
        level_.assign(n_, 0.0);
        a0_.resize(n_);
        a1_.resize(n_);
        const double omega = 6.2831852 * kPlantFrequency;
        for (std::size_t i = 0; i < n_; ++i) {
            a0_[i] = omega * omega;
            a1_[i] = 2 * Damping(static_cast<int>(i)) * kPlantFrequency * 2 * 3.1415926;
        }
    }

    void Run(double until) {
        while (time_ < until) Step();
    }
    double PlantOutput(std::size_t i) const { return x_[2 + 4 * i + 3]; }
    double Level(std::size_t i) const { return level_[i]; }
    bool WoundUp() const { return woundUp_; }

private:
    void Evaluate(double t) {
        double p = t * kWaveFrequency;
        p -= std::floor(p);
        const double r = p <= 0.5 ? 1.0 : -1.0;
        dx_[0] = r;
        dx_[1] = x_[0];
        const double limit = kSaturation * kWindup;
        const double omegaLowPass = kLowPass * 6.2831852;
        double* x = x_.data() + 2;
        double* dx = dx_.data() + 2;
        for (std::size_t i = 0; i < n_; ++i, x += 4, dx += 4) {
            const double y = x[3];
            const double e = r - y;
            dx[0] = kKi * e;
            const double derivative = omegaLowPass * (e - x[1]);
            dx[1] = derivative;
            double u = kKp * (x[0] + e + kKd * derivative);
            if (u > limit || u < -limit) woundUp_ = true;  // would reset: not modelled
            u = u > kSaturation ? kSaturation : (u < -kSaturation ? -kSaturation : u);
            u = u < -kClamp ? -kClamp : (u > kClamp ? kClamp : u);
            dx[2] = u * a0_[i] - y * a0_[i];
            dx[3] = x[2] - y * a1_[i];
            const double level = level_[i];
            level_[i] = level <= 0.5 ? (y > kHigh ? 1.0 : level) : (y < kLow ? 0.0 : level);
        }
    }
    void Step() {
        const double t = time_;
        const double h = kStep;
        const double half = 0.5 * h;
        const std::size_t count = x_.size();
        for (std::size_t i = 0; i < count; ++i) start_[i] = x_[i];
        Evaluate(t);
        for (std::size_t i = 0; i < count; ++i) {
            slope_[i] = dx_[i];
            x_[i] = start_[i] + half * dx_[i];
        }
        Evaluate(t + half);
        for (std::size_t i = 0; i < count; ++i) {
            x_[i] = start_[i] + half * dx_[i];
            slope_[i] += 2 * dx_[i];
        }
        Evaluate(t + half);
        for (std::size_t i = 0; i < count; ++i) {
            slope_[i] += 2 * dx_[i];
            x_[i] = start_[i] + h * dx_[i];
        }
        Evaluate(t + h);
        for (std::size_t i = 0; i < count; ++i) {
            slope_[i] += dx_[i];
            x_[i] = static_cast<double>(start_[i] +
                                        static_cast<long double>(slope_[i]) * h * (1.0L / 6.0L));
        }
        time_ += h;
    }

    std::size_t n_;
    std::vector<double> x_, dx_, start_, slope_, level_, a0_, a1_;
    double time_ = 0.0;
    bool woundUp_ = false;
};

struct FlatResult {
    std::vector<double> y;
    std::vector<double> level;
};

const FlatResult& Expected(int loops) {
    static std::map<int, FlatResult> results;
    auto it = results.find(loops);
    if (it != results.end()) return it->second;
    FlatMixed flat(loops);
    flat.Run(kModelSeconds - kStep / 2);
    FlatResult result;
    for (std::size_t i = 0; i < static_cast<std::size_t>(loops); ++i) {
        result.y.push_back(flat.PlantOutput(i));
        result.level.push_back(flat.Level(i));
    }
    return results[loops] = result;
}

bool MatchesFlat(MixedModel& model, int loops) {
    const FlatResult& expected = Expected(loops);
    KBenchTop& benchTop = *model.benchTop;
    benchTop.SyncNodeValues();
    for (std::size_t i = 0; i < static_cast<std::size_t>(loops); ++i) {
        const double y = model.plants[i]->FindNode("Output")->value;
        const double level = model.hysters[i]->FindNode("Output")->value;
        if (std::fabs(y - expected.y[i]) > 1e-9 || level != expected.level[i]) return false;
    }
    return true;
}

void RunEngine(benchmark::State& state, bool batched) {
    const int loops = static_cast<int>(state.range(0));
    double wall = 0.0;
    double cpu = 0.0;
    int runs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        MixedModel model(loops);
        model.benchTop->SetBatchedEvaluation(batched);
        model.benchTop->Plan();
        state.ResumeTiming();
        const Stopwatch watch;
        const bool ok = model.benchTop->Solver()->RunUntil(kModelSeconds - kStep / 2);
        watch.AddTo(wall, cpu);
        ++runs;
        state.PauseTiming();
        if (!ok || !MatchesFlat(model, loops)) {
            state.SkipWithError("the engine's result differs from the flat arrays'");
        }
        state.ResumeTiming();
    }
    state.counters["s_per_model_s"] = wall / runs / kModelSeconds;
    state.counters["cpu_s_per_model_s"] = cpu / runs / kModelSeconds;
}

void MixedBatched(benchmark::State& state) {
    RunEngine(state, true);
}
void MixedPlain(benchmark::State& state) {
    RunEngine(state, false);
}

void MixedFlatLimit(benchmark::State& state) {
    const int loops = static_cast<int>(state.range(0));
    double wall = 0.0;
    double cpu = 0.0;
    int runs = 0;
    for (auto _ : state) {
        FlatMixed flat(loops);
        const Stopwatch watch;
        flat.Run(kModelSeconds - kStep / 2);
        watch.AddTo(wall, cpu);
        ++runs;
        if (flat.WoundUp()) state.SkipWithError("a PID wound up; the flat arrays do not model it");
        benchmark::DoNotOptimize(flat.PlantOutput(0));
    }
    state.counters["s_per_model_s"] = wall / runs / kModelSeconds;
    state.counters["cpu_s_per_model_s"] = cpu / runs / kModelSeconds;
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(10)->Arg(100)->Iterations(1)->Repetitions(3);
    b->ComputeStatistics("min", Minimum)->Unit(benchmark::kMillisecond);
}

BENCHMARK(MixedFlatLimit)->Apply(Sizes);
BENCHMARK(MixedBatched)->Apply(Sizes);
BENCHMARK(MixedPlain)->Apply(Sizes);

}  // namespace
}  // namespace korvel

BENCHMARK_MAIN();
