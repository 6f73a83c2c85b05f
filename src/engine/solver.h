// KSolver: the fixed-step fourth-order Runge-Kutta solver of a model.
//
// Every state variable of the model registers here when it is made; the
// solver keeps all state values, derivatives, step-start values and slope
// sums in contiguous arrays sized once to the maximum order, so combining the
// four slopes is a few tight loops and a step never allocates.
//
// A step evaluates the whole model four times (KBenchTop::ComputeAll at t,
// t + h/2, t + h/2 and t + h). The behaviour beyond the classic method:
//
// - "h" is read from the Solver block's node at the start of every step (a
//   wired live constant can change it while the model runs). A value that is
//   not finite or not greater than 0 fails the step before anything changes,
//   with an Error naming the node.
// - A reset (KStateVar::ResetTo) holds a state at its reset value with zero
//   derivative from the next stage on, through the end of the step. A reset
//   made between steps ("Zero All Stored Outputs", "Reset Variables?") is
//   applied before the step's first evaluation, so that evaluation already
//   sees the reset value.
// - A failed or stopped evaluation, or a step whose result is not finite,
//   discards the whole step: states, bench-top time and time variable return
//   to what they were before it, so Run repeats a real step. Blocks' own
//   memories (a Stop block that fired, a digital controller's next sample
//   time) are not rolled back: a stop() in the fourth evaluation discards the
//   step, and the next Run repeats it without the Stop block firing again.
// - A non-finite state after a step asks the overflow question; OK zeroes the
//   stored outputs of the model.
// - "Time Increment" > 0 ends the run after the step that starts beyond the
//   limit, with the "Simulation Stopped" box until the user answers Cancel.
#pragma once

#include <string_view>
#include <vector>

namespace korvel {

class KBenchTop;
class KBlock;
class KStateVar;

// Texts the solver shows, exactly as the user sees them.
inline constexpr std::string_view kSimulationStoppedCaption = "Simulation Stopped";
inline constexpr std::string_view kSimulationStoppedText =
    "Simulation stopped because of Solver Block node \"Time Increment\".  \r"
    "Click Cancel to stop this message from showing.";
inline constexpr std::string_view kOverflowText =
    "An overflow occurred, possibly because the state equation solver became unstable.\n"
    "The model will be automatically stopped.  You may\n"
    "need to reduce \"h\" in the solver block.  Also, it is recommended that you reset the "
    "state variables.\n\n"
    "Reset Variables?";

class KSolver {
public:
    static constexpr int kDefaultMaxOrder = 500;
    static constexpr double kNoStopTime = 1e200;

    // `step` and `limit` are the value slots of the Solver block's "h" and
    // "Time Increment" nodes; `block` names the Solver in messages. The state
    // values live in `stateStorage` (maxOrder doubles, owned by the caller)
    // when given: the bench top hands over the end of its value arena, so
    // kernels read states as they read any other value.
    KSolver(KBenchTop& benchTop, const KBlock* block, const double* step, const double* limit,
            int maxOrder = kDefaultMaxOrder, double* stateStorage = nullptr);
    KSolver(const KSolver&) = delete;
    KSolver& operator=(const KSolver&) = delete;

    // Registers a state; a fatal error once the maximum order is reached.
    void AddStateVar(KStateVar& state);
    bool HasRoom() const { return count_ < maxOrder_; }
    // Every state back to its initial value.
    void ResetStateVars();
    // Starts the "Time Increment" limit from the bench-top time.
    void RestartStopTime();
    // Runs steps while the bench-top time is below the target; false when the
    // run must stop (a message has been shown where one is due).
    bool RunUntil(double target);
    // One Runge-Kutta step from t; false when the run must stop.
    bool Step(double t);

    int Stage() const { return stage_; }
    bool IsLastStage() const { return lastStage_; }
    int Count() const { return count_; }
    int MaxOrder() const { return maxOrder_; }
    double StopTime() const { return stopTime_; }
    bool ShowStopMessage() const { return showStopMessage_; }
    double StepSize() const { return *step_; }

    // The state arrays, indexed by KStateVar::Index().
    double* States() { return x_; }
    double* Derivatives() { return dx_.data(); }
    const double* States() const { return x_; }
    void ResetTo(int index, double value);
    bool IsResetPending(int index) const { return pending_[static_cast<std::size_t>(index)] != 0; }

private:
    bool StepIsUsable(double h, double t);
    void ApplyPendingResets();
    // The four evaluations with the stage updates between them; false when
    // one of them failed or asked to stop.
    bool EvaluateStages(double t, double h);
    template <class Advance>
    void ForEachState(Advance advance);
    void AdvanceToStage2(double h);
    void AdvanceToStage3(double h);
    void AdvanceToStage4(double h);
    void Combine(double h);
    bool StatesAreFinite() const;
    void ClearPendingResets();
    // Puts the states back to the step's start; always answers false.
    bool DiscardStep();
    bool ReportOverflow();
    bool ReportStopTime();

    KBenchTop& benchTop_;
    const KBlock* block_;
    const double* step_;
    const double* limit_;
    bool showStopMessage_ = true;
    double stopTime_ = kNoStopTime;
    double lastLimit_ = 0.0;
    bool lastStage_ = true;
    // Whether any step has been tried since the model was built.
    bool evaluated_ = false;
    int stage_ = 1;
    int count_ = 0;
    int maxOrder_;
    int pendingCount_ = 0;

    std::vector<KStateVar*> states_;
    std::vector<double> ownStates_;  // unless the caller gave storage
    double* x_;
    std::vector<double> dx_;
    std::vector<double> start_;
    std::vector<double> slope_;
    std::vector<double> resetValue_;
    std::vector<unsigned char> pending_;
};

}  // namespace korvel
