// Instrument acquisition costs: one oscilloscope sample over C channels (the
// per-channel cost is the time divided by C), one signal-analyzer sample, and
// the FFT of the largest record the analyzer supports.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "base/messagerecorder.h"
#include "instruments/fft.h"
#include "instruments/scopeacquisition.h"
#include "instruments/xferacquisition.h"

namespace {

using namespace korvel;

std::vector<KSignal> Signals(std::vector<double>& values) {
    std::vector<KSignal> signals;
    for (std::size_t i = 0; i < values.size(); ++i) {
        signals.push_back({"v" + std::to_string(i), "", 1, 0, 1, i < 8, i % 3 == 0, &values[i]});
    }
    return signals;
}

// Cont mode keeps the scope capturing, the costlier path (history and screen).
void BM_ScopeSample(benchmark::State& state) {
    std::vector<double> values(static_cast<std::size_t>(state.range(0)), 0.5);
    double time = 0.0;
    KMessageRecorder messages;
    KScopeAcquisition scope({"Time", "", 0.02, 0, 1, false, false, &time}, Signals(values),
                            messages, "Scope");
    scope.SetMode(TriggerMode::Cont, 0.0);
    for (auto _ : state) {
        time = scope.NextSampleTime();
        values[0] = time;
        benchmark::DoNotOptimize(scope.Sample(time));
    }
    state.counters["channels"] = static_cast<double>(values.size());
    state.counters["ns_per_channel"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * static_cast<double>(values.size()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ScopeSample)->Arg(2)->Arg(8)->Arg(64);

void BM_DsaSample(benchmark::State& state) {
    std::vector<double> values(static_cast<std::size_t>(state.range(0)), 0.5);
    KMessageRecorder messages;
    KXferAcquisition xfer(Signals(values), KXferAcquisition::kMaxSupportedOrder, messages, "DSA");
    xfer.SetTStartDelay(0.0);
    xfer.Start(0.0);
    for (auto _ : state) {
        if (!xfer.IsRunning()) xfer.Start(xfer.NextSampleTime() < 0 ? 0.0 : xfer.NextSampleTime());
        benchmark::DoNotOptimize(xfer.Sample(xfer.NextSampleTime()));
    }
    state.counters["channels"] = static_cast<double>(values.size());
}
BENCHMARK(BM_DsaSample)->Arg(2)->Arg(64);

void BM_Fft(benchmark::State& state) {
    const int order = static_cast<int>(state.range(0));
    const std::size_t n = std::size_t{1} << order;
    std::mt19937 random(1);
    std::uniform_real_distribution<float> value(-1, 1);
    std::vector<float> source(n);
    for (float& v : source) v = value(random);
    std::vector<float> re(n), im(n);
    for (auto _ : state) {
        state.PauseTiming();
        re = source;
        std::fill(im.begin(), im.end(), 0.0f);
        state.ResumeTiming();
        Fft(re.data(), im.data(), order);
        benchmark::DoNotOptimize(re.data());
    }
}
BENCHMARK(BM_Fft)->Arg(11)->Arg(KXferAcquisition::kMaxSupportedOrder)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
