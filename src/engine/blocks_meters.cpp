#include "engine/blocks_meters.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "base/messages.h"
#include "base/numberformat.h"
#include "engine/benchtop.h"
#include "engine/digitalblock.h"
#include "engine/runerror.h"
#include "model/block.h"

namespace korvel {

namespace {

constexpr double kTwoPi = 2 * 3.1415926;
constexpr int kErrorTooManyHarmonics = 22;

bool High(double x) {
    return x > 0.5;
}

// Event inputs must be numbers: an edge of "not a number" means nothing, and
// counting or timing on it would be a silent wrong reading.
double EventInput(const double* slot, std::string_view node) {
    const double x = *slot;
    if (std::isnan(x)) throw KRunError("node \"" + std::string(node) + "\" is not a number");
    return x;
}

// floor(x + 0.5) held within the 32-bit signed range.
std::int64_t RoundToCount(double x) {
    constexpr double kLow = -2147483648.0;
    constexpr double kHigh = 2147483647.0;
    const double r = std::floor(x + 0.5);
    if (!(r >= kLow)) return static_cast<std::int64_t>(kLow);
    if (r > kHigh) return static_cast<std::int64_t>(kHigh);
    return static_cast<std::int64_t>(r);
}

}  // namespace

std::string MeterText(double value, double mult) {
    return FormatNumber(value * mult);
}

// --- Sampling meters ------------------------------------------------------------------

KLibraryMeter::KLibraryMeter(KBenchTop& benchTop, KBlock& block, const double* shown)
    : KLibraryClass(benchTop, block),
      shown_(shown),
      mult_(In("Mult")),
      tSample_(NodeValue("TSample")) {}

bool KLibraryMeter::DueSample(double time) {
    if (!(std::isfinite(tSample_) && tSample_ > 0)) {
        throw KRunError("node \"TSample\" is " + FormatGeneral(tSample_, 6) +
                        "; it must be a finite number of seconds greater than 0");
    }
    if (!IsSampleInstant(BenchTop()) || time < next_) return false;
    next_ += tSample_;
    return true;
}

KDisplayState KLibraryMeter::DisplayState() const {
    KDisplayState state;
    state.valueText = MeterText(*shown_, *mult_);
    return state;
}

KLibraryMeterAverage::KLibraryMeterAverage(KBenchTop& benchTop, KBlock& block, bool rms)
    : KLibraryMeter(benchTop, block, NodeSlot(benchTop, block, "Output")),
      rms_(rms),
      out_(Out("Output")),
      in_(In("Input")),
      a_(std::exp(-NodeValue("Filter") * kTwoPi * NodeValue("TSample"))) {}

void KLibraryMeterAverage::Compute(double time) {
    if (!DueSample(time)) return;
    const double x = *in_;
    if (rms_) {
        mean_ = x * x * (1 - a_) + mean_ * a_;
        *out_ = std::sqrt(mean_);
    } else {
        mean_ = x * (1 - a_) + mean_ * a_;
        *out_ = mean_;
    }
}

// --- Harmonic windows -------------------------------------------------------------------

void KHarmonicWindow::Open(double reference, double cycles, double time) {
    open = true;
    theta0 = reference;
    span = cycles * kTwoPi;
    a = 0.0;
    b = 0.0;
    start = time;
    previous = time;
}

bool KHarmonicWindow::Add(double input, double harmonic, double reference, double time) {
    if (!(reference >= theta0 - span && reference <= theta0 + span)) return false;
    const double dt = time - previous;
    a += input * std::sin(harmonic * reference) * dt;
    b += input * std::cos(harmonic * reference) * dt;
    previous = time;
    return true;
}

double KHarmonicWindow::Magnitude(double time) const {
    return std::sqrt(a * a + b * b) * 2 / (time - start);
}

double KHarmonicWindow::Angle() const {
    return a == 0 && b == 0 ? 0.0 : -std::atan2(a, b);
}

KLibraryMeterHarm::KLibraryMeterHarm(KBenchTop& benchTop, KBlock& block)
    : KLibraryMeter(benchTop, block, NodeSlot(benchTop, block, "Magnitude")),
      magnitude_(Out("Magnitude")),
      angle_(Out("Angle")),
      in_(In("Input")),
      reference_(In("Reference")),
      harmonic_(In("Harmonic")),
      hold_(In("Hold")),
      cycles_(In("Number Cycles")) {}

void KLibraryMeterHarm::Compute(double time) {
    if (!DueSample(time)) return;
    if (High(*hold_)) {
        window_.open = false;
        return;
    }
    if (!window_.open) {
        window_.Open(*reference_, *cycles_, time);
        return;
    }
    if (window_.Add(*in_, *harmonic_, *reference_, time)) return;
    *magnitude_ = window_.Magnitude(time);
    *angle_ = window_.Angle();
    window_.open = false;
}

// --- Harmonic correction table ------------------------------------------------------------

KLibraryHarmCorrTable::KLibraryHarmCorrTable(KBenchTop& benchTop, KBlock& block)
    : KLibraryMeter(benchTop, block, NodeSlot(benchTop, block, "Magnitude")),
      magnitude_(Out("Magnitude")),
      angle_(Out("Angle")),
      in_(In("Input")),
      reference_(In("Reference")),
      harmonic_(In("Harmonic")),
      cycles_(In("Number Cycles")),
      scale_(In("Correction Scale")),
      phaseOffset_(In("Correction Phase Offset")),
      clear_(In("Clear")),
      load_(In("Load Harmonic")),
      correction_(Out("Correction")),
      sineTerm_(Out("Sine Term of Harmonic Correction")),
      cosineTerm_(Out("Cosine Term of Harmonic Correction")) {
    const double slots = NodeValue("Maximum Number Harmonics");
    table_.resize(slots >= 1 && slots <= 10000 ? static_cast<std::size_t>(slots) : 0);
}

void KLibraryHarmCorrTable::Compute(double time) {
    const double reference = *reference_;
    if (IsSampleInstant(BenchTop())) {
        const bool clear = High(*clear_);
        const bool load = High(*load_);
        if (clear && !clearWasHigh_) {
            table_.assign(table_.size(), Slot{});
            window_.open = false;
        }
        if (load && !loadWasHigh_) window_.Open(reference, *cycles_, time);
        clearWasHigh_ = clear;
        loadWasHigh_ = load;
        if (DueSample(time) && window_.open && !window_.Add(*in_, *harmonic_, reference, time)) {
            Learn(time);
        }
    }
    // The correction follows the reference at every evaluation, from the
    // table as this evaluation left it.
    double correction = 0.0;
    for (const Slot& slot : table_) {
        if (slot.harmonic < 0) break;
        correction += slot.c * std::cos(slot.harmonic * reference) -
                      slot.s * std::sin(slot.harmonic * reference);
    }
    *correction_ = correction;
}

void KLibraryHarmCorrTable::Learn(double time) {
    const double m = window_.Magnitude(time) * *scale_;
    const double phi = window_.Angle() - *phaseOffset_;
    window_.open = false;
    const double wanted = std::floor(*harmonic_);
    Slot* found = nullptr;
    for (Slot& slot : table_) {
        if (slot.harmonic < 0 || slot.harmonic == wanted) {
            found = &slot;
            break;
        }
    }
    if (found == nullptr) {
        KTwoLineMessage message;
        message.caption = std::string(kCaptionError);
        message.number = kErrorTooManyHarmonics;
        message.description = "Too many harmonics";
        message.advice =
            "Stop program, increase value of node \"Maximum Number Harmonics\", and recompile.";
        BenchTop().Sink().ShowMessage(message);
        return;
    }
    found->harmonic = static_cast<int>(wanted);
    found->c += m * std::cos(phi);
    found->s += m * std::sin(phi);
    *sineTerm_ = found->s;
    *cosineTerm_ = found->c;
    *magnitude_ = std::sqrt(found->s * found->s + found->c * found->c);
    *angle_ = -std::atan2(found->s, found->c);
}

// --- Timer and counter -----------------------------------------------------------------------

KLibraryMeterTimer::KLibraryMeterTimer(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      out_(Out("Output")),
      mult_(In("Mult")),
      begin_(In("Begin")),
      stop_(In("/Stop")) {}

void KLibraryMeterTimer::Compute(double time) {
    if (!IsSampleInstant(BenchTop())) return;
    const bool begin = High(EventInput(begin_, "Begin"));
    const bool stop = High(EventInput(stop_, "/Stop"));
    if (begin && !beginWasHigh_ && !running_) {
        running_ = true;
        start_ = time;
    }
    beginWasHigh_ = begin;
    if (stop) {
        armed_ = true;
    } else if (running_ && armed_) {
        running_ = false;
        armed_ = false;
        *out_ = time - start_;
    }
}

KDisplayState KLibraryMeterTimer::DisplayState() const {
    KDisplayState state;
    state.valueText = MeterText(*out_, *mult_);
    return state;
}

KLibraryMeterCounter::KLibraryMeterCounter(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      count_(Out("Counter")),
      mult_(In("Mult")),
      up_(In("Up")),
      down_(In("Down")),
      clear_(In("Clear")),
      set_(In("Set")),
      setValue_(In("Set Value")),
      minimum_(In("Minimum Value")),
      maximum_(In("Maximum Value")),
      roll_(In("Roll?")),
      positiveRollover_(Out("Positive Rollover")),
      negativeRollover_(Out("Negative Rollover")) {}

void KLibraryMeterCounter::Compute(double) {
    if (!IsSampleInstant(BenchTop())) return;
    const bool up = High(EventInput(up_, "Up"));
    const bool down = High(EventInput(down_, "Down"));
    const bool set = High(EventInput(set_, "Set"));
    const bool clear = High(EventInput(clear_, "Clear"));
    const std::int64_t minimum = RoundToCount(EventInput(minimum_, "Minimum Value"));
    const std::int64_t maximum = RoundToCount(EventInput(maximum_, "Maximum Value"));
    const bool roll = High(*roll_);
    const bool upEdge = up && !upWasHigh_;
    const bool downEdge = down && !downWasHigh_;
    upWasHigh_ = up;
    downWasHigh_ = down;

    std::int64_t count = std::isfinite(*count_) ? RoundToCount(*count_) : 0;
    *positiveRollover_ = 0.0;
    *negativeRollover_ = 0.0;
    if (upEdge && !downEdge) {
        ++count;
        if (count > maximum) {
            if (roll) *positiveRollover_ = 1.0;
            count = roll ? minimum : maximum;
        }
    } else if (downEdge && !upEdge) {
        --count;
        if (count < minimum) {
            if (roll) *negativeRollover_ = 1.0;
            count = roll ? maximum : minimum;
        }
    }
    if (set) count = RoundToCount(EventInput(setValue_, "Set Value"));
    if (clear) count = 0;
    *count_ = static_cast<double>(count);
}

KDisplayState KLibraryMeterCounter::DisplayState() const {
    KDisplayState state;
    state.valueText = MeterText(*count_, *mult_);
    return state;
}

// --- Inspectors ----------------------------------------------------------------------------

KLibraryMeterInspect::KLibraryMeterInspect(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block), out_(Out("Output")), mult_(In("Mult")), in_(In("Input")) {}

void KLibraryMeterInspect::Compute(double) {
    if (IsSampleInstant(BenchTop())) *out_ = *in_;
}

KDisplayState KLibraryMeterInspect::DisplayState() const {
    KDisplayState state;
    state.valueText = MeterText(*out_, *mult_);
    return state;
}

KLibraryMeterTrigInspect::KLibraryMeterTrigInspect(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      out_(Out("Output")),
      mult_(In("Mult")),
      in_(In("Input")),
      trigger_(In("Trigger Input")),
      triggered_(Out("Trigger Output")) {}

void KLibraryMeterTrigInspect::Compute(double) {
    if (!IsSampleInstant(BenchTop())) return;
    if (!High(*trigger_)) {
        armed_ = true;
        *triggered_ = 0.0;
        return;
    }
    if (!armed_) return;
    armed_ = false;
    *out_ = *in_;
    *triggered_ = 1.0;
}

KDisplayState KLibraryMeterTrigInspect::DisplayState() const {
    KDisplayState state;
    state.valueText = MeterText(*out_, *mult_);
    return state;
}

}  // namespace korvel
