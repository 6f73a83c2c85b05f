#include "engine/blocks_program.h"

#include <string>

#include "base/messages.h"
#include "engine/benchtop.h"
#include "engine/digitalblock.h"
#include "engine/runerror.h"
#include "model/block.h"
#include "model/node.h"

namespace korvel {

namespace {

KMessageBlock MessageBlockOf(const KBlock& block) {
    KMessageBlock where;
    where.name = block.userString;
    where.typeName = std::string(block.GetTypeName());
    where.pageText = std::to_string(block.Page() + 1);
    return where;
}

}  // namespace

KLibraryProgram::KLibraryProgram(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block) {
    std::size_t wired = 0;
    for (const KNode& node : block.Nodes()) {
        if (!node.IsInput()) continue;
        const double* read = In(node.Name());
        double* write = const_cast<double*>(read);
        if (node.netLink >= 0 && wired < wiredInputValues_.size()) {
            wiredInputValues_[wired] = node.value;
            write = &wiredInputValues_[wired++];
        }
        variables_.push_back({std::string(node.Name()), read, write});
    }
    for (const KNode& node : block.Nodes()) {
        if (!node.IsOutput()) continue;
        double* slot = Out(node.Name());
        *slot = 0.0;
        variables_.push_back({std::string(node.Name()), slot, slot});
    }
}

bool KLibraryProgram::CompileProgram() {
    const KNode* text = Block().FindNode("Program");
    KProgramError error;
    if (program_.Compile(text != nullptr ? text->Text() : std::string(), variables_, Name(), error))
        return true;
    if (error.kind == KProgramError::Kind::Lexer) {
        const KMessageBlock where = MessageBlockOf(Block());
        BenchTop().Sink().ErrorMessage(error.number, error.text, error.advice, &where);
    } else {
        BenchTop().Sink().ErrorBox(error.text);
    }
    return false;
}

void KLibraryProgram::Compute(double time) {
    RunProgram(time, 110);
}

void KLibraryProgram::RunProgram(double time, int notReadyCode) {
    if (!program_.Ready()) {
        const KMessageBlock where = MessageBlockOf(Block());
        BenchTop().Sink().ErrorMessage(
            notReadyCode, "Program not ready.",
            "Edit and recompile program.  This error is abnormal; please report it.", &where);
        return;
    }
    try {
        program_.Run(time);
    } catch (const KProgramFault& fault) {
        throw KRunError(fault.what());
    }
}

KLibraryProgramDigital::KLibraryProgramDigital(KBenchTop& benchTop, KBlock& block)
    : KLibraryProgram(benchTop, block), controller_(FindBlockController(benchTop, block, 28)) {}

bool KLibraryProgramDigital::CompileProgram() {
    // The missing controller is already listed; that error stops the model
    // from running, so the text is left uncompiled.
    return controller_ == nullptr || KLibraryProgram::CompileProgram();
}

void KLibraryProgramDigital::Compute(double time) {
    if (controller_ == nullptr || !controller_->IsSampling()) return;
    RunProgram(time, 111);
}

KGate KLibraryProgramDigital::Gate() const {
    if (controller_ == nullptr) return {};
    return {controller_->SamplingFlag(), controller_};
}

}  // namespace korvel
