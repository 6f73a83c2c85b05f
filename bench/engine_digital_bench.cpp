// Digital control throughput: 1 000 digital PID loops on 10 controllers
// through the engine, beside a hand-written loop doing the same difference
// equations.
//
// Loops 100 c to 100 c + 99 belong to controller c, which samples every c % 2 + 1
// solver steps. Each loop is a subtract (1 - fed back value), a digital PID
// (KP 2, KI 20, KD 0.001), a digital one-pole low-pass of 5 Hz as the plant
// and a sample delay that feeds the plant's output back. The loops hold no
// continuous state (a model has at most 500), so the solver's evaluations
// are the whole cost. h = 1e-4 and one second of model time: 10 000 steps.
// Each engine run is checked against the hand-written result.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
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
constexpr int kLoops = 1000;
constexpr int kControllers = 10;
constexpr double kKp = 2.0;
constexpr double kKi = 20.0;
constexpr double kKd = 0.001;
constexpr double kPlantHz = 5.0;

int PeriodSteps(int controller) {
    return controller % 2 + 1;
}

// The model as a compile leaves it: Solver, controllers, then each loop.
class DigitalLoops : public HandCompiled {
public:
    DigitalLoops() {
        Add("KSolver").FindNode("h")->value = kStep;
        std::vector<int> controllerIds;
        for (int c = 0; c < kControllers; ++c) {
            KBlock& controller = Add("KDctl");
            controller.FindNode("TSample")->value = PeriodSteps(c) * kStep;
            controllerIds.push_back(controller.IDNumber());
        }
        for (int i = 0; i < kLoops; ++i) {
            const double controller =
                controllerIds[static_cast<std::size_t>(i / (kLoops / kControllers))];
            KBlock& sub = Add("KSub");
            KBlock& pid = Add("KDPid");
            KBlock& plant = Add("KDLpf1");
            KBlock& delay = Add("KDDelay");
            sub.FindNode("Input1")->value = 1.0;
            pid.FindNode("KP")->value = kKp;
            pid.FindNode("KI")->value = kKi;
            pid.FindNode("KD")->value = kKd;
            plant.FindNode("Frequency")->value = kPlantHz;
            for (KBlock* block : {&pid, &plant, &delay}) {
                block->FindNode("Controller")->value = controller;
            }
            Wire(delay, "Output", sub, "Input2");
            Wire(sub, "Output", pid, "Input");
            Wire(pid, "Output", plant, "Input");
            Wire(plant, "Output", delay, "Input");
            if (i == kLoops - 1) last_ = &plant;
        }
        Build();
    }

    double LastPlantOutput() const {
        return benchTop->Arena().Data()[benchTop->Arena().SlotOf(*last_->FindNode("Output"))];
    }

private:
    KBlock* last_ = nullptr;
};

// The same loops by hand: flat arrays, work only at each controller's
// samples (the first evaluation and every PeriodSteps-th step end).
class HandLoops {
public:
    HandLoops() : n_(kLoops), integral_(n_), previous_(n_), plant_(n_), stored_(n_), delayed_(n_) {
        const double t = kStep;
        for (int c = 0; c < kControllers; ++c) {
            pole_[c] = std::exp(-kPlantHz * 2 * 3.1415926 * PeriodSteps(c) * t);
        }
    }

    void Run(double until) {
        Sample(0, true);
        long step = 0;
        while (time_ < until) {
            ++step;
            time_ += kStep;
            Sample(step, false);
        }
    }
    double Last() const { return plant_[n_ - 1]; }

private:
    void Sample(long step, bool first) {
        bool due[kControllers];
        for (int c = 0; c < kControllers; ++c) due[c] = first || step % PeriodSteps(c) == 0;
        for (std::size_t i = 0; i < n_; ++i) {
            const int c = static_cast<int>(i / (kLoops / kControllers));
            if (!due[c]) continue;
            const double t = PeriodSteps(c) * kStep;
            delayed_[i] = stored_[i];
            const double e = 1.0 - delayed_[i];
            integral_[i] += kKi * e * t;
            double y = kKp * (e + integral_[i] + kKd * (e - previous_[i]) / t);
            previous_[i] = e;
            const double limit = 10.0 * 2.0;
            if (y > limit) {
                integral_[i] = std::min(integral_[i], limit / kKp - e);
                y = 10.0;
            } else if (y < -limit) {
                integral_[i] = std::max(integral_[i], -limit / kKp - e);
                y = -10.0;
            }
            y = std::min(std::max(y, -10.0), 10.0);
            plant_[i] = (1 - pole_[c]) * y + pole_[c] * plant_[i];
            stored_[i] = plant_[i];
        }
    }

    std::size_t n_;
    double pole_[kControllers];
    std::vector<double> integral_, previous_, plant_, stored_, delayed_;
    double time_ = 0.0;
};

double HandResult() {
    static const double result = [] {
        HandLoops loops;
        loops.Run(kModelSeconds - kStep / 2);
        return loops.Last();
    }();
    return result;
}

void HandWritten(benchmark::State& state) {
    double wall = 0.0, cpu = 0.0;
    int runs = 0;
    for (auto _ : state) {
        HandLoops loops;
        const Stopwatch watch;
        loops.Run(kModelSeconds - kStep / 2);
        watch.AddTo(wall, cpu);
        ++runs;
        benchmark::DoNotOptimize(loops.Last());
    }
    state.counters["s_per_model_s"] = wall / runs / kModelSeconds;
    state.counters["cpu_s_per_model_s"] = cpu / runs / kModelSeconds;
}

void Engine(benchmark::State& state) {
    double wall = 0.0, cpu = 0.0;
    int runs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        DigitalLoops model;
        if (!model.benchTop) {
            state.SkipWithError("the model did not build");
            return;
        }
        const KEvaluationPlan& plan = model.benchTop->Plan();
        state.counters["ops"] = static_cast<double>(plan.Ops().size());
        state.counters["levels"] = plan.LevelCount();
        state.counters["gated_kernels"] = static_cast<double>(plan.GatedKernelCount());
        state.ResumeTiming();
        const Stopwatch watch;
        const bool ok = model.benchTop->Solver()->RunUntil(kModelSeconds - kStep / 2);
        watch.AddTo(wall, cpu);
        ++runs;
        state.PauseTiming();
        if (!ok || std::fabs(model.LastPlantOutput() - HandResult()) > 1e-9) {
            state.SkipWithError("the engine's result differs from the hand-written loop's");
        }
        state.ResumeTiming();
    }
    state.counters["s_per_model_s"] = wall / runs / kModelSeconds;
    state.counters["cpu_s_per_model_s"] = cpu / runs / kModelSeconds;
}

void ThreeRuns(benchmark::internal::Benchmark* b) {
    b->Iterations(1)->Repetitions(3)->ComputeStatistics("min", Minimum);
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(HandWritten)->Apply(ThreeRuns);
BENCHMARK(Engine)->Apply(ThreeRuns);

}  // namespace
}  // namespace korvel

BENCHMARK_MAIN();
