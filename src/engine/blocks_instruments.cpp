#include "engine/blocks_instruments.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/messages.h"
#include "engine/benchtop.h"
#include "model/compiled.h"
#include "engine/runerror.h"
#include "model/block.h"
#include "model/elements.h"

namespace korvel {

namespace {

KSignal SignalOf(const KLibraryVar& var) {
    KSignal signal;
    signal.name = var.Name();
    signal.units = var.display.units;
    signal.scale = var.display.scale;
    signal.offset = var.display.offset;
    signal.mult = var.display.mult;
    signal.show = var.display.show;
    signal.acCouple = var.display.acCouple;
    signal.value = var.ValueAddress();
    return signal;
}

// The UserString of the Variable block a reference node names, or nullptr.
const KBlock* ReferencedVariable(KBenchTop& benchTop, const KBlock& block, std::string_view node) {
    const KNode* ref = block.FindNode(node);
    if (ref == nullptr || benchTop.Compiled() == nullptr) return nullptr;
    const double id = ref->value;
    if (!(id >= 0) || id > 2147483647.0) return nullptr;
    // Every Variable of a compiled model is on its execution order.
    for (const KBlock* b : benchTop.Compiled()->ordered)
        if (b->IsVariable() && b->IDNumber() == static_cast<int>(id)) return b;
    return nullptr;
}

bool On(double value) {
    return value >= 0.5;
}

}  // namespace

std::vector<KSignal> DisplayableSignals(const KBenchTop& benchTop) {
    std::vector<KSignal> signals;
    for (const KLibraryVar* var : benchTop.Variables().All()) {
        if (!var->IsHidden()) signals.push_back(SignalOf(*var));
    }
    return signals;
}

// --- Oscilloscope -------------------------------------------------------------

KScope::KScope(KBenchTop& benchTop, KBlock& block) : KLibraryClass(benchTop, block) {}

bool KScope::BindToModel() {
    KBenchTop& bench = BenchTop();
    KBlock& block = Block();
    scope_ = std::make_unique<KScopeAcquisition>(SignalOf(*bench.TimeVar()),
                                                 DisplayableSignals(bench), bench.Sink(),
                                                 block.userString);
    if (const KBlock* source = ReferencedVariable(bench, block, "Trigger Source")) {
        scope_->SetTriggerSource(source->userString);
    }
    scope_->SetTriggerLevel(NodeValue("Trigger Level"));
    scope_->SetPositiveSlope(On(NodeValue("Positive Trig?")));
    scope_->SetTriggerPosition(NodeValue("Trigger Position"));
    scope_->SetAcTrigger(On(NodeValue("AC Trigger")));
    const double mode = std::floor(NodeValue("Trigger Mode"));
    scope_->SetMode(mode == 0   ? TriggerMode::Cont
                    : mode == 1 ? TriggerMode::Auto
                                : TriggerMode::Normal,
                    bench.time);
    scope_->SetRoll(std::floor(NodeValue("Roll?")) == 1);
    scope_->SetTimePerDivision(NodeValue("Time/Div"));
    if (On(NodeValue("x vs y?"))) {
        const KBlock* horizontal = ReferencedVariable(bench, block, "H-Channel");
        scope_->SetHorizontalChannel(horizontal ? horizontal->userString : std::string());
    }
    scope_->SetSingleShot(std::floor(NodeValue("Single Shot?")) == 1);
    return true;
}

double KScope::NextSampleTime() const {
    return scope_ ? scope_->NextSampleTime() : -1.0;
}

bool KScope::Sample(double time) {
    return scope_ ? scope_->Sample(time) : true;
}

void KScope::PrepareForRun() {
    if (scope_) scope_->Rearm();
}

bool KScope::WantsStop() const {
    return scope_ && scope_->WantsStop();
}

void MakeScopeBlock(KBenchTop& benchTop, KBlock& block) {
    auto& scope = benchTop.Adopt(std::make_unique<KScope>(benchTop, block));
    benchTop.AddCompute(scope);
    benchTop.AddScope(scope);
}

// --- Dynamic signal analyzer --------------------------------------------------

KLibraryDsa::KLibraryDsa(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      switched_(In("Switched Input Wave")),
      unswitched_(In("Unswitched Input Wave")),
      amplitude_(In("Excitation Amplitude")),
      excitation_(Out("Excitation")),
      inactive_(Out("DSA Inactive")) {
    *inactive_ = 1.0;
}

void KLibraryDsa::Compute(double time) {
    double w;
    if (xfer_ && xfer_->Active()) {
        if (!(*amplitude_ >= 0)) {
            throw KRunError("Attempt to set Excitation Amplitude < 0 in DSA \"" + Name() + "\"");
        }
        xfer_->SetExcitationAmplitude(*amplitude_);
        *inactive_ = 0.0;
        w = xfer_->ExcitationOutput(time);
    } else {
        *inactive_ = 1.0;
        w = *switched_;
    }
    *excitation_ = *unswitched_ + w;
}

double KLibraryDsa::NextSampleTime() const {
    return xfer_ ? xfer_->NextSampleTime() : -1.0;
}

bool KLibraryDsa::Sample(double time) {
    return xfer_ ? xfer_->Sample(time) : true;
}

bool KLibraryDsa::IsRunning() const {
    return xfer_ && xfer_->IsRunning();
}

std::string KLibraryDsa::ChannelName(std::string_view node, std::string_view which) {
    if (const KBlock* variable = ReferencedVariable(BenchTop(), Block(), node)) {
        return variable->userString;
    }
    const double id = NodeValue(node);
    const std::string what =
        !(id >= 0) ? std::string("(none)")
                   : "#" + std::to_string(static_cast<long long>(std::min(id, 1e15)));
    BenchTop().Sink().ErrorBox("DSA " + std::string(which) +
                               " Channel Error.  Cannot find channel " + what + " in DSA \"" +
                               Name() + "\"");
    return {};
}

bool KLibraryDsa::BindToModel() {
    KBenchTop& bench = BenchTop();
    Messages& messages = bench.Sink();
    const double order = std::trunc(NodeValue("Order"));
    if (!(order >= KXferAcquisition::kMinOrder && order <= KXferAcquisition::kMaxSupportedOrder)) {
        messages.ErrorBox("The \"Order\" of DSA \"" + Name() + "\" must be from " +
                          std::to_string(KXferAcquisition::kMinOrder) + " to " +
                          std::to_string(KXferAcquisition::kMaxSupportedOrder) + ".");
        return false;
    }
    xfer_ = std::make_unique<KXferAcquisition>(DisplayableSignals(bench), static_cast<int>(order),
                                               messages, Name());
    xfer_->SetTSample(NodeValue("TSample"), bench.time);
    xfer_->SetTEndDelay(NodeValue("End Zero Time"));
    xfer_->SetTStartDelay(NodeValue("Start Zero Time"));
    xfer_->frequencyMinimum = NodeValue("Minimum Frequency");
    xfer_->frequencyMaximum = NodeValue("Maximum Frequency");
    xfer_->gainScale = NodeValue("Gain Scale");
    xfer_->gainOffset = NodeValue("Gain Offset");
    xfer_->phaseScale = NodeValue("Phase Scale");
    xfer_->phaseOffset = NodeValue("Phase Offset");
    if (NodeValue("Auto Frequency") > 0.5) xfer_->AutoFrequency();
    // Falling back to other variables would measure a pair nobody chose.
    const std::string input = ChannelName("Input Channel", "Input");
    const std::string output = ChannelName("Output Channel", "Output");
    if (input.empty() || output.empty()) return false;
    return xfer_->SetInputChannel(input) && xfer_->SetOutputChannel(output);
}

void MakeDsaBlock(KBenchTop& benchTop, KBlock& block) {
    auto& dsa = benchTop.Adopt(std::make_unique<KLibraryDsa>(benchTop, block));
    benchTop.AddCompute(dsa);
    benchTop.AddAnalyzer(dsa);
}

// --- Live scopes ----------------------------------------------------------------

namespace {

bool IsTwoChannel(const KBlock& block) {
    return block.GetTypeTag() == "KLiveVariable2";
}

KVarDisplay LiveDisplay(const KBlock& block) {
    const bool two = IsTwoChannel(block);
    auto value = [&block](std::string_view name) {
        const KNode* node = block.FindNode(name);
        return node == nullptr ? 0.0 : node->value;
    };
    KVarDisplay display;
    display.scale = value(two ? "Scale1" : "Scale");
    display.offset = value(two ? "Offset1" : "Offset");
    display.mult = value(two ? "Mult1" : "Mult");
    display.show = value("Show") > 0.5;
    display.acCouple = value(two ? "AC Couple1" : "AC Couple") > 0.5;
    return display;
}

}  // namespace

KLibraryLiveVariable::KLibraryLiveVariable(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      two_(IsTwoChannel(block)),
      input1_(In(two_ ? "Input1" : "Input")),
      input2_(two_ ? In("Input2") : nullptr),
      timePerDivision_(In("Time/Div")),
      triggerSource_(block.FindNode("Trigger Source") != nullptr &&
                             block.FindNode("Trigger Source")->netLink >= 0
                         ? In("Trigger Source")
                         : nullptr),
      level_(In("Trigger Level")),
      positive_(In("Positive Trig?")),
      position_(In("Trigger Position")),
      mode_(In("Trigger Mode")),
      acCouple1_(In(two_ ? "AC Couple1" : "AC Couple")),
      acCouple2_(two_ ? In("AC Couple2") : nullptr),
      acTrigger_(In("AC Trigger")),
      var_(benchTop, block.userString, LiveDisplay(block)),
      scope_(two_) {
    var_.SetValue(*input1_);
}

void KLibraryLiveVariable::Compute(double time) {
    var_.SetValue(*input1_);
    KLiveScopeInputs in;
    in.input1 = hot_ ? *hot_ : *input1_;
    in.input2 = input2_ ? *input2_ : 0.0;
    in.triggerValue = triggerSource_ ? *triggerSource_ : in.input1;
    in.timePerDivision = *timePerDivision_;
    in.level = *level_;
    in.positiveSlope = *positive_ > 0.5;
    in.position = *position_;
    in.autoMode = *mode_ > 0.5;
    in.acCouple1 = *acCouple1_ > 0.5;
    in.acCouple2 = acCouple2_ && *acCouple2_ > 0.5;
    in.acTrigger = *acTrigger_ > 0.5;
    // A time base that is not a positive number would never move the next
    // sample time on; such a scope waits until the input is sensible again.
    if (!(in.timePerDivision > 0) || !std::isfinite(in.timePerDivision)) return;
    scope_.Compute(time, in);
}

bool KLibraryLiveVariable::SampleLive(double) {
    return scope_.TakeSample();
}

}  // namespace korvel
