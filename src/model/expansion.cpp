// Expanding custom modules: reading each module block's file into the
// collection as one instance, renumbering the instances, making unwired
// module inputs sources and joining module blocks to their insides.
#include <algorithm>
#include <climits>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/countingmessages.h"
#include "base/messages.h"
#include "model/compile.h"
#include "model/compileparts.h"
#include "model/custmod.h"
#include "model/modelfile.h"
#include "model/modulefinder.h"

namespace korvel {

using compile_detail::AsBlock;
using compile_detail::AsWire;
using compile_detail::ForEachBlock;
using compile_detail::ForEachWire;

namespace {

KCustMod* AsModule(KElement& e) {
    KBlock* b = AsBlock(e);
    return b && b->IsCustomModule() ? dynamic_cast<KCustMod*>(b) : nullptr;
}

// --- Reading the instances --------------------------------------------------

// The net links of the previous compile go first: they index nets of a
// compile that no longer describes the collection.
void ForgetPreviousCompile(KElements& elements) {
    ForEachBlock(elements, [](KBlock& b) { b.ClearNetLinks(); });
    ForEachWire(elements, [](KWire& w) { w.net = -1; });
}

// The elements of an earlier compile's expansion go, so that compiling twice
// gives the same result; module blocks are then ready to expand again.
void DiscardExpansion(KElements& elements) {
    ForgetPreviousCompile(elements);
    for (const auto& e : elements.All()) e->selected = false;
    bool any = false;
    for (const auto& e : elements.All()) {
        if (e->ParentModule() == -1) continue;
        e->selected = true;
        any = true;
    }
    // Expanded elements only attach to each other and to module blocks, so
    // deleting the selection takes exactly them, in one pass.
    if (any) elements.DeleteSelected();
    ForEachBlock(elements, [](KBlock& b) {
        if (auto* m = dynamic_cast<KCustMod*>(&b)) m->expanded = false;
    });
}

// Where the module's file is: found in the search folders when there are
// any, otherwise where the block says it is.
std::optional<std::string> ModulePath(const KCustMod& module, const KCompileOptions& options,
                                      Messages& messages) {
    if (options.modules && !options.modules->Folders().empty())
        return options.modules->Find(module.FileName(), messages);
    return module.ResolvedPath().empty() ? module.FileName() : module.ResolvedPath();
}

bool ExpandOne(KElements& elements, int& instanceCount, KCustMod& module,
               const KCompileOptions& options, Messages& messages) {
    std::optional<std::string> path = ModulePath(module, options, messages);
    if (!path) {
        messages.ErrorBox("Cannot open " + module.FileName());
        return false;
    }
    module.instanceIndex = instanceCount++;
    KLoadOptions load;
    load.parentModule = module.instanceIndex;
    load.modules = options.modules;
    KModelHeader header;
    KCountingMessages counting(messages);
    // A module that cannot be read fails the compile: running with part of
    // a module missing would simulate a different model without saying so.
    if (!LoadModelFile(elements, *path, load, header, counting).Ok()) {
        if (counting.count == 0)
            messages.ErrorBox("Cannot load custom module " + module.FileName());
        return false;
    }
    module.expanded = true;
    return true;
}

// One pass over the collection; modules read during the pass are appended
// and so are visited in the same pass. Answers whether it expanded any.
bool ExpandPass(KElements& elements, int& instanceCount, const KCompileOptions& options,
                Messages& messages, bool& failed) {
    bool expandedAny = false;
    for (int i = 0; i < elements.Count() && instanceCount < kMaxModuleInstances; ++i) {
        KCustMod* module = AsModule(elements.At(i));
        if (!module || module->expanded) continue;
        if (!ExpandOne(elements, instanceCount, *module, options, messages)) {
            failed = true;
            return false;
        }
        expandedAny = true;
    }
    return expandedAny;
}

bool ReadInstances(KElements& elements, int& instanceCount, const KCompileOptions& options,
                   Messages& messages) {
    instanceCount = 0;
    bool failed = false;
    while (instanceCount < kMaxModuleInstances &&
           ExpandPass(elements, instanceCount, options, messages, failed)) {
    }
    if (failed) return false;
    if (instanceCount < kMaxModuleInstances) return true;
    messages.ErrorBox("Exceeded maximum number of custom modules (" +
                      std::to_string(kMaxModuleInstances) + ").  \n" +
                      "Probably results from a custom module reloading itself.");
    return false;
}

// --- Renumbering ------------------------------------------------------------

// Moves the references a block holds along with the instance they point
// into; -1 (nothing chosen) stays -1.
void OffsetReferences(KBlock& block, int offset) {
    for (KNode& n : block.Nodes()) {
        if (n.IsReference() && n.value >= 0) n.value += offset;
        if (n.Kind() != KValueKind::DsaButtons) continue;
        KDsaButtons buttons = n.Buttons();
        for (KDsaButton& button : buttons) {
            if (!button.used) continue;
            if (button.outputVariable >= 0) button.outputVariable += offset;
            if (button.inputVariable >= 0) button.inputVariable += offset;
        }
        n.SetButtons(buttons);
    }
}

// Renumbers one instance and attaches its wires. A wire's ends are looked up
// among the instance's own blocks by their module-local numbers: while the
// instances are renumbered, later instances still carry local numbers that
// may equal this instance's new ones, and a lookup over the whole model
// could wire one instance into another.
bool RenumberInstance(const std::vector<KElement*>& members, int offset, Messages& messages) {
    std::unordered_map<int, KBlock*> localBlocks;
    for (KElement* e : members)
        if (KBlock* b = AsBlock(*e)) localBlocks.try_emplace(b->IDNumber(), b);
    for (KElement* e : members) {
        if (KBlock* b = AsBlock(*e)) OffsetReferences(*b, offset);
        if (!e->IsWire()) e->OffsetIDNumber(offset);
    }
    for (KElement* e : members) {
        KWire* w = AsWire(*e);
        if (!w) continue;
        auto start = localBlocks.find(w->StartBlock());
        auto end = localBlocks.find(w->EndBlock());
        if (start == localBlocks.end() || end == localBlocks.end()) {
            messages.ErrorBox("Could not find block to which wire is connected");
            return false;
        }
        if (!w->Connect(start->second, end->second, messages)) return false;
        w->OffsetIDNumber(offset);
    }
    return true;
}

// Expansion numbers every instance after the largest number in use, so
// large numbers in the model can run out of the range element numbers have.
void ReportNumbersOutOfRange(long long needed, Messages& messages) {
    messages.ErrorBox(
        "The custom modules of this model cannot be expanded: their elements would "
        "need numbers up to " +
        std::to_string(needed) + ", and element numbers go up to " + std::to_string(INT_MAX) +
        ". Give the model's elements smaller numbers (copy them into a new "
        "model) and compile again.");
}

// Each instance's offset is one more than the largest number of the
// top-level model and the instances before it. Instances are renumbered in
// order, so a running maximum gives every offset in one pass.
bool RenumberInstances(KElements& elements, int count, Messages& messages) {
    std::vector<std::vector<KElement*>> members(static_cast<std::size_t>(count));
    std::optional<long long> largest;
    auto note = [&largest](int n) {
        largest = std::max(largest.value_or(LLONG_MIN), (long long)n);
    };
    for (const auto& e : elements.All()) {
        int parent = e->ParentModule();
        if (parent < 0) note(e->IDNumber());
        if (parent >= 0 && parent < count)
            members[static_cast<std::size_t>(parent)].push_back(e.get());
    }
    for (const std::vector<KElement*>& instance : members) {
        long long offset = largest ? *largest + 1 : 1;
        long long localMax = 0;
        for (KElement* e : instance) localMax = std::max(localMax, (long long)e->IDNumber());
        if (offset + localMax > INT_MAX) {
            ReportNumbersOutOfRange(offset + localMax, messages);
            return false;
        }
        if (!RenumberInstance(instance, static_cast<int>(offset), messages)) return false;
        for (KElement* e : instance) note(e->IDNumber());
    }
    return true;
}

// --- Joining module blocks to their insides ---------------------------------

// A module input that nothing outside drives feeds its own value into the
// module: it becomes the source of the net inside.
void MarkUnwiredModuleInputs(KElements& elements) {
    std::unordered_set<const KNode*> wired;
    ForEachWire(elements, [&wired](KWire& w) {
        wired.insert(w.StartNode());
        wired.insert(w.EndNode());
    });
    ForEachBlock(elements, [&wired](KBlock& b) {
        if (!b.IsCustomModule()) return;
        for (KNode& n : b.Nodes()) n.sourceFlag = n.Role() == KRole::In && !wired.contains(&n);
    });
}

using InterfaceMap = std::unordered_map<std::string_view, KBlock*>;

// Per instance: the first module input or output block of each name.
std::vector<InterfaceMap> InterfaceBlocks(KElements& elements, int instanceCount) {
    std::vector<InterfaceMap> maps(static_cast<std::size_t>(instanceCount));
    ForEachBlock(elements, [&maps](KBlock& b) {
        int parent = b.ParentModule();
        if (parent < 0 || parent >= static_cast<int>(maps.size())) return;
        if (b.IsCustomInput() || b.IsCustomOutput())
            maps[static_cast<std::size_t>(parent)].try_emplace(b.userString, &b);
    });
    return maps;
}

long long NextUnusedNumber(KElements& elements) {
    int largest = -1;
    for (const auto& e : elements.All()) largest = std::max(largest, e->IDNumber());
    return static_cast<long long>(largest) + 1;
}

bool JoinModules(KElements& elements, int instanceCount, Messages& messages) {
    std::vector<InterfaceMap> interfaces = InterfaceBlocks(elements, instanceCount);
    std::vector<KCustMod*> modules;
    for (const auto& e : elements.All())
        if (KCustMod* m = AsModule(*e)) modules.push_back(m);
    long long number = NextUnusedNumber(elements);
    for (KCustMod* m : modules) {
        if (m->instanceIndex < 0 || m->instanceIndex >= static_cast<int>(interfaces.size()))
            continue;
        const InterfaceMap& inside = interfaces[static_cast<std::size_t>(m->instanceIndex)];
        for (int i = 0; i < m->NodeCount(); ++i) {
            auto found = inside.find(m->Node(i).Name());
            if (found == inside.end()) continue;
            // Hidden wires take numbers above every element's, so the
            // numbering check never trips over them.
            if (number > INT_MAX) {
                ReportNumbersOutOfRange(number, messages);
                return false;
            }
            auto wire = std::make_unique<KWire>(static_cast<int>(number++), -1);
            wire->SetParentModule(m->instanceIndex);
            wire->SetStartBlockNode(0);
            wire->SetEndBlockNode(i);
            if (!wire->Connect(found->second, m, messages)) return false;
            elements.Add(std::move(wire));
        }
    }
    return true;
}

}  // namespace

bool ExpandModules(KElements& elements, KCompiled& compiled, const KCompileOptions& options,
                   Messages& messages) {
    compiled = KCompiled{};
    DiscardExpansion(elements);
    if (!ReadInstances(elements, compiled.instanceCount, options, messages)) return false;
    if (!RenumberInstances(elements, compiled.instanceCount, messages)) return false;
    MarkUnwiredModuleInputs(elements);
    return JoinModules(elements, compiled.instanceCount, messages);
}

}  // namespace korvel
