// Meters: the averaging and harmonic meters, the harmonic correction table,
// timer, counter and inspectors.
//
// They act once per solver step, at the evaluations where a digital
// controller samples (the last stage of a step and the very first
// evaluation, see IsSampleInstant): the other stages of a step evaluate the
// model at predicted states that are not points of the solution, and a meter
// or counter acting on them would record values and edges the solution never
// has. The sampling meters act at their own "TSample" on top of that, at the
// first step end at or after each due time.
//
// Every meter shows its reading times its display "Mult" (KDisplayed).
#pragma once

#include <cstdint>
#include <vector>

#include "engine/displaystate.h"
#include "engine/libraryclass.h"

namespace korvel {

// The base of the meters with a "TSample": DueSample says whether this
// evaluation is one of its samples, then advances the due time by TSample.
// A TSample that is not a finite number greater than 0 stops the run with a
// message at the first evaluation.
class KLibraryMeter : public KLibraryClass, public KDisplayed {
public:
    KDisplayState DisplayState() const override;

protected:
    KLibraryMeter(KBenchTop& benchTop, KBlock& block, const double* shown);
    bool DueSample(double time);
    double TSamplePeriod() const { return tSample_; }

private:
    const double* shown_;  // the output the display shows
    const double* mult_;
    double tSample_;
    double next_ = 0.0;
};

// "RMS Meter" and "DC Meter": a first-order average of Input^2 (shown as its
// root) or of Input, with a pole at "Filter" Hz.
class KLibraryMeterAverage : public KLibraryMeter {
public:
    KLibraryMeterAverage(KBenchTop& benchTop, KBlock& block, bool rms);
    void Compute(double time) override;

private:
    bool rms_;
    double* out_;
    const double* in_;
    double a_;
    double mean_ = 0.0;
};

class KLibraryMeterRMS final : public KLibraryMeterAverage {
public:
    KLibraryMeterRMS(KBenchTop& benchTop, KBlock& block)
        : KLibraryMeterAverage(benchTop, block, true) {}
};
class KLibraryMeterDC final : public KLibraryMeterAverage {
public:
    KLibraryMeterDC(KBenchTop& benchTop, KBlock& block)
        : KLibraryMeterAverage(benchTop, block, false) {}
};

// One measurement window of a harmonic: the Fourier sums of Input against
// the harmonic of a reference angle over "Number Cycles" turns of it.
struct KHarmonicWindow {
    bool open = false;
    double theta0 = 0.0;
    double span = 0.0;
    double a = 0.0;
    double b = 0.0;
    double start = 0.0;
    double previous = 0.0;

    void Open(double reference, double cycles, double time);
    // Adds one sample; false when the reference has left the window (the
    // sample is then not added and the caller reads the result).
    bool Add(double input, double harmonic, double reference, double time);
    double Magnitude(double time) const;
    double Angle() const;
};

// "Harmonic Meter": magnitude and angle of one harmonic of Input, measured
// over windows of "Number Cycles" turns of "Reference"; idle while "Hold".
class KLibraryMeterHarm final : public KLibraryMeter {
public:
    KLibraryMeterHarm(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;

private:
    double* magnitude_;
    double* angle_;
    const double* in_;
    const double* reference_;
    const double* harmonic_;
    const double* hold_;
    const double* cycles_;
    KHarmonicWindow window_;
};

// "Harmonic Correction Table": learns harmonics of Input (one per "Load
// Harmonic" edge) and outputs their sum as a correction of the reference.
class KLibraryHarmCorrTable final : public KLibraryMeter {
public:
    KLibraryHarmCorrTable(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;

private:
    struct Slot {
        int harmonic = -1;
        double c = 0.0;
        double s = 0.0;
    };
    void Learn(double time);

    double* magnitude_;
    double* angle_;
    const double* in_;
    const double* reference_;
    const double* harmonic_;
    const double* cycles_;
    const double* scale_;
    const double* phaseOffset_;
    const double* clear_;
    const double* load_;
    double* correction_;
    double* sineTerm_;
    double* cosineTerm_;
    std::vector<Slot> table_;
    KHarmonicWindow window_;
    bool clearWasHigh_ = false;
    bool loadWasHigh_ = false;
};

// "Timer": a rising edge of "Begin" starts it; once "/Stop" has been above
// 0.5, its fall stops it and the output shows the time between.
class KLibraryMeterTimer final : public KLibraryClass, public KDisplayed {
public:
    KLibraryMeterTimer(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    KDisplayState DisplayState() const override;

private:
    double* out_;
    const double* mult_;
    const double* begin_;
    const double* stop_;
    bool running_ = false;
    bool armed_ = false;
    bool beginWasHigh_ = false;
    double start_ = 0.0;
};

// "Counter": counts rising edges of "Up" and "Down" between its limits,
// rolling over or sticking at them, with "Set" and "Clear".
class KLibraryMeterCounter final : public KLibraryClass, public KDisplayed {
public:
    KLibraryMeterCounter(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    KDisplayState DisplayState() const override;

private:
    double* count_;
    const double* mult_;
    const double* up_;
    const double* down_;
    const double* clear_;
    const double* set_;
    const double* setValue_;
    const double* minimum_;
    const double* maximum_;
    const double* roll_;
    double* positiveRollover_;
    double* negativeRollover_;
    bool upWasHigh_ = false;
    bool downWasHigh_ = false;
};

// "Inspector" (Output = Input) and "Triggered Inspector" (Output takes Input
// on the first sample with "Trigger Input" high after it was low).
class KLibraryMeterInspect final : public KLibraryClass, public KDisplayed {
public:
    KLibraryMeterInspect(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    KDisplayState DisplayState() const override;

private:
    double* out_;
    const double* mult_;
    const double* in_;
};

class KLibraryMeterTrigInspect final : public KLibraryClass, public KDisplayed {
public:
    KLibraryMeterTrigInspect(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    KDisplayState DisplayState() const override;

private:
    double* out_;
    const double* mult_;
    const double* in_;
    const double* trigger_;
    double* triggered_;
    bool armed_ = false;
};

// The shown number of a meter: its output times its display "Mult".
std::string MeterText(double value, double mult);

}  // namespace korvel
