// Live constants, the string constant, the push button and the live switch:
// the blocks whose value a user changes while the model runs.
//
// Their values survive Run and Stop and go at the next build; "Save" writes a
// live constant's value into its "InitValue" node so the model keeps it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/displaystate.h"
#include "engine/libraryclass.h"

namespace korvel {

// How a live constant forms its output from its value v and "Mult" m.
enum class KConstantKind {
    Direct,          // m v
    Inverse,         // 1 / (m v)
    ScaleBy,         // Input m v
    InverseScaleBy,  // Input / (m v)
};

// A live constant. Its value starts as "InitValue" (moved into the range of
// "Minimum" and "Maximum", which are put in order when given the wrong way
// round) and is changed only through SetValue, which keeps it in range.
// Limits that are out of order or an initial value outside them are listed
// as compile warnings (10001 to 10003); the model still runs.
class KLibraryConstant : public KLibraryClass, public KDisplayed, public KLiveSettable {
public:
    KLibraryConstant(KBenchTop& benchTop, KBlock& block, KConstantKind kind);
    void Compute(double time) override;

    // The adjust box's setter: a value above the range becomes its maximum,
    // below it its minimum; a value that is not a number is refused. Answers
    // the value now held.
    double SetValue(double value);
    double Value() const { return value_; }
    // The value within 1e-6 (relative) of "InitValue"; exactly 0 when that is 0.
    bool IsAtInitialValue() const;
    std::string ValueText() const;
    // "Save": the value becomes the block's "InitValue".
    void SaveValueAsInitial();

    KDisplayState DisplayState() const override;
    std::string SetLiveText(std::string_view text) override;
    double LiveValue() const override { return value_; }

private:
    void CheckLimits();
    double Lower() const;
    double Upper() const;

    KConstantKind kind_;
    double* out_;
    const double* input_;  // nullptr for the direct kinds
    const double* minimum_;
    const double* maximum_;
    const double* mult_;
    double value_;
};

template <KConstantKind K>
class KLibraryConstantOf final : public KLibraryConstant {
public:
    KLibraryConstantOf(KBenchTop& benchTop, KBlock& block) : KLibraryConstant(benchTop, block, K) {}
};
using KLibraryDirectConstant = KLibraryConstantOf<KConstantKind::Direct>;
using KLibraryDirectIConstant = KLibraryConstantOf<KConstantKind::Inverse>;
using KLibraryScaleByConstant = KLibraryConstantOf<KConstantKind::ScaleBy>;
using KLibraryIScaleByConstant = KLibraryConstantOf<KConstantKind::InverseScaleBy>;

// "String Live Constant": one of the block's strings is selected (first the
// one "InitValue" picks) and its number is the output. A string that is not
// a number outputs 0: chosen while the model runs it shows the "Invalid
// String Constant" box; as the initial choice it is a compile warning.
class KLibraryStringConstant final : public KLibraryClass, public KDisplayed, public KLiveSettable {
public:
    KLibraryStringConstant(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    // Selects the string at `index` (refused outside the list).
    bool Select(int index);
    int Selected() const { return selected_; }

    KDisplayState DisplayState() const override;
    std::string SetLiveText(std::string_view text) override;
    double LiveValue() const override { return value_; }

private:
    // Selects without showing anything; false outside the list.
    bool Choose(int index);

    std::vector<std::string> strings_;
    double* out_;
    int selected_ = -1;
    double value_ = 0.0;
    bool valid_ = true;
};

// The on/off state the push button and the live switch share: toggled by
// the editor, set by typed text ("1" on, "0" off), shown as a lamp.
class KOnOffLive : public KDisplayed, public KLiveSettable {
public:
    explicit KOnOffLive(bool on) : on_(on) {}
    void SetOn(bool on) { on_ = on; }
    void Toggle() { on_ = !on_; }
    bool IsOn() const { return on_; }

    KDisplayState DisplayState() const override;
    std::string SetLiveText(std::string_view text) override;
    double LiveValue() const override { return on_ ? 1.0 : 0.0; }

protected:
    bool on_;
};

// "Push Button": an on/off output the editor toggles, starting at "Initial Value".
class KLibraryButton final : public KLibraryClass, public KOnOffLive {
public:
    KLibraryButton(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;

private:
    double* out_;
};

// "Live Switch": while "State" is on, Output 1 = Input 1 and Output 2 =
// Input 2; while off the inputs cross over.
class KLibraryRelay final : public KLibraryClass, public KOnOffLive {
public:
    KLibraryRelay(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;

private:
    double* state_;
    const double* in1_;
    const double* in2_;
    double* out1_;
    double* out2_;
};

}  // namespace korvel
