#include "engine/blocks_profile.h"

#include <algorithm>
#include <cmath>

#include "base/numberformat.h"
#include "engine/runerror.h"
#include "model/block.h"

namespace korvel {

namespace {

bool UsablePositive(double x) {
    return std::isfinite(x) && x > 0;
}

std::string NotPositive(std::string_view node, double value) {
    return "node \"" + std::string(node) + "\" is " + FormatGeneral(value, 6) +
           "; it must be a number greater than 0 to plan a move";
}

}  // namespace

// --- Planning ------------------------------------------------------------------------

void KProfilePlan::Clear(double sCurve) {
    phases_.clear();
    s_ = std::isfinite(sCurve) ? std::clamp(sCurve, 0.0, 1.0) : 0.0;
    time_ = 0.0;
    position_ = 0.0;
    speed_ = 0.0;
}

void KProfilePlan::AddPhase(double duration, double jerk, double a0) {
    if (duration <= 0) return;
    KProfilePhase phase;
    phase.start = time_;
    phase.duration = duration;
    phase.p0 = position_;
    phase.v0 = speed_;
    phase.a0 = a0;
    phase.jerk = jerk;
    phases_.push_back(phase);
    const double d = duration;
    position_ += speed_ * d + a0 * d * d / 2 + jerk * d * d * d / 6;
    speed_ += a0 * d + jerk * d * d / 2;
    time_ += d;
}

bool KProfilePlan::AddSegment(double d, double vEnd) {
    if (d == 0) return true;
    const double va = speed_;
    const double t = 2 * d / (va + vEnd);
    if (!(std::isfinite(t) && t >= 0)) return false;
    const double startPosition = position_;
    if (va == vEnd) {
        AddPhase(t, 0.0, 0.0);
    } else if (s_ == 0) {
        AddPhase(t, 0.0, (vEnd - va) / t);
    } else {
        const double tau = t * s_ / (1 + s_);
        const double a = (1 + s_) * (vEnd - va) / t;
        const double jerk = a / tau;
        AddPhase(tau, jerk, 0.0);
        AddPhase(t - 2 * tau, 0.0, a);
        AddPhase(tau, -jerk, a);
    }
    // The segment ends exactly where it was planned to, whatever the
    // rounding of the phase sums.
    position_ = startPosition + d;
    speed_ = vEnd;
    return true;
}

void KProfilePlan::AddDwell(double duration) {
    const std::size_t before = phases_.size();
    AddPhase(duration, 0.0, 0.0);
    if (phases_.size() > before) phases_.back().moving = false;
}

double KProfilePlan::Duration() const {
    return time_;
}

// --- The block ------------------------------------------------------------------------------

KLibraryProfile::KLibraryProfile(KBenchTop& benchTop, KBlock& block, KProfileKind kind)
    : KLibraryClass(benchTop, block),
      kind_(kind),
      move_(In("Move")),
      continuous_(In("Continuous")),
      pf_(In("Pf")),
      distance_(In("PDistance")),
      speed_(block.FindNode("VTraverse") ? In("VTraverse")
             : block.FindNode("VMax")    ? In("VMax")
                                         : nullptr),
      acceleration_(block.FindNode("AMax") ? In("AMax") : nullptr),
      deceleration_(block.FindNode("DMax") ? In("DMax") : nullptr),
      sCurve_(In("S-Curve")),
      dwell_(In("TDwell")),
      pc_(Out("Pc")),
      vc_(Out("Vc")),
      ac_(Out("Ac")),
      profiling_(Out("Profiling")),
      inMotion_(Out("In Motion")) {}

std::string KLibraryProfile::PlanSegments(double m) {
    switch (kind_) {
        case KProfileKind::AVD: {
            const double v = *speed_;
            const double a = *acceleration_;
            const double b = *deceleration_;
            if (!UsablePositive(v)) return NotPositive("VTraverse", v);
            if (!UsablePositive(a)) return NotPositive("AMax", a);
            if (!UsablePositive(b)) return NotPositive("DMax", b);
            const double dA = v * v / (2 * a);
            const double dB = v * v / (2 * b);
            if (dA + dB <= m) {
                plan_.AddSegment(dA, v);
                plan_.AddSegment(m - dA - dB, v);
                plan_.AddSegment(dB, 0.0);
            } else {
                const double peak = std::sqrt(2 * m / (1 / a + 1 / b));
                const double up = peak * peak / (2 * a);
                plan_.AddSegment(up, peak);
                plan_.AddSegment(m - up, 0.0);
            }
            return {};
        }
        case KProfileKind::ThirdsSpeed:
        case KProfileKind::ThirdsAcceleration: {
            double v = 0.0;
            if (kind_ == KProfileKind::ThirdsSpeed) {
                v = *speed_;
                if (!UsablePositive(v)) return NotPositive("VMax", v);
            } else {
                const double a = *acceleration_;
                if (!UsablePositive(a)) return NotPositive("AMax", a);
                v = std::sqrt(std::fabs(m * a / (*sCurve_ + 1) * 0.5));
                if (m > 0 && !UsablePositive(v)) {
                    return "the move cannot be planned with node \"S-Curve\" at " +
                           FormatGeneral(*sCurve_, 6);
                }
            }
            plan_.AddSegment(m * 0.25, v);
            plan_.AddSegment(m * 0.5, v);
            plan_.AddSegment(m * 0.25, 0.0);
            return {};
        }
        case KProfileKind::Triangular: {
            const double v = *speed_;
            if (!UsablePositive(v)) return NotPositive("VMax", v);
            plan_.AddSegment(m * 0.5, v);
            plan_.AddSegment(m * 0.5, 0.0);
            return {};
        }
    }
    return {};
}

void KLibraryProfile::Start(double time) {
    const double distance = *distance_;
    if (!std::isfinite(distance)) {
        throw KRunError("node \"PDistance\" is " + FormatGeneral(distance, 6) +
                        "; it must be a finite distance");
    }
    plan_.Clear(*sCurve_);
    const std::string why = PlanSegments(std::fabs(distance));
    if (!why.empty()) throw KRunError(why);
    const double dwell = *dwell_;
    plan_.AddDwell(std::isfinite(dwell) ? dwell : 0.0);
    sign_ = distance < 0 ? -1.0 : 1.0;
    startPosition_ = time == 0 ? *pf_ : *pc_;
    startTime_ = time;
    running_ = true;
    phase_ = 0;
}

bool KLibraryProfile::WriteAt(double time) {
    const std::vector<KProfilePhase>& phases = plan_.Phases();
    const double tau = std::max(time - startTime_, 0.0);
    if (phases.empty() || tau >= plan_.Duration()) {
        *pc_ = startPosition_ + sign_ * plan_.EndPosition();
        *vc_ = 0.0;
        *ac_ = 0.0;
        *profiling_ = 0.0;
        *inMotion_ = 0.0;
        running_ = false;
        return false;
    }
    // A discarded solver step can take the time back: search from the start.
    if (tau < phases[phase_].start) phase_ = 0;
    while (phase_ + 1 < phases.size() && tau >= phases[phase_ + 1].start) ++phase_;
    const KProfilePhase& p = phases[phase_];
    const double dt = tau - p.start;
    const double position = p.p0 + p.v0 * dt + p.a0 * dt * dt / 2 + p.jerk * dt * dt * dt / 6;
    const double speed = p.v0 + p.a0 * dt + p.jerk * dt * dt / 2;
    const double acceleration = p.a0 + p.jerk * dt;
    *pc_ = startPosition_ + sign_ * position;
    *vc_ = sign_ * speed;
    *ac_ = sign_ * acceleration;
    *profiling_ = 1.0;
    *inMotion_ = p.moving ? 1.0 : 0.0;
    return true;
}

bool KLibraryProfile::WantsStart() {
    if (*move_ > 0.5 && armed_) {
        armed_ = false;
        return true;
    }
    return *continuous_ > 0.5;
}

void KLibraryProfile::Compute(double time) {
    if (!(*move_ > 0.5)) armed_ = true;
    if (running_ && WriteAt(time)) return;
    if (!WantsStart()) return;
    Start(time);
    WriteAt(time);
}

}  // namespace korvel
