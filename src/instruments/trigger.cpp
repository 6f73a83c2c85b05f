#include "instruments/trigger.h"

#include <cmath>

#include "instruments/channel.h"

namespace korvel {

namespace {

constexpr double kAcTriggerCoefficient = 0.99;
// Auto mode forces a capture this many screens after the last trigger.
constexpr double kAutoScreens = 2.05;

}  // namespace

KTrigger::KTrigger(KChannel& source, const KTimeChannel& timeSource, double now)
    : source_(&source), timeSource_(timeSource), holdOffUntil_(now), autoDeadline_(now) {
    Arm();
}

void KTrigger::Arm() {
    state_ = initDelayOn_ ? TriggerState::WaitInitDelay : TriggerState::WaitPreLevel;
    eventsLeft_ = countEventsOn_ ? numEvents_ : 1;
}

void KTrigger::SetSource(KChannel& source) {
    Disarm();
    source_ = &source;
    Arm();
}

void KTrigger::SetPositiveSlope(bool positive) {
    Disarm();
    positiveSlope_ = positive;
    Arm();
}

void KTrigger::SetCountEvents(bool on) {
    Disarm();
    countEventsOn_ = on;
    Arm();
}

void KTrigger::SetNumEvents(int count) {
    Disarm();
    numEvents_ = count;
    Arm();
}

void KTrigger::SetDelayAfter(bool on) {
    Disarm();
    delayAfterOn_ = on;
    Arm();
}

void KTrigger::SetTDelayAfter(double t) {
    Disarm();
    tDelayAfter_ = t;
    Arm();
}

void KTrigger::SetInitDelay(bool on) {
    Disarm();
    initDelayOn_ = on;
    Arm();
}

void KTrigger::SetTInitDelay(double t) {
    Disarm();
    tInitDelay_ = t;
    Arm();
}

void KTrigger::SetCont() {
    continuous_ = true;
    auto_ = false;
}

void KTrigger::SetAuto(double now) {
    auto_ = true;
    continuous_ = false;
    autoDeadline_ = now;
    holdOffUntil_ = now;
}

void KTrigger::SetNormal(double now) {
    auto_ = false;
    continuous_ = false;
    holdOffUntil_ = now;
}

TriggerMode KTrigger::Mode() const {
    if (continuous_) return TriggerMode::Cont;
    return auto_ ? TriggerMode::Auto : TriggerMode::Normal;
}

void KTrigger::SetPosition(double percent) {
    // A position that is not a number would make the capture's point count
    // undefined; it counts as 0.
    if (!(percent >= 0.0)) percent = 0.0;
    if (percent > 100.0) percent = 100.0;
    position_ = percent;
}

double KTrigger::TimePerDivision() const {
    return timeSource_.HorizontalScale();
}

bool KTrigger::CheckTrigger(double now) {
    if (now < holdOffUntil_) return false;
    const double x = source_->Signal().mult * source_->Raw();
    if (!acTrigger && !source_->acCouple) {
        acValue_ = x;
    } else {
        acValue_ = (acValue_ + x - previousValue_) * kAcTriggerCoefficient;
    }
    previousValue_ = x;

    switch (state_) {
        case TriggerState::WaitInitDelay:
            if (now < tInitDelay_) return false;
            eventsLeft_ = countEventsOn_ ? numEvents_ : 1;
            state_ = TriggerState::WaitPreLevel;
            return LevelTest();
        case TriggerState::WaitPreLevel:
            return LevelTest();
        case TriggerState::WaitCrossing: {
            const bool beyond = positiveSlope_ ? acValue_ > level : acValue_ < level;
            if (!beyond) return false;
            if (--eventsLeft_ > 0) {
                state_ = TriggerState::WaitPreLevel;
                return false;
            }
            eventTime_ = now;
            if (!delayAfterOn_) return Fire(now);
            state_ = TriggerState::WaitDelayAfter;
            return DelayTest(now);
        }
        case TriggerState::WaitDelayAfter:
            return DelayTest(now);
        case TriggerState::Disarmed:
            break;
    }
    return false;
}

bool KTrigger::LevelTest() {
    const bool preLevel = positiveSlope_ ? acValue_ <= level : acValue_ >= level;
    if (preLevel) state_ = TriggerState::WaitCrossing;
    return false;
}

bool KTrigger::DelayTest(double now) {
    if (eventTime_ + tDelayAfter_ <= now) return Fire(now);
    return false;
}

bool KTrigger::Fire(double now) {
    state_ = TriggerState::Disarmed;
    triggerTime_ = now;
    triggered_ = true;
    const double screen = TimePerDivision() * 10.0;
    autoDeadline_ = now + screen * kAutoScreens;
    holdOffUntil_ = now + screen;
    return true;
}

bool KTrigger::AutoTimeout(double now) {
    if (!auto_ || now <= autoDeadline_) return false;
    autoDeadline_ = now + TimePerDivision() * 10.0 * kAutoScreens;
    return true;
}

bool KTrigger::TakeTriggered() {
    const bool was = triggered_;
    triggered_ = false;
    return was;
}

}  // namespace korvel
