// KScopeAcquisition: the oscilloscope's acquisition, without its window.
//
// One object per Scope block. It watches every displayable variable (one
// KChannel each, in variable order) and the time (the KTimeChannel), keeps
// their history rings and one screen, and lets its KTrigger decide when a
// screen capture starts. The run loop calls Sample once per pass with the
// bench-top time; at most one sample is taken per call, at the times
// NextSampleTime asks for. Everything the window draws is here: the channels'
// screens and pixels, the screen ring's start and end, the trigger indicator
// and the last completed screen (CapturedScreen).
//
// Scope states: PreTrigger (history only, waiting for the trigger),
// Capturing (filling the screen) and Stopped (a single shot completed: the
// scope holds the run until single shot is switched off or Rearm is called
// at the next Run). Sampling stamps each sample with the time at which it is
// taken, and the trigger uses that time as "now".
//
// All buffers are allocated at construction; sampling never allocates.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "instruments/channel.h"
#include "instruments/signal.h"
#include "instruments/trigger.h"

namespace korvel {

class Messages;

enum class ScopeState { Stopped, Capturing, PreTrigger };

// A completed screen, oldest point first: the time of each point and each
// channel's value (after AC coupling, before the display multiplier).
struct KCapturedScreen {
    std::vector<double> time;
    std::vector<std::vector<double>> values;  // one per channel, in channel order
    int points = 0;                           // valid points (N once a screen completed)
    long captures = 0;                        // screens completed so far
};

class KScopeAcquisition {
public:
    static constexpr int kScreenPoints = 401;
    static constexpr int kHistoryLength = 802;
    static constexpr int kMostShown = 8;

    // `signals` are the model's displayable variables, in variable order.
    KScopeAcquisition(const KSignal& time, const std::vector<KSignal>& signals, Messages& messages,
                      std::string caption, int screenPoints = kScreenPoints,
                      int historyLength = kHistoryLength);

    // --- Run-loop side --------------------------------------------------------
    // False only when a single-shot capture has just completed.
    bool Sample(double t);
    double NextSampleTime() const { return nextSampleTime_; }
    // A new run: a scope stopped by a single shot waits for a trigger again.
    void Rearm();
    // Holding the model still after a single shot.
    bool WantsStop() const { return singleShot_ && state_ == ScopeState::Stopped; }
    // The display tick: trigger indicator and screen-complete flag.
    void Refresh();

    // --- Configuration ------------------------------------------------------------
    void SetTriggerSource(const std::string& name);  // unknown names are ignored
    void SetTriggerLevel(double level) { trigger_->level = level; }
    void SetPositiveSlope(bool positive) { trigger_->SetPositiveSlope(positive); }
    void SetTriggerPosition(double percent) { trigger_->SetPosition(percent); }
    // `now` is the time the mode is chosen at (Auto counts its deadline from it).
    void SetMode(TriggerMode mode, double now);
    void SetRoll(bool on) { trigger_->roll = on; }
    void SetAcTrigger(bool on) { trigger_->acTrigger = on; }
    void SetSingleShot(bool on) { singleShot_ = on; }
    // Stores the time base, re-seeds the history, and waits for a trigger.
    // A time per division that is not a positive number is ignored.
    void SetTimePerDivision(double seconds);
    // By channel name ("Time" for the time channel); false after an Error box.
    bool SetHorizontalChannel(const std::string& name);
    // The window's screen size in pixels, for every channel.
    void SetScreenSize(int height, int width);

    // --- Display state ------------------------------------------------------------
    const std::string& Caption() const { return caption_; }
    int ScreenPoints() const { return n_; }
    int HistoryLength() const { return h_; }
    int ChannelCount() const { return static_cast<int>(channels_.size()); }
    KChannel& Channel(int i) { return *channels_[static_cast<std::size_t>(i)]; }
    const KChannel& Channel(int i) const { return *channels_[static_cast<std::size_t>(i)]; }
    KTimeChannel& TimeChannel() { return *time_; }
    const KTimeChannel& TimeChannel() const { return *time_; }
    KTrigger& Trigger() { return *trigger_; }
    const KTrigger& Trigger() const { return *trigger_; }
    ScopeState State() const { return state_; }
    bool SingleShot() const { return singleShot_; }
    double SamplePeriod() const { return samplePeriod_; }
    int HistoryIndex() const { return historyIndex_; }
    int ScreenStart() const { return screenStart_; }
    int ScreenEnd() const { return screenEnd_; }
    int ScreenPointCount() const { return screenPointCount_; }
    bool ScreenComplete() const { return screenComplete_; }
    bool RepaintNeeded() const { return repaintNeeded_; }
    void ClearRepaintNeeded() { repaintNeeded_ = false; }
    bool IsXYMode() const { return xyMode_; }
    bool TriggerIndicatorLit() const { return indicatorLit_; }
    const KCapturedScreen& CapturedScreen() const { return captured_; }

    // --- Acquisition steps (public for the window and for tests) -----------------
    enum class Store { NotFull, Full, AlreadyFull };
    Store StoreSample(bool capture, double t);
    void StartCapture(double percent);
    void ClearPostTrigger(double fraction);
    void ReseedHistory();

private:
    // Counted rather than read off the ring's ends, which look the same for
    // an empty screen (end just before start) and a full one.
    bool ScreenFull() const { return screenPointCount_ == n_; }
    void StartEmptyCapture();
    void KeepCapturedScreen();
    KChannel* FindChannel(const std::string& name);

    Messages& messages_;
    std::string caption_;
    int n_;
    int h_;
    std::vector<std::unique_ptr<KChannel>> channels_;
    std::unique_ptr<KTimeChannel> time_;
    std::unique_ptr<KTrigger> trigger_;
    int historyIndex_ = 0;
    int screenStart_ = 0;
    int screenEnd_ = -1;
    int screenPointCount_ = 0;
    double nextSampleTime_ = 0.0;
    double samplePeriod_;
    double continuousPrefill_ = 0.0;
    ScopeState state_ = ScopeState::PreTrigger;
    bool singleShot_ = false;
    bool screenComplete_ = false;
    bool repaintNeeded_ = false;
    bool xyMode_ = false;
    bool indicatorLit_ = false;
    int indicatorCountdown_ = 0;
    KCapturedScreen captured_;
};

}  // namespace korvel
