// Kernels: the compact form of a block whose evaluation depends only on its
// input slots (and, for integrators, writes only its derivative).
//
// A run-time class that can be evaluated this way describes itself as a
// kernel: a runner (one function per kind of block) and a record of slot
// indexes into the value arena. The evaluation plan gathers the records of
// one kind that do not depend on each other and runs them as one tight loop,
// instead of one virtual call per block. Runners must compute exactly what
// the class's Compute computes, operation for operation, so the two ways give
// bit-identical values.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvel {

class KSolver;

struct KKernelRecord {
    std::uint32_t a = 0;  // input slots, as the kind defines them
    std::uint32_t b = 0;
    std::uint32_t c = 0;
    std::uint32_t d = 0;
    std::uint32_t out = 0;  // output slot
    std::int32_t state = -1;  // state index, for kinds that own a state
};

// What a runner may touch during one evaluation.
struct KKernelContext {
    double* values = nullptr;       // the value arena
    const double* states = nullptr; // the solver's state values
    double* derivatives = nullptr;  // the solver's derivatives
    KSolver* solver = nullptr;      // for resets
    double time = 0.0;
};

using KKernelRunner = void (*)(const KKernelContext& context, const KKernelRecord* records,
                               std::size_t count);

struct KKernel {
    KKernelRunner run = nullptr;
    KKernelRecord record;
};

}  // namespace korvel
