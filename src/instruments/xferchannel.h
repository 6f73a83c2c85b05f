// KXferChannel: one variable's record in the signal analyzer.
//
// Slot 0 is the current record; slots 1 to 4 are the memories, allocated on
// their first store. A slot holds either time samples (status 1, transform
// pending) or a spectrum (status 3); gain and phase transform a slot on first
// reading. Samples and spectra are single-precision, as the analyzer keeps
// them. Slot 0 is allocated at construction for 2^MaxOrder points, so
// sampling never allocates.
#pragma once

#include <array>
#include <vector>

#include "instruments/signal.h"

namespace korvel {

class Messages;

class KXferChannel {
public:
    static constexpr int kSlots = 5;
    static constexpr int kTimeSamples = 1;
    static constexpr int kSpectrum = 3;

    KXferChannel(const KSignal& signal, int maxOrder, Messages& messages);

    const std::string& Name() const { return signal_.name; }
    // The name with its units, as the pickers show it.
    std::string DisplayName() const;
    const KSignal& Signal() const { return signal_; }

    // Records the variable's value (times its display multiplier, through the
    // triangular window when it is on) at index i of the current slot.
    void Sample(int i);
    // Gain in dB and phase in degrees of a slot's spectrum at bin k.
    double Gain(int slot, int bin);
    double Phase(int slot, int bin);
    void SetOrder(int order);
    int Order() const { return order_; }
    int Points() const { return n_; }
    // Copies the current slot (samples or spectrum, with its status) to memory m.
    void Store(int m);
    bool HasSlot(int slot) const { return !real_[static_cast<std::size_t>(slot)].empty(); }
    int Status(int slot) const { return status_[static_cast<std::size_t>(slot)]; }
    float Real(int slot, int i) const { return real_[static_cast<std::size_t>(slot)][static_cast<std::size_t>(i)]; }
    float Imag(int slot, int i) const { return imag_[static_cast<std::size_t>(slot)][static_cast<std::size_t>(i)]; }
    void MarkChanged() { changed_ = true; }
    bool TakeChanged();

    bool windowOn = false;

private:
    // Transforms a slot that holds samples.
    void RunFft(int slot);
    // The slot's spectrum at bin k, transformed if needed; false after a fatal box.
    void Spectrum(int slot, int bin, const char* what, double& re, double& im);

    KSignal signal_;
    Messages& messages_;
    int order_;
    int n_;
    std::array<std::vector<float>, kSlots> real_;
    std::array<std::vector<float>, kSlots> imag_;
    std::array<int, kSlots> status_{};
    bool changed_ = false;
};

// Gain (dB) of a complex value: -200 for 0.
double GainDb(double re, double im);
// Phase (degrees) of a complex value, in (-270, 90]; 90 for 0.
double PhaseDeg(double re, double im);

}  // namespace korvel
