#include "engine/blocks_filters.h"

#include <cmath>
#include <memory>
#include <string>

#include "engine/benchtop.h"
#include "engine/solver.h"

namespace korvel {

namespace {

constexpr double kOmegaFactor = 6.2831852;

// A state's start, or 0 when the formula gives no finite number.
double FiniteOrZero(double x) {
    return std::isfinite(x) ? x : 0.0;
}

}  // namespace

// --- General s-domain filters -------------------------------------------------

KLibrarySFilter::KLibrarySFilter(KBenchTop& benchTop, KBlock& block, int order)
    : KLibraryClass(benchTop, block), order_(order), in_(In("Input")) {
    for (int i = 0; i <= order_; ++i) a_[static_cast<std::size_t>(i)] = In("A" + std::to_string(i));
    for (int i = 0; i < order_; ++i) b_[static_cast<std::size_t>(i)] = In("B" + std::to_string(i));
    states_.reserve(static_cast<std::size_t>(order_));
    for (int i = 0; i < order_; ++i) {
        states_.push_back(std::make_unique<KStateVar>(benchTop, "Int" + std::to_string(i),
                                                      InternalStateDisplay(), 0.0));
    }
    // States registered one after another sit next to each other in the solver.
    x_ = states_.front()->ValuePtr();
    dx_ = states_.front()->DerivativePtr();
    out_ = Out("Output");
}

void KLibrarySFilter::Compute(double) {
    const int n = order_;
    double feedback = 0.0;
    for (int i = 0; i < n; ++i) feedback += *b_[static_cast<std::size_t>(i)] * x_[i];
    for (int i = 0; i + 1 < n; ++i) dx_[i] = x_[i + 1];
    const double top = *in_ - feedback;
    dx_[n - 1] = top;
    double y = *a_[static_cast<std::size_t>(n)] * top;
    for (int i = 0; i < n; ++i) y += *a_[static_cast<std::size_t>(i)] * x_[i];
    *out_ = y;
}

template <int Order>
void MakeSFilter(KBenchTop& benchTop, KBlock& block) {
    static_assert(Order >= 1 && Order <= KLibrarySFilter::kMaxOrder);
    benchTop.AddCompute(benchTop.Adopt(std::make_unique<KLibrarySFilter>(benchTop, block, Order)));
}

template void MakeSFilter<1>(KBenchTop&, KBlock&);
template void MakeSFilter<2>(KBenchTop&, KBlock&);
template void MakeSFilter<3>(KBenchTop&, KBlock&);
template void MakeSFilter<4>(KBenchTop&, KBlock&);
template void MakeSFilter<5>(KBenchTop&, KBlock&);
template void MakeSFilter<6>(KBenchTop&, KBlock&);

// --- Lead-lag ---------------------------------------------------------------------

KLibraryLeadLag::KLibraryLeadLag(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      in_(In("Input")),
      numerator_(In("Numerator Frequency")),
      denominator_(In("Denominator Frequency")),
      out_(Out("Output")),
      state_(benchTop, "LeadLag", InternalStateDisplay(),
             FiniteOrZero(NodeValue("Output") - *in_ * Ratio(*numerator_, *denominator_))) {
    UpdateFrequencies();
}

void KLibraryLeadLag::UpdateFrequencies() {
    fN_ = *numerator_;
    fD_ = *denominator_;
    omegaD_ = fD_ * kTwoPi;
    ratio_ = Ratio(fN_, fD_);
}

void KLibraryLeadLag::Compute(double) {
    if (*numerator_ != fN_ || *denominator_ != fD_) UpdateFrequencies();
    const double u = *in_;
    const double y = u * ratio_ + state_.Value();
    state_.Derivative() = (u - y) * omegaD_;
    *out_ = y;
}

void KLibraryLeadLag::ZeroStoredOutputs() {
    state_.SetValue(0.0);
    state_.Derivative() = 0.0;
    *out_ = 0.0;
}

// --- Two-pole family --------------------------------------------------------------

KLibrary2PoleFilter::Coefficients KLibrary2PoleFilter::For(Kind kind, const double* p) {
    Coefficients c;
    if (kind == Kind::BiQuad) {
        const double fN = p[0], zetaN = p[1], fD = p[2], zetaD = p[3];
        const double omegaN = kOmegaFactor * fN;
        const double omegaD = kOmegaFactor * fD;
        const double ratio = fD / fN;
        const double r = ratio * ratio;
        c.a0 = omegaD * omegaD;
        c.a1 = 2 * zetaD * fD * 2 * 3.1415926;
        c.b0 = r * (omegaN * omegaN);
        c.b1 = r * (2 * zetaN * fN * 2 * 3.1415926);
        c.b2 = r;
        return c;
    }
    const double f = p[0], zeta = p[1];
    const double omega = kOmegaFactor * f;
    c.a0 = omega * omega;
    c.a1 = 2 * zeta * f * 2 * 3.1415926;
    c.b0 = c.a0;
    c.b1 = kind == Kind::LowPassA ? c.a1 : 0.0;
    c.b2 = kind == Kind::Notch ? 1.0 : 0.0;
    return c;
}

std::array<const double*, KLibrary2PoleFilter::kMaxParameters>
KLibrary2PoleFilter::ResolveParameters() {
    if (kind_ == Kind::BiQuad) {
        return {In("Numerator Frequency"), In("Numerator Damping"), In("Denominator Frequency"),
                In("Denominator Damping")};
    }
    return {In("Frequency"), In("Damping"), nullptr, nullptr};
}

std::array<double, 2> KLibrary2PoleFilter::Starts() const {
    const double y0 = NodeValue("Output");
    const double u = *in_;
    return {FiniteOrZero(y0 * c_.a1 - u * c_.b1), FiniteOrZero(y0 - u * c_.b2)};
}

KLibrary2PoleFilter::KLibrary2PoleFilter(KBenchTop& benchTop, KBlock& block, Kind kind)
    : KLibraryClass(benchTop, block),
      kind_(kind),
      in_(In("Input")),
      parameters_(ResolveParameters()),
      stored_(ReadParameters()),
      c_(For(kind, stored_.data())),
      x1_(benchTop, "LowPass2-1", InternalStateDisplay(), Starts()[0]),
      x2_(benchTop, "LowPass2-2", InternalStateDisplay(), Starts()[1]),
      out_(nullptr),
      outputIsState_(kind == Kind::LowPass || kind == Kind::LowPassA) {
    out_ = outputIsState_ ? StateOut("Output", x2_) : Out("Output");
    if (!outputIsState_) *out_ = NodeValue("Output");
}

std::array<double, KLibrary2PoleFilter::kMaxParameters> KLibrary2PoleFilter::ReadParameters()
    const {
    std::array<double, kMaxParameters> values{};
    for (int i = 0; i < ParameterCount(); ++i) {
        values[static_cast<std::size_t>(i)] = *parameters_[static_cast<std::size_t>(i)];
    }
    return values;
}

void KLibrary2PoleFilter::UpdateCoefficients() {
    stored_ = ReadParameters();
    c_ = For(kind_, stored_.data());
}

void KLibrary2PoleFilter::Compute(double) {
    const int count = ParameterCount();
    for (int i = 0; i < count; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (*parameters_[k] != stored_[k]) {
            UpdateCoefficients();
            break;
        }
    }
    const double u = *in_;
    const double y = u * c_.b2 + x2_.Value();
    x1_.Derivative() = u * c_.b0 - y * c_.a0;
    x2_.Derivative() = u * c_.b1 + x1_.Value() - y * c_.a1;
    if (!outputIsState_) *out_ = y;
}

void KLibrary2PoleFilter::ZeroStoredOutputs() {
    UpdateCoefficients();
    x1_.SetValue(0.0);
    x2_.SetValue(0.0);
    x1_.Derivative() = 0.0;
    x2_.Derivative() = 0.0;
    *out_ = 0.0;
}

template <KLibrary2PoleFilter::Kind K>
void Make2PoleFilter(KBenchTop& benchTop, KBlock& block) {
    benchTop.AddCompute(benchTop.Adopt(std::make_unique<KLibrary2PoleFilter>(benchTop, block, K)));
}

template void Make2PoleFilter<KLibrary2PoleFilter::Kind::LowPass>(KBenchTop&, KBlock&);
template void Make2PoleFilter<KLibrary2PoleFilter::Kind::LowPassA>(KBenchTop&, KBlock&);
template void Make2PoleFilter<KLibrary2PoleFilter::Kind::Notch>(KBenchTop&, KBlock&);
template void Make2PoleFilter<KLibrary2PoleFilter::Kind::BiQuad>(KBenchTop&, KBlock&);

}  // namespace korvel
