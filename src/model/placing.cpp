#include "model/placing.h"

#include <set>

#include "model/block.h"
#include "model/custmodfile.h"
#include "model/elements.h"

namespace korvel {

namespace {

// The model's own blocks besides `self` (not those a compile expanded).
template <class Visit>
void ForOtherBlocks(const KElements& elements, const KBlock& self, Visit visit) {
    for (const auto& e : elements.All())
        if (e->IsBlock() && e.get() != &self && e->ParentModule() < 0)
            visit(static_cast<const KBlock&>(*e));
}

}  // namespace

bool RefersTo(const KNode& node, const KBlock& block) {
    switch (node.Kind()) {
        case KValueKind::VarRef: return block.IsVariable();
        case KValueKind::DctlRef: return block.IsDigitalController();
        case KValueKind::ExcelRef: return block.IsExcelFile();
        default: return false;
    }
}

void BindUnsetReferences(KBlock& block, const KElements& elements) {
    for (KNode& node : block.Nodes()) {
        if (!(node.IsDctlNode() || node.IsExcelFileNode()) || node.value >= 0) continue;
        const KBlock* only = nullptr;
        int count = 0;
        ForOtherBlocks(elements, block, [&](const KBlock& b) {
            if (!RefersTo(node, b)) return;
            only = &b;
            ++count;
        });
        if (count == 1) node.value = only->IDNumber();
    }
}

void FreeInterfacePlace(KBlock& block, const KElements& elements) {
    if (!block.IsCustomInterface()) return;
    KNode* position = block.FindNode("Position");
    if (!position) return;
    const KInterfacePlace mine = InterfacePlace(block);
    std::set<int> taken;
    ForOtherBlocks(elements, block, [&](const KBlock& b) {
        if (!b.IsCustomInterface()) return;
        const KInterfacePlace other = InterfacePlace(b);
        if (other.edgeChoice == mine.edgeChoice) taken.insert(other.grid);
    });
    if (!taken.contains(mine.grid)) return;
    // With all twenty places taken the clash stays for the save to name.
    for (int grid = 1; grid <= 20; ++grid) {
        if (taken.contains(grid)) continue;
        position->value = grid;
        return;
    }
}

void SetUpNewBlock(KBlock& block, KElements& elements) {
    const std::string_view base = block.TypeRecord().numberedNameBase;
    if (!base.empty()) block.userString = elements.FindNextNumberedString(base);
    BindUnsetReferences(block, elements);
    FreeInterfacePlace(block, elements);
}

}  // namespace korvel
