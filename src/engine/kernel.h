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
//
// The value arena puts one node of same-type blocks in consecutive slots, so a
// batch is often dense: its records step through every slot by one. The plan
// then uses the kind's dense runner, a loop over plain arrays that the
// compiler can vectorise; each element is still computed by the same
// operation, so dense and record-by-record runs agree to the bit.
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
    std::uint32_t out = 0;    // output slot
    std::int32_t state = -1;  // state index, for kinds that own a state
    std::uint32_t e = 0;      // more input slots, for kinds with many inputs
    std::uint32_t f = 0;
    std::uint32_t g = 0;
};

// What a runner may touch during one evaluation.
struct KKernelContext {
    double* values = nullptr;        // the value arena
    const double* states = nullptr;  // the solver's state values
    double* derivatives = nullptr;   // the solver's derivatives
    KSolver* solver = nullptr;       // for resets
    double time = 0.0;
    // Gated kernels (digital blocks): the plan's array of internal memories,
    // each record's at `state`, and the period of the controller whose
    // sample is running.
    double* memory = nullptr;
    double tSample = 0.0;
    // A gated runner that throws a run error first stores here the index,
    // within the records it was given, of the record that failed.
    std::uint32_t* failed = nullptr;
};

using KKernelRunner = void (*)(const KKernelContext& context, const KKernelRecord* records,
                               std::size_t count);

// The record fields a kind uses, for telling whether a batch is dense.
enum KKernelField : std::uint16_t {
    kFieldA = 1u << 0,
    kFieldB = 1u << 1,
    kFieldC = 1u << 2,
    kFieldD = 1u << 3,
    kFieldOut = 1u << 4,
    kFieldState = 1u << 5,
    kFieldE = 1u << 6,
    kFieldF = 1u << 7,
    kFieldG = 1u << 8,
};

struct KKernel {
    // Runs records one by one, reading and writing slots anywhere.
    KKernelRunner run = nullptr;
    // Runs a dense batch: every used field of record i is the first record's
    // plus i, so the runner walks plain arrays from the first record alone.
    // The slots a batch writes never overlap the slots it reads.
    KKernelRunner runDense = nullptr;
    std::uint16_t fields = 0;
    KKernelRecord record;
    // For gated kernels: the object's pointer to its internal memory and the
    // memory's length in doubles. The plan keeps the memories of one batch
    // side by side in one array and points the object there, so the object's
    // own Compute and the runner work on the same values.
    double** memory = nullptr;
    std::uint32_t memorySize = 0;
};

}  // namespace korvel
