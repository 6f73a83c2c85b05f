// Logic levels and comparisons that stay quiet on not-a-number.
//
// An ordinary ordered comparison (<, >, <=, >=) with not-a-number raises the
// processor's invalid-operation flag, which the bench top reports as a fault
// of the block (see fpfaults.h). A value that is not a number reaching a logic
// input or a comparison is no fault of the block comparing it: it counts as
// false. Blocks therefore decide on values that may not be numbers through
// these functions (std::isgreater and its kin compare without raising).
#pragma once

#include <cmath>

namespace korvel {

// An input is true when it is greater than 0.5; 0.5 and not-a-number are false.
inline bool IsTrue(double x) {
    return std::isgreater(x, 0.5);
}
inline double LogicValue(bool b) {
    return b ? 1.0 : 0.0;
}

}  // namespace korvel
