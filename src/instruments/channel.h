// KChannel: one variable as the oscilloscope records it.
//
// A channel keeps a ring of recent samples (the history, H long) and one
// screen of samples (N long) with the pixel row and column of each screen
// point. Samples pass through the channel's AC-coupling filter when it is on
// (never for the time channel). Buffers are allocated once, at construction;
// sampling never allocates.
//
// Pixels are worked out only once the window has told the channel its screen
// size (SetScreenSize). Before that, sampling stores values only, so a
// headless run needs no screen; asking for a pixel explicitly reports the
// "not initialized" Internal Error.
//
// KTimeChannel carries the model's time. It is created horizontal and its
// history is pre-filled with evenly spaced negative times.
#pragma once

#include <vector>

#include "instruments/signal.h"

namespace korvel {

class Messages;

class KChannel {
public:
    KChannel(const KSignal& signal, int screenPoints, int historyLength);
    virtual ~KChannel() = default;

    const KSignal& Signal() const { return signal_; }
    const std::string& Name() const { return signal_.name; }
    virtual bool IsTime() const { return false; }
    // The raw value of the variable now.
    double Raw() const { return *signal_.value; }

    // Stores `raw` (through the AC filter) at history[i].
    void SampleHistory(int i, double raw) { history_[i] = Filter(raw); }
    // The same, and at screen[j] with its pixels.
    void SampleHistoryAndScreen(int i, int j, double raw, Messages& messages);
    // screen[j] = history[i], with its pixels.
    void CopyHistoryToScreen(int i, int j, Messages& messages);
    void SetHistory(int i, double value) { history_[i] = value; }

    double History(int i) const { return history_[i]; }
    double Screen(int j) const { return screen_[j]; }
    int ScreenRow(int j) const { return screenY_[j]; }
    int ScreenColumn(int j) const { return screenX_[j]; }

    // Display settings. A scale of 0 is ignored (the window refuses it).
    double verticalOffset;
    double horizontalOffset = 0.0;
    bool shown;
    bool horizontal = false;
    bool acCouple;
    void SetVerticalScale(double scale);
    void SetHorizontalScale(double scale);
    double VerticalScale() const { return verticalScale_; }
    double HorizontalScale() const { return horizontalScale_; }

    // The window's screen size; from then on sampling works out pixels.
    void SetScreenSize(int height, int width, Messages& messages);
    bool ScreenKnown() const { return screenKnown_; }
    // Pixel row of a value; column when this channel is horizontal.
    int Row(double value, Messages& messages) const;
    virtual int Column(double value, Messages& messages) const;

protected:
    double Filter(double raw);
    void UpdatePixels(int j, Messages& messages);

    KSignal signal_;
    double verticalScale_;
    double horizontalScale_;
    std::vector<double> history_;
    std::vector<double> screen_;
    std::vector<int> screenY_;
    std::vector<int> screenX_;
    bool screenKnown_ = false;
    int screenHeight_ = 0;
    int screenWidth_ = 0;
    double acState_ = 0.0;
    double previousRaw_ = 0.0;
    double acCoefficient_;
};

class KTimeChannel final : public KChannel {
public:
    KTimeChannel(const KSignal& time, int screenPoints, int historyLength);
    bool IsTime() const override { return true; }
    int Column(double value, Messages& messages) const override;
    // The screen's first point moved to screen index `start`: the columns
    // count from its time.
    void SetScreenStart(int start, int end, Messages& messages);
    double ScreenStartTime() const { return screenStartTime_; }

private:
    double screenStartTime_ = 0.0;
};

}  // namespace korvel
