// Run-time variables: the named values instruments can show.
//
// KLibraryVar is a named value with its display settings; the bench top's time
// variable is one. KVar registers itself with the bench top when made, which
// is where duplicate names are noticed. KStateVar is one integrator state of
// the model: it also registers with the solver, and its value lives in the
// solver's contiguous state array (so the Runge-Kutta combination runs over
// plain arrays), which is why the value is reached through a pointer.
//
// Variables are owned by the run-time objects that make them (the time
// variable by the bench top); the bench top's list only refers to them.
#pragma once

#include <string>
#include <vector>

namespace korvel {

class KBenchTop;
class KSolver;
class Messages;

// How a variable is shown by default in the scopes.
struct KVarDisplay {
    std::string units;
    double scale = 1.0;
    double offset = 0.0;
    double mult = 1.0;
    bool show = false;
    bool acCouple = false;
};

class KLibraryVar {
public:
    KLibraryVar(std::string name, KVarDisplay display, bool hidden = false);
    KLibraryVar(const KLibraryVar&) = delete;
    KLibraryVar& operator=(const KLibraryVar&) = delete;
    virtual ~KLibraryVar() = default;

    double Value() const { return *value_; }
    // Where the value lives; it stays put for the variable's lifetime.
    const double* ValueAddress() const { return value_; }
    void SetValue(double value) { *value_ = value; }
    const std::string& Name() const { return name_; }
    bool IsHidden() const { return hidden_; }
    bool IsState() const { return isState_; }

    // The variable's part of "Zero All Stored Outputs": states reset to zero
    // at the next solver step, plain variables keep their value.
    virtual void ResetForZero() {}

    KVarDisplay display;

protected:
    // Own storage until a state moves the value into the solver's array.
    double* value_ = &storage_;
    bool isState_ = false;

private:
    double storage_ = 0.0;
    std::string name_;
    bool hidden_;
};

// A variable the bench top lists (AddVariable runs in the constructor).
class KVar : public KLibraryVar {
public:
    KVar(KBenchTop& benchTop, std::string name, KVarDisplay display, bool hidden = false);
};

// One integrator state. The owning block writes its derivative during each
// evaluation; the solver integrates it. ResetTo holds the state at a value
// with zero derivative for the rest of the solver step (see KSolver).
class KStateVar : public KVar {
public:
    // Registers as a variable, then with the bench top's solver; with no
    // solver, or a solver already at its maximum order, a fatal error.
    KStateVar(KBenchTop& benchTop, std::string name, KVarDisplay display, double initialValue,
              bool hidden = true);

    int Index() const { return index_; }
    double InitialValue() const { return initialValue_; }
    double& Derivative();
    double* DerivativePtr() { return &Derivative(); }
    const double* ValuePtr() const { return value_; }
    void ResetTo(double value);
    void ResetToZero() { ResetTo(0.0); }
    void ResetForZero() override { ResetToZero(); }

private:
    friend class KSolver;
    KSolver& solver_;
    double initialValue_;
    int index_ = -1;
};

// An ordered list of variables, in registration order.
class KVarVector {
public:
    void Add(KLibraryVar& var) { vars_.push_back(&var); }
    int Count() const { return static_cast<int>(vars_.size()); }
    // The variable at i; outside 0..Count()-1 an Error box and nullptr.
    KLibraryVar* VarAt(int i, Messages& messages) const;
    const std::vector<KLibraryVar*>& All() const { return vars_; }

private:
    std::vector<KLibraryVar*> vars_;
};

// The display settings of the hidden internal states of analog blocks.
KVarDisplay InternalStateDisplay();

}  // namespace korvel
