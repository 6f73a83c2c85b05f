// Compiling a model: everything between the edited diagram and the run-time
// model the engine builds from it.
//
// The steps run in a fixed order and the first failing step ends the compile:
// custom module instances are expanded into the collection and renumbered so
// that every element number is unique again; module blocks are joined to
// their insides by hidden wires; the wires are grouped into nets with exactly
// one source each; the model is checked against the rules every runnable
// model meets; digital and spreadsheet blocks are bound to their Digital
// Controller and Excel File blocks; and the blocks are put into execution
// order. Each step is exposed on its own for tests and tools that need only
// part of the work; CompileModel runs them all.
//
// What the compile builds (nets, order, bindings, fault marks) goes into a
// KCompiled that the caller owns (model/compiled.h); it stays good until the
// collection is next edited. The expansion itself (the module instances'
// elements, the hidden wires) and the marks the canvas draws stay in the
// collection, as they always have.
//
// Every step costs time near-linear in blocks plus wires: a model of a
// hundred thousand elements compiles as quickly as it loads. The results are
// exactly those of the plain step-by-step procedure (repeated passes over the
// collection in collection order), including which failure is reported first.
//
// Failures are reported through the messages as the user sees them. Blocks
// at fault are left not computed, which is how the canvas draws them in red;
// wires at fault are left selected. Both are also listed in the KCompiled.
#pragma once

#include <string_view>

#include "model/compiled.h"

namespace korvel {

class KBlock;
class KElements;
class KModuleFinder;
class Messages;

// The most custom module instances one compile expands; reaching it almost
// always means a module that contains itself.
inline constexpr int kMaxModuleInstances = 1000;

struct KCompileOptions {
    // Finds module files by their bare names; nullptr (or a finder without
    // folders) opens the file a module block names as it stands.
    const KModuleFinder* modules = nullptr;
};

// Every step up to building the run-time model. Answers what was built; on
// failure (Ok() false) the messages said why and the fault marks show where.
[[nodiscard]] KCompiled CompileModel(KElements& elements, const KCompileOptions& options,
                                     Messages& messages);

// --- The steps, in the order CompileModel runs them -----------------------

// Discards the previous expansion, reads every module block's file into the
// collection (nested modules too, at most kMaxModuleInstances instances),
// renumbers each instance's elements and the references they hold, makes
// unwired module inputs sources, and joins each module block's nodes to the
// interface blocks inside its instance with hidden wires on page -1.
// Counts the instances in compiled.instanceCount.
[[nodiscard]] bool ExpandModules(KElements& elements, KCompiled& compiled,
                                 const KCompileOptions& options, Messages& messages);

// Fails when two elements share a number.
[[nodiscard]] bool CheckNumbering(KElements& elements, Messages& messages);

// Warns about each extender that no other extender shares a name with.
void CheckExtenders(KElements& elements, Messages& messages);

// Replaces compiled.nets with one net per source node; every node on a net
// and every wire of it refer to the net by its index. Wires that reach no
// source stay without a net and are selected, with one warning.
[[nodiscard]] bool BuildNets(KElements& elements, KCompiled& compiled, Messages& messages);

// Clears the execution order and every block's computed flag, then reports
// every rule the model breaks (solver, variables, scope, signal analyzer).
[[nodiscard]] bool CheckRules(KElements& elements, KCompiled& compiled, Messages& messages);

// Starts the execution order with the Solver, the Digital Controllers and the
// Excel Files, and binds each digital block to its controller and each
// spreadsheet block to its file (compiled.controllerOf, excelFileOf).
[[nodiscard]] bool BindReferences(KElements& elements, KCompiled& compiled, Messages& messages);

// Appends every block that is not yet computed to the execution order, each
// after the blocks whose algebraic outputs it reads (ties in collection
// order), and then the blocks computed last.
[[nodiscard]] bool OrderBlocks(KElements& elements, KCompiled& compiled, Messages& messages);

// The error box that names a block at fault: "Error:", the message, then the
// block's name, type tag and page, each on a line of its own.
void ShowErrorLocation(const KBlock& block, std::string_view message, Messages& messages);

}  // namespace korvel
