#include "model/modeleditor.h"

#include <unordered_map>
#include <unordered_set>

#include "base/messages.h"
#include "model/block.h"
#include "model/elements.h"
#include "model/placing.h"
#include "model/wire.h"

namespace korvel {

namespace {

KBlock* AsBlock(KElement* e) {
    return e && e->IsBlock() ? static_cast<KBlock*>(e) : nullptr;
}

// A copy of a wire for the clipboard: numbers, node indexes and route only,
// so that it does not point at blocks that may be deleted meanwhile.
std::unique_ptr<KWire> DetachedCopy(const KWire& w) {
    auto copy = std::make_unique<KWire>(w.IDNumber(), w.Page());
    copy->SetStartBlock(w.StartBlock());
    copy->SetEndBlock(w.EndBlock());
    copy->SetStartBlockNode(w.StartBlockNode());
    copy->SetEndBlockNode(w.EndBlockNode());
    copy->route = w.route;
    copy->selected = w.selected;
    return copy;
}

std::unique_ptr<KBlock> CopyOfBlock(const KBlock& b, int idNumber) {
    auto copy = MakeBlock(b.Type());
    copy->CopyFrom(b, idNumber);
    return copy;
}

}  // namespace

KModelEditor::KModelEditor(KElements& elements) : elements_(elements) {}

KModelEditor::~KModelEditor() {
    std::erase_if(clipboard_, [](const auto& e) { return e->IsWire(); });
}

std::vector<KBlock*> KModelEditor::SelectedBlocks() const {
    std::vector<KBlock*> out;
    for (const auto& e : elements_.All())
        if (KBlock* b = AsBlock(e.get()); b && b->selected) out.push_back(b);
    return out;
}

void KModelEditor::ClearSelection() {
    for (const auto& e : elements_.All()) e->selected = false;
}

void KModelEditor::SelectInRect(int page, const KRect& r) {
    for (const auto& e : elements_.All()) e->SelectInRect(page, r);
}

void KModelEditor::ToggleSelectInRect(int page, const KRect& r) {
    for (const auto& e : elements_.All()) e->ToggleSelectInRect(page, r);
}

void KModelEditor::BringToFront() {
    elements_.Restack([](const KElement& e) { return !e.selected; });
}

void KModelEditor::SendToBack() {
    elements_.Restack([](const KElement& e) { return e.selected; });
}

void KModelEditor::MoveSelected(int page, int dx, int dy, int pageWidth, int pageHeight) {
    std::unordered_set<const KBlock*> moved;
    for (const auto& e : elements_.All()) {
        KBlock* b = AsBlock(e.get());
        if (!b || !b->selected || b->Page() != page) continue;
        b->clamped = false;
        b->MoveBy(dx, dy, pageWidth, pageHeight);
        moved.insert(b);
    }
    // Every wire is decided before any clamped flag is cleared, so that the
    // second wire of a stopped block is rerouted like the first.
    for (const auto& e : elements_.All()) {
        if (!e->IsWire()) continue;
        auto* w = static_cast<KWire*>(e.get());
        bool startMoved = moved.contains(w->StartBlockPtr());
        bool endMoved = moved.contains(w->EndBlockPtr());
        if (!startMoved && !endMoved) continue;
        bool stopped = (w->StartBlockPtr() && w->StartBlockPtr()->clamped) ||
                       (w->EndBlockPtr() && w->EndBlockPtr()->clamped);
        if (startMoved && endMoved && !stopped) {
            w->MoveBy(dx, dy, pageWidth, pageHeight);
        } else {
            w->Route();
        }
    }
    for (const KBlock* b : moved) const_cast<KBlock*>(b)->clamped = false;
    if (!moved.empty()) elements_.NoteEdit();
}

KBlock& KModelEditor::PlaceBlock(std::unique_ptr<KBlock> block, int page, int x, int y) {
    ClearSelection();
    block->Initialize(elements_.NextFreeIDNumber(), page, x, y);
    SetUpNewBlock(*block, elements_);
    return static_cast<KBlock&>(elements_.Add(std::move(block)));
}

void KModelEditor::CopyAllSelected(int page) {
    std::erase_if(clipboard_, [](const auto& e) { return e->IsWire(); });
    clipboard_.clear();
    for (const auto& e : elements_.All())
        if (const KBlock* b = AsBlock(e.get()); b && b->selected && b->Page() == page)
            clipboard_.push_back(CopyOfBlock(*b, b->IDNumber()));
    for (const auto& e : elements_.All())
        if (e->IsWire() && e->selected && e->Page() == page)
            clipboard_.push_back(DetachedCopy(static_cast<const KWire&>(*e)));
}

std::unique_ptr<KElement> KModelEditor::PasteElement(const KElement& clipboardElement) {
    int number = elements_.NextFreeIDNumber();
    if (clipboardElement.IsWire()) {
        auto w = DetachedCopy(static_cast<const KWire&>(clipboardElement));
        w->SetIDNumber(number);
        return w;
    }
    return CopyOfBlock(static_cast<const KBlock&>(clipboardElement), number);
}

int KModelEditor::PasteAll(int page, int dx, int dy) {
    ClearSelection();
    std::vector<int> numbers = elements_.NextFreeIDNumbers(ClipboardCount());
    std::unordered_map<int, KBlock*> pastedByOldNumber;
    std::vector<KBlock*> pastedBlocks;
    std::size_t next = 0;
    int pasted = 0;
    for (auto& c : clipboard_) {
        if (c->IsWire()) continue;
        const auto& source = static_cast<const KBlock&>(*c);
        auto b = CopyOfBlock(source, numbers[next++]);
        b->SetPage(page);
        b->SetPosition(source.X() + SnapToGrid(dx), source.Y() + SnapToGrid(dy));
        b->selected = true;
        if (!b->TypeRecord().numberedNameBase.empty())
            b->userString = elements_.FindNextNumberedString(b->TypeRecord().numberedNameBase);
        pastedByOldNumber.try_emplace(source.IDNumber(), b.get());
        pastedBlocks.push_back(b.get());
        elements_.Add(std::move(b));
        ++pasted;
    }
    // Once every pasted block is in, so that they count among the others.
    for (KBlock* b : pastedBlocks) {
        BindUnsetReferences(*b, elements_);
        FreeInterfacePlace(*b, elements_);
    }
    for (auto& c : clipboard_) {
        if (!c->IsWire()) continue;
        const auto& source = static_cast<const KWire&>(*c);
        auto from = pastedByOldNumber.find(source.StartBlock());
        auto to = pastedByOldNumber.find(source.EndBlock());
        // A wire copied without one of its blocks has nothing to attach to.
        if (from == pastedByOldNumber.end() || to == pastedByOldNumber.end()) continue;
        auto w = DetachedCopy(source);
        w->SetIDNumber(numbers[next++]);
        w->SetPage(page);
        if (!w->Connect(from->second, to->second, elements_.Sink())) continue;
        for (KPoint& p : w->route) {
            p.x += SnapToGrid(dx);
            p.y += SnapToGrid(dy);
        }
        if (w->route.empty()) w->Route();
        w->selected = true;
        elements_.Add(std::move(w));
        ++pasted;
    }
    return pasted;
}

void KModelEditor::ReverseAllSelectedExtenders(int page) {
    for (int i = 0; i < elements_.Count(); ++i) {
        KBlock* old = AsBlock(&elements_.At(i));
        if (!old || !old->selected || old->Page() != page || !old->IsExtender()) continue;
        int type = old->Type();
        int opposite = type == ktype::kExtender         ? ktype::kExtenderOutput
                       : type == ktype::kExtenderOutput ? ktype::kExtender
                                                        : -1;
        if (opposite < 0) {
            elements_.Sink().ErrorBox("Logic Error in KElements :: ReverseAllSelectedExtenders");
            continue;
        }
        auto replacement = MakeBlock(opposite);
        replacement->SetIDNumber(old->IDNumber());
        replacement->SetPage(old->Page());
        replacement->SetPosition(old->X(), old->Y());
        replacement->userString = old->userString;
        replacement->selected = true;
        elements_.ReplaceBlockAt(i, std::move(replacement));
    }
}

}  // namespace korvel
