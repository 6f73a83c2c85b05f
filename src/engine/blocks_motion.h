// Motion and electromechanical blocks: the two-body compliant load, the
// three-phase transforms, friction, the harmonic error term and motor
// feedback quantisation. Angles in radians, SI units throughout. The motion
// profiles are in blocks_profile.h.
#pragma once

#include "engine/libraryclass.h"
#include "engine/variables.h"

namespace korvel {

// A motor and a load inertia joined by a spring "Ks" and a damper "Kcv",
// each with its own viscous friction ("Kmv", "Klv") and disturbance torque;
// the motor's speed is limited to +-"Vmax".
//
// Each evaluation takes the speeds and positions from the states of the
// current solver stage (so the method keeps its fourth order), applies the
// speed limit first, and then integrates the position from the limited
// speed, so a motor held at its limit turns at exactly Vmax.
class KLibraryMech2J final : public KLibraryClass {
public:
    KLibraryMech2J(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    void RefreshStateOutputs() override;

private:
    // The motor speed to use: the state, held within +-Vmax.
    double LimitedMotorSpeed() const;

    const double* tApplied_;
    const double* tMDist_;
    const double* tLDist_;
    const double* jm_;
    const double* jl_;
    const double* ks_;
    const double* kcv_;
    const double* kmv_;
    const double* klv_;
    const double* vmax_;
    KStateVar motorSpeed_;
    KStateVar motorPosition_;
    KStateVar loadSpeed_;
    KStateVar loadPosition_;
    double* am_;
    double* vm_;
    double* pm_;
    double* al_;
    double* vl_;
    double* pl_;
};

// Three phases to the rotating frame at angle "Theta" (amplitude-invariant).
class KLibraryABC2DQ final : public KLibraryClass {
public:
    KLibraryABC2DQ(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;

private:
    const double* a_;
    const double* b_;
    const double* c_;
    const double* theta_;
    double* direct_;
    double* quadrature_;
};

// The rotating frame back to three balanced phases.
class KLibraryDQ2ABC final : public KLibraryClass {
public:
    KLibraryDQ2ABC(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;

private:
    const double* direct_;
    const double* quadrature_;
    const double* theta_;
    double* a_;
    double* b_;
    double* c_;
};

// Coulomb friction opposing "Velocity", linear through zero within the
// "Break speed". A break speed of 0 or less gives pure Coulomb friction,
// -F sign(v), and 0 at rest.
class KLibraryFriction final : public KLibraryClass {
public:
    KLibraryFriction(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;

private:
    double* out_;
    const double* velocity_;
    const double* sliding_;
    const double* breakSpeed_;
};

// Feedback Out = Feedback In + Magnitude cos(Harmonic x Reference In + Phase).
class KLibraryHarmError final : public KLibraryClass {
public:
    KLibraryHarmError(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;

private:
    double* feedbackOut_;
    double* referenceOut_;
    const double* feedbackIn_;
    const double* referenceIn_;
    const double* magnitude_;
    const double* phase_;
    const double* harmonic_;
};

// Quantises the position to the encoder's counts: 4 x "Resolution" counts a
// turn for "Lines/rev", "Resolution" for "Counts/rev"; with "Enable" off the
// input passes through. A resolution that is not a number greater than 0
// stops the run with a message.
class KLibraryMotorFb final : public KLibraryClass {
public:
    KLibraryMotorFb(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;

private:
    double* out_;
    const double* in_;
    const double* resolution_;
    const double* type_;
    const double* enable_;
};

}  // namespace korvel
