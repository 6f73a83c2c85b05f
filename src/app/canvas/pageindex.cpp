#include "app/canvas/pageindex.h"

#include <algorithm>

#include "model/block.h"
#include "model/elements.h"
#include "model/wire.h"

namespace korvel {

namespace {

constexpr int kCell = 64;
// Beyond a block's body: node hot zones reach 8 pixels out; wire hits 5.
constexpr int kReach = 10;

int CellOf(int v) { return v >= 0 ? v / kCell : -((-v + kCell - 1) / kCell); }

const std::vector<int> kNone;

}  // namespace

void KPageIndex::AddRect(int index, int left, int top, int right, int bottom) {
    for (int cy = CellOf(top); cy <= CellOf(bottom); ++cy)
        for (int cx = CellOf(left); cx <= CellOf(right); ++cx) {
            std::vector<int>& cell = cells_[Key(cx, cy)];
            if (cell.empty() || cell.back() != index) cell.push_back(index);
        }
}

void KPageIndex::Build(const KElements& elements, int page) {
    cells_.clear();
    const auto all = elements.All();
    for (int i = 0; i < static_cast<int>(all.size()); ++i) {
        const KElement& e = *all[static_cast<std::size_t>(i)];
        if (e.Page() != page || e.ParentModule() >= 0) continue;
        if (e.IsBlock()) {
            const auto& b = static_cast<const KBlock&>(e);
            const KRect label = b.LabelRect();
            int left = std::min(b.X(), label.left), right = std::max(b.X() + b.Width(), label.right);
            int top = b.Y(), bottom = label.bottom;
            // A node may lie beyond the body (the dial meter's top nodes do).
            for (int n = 0; n < b.NodeCount(); ++n) {
                const KPoint p = b.NodePoint(n);
                left = std::min(left, p.x);
                right = std::max(right, p.x);
                top = std::min(top, p.y);
                bottom = std::max(bottom, p.y);
            }
            AddRect(i, left - kReach, top - kReach, right + kReach, bottom + kReach);
        } else if (e.IsWire()) {
            const auto& w = static_cast<const KWire&>(e);
            for (std::size_t s = 1; s < w.route.size(); ++s) {
                const KPoint a = w.route[s - 1];
                const KPoint c = w.route[s];
                AddRect(i, std::min(a.x, c.x) - kReach, std::min(a.y, c.y) - kReach,
                        std::max(a.x, c.x) + kReach, std::max(a.y, c.y) + kReach);
            }
        }
    }
    // Topmost first: the list is drawn in order, so later elements lie on top.
    for (auto& [key, cell] : cells_) std::sort(cell.rbegin(), cell.rend());
    built_ = true;
    elements_ = &elements;
    page_ = page;
    count_ = elements.Count();
}

bool KPageIndex::IsBuiltFor(const KElements& elements, int page) const {
    return built_ && elements_ == &elements && page_ == page && count_ == elements.Count();
}

const std::vector<int>& KPageIndex::Candidates(QPoint model) const {
    const auto it = cells_.find(Key(CellOf(model.x()), CellOf(model.y())));
    return it == cells_.end() ? kNone : it->second;
}

}  // namespace korvel
