#include "instruments/scopeacquisition.h"

#include <algorithm>
#include <cmath>

#include "base/messages.h"

namespace korvel {

namespace {

// Roll mode drops this fraction of the screen each time the screen fills.
constexpr double kRollFraction = 0.01;
// Display ticks the trigger indicator stays lit after a trigger.
constexpr int kIndicatorTicks = 5;

}  // namespace

KScopeAcquisition::KScopeAcquisition(const KSignal& time, const std::vector<KSignal>& signals,
                                     Messages& messages, std::string caption, int screenPoints,
                                     int historyLength)
    : messages_(messages),
      caption_(std::move(caption)),
      n_(screenPoints),
      h_(std::max(historyLength, 2 * screenPoints)) {
    channels_.reserve(signals.size());
    int shown = 0;
    for (const KSignal& signal : signals) {
        auto channel = std::make_unique<KChannel>(signal, n_, h_);
        if (channel->shown && ++shown > kMostShown) channel->shown = false;
        channels_.push_back(std::move(channel));
    }
    time_ = std::make_unique<KTimeChannel>(time, n_, h_);
    KChannel* source = channels_.empty() ? static_cast<KChannel*>(time_.get()) : channels_[0].get();
    for (const auto& channel : channels_) {
        if (channel->shown) {
            source = channel.get();
            break;
        }
    }
    trigger_ = std::make_unique<KTrigger>(*source, *time_, 0.0);
    samplePeriod_ = time_->HorizontalScale() * 10.0 / (n_ - 1);

    captured_.time.assign(static_cast<std::size_t>(n_), 0.0);
    captured_.values.assign(channels_.size(), std::vector<double>(static_cast<std::size_t>(n_)));
}

bool KScopeAcquisition::Sample(double t) {
    if (t < nextSampleTime_) return true;
    nextSampleTime_ += samplePeriod_;
    // Samples that lag the clock by more than a whole screen and its history
    // would all be taken at this same time and show nothing new; a step far
    // longer than the sample period would otherwise need billions of passes.
    const double maxLag = (n_ + h_) * samplePeriod_;
    if (t - nextSampleTime_ > maxLag) nextSampleTime_ = t - maxLag;
    if (!singleShot_ && state_ == ScopeState::Stopped) state_ = ScopeState::PreTrigger;
    if (trigger_->IsCont() && state_ == ScopeState::PreTrigger) {
        StartCapture(continuousPrefill_);
        state_ = ScopeState::Capturing;
    }
    // The first screen of an Auto-mode scope starts with the run: an empty
    // capture whose first point is this sample.
    if (t == 0.0 && trigger_->IsAuto()) {
        if (state_ != ScopeState::Capturing) StartEmptyCapture();
        state_ = ScopeState::Capturing;
    }
    if (state_ == ScopeState::Capturing) {
        if (StoreSample(true, t) == Store::NotFull) return true;
        screenComplete_ = true;
        KeepCapturedScreen();
        if (singleShot_) {
            state_ = ScopeState::Stopped;
            return false;
        }
        if ((trigger_->IsCont() || trigger_->IsAuto()) && trigger_->roll) {
            ClearPostTrigger(kRollFraction);
            return true;
        }
        state_ = ScopeState::PreTrigger;
    } else if (state_ == ScopeState::PreTrigger) {
        StoreSample(false, t);
        if (trigger_->CheckTrigger(t)) {
            trigger_->Arm();
            StartCapture(std::trunc(trigger_->Position()));
            state_ = ScopeState::Capturing;
        }
        if (trigger_->AutoTimeout(t)) {
            trigger_->Arm();
            StartCapture(100.0);
            state_ = ScopeState::Capturing;
        }
    }
    return true;
}

KScopeAcquisition::Store KScopeAcquisition::StoreSample(bool capture, double t) {
    if (!capture) {
        historyIndex_ = (historyIndex_ + 1) % h_;
        time_->SampleHistory(historyIndex_, t);
        for (auto& channel : channels_) channel->SampleHistory(historyIndex_, channel->Raw());
        return Store::NotFull;
    }
    if (ScreenFull()) {
        messages_.ErrorBox("Internal Error: Screen Full");
        return Store::AlreadyFull;
    }
    historyIndex_ = (historyIndex_ + 1) % h_;
    screenEnd_ = (screenEnd_ + 1) % n_;
    ++screenPointCount_;
    time_->SampleHistoryAndScreen(historyIndex_, screenEnd_, t, messages_);
    for (auto& channel : channels_) {
        channel->SampleHistoryAndScreen(historyIndex_, screenEnd_, channel->Raw(), messages_);
    }
    // The first point of an empty capture fixes the time the columns count from.
    if (screenEnd_ == screenStart_) time_->SetScreenStart(screenStart_, screenEnd_, messages_);
    repaintNeeded_ = true;
    return ScreenFull() ? Store::Full : Store::NotFull;
}

void KScopeAcquisition::StartEmptyCapture() {
    screenStart_ = 0;
    screenEnd_ = -1;
    screenPointCount_ = 0;
    repaintNeeded_ = true;
}

void KScopeAcquisition::StartCapture(double percent) {
    int k = static_cast<int>(std::floor(n_ * percent * 0.01));
    if (k < 2) k = 2;
    if (k >= n_) k = n_ - 1;
    screenStart_ = 0;
    screenEnd_ = -1;
    screenPointCount_ = k;
    const int first = (historyIndex_ - k + h_ + 1) % h_;
    for (int m = 0; m < k; ++m) {
        const int i = (first + m) % h_;
        ++screenEnd_;
        time_->CopyHistoryToScreen(i, screenEnd_, messages_);
        for (auto& channel : channels_) channel->CopyHistoryToScreen(i, screenEnd_, messages_);
    }
    time_->SetScreenStart(screenStart_, screenEnd_, messages_);
    repaintNeeded_ = true;
}

void KScopeAcquisition::ClearPostTrigger(double fraction) {
    if (!ScreenFull()) messages_.ErrorBox("Internal Error: Screen Not Full in ClearPostTrigger");
    int k = static_cast<int>(std::ceil(n_ * fraction));
    k = std::clamp(k, 2, n_ - 2);
    screenStart_ = (screenEnd_ - (n_ - k) + n_ + 1) % n_;
    screenPointCount_ = n_ - k;
    time_->SetScreenStart(screenStart_, screenEnd_, messages_);
    repaintNeeded_ = true;
}

void KScopeAcquisition::ReseedHistory() {
    historyIndex_ = h_ - 1;
    for (int m = 0; m < h_; ++m) {
        const int slot = h_ - m - 1;
        time_->SetHistory(slot, nextSampleTime_ - (m + 1) * samplePeriod_);
        for (auto& channel : channels_) channel->SampleHistory(slot, channel->Raw());
    }
}

void KScopeAcquisition::KeepCapturedScreen() {
    int j = screenStart_;
    for (int p = 0; p < n_; ++p) {
        captured_.time[static_cast<std::size_t>(p)] = time_->Screen(j);
        for (std::size_t c = 0; c < channels_.size(); ++c) {
            captured_.values[c][static_cast<std::size_t>(p)] = channels_[c]->Screen(j);
        }
        j = (j + 1) % n_;
    }
    captured_.points = n_;
    ++captured_.captures;
}

void KScopeAcquisition::Rearm() {
    if (state_ == ScopeState::Stopped) state_ = ScopeState::PreTrigger;
}

void KScopeAcquisition::Refresh() {
    if (trigger_->TakeTriggered()) {
        indicatorCountdown_ = kIndicatorTicks;
        indicatorLit_ = true;
    } else if (indicatorCountdown_ < 1) {
        indicatorLit_ = false;
    } else {
        --indicatorCountdown_;
    }
    screenComplete_ = false;
    repaintNeeded_ = true;
}

void KScopeAcquisition::SetMode(TriggerMode mode, double now) {
    switch (mode) {
        case TriggerMode::Cont:
            trigger_->SetCont();
            break;
        case TriggerMode::Auto:
            trigger_->SetAuto(now);
            break;
        case TriggerMode::Normal:
            trigger_->SetNormal(now);
            break;
    }
}

void KScopeAcquisition::SetTimePerDivision(double seconds) {
    if (!(std::isfinite(seconds) && seconds > 0.0)) return;
    time_->SetHorizontalScale(seconds);
    samplePeriod_ = seconds * 10.0 / (n_ - 1);
    ReseedHistory();
    state_ = ScopeState::PreTrigger;
}

KChannel* KScopeAcquisition::FindChannel(const std::string& name) {
    for (auto& channel : channels_) {
        if (channel->Name() == name) return channel.get();
    }
    return nullptr;
}

void KScopeAcquisition::SetTriggerSource(const std::string& name) {
    if (KChannel* channel = FindChannel(name)) trigger_->SetSource(*channel);
}

bool KScopeAcquisition::SetHorizontalChannel(const std::string& name) {
    KChannel* chosen = name == time_->Name() ? time_.get() : FindChannel(name);
    if (chosen == nullptr) {
        messages_.ErrorBox("Horizontal Channel Invalid in Scope \"" + caption_ + "\"");
        return false;
    }
    time_->horizontal = false;
    for (auto& channel : channels_) channel->horizontal = false;
    chosen->horizontal = true;
    xyMode_ = !chosen->IsTime();
    repaintNeeded_ = true;
    return true;
}

void KScopeAcquisition::SetScreenSize(int height, int width) {
    time_->SetScreenSize(height, width, messages_);
    for (auto& channel : channels_) channel->SetScreenSize(height, width, messages_);
    ReseedHistory();
    state_ = ScopeState::PreTrigger;
    repaintNeeded_ = true;
}

}  // namespace korvel
