// The instrument blocks at run time: the oscilloscope, the dynamic signal
// analyzer and the live scopes.
//
// The Scope and DSA blocks bind to the model's variables once the whole
// run-time model is built (BindToModel), since the Variables they watch may
// compile after them; only then do they make their acquisition objects from
// the block's node values. Each keeps a display state the windows draw
// (instruments/): the scope's channels, screen and trigger indicator, the
// analyzer's progress and records.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/libraryclass.h"
#include "engine/runobject.h"
#include "engine/variables.h"
#include "instruments/livescope.h"
#include "instruments/scopeacquisition.h"
#include "instruments/xferacquisition.h"

namespace korvel {

class KBenchTop;
class KBlock;

// Every displayable (not hidden) variable of the bench top, in order.
std::vector<KSignal> DisplayableSignals(const KBenchTop& benchTop);

// KScope: the oscilloscope of a Scope block. It computes nothing; the run
// loop lets it sample, and its acquisition holds what the window draws.
class KScope final : public KLibraryClass, public KSampledInstrument {
public:
    KScope(KBenchTop& benchTop, KBlock& block);

    double NextSampleTime() const override;
    bool Sample(double time) override;
    void PrepareForRun() override;
    bool WantsStop() const override;
    bool BindToModel() override;

    // Null until the model is bound.
    KScopeAcquisition* Acquisition() { return scope_.get(); }
    const KScopeAcquisition* Acquisition() const { return scope_.get(); }

private:
    std::unique_ptr<KScopeAcquisition> scope_;
};

// The dynamic signal analyzer block: "Excitation" = "Unswitched Input Wave"
// plus the analyzer's excitation while it samples, else plus "Switched Input
// Wave"; "DSA Inactive" is 1 while it does not excite the model.
class KLibraryDsa final : public KLibraryClass, public KSampledInstrument {
public:
    KLibraryDsa(KBenchTop& benchTop, KBlock& block);

    void Compute(double time) override;
    double NextSampleTime() const override;
    bool Sample(double time) override;
    bool IsRunning() const override;
    bool BindToModel() override;

    // Null until the model is bound.
    KXferAcquisition* Acquisition() { return xfer_.get(); }

private:
    // The name of the Variable a channel node refers to, or empty after an
    // Error box naming the channel.
    std::string ChannelName(std::string_view node, std::string_view which);

    const double* switched_;
    const double* unswitched_;
    const double* amplitude_;
    double* excitation_;
    double* inactive_;
    std::unique_ptr<KXferAcquisition> xfer_;
};

// Builds the scope and puts it on the compute list (where it computes
// nothing, last) and the scope list.
void MakeScopeBlock(KBenchTop& benchTop, KBlock& block);
// Builds the analyzer and puts it on the compute and analyzer lists.
void MakeDsaBlock(KBenchTop& benchTop, KBlock& block);

// A live scope, one or two channels: a variable named after the block (its
// first input) and a small scope sampled as the block computes.
class KLibraryLiveVariable final : public KLibraryClass {
public:
    KLibraryLiveVariable(KBenchTop& benchTop, KBlock& block);

    void Compute(double time) override;
    bool SampleLive(double time) override;

    KLiveScopeAcquisition& Acquisition() { return scope_; }
    const KVar& Var() const { return var_; }

    // "Hot Connect": the scope shows another variable of the model (and,
    // when "Trigger Source" is not wired, triggers on it) until Restore. The
    // block's own variable keeps following its input.
    void HotConnect(const KLibraryVar& var) { hot_ = var.ValueAddress(); }
    void Restore() { hot_ = nullptr; }
    bool IsHotConnected() const { return hot_ != nullptr; }

private:
    bool two_;
    const double* hot_ = nullptr;
    const double* input1_;
    const double* input2_;
    const double* timePerDivision_;
    const double* triggerSource_;  // null: the trigger follows the input
    const double* level_;
    const double* positive_;
    const double* position_;
    const double* mode_;
    const double* acCouple1_;
    const double* acCouple2_;
    const double* acTrigger_;
    KVar var_;
    KLiveScopeAcquisition scope_;
};

}  // namespace korvel
