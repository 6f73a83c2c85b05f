#include "engine/blocks_motion.h"

#include <cmath>
#include <string>

#include "base/numberformat.h"
#include "engine/runerror.h"

namespace korvel {

namespace {

// One third of the literal turn the wave blocks use.
constexpr double kThirdTurn = 2.094395066666667;
constexpr double kQuarterTurn = 1.5707963;
constexpr double kTurn = 6.2831852;

}  // namespace

// --- Two-body compliant load ---------------------------------------------------------

KLibraryMech2J::KLibraryMech2J(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      tApplied_(In("tApplied")),
      tMDist_(In("tMDist")),
      tLDist_(In("tLDist")),
      jm_(In("Jm")),
      jl_(In("Jl")),
      ks_(In("Ks")),
      kcv_(In("Kcv")),
      kmv_(In("Kmv")),
      klv_(In("Klv")),
      vmax_(In("Vmax")),
      motorSpeed_(benchTop, "Mech2Jmv", InternalStateDisplay(), NodeValue("Vm")),
      motorPosition_(benchTop, "Mech2Jmp", InternalStateDisplay(), NodeValue("Pm")),
      loadSpeed_(benchTop, "Mech2Jlv", InternalStateDisplay(), NodeValue("Vl")),
      loadPosition_(benchTop, "Mech2Jlp", InternalStateDisplay(), NodeValue("Pl")),
      am_(Out("Am")),
      vm_(Out("Vm")),
      pm_(Out("Pm")),
      al_(Out("Al")),
      vl_(Out("Vl")),
      pl_(Out("Pl")) {
    RefreshBeforeEachEvaluation();
    RefreshStateOutputs();
}

double KLibraryMech2J::LimitedMotorSpeed() const {
    const double v = motorSpeed_.Value();
    const double vmax = *vmax_;
    if (v > vmax) return vmax;
    if (v < -vmax) return -vmax;
    return v;
}

void KLibraryMech2J::RefreshStateOutputs() {
    *vm_ = LimitedMotorSpeed();
    *pm_ = motorPosition_.Value();
    *vl_ = loadSpeed_.Value();
    *pl_ = loadPosition_.Value();
}

void KLibraryMech2J::Compute(double) {
    const double vm = LimitedMotorSpeed();
    if (vm != motorSpeed_.Value()) {
        // Held at the limit for the rest of the step; the value changes now,
        // so this evaluation already works with the limited speed.
        motorSpeed_.ResetTo(vm);
        motorSpeed_.SetValue(vm);
    }
    const double pm = motorPosition_.Value();
    const double vl = loadSpeed_.Value();
    const double pl = loadPosition_.Value();
    const double jm = *jm_;
    const double jl = *jl_;
    if (jm == 0 || jl == 0) throw KRunError(std::string(kDivisionByZero));
    const double kcv = *kcv_;
    const double ks = *ks_;
    const double am = (*tApplied_ + *tMDist_ - vm * *kmv_ + (vl - vm) * kcv + (pl - pm) * ks) / jm;
    const double al = (*tLDist_ - vl * *klv_ + (vm - vl) * kcv + (pm - pl) * ks) / jl;
    motorSpeed_.Derivative() = am;
    motorPosition_.Derivative() = vm;
    loadSpeed_.Derivative() = al;
    loadPosition_.Derivative() = vl;
    *am_ = am;
    *al_ = al;
    *vm_ = vm;
    *pm_ = pm;
    *vl_ = vl;
    *pl_ = pl;
}

// --- Transforms -------------------------------------------------------------------------

KLibraryABC2DQ::KLibraryABC2DQ(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      a_(In("Phase A")),
      b_(In("Phase B")),
      c_(In("Phase C")),
      theta_(In("Theta")),
      direct_(Out("Direct")),
      quadrature_(Out("Quadrature")) {}

void KLibraryABC2DQ::Compute(double) {
    const double theta = *theta_;
    const double c0 = std::cos(theta);
    const double c1 = std::cos(theta - kThirdTurn);
    const double s0 = std::sin(theta);
    const double s1 = std::sin(theta - kThirdTurn);
    const double a = *a_;
    const double b = *b_;
    const double c = *c_;
    *direct_ = (2.0 / 3.0) * (a * c0 + b * c1 + c * (-c0 - c1));
    *quadrature_ = (2.0 / 3.0) * (a * s0 + b * s1 + c * (-s0 - s1));
}

KLibraryDQ2ABC::KLibraryDQ2ABC(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      direct_(In("Direct")),
      quadrature_(In("Quadrature")),
      theta_(In("Theta")),
      a_(Out("Phase A")),
      b_(Out("Phase B")),
      c_(Out("Phase C")) {}

void KLibraryDQ2ABC::Compute(double) {
    const double theta = *theta_;
    const double d = *direct_;
    const double q = *quadrature_;
    const double a = d * std::cos(theta) + q * std::sin(theta);
    const double b = d * std::cos(theta - kThirdTurn) + q * std::sin(theta - kThirdTurn);
    *a_ = a;
    *b_ = b;
    *c_ = -a - b;
}

// --- Friction, harmonic error, feedback ----------------------------------------------------

KLibraryFriction::KLibraryFriction(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      out_(Out("Output")),
      velocity_(In("Velocity")),
      sliding_(In("Sliding Friction")),
      breakSpeed_(In("Break speed")) {}

void KLibraryFriction::Compute(double) {
    const double v = *velocity_;
    const double f = *sliding_;
    const double b = *breakSpeed_;
    if (!(b > 0)) {
        // No linear zone: pure Coulomb friction (dividing by the zero break
        // speed would make 0/0 at rest).
        *out_ = v > 0 ? -f : v < 0 ? f : 0.0;
        return;
    }
    if (v > b) {
        *out_ = -f;
    } else if (v < -b) {
        *out_ = f;
    } else {
        *out_ = -(v / b) * f;
    }
}

KLibraryHarmError::KLibraryHarmError(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      feedbackOut_(Out("Feedback Out")),
      referenceOut_(Out("Reference Out")),
      feedbackIn_(In("Feedback In")),
      referenceIn_(In("Reference In")),
      magnitude_(In("Magnitude")),
      phase_(In("Phase")),
      harmonic_(In("Harmonic")) {}

void KLibraryHarmError::Compute(double) {
    const double reference = *referenceIn_;
    *referenceOut_ = reference;
    *feedbackOut_ = *feedbackIn_ + *magnitude_ * std::cos(reference * *harmonic_ + *phase_);
}

KLibraryMotorFb::KLibraryMotorFb(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      out_(Out("Output Position")),
      in_(In("Input Position")),
      resolution_(In("Resolution")),
      type_(In("Resoution Type")),
      enable_(In("Enable")) {}

void KLibraryMotorFb::Compute(double) {
    const double input = *in_;
    if (!(*enable_ > 0.5)) {
        *out_ = input;
        return;
    }
    const double resolution = *resolution_;
    if (!(std::isfinite(resolution) && resolution > 0)) {
        throw KRunError("node \"Resolution\" is " + FormatGeneral(resolution, 6) +
                        "; it must be a number greater than 0");
    }
    const double q = (*type_ > 0.5 ? kTurn : kQuarterTurn) / resolution;
    *out_ = std::floor(input / q + 0.5) * q;
}

}  // namespace korvel
