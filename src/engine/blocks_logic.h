// Comparisons and logic gates.
//
// Outputs are exactly 1.0 or 0.0. An input counts as true when it is greater
// than 0.5, so 0.5 itself and not-a-number are false; a comparison with
// not-a-number is false except "not equal", without raising a fault.
#pragma once

#include <cmath>
#include <string_view>

#include "engine/libraryclass.h"
#include "engine/libraryfamilies.h"
#include "engine/logiclevel.h"

namespace korvel {

namespace logicops {

struct TwoInputs : KOpDefaults {
    static constexpr std::string_view kA = "Input1";
    static constexpr std::string_view kB = "Input2";
};
struct OneInput : KOpDefaults {
    static constexpr std::string_view kInput = "Input";
};

struct CompareEQ : TwoInputs {
    static double Apply(double a, double b) { return LogicValue(a == b); }
};
struct CompareNE : TwoInputs {
    static double Apply(double a, double b) { return LogicValue(a != b); }
};
struct CompareGT : TwoInputs {
    static double Apply(double a, double b) { return LogicValue(std::isgreater(a, b)); }
};
// Also the Comparator block's operation.
struct CompareGE : TwoInputs {
    static double Apply(double a, double b) { return LogicValue(std::isgreaterequal(a, b)); }
};
struct CompareLT : TwoInputs {
    static double Apply(double a, double b) { return LogicValue(std::isless(a, b)); }
};
struct CompareLE : TwoInputs {
    static double Apply(double a, double b) { return LogicValue(std::islessequal(a, b)); }
};

struct And : TwoInputs {
    static double Apply(double a, double b) { return LogicValue(IsTrue(a) && IsTrue(b)); }
};
struct Nand : TwoInputs {
    static double Apply(double a, double b) { return LogicValue(!(IsTrue(a) && IsTrue(b))); }
};
struct Or : TwoInputs {
    static double Apply(double a, double b) { return LogicValue(IsTrue(a) || IsTrue(b)); }
};
struct Nor : TwoInputs {
    static double Apply(double a, double b) { return LogicValue(!IsTrue(a) && !IsTrue(b)); }
};
struct Xor : TwoInputs {
    static double Apply(double a, double b) { return LogicValue(IsTrue(a) != IsTrue(b)); }
};
struct NXor : TwoInputs {
    static double Apply(double a, double b) { return LogicValue(IsTrue(a) == IsTrue(b)); }
};
struct Not : OneInput {
    static double Apply(double x) { return LogicValue(!IsTrue(x)); }
};
struct Buffer : OneInput {
    static double Apply(double x) { return LogicValue(IsTrue(x)); }
};

}  // namespace logicops

using KLibraryCompareEQ = KLibraryBinary<logicops::CompareEQ>;
using KLibraryCompareNE = KLibraryBinary<logicops::CompareNE>;
using KLibraryCompareGT = KLibraryBinary<logicops::CompareGT>;
using KLibraryCompareGE = KLibraryBinary<logicops::CompareGE>;
using KLibraryCompareLT = KLibraryBinary<logicops::CompareLT>;
using KLibraryCompareLE = KLibraryBinary<logicops::CompareLE>;
using KLibraryLogicAnd = KLibraryBinary<logicops::And>;
using KLibraryLogicNand = KLibraryBinary<logicops::Nand>;
using KLibraryLogicOr = KLibraryBinary<logicops::Or>;
using KLibraryLogicNor = KLibraryBinary<logicops::Nor>;
using KLibraryLogicXor = KLibraryBinary<logicops::Xor>;
using KLibraryLogicNXor = KLibraryBinary<logicops::NXor>;
using KLibraryLogicNot = KLibraryUnary<logicops::Not>;
using KLibraryLogicBuffer = KLibraryUnary<logicops::Buffer>;

// A logic level that follows its input only after the input has held the new
// level for longer than "Delay Time" (read at each change). A change back
// within the delay restarts the wait and the output stays.
class KLibraryLogicTimedBuffer final : public KLibraryClass {
public:
    KLibraryLogicTimedBuffer(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;

private:
    static constexpr double kNever = 1e60;
    const double* in_;
    const double* delay_;
    double* out_;
    bool state_ = false;
    double deadline_ = kNever;
};

}  // namespace korvel
