#include "engine/variables.h"

#include <utility>

#include "base/messages.h"
#include "engine/benchtop.h"
#include "engine/solver.h"

namespace korvel {

namespace {

// A state needs a solver with room before it registers anywhere, so a fatal
// error never leaves a half-made state in the bench top's variable list.
KBenchTop& RequireSolverRoom(KBenchTop& benchTop) {
    KSolver* solver = benchTop.Solver();
    if (solver == nullptr) benchTop.Sink().FatalBox("Solver not initializated when statevar added");
    if (!solver->HasRoom()) {
        benchTop.Sink().FatalBox("Exceeded max order of solver; increase max order and recompile");
    }
    return benchTop;
}

}  // namespace

KLibraryVar::KLibraryVar(std::string name, KVarDisplay display, bool hidden)
    : display(std::move(display)), name_(std::move(name)), hidden_(hidden) {}

KVar::KVar(KBenchTop& benchTop, std::string name, KVarDisplay display, bool hidden)
    : KLibraryVar(std::move(name), std::move(display), hidden) {
    benchTop.AddVariable(*this);
}

KStateVar::KStateVar(KBenchTop& benchTop, std::string name, KVarDisplay display,
                     double initialValue, bool hidden)
    : KVar(RequireSolverRoom(benchTop), std::move(name), std::move(display), hidden),
      solver_(*benchTop.Solver()),
      initialValue_(initialValue) {
    isState_ = true;
    SetValue(initialValue);
    solver_.AddStateVar(*this);
}

double& KStateVar::Derivative() {
    return solver_.Derivatives()[index_];
}

void KStateVar::ResetTo(double value) {
    solver_.ResetTo(index_, value);
}

KLibraryVar* KVarVector::VarAt(int i, Messages& messages) const {
    if (i < 0 || i >= Count()) {
        messages.ErrorBox("Internal Error KVarVector.VarAt failed");
        return nullptr;
    }
    return vars_[static_cast<std::size_t>(i)];
}

KVarDisplay InternalStateDisplay() {
    KVarDisplay display;
    display.units = "Null";
    display.scale = 1.0;
    display.offset = 0.0;
    display.mult = 0.0;
    display.show = true;
    return display;
}

}  // namespace korvel
