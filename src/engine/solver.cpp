#include "engine/solver.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/messages.h"
#include "base/numberformat.h"
#include "engine/benchtop.h"
#include "engine/variables.h"
#include "model/block.h"

namespace korvel {

namespace {

// The weight of the slope sum, held in extended precision so the final
// combination is not rounded through a double 1/6.
constexpr long double kOneSixth = 1.0L / 6.0L;

// start + slope sum x h x 1/6, every intermediate in extended precision.
inline double Combined(double start, double slope, double h) {
    return static_cast<double>(start + static_cast<long double>(slope) * h * kOneSixth);
}

}  // namespace

KSolver::KSolver(KBenchTop& benchTop, const KBlock* block, const double* step, const double* limit,
                 int maxOrder, double* stateStorage)
    : benchTop_(benchTop), block_(block), step_(step), limit_(limit), maxOrder_(maxOrder) {
    const auto size = static_cast<std::size_t>(std::max(maxOrder, 0));
    states_.reserve(size);
    if (stateStorage == nullptr) {
        ownStates_.assign(size, 0.0);
        stateStorage = ownStates_.data();
    }
    x_ = stateStorage;
    std::fill_n(x_, size, 0.0);
    dx_.assign(size, 0.0);
    start_.assign(size, 0.0);
    slope_.assign(size, 0.0);
    resetValue_.assign(size, 0.0);
    pending_.assign(size, 0);
}

void KSolver::AddStateVar(KStateVar& state) {
    if (count_ >= maxOrder_) {
        benchTop_.Sink().FatalBox("Exceeded max order of solver; increase max order and recompile");
    }
    const auto i = static_cast<std::size_t>(count_);
    x_[i] = state.InitialValue();
    start_[i] = state.InitialValue();
    slope_[i] = 0.0;
    state.index_ = count_;
    state.value_ = &x_[i];
    states_.push_back(&state);
    ++count_;
}

void KSolver::ResetStateVars() {
    for (int i = 0; i < count_; ++i) {
        const auto s = static_cast<std::size_t>(i);
        x_[s] = states_[s]->InitialValue();
        start_[s] = x_[s];
        slope_[s] = 0.0;
    }
}

void KSolver::RestartStopTime() {
    lastLimit_ = *limit_;
    if (lastLimit_ > 0) {
        stopTime_ = benchTop_.time + lastLimit_;
    } else {
        stopTime_ = kNoStopTime;  // zero, negative or not a number: no limit
    }
}

bool KSolver::RunUntil(double target) {
    while (benchTop_.time < target) {
        // A changed limit counts from the moment of the change. A limit that is
        // not a number never equals itself and restarts to "no limit" each step.
        if (*limit_ != lastLimit_) RestartStopTime();
        if (!Step(benchTop_.time)) return false;
    }
    return true;
}

void KSolver::ResetTo(int index, double value) {
    const auto i = static_cast<std::size_t>(index);
    resetValue_[i] = value;
    if (pending_[i] == 0) {
        pending_[i] = 1;
        ++pendingCount_;
    }
}

bool KSolver::StepIsUsable(double h, double t) {
    // A step too small to move the clock (t + h == t, late in a long run)
    // would repeat forever without reaching any target.
    if (std::isfinite(h) && h > 0 && t + h > t) return true;
    std::string text = "Solver block";
    if (block_ != nullptr) text += " \"" + block_->userString + "\"";
    if (std::isfinite(h) && h > 0) {
        text += ": node \"h\" (" + FormatGeneral(h, 6) + ") is too small to advance the time " +
                FormatGeneral(t, 15) + ".";
    } else {
        text += ": node \"h\" must be a finite number greater than 0 (it is " +
                FormatGeneral(h, 6) + ").";
    }
    benchTop_.Sink().ErrorBox(text);
    return false;
}

bool KSolver::Step(double t) {
    // A step wired from the model is an output that no evaluation has written
    // before the first step; it still holds 0 there. Let the model compute
    // once at t so the step holds the value its source gives at the start.
    if (!evaluated_ && !(std::isfinite(*step_) && *step_ > 0) && !benchTop_.ComputeAll(t))
        return false;
    evaluated_ = true;
    const double h = *step_;
    if (!StepIsUsable(h, t)) return false;

    const auto n = static_cast<std::size_t>(count_);
    std::copy_n(x_, n, start_.begin());
    ApplyPendingResets();
    try {
        if (!EvaluateStages(t, h)) return DiscardStep();
    } catch (...) {
        // An error no block reported (the run loop will) leaves no half step behind.
        DiscardStep();
        throw;
    }
    Combine(h);
    if (!StatesAreFinite()) {
        DiscardStep();
        return ReportOverflow();
    }
    ClearPendingResets();
    // Between steps, outputs that mirror states show the step's result.
    benchTop_.RefreshStateOutputs();

    if (KLibraryVar* timeVar = benchTop_.TimeVar()) timeVar->SetValue(t);
    benchTop_.time += h;
    if (t <= stopTime_) return true;
    return ReportStopTime();
}

bool KSolver::EvaluateStages(double t, double h) {
    stage_ = 1;
    if (!benchTop_.ComputeAll(t)) return false;
    stage_ = 2;
    AdvanceToStage2(h);
    if (!benchTop_.ComputeAll(t + 0.5 * h)) return false;
    stage_ = 3;
    AdvanceToStage3(h);
    if (!benchTop_.ComputeAll(t + 0.5 * h)) return false;
    stage_ = 4;
    AdvanceToStage4(h);
    lastStage_ = true;
    if (!benchTop_.ComputeAll(t + h)) return false;
    lastStage_ = false;
    return true;
}

void KSolver::ApplyPendingResets() {
    if (pendingCount_ == 0) return;
    for (int i = 0; i < count_; ++i) {
        const auto s = static_cast<std::size_t>(i);
        if (pending_[s] == 0) continue;
        x_[s] = resetValue_[s];
        dx_[s] = 0.0;
    }
}

// The stage updates have a plain loop for the usual case of no reset pending,
// which the compiler can vectorise, and a general one that holds every state
// whose reset is pending at its reset value with a zero derivative.
template <class Advance>
void KSolver::ForEachState(Advance advance) {
    if (pendingCount_ == 0) {
        for (int i = 0; i < count_; ++i) advance(i);
        return;
    }
    for (int i = 0; i < count_; ++i) {
        const auto s = static_cast<std::size_t>(i);
        if (pending_[s] == 0) {
            advance(i);
            continue;
        }
        x_[s] = resetValue_[s];
        dx_[s] = 0.0;
    }
}

void KSolver::AdvanceToStage2(double h) {
    const double half = 0.5 * h;
    double* x = x_;
    const double* dx = dx_.data();
    const double* start = start_.data();
    double* slope = slope_.data();
    ForEachState([&](int i) {
        slope[i] = dx[i];
        x[i] = start[i] + half * dx[i];
    });
}

void KSolver::AdvanceToStage3(double h) {
    const double half = 0.5 * h;
    double* x = x_;
    const double* dx = dx_.data();
    const double* start = start_.data();
    double* slope = slope_.data();
    ForEachState([&](int i) { x[i] = start[i] + half * dx[i]; });
    // Every state takes 2 k2 here, a held one 2 x 0.
    for (int i = 0; i < count_; ++i) slope[i] += 2 * dx[i];
}

void KSolver::AdvanceToStage4(double h) {
    double* x = x_;
    const double* dx = dx_.data();
    const double* start = start_.data();
    double* slope = slope_.data();
    ForEachState([&](int i) {
        slope[i] += 2 * dx[i];
        x[i] = start[i] + h * dx[i];
    });
}

void KSolver::Combine(double h) {
    double* x = x_;
    const double* dx = dx_.data();
    const double* start = start_.data();
    double* slope = slope_.data();
    ForEachState([&](int i) {
        slope[i] += dx[i];
        x[i] = Combined(start[i], slope[i], h);
    });
}

bool KSolver::StatesAreFinite() const {
    // x - x is 0 for every finite x and not a number for infinities and NaN,
    // so one sum answers for all states without a branch per state.
    double probe = 0.0;
    const double* x = x_;
    for (int i = 0; i < count_; ++i) probe += x[i] - x[i];
    return probe == 0.0;
}

void KSolver::ClearPendingResets() {
    if (pendingCount_ == 0) return;
    std::fill_n(pending_.begin(), static_cast<std::size_t>(count_), 0);
    pendingCount_ = 0;
}

bool KSolver::DiscardStep() {
    std::copy_n(start_.begin(), static_cast<std::size_t>(count_), x_);
    // Outputs that mirror states show the restored states again.
    benchTop_.RefreshStateOutputs();
    return false;
}

bool KSolver::ReportOverflow() {
    if (benchTop_.Sink().ErrorBoxOkCancel(kOverflowText) == KAnswer::Ok) {
        benchTop_.ZeroStoredOutputs();
    }
    return false;
}

bool KSolver::ReportStopTime() {
    if (showStopMessage_) {
        const KAnswer answer = benchTop_.Sink().Box(kSimulationStoppedCaption,
                                                    kSimulationStoppedText, KButtons::OkCancel);
        if (answer == KAnswer::Cancel) showStopMessage_ = false;
    }
    return false;
}

}  // namespace korvel
