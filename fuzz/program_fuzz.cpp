// Fuzz target for program texts: lexer, parser, code generation and runs.
//
// Each input is compiled as the text of an 8x8 program block. A text that
// does not compile must say why (a message and a short fault text); one that
// compiles is run a few times with inputs taken from the text's own bytes,
// where the only way out besides finishing is a KProgramFault with a message.
// Programs have no loops, so a run is bounded by the length of its code; the
// number of runs is the step budget.
//
// Built with KORVEL_FUZZ_REPLAY the same file is a plain program (replaymain.h)
// that replays every file of the folders named on its command line, so saved
// inputs and past crashers run with every test run.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "program/program.h"
#include "replaymain.h"

namespace {

using namespace korvel;

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "program_fuzz: %s\n", what);
    std::abort();
}

constexpr int kRuns = 4;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    double values[16] = {};
    std::vector<KProgramVariable> variables;
    for (int i = 0; i < 16; ++i) {
        const std::string name = (i < 8 ? "Input" : "Output") + std::to_string(i % 8 + 1);
        variables.push_back({name, &values[i], &values[i]});
    }
    KProgram program;
    KProgramError error;
    if (!program.Compile(text, variables, "Fuzz", error)) {
        Require(!error.text.empty(), "a failed compile without a message");
        Require(!error.fault.empty(), "a failed compile without a fault text");
        Require(!program.Ready(), "a failed compile left the program ready");
        return 0;
    }
    Require(program.Ready(), "a compiled program is not ready");
    for (int run = 0; run < kRuns; ++run) {
        for (int i = 0; i < 8; ++i) {
            const std::size_t at = (static_cast<std::size_t>(run) * 8 + i) % (size + 1);
            values[i] = at < size ? static_cast<double>(data[at]) - 128.0 : 0.5;
        }
        try {
            program.Run(0.001 * run);
        } catch (const KProgramFault& fault) {
            Require(std::strlen(fault.what()) > 0, "a fault without a message");
        }
    }
    return 0;
}
