#include "engine/blocks_live.h"

#include <charconv>
#include <cmath>

#include "base/messages.h"
#include "base/numberformat.h"
#include "engine/benchtop.h"
#include "engine/runerror.h"
#include "model/block.h"

namespace korvel {

namespace {

constexpr int kWarningLimitsExchanged = 10001;
constexpr int kWarningInitialBelow = 10002;
constexpr int kWarningInitialAbove = 10003;

struct LimitTexts {
    std::string_view exchanged;
    std::string_view below;
    std::string_view above;
};

constexpr LimitTexts kConstantTexts{"Minimum set greater than maximum.",
                                    "Initial value less than Min/Max range.",
                                    "Initial value greater than Min/Max range."};
constexpr LimitTexts kInverseTexts{"Minimum set greater than maximum in Inverted Live Constant",
                                   "Initial value below Max/Min range in Inverted Live Constant",
                                   "Initial value above Max/Min range in Inverted Live Constant"};

constexpr std::string_view kAdviceExchanged =
    "Exchange values of minimum and maximum.  Note that Korvel corrects this condition during "
    "run time.";
constexpr std::string_view kAdviceBelow =
    "Increase initial value to be within Min/Max range.  Note that Korvel will use minimum value "
    "of range.";
constexpr std::string_view kAdviceAbove =
    "Decrease initial value to be within Min/Max range.  Note that Korvel will use maximum value "
    "of range.";

bool IsScaleBy(KConstantKind kind) {
    return kind == KConstantKind::ScaleBy || kind == KConstantKind::InverseScaleBy;
}

constexpr int kWarningInvalidString = 10004;
constexpr std::string_view kAdviceInvalidString =
    "Choose a string that is a number, or edit the block's strings.";

std::string InvalidText(const std::string& text) {
    return "Value in String Constant \"" + text + "\" is invalid.  Value will be forced to zero.";
}

std::string OnOffRefusal(std::string_view text) {
    return "\"" + std::string(text) + "\" is not a number (1 is on, 0 is off)";
}

}  // namespace

bool ParseLiveNumber(std::string_view text, double& value) {
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    const char* first = text.data();
    if (*first == '+') ++first;
    const auto [ptr, ec] = std::from_chars(first, end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

// --- Live constants -----------------------------------------------------------------

KLibraryConstant::KLibraryConstant(KBenchTop& benchTop, KBlock& block, KConstantKind kind)
    : KLibraryClass(benchTop, block),
      kind_(kind),
      out_(Out("Output")),
      input_(IsScaleBy(kind) ? In("Input") : nullptr),
      minimum_(In("Minimum")),
      maximum_(In("Maximum")),
      mult_(In("Mult")),
      value_(NodeValue("InitValue")) {
    CheckLimits();
    const double initial = value_;
    value_ = std::isnan(initial) ? 0.0 : initial;
    SetValue(value_);
    // Outputs read before the first evaluation already show the constant.
    if (kind_ == KConstantKind::Direct) *out_ = *mult_ * value_;
}

void KLibraryConstant::CheckLimits() {
    const LimitTexts& texts = kind_ == KConstantKind::Inverse ? kInverseTexts : kConstantTexts;
    auto& list = BenchTop().CompileMessages();
    const double minimum = *minimum_;
    const double maximum = *maximum_;
    if (maximum < minimum) {
        list.push_back({kWarningLimitsExchanged, std::string(texts.exchanged),
                        std::string(kAdviceExchanged), true});
    }
    if (value_ < minimum && value_ < maximum) {
        list.push_back(
            {kWarningInitialBelow, std::string(texts.below), std::string(kAdviceBelow), true});
    } else if (value_ > minimum && value_ > maximum) {
        list.push_back(
            {kWarningInitialAbove, std::string(texts.above), std::string(kAdviceAbove), true});
    }
}

double KLibraryConstant::Lower() const {
    return std::fmin(*minimum_, *maximum_);
}

double KLibraryConstant::Upper() const {
    return std::fmax(*minimum_, *maximum_);
}

double KLibraryConstant::SetValue(double value) {
    if (std::isnan(value)) return value_;
    if (value > Upper()) value = Upper();
    if (value < Lower()) value = Lower();
    value_ = value;
    return value_;
}

void KLibraryConstant::Compute(double) {
    const double scaled = *mult_ * value_;
    switch (kind_) {
        case KConstantKind::Direct:
            *out_ = scaled;
            return;
        case KConstantKind::ScaleBy:
            *out_ = *input_ * scaled;
            return;
        case KConstantKind::Inverse:
        case KConstantKind::InverseScaleBy:
            if (scaled == 0) throw KRunError(std::string(kDivisionByZero));
            *out_ = (kind_ == KConstantKind::Inverse ? 1.0 : *input_) / scaled;
            return;
    }
}

bool KLibraryConstant::IsAtInitialValue() const {
    const double initial = NodeValue("InitValue");
    if (initial == 0) return value_ == 0;
    return std::fabs(value_ - initial) / std::fabs(initial) < 1e-6;
}

std::string KLibraryConstant::ValueText() const {
    return FormatNumber(value_);
}

void KLibraryConstant::SaveValueAsInitial() {
    if (KNode* node = Block().FindNode("InitValue")) node->value = value_;
}

KDisplayState KLibraryConstant::DisplayState() const {
    KDisplayState state;
    state.valueText = ValueText();
    return state;
}

std::string KLibraryConstant::SetLiveText(std::string_view text) {
    double value = 0.0;
    if (!ParseLiveNumber(text, value)) return "\"" + std::string(text) + "\" is not a number";
    SetValue(value);
    return {};
}

// --- String constant ----------------------------------------------------------------

KLibraryStringConstant::KLibraryStringConstant(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block), out_(Out("Output")) {
    if (const KNode* list = block.FindNode("Strings")) strings_ = list->Strings();
    // A build lists what it finds instead of stopping to ask, so an initial
    // string that is not a number is a compile warning, not a box.
    const double initial = NodeValue("InitValue");
    const int index =
        std::isfinite(initial) && initial >= 0 && initial < 1e9 ? static_cast<int>(initial) : 0;
    if (!Choose(index) && !Choose(0)) return;
    if (!valid_) {
        BenchTop().CompileMessages().push_back(
            {kWarningInvalidString, InvalidText(strings_[static_cast<std::size_t>(selected_)]),
             std::string(kAdviceInvalidString), true});
    }
}

bool KLibraryStringConstant::Choose(int index) {
    if (index < 0 || index >= static_cast<int>(strings_.size())) return false;
    selected_ = index;
    valid_ = ParseLiveNumber(strings_[static_cast<std::size_t>(index)], value_);
    if (!valid_) value_ = 0.0;
    *out_ = value_;
    return true;
}

bool KLibraryStringConstant::Select(int index) {
    if (!Choose(index)) return false;
    if (!valid_) {
        BenchTop().Sink().Box("Invalid String Constant",
                              InvalidText(strings_[static_cast<std::size_t>(index)]), KButtons::Ok);
    }
    return true;
}

void KLibraryStringConstant::Compute(double) {
    *out_ = value_;
}

KDisplayState KLibraryStringConstant::DisplayState() const {
    KDisplayState state;
    if (selected_ >= 0) state.text = strings_[static_cast<std::size_t>(selected_)];
    state.valueText = FormatNumber(value_);
    return state;
}

std::string KLibraryStringConstant::SetLiveText(std::string_view text) {
    for (std::size_t i = 0; i < strings_.size(); ++i) {
        if (strings_[i] == text) {
            Select(static_cast<int>(i));
            return {};
        }
    }
    return "\"" + std::string(text) + "\" is not one of the block's strings";
}

// --- Push button and live switch ---------------------------------------------------------

KDisplayState KOnOffLive::DisplayState() const {
    KDisplayState state;
    state.on = on_;
    return state;
}

std::string KOnOffLive::SetLiveText(std::string_view text) {
    double value = 0.0;
    if (!ParseLiveNumber(text, value)) return OnOffRefusal(text);
    on_ = value > 0.5;
    return {};
}

KLibraryButton::KLibraryButton(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      KOnOffLive(NodeValue("Initial Value") > 0.5),
      out_(Out("Output")) {
    *out_ = on_ ? 1.0 : 0.0;
}

void KLibraryButton::Compute(double) {
    *out_ = on_ ? 1.0 : 0.0;
}

KLibraryRelay::KLibraryRelay(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      KOnOffLive(NodeValue("Initial Value") > 0.5),
      state_(Out("State")),
      in1_(In("Input 1")),
      in2_(In("Input 2")),
      out1_(Out("Output 1")),
      out2_(Out("Output 2")) {
    *state_ = on_ ? 1.0 : 0.0;
}

void KLibraryRelay::Compute(double) {
    *state_ = on_ ? 1.0 : 0.0;
    const double a = *in1_;
    const double b = *in2_;
    *out1_ = on_ ? a : b;
    *out2_ = on_ ? b : a;
}

}  // namespace korvel
