// KSignal: what an instrument knows of one model variable.
//
// The instruments sit below the engine, so they see a variable as its name,
// its display defaults and the address of its value, which stays put for the
// life of the compiled model. Instruments read the value at each sample.
#pragma once

#include <string>

namespace korvel {

struct KSignal {
    std::string name;
    std::string units;
    double scale = 1.0;   // units per vertical division
    double offset = 0.0;  // added to the multiplied value before scaling
    double mult = 1.0;    // display multiplier
    bool show = false;
    bool acCouple = false;
    const double* value = nullptr;
};

}  // namespace korvel
