// KLibraryClass: the run-time object of one block.
//
// Building the run-time model makes one object per block that does something
// at run time (through the factory, see libraryfactory.h). The constructor
// resolves the block's nodes to value slots of the arena once: In for values
// it reads, Out for values it writes; Compute then reads and writes plain
// doubles. Parameters that only matter when the model is built are read with
// NodeValue. Errors during Compute are thrown as KRunError and reported by
// KBenchTop::ComputeAll.
//
// The slots an object reads and writes are recorded as it resolves them, so
// the bench top can order evaluations by data flow (see evaluationplan.h).
// An object must therefore reach the arena only through In, Out and StateOut,
// and only from its constructor.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/kernel.h"
#include "engine/runobject.h"

namespace korvel {

class KBenchTop;
class KBlock;
class KStateVar;
class KLibraryClass;

// An object whose Compute does nothing unless a flag is set: the flag and the
// object that sets it earlier in the same evaluation (a digital block and its
// controller's sampling flag). The batched plan places such an object after
// the owner and skips it, with its whole group, while the flag is clear.
struct KGate {
    const bool* flag = nullptr;
    const KLibraryClass* owner = nullptr;
    // The owner's sample period, which gated kernels read (digital blocks).
    const double* period = nullptr;
};

class KLibraryClass : public KRunObject {
public:
    KLibraryClass(KBenchTop& benchTop, KBlock& block);

    // One evaluation of the block at the given time.
    virtual void Compute(double time);
    virtual bool IsDigitalController() const { return false; }
    virtual bool IsSpreadsheetFile() const { return false; }
    // Opens the files the object works on (a workbook), relative names
    // resolving against `modelFolder`; false after an error box. Called once
    // the run-time model is built, before it runs (base: nothing to open).
    virtual bool OpenFiles(const std::string& /*modelFolder*/) { return true; }
    // Clears stored outputs and internal histories ("Zero All Stored Outputs").
    virtual void ZeroStoredOutputs() {}
    // Brings state outputs up to date from the block's states; called before
    // every evaluation for objects that asked with RefreshBeforeEachEvaluation.
    virtual void RefreshStateOutputs() {}
    // The sample a live-list object takes after the solver has run.
    virtual bool SampleLive(double time);
    // Describes the object as a kernel when its evaluation allows it.
    virtual bool DescribeKernel(KKernel& kernel) const;
    // Whether an evaluation does more than compute the object's outputs,
    // derivatives and own memories from its inputs, states and the time
    // (messages, stop requests, errors it throws, instruments, sampling).
    // Objects that answer false may be evaluated in any order the data flow
    // allows (see evaluationplan.h).
    virtual bool HasSideEffects() const { return true; }
    // The flag without which Compute does nothing (none by default).
    virtual KGate Gate() const { return {}; }
    // Describes a gated object as a kernel that runs only while its gate's
    // flag is set, its internal memory moved into the plan (see
    // KKernel::memory). The runner must compute exactly what Compute computes
    // while the flag is set; it may throw a run error as Compute would, after
    // storing the failing record's index (KKernelContext::failed).
    virtual bool DescribeGatedKernel(KKernel& /*kernel*/) { return false; }
    // Compiles the block's program once every object exists; false after the
    // error has been shown. Blocks without a program have nothing to do.
    virtual bool CompileProgram() { return true; }

    KBlock& Block() const { return block_; }
    const std::string& Name() const;
    std::string_view Tag() const;
    KBenchTop& BenchTop() const { return benchTop_; }

    // Slots resolved with In and Out (not those of StateOut).
    const std::vector<std::uint32_t>& ReadSlots() const { return reads_; }
    const std::vector<std::uint32_t>& WrittenSlots() const { return writes_; }

protected:
    const double* In(std::string_view node);
    double* Out(std::string_view node);
    // An output that always equals one state. The bench top refreshes it from
    // the state before every evaluation, so Compute need not write it and a
    // reader ordered before this block still sees the current stage's state.
    double* StateOut(std::string_view node, KStateVar& state);
    // The node's own value, for parameters read once when the model is built.
    double NodeValue(std::string_view node) const;
    // Asks for RefreshStateOutputs before every evaluation.
    void RefreshBeforeEachEvaluation();
    // The arena index of a slot this object resolved.
    std::uint32_t SlotIndex(const double* slot) const;
    // Records a slot written during this object's evaluation on another
    // object's behalf (a digital controller writes its blocks' sampled
    // outputs), so the evaluation plan orders that slot's readers after it.
    void RecordWrite(std::uint32_t slot) { writes_.push_back(slot); }

private:
    KBenchTop& benchTop_;
    KBlock& block_;
    std::vector<std::uint32_t> reads_;
    std::vector<std::uint32_t> writes_;
};

// The value slot of a block's node; a fatal "Fault in" error when the block
// has no such node or the node was not laid out in the arena.
double* NodeSlot(KBenchTop& benchTop, KBlock& block, std::string_view node);

}  // namespace korvel
