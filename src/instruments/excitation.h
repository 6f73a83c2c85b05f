// KExcitation: the signal analyzer's pseudo-random excitation.
//
// A linear congruential generator (multiplier 7141, increment 54743, modulus
// 259200) gives uniform values of width A around the offset, or with binary
// mode on, offset - A or offset + A. Four second-order sections in cascade
// then shape the spectrum (unit gain at zero frequency) unless bypassed.
// Reset puts the generator and the filter back to their first state, so every
// record of one model uses the same excitation sequence.
#pragma once

#include <array>

namespace korvel {

class KExcitation {
public:
    static constexpr int kMultiplier = 7141;
    static constexpr int kIncrement = 54743;
    static constexpr int kModulus = 259200;

    KExcitation();

    void Reset();
    // The next generator value (before shaping).
    double NextGenerator();
    // One value through the four shaping sections.
    double Shape(double x);
    // The next excitation value: generated, then shaped unless bypassed.
    double Next() { return Filtered(NextGenerator()); }
    double Filtered(double x) { return bypassFilter ? x : Shape(x); }

    int GeneratorState() const { return state_; }

    double amplitude = 1.0;
    double offset = 0.0;
    bool binary = false;
    bool bypassFilter = false;

    struct Section {
        double g, c1, c2;
        double y1 = 0.0, y2 = 0.0;
    };
    const std::array<Section, 4>& Sections() const { return sections_; }

private:
    int state_ = 0;
    std::array<Section, 4> sections_;
};

}  // namespace korvel
