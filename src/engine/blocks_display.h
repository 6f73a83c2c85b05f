// Blocks that only show a value on the diagram (lamp, bar, dial, banner) and
// the message block that asks the user while the model runs.
//
// The display-only blocks have no effect on the model: they read their
// inputs when the editor asks for their display state.
#pragma once

#include <string>
#include <vector>

#include "engine/displaystate.h"
#include "engine/libraryclass.h"

namespace korvel {

// "Lamp": lit while Input > 0.5.
class KLibraryLamp final : public KLibraryClass, public KDisplayed {
public:
    KLibraryLamp(KBenchTop& benchTop, KBlock& block);
    KDisplayState DisplayState() const override;

private:
    const double* in_;
};

// "Bar Meter" and "Dial Meter": Input x Mult between "Minimum" and "Maximum".
class KLibraryGauge final : public KLibraryClass, public KDisplayed {
public:
    KLibraryGauge(KBenchTop& benchTop, KBlock& block);
    KDisplayState DisplayState() const override;

private:
    const double* in_;
    const double* mult_;
    const double* minimum_;
    const double* maximum_;
};
using KLibraryBar = KLibraryGauge;
using KLibraryDial = KLibraryGauge;

// "Banner": shows the message of "Messages" that Input selects (Input rounded
// to the nearest index, limited to the list).
class KLibraryBanner final : public KLibraryClass, public KDisplayed {
public:
    KLibraryBanner(KBenchTop& benchTop, KBlock& block);
    KDisplayState DisplayState() const override;

private:
    const double* in_;
    std::vector<std::string> messages_;
};

// "Windows Message": on a rising edge of "Trigger Input" a "User Message"
// box shows the "Message" text; Cancel stops the run, OK sets "Trigger
// Output". It starts unarmed, so a trigger already high at the start shows
// nothing until it has been low.
class KLibraryMessage final : public KLibraryClass, public KDisplayed {
public:
    KLibraryMessage(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    KDisplayState DisplayState() const override;

private:
    const double* trigger_;
    double* triggered_;
    std::string text_;
    bool armed_ = false;
};

}  // namespace korvel
