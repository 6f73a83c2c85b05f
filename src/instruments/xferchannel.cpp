#include "instruments/xferchannel.h"

#include <cmath>
#include <string>

#include "base/messages.h"
#include "instruments/fft.h"

namespace korvel {

namespace {

constexpr double kDegreesPerRadian = 57.295780490442965;

}  // namespace

double GainDb(double re, double im) {
    const double m = std::sqrt(re * re + im * im);
    return m == 0.0 ? -200.0 : 20.0 * std::log10(m);
}

double PhaseDeg(double re, double im) {
    if (re == 0.0) return im < 0.0 ? -90.0 : 90.0;
    const double a = std::atan(im / re) * kDegreesPerRadian;
    return re > 0.0 ? a : a - 180.0;
}

KXferChannel::KXferChannel(const KSignal& signal, int maxOrder, Messages& messages)
    : signal_(signal), messages_(messages), order_(maxOrder),
      n_(1 << maxOrder) {
    const std::size_t size = std::size_t{1} << maxOrder;
    real_[0].assign(size, 0.0f);
    imag_[0].assign(size, 0.0f);
    status_.fill(kTimeSamples);
}

std::string KXferChannel::DisplayName() const {
    if (signal_.units.empty()) return signal_.name;
    return signal_.name + " (" + signal_.units + ")";
}

void KXferChannel::Sample(int i) {
    if (i < 0 || i >= n_) messages_.FatalBox("KXferChannel:  Attempt to sample outside range");
    status_[0] = kTimeSamples;
    double v = signal_.mult * *signal_.value;
    if (windowOn) {
        const int half = n_ / 2;
        double w;
        if (i < half) {
            w = 4.0 * i / n_;
        } else if (i == half) {
            w = 2.0;
        } else {
            w = 2.0 - 4.0 * (i - half) / n_;
        }
        v *= w;
    }
    real_[0][static_cast<std::size_t>(i)] = static_cast<float>(v);
    imag_[0][static_cast<std::size_t>(i)] = 0.0f;
}

void KXferChannel::RunFft(int slot) {
    const auto s = static_cast<std::size_t>(slot);
    if (real_[s].empty()) messages_.FatalBox("Internal Error:  Running FFT on unitiilized vector");
    if (status_[s] != kTimeSamples) messages_.FatalBox("Attempt to execute RunFFT in illegal state");
    Fft(real_[s].data(), imag_[s].data(), order_);
    status_[s] = kSpectrum;
}

void KXferChannel::Spectrum(int slot, int bin, const char* what, double& re, double& im) {
    if (bin < 0 || bin >= n_ || slot < 0 || slot >= kSlots) {
        messages_.FatalBox(std::string("KXferChannel:  Attempt to get ") + what +
                           " outside range");
    }
    const auto s = static_cast<std::size_t>(slot);
    if (status_[s] == kTimeSamples) RunFft(slot);
    re = real_[s][static_cast<std::size_t>(bin)];
    im = imag_[s][static_cast<std::size_t>(bin)];
}

double KXferChannel::Gain(int slot, int bin) {
    double re, im;
    Spectrum(slot, bin, "gain", re, im);
    return GainDb(re, im);
}

double KXferChannel::Phase(int slot, int bin) {
    double re, im;
    Spectrum(slot, bin, "phase", re, im);
    return PhaseDeg(re, im);
}

void KXferChannel::SetOrder(int order) {
    order_ = order;
    n_ = 1 << order;
    status_[0] = kTimeSamples;
    changed_ = true;
}

void KXferChannel::Store(int m) {
    const auto s = static_cast<std::size_t>(m);
    // Memories take their buffers on first use only; a store is a user action.
    real_[s] = real_[0];
    imag_[s] = imag_[0];
    status_[s] = status_[0];
    changed_ = true;
}

bool KXferChannel::TakeChanged() {
    const bool was = changed_;
    changed_ = false;
    return was;
}

}  // namespace korvel
