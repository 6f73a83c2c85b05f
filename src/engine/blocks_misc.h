// The model's frame: the Solver block, Variable blocks (what instruments
// show), the Stop block and the simple constants.
#pragma once

#include <string_view>

#include "engine/libraryclass.h"
#include "engine/libraryfamilies.h"
#include "engine/variables.h"

namespace korvel {

class KBenchTop;
class KBlock;

// The Solver block's build step: makes the model's KSolver from the "h" and
// "Time Increment" nodes and gives it to the bench top. It adds nothing to the
// compute list.
void MakeSolverBlock(KBenchTop& benchTop, KBlock& block);

// A variable named after the block whose value is its "Input" at each
// evaluation; "Scale", "Offset", "Mult", "Show" and "AC Couple" are how the
// scopes show it by default.
class KLibraryVariable final : public KLibraryClass {
public:
    KLibraryVariable(KBenchTop& benchTop, KBlock& block);
    void Compute(double) override { var_.SetValue(*in_); }
    const KVar& Var() const { return var_; }

private:
    const double* in_;
    KVar var_;
};

// Asks the run to stop when "Stop" rises above 0.5. It is armed only after
// seeing the input at or below 0.5, so an input that starts high does not
// stop the run, and one request needs the input to fall and rise again.
class KLibraryStop final : public KLibraryClass {
public:
    KLibraryStop(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;

private:
    const double* stop_;
    bool armed_ = false;
};

namespace constantops {

// "Simple Constant": Input x Mult.
struct Simple : KOpDefaults {
    static constexpr std::string_view kA = "Input";
    static constexpr std::string_view kB = "Mult";
    static double Apply(double input, double mult) { return input * mult; }
};
// "Scale-by Simple Constant": Input x "Scale by" x Mult.
struct ScaleBySimple : KOpDefaults {
    static constexpr std::string_view kA = "Input";
    static constexpr std::string_view kB = "Scale by";
    static constexpr std::string_view kC = "Mult";
    static double Apply(double input, double scale, double mult) { return input * scale * mult; }
};

}  // namespace constantops

using KLibrarySimpleConstant = KLibraryBinary<constantops::Simple>;
using KLibraryScaleBySimple = KLibraryTernary<constantops::ScaleBySimple>;

}  // namespace korvel
