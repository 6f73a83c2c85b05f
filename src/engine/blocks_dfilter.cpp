#include "engine/blocks_dfilter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "engine/runerror.h"

namespace korvel {

namespace {

constexpr double kTwoPi = 2 * 3.1415926;

struct PolePair {
    double p1;
    double p2;
};

// The z-plane pole pair of a second-order section of natural frequency f
// (Hz) and damping zeta, as the coefficients of z^2 + p1 z + p2.
PolePair MatchedPolePair(double f, double zeta, double t) {
    const double w = f * kTwoPi;
    const double decay = std::exp(-zeta * w * t);
    const double ring = zeta > 1 ? std::cosh(std::sqrt(zeta * zeta - 1) * w * t)
                                 : std::cos(std::sqrt(1 - zeta * zeta) * w * t);
    return {-2 * decay * ring, std::exp(-2 * zeta * w * t)};
}

// Divides the numerator by g = sum(a) / sum(b), which makes the DC gain one.
void NormaliseDcGain(KDFilterCoefficients& c) {
    double sumA = 0.0;
    double sumB = 0.0;
    for (int i = 0; i <= c.order; ++i) {
        sumA += c.a[static_cast<std::size_t>(i)];
        sumB += c.b[static_cast<std::size_t>(i)];
    }
    if (sumB == 0) return;
    const double g = sumA / sumB;
    if (g == 0) return;
    for (int i = 0; i <= c.order; ++i) c.a[static_cast<std::size_t>(i)] /= g;
}

struct DesignNodes {
    int count;
    std::array<std::string_view, 4> names;
};

DesignNodes NodesOf(KDFilterDesign design) {
    switch (design) {
        case KDFilterDesign::Lpf1:
            return {1, {"Frequency"}};
        case KDFilterDesign::Lpf2:
        case KDFilterDesign::Lpf2a:
        case KDFilterDesign::Notch:
            return {2, {"Frequency", "Damping"}};
        case KDFilterDesign::LeadLag:
            return {2, {"Numerator Frequency", "Denominator Frequency"}};
        case KDFilterDesign::BiQuad:
            return {4,
                    {"Numerator Frequency", "Numerator Damping", "Denominator Frequency",
                     "Denominator Damping"}};
    }
    return {0, {}};
}

}  // namespace

KDFilterCoefficients DesignDigitalFilter(KDFilterDesign design, const std::array<double, 4>& p,
                                         double t) {
    KDFilterCoefficients c;
    c.order = DesignOrder(design);
    switch (design) {
        case KDFilterDesign::Lpf1: {
            const double pole = std::exp(-p[0] * kTwoPi * t);
            c.b = {1, -pole, 0};
            c.a = {1 - pole, 0, 0};
            break;
        }
        case KDFilterDesign::Lpf2: {
            const PolePair d = MatchedPolePair(p[0], p[1], t);
            c.b = {1, d.p1, d.p2};
            c.a = {1 + d.p1 + d.p2, 0, 0};
            break;
        }
        case KDFilterDesign::Lpf2a: {
            const PolePair d = MatchedPolePair(p[0], p[1], t);
            const double zero = std::exp(-p[0] * kTwoPi * t / (2 * p[1]));
            const double g = (1 + d.p1 + d.p2) / (1 - zero);
            c.b = {1, d.p1, d.p2};
            c.a = {g, -g * zero, 0};
            break;
        }
        case KDFilterDesign::Notch: {
            const PolePair d = MatchedPolePair(p[0], p[1], t);
            const double wt = p[0] * kTwoPi * t;
            c.b = {1, d.p1, d.p2};
            c.a = {1, p[1] > 1 ? -2 * std::cosh(wt) : -2 * std::cos(wt), 1};
            NormaliseDcGain(c);
            break;
        }
        case KDFilterDesign::LeadLag:
            c.b = {1, -std::exp(-p[1] * kTwoPi * t), 0};
            c.a = {1, -std::exp(-p[0] * kTwoPi * t), 0};
            NormaliseDcGain(c);
            break;
        case KDFilterDesign::BiQuad: {
            const PolePair n = MatchedPolePair(p[0], p[1], t);
            const PolePair d = MatchedPolePair(p[2], p[3], t);
            c.b = {1, d.p1, d.p2};
            c.a = {1, n.p1, n.p2};
            NormaliseDcGain(c);
            break;
        }
    }
    return c;
}

// --- The difference equation ------------------------------------------------------

template <int N>
KLibraryDFilter<N>::KLibraryDFilter(KBenchTop& benchTop, KBlock& block)
    : KLibraryDigitalClass(benchTop, block), in_(this->In("Input")), out_(this->Out("Output")) {}

template <int N>
double KLibraryDFilter<N>::Step(double input, double* memory) {
    const double* a = memory + kA;
    const double* b = memory + kB;
    double* u = memory + kU;
    double* y = memory + kY;
    for (std::size_t i = N; i > 0; --i) {
        u[i] = u[i - 1];
        y[i] = y[i - 1];
    }
    u[0] = input;
    if (b[0] == 0) {
        throw KRunError(
            "the filter's leading denominator coefficient is 0, so its output "
            "cannot be computed");
    }
    double sum = 0.0;
    for (std::size_t i = 0; i <= N; ++i) sum += a[i] * u[i];
    for (std::size_t i = 1; i <= N; ++i) sum -= b[i] * y[i];
    // Designed filters have b[0] = 1, and x / 1 is x: skip the division.
    const double out = b[0] == 1 ? sum : sum / b[0];
    if (!std::isfinite(out) && std::isfinite(u[0])) {
        throw KRunError(
            "the filter's output is no longer a finite number; its coefficients "
            "make it unstable");
    }
    y[0] = out;
    return out;
}

template <int N>
void KLibraryDFilter<N>::ZeroStoredOutputs() {
    std::fill(memory_ + kU, memory_ + kParameters, 0.0);
    *out_ = 0.0;
}

// --- Z-domain filters ---------------------------------------------------------------

template <int N>
KLibraryZFilter<N>::KLibraryZFilter(KBenchTop& benchTop, KBlock& block)
    : KLibraryDFilter<N>(benchTop, block) {
    for (int i = 0; i <= N; ++i) {
        const std::string power = std::to_string(N - i);
        an_[static_cast<std::size_t>(i)] = this->In("A" + power);
        bn_[static_cast<std::size_t>(i)] = this->In("B" + power);
    }
}

template <int N>
void KLibraryZFilter<N>::Compute(double) {
    if (!this->IsSampling()) return;
    double* memory = this->memory_;
    for (std::size_t i = 0; i <= N; ++i) {
        memory[KLibraryDFilter<N>::kA + i] = *an_[i];
        memory[KLibraryDFilter<N>::kB + i] = *bn_[i];
    }
    this->Step();
}

// --- Designed filters ------------------------------------------------------------------

namespace {

// One sample of a designed filter over its memory, shared by the object and
// its kernel so both compute the same operations.
template <KDFilterDesign D>
struct Designed {
    static constexpr int kOrder = DesignOrder(D);
    using Filter = KLibraryDFilter<kOrder>;
    static constexpr std::size_t kParameters = Filter::kParameters;
    static constexpr int kCount = D == KDFilterDesign::Lpf1       ? 1
                                  : D == KDFilterDesign::BiQuad ? 4
                                                                : 2;

    static void Design(double t, double* memory) {
        std::array<double, 4> stored{};
        std::copy(memory + kParameters, memory + kParameters + 4, stored.begin());
        const KDFilterCoefficients c = DesignDigitalFilter(D, stored, t);
        for (std::size_t i = 0; i <= kOrder; ++i) {
            memory[Filter::kA + i] = c.a[i];
            memory[Filter::kB + i] = c.b[i];
        }
    }

    // Recomputes the coefficients when a parameter's magnitude changed, then
    // steps the difference equation.
    static double Sample(double input, const std::array<double, 4>& values, double t,
                         double* memory) {
        bool changed = false;
        for (std::size_t k = 0; k < kCount; ++k) {
            const double value = std::fabs(values[k]);
            if (value != memory[kParameters + k]) {
                memory[kParameters + k] = value;
                changed = true;
            }
        }
        if (changed) Design(t, memory);
        return Filter::Step(input, memory);
    }

    // Records: a input, b to e the parameters in node order, out, state the
    // memory's offset. A failing filter names itself through context.failed.
    static void Run(const KKernelContext& context, const KKernelRecord* records,
                    std::size_t count) {
        double* v = context.values;
        for (std::size_t i = 0; i < count; ++i) {
            const KKernelRecord& r = records[i];
            const std::array<double, 4> values{v[r.b], kCount > 1 ? v[r.c] : 0.0,
                                               kCount > 2 ? v[r.d] : 0.0,
                                               kCount > 3 ? v[r.e] : 0.0};
            try {
                v[r.out] = Sample(v[r.a], values, context.tSample, context.memory + r.state);
            } catch (const KRunError&) {
                *context.failed = static_cast<std::uint32_t>(i);
                throw;
            }
        }
    }
};

}  // namespace


template <KDFilterDesign D>
KLibraryDDesigned<D>::KLibraryDDesigned(KBenchTop& benchTop, KBlock& block)
    : KLibraryDFilter<DesignOrder(D)>(benchTop, block) {
    const DesignNodes nodes = NodesOf(D);
    parameterCount_ = nodes.count;
    for (int i = 0; i < parameterCount_; ++i) {
        const auto k = static_cast<std::size_t>(i);
        nodes_[k] = this->In(nodes.names[k]);
        this->memory_[Designed<D>::kParameters + k] = std::fabs(*nodes_[k]);
    }
    UpdateCoefficients();
}

template <KDFilterDesign D>
void KLibraryDDesigned<D>::UpdateCoefficients() {
    Designed<D>::Design(this->TSample(), this->memory_);
}

template <KDFilterDesign D>
void KLibraryDDesigned<D>::Compute(double) {
    if (!this->IsSampling()) return;
    std::array<double, 4> values{};
    for (int i = 0; i < parameterCount_; ++i) {
        values[static_cast<std::size_t>(i)] = *nodes_[static_cast<std::size_t>(i)];
    }
    *this->out_ = Designed<D>::Sample(*this->in_, values, this->TSample(), this->memory_);
}

template <KDFilterDesign D>
bool KLibraryDDesigned<D>::DescribeGatedKernel(KKernel& kernel) {
    kernel.run = &Designed<D>::Run;
    kernel.record.a = this->SlotIndex(this->in_);
    std::uint32_t* parameters[4] = {&kernel.record.b, &kernel.record.c, &kernel.record.d,
                                    &kernel.record.e};
    for (int i = 0; i < parameterCount_; ++i) {
        *parameters[i] = this->SlotIndex(nodes_[static_cast<std::size_t>(i)]);
    }
    kernel.record.out = this->SlotIndex(this->out_);
    kernel.memory = &this->memory_;
    kernel.memorySize = static_cast<std::uint32_t>(this->ownMemory_.size());
    return true;
}

template class KLibraryZFilter<1>;
template class KLibraryZFilter<2>;
template class KLibraryZFilter<3>;
template class KLibraryZFilter<4>;
template class KLibraryZFilter<5>;
template class KLibraryZFilter<6>;
template class KLibraryDDesigned<KDFilterDesign::Lpf1>;
template class KLibraryDDesigned<KDFilterDesign::Lpf2>;
template class KLibraryDDesigned<KDFilterDesign::Lpf2a>;
template class KLibraryDDesigned<KDFilterDesign::Notch>;
template class KLibraryDDesigned<KDFilterDesign::LeadLag>;
template class KLibraryDDesigned<KDFilterDesign::BiQuad>;

}  // namespace korvel
