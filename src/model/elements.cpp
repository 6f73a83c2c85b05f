#include "model/elements.h"

#include <algorithm>
#include <cassert>
#include <unordered_set>

#include "base/messages.h"
#include "model/block.h"
#include "model/wire.h"

namespace korvel {

namespace {

// Names above this count give up: numbered names are for people, not loops.
constexpr int kMaxNameNumber = 9999999;

KBlock* AsBlock(KElement* e) {
    return e && e->IsBlock() ? static_cast<KBlock*>(e) : nullptr;
}

// Every element number a reference node holds (Variables, controllers,
// spreadsheet files and the analyzer buttons' Variables).
template <class Visit>
void ForEachReference(const KBlock& b, Visit visit) {
    for (const KNode& n : b.Nodes()) {
        if (n.IsReference() && n.value >= 0 && n.value <= 2147483647.0)
            visit(static_cast<long long>(n.value));
        if (n.Kind() != KValueKind::DsaButtons) continue;
        for (const KDsaButton& button : n.Buttons()) {
            if (!button.used) continue;
            visit(button.outputVariable);
            visit(button.inputVariable);
        }
    }
}

}  // namespace

KElements::KElements(Messages& messages, std::string baseFolder)
    : messages_(messages), baseFolder_(std::move(baseFolder)) {}

KElements::~KElements() {
    // Wires point at blocks: destroy them first so no wire outlives its block.
    for (auto& e : elements_) e->SetOwner(nullptr);
    std::erase_if(elements_, [](const auto& e) { return e->IsWire(); });
}

KElement& KElements::Add(std::unique_ptr<KElement> element) {
    KElement& e = *element;
    e.SetOwner(this);
    elements_.push_back(std::move(element));
    // An appended element is last in list order: it only enters the index
    // when no earlier element holds its number.
    if (indexValid_) byNumber_.try_emplace(e.IDNumber(), &e);
    ++generation_;
    return e;
}

KElement& KElements::InsertAt(int index, std::unique_ptr<KElement> element) {
    KElement& e = *element;
    e.SetOwner(this);
    index = std::clamp(index, 0, Count());
    elements_.insert(elements_.begin() + index, std::move(element));
    indexValid_ = false;
    ++generation_;
    return e;
}

int KElements::IndexOf(const KElement& element) const {
    for (int i = 0; i < Count(); ++i)
        if (elements_[static_cast<std::size_t>(i)].get() == &element) return i;
    return -1;
}

KElement* KElements::FindByNumber(int n) {
    if (!indexValid_) RebuildIndex();
    auto it = byNumber_.find(n);
    return it == byNumber_.end() ? nullptr : it->second;
}

void KElements::NumberChanged(KElement&, int) {
    indexValid_ = false;
    ++generation_;
}

void KElements::RebuildIndex() {
    byNumber_.clear();
    byNumber_.reserve(elements_.size());
    for (auto& e : elements_) byNumber_.try_emplace(e->IDNumber(), e.get());
    indexValid_ = true;
}

std::vector<int> KElements::NextFreeIDNumbers(int count) {
    // Every number in 0..limit-1 that is taken; more than count + elements +
    // references cannot all be taken, so the answer lies below the limit.
    std::size_t limit = elements_.size() + static_cast<std::size_t>(std::max(count, 0)) + 1;
    for (auto& e : elements_)
        if (const KBlock* b = AsBlock(e.get())) ForEachReference(*b, [&](long long) { ++limit; });
    std::vector<char> taken(limit, 0);
    auto mark = [&](long long n) {
        if (n >= 0 && static_cast<std::size_t>(n) < limit) taken[static_cast<std::size_t>(n)] = 1;
    };
    for (auto& e : elements_) {
        mark(e->IDNumber());
        if (const KBlock* b = AsBlock(e.get())) ForEachReference(*b, mark);
    }
    std::vector<int> free;
    for (std::size_t n = 0; n < limit && static_cast<int>(free.size()) < count; ++n)
        if (!taken[n]) free.push_back(static_cast<int>(n));
    return free;
}

int KElements::NextFreeIDNumber() {
    return NextFreeIDNumbers(1).front();
}

std::string KElements::FindNextNumberedString(std::string_view base) {
    std::unordered_set<std::string_view> names;
    for (auto& e : elements_)
        if (const KBlock* b = AsBlock(e.get())) names.insert(b->userString);
    for (int k = 1; k <= kMaxNameNumber; ++k) {
        std::string name = std::string(base) + std::to_string(k);
        if (!names.contains(name)) return name;
    }
    messages_.ErrorBox("Overrun in KElements :: FindNextNumberedString()");
    return std::string(base);
}

KBlock* KElements::GetBlock(int idNumber) {
    KElement* e = FindByNumber(idNumber);
    if (!e) {
        messages_.ErrorBox("Could not find block " + std::to_string(idNumber) +
                           " in KElements :: GetBlock");
        return nullptr;
    }
    if (!e->IsBlock()) {
        messages_.ErrorBox("Bad block in KElements :: GetBlock");
        return nullptr;
    }
    return static_cast<KBlock*>(e);
}

KBlock* KElements::FindKindWithNumber(int n, bool (KBlock::*is)() const, std::string_view error) {
    KElement* e = FindByNumber(n);
    if (!e) return nullptr;
    KBlock* b = AsBlock(e);
    if (!b || !(b->*is)()) {
        messages_.ErrorBox(error);
        return nullptr;
    }
    return b;
}

KBlock* KElements::FindVariableWithIDNumber(int n) {
    return FindKindWithNumber(n, &KBlock::IsVariable,
                              "Logic Error#1 in KElements :: FindVariableWithIDNumber: Not a var");
}

KBlock* KElements::FindDctlWithIDNumber(int n) {
    return FindKindWithNumber(n, &KBlock::IsDigitalController,
                              "Logic Error#1 in KElements :: FindDctlWithIDNumber: Not a Dctl");
}

KBlock* KElements::FindExcelFileWithIDNumber(int n) {
    return FindKindWithNumber(
        n, &KBlock::IsExcelFile,
        "Logic Error#1 in KElements :: FindExcelFileWithIDNumber: Not an Excel File");
}

int KElements::FindKindNumberByName(std::string_view name, bool (KBlock::*is)() const,
                                    std::string_view error) {
    for (auto& e : elements_) {
        const KBlock* b = AsBlock(e.get());
        if (b && (b->*is)() && b->userString == name) return b->IDNumber();
    }
    messages_.ErrorBox(error);
    return -1;
}

int KElements::GetVariableIDNumber(std::string_view name) {
    return FindKindNumberByName(name, &KBlock::IsVariable,
                                "Logic Error in KElements :: GetVariableIDNumber:  Var not found");
}

int KElements::GetDctlIDNumber(std::string_view name) {
    return FindKindNumberByName(name, &KBlock::IsDigitalController,
                                "Logic Error in KElements :: GetDctlIDNumber:  Var not found");
}

int KElements::GetExcelFileIDNumber(std::string_view name) {
    return FindKindNumberByName(
        name, &KBlock::IsExcelFile,
        "Logic Error in KElements :: GetExcelFileIDNumber:  Block not found");
}

KBlock* KElements::FindFirstVariable() {
    for (auto& e : elements_)
        if (KBlock* b = AsBlock(e.get()); b && b->IsVariable()) return b;
    messages_.ErrorBox("Logic Error in KElements :: FindFirstVariable:  No Vars found");
    return nullptr;
}

KWire* KElements::FindNextConnectedWire(const KBlock& block, const KWire* lastWire) {
    std::size_t start = 0;
    if (lastWire) {
        int i = IndexOf(*lastWire);
        if (i < 0) {
            messages_.ErrorBox("Could not find LastWire in  KElements :: FindNextConnectedWire");
            return nullptr;
        }
        start = static_cast<std::size_t>(i) + 1;
    }
    for (std::size_t i = start; i < elements_.size(); ++i) {
        if (!elements_[i]->IsWire()) continue;
        auto* w = static_cast<KWire*>(elements_[i].get());
        if (w->StartBlockPtr() == &block || w->EndBlockPtr() == &block) return w;
    }
    return nullptr;
}

KElement* KElements::ElementAt(int page, int x, int y) {
    for (auto& e : elements_) {
        KBlock* b = AsBlock(e.get());
        if (b && b->Page() == page && b->LabelContains(x, y)) return b;
    }
    return nullptr;
}

bool KElements::IsPageEmpty(int page) const {
    return std::none_of(elements_.begin(), elements_.end(),
                        [page](const auto& e) { return e->Page() == page; });
}

template <class Pred>
void KElements::RemoveIf(Pred doomed) {
    // Wires first, so that no wire is left pointing at a destroyed block.
    std::erase_if(elements_, [&](const auto& e) { return e->IsWire() && doomed(*e); });
    std::erase_if(elements_, [&](const auto& e) { return doomed(*e); });
    indexValid_ = false;
    ++generation_;
    RefreshConnectedFlags();
}

void KElements::RefreshConnectedFlags() {
    for (auto& e : elements_)
        if (KBlock* b = AsBlock(e.get()))
            for (KNode& n : b->Nodes()) n.connected = false;
    for (auto& e : elements_) {
        if (!e->IsWire()) continue;
        auto* w = static_cast<KWire*>(e.get());
        if (KNode* n = w->StartNode()) n->connected = true;
        if (KNode* n = w->EndNode()) n->connected = true;
    }
}

bool KElements::DeleteElement(KElement& element) {
    if (IndexOf(element) < 0) {
        messages_.ErrorBox("Logic Error in KElements :: DeleteElement");
        return false;
    }
    if (element.IsWire()) return DeleteWire(element);
    const KElement* target = &element;
    RemoveIf([target](const KElement& e) {
        if (&e == target) return true;
        if (!e.IsWire()) return false;
        const auto& w = static_cast<const KWire&>(e);
        return w.StartBlockPtr() == target || w.EndBlockPtr() == target;
    });
    return true;
}

bool KElements::DeleteWire(KElement& element) {
    if (!element.IsWire()) {
        messages_.ErrorBox("Logic Error in KElements :: DeleteWire #1");
        return false;
    }
    if (IndexOf(element) < 0) {
        messages_.ErrorBox("Logic Error in KElements :: DeleteWire #2");
        return false;
    }
    const KElement* target = &element;
    RemoveIf([target](const KElement& e) { return &e == target; });
    return true;
}

void KElements::DeleteSelected() {
    RemoveIf([](const KElement& e) {
        if (e.selected) return true;
        if (!e.IsWire()) return false;
        const auto& w = static_cast<const KWire&>(e);
        return (w.StartBlockPtr() && w.StartBlockPtr()->selected) ||
               (w.EndBlockPtr() && w.EndBlockPtr()->selected);
    });
}

void KElements::DeletePage(int page) {
    RemoveIf([page](const KElement& e) {
        if (e.Page() == page) return true;
        if (!e.IsWire()) return false;
        // A wire always lies on its blocks' page; this only guards odd files.
        const auto& w = static_cast<const KWire&>(e);
        return (w.StartBlockPtr() && w.StartBlockPtr()->Page() == page) ||
               (w.EndBlockPtr() && w.EndBlockPtr()->Page() == page);
    });
    for (auto& e : elements_)
        if (e->Page() > page) e->SetPage(e->Page() - 1);
}

void KElements::Clear() {
    RemoveIf([](const KElement&) { return true; });
}

void KElements::Restack(const std::function<bool(const KElement&)>& first) {
    std::stable_partition(elements_.begin(), elements_.end(),
                          [&first](const auto& e) { return first(*e); });
    indexValid_ = false;
    ++generation_;
}

void KElements::ReplaceBlockAt(int index, std::unique_ptr<KBlock> replacement) {
    assert(index >= 0 && index < Count() && elements_[static_cast<std::size_t>(index)]->IsBlock() &&
           "a block to replace");
    auto* old = static_cast<KBlock*>(elements_[static_cast<std::size_t>(index)].get());
    replacement->SetOwner(this);
    for (auto& e : elements_)
        if (e->IsWire()) static_cast<KWire*>(e.get())->ReplaceBlock(old, replacement.get());
    elements_[static_cast<std::size_t>(index)] = std::move(replacement);  // destroys the old block
    indexValid_ = false;
    ++generation_;
}

}  // namespace korvel
