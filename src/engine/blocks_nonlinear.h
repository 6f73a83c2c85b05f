// The memoryless and rate-based nonlinear blocks: switches, hysteresis,
// clamp, ramp limit, reversal shift and the deadbands.
//
// They decide through comparisons that stay quiet on not-a-number (see
// logiclevel.h): a control that is not a number counts as 0.5 or less, a
// limit or band that is not a number does not apply.
//
// The single-output shapes are operations of the shared families (see
// libraryfamilies.h), so they batch as kernels. The two-position switch and
// the hysteresis have kernels of their own: the switch writes two outputs,
// the hysteresis remembers its level in its own output slot, which is as pure
// as an evaluation can be (the same inputs and level give the same level, so
// evaluating twice at one time changes nothing). The ramp limit remembers the
// time of its last move, so it is a plain object.
#pragma once

#include <cmath>
#include <string_view>

#include "engine/kernel.h"
#include "engine/libraryclass.h"
#include "engine/libraryfamilies.h"

namespace korvel {

namespace nonlinearops {

struct Limits : KOpDefaults {
    static constexpr std::string_view kA = "Input";
    static constexpr std::string_view kB = "Minimum";
    static constexpr std::string_view kC = "Maximum";
};
struct Gains : KOpDefaults {
    static constexpr std::string_view kA = "Input";
    static constexpr std::string_view kB = "Positive Gain";
    static constexpr std::string_view kC = "Negative Gain";
};
struct Bands : KOpDefaults {
    static constexpr std::string_view kA = "Input";
    static constexpr std::string_view kB = "Positive Band";
    static constexpr std::string_view kC = "Negative Band";
};

// Limits to [Minimum, Maximum]; limits given the wrong way round are
// exchanged for the evaluation. Not-a-number passes through.
struct Clamp : Limits {
    static double Apply(double x, double minimum, double maximum) {
        if (std::isgreater(minimum, maximum)) {
            const double swap = minimum;
            minimum = maximum;
            maximum = swap;
        }
        if (std::isless(x, minimum)) return minimum;
        if (std::isgreater(x, maximum)) return maximum;
        return x;
    }
};
struct RevShift : Gains {
    static double Apply(double x, double positive, double negative) {
        return std::isgreater(x, 0.0) ? x * positive : x * negative;
    }
};
// Zero inside [Negative Band, Positive Band]; outside, the distance beyond the band.
struct Deadband : Bands {
    static double Apply(double x, double positive, double negative) {
        if (std::isgreater(x, positive)) return x - positive;
        if (std::isless(x, negative)) return x - negative;
        return 0.0;
    }
};
// Adds the band on the input's side, to make up for a deadband elsewhere.
struct DeadbandComp : Bands {
    static double Apply(double x, double positive, double negative) {
        return std::isgreaterequal(x, 0.0) ? x + positive : x + negative;
    }
};

}  // namespace nonlinearops

using KLibraryClamp = KLibraryTernary<nonlinearops::Clamp>;
using KLibraryRevShift = KLibraryTernary<nonlinearops::RevShift>;
using KLibraryDeadband = KLibraryTernary<nonlinearops::Deadband>;
using KLibraryDeadbandComp = KLibraryTernary<nonlinearops::DeadbandComp>;

// "Control" > 0.5 passes Input0 to Output0 and Input1 to Output1; otherwise
// (0.5 or less, or not a number) the inputs cross over.
class KLibrarySwitch final : public KLibraryClass {
public:
    KLibrarySwitch(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    bool DescribeKernel(KKernel& kernel) const override;

private:
    const double* control_;
    const double* in0_;
    const double* in1_;
    double* out0_;
    double* out1_;
};

// Output = Input3 above 2.5, Input2 above 1.5, Input1 above 0.5, else Input0.
class KLibrarySwitch4 final : public KLibraryClass {
public:
    KLibrarySwitch4(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    bool DescribeKernel(KKernel& kernel) const override;

private:
    const double* control_;
    const double* in_[4];
    double* out_;
};

// A logic level that rises when Input goes above "High Limit" and falls when
// it goes below "Low Limit"; it starts at "Initial State" (as a logic level).
class KLibraryHyster final : public KLibraryClass {
public:
    KLibraryHyster(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    bool DescribeKernel(KKernel& kernel) const override;

private:
    const double* in_;
    const double* low_;
    const double* high_;
    double* out_;
};

// Follows Input at most at "Positive Rate" upward and |"Negative Rate"|
// downward (units per second), starting from the stored output. It moves
// only when the time moves on, so the repeated evaluations at one time agree.
class KLibraryRampLimit final : public KLibraryClass {
public:
    KLibraryRampLimit(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    bool HasSideEffects() const override { return false; }

private:
    double* out_;
    const double* in_;
    const double* positiveRate_;
    const double* negativeRate_;
    double lastTime_ = 0.0;
};

}  // namespace korvel
