#include "engine/benchtop.h"

#include <algorithm>
#include <string>
#include <unordered_map>

#include "base/messages.h"
#include "base/numberformat.h"
#include "engine/fpfaults.h"
#include "engine/libraryclass.h"
#include "engine/runerror.h"
#include "engine/solver.h"
#include "model/block.h"
#include "model/compiled.h"
#include "model/elements.h"

namespace korvel {

namespace {

constexpr int kWarningNamedTime = 47;
constexpr int kWarningDuplicateName = 48;
constexpr std::string_view kRenameAdvice =
    "Model will run, but variable may not display properly in main scope or DSA.  Rename "
    "variable.";
// The horizon NextRunTime starts from when no instrument asks for a sample.
constexpr double kFarHorizon = 1000000.0;
// How many objects ahead a gated group's evaluation fetches.
constexpr std::uint32_t kPrefetchAhead = 4;

}  // namespace

KBenchTop::KBenchTop(Messages& messages, const KCompiled* compiled) : messages_(messages) {
    if (compiled == nullptr) return;
    compiled_ = compiled;
    source_ = compiled->Source();
    generation_ = compiled->Generation();
}

bool KBenchTop::IsCurrent() const {
    return source_ == nullptr || source_->Generation() == generation_;
}

KBenchTop::~KBenchTop() = default;

void KBenchTop::AddCompute(KLibraryClass& object) {
    compute_.push_back(&object);
    planValid_ = false;
}

void KBenchTop::AddDisplay(KLibraryClass& object) {
    display_.push_back(&object);
}

void KBenchTop::AddComputeAndLive(KLibraryClass& object) {
    AddCompute(object);
    live_.push_back(&object);
}

void KBenchTop::SetTimeVar(std::unique_ptr<KLibraryVar> var) {
    if (timeVar_) messages_.ErrorBox("Error: TimeVar already initialized");
    timeVar_ = std::move(var);
}

void KBenchTop::WarnVariableName(int code, const std::string& text) {
    compileMessages_.push_back({code, text, std::string(kRenameAdvice), true});
}

void KBenchTop::AddVariable(KLibraryVar& var) {
    if (!timeVar_) messages_.FatalBox("Error:  TimeVar must be initialized before other vars.");
    const std::string& name = var.Name();
    if (name == "Time") {
        WarnVariableName(kWarningNamedTime,
                         "Variable name \"" + name + "\" has the same as \"Time\"");
    }
    if (!var.IsHidden()) {
        // One warning per registered variable of the same name. Counting names
        // as they register keeps a large model's build linear.
        const auto it = nameCounts_.find(name);
        const int clashes = it == nameCounts_.end() ? 0 : it->second;
        for (int i = 0; i < clashes; ++i) {
            WarnVariableName(
                kWarningDuplicateName,
                "Variable name \"" + name + "\" has the same as another variable name.");
        }
    }
    ++nameCounts_[name];
    variables_.Add(var);
}

int KBenchTop::VisibleVariableCount() const {
    int count = 0;
    for (const KLibraryVar* var : variables_.All()) {
        if (!var->IsHidden()) ++count;
    }
    return count;
}

void KBenchTop::AddSolver(std::unique_ptr<KSolver> solver) {
    if (solver_) messages_.FatalBox("Attempt to add solver when one already is present");
    solver_ = std::move(solver);
}

void KBenchTop::RestartSolver() {
    if (!solver_) messages_.FatalBox("Attempt to restart solver when no solver is not present");
    solver_->RestartStopTime();
}

bool KBenchTop::ComputeAll(double t) {
    // Flags raised outside an evaluation (the solver's own arithmetic, the
    // front end) are not this evaluation's faults. Testing the flags is
    // cheaper than clearing them, so they are cleared only when raised.
    if (RaisedFpFaults() != 0) ClearFpFaults();
    errorReported_ = false;
    bool ok;
    if (batched_) {
        RefreshForPlan(Plan());
        ok = EvaluatePlan(t);
    } else {
        RefreshStateOutputs();
        ok = EvaluatePlain(t);
    }
    // A block that reported its own error stopped the evaluation; a fault
    // raised before it is not told apart (either way the run stops).
    if (RaisedFpFaults() != 0 && !errorReported_) return ReportFpFault(t);
    return ok;
}

bool KBenchTop::ReportFpFault(double t) {
    const int raised = RaisedFpFaults();
    // Evaluate again in compile order, one object at a time, until one raises
    // a fault: that block is named. Pure blocks compute the same values
    // again; blocks with memories of their own (a random source, a ramp
    // limit, a fired Stop block) move only when the time moves, and stop
    // requests are not shown twice. The solver discards the step either way.
    RefreshStateOutputs();
    bool stopRequested = false;
    for (KLibraryClass* object : compute_) {
        ClearFpFaults();
        try {
            object->Compute(t);
        } catch (const KRunError& error) {
            if (error.what() != kStopRequest) {
                ClearFpFaults();
                ReportRunError(*object, error.what(), stopRequested);
                return false;
            }
        }
        if (const int now = RaisedFpFaults(); now != 0) {
            ClearFpFaults();
            ReportRunError(*object, FpFaultMessage(now), stopRequested);
            return false;
        }
    }
    ClearFpFaults();
    // A fault that does not come again (a block with a memory raised it the
    // first time) still stops the run; only the block cannot be named.
    errorReported_ = true;
    messages_.ErrorBox("Run time error:  " + std::string(FpFaultMessage(raised)) +
                       " in the evaluation at time " + FormatGeneral(t, 15));
    return false;
}

void KBenchTop::RefreshForPlan(const KEvaluationPlan& plan) {
    if (plan.NeedsFullRefresh()) {
        RefreshStateOutputs();
        return;
    }
    // Kernels read states in place; only objects reading through pointers
    // need their state outputs written.
    double* values = arena_.Data();
    const double* states = solver_ ? solver_->States() : nullptr;
    for (const auto& [slot, state] : plan.ObjectStateReads()) values[slot] = states[state];
    for (KLibraryClass* object : refresh_) object->RefreshStateOutputs();
}

bool KBenchTop::StatesInArena() const {
    return solver_ != nullptr && solver_->States() == arena_.Data() + arena_.Size() &&
           arena_.StateCapacity() >= static_cast<std::size_t>(solver_->Count());
}

bool KBenchTop::EvaluatePlain(double t) {
    bool stopRequested = false;
    std::size_t i = 0;
    // One handler around the whole loop, resumed after a stop request, keeps
    // the loop itself free of exception bookkeeping.
    for (;;) {
        try {
            for (; i < compute_.size(); ++i) compute_[i]->Compute(t);
            return !stopRequested;
        } catch (const KRunError& error) {
            if (!ReportRunError(*compute_[i], error.what(), stopRequested)) return false;
            ++i;
        }
    }
}

bool KBenchTop::EvaluatePlan(double t) {
    const KEvaluationPlan& plan = Plan();
    const KEvaluationPlan::Op* ops = plan.Ops().data();
    const std::size_t opCount = plan.Ops().size();
    KKernelContext context;
    context.values = arena_.Data();
    if (solver_) {
        context.states = solver_->States();
        context.derivatives = solver_->Derivatives();
        context.solver = solver_.get();
    }
    context.time = t;
    context.memory = plan.Memory();
    std::uint32_t failed = 0;
    context.failed = &failed;
    const KKernelRecord* records = plan.Records();
    KLibraryClass* const* gated = plan.GatedObjects();

    bool stopRequested = false;
    std::size_t i = 0;
    std::uint32_t j = 0;  // the object within a gated group
    for (;;) {
        try {
            for (; i < opCount; ++i, j = 0) {
                const KEvaluationPlan::Op& op = ops[i];
                if (op.gate == nullptr) {
                    if (op.run != nullptr) {
                        op.run(context, records + op.first, op.count);
                    } else {
                        op.object->Compute(t);
                    }
                } else if (!*op.gate) {
                    continue;
                } else if (op.run != nullptr) {
                    context.tSample = *op.period;
                    op.run(context, records + op.first + j, op.count - j);
                } else {
                    KLibraryClass* const* group = gated + op.first;
                    for (; j < op.count; ++j) {
                        // Groups are long and their objects scattered in
                        // memory: fetch ahead what the next calls will touch.
                        if (j + kPrefetchAhead < op.count) {
                            __builtin_prefetch(group[j + kPrefetchAhead]);
                        }
                        group[j]->Compute(t);
                    }
                }
            }
            return !stopRequested;
        } catch (const KRunError& error) {
            // Ungated kernels never throw; a gated kernel batch names its
            // failing record and resumes after it, like a group.
            const KEvaluationPlan::Op& op = ops[i];
            if (op.gate != nullptr && op.run != nullptr) j += failed;
            KLibraryClass& object = op.gate == nullptr  ? *op.object
                                    : op.run != nullptr ? *plan.RecordObjects()[op.first + j]
                                                        : *gated[op.first + j];
            if (!ReportRunError(object, error.what(), stopRequested)) return false;
            if (op.gate != nullptr) {
                ++j;
            } else {
                ++i;
            }
        }
    }
}

bool KBenchTop::ReportRunError(KLibraryClass& object, std::string_view message,
                               bool& stopRequested) {
    KBlock& block = object.Block();
    const std::string tag(block.GetTypeTag());
    const std::string& name = block.userString;
    if (message == kStopRequest) {
        std::string text = "stop() executed from " + tag + " block";
        if (!name.empty()) text += " named \"" + name + "\"";
        text += " on sheet " + std::to_string(block.Page() + 1);
        messages_.NoteBox(text);
        stopRequested = true;
        return true;
    }
    std::string text = "Run time error:  " + std::string(message) + " in ";
    if (name.empty()) {
        text += "a " + tag + " block";
    } else {
        text += tag + " block named \"" + name + "\"";
    }
    block.runFailed = true;
    errorReported_ = true;
    messages_.ErrorBox(text);
    return false;
}

double KBenchTop::NextRunTime() const {
    double candidate = time + kFarHorizon;
    for (const auto* list : {&scopes_, &analyzers_}) {
        for (const KSampledInstrument* instrument : *list) {
            const double next = instrument->NextSampleTime();
            if (next >= 0 && next < candidate) candidate = next;
        }
    }
    return candidate;
}

bool KBenchTop::SampleInstruments() {
    bool ok = true;
    for (KSampledInstrument* scope : scopes_) ok = scope->Sample(time) && ok;
    for (KLibraryClass* object : live_) ok = object->SampleLive(time) && ok;
    for (KSampledInstrument* analyzer : analyzers_) ok = analyzer->Sample(time) && ok;
    return ok;
}

void KBenchTop::PrepareScopes() {
    for (KSampledInstrument* scope : scopes_) scope->PrepareForRun();
}

bool KBenchTop::BindInstruments() {
    bool ok = true;
    for (const auto* list : {&scopes_, &analyzers_}) {
        for (KSampledInstrument* instrument : *list) ok = instrument->BindToModel() && ok;
    }
    return ok;
}

bool KBenchTop::AnyScopeWantsStop() const {
    for (const KSampledInstrument* scope : scopes_) {
        if (scope->WantsStop()) return true;
    }
    return false;
}

bool KBenchTop::AnyAnalyzerRunning() const {
    for (const KSampledInstrument* analyzer : analyzers_) {
        if (analyzer->IsRunning()) return true;
    }
    return false;
}

void KBenchTop::ZeroStoredOutputs() {
    for (KLibraryClass* object : compute_) object->ZeroStoredOutputs();
    for (KLibraryVar* var : variables_.All()) var->ResetForZero();
}

KLibraryClass* KBenchTop::FindDigitalController(std::string_view name) const {
    for (KLibraryClass* object : compute_) {
        if (object->IsDigitalController() && object->Name() == name) return object;
    }
    return nullptr;
}

KLibraryClass* KBenchTop::FindSpreadsheetFile(std::string_view name) const {
    for (KLibraryClass* object : compute_) {
        if (object->IsSpreadsheetFile() && object->Name() == name) return object;
    }
    return nullptr;
}

bool KBenchTop::OpenFiles() {
    bool ok = true;
    for (KLibraryClass* object : compute_) ok = object->OpenFiles(modelFolder_) && ok;
    return ok;
}

void KBenchTop::SyncNodeValues() {
    // The nodes of an edited collection may be gone.
    if (!IsCurrent()) return;
    RefreshStateOutputs();
    arena_.SyncNodeValues();
}

void KBenchTop::AddStateOutput(std::uint32_t slot, int stateIndex) {
    if (!stateRuns_.empty()) {
        StateRun& last = stateRuns_.back();
        if (last.slot + static_cast<std::uint32_t>(last.count) == slot &&
            last.state + last.count == stateIndex) {
            ++last.count;
        } else {
            stateRuns_.push_back({slot, stateIndex, 1});
        }
    } else {
        stateRuns_.push_back({slot, stateIndex, 1});
    }
    if (isStateOutputSlot_.size() <= slot) isStateOutputSlot_.resize(slot + 1, 0);
    isStateOutputSlot_[slot] = 1;
    planValid_ = false;
}

bool KBenchTop::IsStateOutputSlot(std::uint32_t slot) const {
    return slot < isStateOutputSlot_.size() && isStateOutputSlot_[slot] != 0;
}

void KBenchTop::RefreshStateOutputs() {
    if (solver_ && !stateRuns_.empty()) {
        double* values = arena_.Data();
        const double* states = solver_->States();
        for (const StateRun& run : stateRuns_) {
            std::copy_n(states + run.state, run.count, values + run.slot);
        }
    }
    for (KLibraryClass* object : refresh_) object->RefreshStateOutputs();
}

void KBenchTop::SetBatchedEvaluation(bool batched) {
    batched_ = batched;
}

const KEvaluationPlan& KBenchTop::Plan() {
    if (!planValid_) {
        plan_.Build(compute_, *this, arena_.Size());
        planValid_ = true;
    }
    return plan_;
}

}  // namespace korvel
