#include "engine/buildbenchtop.h"

#include <string>

#include "base/messages.h"
#include "engine/benchtop.h"
#include "engine/libraryclass.h"
#include "engine/libraryfactory.h"
#include "engine/solver.h"
#include "engine/variables.h"
#include "model/block.h"
#include "model/elements.h"

namespace korvel {

namespace {

// The first ordered block that cannot run, or nullptr.
const KBlock* FirstUnrunnable(const KElements& compiled) {
    for (const KBlock* block : compiled.ordered) {
        if (!CanRun(block->GetTypeTag())) return block;
    }
    return nullptr;
}

std::unique_ptr<KLibraryVar> MakeTimeVariable() {
    KVarDisplay display;
    display.scale = 0.02;
    display.offset = 0.0;
    display.mult = 1.0;
    return std::make_unique<KLibraryVar>("Time", display);
}

}  // namespace

std::unique_ptr<KBenchTop> BuildBenchTop(KElements& compiled, Messages& messages) {
    if (const KBlock* block = FirstUnrunnable(compiled)) {
        messages.ErrorBox(std::string(block->GetTypeName()) + " blocks (" +
                          std::string(block->GetTypeTag()) + ") cannot run yet: block \"" +
                          block->userString + "\"");
        return nullptr;
    }

    auto benchTop = std::make_unique<KBenchTop>(messages, &compiled);
    benchTop->Arena().Build(compiled, KSolver::kDefaultMaxOrder);
    benchTop->SetTimeVar(MakeTimeVariable());
    for (KBlock* block : compiled.ordered) {
        if (IsPassiveType(block->GetTypeTag())) continue;
        FindLibraryMaker(block->Type())(*benchTop, *block);
    }
    // Programs compile once every object exists; one that fails fails the build.
    bool programsCompiled = true;
    for (KLibraryClass* object : benchTop->ComputeList())
        programsCompiled = object->CompileProgram() && programsCompiled;
    if (!programsCompiled) return nullptr;
    return benchTop;
}

}  // namespace korvel
