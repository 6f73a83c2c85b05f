// Program blocks: a block whose outputs a small program computes from its
// inputs at every evaluation.
//
// The block binds the program's variables to its nodes in node order, inputs
// ("Input1", ...) then outputs ("Output1", ...): 2, 4 or 8 of each. Every
// variable can be read and assigned. An output reads and writes its own value
// slot, which is cleared when the model is built. An input reads the value on
// its wire (or its own value when unwired); assigning it changes only the
// input's own value, never the wire's source, so a wired input keeps reading
// its source.
//
// The text is compiled once, after every run-time object exists (see
// CompileProgram); a text that does not compile fails the model's build with
// the lexer's numbered message or the parser's Error box naming the block.
// Compute then runs the compiled program: stop() becomes the engine's stop
// request and a math error a run-time error with the function's message.
//
// A digital program block runs its program only at the sample instants of
// the Digital Controller its "Controller" node names; between samples its
// outputs hold. Without such a controller the model does not compile (error
// 28) and the text is not compiled.
#pragma once

#include <array>
#include <vector>

#include "engine/libraryclass.h"
#include "program/program.h"

namespace korvel {

class KLibraryProgram : public KLibraryClass {
public:
    KLibraryProgram(KBenchTop& benchTop, KBlock& block);

    void Compute(double time) override;
    bool CompileProgram() override;

    const KProgram& Program() const { return program_; }

protected:
    // Runs the compiled program once; a program that is not ready shows
    // error `notReadyCode` instead.
    void RunProgram(double time, int notReadyCode);

private:
    KProgram program_;
    std::vector<KProgramVariable> variables_;
    // The own values of wired inputs, which assignments to them change.
    std::array<double, 8> wiredInputValues_{};
};

class KLibraryDctl;

class KLibraryProgramDigital final : public KLibraryProgram {
public:
    KLibraryProgramDigital(KBenchTop& benchTop, KBlock& block);

    void Compute(double time) override;
    bool CompileProgram() override;
    // The batched plan skips the block while its controller is not sampling.
    KGate Gate() const override;

private:
    KLibraryDctl* controller_;
};

}  // namespace korvel
