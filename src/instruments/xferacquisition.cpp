#include "instruments/xferacquisition.h"

#include <cmath>

#include "base/messages.h"
#include "base/stepping.h"

namespace korvel {

KXferAcquisition::KXferAcquisition(const std::vector<KSignal>& signals, int maxOrder,
                                   Messages& messages, std::string caption)
    : messages_(messages),
      caption_(std::move(caption)),
      maxOrder_(maxOrder),
      order_(maxOrder),
      n_(1 << maxOrder) {
    if (signals.size() < 2) messages_.FatalBox("DSA initialized with fewer than two variables.");
    channels_.reserve(signals.size());
    for (const KSignal& signal : signals) {
        channels_.push_back(std::make_unique<KXferChannel>(signal, maxOrder, messages));
    }
}

double KXferAcquisition::NextSampleTime() const {
    return IsRunning() ? nextSampleTime_ : -1.0;
}

void KXferAcquisition::Start(double now) {
    state_ = DsaState::Starting;
    nextSampleTime_ = now;
    recordStart_ = now + tStartDelay_;
    excitationEnd_ = recordStart_ + n_ * tSample_ - tEndDelay_;
    // The model sees the offset from its first evaluation, and each record
    // starts the generator and its shaping filter afresh.
    excitation_.Reset();
    excitationValue_ = excitation_.offset;
    previousExcitation_ = excitation_.offset;
    excitationSampleTime_ = now;
    for (auto& channel : channels_) channel->MarkChanged();
}

bool KXferAcquisition::Sample(double t) {
    if (state_ == DsaState::Stopped || state_ == DsaState::Complete || t < nextSampleTime_) {
        return true;
    }
    if (state_ == DsaState::Starting) {
        state_ = DsaState::Sampling;
        sampleCount_ = 0;
    }
    if (sampleCount_ >= n_) messages_.FatalBox("Xfer:  Sampling too many points");
    if (t < recordStart_) {
        excitationValue_ = excitation_.offset;
        excitation_.Reset();
    } else {
        previousExcitation_ = excitationValue_;
        excitationSampleTime_ = t;
        excitationValue_ =
            excitation_.Filtered(t < excitationEnd_ ? excitation_.NextGenerator() : excitation_.offset);
        for (auto& channel : channels_) channel->Sample(sampleCount_);
        if (++sampleCount_ >= n_) state_ = DsaState::Complete;
    }
    nextSampleTime_ += tSample_;
    return true;
}

double KXferAcquisition::ExcitationOutput(double now) const {
    return excitationSampleTime_ + tSample_ / 2 <= now ? excitationValue_ : previousExcitation_;
}

int KXferAcquisition::Progress() const {
    if (state_ != DsaState::Sampling) return 0;
    const double total = n_ * tSample_ + tStartDelay_;
    const double remaining = (n_ - sampleCount_) * tSample_;
    return static_cast<int>((total - remaining) * 100.0 / total);
}

void KXferAcquisition::DiscardMemories() {
    for (bool& valid : memoryValid_) valid = false;
}

void KXferAcquisition::SetOrder(int order) {
    if (order == order_) return;
    state_ = DsaState::Stopped;
    if (order < kMinOrder) {
        messages_.ErrorBox("Attempt to set Order < MinOrder" + InDsa());
        return;
    }
    if (order > maxOrder_) {
        messages_.ErrorBox("Attempt to set Order > MaxOrder" + InDsa());
        return;
    }
    order_ = order;
    n_ = 1 << order;
    for (auto& channel : channels_) channel->SetOrder(order);
    DiscardMemories();
}

void KXferAcquisition::SetTSample(double t, double now) {
    if (t == tSample_) return;
    state_ = DsaState::Stopped;
    if (t < 0) {
        messages_.ErrorBox("Attempt to set TSample < 0" + InDsa());
        return;
    }
    // A sample time of 0 would give infinite frequencies and a record that
    // never advances the model's time.
    if (!(t > 0) || !std::isfinite(t)) {
        messages_.ErrorBox("Sample Time must be > 0" + InDsa());
        return;
    }
    tSample_ = t;
    nextSampleTime_ = now;
    DiscardMemories();
}

void KXferAcquisition::SetTEndDelay(double t) {
    if (!(t >= 0)) {
        messages_.ErrorBox("Attempt to set tEndDelay < 0%" + InDsa());
        return;
    }
    if (t >= n_ * tSample_) {
        messages_.ErrorBox("Attempt to set tEndDelay >= 100% of Sample Time" + InDsa());
        return;
    }
    tEndDelay_ = t;
}

void KXferAcquisition::SetTStartDelay(double t) {
    if (!(t >= 0) || !std::isfinite(t)) {
        messages_.ErrorBox("Attempt to set TStartDelay < 0" + InDsa());
        return;
    }
    tStartDelay_ = t;
}

bool KXferAcquisition::SetExcitationAmplitude(double a) {
    if (!(a >= 0)) {
        messages_.ErrorBox("Attempt to set Excitation Amplitude < 0" + InDsa());
        return false;
    }
    excitation_.amplitude = a;
    const double top = excitation_.offset + a / 2;
    const double bottom = excitation_.offset - a / 2;
    if (excitationValue_ > top) excitationValue_ = top;
    if (excitationValue_ < bottom) excitationValue_ = bottom;
    return true;
}

int KXferAcquisition::FindChannel(const std::string& name) const {
    for (std::size_t i = 0; i < channels_.size(); ++i) {
        if (channels_[i]->Name() == name) return static_cast<int>(i);
    }
    return -1;
}

bool KXferAcquisition::SetInputChannel(const std::string& name) {
    const int i = FindChannel(name);
    if (i < 0) {
        messages_.ErrorBox("DSA Input Channel Error.  Cannot find channel " + name + InDsa());
        return false;
    }
    input_ = i;
    return true;
}

bool KXferAcquisition::SetOutputChannel(const std::string& name) {
    const int i = FindChannel(name);
    if (i < 0) {
        messages_.ErrorBox("DSA Output Channel Error.  Cannot find channel " + name + InDsa());
        return false;
    }
    output_ = i;
    return true;
}

void KXferAcquisition::SetSpectrumMode(bool on, double now) {
    spectrumMode_ = on;
    for (auto& channel : channels_) channel->windowOn = on;
    Start(now);
}

void KXferAcquisition::AutoFrequency() {
    frequencyMaximum = 0.25 / tSample_;
    frequencyMinimum = NextHighest10(1.0 / (tSample_ * n_));
}

double KXferAcquisition::GainAt(int slot, int bin) {
    const double out = OutputChannel().Gain(slot, bin);
    return spectrumMode_ ? out : out - InputChannel().Gain(slot, bin);
}

double KXferAcquisition::PhaseAt(int slot, int bin) {
    double p = OutputChannel().Phase(slot, bin);
    if (!spectrumMode_) p -= InputChannel().Phase(slot, bin);
    if (p > 90.0) p -= 360.0;
    if (p < -270.0) p += 360.0;
    return p;
}

double KXferAcquisition::TransferGain(int slot, double f) {
    const int k = static_cast<int>(std::floor(f));
    if (f == k) return GainAt(slot, k);
    return (k + 1 - f) * GainAt(slot, k) + (f - k) * GainAt(slot, k + 1);
}

double KXferAcquisition::TransferPhase(int slot, double f) {
    const int k = static_cast<int>(std::floor(f));
    if (f == k) return PhaseAt(slot, k);
    return (k + 1 - f) * PhaseAt(slot, k) + (f - k) * PhaseAt(slot, k + 1);
}

void KXferAcquisition::Store(int m) {
    for (auto& channel : channels_) channel->Store(m);
    memoryValid_[static_cast<std::size_t>(m)] = true;
}

}  // namespace korvel
