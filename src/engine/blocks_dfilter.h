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
#include <string_view>

#include "engine/digitalblock.h"

namespace korvel {

// The difference equation of order N. Histories and coefficients are sized
// to the order, so a filter is small and its loops unroll.
template <int N>
class KLibraryDFilter : public KLibraryDigitalClass {
public:
    static_assert(N >= 1 && N <= 6);
    using Coefficients = std::array<double, N + 1>;

    // Clears both histories and the output.
    void ZeroStoredOutputs() override;

    // Coefficients, highest power of z first (for tests and displays).
    const Coefficients& Numerator() const { return a_; }
    const Coefficients& Denominator() const { return b_; }

protected:
    KLibraryDFilter(KBenchTop& benchTop, KBlock& block);
    // Shifts the histories, takes the input and writes the new output.
    void Step();

    Coefficients a_{};
    Coefficients b_{};

private:
    Coefficients u_{};
    Coefficients y_{};
    const double* in_;
    double* out_;
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

private:
    int parameterCount_ = 0;
    std::array<const double*, 4> nodes_{};
    std::array<double, 4> stored_{};
};

using KLibraryDLpf1 = KLibraryDDesigned<KDFilterDesign::Lpf1>;
using KLibraryDLpf2 = KLibraryDDesigned<KDFilterDesign::Lpf2>;
using KLibraryDLpf2a = KLibraryDDesigned<KDFilterDesign::Lpf2a>;
using KLibraryDNotch = KLibraryDDesigned<KDFilterDesign::Notch>;
using KLibraryDLeadLag = KLibraryDDesigned<KDFilterDesign::LeadLag>;
using KLibraryDBiQuad = KLibraryDDesigned<KDFilterDesign::BiQuad>;

}  // namespace korvel
