#include "compileliteral.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/messagerecorder.h"
#include "model/block.h"
#include "model/custmod.h"
#include "model/elements.h"
#include "model/modelfile.h"
#include "model/modulefinder.h"
#include "model/wire.h"

namespace korvel::literal_compile {

namespace {

// A compile expands at most this many module instances.
constexpr int kMostInstances = 1000;

// Every block (or wire) as a plain list, recomputed whenever asked.
std::vector<KBlock*> Blocks(KElements& elements) {
    std::vector<KBlock*> out;
    for (int i = 0; i < elements.Count(); ++i)
        if (elements.At(i).IsBlock()) out.push_back(static_cast<KBlock*>(&elements.At(i)));
    return out;
}

std::vector<KWire*> Wires(KElements& elements) {
    std::vector<KWire*> out;
    for (int i = 0; i < elements.Count(); ++i)
        if (elements.At(i).IsWire()) out.push_back(static_cast<KWire*>(&elements.At(i)));
    return out;
}

// Only the given block is drawn red.
void MarkOnlyRed(KElements& elements, const KBlock* red) {
    for (KBlock* b : Blocks(elements)) b->SetComputedFlagOnly(b != red);
}

void ErrorAt(const KBlock& b, const std::string& text, KMessageRecorder& messages) {
    messages.ErrorBox("Error:\n" + text + "\nBlock Name: " + b.userString + "\nBlock Type: " +
                      std::string(b.GetTypeTag()) + "\nPage : " + std::to_string(b.Page()));
}

// --- Expansion ------------------------------------------------------------------

bool ReadOne(KElements& elements, KCustMod& m, int& count, const KModuleFinder* modules,
             KMessageRecorder& messages) {
    std::optional<std::string> path;
    if (modules != nullptr && !modules->Folders().empty())
        path = modules->Find(m.FileName(), messages);
    else if (!m.ResolvedPath().empty())
        path = m.ResolvedPath();
    else
        path = m.FileName();
    if (!path) {
        messages.ErrorBox("Cannot open " + m.FileName());
        return false;
    }
    m.instanceIndex = count++;
    KLoadOptions load;
    load.parentModule = m.instanceIndex;
    load.modules = modules;
    KModelHeader header;
    const std::size_t said = messages.boxes.size() + messages.messages.size();
    if (!LoadModelFile(elements, *path, load, header, messages).Ok()) {
        if (messages.boxes.size() + messages.messages.size() == said)
            messages.ErrorBox("Cannot load custom module " + m.FileName());
        return false;
    }
    m.expanded = true;
    return true;
}

bool ReadAll(KElements& elements, int& count, const KModuleFinder* modules,
             KMessageRecorder& messages) {
    count = 0;
    bool more = true;
    while (more && count < kMostInstances) {
        more = false;
        // Blocks read during the pass are appended and visited by it too.
        for (int i = 0; i < elements.Count() && count < kMostInstances; ++i) {
            auto* m = dynamic_cast<KCustMod*>(&elements.At(i));
            if (m == nullptr || m->expanded) continue;
            if (!ReadOne(elements, *m, count, modules, messages)) return false;
            more = true;
        }
    }
    if (count < kMostInstances) return true;
    messages.ErrorBox(
        "Exceeded maximum number of custom modules (1000).  \n"
        "Probably results from a custom module reloading itself.");
    return false;
}

// Instance k is numbered on from one past the largest number of the model
// and the instances before it; the references its blocks hold move with it.
bool Renumber(KElements& elements, int count, KMessageRecorder& messages) {
    for (int k = 0; k < count; ++k) {
        std::optional<int> largest;
        std::vector<KElement*> members;
        for (int i = 0; i < elements.Count(); ++i) {
            KElement& e = elements.At(i);
            if (e.ParentModule() < k)
                largest = std::max(largest.value_or(e.IDNumber()), e.IDNumber());
            if (e.ParentModule() == k) members.push_back(&e);
        }
        const int shift = largest ? *largest + 1 : 1;
        // A wire end is the first block of the instance with the number it
        // names, as the module file numbers it.
        std::vector<std::pair<int, KBlock*>> local;
        for (KElement* e : members)
            if (e->IsBlock()) local.emplace_back(e->IDNumber(), static_cast<KBlock*>(e));
        auto find = [&local](int number) -> KBlock* {
            for (const auto& [n, b] : local)
                if (n == number) return b;
            return nullptr;
        };
        for (KElement* e : members) {
            if (e->IsWire()) continue;
            e->OffsetIDNumber(shift);
            if (!e->IsBlock()) continue;
            for (KNode& n : static_cast<KBlock*>(e)->Nodes()) {
                if (n.IsReference() && n.value >= 0) n.value += shift;
                if (n.Kind() != KValueKind::DsaButtons) continue;
                KDsaButtons moved = n.Buttons();
                for (KDsaButton& button : moved) {
                    if (!button.used) continue;
                    button.outputVariable += button.outputVariable < 0 ? 0 : shift;
                    button.inputVariable += button.inputVariable < 0 ? 0 : shift;
                }
                n.SetButtons(moved);
            }
        }
        for (KElement* e : members) {
            if (!e->IsWire()) continue;
            auto* w = static_cast<KWire*>(e);
            KBlock* from = find(w->StartBlock());
            KBlock* to = find(w->EndBlock());
            if (from == nullptr || to == nullptr) {
                messages.ErrorBox("Could not find block to which wire is connected");
                return false;
            }
            if (!w->Connect(from, to, messages)) return false;
            w->OffsetIDNumber(shift);
        }
    }
    return true;
}

// Each node of a module block meets the interface block of its name inside
// the block's instance through a hidden wire numbered above all others.
bool Join(KElements& elements, int count, KMessageRecorder& messages) {
    const std::vector<KBlock*> before = Blocks(elements);
    for (KBlock* b : before) {
        auto* m = dynamic_cast<KCustMod*>(b);
        if (m == nullptr || m->instanceIndex < 0 || m->instanceIndex >= count) continue;
        for (int node = 0; node < m->NodeCount(); ++node) {
            KBlock* inside = nullptr;
            for (KBlock* c : Blocks(elements))
                if (inside == nullptr && c->ParentModule() == m->instanceIndex &&
                    (c->IsCustomInput() || c->IsCustomOutput()) &&
                    c->userString == m->Node(node).Name())
                    inside = c;
            if (inside == nullptr) continue;
            int top = -1;
            for (int i = 0; i < elements.Count(); ++i)
                top = std::max(top, elements.At(i).IDNumber());
            auto w = std::make_unique<KWire>(top + 1, -1);
            w->SetParentModule(m->instanceIndex);
            w->SetStartBlockNode(0);
            w->SetEndBlockNode(node);
            if (!w->Connect(inside, m, messages)) return false;
            elements.Add(std::move(w));
        }
    }
    return true;
}

// --- Nets ---------------------------------------------------------------------------

void ForgetNets(KElements& elements, KCompiled& compiled) {
    compiled.nets.clear();
    for (KWire* w : Wires(elements)) w->net = -1;
    for (KBlock* b : Blocks(elements))
        for (KNode& n : b->Nodes()) n.netLink = -1;
}

// A net that reaches an extender reaches its mates in the same instance.
void ReachMates(KElements& elements, const KBlock& b, int net) {
    if (!b.IsExtender()) return;
    for (KBlock* mate : Blocks(elements))
        if (mate != &b && mate->IsExtender() && mate->NodeCount() > 0 &&
            mate->userString == b.userString && mate->ParentModule() == b.ParentModule())
            mate->Node(0).netLink = net;
}

bool WireFault(KElements& elements, KCompiled& compiled, KWire& w, const char* text, bool forget,
               KMessageRecorder& messages) {
    if (forget) ForgetNets(elements, compiled);
    w.selected = true;
    messages.ErrorBox(text);
    return false;
}

// Passes over the wires take every wire with one end on the net, until a
// pass takes none. Answers false on a fault.
bool Grow(KElements& elements, KCompiled& compiled, int net, KMessageRecorder& messages) {
    for (bool took = true; took;) {
        took = false;
        for (KWire* w : Wires(elements)) {
            if (w->net != -1 || !w->StartNode() || !w->EndNode()) continue;
            const bool fromStart = w->StartNode()->netLink == net;
            if (!fromStart && w->EndNode()->netLink != net) continue;
            KNode& near = fromStart ? *w->StartNode() : *w->EndNode();
            KNode& far = fromStart ? *w->EndNode() : *w->StartNode();
            const char* fault =
                far.netLink == net                  ? "Wires connected in a circle."
                : far.IsSource() && near.IsSource() ? "Two outputs connected through one wire"
                : far.IsSource()    ? "Two outputs connected through more than one wire"
                : far.netLink != -1 ? "Logic error in KElement :: GenerateNetList()"
                                    : nullptr;
            if (fault) return WireFault(elements, compiled, *w, fault, true, messages);
            w->net = net;
            far.netLink = net;
            ReachMates(elements, fromStart ? *w->EndBlockPtr() : *w->StartBlockPtr(), net);
            took = true;
        }
    }
    return true;
}

// --- Binding ----------------------------------------------------------------------

struct Binding {
    bool (KBlock::*needs)() const;
    bool (KBlock::*is)() const;
    bool (KNode::*isReference)() const;
    const char* none;
    const char* choose;
    const char* notThatKind;
};

bool Bind(KElements& elements, const Binding& kind,
          std::unordered_map<const KBlock*, KBlock*>& bindings, KMessageRecorder& messages) {
    std::vector<KBlock*> targets;
    for (KBlock* b : Blocks(elements))
        if ((b->*kind.is)()) targets.push_back(b);
    for (KBlock* b : Blocks(elements)) {
        if (!(b->*kind.needs)()) continue;
        if (targets.empty()) {
            messages.ErrorBox(kind.none);
            MarkOnlyRed(elements, b);
            return false;
        }
        for (KNode& n : b->Nodes()) {
            if (!(n.*kind.isReference)()) continue;
            KBlock* target = nullptr;
            if (n.value == -1 && targets.size() > 1) {
                ErrorAt(*b, kind.choose, messages);
                MarkOnlyRed(elements, b);
                return false;
            }
            if (n.value == -1) {
                target = targets.front();
                // Inside modules the reference stays "the only one".
                if (b->ParentModule() == -1 && target->ParentModule() == -1)
                    n.value = target->IDNumber();
            } else if (n.value == std::floor(n.value)) {
                for (int i = 0; i < elements.Count(); ++i) {
                    KElement& e = elements.At(i);
                    if (e.IDNumber() != n.value) continue;
                    if (e.IsBlock() && (static_cast<KBlock&>(e).*kind.is)())
                        target = static_cast<KBlock*>(&e);
                    else
                        messages.ErrorBox(kind.notThatKind);
                    break;
                }
            }
            if (target == nullptr) {
                ErrorAt(*b,
                        "The Controller for this node was deleted.\n"
                        "The Controller can be selected through the \"Controller\" node.\n",
                        messages);
                MarkOnlyRed(elements, b);
                return false;
            }
            bindings[b] = target;
        }
    }
    return true;
}

void Take(KCompiled& compiled, KBlock& b) {
    b.SetComputed();
    compiled.ordered.push_back(&b);
}

// Whether an input can be read when its block's turn comes.
bool Readable(const KCompiled& compiled, const KNode& n) {
    if (n.ready || !n.IsInput() || n.netLink < 0) return true;
    if (n.netLink >= static_cast<int>(compiled.nets.size())) return true;
    const KNet& net = compiled.nets[static_cast<std::size_t>(n.netLink)];
    const KNode& source = net.sourceBlock->Node(net.sourceNode);
    if (source.sourceFlag || source.ready) return true;
    // A state is known when the step starts, unless its block passes its
    // input straight through to that output.
    return source.IsStateOutput() && !net.sourceBlock->TypeRecord().Has(kTraitFeedthroughOutputs);
}

}  // namespace

bool ExpandModules(KElements& elements, KCompiled& compiled, const KModuleFinder* modules,
                   KMessageRecorder& messages) {
    compiled = KCompiled{};
    ForgetNets(elements, compiled);
    for (int i = 0; i < elements.Count(); ++i) elements.At(i).selected = false;
    for (int i = elements.Count() - 1; i >= 0; i = std::min(i - 1, elements.Count() - 1))
        if (elements.At(i).ParentModule() != -1) elements.DeleteElement(elements.At(i));
    for (KBlock* b : Blocks(elements))
        if (auto* m = dynamic_cast<KCustMod*>(b)) m->expanded = false;
    if (!ReadAll(elements, compiled.instanceCount, modules, messages)) return false;
    if (!Renumber(elements, compiled.instanceCount, messages)) return false;
    // A module input nothing drives from outside feeds its own value.
    for (KBlock* b : Blocks(elements)) {
        if (!b->IsCustomModule()) continue;
        for (KNode& n : b->Nodes()) {
            bool wired = false;
            for (KWire* w : Wires(elements))
                wired = wired || w->StartNode() == &n || w->EndNode() == &n;
            n.sourceFlag = n.Role() == KRole::In && !wired;
        }
    }
    return Join(elements, compiled.instanceCount, messages);
}

bool CheckNumbering(KElements& elements, KMessageRecorder& messages) {
    for (int i = 0; i < elements.Count(); ++i)
        for (int j = 0; j < elements.Count(); ++j)
            if (i != j && elements.At(i).IDNumber() == elements.At(j).IDNumber()) {
                messages.ErrorBox("Two elements have IDNumber: " +
                                  std::to_string(elements.At(i).IDNumber()));
                return false;
            }
    return true;
}

void CheckExtenders(KElements& elements, KMessageRecorder& messages) {
    const std::vector<KBlock*> blocks = Blocks(elements);
    for (KBlock* b : blocks) {
        if (!b->IsExtender()) continue;
        const bool mated = std::any_of(blocks.begin(), blocks.end(), [b](const KBlock* o) {
            return o != b && o->IsExtender() && o->userString == b->userString;
        });
        if (!mated) messages.WarningBox("Extender \"" + b->userString + "\" has no mate.");
    }
}

bool BuildNets(KElements& elements, KCompiled& compiled, KMessageRecorder& messages) {
    ForgetNets(elements, compiled);
    for (KWire* w : Wires(elements)) {
        if (w->net != -1 || !w->StartNode() || !w->EndNode()) continue;
        KNode& s = *w->StartNode();
        KNode& e = *w->EndNode();
        if (s.IsSource() && e.IsSource())
            return WireFault(elements, compiled, *w, "Wire connects two outputs", false, messages);
        if (!s.IsSource() && !e.IsSource()) continue;
        if (s.netLink != -1 || e.netLink != -1)
            return WireFault(
                elements, compiled, *w,
                "Logic error in GenerateNetList or it may be that two wires connect two outputs",
                false, messages);
        const bool fromStart = s.IsSource();
        const int net = static_cast<int>(compiled.nets.size());
        compiled.nets.push_back({fromStart ? w->StartBlockPtr() : w->EndBlockPtr(),
                                 fromStart ? w->StartBlockNode() : w->EndBlockNode()});
        w->net = s.netLink = e.netLink = net;
        ReachMates(elements, fromStart ? *w->EndBlockPtr() : *w->StartBlockPtr(), net);
        if (!Grow(elements, compiled, net, messages)) return false;
    }
    bool idle = false;
    for (KWire* w : Wires(elements))
        if (w->net == -1) w->selected = idle = true;
    if (idle)
        messages.WarningBox(
            "One or more wires found without a valid source.  These wires serve no function.");
    return true;
}

bool CheckRules(KElements& elements, KCompiled& compiled, KMessageRecorder& messages) {
    compiled.ordered.clear();
    const std::vector<KBlock*> blocks = Blocks(elements);
    for (KBlock* b : blocks) b->ClearComputed();
    auto count = [&blocks](bool (KBlock::*is)() const) {
        return std::count_if(blocks.begin(), blocks.end(), [is](KBlock* b) { return (b->*is)(); });
    };
    struct Rule {
        bool broken;
        const char* text;
        bool (KBlock::*red)() const;
    };
    const Rule rules[] = {
        {count(&KBlock::IsSolver) == 0,
         "A model must have at least one solver (see Instruments tab).", nullptr},
        {count(&KBlock::IsSolver) > 1,
         "A model cannot have more than one solver. This model has at least two.",
         &KBlock::IsSolver},
        {count(&KBlock::IsVariable) == 0,
         "A model must have at least one variable (see Instruments tab).", nullptr},
        {count(&KBlock::IsDsa) > 0 && count(&KBlock::IsVariable) < 2,
         "A model with a DSA must have at least two variables.", &KBlock::IsDsa},
        {count(&KBlock::IsScope) == 0,
         "A model must have at least one scope (see Instruments tab).", nullptr},
    };
    bool ok = true;
    for (const Rule& rule : rules) {
        if (!rule.broken) continue;
        // The red blocks are those of the last broken rule.
        for (KBlock* b : blocks) b->SetComputedFlagOnly(rule.red == nullptr || !(b->*rule.red)());
        messages.ErrorBox(rule.text);
        ok = false;
    }
    return ok;
}

bool BindReferences(KElements& elements, KCompiled& compiled, KMessageRecorder& messages) {
    compiled.controllerOf.clear();
    compiled.excelFileOf.clear();
    const std::vector<KBlock*> blocks = Blocks(elements);
    auto solver =
        std::find_if(blocks.begin(), blocks.end(), [](KBlock* b) { return b->IsSolver(); });
    if (solver != blocks.end()) Take(compiled, **solver);
    for (KBlock* b : blocks)
        if (b->IsDigitalController() || b->IsExcelFile()) Take(compiled, *b);
    const Binding digital{&KBlock::NeedsDigitalController,
                          &KBlock::IsDigitalController,
                          &KNode::IsDctlNode,
                          "Digital blocks require at least one digital controller",
                          "You must choose one the digital controllers for this block.\n"
                          "The Controller is selected through the \"Controller\" node.\n",
                          "Logic Error#1 in KElements :: FindDctlWithIDNumber: Not a Dctl"};
    const Binding spreadsheet{
        &KBlock::NeedsExcelFile,
        &KBlock::IsExcelFile,
        &KNode::IsExcelFileNode,
        "Excel operations require at least one Excel file",
        "You must choose one the Excel files for this block.\n"
        "The Controller is selected through the \"Excel File\" node.\n",
        "Logic Error#1 in KElements :: FindExcelFileWithIDNumber: Not an Excel File"};
    return Bind(elements, digital, compiled.controllerOf, messages) &&
           Bind(elements, spreadsheet, compiled.excelFileOf, messages);
}

bool OrderBlocks(KElements& elements, KCompiled& compiled, KMessageRecorder& messages) {
    const std::vector<KBlock*> blocks = Blocks(elements);
    auto waiting = [](const KBlock* b) { return !b->IsComputed() && !b->IsComputedLast(); };
    for (bool took = true; took;) {
        took = false;
        for (KBlock* b : blocks) {
            if (!waiting(b)) continue;
            const auto& nodes = b->Nodes();
            if (!std::all_of(nodes.begin(), nodes.end(),
                             [&](const KNode& n) { return Readable(compiled, n); }))
                continue;
            Take(compiled, *b);
            took = true;
        }
    }
    if (std::any_of(blocks.begin(), blocks.end(), waiting)) {
        // The blocks computed last never had their turn: they are not at fault.
        for (KBlock* b : blocks)
            if (b->IsComputedLast()) b->SetComputedFlagOnly(true);
        messages.ErrorBox("Not all blocks could be ordered. \nUnordered blocks are shown in red.");
        return false;
    }
    for (KBlock* b : blocks)
        if (b->IsComputedLast() && !b->IsComputed()) Take(compiled, *b);
    return true;
}

KCompiled CompileModel(KElements& elements, const KModuleFinder* modules,
                       KMessageRecorder& messages) {
    KCompiled compiled;
    for (int i = 0; i < elements.Count(); ++i) elements.At(i).selected = false;
    MarkOnlyRed(elements, nullptr);
    const bool ok = ExpandModules(elements, compiled, modules, messages) &&
                    CheckNumbering(elements, messages) &&
                    (CheckExtenders(elements, messages), BuildNets(elements, compiled, messages)) &&
                    CheckRules(elements, compiled, messages) &&
                    BindReferences(elements, compiled, messages) &&
                    OrderBlocks(elements, compiled, messages);
    compiled.Seal(elements, ok);
    return compiled;
}

}  // namespace korvel::literal_compile
