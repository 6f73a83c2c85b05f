// Digital control: the Digital Controller and the base of every block that
// it samples.
//
// A digital block changes its outputs only at the sample instants of the
// Digital Controller it names in its "Controller" node; between samples its
// outputs hold. A controller samples at the end of a Runge-Kutta step (the
// evaluation of the fourth stage, when the solver's states are the step's
// result), at the first step end at or after its due time, so a "TSample"
// that is not a multiple of the solver's h is in effect raised to the next
// multiple of h, and one smaller than h samples at every step end. The very
// first evaluation of a run (time 0) is a sample as well.
//
// Within one evaluation the controller computes first (the compile order puts
// controllers right after the Solver): when the sample is due it sets its
// sampling flag and calls SampleOutput on its blocks in registration order,
// which is where a block publishes a value that must not depend on this
// evaluation's inputs (a one-sample delay). Each block's own Compute then
// runs at its place in the compile order and, when IsSampling(), takes its
// inputs and updates its outputs and histories.
//
// To write a block:
//   - derive from KLibraryDigitalClass; resolve inputs with In, outputs that
//     Compute writes with Out, and outputs that SampleOutput writes with
//     SampledOut (the write then belongs to the controller's evaluation,
//     and the controller calls the block's SampleOutput at each sample);
//   - in Compute, return at once unless IsSampling(); the batched plan
//     skips the block altogether while its controller is not sampling (see
//     Gate). A block that must act at other evaluations too overrides Gate
//     to return {};
//   - override UpdateCoefficients when coefficients depend on TSample (the
//     controller calls it whenever TSample changes; call it yourself at the
//     end of the constructor for the first period);
//   - override ZeroStoredOutputs to clear histories and outputs;
//   - optionally, for speed, override DescribeGatedKernel: keep the internal
//     memory behind a pointer the plan may move (KKernel::memory) and give a
//     runner that computes what Compute computes, through one function both
//     share. The plan then runs each controller's blocks of one kind as one
//     loop over plain arrays at its samples.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/libraryclass.h"

namespace korvel {

class KLibraryDigitalClass;

// Whether the current evaluation is one at which sampled blocks act: the
// last stage of a solver step, or the very first evaluation of the model.
// Meters, counters and inspectors use it too, so they never act on the
// solver's mid-step predictor values.
bool IsSampleInstant(const KBenchTop& benchTop);

// The Digital Controller ("KDctl"): sets the period of its digital blocks.
class KLibraryDctl final : public KLibraryClass {
public:
    // Keeps a period that is an exact multiple of h from slipping by one step
    // through rounding.
    static constexpr double kNextSampleFactor = 0.999999;

    KLibraryDctl(KBenchTop& benchTop, KBlock& block);

    // Notices a new TSample (recomputing its blocks' coefficients) and takes
    // a sample when one is due. A TSample that is not a finite number greater
    // than 0 is a run-time error naming the node and its value, except at the
    // model's very first evaluation, where a TSample wired from a block that
    // computes later holds nothing yet: the controller then waits for the
    // value and takes its first sample at the first step end.
    void Compute(double time) override;
    bool IsDigitalController() const override { return true; }

    bool IsSampling() const { return sampling_; }
    const bool* SamplingFlag() const { return &sampling_; }
    double TSample() const { return tSample_; }
    const double* TSamplePointer() const { return &tSample_; }
    double NextSampleTime() const { return next_; }

    // Called by a digital block's constructor.
    void Register(KLibraryDigitalClass& block);
    // A block publishing `slot` from SampleOutput (see SampledOut). Only such
    // blocks are called at samples: for the others SampleOutput does nothing.
    void DeclareSampledWrite(KLibraryDigitalClass& block, std::uint32_t slot);

private:
    void ChangePeriod(double tSample, double time);

    const double* tSampleNode_;
    double tSample_;
    double next_ = 0.0;
    bool sampling_ = false;
    bool usable_;
    bool evaluated_ = false;
    bool deferred_ = false;
    std::vector<KLibraryDigitalClass*> blocks_;
    std::vector<KLibraryDigitalClass*> publishers_;
};

// The base of every block a Digital Controller samples.
class KLibraryDigitalClass : public KLibraryClass {
public:
    // Finds the controller the "Controller" node names and registers with
    // it. A node of -1 means the model's only controller; otherwise it is the
    // controller's element number. With no such controller a compile error is
    // listed and the block never samples.
    KLibraryDigitalClass(KBenchTop& benchTop, KBlock& block, int missingControllerCode = 31);

    // Recomputes coefficients that depend on TSample.
    virtual void UpdateCoefficients() {}
    // Publishes what the block outputs at a sample before the evaluation
    // computes anything (see the header comment). Called only for blocks
    // that resolved an output with SampledOut.
    virtual void SampleOutput() {}

    // Compute acts only while the controller samples.
    KGate Gate() const override;

    KLibraryDctl* Controller() const { return controller_; }
    bool IsSampling() const { return controller_ != nullptr && controller_->IsSampling(); }
    // The controller's current period (0 without a controller).
    double TSample() const { return controller_ != nullptr ? controller_->TSample() : 0.0; }

protected:
    // An output written by SampleOutput.
    double* SampledOut(std::string_view node);

private:
    KLibraryDctl* controller_ = nullptr;
};

// The controller a "Controller" node value names, or nullptr.
KLibraryDctl* FindControllerByReference(const KBenchTop& benchTop, double reference);

// The controller that `block`'s "Controller" node names. Without one, lists
// the compile error `missingControllerCode` about the block and answers
// nullptr.
KLibraryDctl* FindBlockController(KBenchTop& benchTop, const KBlock& block,
                                  int missingControllerCode);

}  // namespace korvel
