// Cost of running a compiled program, per statement, beside the same
// statements written in C++ over the same doubles.
//
// The program block binds its variables to the values it reads and writes,
// so both cases read inputs and write outputs through memory; the C++ case
// cannot keep them in registers across iterations (ClobberMemory). Counters
// are per statement ("items"): the ratio of the two item rates is the cost
// of the interpreter. Compile time of a 300-statement text is measured too.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "program/program.h"

namespace korvel {
namespace {

struct Bound {
    std::array<double, 8> in{0.3, -1.25, 2.0, 0.75, 1.5, -0.5, 4.0, 0.125};
    std::array<double, 8> out{};
    std::vector<KProgramVariable> variables;

    Bound() {
        for (int i = 0; i < 8; ++i)
            variables.push_back({"Input" + std::to_string(i + 1), &in[i], &in[i]});
        for (int i = 0; i < 8; ++i)
            variables.push_back({"Output" + std::to_string(i + 1), &out[i], &out[i]});
    }
};

// Eight arithmetic statements.
constexpr const char* kArithmetic =
    "Output1 = Input1 * 2.5 + Input2;\n"
    "Output2 = Output1 * Input3 - 1.0;\n"
    "Output3 = (Input4 + Input5) * 0.5;\n"
    "Output4 = Output3 / Input7 + Output2;\n"
    "Output5 = Input6 - Input1 * Input2;\n"
    "Output6 = -Output5 * 3 + 1;\n"
    "Output7 = Output6 * Output6 + Output4;\n"
    "Output8 = Output7 - Input8;\n";

void Arithmetic(const double* in, double* out) {
    out[0] = in[0] * 2.5 + in[1];
    out[1] = out[0] * in[2] - 1.0;
    out[2] = (in[3] + in[4]) * 0.5;
    out[3] = out[2] / in[6] + out[1];
    out[4] = in[5] - in[0] * in[1];
    out[5] = -out[4] * 3.0 + 1.0;
    out[6] = out[5] * out[5] + out[3];
    out[7] = out[6] - in[7];
}

// Four if / else chains (counted as four statements).
constexpr const char* kBranches =
    "if (Input1 > 0) Output1 = Input1; else Output1 = -Input1;\n"
    "if (Input2 > Input3 && Input4 < 1) Output2 = 1; else if (Input2 < 0) Output2 = -1; "
    "else Output2 = 0;\n"
    "if (Output1 >= Input5) Output3 = Output1 - Input5; else Output3 = 0;\n"
    "if (!(Input6 == 0)) Output4 = Input7 / Input6; else Output4 = 0;\n";

void Branches(const double* in, double* out) {
    out[0] = in[0] > 0 ? in[0] : -in[0];
    out[1] = in[1] > in[2] && in[3] < 1 ? 1.0 : in[1] < 0 ? -1.0 : 0.0;
    out[2] = out[0] >= in[4] ? out[0] - in[4] : 0.0;
    out[3] = !(in[5] == 0) ? in[6] / in[5] : 0.0;
}

// Two statements with built-in calls.
constexpr const char* kFunctions =
    "Output1 = sin(Input1) * exp(Input2);\n"
    "Output2 = sqrt(Input3) + atan2(Input4, Input5);\n";

void Functions(const double* in, double* out) {
    out[0] = std::sin(in[0]) * std::exp(in[1]);
    out[1] = std::sqrt(in[2]) + std::atan2(in[4], in[3]);
}

void RunProgram(benchmark::State& state, const char* text, int statements) {
    Bound b;
    KProgram program;
    KProgramError error;
    if (!program.Compile(text, b.variables, "Bench", error)) {
        state.SkipWithError(error.text.c_str());
        return;
    }
    double t = 0;
    for (auto _ : state) {
        program.Run(t);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(b.out);
    state.SetItemsProcessed(state.iterations() * statements);
    state.counters["instructions"] = static_cast<double>(program.InstructionCount());
}

void RunCpp(benchmark::State& state, void (*f)(const double*, double*), int statements) {
    Bound b;
    for (auto _ : state) {
        f(b.in.data(), b.out.data());
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(b.out);
    state.SetItemsProcessed(state.iterations() * statements);
}

void BM_ProgramArithmetic(benchmark::State& s) {
    RunProgram(s, kArithmetic, 8);
}
void BM_CppArithmetic(benchmark::State& s) {
    RunCpp(s, &Arithmetic, 8);
}
void BM_ProgramBranches(benchmark::State& s) {
    RunProgram(s, kBranches, 4);
}
void BM_CppBranches(benchmark::State& s) {
    RunCpp(s, &Branches, 4);
}
void BM_ProgramFunctions(benchmark::State& s) {
    RunProgram(s, kFunctions, 2);
}
void BM_CppFunctions(benchmark::State& s) {
    RunCpp(s, &Functions, 2);
}

BENCHMARK(BM_ProgramArithmetic);
BENCHMARK(BM_CppArithmetic);
BENCHMARK(BM_ProgramBranches);
BENCHMARK(BM_CppBranches);
BENCHMARK(BM_ProgramFunctions);
BENCHMARK(BM_CppFunctions);

// Compiling a text of 300 statements, about 9 000 characters.
void BM_CompileLongProgram(benchmark::State& state) {
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "if (Input1 > " + std::to_string(i) + ") Output1 = Output1 * 0.5 + Input2;\n";
    Bound b;
    for (auto _ : state) {
        KProgram program;
        KProgramError error;
        benchmark::DoNotOptimize(program.Compile(text, b.variables, "Bench", error));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_CompileLongProgram);

}  // namespace
}  // namespace korvel

BENCHMARK_MAIN();
