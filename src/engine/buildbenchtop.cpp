#include "engine/buildbenchtop.h"

#include <cassert>
#include <string>

#include "base/messages.h"
#include "engine/benchtop.h"
#include "engine/libraryclass.h"
#include "engine/libraryfactory.h"
#include "engine/solver.h"
#include "engine/variables.h"
#include "model/block.h"
#include "model/compiled.h"
#include "model/elements.h"

namespace korvel {

namespace {

// The first ordered block that cannot run, or nullptr.
const KBlock* FirstUnrunnable(const KCompiled& compiled) {
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

// Marks the messages listed from `first` on as being about `block`: the
// blocks list them while they are built, without knowing their place.
void MarkListedAbout(KBenchTop& benchTop, std::size_t first, const KBlock& block) {
    std::vector<KCompileMessage>& listed = benchTop.CompileMessages();
    for (std::size_t i = first; i < listed.size(); ++i) {
        if (listed[i].block >= 0) continue;
        listed[i].block = block.IDNumber();
        listed[i].page = block.Page();
    }
}

}  // namespace

std::unique_ptr<KBenchTop> BuildBenchTop(const KCompiled& compiled, Messages& messages) {
    assert((compiled.Source() == nullptr ||
            (compiled.Ok() && compiled.IsCurrent(*compiled.Source()))) &&
           "a bench top is built from a successful compile of the collection as it stands");
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
        const std::size_t listed = benchTop->CompileMessages().size();
        FindLibraryMaker(block->Type())(*benchTop, *block);
        MarkListedAbout(*benchTop, listed, *block);
    }
    // Programs compile once every object exists; one that fails fails the build.
    bool programsCompiled = true;
    for (KLibraryClass* object : benchTop->ComputeList()) {
        const std::size_t listed = benchTop->CompileMessages().size();
        programsCompiled = object->CompileProgram() && programsCompiled;
        MarkListedAbout(*benchTop, listed, object->Block());
    }
    if (!programsCompiled) return nullptr;
    // Instruments watch variables that blocks compiled after them make.
    if (!benchTop->BindInstruments()) return nullptr;
    return benchTop;
}

}  // namespace korvel
