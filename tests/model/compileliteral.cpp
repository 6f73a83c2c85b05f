#include "compileliteral.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/messages.h"
#include "model/block.h"
#include "model/compile.h"
#include "model/custmod.h"
#include "model/elements.h"
#include "model/modelfile.h"
#include "model/modulefinder.h"
#include "model/wire.h"

namespace korvel::literal_compile {

namespace {

KBlock* BlockAt(KElements& elements, int i) {
    KElement& e = elements.At(i);
    return e.IsBlock() ? static_cast<KBlock*>(&e) : nullptr;
}

KWire* WireAt(KElements& elements, int i) {
    KElement& e = elements.At(i);
    return e.IsWire() ? static_cast<KWire*>(&e) : nullptr;
}

void SetAllComputedFlags(KElements& elements) {
    for (int i = 0; i < elements.Count(); ++i)
        if (KBlock* b = BlockAt(elements, i)) b->SetComputedFlagOnly(true);
}

// --- Expansion --------------------------------------------------------------

class Counting final : public Messages {
public:
    explicit Counting(Messages& inner) : inner_(inner) {}
    KAnswer Box(std::string_view caption, std::string_view text, KButtons buttons) override {
        ++count;
        return inner_.Box(caption, text, buttons);
    }
    void ShowMessage(const KTwoLineMessage& m) override {
        ++count;
        inner_.ShowMessage(m);
    }
    int count = 0;

private:
    Messages& inner_;
};

void Discard(KElements& elements) {
    elements.nets.clear();
    elements.ordered.clear();
    elements.controllerOf.clear();
    elements.excelFileOf.clear();
    for (int i = 0; i < elements.Count(); ++i) {
        if (KWire* w = WireAt(elements, i)) w->net = -1;
        if (KBlock* b = BlockAt(elements, i)) b->ClearNetLinks();
    }
    for (int i = elements.Count() - 1; i >= 0; --i) {
        i = std::min(i, elements.Count() - 1);
        if (i < 0) break;
        if (elements.At(i).ParentModule() != -1) elements.DeleteElement(elements.At(i));
    }
    for (int i = 0; i < elements.Count(); ++i)
        if (auto* m = dynamic_cast<KCustMod*>(BlockAt(elements, i))) m->expanded = false;
}

// 0 nothing expanded, 1 expanded, -1 failed.
int ExpandAt(KElements& elements, KCustMod& m, const KModuleFinder* modules, Messages& messages) {
    std::optional<std::string> path;
    if (modules && !modules->Folders().empty())
        path = modules->Find(m.FileName(), messages);
    else
        path = m.ResolvedPath().empty() ? m.FileName() : m.ResolvedPath();
    if (!path) {
        messages.ErrorBox("Cannot open " + m.FileName());
        return -1;
    }
    m.instanceIndex = elements.instanceCount;
    elements.instanceCount += 1;
    KLoadOptions options;
    options.parentModule = m.instanceIndex;
    options.modules = modules;
    KModelHeader header;
    Counting counting(messages);
    if (!LoadModelFile(elements, *path, options, header, counting).Ok()) {
        if (counting.count == 0) messages.ErrorBox("Cannot load custom module " + m.FileName());
        return -1;
    }
    m.expanded = true;
    return 1;
}

bool Read(KElements& elements, const KModuleFinder* modules, Messages& messages) {
    elements.instanceCount = 0;
    for (;;) {
        bool any = false;
        for (int i = 0; i < elements.Count() && elements.instanceCount < kMaxModuleInstances; ++i) {
            auto* m = dynamic_cast<KCustMod*>(BlockAt(elements, i));
            if (!m || m->expanded) continue;
            if (ExpandAt(elements, *m, modules, messages) < 0) return false;
            any = true;
        }
        if (!any || elements.instanceCount >= kMaxModuleInstances) break;
    }
    if (elements.instanceCount < kMaxModuleInstances) return true;
    messages.ErrorBox(
        "Exceeded maximum number of custom modules (1000).  \n"
        "Probably results from a custom module reloading itself.");
    return false;
}

KBlock* FirstBlockNumbered(KElements& elements, int n) {
    for (int i = 0; i < elements.Count(); ++i)
        if (KBlock* b = BlockAt(elements, i); b && b->IDNumber() == n) return b;
    return nullptr;
}

void MoveReferences(KBlock& b, int offset) {
    for (KNode& n : b.Nodes()) {
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

bool Renumber(KElements& elements, Messages& messages) {
    for (int k = 0; k < elements.instanceCount; ++k) {
        bool any = false;
        int largest = 0;
        for (int i = 0; i < elements.Count(); ++i) {
            if (elements.At(i).ParentModule() >= k) continue;
            largest =
                any ? std::max(largest, elements.At(i).IDNumber()) : elements.At(i).IDNumber();
            any = true;
        }
        const int offset = any ? largest + 1 : 1;
        for (int i = 0; i < elements.Count(); ++i) {
            if (elements.At(i).ParentModule() != k) continue;
            if (KWire* w = WireAt(elements, i)) {
                KBlock* from = FirstBlockNumbered(elements, w->StartBlock() + offset);
                KBlock* to = FirstBlockNumbered(elements, w->EndBlock() + offset);
                if (!from || !to) {
                    messages.ErrorBox("Could not find block to which wire is connected");
                    return false;
                }
                if (!w->Connect(from, to, messages)) return false;
            }
            if (KBlock* b = BlockAt(elements, i)) MoveReferences(*b, offset);
            elements.At(i).OffsetIDNumber(offset);
        }
    }
    return true;
}

bool AnyWireOn(KElements& elements, const KNode& node) {
    for (int i = 0; i < elements.Count(); ++i)
        if (KWire* w = WireAt(elements, i); w && (w->StartNode() == &node || w->EndNode() == &node))
            return true;
    return false;
}

void MarkUnwired(KElements& elements) {
    for (int i = elements.Count() - 1; i >= 0; --i) {
        KBlock* b = BlockAt(elements, i);
        if (!b || !b->IsCustomModule()) continue;
        for (KNode& n : b->Nodes()) n.sourceFlag = n.Role() == KRole::In && !AnyWireOn(elements, n);
    }
}

bool Join(KElements& elements, Messages& messages) {
    const int blocksBefore = elements.Count();
    for (int i = 0; i < blocksBefore; ++i) {
        auto* m = dynamic_cast<KCustMod*>(BlockAt(elements, i));
        if (!m || m->instanceIndex < 0 || m->instanceIndex >= elements.instanceCount) continue;
        for (int node = 0; node < m->NodeCount(); ++node) {
            KBlock* inside = nullptr;
            for (int j = 0; j < elements.Count() && !inside; ++j) {
                KBlock* b = BlockAt(elements, j);
                if (b && b->ParentModule() == m->instanceIndex &&
                    (b->IsCustomInput() || b->IsCustomOutput()) &&
                    b->userString == m->Node(node).Name())
                    inside = b;
            }
            if (!inside) continue;
            int largest = -1;
            for (int j = 0; j < elements.Count(); ++j)
                largest = std::max(largest, elements.At(j).IDNumber());
            auto w = std::make_unique<KWire>(largest + 1, -1);
            w->SetParentModule(m->instanceIndex);
            w->SetStartBlockNode(0);
            w->SetEndBlockNode(node);
            if (!w->Connect(inside, m, messages)) return false;
            elements.Add(std::move(w));
        }
    }
    return true;
}

// --- Nets ---------------------------------------------------------------------

void Destroy(KElements& elements) {
    elements.nets.clear();
    for (int i = 0; i < elements.Count(); ++i) {
        if (KWire* w = WireAt(elements, i)) w->net = -1;
        if (KBlock* b = BlockAt(elements, i)) b->ClearNetLinks();
    }
}

void JoinMates(KElements& elements, KBlock& block, int net) {
    if (!block.IsExtender()) return;
    for (int i = 0; i < elements.Count(); ++i) {
        KBlock* b = BlockAt(elements, i);
        if (!b || b == &block || !b->IsExtender() || b->NodeCount() == 0) continue;
        if (b->userString == block.userString && b->ParentModule() == block.ParentModule())
            b->Node(0).netLink = net;
    }
}

bool Fail(KElements& elements, KWire& w, const std::string& text, bool destroy,
          Messages& messages) {
    if (destroy) Destroy(elements);
    w.selected = true;
    messages.ErrorBox(text);
    return false;
}

// One pass of the growth; -1 failed, 0 no progress, 1 progress.
int GrowPass(KElements& elements, int net, Messages& messages) {
    int progress = 0;
    for (int i = 0; i < elements.Count(); ++i) {
        KWire* v = WireAt(elements, i);
        if (!v || v->net != -1 || !v->StartNode() || !v->EndNode()) continue;
        bool startNear = v->StartNode()->netLink == net;
        if (!startNear && v->EndNode()->netLink != net) continue;
        KNode& near = startNear ? *v->StartNode() : *v->EndNode();
        KNode& far = startNear ? *v->EndNode() : *v->StartNode();
        KBlock& farBlock = startNear ? *v->EndBlockPtr() : *v->StartBlockPtr();
        auto fail = [&](const std::string& text) {
            Fail(elements, *v, text, true, messages);
            return -1;
        };
        if (far.netLink == net) return fail("Wires connected in a circle.");
        if (far.IsSource() && near.IsSource())
            return fail("Two outputs connected through one wire");
        if (far.IsSource()) return fail("Two outputs connected through more than one wire");
        if (far.netLink != -1) return fail("Logic error in KElement :: GenerateNetList()");
        v->net = net;
        far.netLink = net;
        JoinMates(elements, farBlock, net);
        progress = 1;
    }
    return progress;
}

// --- Ordering -----------------------------------------------------------------

bool Satisfied(const KElements& elements, const KNode& n) {
    if (n.ready || !n.IsInput() || n.netLink < 0) return true;
    if (n.netLink >= static_cast<int>(elements.nets.size())) return true;
    const KNet& net = elements.nets[static_cast<std::size_t>(n.netLink)];
    const KNode& source = net.sourceBlock->Node(net.sourceNode);
    const bool knownAtStepStart =
        source.IsStateOutput() && !net.sourceBlock->TypeRecord().Has(kTraitFeedthroughOutputs);
    return source.sourceFlag || knownAtStepStart || source.ready;
}

// --- Binding ------------------------------------------------------------------

struct Kind {
    bool (KBlock::*needs)() const;
    bool (KBlock::*is)() const;
    bool (KNode::*isReference)() const;
    std::string none, choose, wrongKind;
};

bool BindKind(KElements& elements, const Kind& kind, int count, KBlock* first,
              std::unordered_map<const KBlock*, KBlock*>& bindings, Messages& messages) {
    const std::string deleted =
        "The Controller for this node was deleted.\n"
        "The Controller can be selected through the \"Controller\" node.\n";
    auto fail = [&](KBlock& b) {
        SetAllComputedFlags(elements);
        b.SetComputedFlagOnly(false);
        return false;
    };
    for (int i = 0; i < elements.Count(); ++i) {
        KBlock* b = BlockAt(elements, i);
        if (!b || !(b->*kind.needs)()) continue;
        if (count == 0) {
            messages.ErrorBox(kind.none);
            return fail(*b);
        }
        for (KNode& n : b->Nodes()) {
            if (!(n.*kind.isReference)()) continue;
            KBlock* target = nullptr;
            if (n.value == -1) {
                if (count > 1) {
                    ShowErrorLocation(*b, kind.choose, messages);
                    return fail(*b);
                }
                target = first;
                if (b->ParentModule() == -1 && first->ParentModule() == -1)
                    n.value = first->IDNumber();
            } else {
                for (int j = 0; j < elements.Count() && n.value == std::floor(n.value); ++j) {
                    if (elements.At(j).IDNumber() != n.value) continue;
                    KBlock* found = BlockAt(elements, j);
                    if (found && (found->*kind.is)())
                        target = found;
                    else
                        messages.ErrorBox(kind.wrongKind);
                    break;
                }
            }
            if (!target) {
                ShowErrorLocation(*b, deleted, messages);
                return fail(*b);
            }
            bindings[b] = target;
        }
    }
    return true;
}

}  // namespace

bool ExpandModules(KElements& elements, const KModuleFinder* modules, Messages& messages) {
    Discard(elements);
    if (!Read(elements, modules, messages) || !Renumber(elements, messages)) return false;
    MarkUnwired(elements);
    return Join(elements, messages);
}

bool CheckNumbering(KElements& elements, Messages& messages) {
    for (int i = 0; i < elements.Count(); ++i)
        for (int j = i + 1; j < elements.Count(); ++j)
            if (elements.At(i).IDNumber() == elements.At(j).IDNumber()) {
                messages.ErrorBox("Two elements have IDNumber: " +
                                  std::to_string(elements.At(i).IDNumber()));
                return false;
            }
    return true;
}

void CheckExtenders(KElements& elements, Messages& messages) {
    for (int i = 0; i < elements.Count(); ++i) {
        KBlock* b = BlockAt(elements, i);
        if (!b || !b->IsExtender()) continue;
        bool mate = false;
        for (int j = 0; j < elements.Count() && !mate; ++j) {
            KBlock* other = BlockAt(elements, j);
            mate = j != i && other && other->IsExtender() && other->userString == b->userString;
        }
        if (!mate) messages.WarningBox("Extender \"" + b->userString + "\" has no mate.");
    }
}

bool BuildNets(KElements& elements, Messages& messages) {
    Destroy(elements);
    for (int i = 0; i < elements.Count(); ++i) {
        KWire* w = WireAt(elements, i);
        if (!w || w->net != -1 || !w->StartNode() || !w->EndNode()) continue;
        KNode& s = *w->StartNode();
        KNode& e = *w->EndNode();
        if (s.IsSource() && e.IsSource())
            return Fail(elements, *w, "Wire connects two outputs", false, messages);
        if (!s.IsSource() && !e.IsSource()) continue;
        if (s.netLink != -1 || e.netLink != -1)
            return Fail(
                elements, *w,
                "Logic error in GenerateNetList or it may be that two wires connect two outputs",
                false, messages);
        const int net = static_cast<int>(elements.nets.size());
        KBlock* sourceBlock = s.IsSource() ? w->StartBlockPtr() : w->EndBlockPtr();
        elements.nets.push_back(
            KNet{sourceBlock, s.IsSource() ? w->StartBlockNode() : w->EndBlockNode()});
        w->net = net;
        s.netLink = net;
        e.netLink = net;
        JoinMates(elements, s.IsSource() ? *w->EndBlockPtr() : *w->StartBlockPtr(), net);
        for (int progress = 1; progress == 1;) {
            progress = GrowPass(elements, net, messages);
            if (progress < 0) return false;
        }
    }
    bool any = false;
    for (int i = 0; i < elements.Count(); ++i)
        if (KWire* w = WireAt(elements, i); w && w->net == -1) w->selected = any = true;
    if (any)
        messages.WarningBox(
            "One or more wires found without a valid source.  These wires serve no function.");
    return true;
}

bool BindReferences(KElements& elements, Messages& messages) {
    elements.controllerOf.clear();
    elements.excelFileOf.clear();
    for (int i = 0; i < elements.Count(); ++i)
        if (KBlock* b = BlockAt(elements, i); b && b->IsSolver()) {
            b->SetComputed();
            elements.ordered.push_back(b);
            break;
        }
    int controllers = 0, files = 0;
    KBlock* firstController = nullptr;
    KBlock* firstFile = nullptr;
    for (int i = 0; i < elements.Count(); ++i) {
        KBlock* b = BlockAt(elements, i);
        if (!b || !(b->IsDigitalController() || b->IsExcelFile())) continue;
        b->SetComputed();
        elements.ordered.push_back(b);
        if (b->IsDigitalController() && controllers++ == 0) firstController = b;
        if (b->IsExcelFile() && files++ == 0) firstFile = b;
    }
    const Kind digital{&KBlock::NeedsDigitalController,
                       &KBlock::IsDigitalController,
                       &KNode::IsDctlNode,
                       "Digital blocks require at least one digital controller",
                       "You must choose one the digital controllers for this block.\n"
                       "The Controller is selected through the \"Controller\" node.\n",
                       "Logic Error#1 in KElements :: FindDctlWithIDNumber: Not a Dctl"};
    const Kind spreadsheet{
        &KBlock::NeedsExcelFile,
        &KBlock::IsExcelFile,
        &KNode::IsExcelFileNode,
        "Excel operations require at least one Excel file",
        "You must choose one the Excel files for this block.\n"
        "The Controller is selected through the \"Excel File\" node.\n",
        "Logic Error#1 in KElements :: FindExcelFileWithIDNumber: Not an Excel File"};
    return BindKind(elements, digital, controllers, firstController, elements.controllerOf,
                    messages) &&
           BindKind(elements, spreadsheet, files, firstFile, elements.excelFileOf, messages);
}

bool OrderBlocks(KElements& elements, Messages& messages) {
    bool waiting = false;
    for (;;) {
        waiting = false;
        bool appended = false;
        for (int i = 0; i < elements.Count(); ++i) {
            KBlock* b = BlockAt(elements, i);
            if (!b || b->IsComputed() || b->IsComputedLast()) continue;
            bool all = true;
            for (const KNode& n : b->Nodes()) all = all && Satisfied(elements, n);
            if (!all) {
                waiting = true;
                continue;
            }
            b->SetComputed();
            elements.ordered.push_back(b);
            appended = true;
        }
        if (!waiting || !appended) break;
    }
    if (waiting) {
        for (int i = 0; i < elements.Count(); ++i)
            if (KBlock* b = BlockAt(elements, i); b && b->IsComputedLast())
                b->SetComputedFlagOnly(true);
        messages.ErrorBox("Not all blocks could be ordered. \nUnordered blocks are shown in red.");
        return false;
    }
    for (int i = 0; i < elements.Count(); ++i) {
        KBlock* b = BlockAt(elements, i);
        if (!b || !b->IsComputedLast() || b->IsComputed()) continue;
        b->SetComputed();
        elements.ordered.push_back(b);
    }
    return true;
}

bool CompileModel(KElements& elements, const KModuleFinder* modules, Messages& messages) {
    elements.ClearSelection();
    SetAllComputedFlags(elements);
    if (!literal_compile::ExpandModules(elements, modules, messages)) return false;
    if (!literal_compile::CheckNumbering(elements, messages)) return false;
    literal_compile::CheckExtenders(elements, messages);
    if (!literal_compile::BuildNets(elements, messages)) return false;
    if (!korvel::CheckRules(elements, messages)) return false;
    if (!literal_compile::BindReferences(elements, messages)) return false;
    return literal_compile::OrderBlocks(elements, messages);
}

}  // namespace korvel::literal_compile
