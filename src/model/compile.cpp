#include "model/compile.h"

#include <climits>
#include <cmath>
#include <string>
#include <unordered_map>

#include "base/messages.h"
#include "model/compileparts.h"

namespace korvel {

using compile_detail::AsBlock;
using compile_detail::ClearRedMarks;
using compile_detail::ForEachBlock;

void ShowErrorLocation(const KBlock& block, std::string_view message, Messages& messages) {
    std::string text = "Error:\n";
    text += message;
    text += "\nBlock Name: " + block.userString;
    text += "\nBlock Type: " + std::string(block.GetTypeTag());
    text += "\nPage : " + std::to_string(block.Page());
    messages.ErrorBox(text);
}

// --- Rule checks ------------------------------------------------------------

namespace {

struct Rule {
    bool broken;
    const char* message;
    bool (KBlock::*marks)() const;  // the blocks drawn red, or nullptr
};

}  // namespace

bool CheckRules(KElements& elements, KCompiled& compiled, Messages& messages) {
    compiled.ordered.clear();
    int solvers = 0;
    int variables = 0;
    bool scope = false;
    bool dsa = false;
    ForEachBlock(elements, [&](KBlock& b) {
        b.ClearComputed();
        solvers += b.IsSolver() ? 1 : 0;
        variables += b.IsVariable() ? 1 : 0;
        scope = scope || b.IsScope();
        dsa = dsa || b.IsDsa();
    });
    const Rule rules[] = {
        {solvers < 1, "A model must have at least one solver (see Instruments tab).", nullptr},
        {solvers > 1, "A model cannot have more than one solver. This model has at least two.",
         &KBlock::IsSolver},
        {variables < 1, "A model must have at least one variable (see Instruments tab).", nullptr},
        {dsa && variables < 2, "A model with a DSA must have at least two variables.",
         &KBlock::IsDsa},
        {!scope, "A model must have at least one scope (see Instruments tab).", nullptr},
    };
    bool passed = true;
    for (const Rule& rule : rules) {
        if (!rule.broken) continue;
        // Every broken rule is reported; the red marks are those of the last.
        ClearRedMarks(elements);
        if (rule.marks)
            ForEachBlock(elements, [&rule](KBlock& b) {
                if ((b.*rule.marks)()) b.SetComputedFlagOnly(false);
            });
        messages.ErrorBox(rule.message);
        passed = false;
    }
    return passed;
}

// --- Reference binding --------------------------------------------------------

namespace {

// What differs between binding digital blocks and binding spreadsheet blocks.
struct BindingKind {
    bool (KBlock::*needs)() const;
    bool (KBlock::*is)() const;
    bool (KNode::*isReference)() const;
    const char* noneInModel;
    const char* chooseOne;
    const char* deleted;
    const char* wrongKind;
};

constexpr const char* kDeleted =
    "The Controller for this node was deleted.\n"
    "The Controller can be selected through the \"Controller\" node.\n";

constexpr BindingKind kDigital{
    &KBlock::NeedsDigitalController,
    &KBlock::IsDigitalController,
    &KNode::IsDctlNode,
    "Digital blocks require at least one digital controller",
    "You must choose one the digital controllers for this block.\n"
    "The Controller is selected through the \"Controller\" node.\n",
    kDeleted,
    "Logic Error#1 in KElements :: FindDctlWithIDNumber: Not a Dctl",
};

constexpr BindingKind kSpreadsheet{
    &KBlock::NeedsExcelFile,
    &KBlock::IsExcelFile,
    &KNode::IsExcelFileNode,
    "Excel operations require at least one Excel file",
    "You must choose one the Excel files for this block.\n"
    "The Controller is selected through the \"Excel File\" node.\n",
    kDeleted,
    "Logic Error#1 in KElements :: FindExcelFileWithIDNumber: Not an Excel File",
};

// The bindable blocks of one kind: how many, and the first in collection order.
struct Targets {
    int count = 0;
    KBlock* first = nullptr;
};

// Marks the one block at fault; the blocks not yet ordered are not at fault.
bool FailAt(KElements& elements, KBlock& block) {
    ClearRedMarks(elements);
    block.SetComputedFlagOnly(false);
    return false;
}

// The block a reference node names, through the number index.
KBlock* LookUp(KElements& elements, double value, const BindingKind& kind, Messages& messages) {
    if (value != std::floor(value) || value < INT_MIN || value > INT_MAX) return nullptr;
    KElement* e = elements.FindByNumber(static_cast<int>(value));
    if (!e) return nullptr;
    KBlock* b = AsBlock(*e);
    if (b && (b->*kind.is)()) return b;
    messages.ErrorBox(kind.wrongKind);
    return nullptr;
}

bool BindBlock(KElements& elements, KBlock& block, const BindingKind& kind, const Targets& targets,
               std::unordered_map<const KBlock*, KBlock*>& bindings, Messages& messages) {
    if (targets.count == 0) {
        messages.ErrorBox(kind.noneInModel);
        return FailAt(elements, block);
    }
    for (KNode& n : block.Nodes()) {
        if (!(n.*kind.isReference)()) continue;
        KBlock* target = nullptr;
        if (n.value == -1) {
            if (targets.count > 1) {
                ShowErrorLocation(block, kind.chooseOne, messages);
                return FailAt(elements, block);
            }
            target = targets.first;
            // Inside a module instance the node keeps -1, so that the module
            // still says "the only one" wherever it is used.
            if (block.ParentModule() == -1 && target->ParentModule() == -1)
                n.value = target->IDNumber();
        } else {
            target = LookUp(elements, n.value, kind, messages);
        }
        if (!target) {
            ShowErrorLocation(block, kind.deleted, messages);
            return FailAt(elements, block);
        }
        bindings[&block] = target;
    }
    return true;
}

bool BindAll(KElements& elements, const BindingKind& kind, const Targets& targets,
             std::unordered_map<const KBlock*, KBlock*>& bindings, Messages& messages) {
    for (const auto& e : elements.All()) {
        KBlock* b = AsBlock(*e);
        if (!b || !(b->*kind.needs)()) continue;
        if (!BindBlock(elements, *b, kind, targets, bindings, messages)) return false;
    }
    return true;
}

void Append(KCompiled& compiled, KBlock& block) {
    block.SetComputed();
    compiled.ordered.push_back(&block);
}

}  // namespace

bool BindReferences(KElements& elements, KCompiled& compiled, Messages& messages) {
    compiled.controllerOf.clear();
    compiled.excelFileOf.clear();
    for (const auto& e : elements.All()) {
        KBlock* b = AsBlock(*e);
        if (!b || !b->IsSolver()) continue;
        Append(compiled, *b);
        break;
    }
    Targets controllers;
    Targets files;
    ForEachBlock(elements, [&](KBlock& b) {
        Targets* targets = b.IsDigitalController() ? &controllers
                           : b.IsExcelFile()       ? &files
                                                   : nullptr;
        if (!targets) return;
        Append(compiled, b);
        if (targets->count++ == 0) targets->first = &b;
    });
    return BindAll(elements, kDigital, controllers, compiled.controllerOf, messages) &&
           BindAll(elements, kSpreadsheet, files, compiled.excelFileOf, messages);
}

// --- The whole compile --------------------------------------------------------

namespace {

bool RunSteps(KElements& elements, KCompiled& compiled, const KCompileOptions& options,
              Messages& messages) {
    for (const auto& e : elements.All()) e->selected = false;
    // The red marks of the previous compile go; this compile makes its own.
    ClearRedMarks(elements);
    if (!ExpandModules(elements, compiled, options, messages)) return false;
    if (!CheckNumbering(elements, messages)) return false;
    CheckExtenders(elements, messages);
    if (!BuildNets(elements, compiled, messages)) return false;
    if (!CheckRules(elements, compiled, messages)) return false;
    if (!BindReferences(elements, compiled, messages)) return false;
    return OrderBlocks(elements, compiled, messages);
}

}  // namespace

KCompiled CompileModel(KElements& elements, const KCompileOptions& options, Messages& messages) {
    KCompiled compiled;
    const bool ok = RunSteps(elements, compiled, options, messages);
    compiled.Seal(elements, ok);
    return compiled;
}

}  // namespace korvel
