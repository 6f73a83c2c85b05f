// Floating-point faults of an evaluation: division by zero, overflow and
// invalid operations (the square root or logarithm of a negative number,
// inf - inf, 0 x inf), as the processor's sticky exception flags record them.
//
// Blocks do not guard their arithmetic; the bench top reads the flags once
// per evaluation instead of testing every result, which costs a few
// instructions per evaluation rather than a test per block. Underflow and
// inexact results are ordinary and are not faults.
#pragma once

#include <cfenv>
#include <string_view>

namespace korvel {

inline constexpr int kFpFaultFlags = FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID;

// The fault flags raised since they were last cleared.
inline int RaisedFpFaults() {
#if defined(__x86_64__) && defined(__GNUC__)
    // What fetestexcept reads - the SSE unit's flags and the x87 unit's (long
    // double arithmetic) - read in place, which saves a library call in
    // every evaluation. Both keep the flags in the bits <cfenv> names. The
    // memory clobber keeps the reads after the evaluation they test.
    unsigned int sse = 0;
    unsigned short x87 = 0;
    __asm__ volatile("stmxcsr %0" : "=m"(sse) : : "memory");
    __asm__ volatile("fnstsw %0" : "=am"(x87) : : "memory");
    return static_cast<int>((sse | x87) & kFpFaultFlags);
#else
    return std::fetestexcept(kFpFaultFlags);
#endif
}

inline void ClearFpFaults() {
    std::feclearexcept(kFpFaultFlags);
}

// The run-time error message of a set of raised flags, the most telling
// first: a division by zero usually goes on to give an invalid operation.
inline std::string_view FpFaultMessage(int raised) {
    if (raised & FE_DIVBYZERO) return "division by zero";
    if (raised & FE_OVERFLOW) return "floating point overflow";
    return "invalid floating point operation";
}

}  // namespace korvel
