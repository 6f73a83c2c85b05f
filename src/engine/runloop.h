// KRunLoop: drives a compiled model from the front end's idle processing.
//
// The GUI calls Pass from a zero-interval timer while a model is compiled and
// DisplayTick from its 250 ms timer; the command-line runner does not need the
// loop and calls KSolver::RunUntil itself. The Run and Stop buttons are one
// flag here (SetRunning / IsRunning); a front end mirrors it through
// onRunningChanged.
//
// Each Pass makes up to 25 passes: while the model runs, the solver runs up to
// the earliest sample an instrument wants, then the instruments sample. The
// run stops (the flag drops; time and states are kept, so Run continues) on a
// failed step, a failed sample, or an error escaping a pass, which is reported
// with its message. A scope holding a completed capture keeps the model still.
// A bench top whose collection has been edited since it was built counts as
// no model: it neither runs nor redraws (KBenchTop::IsCurrent).
#pragma once

#include <functional>
#include <string_view>

namespace korvel {

class KBenchTop;
class Messages;

class KRunLoop {
public:
    static constexpr int kPassesPerCall = 25;

    explicit KRunLoop(Messages& messages);

    // The compiled model, or nullptr when none is; a new model is stopped.
    void SetBenchTop(KBenchTop* benchTop);
    KBenchTop* BenchTop() const { return benchTop_; }
    // A bench top is set and its collection unedited since it was built.
    bool HasModel() const;

    // Run: prepares the scopes and restarts the "Time Increment" limit from
    // the current time. False when no model is compiled.
    bool PressRun();
    // Stop (or Escape): the next pass stops stepping.
    void PressStop() { SetRunning(false); }
    void SetRunning(bool running);
    bool IsRunning() const { return running_; }

    // One idle call. Answers whether the front end should call again at once
    // (true while a model is compiled, running or not).
    bool Pass();
    // The display timer: redraws through onDisplayTick while a model is compiled.
    void DisplayTick();

    // The bench-top time as the time label shows it, after every Pass.
    std::function<void(std::string_view text)> onTimeText;
    std::function<void()> onDisplayTick;
    std::function<void(bool running)> onRunningChanged;

private:
    // The passes themselves; errors escape to Pass.
    void RunPasses();

    Messages& messages_;
    KBenchTop* benchTop_ = nullptr;
    bool running_ = false;
};

}  // namespace korvel
