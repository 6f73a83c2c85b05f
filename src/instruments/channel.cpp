#include "instruments/channel.h"

#include <cmath>

#include "base/messages.h"

namespace korvel {

KChannel::KChannel(const KSignal& signal, int screenPoints, int historyLength)
    : verticalOffset(signal.offset),
      shown(signal.show),
      acCouple(signal.acCouple),
      signal_(signal),
      verticalScale_(signal.scale != 0.0 ? signal.scale : 1.0),
      horizontalScale_(signal.scale != 0.0 ? signal.scale : 1.0),
      history_(static_cast<std::size_t>(historyLength), 0.0),
      screen_(static_cast<std::size_t>(screenPoints), 0.0),
      screenY_(static_cast<std::size_t>(screenPoints), 0),
      screenX_(static_cast<std::size_t>(screenPoints), 0),
      acCoefficient_(std::exp(-0.5 / screenPoints)) {}

void KChannel::SetVerticalScale(double scale) {
    if (scale != 0.0) verticalScale_ = scale;
}

void KChannel::SetHorizontalScale(double scale) {
    if (scale != 0.0) horizontalScale_ = scale;
}

double KChannel::Filter(double raw) {
    if (acCouple && !IsTime()) {
        acState_ = (acState_ + raw - previousRaw_) * acCoefficient_;
    } else {
        acState_ = raw;
    }
    previousRaw_ = raw;
    return acState_;
}

void KChannel::SampleHistoryAndScreen(int i, int j, double raw, Messages& messages) {
    history_[i] = Filter(raw);
    screen_[j] = acState_;
    UpdatePixels(j, messages);
}

void KChannel::CopyHistoryToScreen(int i, int j, Messages& messages) {
    screen_[j] = history_[i];
    UpdatePixels(j, messages);
}

void KChannel::UpdatePixels(int j, Messages& messages) {
    // Headless: no screen, nothing to draw.
    if (!screenKnown_) return;
    if (shown) screenY_[j] = Row(screen_[j], messages);
    if (horizontal) screenX_[j] = Column(screen_[j], messages);
}

void KChannel::SetScreenSize(int height, int width, Messages& messages) {
    screenHeight_ = height;
    screenWidth_ = width;
    screenKnown_ = true;
    for (int j = 0; j < static_cast<int>(screen_.size()); ++j) UpdatePixels(j, messages);
}

int KChannel::Row(double value, Messages& messages) const {
    if (!screenKnown_) {
        messages.ErrorBox("Internal Error: ScreenDimensions not initialized");
        return 0;
    }
    const double h = screenHeight_;
    int y = static_cast<int>((value * signal_.mult + verticalOffset) / verticalScale_ * (-h) *
                                 0.125 +
                             screenHeight_ / 2);
    if (y > screenHeight_ + 1) y = screenHeight_ + 1;
    if (y < -1) y = -1;
    return y;
}

int KChannel::Column(double value, Messages& messages) const {
    if (!screenKnown_) {
        messages.ErrorBox("Internal Error: ScreenHeight not initialized");
        return 0;
    }
    return static_cast<int>((value * signal_.mult + horizontalOffset) / horizontalScale_ *
                                screenWidth_ * 0.1 +
                            screenWidth_ / 2);
}

KTimeChannel::KTimeChannel(const KSignal& time, int screenPoints, int historyLength)
    : KChannel(time, screenPoints, historyLength) {
    horizontal = true;
    const double spacing = std::abs(horizontalScale_) * 10.0 / screenPoints;
    for (int i = 0; i < historyLength; ++i) history_[i] = (i - historyLength) * spacing;
}

int KTimeChannel::Column(double value, Messages& messages) const {
    if (!screenKnown_) {
        messages.ErrorBox("Internal Error: Uninit ScreenDimension");
        return 0;
    }
    int x = static_cast<int>((value * signal_.mult - screenStartTime_) / horizontalScale_ *
                             screenWidth_ * 0.1);
    if (x > screenWidth_ - 2) x = screenWidth_ - 2;
    if (x < 1) x = 1;
    return x;
}

void KTimeChannel::SetScreenStart(int start, int end, Messages& messages) {
    screenStartTime_ = screen_[start];
    if (!screenKnown_ || end < 0) return;
    const int n = static_cast<int>(screen_.size());
    for (int j = start;; j = (j + 1) % n) {
        screenX_[j] = Column(screen_[j], messages);
        if (j == end) break;
    }
}

}  // namespace korvel
