#include "engine/runloop.h"

#include <exception>
#include <string>

#include "base/messages.h"
#include "base/numberformat.h"
#include "engine/benchtop.h"
#include "engine/solver.h"

namespace korvel {

KRunLoop::KRunLoop(Messages& messages) : messages_(messages) {}

void KRunLoop::SetBenchTop(KBenchTop* benchTop) {
    benchTop_ = benchTop;
    SetRunning(false);
}

void KRunLoop::SetRunning(bool running) {
    if (running == running_) return;
    running_ = running;
    if (onRunningChanged) onRunningChanged(running_);
}

bool KRunLoop::HasModel() const {
    return benchTop_ != nullptr && benchTop_->IsCurrent();
}

bool KRunLoop::PressRun() {
    if (!HasModel()) return false;
    SetRunning(true);
    benchTop_->PrepareScopes();
    benchTop_->RestartSolver();
    return true;
}

bool KRunLoop::Pass() {
    if (!HasModel()) {
        // An edit took the compiled model away: nothing runs until it is rebuilt.
        PressStop();
        return false;
    }
    try {
        RunPasses();
    } catch (const KFatalError&) {
        throw;  // the front end ends the program
    } catch (const std::exception& error) {
        messages_.ErrorBox("The following run-time error occurred:   " + std::string(error.what()) +
                           ".\nThe model will be automatically stopped.");
        PressStop();
    }
    if (onTimeText) onTimeText(FormatGeneral(benchTop_->time, 6));
    return true;
}

void KRunLoop::RunPasses() {
    KSolver* solver = benchTop_->Solver();
    for (int pass = 0; pass < kPassesPerCall; ++pass) {
        if (!running_) {
            // A running signal analyzer keeps its own excitation going.
            if (benchTop_->AnyAnalyzerRunning()) return;
            continue;
        }
        if (benchTop_->AnyScopeWantsStop()) return;
        const double target = benchTop_->NextRunTime();
        if (solver == nullptr || !solver->RunUntil(target)) PressStop();
        if (!benchTop_->SampleInstruments()) {
            PressStop();
            return;
        }
    }
}

void KRunLoop::DisplayTick() {
    if (HasModel() && onDisplayTick) onDisplayTick();
}

}  // namespace korvel
