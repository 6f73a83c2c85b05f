// KLiveScopeAcquisition: the buffers and trigger of a live scope, the small
// oscilloscope drawn inside its block on the diagram.
//
// The block hands it the current node values at each evaluation (Compute);
// when the evaluation's time reaches the next sample time it takes one
// sample. P = 201 points make one screen (200 intervals over 10 divisions).
// Trigger states: 0 waiting for the value to be on the pre-level side,
// 1 armed, 2 capturing, 3 screen complete (until the diagram has drawn it).
// A capture starts with the newest history points before the trigger, as many
// as the trigger position asks (clamped to 0..99 percent).
//
// Buffers are allocated once, at construction.
#pragma once

#include <vector>

namespace korvel {

class Messages;

// The node values the block reads at each evaluation.
struct KLiveScopeInputs {
    double input1 = 0.0;
    double input2 = 0.0;          // two-channel scope only
    double triggerValue = 0.0;    // the trigger source as the block resolved it
    double timePerDivision = 0.1;
    double level = 0.0;
    double position = 20.0;       // percent
    bool positiveSlope = true;
    bool autoMode = true;
    bool acCouple1 = false;
    bool acCouple2 = false;
    bool acTrigger = false;
};

class KLiveScopeAcquisition {
public:
    static constexpr int kPoints = 201;

    explicit KLiveScopeAcquisition(bool twoChannels);

    void Compute(double t, const KLiveScopeInputs& in);
    // The instrument pass: false once after a single-shot screen completed.
    bool TakeSample();

    // The diagram has drawn the complete screen; the next trigger may come.
    void MarkDrawn() { drawn_ = true; }
    bool singleShot = false;

    int State() const { return state_; }
    double NextSampleTime() const { return nextSampleTime_; }
    double LastScreenEndTime() const { return lastScreenEnd_; }
    // Index of the last screen point (-1 before any capture).
    int FillIndex() const { return fill_; }
    double ScreenTime(int i) const { return screenTime_[static_cast<std::size_t>(i)]; }
    double ScreenValue(int channel, int i) const {
        return screen_[static_cast<std::size_t>(channel)][static_cast<std::size_t>(i)];
    }
    bool IsTwoChannel() const { return twoChannels_; }
    bool StopRequested() const { return stopRequest_; }

    // "Autoscale": the scale that shows the screen's largest magnitude
    // (times `mult`) within 4 divisions, on the 1-2-5 series. False after
    // the two-line error when too few points are on the screen or all are 0.
    bool Autoscale(int channel, double mult, double& scale, Messages& messages) const;

private:
    void Trigger(double t, const KLiveScopeInputs& in);

    bool twoChannels_;
    double nextSampleTime_ = 0.0;
    int state_ = 0;
    double lastScreenEnd_ = 0.0;
    double inputFilter_[2] = {0.0, 0.0};
    double previousInput_[2] = {0.0, 0.0};
    double triggerFilter_ = 0.0;
    double previousTrigger_ = 0.0;
    bool drawn_ = false;
    bool stopRequest_ = false;
    int write_ = 0;
    int fill_ = -1;
    std::vector<double> historyTime_;
    std::vector<double> history_[2];
    std::vector<double> screenTime_;
    std::vector<double> screen_[2];
};

}  // namespace korvel
