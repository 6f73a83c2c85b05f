// What the diagram shows of a running block, and how a user changes a live
// value, without any front end.
//
// Blocks on the bench top's display list (meters, lamps, bars, dials,
// banners, live constants, push buttons, live switches) describe what to draw
// at a display tick as a KDisplayState; the editor paints it. Blocks whose
// value a user changes while the model runs (the adjust box of a live
// constant, a click on a push button or a live switch, the runner's --set)
// offer KLiveSettable. Both are plain interfaces beside KLibraryClass: reach
// them with dynamic_cast from a display-list or compute-list object.
#pragma once

#include <string>
#include <string_view>

namespace korvel {

struct KDisplayState {
    // The number shown (value x the display "Mult"), formatted for display;
    // empty for blocks that show no number.
    std::string valueText;
    // A lamp that is lit; a push button or live switch that is on.
    bool on = false;
    // Bars and dials: where the shown value lies between "Minimum" (0) and
    // "Maximum" (1), limited to [0, 1].
    double fraction = 0.0;
    // Dials: the needle's angle in radians from straight up, clockwise,
    // over a 270-degree scale (-3 pi / 4 at Minimum, +3 pi / 4 at Maximum).
    double angle = 0.0;
    // Banners: the message selected by the input.
    std::string text;
};

class KDisplayed {
public:
    virtual ~KDisplayed() = default;
    virtual KDisplayState DisplayState() const = 0;
};

class KLiveSettable {
public:
    virtual ~KLiveSettable() = default;
    // Sets the live value from text a user typed (a number; for a string
    // constant one of its strings). Answers an empty string when the value
    // was taken, otherwise why it was refused; the value then stays as it
    // was. The running model sees a new value at its next evaluation.
    virtual std::string SetLiveText(std::string_view text) = 0;
    // The current live value.
    virtual double LiveValue() const = 0;
};

// Reads a whole text as a finite number ("2", "-1.5e-3"); false for
// anything else, including an empty text, "nan" and "inf".
bool ParseLiveNumber(std::string_view text, double& value);

}  // namespace korvel
