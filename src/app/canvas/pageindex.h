// KPageIndex: which elements of one page lie near a point, without scanning
// the collection. The page is cut into square cells; each top-level element
// of the page is listed in every cell its reach covers (a block's body,
// label and node hot zones; each segment of a wire's route). A query answers
// the list positions of the elements in the point's cell, topmost (latest)
// first; callers still test each candidate's real geometry, so a stale
// index can only miss an element, never answer a wrong one.
#pragma once

#include <QPoint>
#include <unordered_map>
#include <vector>

namespace korvel {

class KElements;

class KPageIndex {
public:
    // Lists the page's top-level elements.
    void Build(const KElements& elements, int page);
    void Invalidate() { built_ = false; }
    bool IsBuiltFor(const KElements& elements, int page) const;
    // List positions of the elements whose reach may hold the point, descending.
    const std::vector<int>& Candidates(QPoint model) const;

private:
    static long long Key(int cx, int cy) { return (static_cast<long long>(cx) << 32) ^ static_cast<unsigned>(cy); }
    void AddRect(int index, int left, int top, int right, int bottom);

    std::unordered_map<long long, std::vector<int>> cells_;
    bool built_ = false;
    const KElements* elements_ = nullptr;
    int page_ = -1;
    int count_ = -1;
};

}  // namespace korvel
