// Motion profiles: moves of "PDistance" planned as segments of constant
// acceleration (optionally S-curved), followed by a dwell of "TDwell".
//
// A move starts on a rising "Move" (armed while Move <= 0.5), or at once
// whenever no move runs while "Continuous" is on. It starts from "Pf" at
// time 0 and from the current "Pc" otherwise. While it runs, every
// evaluation writes the commanded position, speed and acceleration for the
// evaluation time; "Profiling" is 1 through the dwell, "In Motion" through
// the motion. A move is planned with |PDistance| and then carries the sign of
// PDistance in its travel, speed and acceleration, so a negative distance
// moves backwards. Parameters that cannot give a move (a speed or
// acceleration that is not a number greater than 0) stop the run with a
// message naming them.
#pragma once

#include <string>
#include <vector>

#include "engine/libraryclass.h"

namespace korvel {

// One phase of a planned move: constant jerk from its start.
struct KProfilePhase {
    double start = 0.0;  // time from the start of the move
    double duration = 0.0;
    double p0 = 0.0;  // position, speed and acceleration at its start
    double v0 = 0.0;
    double a0 = 0.0;
    double jerk = 0.0;
    bool moving = true;  // false for the dwell
};

// A planned move: its phases in order, from position 0 and speed 0, and the
// planning rules shared by the profile kinds.
class KProfilePlan {
public:
    // Room for the longest plan (three segments of three phases and a
    // dwell), so planning a move never allocates.
    KProfilePlan() { phases_.reserve(10); }
    // Starts a new plan with the S-curve share s (limited to [0, 1]).
    void Clear(double sCurve);
    // Appends a segment of distance d from the current end speed to vEnd;
    // false when the segment would take a negative or unusable time.
    bool AddSegment(double d, double vEnd);
    void AddDwell(double duration);
    const std::vector<KProfilePhase>& Phases() const { return phases_; }
    double Duration() const;
    // Where the plan ends.
    double EndPosition() const { return position_; }

private:
    void AddPhase(double duration, double jerk, double a0);

    std::vector<KProfilePhase> phases_;
    double s_ = 0.0;
    double time_ = 0.0;
    double position_ = 0.0;
    double speed_ = 0.0;
};

enum class KProfileKind { AVD, ThirdsSpeed, ThirdsAcceleration, Triangular };

class KLibraryProfile : public KLibraryClass {
public:
    KLibraryProfile(KBenchTop& benchTop, KBlock& block, KProfileKind kind);
    void Compute(double time) override;
    const KProfilePlan& Plan() const { return plan_; }

private:
    bool WantsStart();
    void Start(double time);
    // Plans the segments of |distance|; an empty text, or why it cannot.
    std::string PlanSegments(double distance);
    // Writes the outputs for the time; false once the move (with its dwell) is over.
    bool WriteAt(double time);

    KProfileKind kind_;
    const double* move_;
    const double* continuous_;
    const double* pf_;
    const double* distance_;
    const double* speed_;         // VTraverse or VMax (AVD, 1/3, triangular)
    const double* acceleration_;  // AMax (AVD, 1/3 by acceleration)
    const double* deceleration_;  // DMax (AVD)
    const double* sCurve_;
    const double* dwell_;
    double* pc_;
    double* vc_;
    double* ac_;
    double* profiling_;
    double* inMotion_;

    KProfilePlan plan_;
    bool running_ = false;
    bool armed_ = false;
    double startTime_ = 0.0;
    double startPosition_ = 0.0;
    double sign_ = 1.0;
    std::size_t phase_ = 0;
};

template <KProfileKind K>
class KLibraryProfileOf final : public KLibraryProfile {
public:
    KLibraryProfileOf(KBenchTop& benchTop, KBlock& block) : KLibraryProfile(benchTop, block, K) {}
};
using KLibraryProfileAVD = KLibraryProfileOf<KProfileKind::AVD>;
using KLibraryProfile333 = KLibraryProfileOf<KProfileKind::ThirdsSpeed>;
using KLibraryProfile333PA = KLibraryProfileOf<KProfileKind::ThirdsAcceleration>;
using KLibraryProfileTri = KLibraryProfileOf<KProfileKind::Triangular>;

}  // namespace korvel
