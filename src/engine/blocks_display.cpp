#include "engine/blocks_display.h"

#include <algorithm>
#include <cmath>

#include "base/messages.h"
#include "engine/benchtop.h"
#include "engine/blocks_meters.h"
#include "engine/runerror.h"
#include "model/block.h"

namespace korvel {

namespace {

// Three quarters of a turn, centred on straight up.
constexpr double kDialSweep = 1.5 * 3.14159265358979323846;

}  // namespace

KLibraryLamp::KLibraryLamp(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block), in_(In("Input")) {}

KDisplayState KLibraryLamp::DisplayState() const {
    KDisplayState state;
    state.on = *in_ > 0.5;
    return state;
}

KLibraryGauge::KLibraryGauge(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      in_(In("Input")),
      mult_(In("Mult")),
      minimum_(In("Minimum")),
      maximum_(In("Maximum")) {}

KDisplayState KLibraryGauge::DisplayState() const {
    KDisplayState state;
    const double shown = *in_ * *mult_;
    state.valueText = MeterText(*in_, *mult_);
    const double range = *maximum_ - *minimum_;
    const double fraction = (shown - *minimum_) / range;
    // An empty or unusable range, or a value that is not a number, shows
    // the gauge at its minimum rather than anywhere at random.
    state.fraction = std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0.0;
    state.angle = (state.fraction - 0.5) * kDialSweep;
    return state;
}

KLibraryBanner::KLibraryBanner(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block), in_(In("Input")) {
    if (const KNode* list = block.FindNode("Messages")) messages_ = list->Strings();
}

KDisplayState KLibraryBanner::DisplayState() const {
    KDisplayState state;
    if (messages_.empty()) return state;
    const double index = std::floor(*in_ + 0.5);
    const double last = static_cast<double>(messages_.size() - 1);
    const double chosen = std::isfinite(index) ? std::clamp(index, 0.0, last) : 0.0;
    state.text = messages_[static_cast<std::size_t>(chosen)];
    return state;
}

KLibraryMessage::KLibraryMessage(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      trigger_(In("Trigger Input")),
      triggered_(Out("Trigger Output")) {
    if (const KNode* message = block.FindNode("Message")) text_ = message->Text();
}

void KLibraryMessage::Compute(double) {
    if (!(*trigger_ > 0.5)) {
        armed_ = true;
        *triggered_ = 0.0;
        return;
    }
    if (!armed_) return;
    armed_ = false;
    if (BenchTop().Sink().Box("User Message", text_, KButtons::OkCancel) == KAnswer::Cancel) {
        throw KRunError(std::string(kStopRequest));
    }
    *triggered_ = 1.0;
}

KDisplayState KLibraryMessage::DisplayState() const {
    KDisplayState state;
    state.text = text_;
    state.on = *triggered_ > 0.5;
    return state;
}

}  // namespace korvel
