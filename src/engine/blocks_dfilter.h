// Digital filters: the z-domain filters of orders 1 to 6 with their
// coefficients on nodes, and the designed low-pass, notch, lead-lag and
// bi-quad filters whose coefficients follow from frequencies and dampings.
//
// Every filter runs one difference equation at each sample:
//   y[0] = (sum(i = 0..n) a[i] u[i] - sum(i = 1..n) b[i] y[i]) / b[0]
// with a the numerator and b the denominator coefficients, highest power of
// z first, and u, y the input and output histories (index = samples ago).
// A b[0] of 0 or an output that is no longer a finite number (a filter whose
// coefficients put a pole outside the unit circle, left to run) stops the run
// with a message naming the block, instead of feeding infinities onwards.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "engine/digitalblock.h"

namespace korvel {

// The difference equation of order N. Its memory holds, in this order, the
// numerator a, the denominator b, the input history u and the output history
// y (N + 1 each), then four design parameters for the designed filters, so
// a filter is small, its loops unroll, and the plan can keep the memories of
// many filters side by side (see DescribeGatedKernel).
template <int N>
class KLibraryDFilter : public KLibraryDigitalClass {
public:
    static_assert(N >= 1 && N <= 6);
    using Coefficients = std::array<double, N + 1>;
    static constexpr std::size_t kA = 0;
    static constexpr std::size_t kB = N + 1;
    static constexpr std::size_t kU = 2 * (N + 1);
    static constexpr std::size_t kY = 3 * (N + 1);
    static constexpr std::size_t kParameters = 4 * (N + 1);
    static constexpr std::size_t kMemorySize = kParameters + 4;

    // Clears both histories and the output.
    void ZeroStoredOutputs() override;

    // Coefficients, highest power of z first (for tests and displays).
    Coefficients Numerator() const { return Copy(kA); }
    Coefficients Denominator() const { return Copy(kB); }

    // Shifts the histories of `memory`, takes the input and returns the new
    // output; throws a run error when the output cannot be computed.
    static double Step(double input, double* memory);

protected:
    KLibraryDFilter(KBenchTop& benchTop, KBlock& block);
    void Step() { *out_ = Step(*in_, memory_); }

    const double* in_;
    double* out_;
    std::array<double, kMemorySize> ownMemory_{};
    double* memory_ = ownMemory_.data();

private:
    Coefficients Copy(std::size_t at) const {
        Coefficients c;
        for (std::size_t i = 0; i <= N; ++i) c[i] = memory_[at + i];
        return c;
    }
};

// (An z^n + ... + A0) / (Bn z^n + ... + B0), coefficients read at every
// sample so live changes act at once.
template <int N>
class KLibraryZFilter final : public KLibraryDFilter<N> {
public:
    KLibraryZFilter(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;

private:
    std::array<const double*, N + 1> an_{};
    std::array<const double*, N + 1> bn_{};
};

using KLibraryZFilter1 = KLibraryZFilter<1>;
using KLibraryZFilter2 = KLibraryZFilter<2>;
using KLibraryZFilter3 = KLibraryZFilter<3>;
using KLibraryZFilter4 = KLibraryZFilter<4>;
using KLibraryZFilter5 = KLibraryZFilter<5>;
using KLibraryZFilter6 = KLibraryZFilter<6>;

// The designs: pole-zero matching with unity gain at DC.
enum class KDFilterDesign { Lpf1, Lpf2, Lpf2a, Notch, LeadLag, BiQuad };

// The coefficients of a design for the absolute parameter values p (the
// frequencies in Hz and dampings in the node order of the block) and the
// sample period t. Exposed for tests.
struct KDFilterCoefficients {
    int order = 0;
    std::array<double, 3> a{};
    std::array<double, 3> b{};
};
KDFilterCoefficients DesignDigitalFilter(KDFilterDesign design, const std::array<double, 4>& p,
                                         double t);

constexpr int DesignOrder(KDFilterDesign design) {
    return design == KDFilterDesign::Lpf1 || design == KDFilterDesign::LeadLag ? 1 : 2;
}

// A designed filter: coefficients are recomputed when TSample changes and at
// a sample when a parameter node's value changed.
template <KDFilterDesign D>
class KLibraryDDesigned final : public KLibraryDFilter<DesignOrder(D)> {
public:
    KLibraryDDesigned(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    void UpdateCoefficients() override;
    bool DescribeGatedKernel(KKernel& kernel) override;

private:
    int parameterCount_ = 0;
    std::array<const double*, 4> nodes_{};
};

using KLibraryDLpf1 = KLibraryDDesigned<KDFilterDesign::Lpf1>;
using KLibraryDLpf2 = KLibraryDDesigned<KDFilterDesign::Lpf2>;
using KLibraryDLpf2a = KLibraryDDesigned<KDFilterDesign::Lpf2a>;
using KLibraryDNotch = KLibraryDDesigned<KDFilterDesign::Notch>;
using KLibraryDLeadLag = KLibraryDDesigned<KDFilterDesign::LeadLag>;
using KLibraryDBiQuad = KLibraryDDesigned<KDFilterDesign::BiQuad>;

}  // namespace korvel
