#include "instruments/livescope.h"

#include <algorithm>
#include <cmath>

#include "base/messages.h"
#include "base/stepping.h"

namespace korvel {

KLiveScopeAcquisition::KLiveScopeAcquisition(bool twoChannels)
    : twoChannels_(twoChannels),
      historyTime_(kPoints, 0.0),
      screenTime_(kPoints, 0.0) {
    for (int c = 0; c < 2; ++c) {
        history_[c].assign(kPoints, 0.0);
        screen_[c].assign(kPoints, 0.0);
    }
}

void KLiveScopeAcquisition::Compute(double t, const KLiveScopeInputs& in) {
    if (t < nextSampleTime_) return;
    const double period = in.timePerDivision * 10.0 / (kPoints - 1);
    nextSampleTime_ += period;
    const bool anyAc = in.acCouple1 || in.acCouple2 || in.acTrigger;
    // A 0.5 Hz corner for the AC filters.
    const double coefficient = anyAc ? std::exp(-period * 2.0 * 3.1415926 * 0.5) : 0.0;

    const double x = in.triggerValue;
    triggerFilter_ = in.acTrigger ? (triggerFilter_ + x - previousTrigger_) * coefficient : x;
    previousTrigger_ = x;
    Trigger(t, in);

    const double inputs[2] = {in.input1, in.input2};
    const bool ac[2] = {in.acCouple1, in.acCouple2};
    for (int c = 0; c < (twoChannels_ ? 2 : 1); ++c) {
        const double u = inputs[c];
        inputFilter_[c] = ac[c] ? (inputFilter_[c] + u - previousInput_[c]) * coefficient : u;
        previousInput_[c] = u;
    }

    if (state_ == 2) {
        ++fill_;
        screenTime_[static_cast<std::size_t>(fill_)] = t;
        for (int c = 0; c < 2; ++c) screen_[c][static_cast<std::size_t>(fill_)] = inputFilter_[c];
        if (fill_ >= kPoints - 1) {
            state_ = 3;
            drawn_ = false;
            lastScreenEnd_ = t;
            if (singleShot) stopRequest_ = true;
        }
    }
    write_ = (write_ + 1) % kPoints;
    historyTime_[static_cast<std::size_t>(write_)] = t;
    for (int c = 0; c < 2; ++c) history_[c][static_cast<std::size_t>(write_)] = inputFilter_[c];
    if (state_ == 3 && drawn_) state_ = 0;
}

void KLiveScopeAcquisition::Trigger(double t, const KLiveScopeInputs& in) {
    const double tenDivisions = 10.0 * in.timePerDivision;
    if (state_ == 0) {
        const bool preLevel =
            in.positiveSlope ? triggerFilter_ <= in.level : triggerFilter_ >= in.level;
        if (preLevel || (in.autoMode && lastScreenEnd_ + tenDivisions < t)) state_ = 1;
    }
    if (state_ != 1) return;
    const bool crossed = in.positiveSlope ? triggerFilter_ > in.level : triggerFilter_ < in.level;
    if (!crossed && !(in.autoMode && lastScreenEnd_ + 2 * tenDivisions < t)) return;
    state_ = 2;
    const double position = std::isnan(in.position) ? 0.0 : std::clamp(in.position, 0.0, 99.0);
    const int k = static_cast<int>(position * 0.01 * kPoints);
    for (int m = 0; m < k; ++m) {
        const auto from = static_cast<std::size_t>((write_ - k + 1 + m + kPoints) % kPoints);
        const auto to = static_cast<std::size_t>(m);
        screenTime_[to] = historyTime_[from];
        for (int c = 0; c < 2; ++c) screen_[c][to] = history_[c][from];
    }
    fill_ = k - 1;
}

bool KLiveScopeAcquisition::TakeSample() {
    if (!stopRequest_) return true;
    stopRequest_ = false;
    return false;
}

bool KLiveScopeAcquisition::Autoscale(int channel, double mult, double& scale,
                                      Messages& messages) const {
    if (fill_ + 1 < 10) {
        messages.ErrorMessage(0, "Cannot autoscale because too few points have been collected.",
                              "Run model and, if necessary, temporarily set trigger to auto to "
                              "ensure points are collected.");
        return false;
    }
    double peak = 0.0;
    for (int i = 0; i <= fill_; ++i) {
        peak = std::max(peak, std::abs(screen_[channel][static_cast<std::size_t>(i)]));
    }
    if (peak == 0.0) {
        messages.ErrorMessage(0, "Cannot autoscale because all points are 0.0.",
                              "Ensure input provides scope non-zero points.");
        return false;
    }
    scale = NextHighest10(peak * mult * 0.25);
    return true;
}

}  // namespace korvel
