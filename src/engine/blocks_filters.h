// The s-domain filters beyond the one-pole low-pass: the general filters of
// orders 1 to 6, the lead-lag, and the two-pole family (low-pass, low-pass
// (A), notch, bi-quad).
//
// Frequencies are in hertz and become angular frequencies with the literal
// factor 2 x 3.1415926, so models keep giving the numbers they always gave.
//
// Stored outputs: where a filter's output is not simply one of its states,
// the states start so that the filter reproduces the output it stored, with
// the input it sees when the model is built, and with its output not moving
// at first:
// - lead-lag: x = y0 - u wD/wN;
// - two-pole family: x2 = y0 - u b2 (the output) and x1 = y0 a1 - u b1 (the
//   output's derivative is zero);
// - the general filters start at zero, as they always have.
// A start that is not a finite number (a zero frequency in a ratio) is 0.
//
// The notch, the bi-quad and the lead-lag compute their output from the
// current input: their readers are ordered after them (the type table marks
// them kTraitFeedthroughOutputs), and a loop closed only through them is an
// algebraic loop.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "engine/kernel.h"
#include "engine/libraryclass.h"
#include "engine/variables.h"

namespace korvel {

// Y/U = (An s^n + ... + A1 s + A0) / (s^n + B(n-1) s^(n-1) + ... + B0) for
// n = 1..6, in controllable canonical form with states "Int0" .. "Int(n-1)"
// starting at 0. Coefficients are read at every evaluation, so live constants
// wired to them take effect at once.
class KLibrarySFilter final : public KLibraryClass {
public:
    static constexpr int kMaxOrder = 6;

    KLibrarySFilter(KBenchTop& benchTop, KBlock& block, int order);
    void Compute(double time) override;
    bool HasSideEffects() const override { return false; }

private:
    int order_;
    const double* in_;
    std::array<const double*, kMaxOrder + 1> a_{};
    std::array<const double*, kMaxOrder> b_{};
    std::vector<std::unique_ptr<KStateVar>> states_;
    const double* x_ = nullptr;  // the states, consecutive in the solver
    double* dx_ = nullptr;
    double* out_;
};

// Makes the filter of an order (1..6) and puts it on the compute list.
template <int Order>
void MakeSFilter(KBenchTop& benchTop, KBlock& block);

// (s/wN + 1) / (s/wD + 1), unity gain at DC: Output = u wD/wN + x and
// x' = (u - Output) wD, with the frequencies read at every evaluation.
// Zeroing stored outputs clears the state and output.
class KLibraryLeadLag final : public KLibraryClass {
public:
    KLibraryLeadLag(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    bool HasSideEffects() const override { return false; }
    bool DescribeKernel(KKernel& kernel) const override;
    void ZeroStoredOutputs() override;

    static constexpr double kTwoPi = 2 * 3.1415926;
    // wD / wN for the frequencies in hertz.
    static double Ratio(double fN, double fD) { return (fD * kTwoPi) / (fN * kTwoPi); }

private:
    const double* in_;
    const double* numerator_;
    const double* denominator_;
    double* out_;
    KStateVar state_;
};

// Y/U = (b2 s^2 + b1 s + b0) / (s^2 + a1 s + a0), states "LowPass2-1" and
// "LowPass2-2". Each evaluation forms the output from the current states and
// input first (y = u b2 + x2), then x1' = u b0 - y a0 and x2' = u b1 + x1 - y a1.
// The coefficients are formed from the parameter nodes at every evaluation
// (a few products), so a zero frequency is a division by zero of the block
// whenever it computes, and the object and its kernel agree to the bit.
class KLibrary2PoleFilter final : public KLibraryClass {
public:
    enum class Kind { LowPass, LowPassA, Notch, BiQuad };
    struct Coefficients {
        double a0 = 0, a1 = 0, b0 = 0, b1 = 0, b2 = 0;
    };

    KLibrary2PoleFilter(KBenchTop& benchTop, KBlock& block, Kind kind);
    void Compute(double time) override;
    bool DescribeKernel(KKernel& kernel) const override;
    bool HasSideEffects() const override { return false; }
    void ZeroStoredOutputs() override;

    // The coefficients of a kind for its parameters: frequency and damping,
    // or for the bi-quad numerator then denominator frequency and damping.
    static Coefficients For(Kind kind, const double* parameters);

private:
    static constexpr int kMaxParameters = 4;
    int ParameterCount() const { return kind_ == Kind::BiQuad ? 4 : 2; }

    std::array<const double*, kMaxParameters> ResolveParameters();
    std::array<double, kMaxParameters> ReadParameters() const;
    // The states' starts for the stored output (see the top of this file).
    std::array<double, 2> Starts() const;

    Kind kind_;
    const double* in_;
    std::array<const double*, kMaxParameters> parameters_;
    KStateVar x1_;
    KStateVar x2_;
    // Both states and derivatives, consecutive in the solver's arrays.
    const double* x_;
    double* dx_;
    // The low-pass kinds have b2 = 0: their output is the state x2, kept up
    // to date like any state output. The others write it in Compute.
    double* out_;
    bool outputIsState_;
};

// Makes a two-pole filter of a kind and puts it on the compute list.
template <KLibrary2PoleFilter::Kind K>
void Make2PoleFilter(KBenchTop& benchTop, KBlock& block);

}  // namespace korvel
