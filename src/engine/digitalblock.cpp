#include "engine/digitalblock.h"

#include <cmath>
#include <string>

#include "base/numberformat.h"
#include "engine/benchtop.h"
#include "engine/runerror.h"
#include "engine/solver.h"
#include "model/block.h"
#include "model/node.h"

namespace korvel {

namespace {

constexpr std::string_view kMissingControllerText = "Null value in internal variable, LibraryDctl.";
constexpr std::string_view kMissingControllerAdvice =
    "This is an internal fault.  Please report it to Korvel support.";

bool IsUsablePeriod(double tSample) {
    return std::isfinite(tSample) && tSample > 0;
}

}  // namespace

bool IsSampleInstant(const KBenchTop& benchTop) {
    const KSolver* solver = benchTop.Solver();
    if (solver == nullptr) return true;
    // The last-stage flag starts set so that the very first evaluation is a
    // sample; it stays set through the first step's second and third stages,
    // which are predictors like any other, so the stage is checked as well.
    return solver->IsLastStage() && (solver->Stage() == 4 || solver->Stage() == 1);
}

KLibraryDctl* FindControllerByReference(const KBenchTop& benchTop, double reference) {
    KLibraryDctl* only = nullptr;
    int count = 0;
    for (KLibraryClass* object : benchTop.ComputeList()) {
        if (!object->IsDigitalController()) continue;
        auto* controller = static_cast<KLibraryDctl*>(object);
        if (reference == -1) {
            only = controller;
            ++count;
        } else if (controller->Block().IDNumber() == reference) {
            return controller;
        }
    }
    return count == 1 ? only : nullptr;
}

KLibraryDctl::KLibraryDctl(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      tSampleNode_(In("TSample")),
      tSample_(*tSampleNode_),
      usable_(IsUsablePeriod(tSample_)) {}

void KLibraryDctl::Register(KLibraryDigitalClass& block) {
    blocks_.push_back(&block);
}

void KLibraryDctl::DeclareSampledWrite(KLibraryDigitalClass& block, std::uint32_t slot) {
    RecordWrite(slot);
    if (publishers_.empty() || publishers_.back() != &block) publishers_.push_back(&block);
}

void KLibraryDctl::ChangePeriod(double tSample, double time) {
    if (!IsUsablePeriod(tSample)) {
        usable_ = false;
        sampling_ = false;
        throw KRunError("node \"TSample\" is " + FormatGeneral(tSample, 6) +
                        "; it must be a finite number of seconds greater than 0");
    }
    usable_ = true;
    tSample_ = tSample;
    // After a deferred first evaluation the first sample is still due.
    if (!deferred_) next_ = time + tSample;
    deferred_ = false;
    for (KLibraryDigitalClass* block : blocks_) block->UpdateCoefficients();
}

void KLibraryDctl::Compute(double time) {
    const double tSample = *tSampleNode_;
    if (tSample != tSample_ || !usable_) {
        // A TSample wired from a block computed after the controller holds
        // no value yet at the model's very first evaluation: wait for it.
        if (!evaluated_ && !IsUsablePeriod(tSample)) {
            evaluated_ = true;
            deferred_ = true;
            sampling_ = false;
            return;
        }
        ChangePeriod(tSample, time);
    }
    evaluated_ = true;
    if (time >= next_ && IsSampleInstant(BenchTop())) {
        sampling_ = true;
        next_ = time + tSample_ * kNextSampleFactor;
        for (KLibraryDigitalClass* block : publishers_) block->SampleOutput();
        return;
    }
    sampling_ = false;
}

KLibraryDctl* FindBlockController(KBenchTop& benchTop, const KBlock& block,
                                  int missingControllerCode) {
    const KNode* node = block.FindNode("Controller");
    KLibraryDctl* controller =
        node != nullptr ? FindControllerByReference(benchTop, node->value) : nullptr;
    if (controller == nullptr)
        benchTop.CompileMessages().push_back({missingControllerCode,
                                              std::string(kMissingControllerText),
                                              std::string(kMissingControllerAdvice), false});
    return controller;
}

KLibraryDigitalClass::KLibraryDigitalClass(KBenchTop& benchTop, KBlock& block,
                                           int missingControllerCode)
    : KLibraryClass(benchTop, block),
      controller_(FindBlockController(benchTop, block, missingControllerCode)) {
    if (controller_ != nullptr) controller_->Register(*this);
}

KGate KLibraryDigitalClass::Gate() const {
    if (controller_ == nullptr) return {};
    return {controller_->SamplingFlag(), controller_, controller_->TSamplePointer()};
}

double* KLibraryDigitalClass::SampledOut(std::string_view node) {
    double* slot = Out(node);
    if (controller_ != nullptr) controller_->DeclareSampledWrite(*this, SlotIndex(slot));
    return slot;
}

}  // namespace korvel
