// KTrigger: decides when the oscilloscope captures a screen.
//
// The trigger watches one channel's raw value (times its multiplier),
// optionally through its own AC filter, and walks a small state machine:
// WaitInitDelay (no crossing counts before TInitDelay), WaitPreLevel (the
// value must first be on the pre-level side: at or below the level for a
// positive slope, at or above it for a negative one), WaitCrossing (a value
// strictly beyond the level is a qualifying crossing; with count events on,
// the NumEvents-th one counts), WaitDelayAfter (fire TDelayAfter after the
// crossing) and Disarmed (after firing, until the scope re-arms it).
//
// "Now" is always the time of the sample being taken, passed in by the scope.
// After firing, no crossing is looked for during one screen of time (the
// hold-off); in Auto mode a capture is forced 20.5 divisions of time after
// the last trigger or the choice of Auto.
#pragma once

namespace korvel {

class KChannel;
class KTimeChannel;

enum class TriggerState { WaitInitDelay = 0, WaitPreLevel = 1, WaitCrossing = 2,
                          WaitDelayAfter = 3, Disarmed = 5 };

enum class TriggerMode { Cont, Auto, Normal };

class KTrigger {
public:
    KTrigger(KChannel& source, const KTimeChannel& timeSource, double now);

    void Arm();
    void Disarm() { state_ = TriggerState::Disarmed; }

    // Each of these disarms, stores, then arms.
    void SetSource(KChannel& source);
    void SetPositiveSlope(bool positive);
    void SetCountEvents(bool on);
    void SetNumEvents(int count);
    void SetDelayAfter(bool on);
    void SetTDelayAfter(double t);
    void SetInitDelay(bool on);
    void SetTInitDelay(double t);

    // Modes neither arm nor disarm.
    void SetCont();
    void SetAuto(double now);
    void SetNormal(double now);
    TriggerMode Mode() const;
    bool IsCont() const { return continuous_; }
    bool IsAuto() const { return auto_; }

    void SetPosition(double percent);
    double Position() const { return position_; }

    double level = 0.0;
    bool acTrigger = false;
    bool roll = false;

    // Answers true when the trigger fires at `now`.
    bool CheckTrigger(double now);
    // In Auto mode, true once `now` is past the auto deadline (moved on by one).
    bool AutoTimeout(double now);
    // The triggered flag, cleared by reading.
    bool TakeTriggered();

    TriggerState State() const { return state_; }
    const KChannel& Source() const { return *source_; }
    bool PositiveSlope() const { return positiveSlope_; }
    double TriggerTime() const { return triggerTime_; }

private:
    double TimePerDivision() const;
    bool LevelTest();
    bool DelayTest(double now);
    bool Fire(double now);

    KChannel* source_;
    const KTimeChannel& timeSource_;
    bool positiveSlope_ = true;
    double acValue_ = 0.0;
    double previousValue_ = 0.0;
    double position_ = 20.0;
    bool auto_ = true;
    bool continuous_ = false;
    bool initDelayOn_ = false;
    double tInitDelay_ = 0.0;
    bool countEventsOn_ = false;
    int numEvents_ = 1;
    bool delayAfterOn_ = false;
    double tDelayAfter_ = 0.0;
    int eventsLeft_ = 1;
    double eventTime_ = 0.0;
    double triggerTime_ = 0.0;
    double holdOffUntil_;
    double autoDeadline_;
    bool triggered_ = false;
    TriggerState state_ = TriggerState::WaitPreLevel;
};

}  // namespace korvel
