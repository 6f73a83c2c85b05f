// KBenchTop: the run-time model of a compiled model.
//
// It owns everything built from the compiled block list: the value arena, the
// run-time object of every block, the time variable, the solver and the
// instruments, and it lists them for the run: the compute list (evaluated at
// every solver stage, in compile order or by the equivalent batched plan),
// the display list (drawn at display ticks), the live list (computed and
// sampled), scopes, analyzers, windows, and every registered variable.
//
// ComputeAll is the one place where run-time errors of blocks are caught and
// turned into the user's messages. Before every evaluation the state outputs
// are brought up to date from the states (kernels of the batched plan read the
// states in place), so every block of an evaluation sees the states of the
// current solver stage wherever it sits in the order; an integrator's reader
// ordered before it no longer sees the previous stage.
//
// Fatal conditions (solver missing or doubled, time variable missing) show a
// Fatal Error box and throw KFatalError; the core never ends the process.
//
// The run-time objects refer to the blocks of the collection that was
// compiled. An edit through that collection may delete them, so the bench
// top remembers the collection's generation it was built at: once IsCurrent
// answers false it must not run or sync again (the run loop refuses it), and
// the model is compiled and built afresh.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "engine/compilemessage.h"
#include "engine/evaluationplan.h"
#include "engine/runobject.h"
#include "engine/valuearena.h"
#include "engine/variables.h"

namespace korvel {

class KCompiled;
class KElements;
class KLibraryClass;
class KSolver;
class Messages;

class KBenchTop {
public:
    // Built from a compile (nullptr: a bench top of no collection, always current).
    explicit KBenchTop(Messages& messages, const KCompiled* compiled = nullptr);
    KBenchTop(const KBenchTop&) = delete;
    KBenchTop& operator=(const KBenchTop&) = delete;
    ~KBenchTop();

    Messages& Sink() const { return messages_; }
    // The collection compiled, or nullptr.
    const KElements* Source() const { return source_; }
    // The compile the bench top was built from, or nullptr. Whoever compiles
    // keeps it alive as long as the bench top (both are dropped together).
    const KCompiled* Compiled() const { return compiled_; }
    // Whether the collection compiled has not been edited since.
    bool IsCurrent() const;
    KValueArena& Arena() { return arena_; }

    // The bench-top clock in seconds; only the solver advances it.
    double time = 0.0;

    // --- Ownership and lists ----------------------------------------------
    // Takes an object for the bench top's lifetime and answers it.
    template <class T>
    T& Adopt(std::unique_ptr<T> object) {
        static_assert(std::is_base_of_v<KRunObject, T>);
        T& ref = *object;
        owned_.push_back(std::move(object));
        return ref;
    }
    void AddCompute(KLibraryClass& object);
    void AddDisplay(KLibraryClass& object);
    void AddComputeAndLive(KLibraryClass& object);
    void AddWindow(KRunWindow& window) { windows_.push_back(&window); }
    void AddScope(KSampledInstrument& scope) { scopes_.push_back(&scope); }
    void AddAnalyzer(KSampledInstrument& analyzer) { analyzers_.push_back(&analyzer); }
    const std::vector<KLibraryClass*>& ComputeList() const { return compute_; }
    const std::vector<KLibraryClass*>& DisplayList() const { return display_; }
    const std::vector<KLibraryClass*>& LiveList() const { return live_; }
    const std::vector<KRunWindow*>& Windows() const { return windows_; }
    const std::vector<KSampledInstrument*>& Scopes() const { return scopes_; }
    const std::vector<KSampledInstrument*>& Analyzers() const { return analyzers_; }

    // --- Variables -----------------------------------------------------------
    // Stores the time variable; a second one replaces the first after an Error box.
    void SetTimeVar(std::unique_ptr<KLibraryVar> var);
    KLibraryVar* TimeVar() const { return timeVar_.get(); }
    // Registers a variable, listing warnings 47 and 48 for names that clash.
    void AddVariable(KLibraryVar& var);
    const KVarVector& Variables() const { return variables_; }
    // The variable at i, or nullptr after an Error box.
    KLibraryVar* VarAt(int i) const { return variables_.VarAt(i, messages_); }
    int VisibleVariableCount() const;
    // Warnings and errors found while building, for the caller to show.
    std::vector<KCompileMessage>& CompileMessages() { return compileMessages_; }

    // --- Solver ----------------------------------------------------------------
    void AddSolver(std::unique_ptr<KSolver> solver);
    KSolver* Solver() const { return solver_.get(); }
    void RestartSolver();

    // --- Running -----------------------------------------------------------------
    // One evaluation of every compute-list object; false when a block asked
    // to stop or failed (the messages have been shown). A division by zero,
    // an overflow or an invalid operation anywhere in the evaluation is a
    // run-time error of the block that raised it (see fpfaults.h).
    bool ComputeAll(double time);
    // The time up to which the solver may run before an instrument needs a sample.
    double NextRunTime() const;
    // Scopes, live objects, then analyzers sample; false if any answered false.
    bool SampleInstruments();
    void PrepareScopes();
    // Lets every scope and analyzer bind to the finished model's variables;
    // false when one of them refused (the message has been shown).
    bool BindInstruments();
    bool AnyScopeWantsStop() const;
    bool AnyAnalyzerRunning() const;
    // "Zero All Stored Outputs" on the run-time side.
    void ZeroStoredOutputs();
    KLibraryClass* FindDigitalController(std::string_view name) const;
    KLibraryClass* FindSpreadsheetFile(std::string_view name) const;

    // --- Files the model works on ----------------------------------------------
    // The folder of the model file; relative file names of blocks (workbooks)
    // resolve against it. Empty: the current folder.
    void SetModelFolder(std::string folder) { modelFolder_ = std::move(folder); }
    const std::string& ModelFolder() const { return modelFolder_; }
    // Opens the files of every compute-list object (OpenFiles) after the model
    // folder is set; false when one could not be opened (the messages have
    // been shown), which refuses the run-time model.
    bool OpenFiles();
    // Copies output values back into the blocks' nodes for the editor; does
    // nothing once the collection has been edited.
    void SyncNodeValues();

    // --- State outputs -----------------------------------------------------------
    // State outputs as runs of consecutive slots mirroring consecutive states
    // (how the arena and the solver lay out integrators), copied run by run.
    struct StateRun {
        std::uint32_t slot;
        int state;
        int count;
    };
    // An arena slot that always equals a state (see KLibraryClass::StateOut).
    void AddStateOutput(std::uint32_t slot, int stateIndex);
    const std::vector<StateRun>& StateRuns() const { return stateRuns_; }
    void AddRefresh(KLibraryClass& object) { refresh_.push_back(&object); }
    bool IsStateOutputSlot(std::uint32_t slot) const;
    // Writes every state output from the current states.
    void RefreshStateOutputs();
    // Whether kernels can read the solver's states in place: the states live
    // right behind the arena's value slots.
    bool StatesInArena() const;

    // --- Evaluation order ------------------------------------------------------
    // Batched evaluation (the default) runs independent blocks of one kind as
    // one loop; plain evaluation calls every object in compile order. Both
    // give bit-identical values; plain order is kept for comparison and for
    // callers that need strict compile order.
    void SetBatchedEvaluation(bool batched);
    bool IsBatchedEvaluation() const { return batched_; }
    const KEvaluationPlan& Plan();

private:
    bool EvaluatePlain(double time);
    bool EvaluatePlan(double time);
    // The state outputs the plan's evaluation needs written beforehand.
    void RefreshForPlan(const KEvaluationPlan& plan);
    // Reports a caught run-time error; true when the evaluation goes on (a stop request).
    bool ReportRunError(KLibraryClass& object, std::string_view message, bool& stopRequested);
    // Names the block that raised a floating-point fault; always false.
    bool ReportFpFault(double time);
    void WarnVariableName(int code, const std::string& text);

    Messages& messages_;
    const KElements* source_ = nullptr;
    const KCompiled* compiled_ = nullptr;
    std::uint64_t generation_ = 0;
    KValueArena arena_;
    std::unique_ptr<KSolver> solver_;
    std::unique_ptr<KLibraryVar> timeVar_;
    KVarVector variables_;
    std::unordered_map<std::string, int> nameCounts_;
    std::vector<KCompileMessage> compileMessages_;

    std::vector<KLibraryClass*> compute_;
    std::vector<KLibraryClass*> display_;
    std::vector<KLibraryClass*> live_;
    std::vector<KRunWindow*> windows_;
    std::vector<KSampledInstrument*> scopes_;
    std::vector<KSampledInstrument*> analyzers_;

    std::vector<StateRun> stateRuns_;
    std::vector<unsigned char> isStateOutputSlot_;
    std::vector<KLibraryClass*> refresh_;

    std::string modelFolder_;
    // Whether the evaluation in progress has reported a block's error.
    bool errorReported_ = false;
    bool batched_ = true;
    bool planValid_ = false;
    KEvaluationPlan plan_;

    // Last, so objects (which own their variables) go before the lists above.
    std::vector<std::unique_ptr<KRunObject>> owned_;
};

}  // namespace korvel
