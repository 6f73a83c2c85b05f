#include "engine/blocks_filters.h"

#include <cmath>
#include <memory>
#include <string>

#include "engine/benchtop.h"
#include "engine/solver.h"

namespace korvel {

namespace {

constexpr double kOmegaFactor = 6.2831852;

using Kind = KLibrary2PoleFilter::Kind;

// One evaluation of a two-pole filter on x = {x1, x2}: the output from the
// current states and input first, then both derivatives from it.
inline double TwoPole(const KLibrary2PoleFilter::Coefficients& c, double u, const double* x,
                      double* dx) {
    const double y = u * c.b2 + x[1];
    dx[0] = u * c.b0 - y * c.a0;
    dx[1] = u * c.b1 + x[0] - y * c.a1;
    return y;
}

constexpr bool OutputIsState(Kind kind) {
    return kind == Kind::LowPass || kind == Kind::LowPassA;
}

// a = Input, b, c = frequency and damping (the bi-quad's numerator), d, e =
// the bi-quad's denominator; the two states from `state` on.
template <Kind K>
void Run2PoleKernel(const KKernelContext& context, const KKernelRecord* records,
                    std::size_t count) {
    double* v = context.values;
    for (std::size_t i = 0; i < count; ++i) {
        const KKernelRecord& r = records[i];
        double parameters[4] = {v[r.b], v[r.c], 0.0, 0.0};
        if constexpr (K == Kind::BiQuad) {
            parameters[2] = v[r.d];
            parameters[3] = v[r.e];
        }
        const double y = TwoPole(KLibrary2PoleFilter::For(K, parameters), v[r.a],
                                 context.states + r.state, context.derivatives + r.state);
        if constexpr (!OutputIsState(K)) v[r.out] = y;
    }
}

// One evaluation of the lead-lag: answers the output, writes x'.
inline double LeadLag(double u, double ratio, double omegaD, double x, double& dx) {
    const double y = u * ratio + x;
    dx = (u - y) * omegaD;
    return y;
}

// a = Input, b = Numerator Frequency, c = Denominator Frequency.
void RunLeadLagKernel(const KKernelContext& context, const KKernelRecord* records,
                      std::size_t count) {
    double* v = context.values;
    for (std::size_t i = 0; i < count; ++i) {
        const KKernelRecord& r = records[i];
        const double fN = v[r.b];
        const double fD = v[r.c];
        v[r.out] = LeadLag(v[r.a], KLibraryLeadLag::Ratio(fN, fD), fD * KLibraryLeadLag::kTwoPi,
                           context.states[r.state], context.derivatives[r.state]);
    }
}

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
             FiniteOrZero(NodeValue("Output") - *in_ * Ratio(*numerator_, *denominator_))) {}

void KLibraryLeadLag::Compute(double) {
    const double fN = *numerator_;
    const double fD = *denominator_;
    *out_ = LeadLag(*in_, Ratio(fN, fD), fD * kTwoPi, state_.Value(), state_.Derivative());
}

bool KLibraryLeadLag::DescribeKernel(KKernel& kernel) const {
    kernel.run = &RunLeadLagKernel;
    kernel.fields = kFieldA | kFieldB | kFieldC | kFieldOut | kFieldState;
    kernel.record.a = SlotIndex(in_);
    kernel.record.b = SlotIndex(numerator_);
    kernel.record.c = SlotIndex(denominator_);
    kernel.record.out = SlotIndex(out_);
    kernel.record.state = state_.Index();
    return true;
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
    const Coefficients c = For(kind_, ReadParameters().data());
    return {FiniteOrZero(y0 * c.a1 - u * c.b1), FiniteOrZero(y0 - u * c.b2)};
}

KLibrary2PoleFilter::KLibrary2PoleFilter(KBenchTop& benchTop, KBlock& block, Kind kind)
    : KLibraryClass(benchTop, block),
      kind_(kind),
      in_(In("Input")),
      parameters_(ResolveParameters()),
      x1_(benchTop, "LowPass2-1", InternalStateDisplay(), Starts()[0]),
      x2_(benchTop, "LowPass2-2", InternalStateDisplay(), Starts()[1]),
      x_(x1_.ValuePtr()),
      dx_(x1_.DerivativePtr()),
      out_(nullptr),
      outputIsState_(OutputIsState(kind)) {
    out_ = outputIsState_ ? StateOut("Output", x2_) : Out("Output");
}

std::array<double, KLibrary2PoleFilter::kMaxParameters> KLibrary2PoleFilter::ReadParameters()
    const {
    std::array<double, kMaxParameters> values{};
    for (int i = 0; i < ParameterCount(); ++i) {
        values[static_cast<std::size_t>(i)] = *parameters_[static_cast<std::size_t>(i)];
    }
    return values;
}

void KLibrary2PoleFilter::Compute(double) {
    const double y = TwoPole(For(kind_, ReadParameters().data()), *in_, x_, dx_);
    if (!outputIsState_) *out_ = y;
}

bool KLibrary2PoleFilter::DescribeKernel(KKernel& kernel) const {
    switch (kind_) {
        case Kind::LowPass:
            kernel.run = &Run2PoleKernel<Kind::LowPass>;
            break;
        case Kind::LowPassA:
            kernel.run = &Run2PoleKernel<Kind::LowPassA>;
            break;
        case Kind::Notch:
            kernel.run = &Run2PoleKernel<Kind::Notch>;
            break;
        case Kind::BiQuad:
            kernel.run = &Run2PoleKernel<Kind::BiQuad>;
            kernel.record.d = SlotIndex(parameters_[2]);
            kernel.record.e = SlotIndex(parameters_[3]);
            break;
    }
    kernel.fields = kFieldA | kFieldB | kFieldC | kFieldState;
    if (kind_ == Kind::BiQuad) kernel.fields |= kFieldD | kFieldE;
    if (!outputIsState_) kernel.fields |= kFieldOut;
    kernel.record.a = SlotIndex(in_);
    kernel.record.b = SlotIndex(parameters_[0]);
    kernel.record.c = SlotIndex(parameters_[1]);
    kernel.record.out = SlotIndex(out_);
    kernel.record.state = x1_.Index();
    return true;
}

void KLibrary2PoleFilter::ZeroStoredOutputs() {
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
