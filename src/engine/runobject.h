// Run-time objects the bench top owns, and the small interfaces through which
// instruments plug into the run.
//
// The bench top owns every object made while building the run-time model and
// destroys them with itself; its lists (compute, display, live, scopes,
// analyzers, windows) only refer to objects it owns. The instrument layer sits
// above the engine, so the engine knows instruments only through these
// interfaces.
#pragma once

namespace korvel {

// Anything the bench top owns.
class KRunObject {
public:
    KRunObject() = default;
    KRunObject(const KRunObject&) = delete;
    KRunObject& operator=(const KRunObject&) = delete;
    virtual ~KRunObject() = default;
};

// Something that samples the model at times it chooses: an oscilloscope or a
// signal analyzer channel. The run loop lets the solver run up to the earliest
// time any of them asks for, then lets each take its sample.
class KSampledInstrument {
public:
    virtual ~KSampledInstrument() = default;
    // The time of the next sample wanted, or a negative number for none.
    virtual double NextSampleTime() const = 0;
    // Takes the sample at the bench-top time; false stops the run.
    virtual bool Sample(double time) = 0;
    // Called at each press of Run (scopes start a new capture).
    virtual void PrepareForRun() {}
    // A scope holding the model still (a completed single shot).
    virtual bool WantsStop() const { return false; }
    // A signal analyzer whose run button is down keeps the run loop busy.
    virtual bool IsRunning() const { return false; }
    // Called once the whole run-time model is built, when every variable
    // exists; false (after an Error box) fails the build.
    virtual bool BindToModel() { return true; }
};

// A window an instrument opened for the model (scope screen, analyzer plot).
// The editor arranges and shows them; the bench top only owns them.
class KRunWindow : public KRunObject {};

}  // namespace korvel
