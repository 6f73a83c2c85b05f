// KXferAcquisition: the dynamic signal analyzer's acquisition and transfer
// function, without its window.
//
// One object per DSA block. Started (the window's run button, or the runner),
// it waits TStartDelay with the excitation at its offset, then takes N =
// 2^order samples TSample apart: at each it moves the excitation on (the
// generator runs until tEndDelay before the record's end, then the excitation
// returns to the offset so the response can decay inside the record) and
// every channel records its variable. The model sees the excitation half a
// sample period after each sample instant (ExcitationOutput).
//
// States: Stopped (the run button up; asks for no sample time), Starting
// (waiting for the first sample time), Sampling, Complete (the record is
// full; asks for no sample time). The transfer function output / input is
// worked out from the records' spectra when first read.
//
// Record buffers are allocated at construction for 2^MaxOrder points;
// sampling never allocates.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "instruments/excitation.h"
#include "instruments/signal.h"
#include "instruments/xferchannel.h"

namespace korvel {

class Messages;

enum class DsaState { Starting = 0, Sampling = 1, Complete = 2, Stopped = 3 };

class KXferAcquisition {
public:
    static constexpr int kMinOrder = 3;
    // Records up to 2^20 points: each channel holds 8 MiB at that length.
    static constexpr int kMaxSupportedOrder = 20;
    static constexpr int kMemories = 4;

    // `signals` are the model's displayable variables, in variable order;
    // fewer than two is a fatal error. `maxOrder` sizes the buffers and must
    // lie in [kMinOrder, kMaxSupportedOrder].
    KXferAcquisition(const std::vector<KSignal>& signals, int maxOrder, Messages& messages,
                     std::string caption);

    // --- Run-loop side --------------------------------------------------------
    // Always true: the analyzer never stops a run.
    bool Sample(double t);
    // The next sample time while Starting or Sampling; -1 otherwise (an
    // analyzer that is not sampling must not hold the model's time).
    double NextSampleTime() const;
    // Run button down: a new record starts TStartDelay after `now`.
    void Start(double now);
    // Run button up.
    void Stop() { state_ = DsaState::Stopped; }
    bool IsRunning() const { return state_ == DsaState::Starting || state_ == DsaState::Sampling; }
    // Sampling with spectrum mode off: the block sends the excitation.
    bool Active() const { return state_ == DsaState::Sampling && !spectrumMode_; }
    double ExcitationOutput(double now) const;
    DsaState State() const { return state_; }
    int SampleCount() const { return sampleCount_; }
    // Percent of the record collected, for the progress bar.
    int Progress() const;
    // The time the record is complete when started at `start`.
    double RecordEnd(double start) const { return start + tStartDelay_ + n_ * tSample_; }

    // --- Settings (each refusal is an Error box and keeps the old value) -----------
    void SetOrder(int order);
    void SetTSample(double t, double now);
    void SetTEndDelay(double t);
    void SetTStartDelay(double t);
    // Also clamps the excitation value into the new band.
    bool SetExcitationAmplitude(double a);
    void SetExcitationOffset(double offset) { excitation_.offset = offset; }
    bool SetInputChannel(const std::string& name);
    bool SetOutputChannel(const std::string& name);
    void SetSpectrumMode(bool on, double now);
    void SetBinaryGenerator(bool on) { excitation_.binary = on; }
    void SetBypassFilter(bool on) { excitation_.bypassFilter = on; }
    void AutoFrequency();

    int Order() const { return order_; }
    int MaxOrder() const { return maxOrder_; }
    int Points() const { return n_; }
    double TSample() const { return tSample_; }
    double TStartDelay() const { return tStartDelay_; }
    double TEndDelay() const { return tEndDelay_; }
    double ExcitationAmplitude() const { return excitation_.amplitude; }
    double ExcitationValue() const { return excitationValue_; }
    bool SpectrumMode() const { return spectrumMode_; }
    const std::string& Caption() const { return caption_; }

    // --- Results ----------------------------------------------------------------------
    int ChannelCount() const { return static_cast<int>(channels_.size()); }
    KXferChannel& Channel(int i) { return *channels_[static_cast<std::size_t>(i)]; }
    KXferChannel& InputChannel() { return *channels_[static_cast<std::size_t>(input_)]; }
    KXferChannel& OutputChannel() { return *channels_[static_cast<std::size_t>(output_)]; }
    // Frequency of bin k in hertz.
    double BinFrequency(int k) const { return k / (n_ * tSample_); }
    // Gain (dB) and phase (degrees) of output / input at fractional bin f of
    // a slot (0 the current record, 1 to 4 the memories), linearly
    // interpolated between bins; the output alone in spectrum mode.
    double TransferGain(int slot, double f);
    double TransferPhase(int slot, double f);
    // Copies every channel's current slot to memory m (1 to 4).
    void Store(int m);
    bool MemoryValid(int m) const { return memoryValid_[static_cast<std::size_t>(m)]; }

    // Display settings the window starts from.
    double frequencyMinimum = 2.0;
    double frequencyMaximum = 100.0;
    double gainScale = 20.0;
    double gainOffset = 0.0;
    double phaseScale = 90.0;
    double phaseOffset = 0.0;

private:
    std::string InDsa() const { return " in DSA \"" + caption_ + "\""; }
    int FindChannel(const std::string& name) const;
    double GainAt(int slot, int bin);
    double PhaseAt(int slot, int bin);
    void DiscardMemories();

    Messages& messages_;
    std::string caption_;
    std::vector<std::unique_ptr<KXferChannel>> channels_;
    int input_ = 0;
    int output_ = 1;
    int maxOrder_;
    int order_;
    int n_;
    double tSample_ = 0.001;
    double tStartDelay_ = 0.4;
    double tEndDelay_ = 0.2;
    KExcitation excitation_;
    double excitationValue_ = 0.0;
    double previousExcitation_ = 0.0;
    double excitationSampleTime_ = 0.0;
    double nextSampleTime_ = 0.0;
    double recordStart_ = 0.0;
    double excitationEnd_ = 0.0;
    int sampleCount_ = 0;
    DsaState state_ = DsaState::Stopped;
    bool spectrumMode_ = false;
    bool memoryValid_[kMemories + 1] = {};
};

}  // namespace korvel
