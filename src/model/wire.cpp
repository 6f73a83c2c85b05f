#include "model/wire.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <utility>

#include "base/messages.h"

namespace korvel {

namespace {

// Hit tests accept points strictly closer than this in both coordinates.
constexpr long long kHitTolerance = 5;

// ---------------------------------------------------------------------------
// Routing works in 64-bit coordinates so that the mirrored frames below can
// negate any int coordinate without overflow.

using Coord = long long;

struct P {
    Coord x = 0;
    Coord y = 0;
};

// A rectangle given by its four lines.
struct Box {
    Coord left = 0;
    Coord top = 0;
    Coord right = 0;
    Coord bottom = 0;
};

// The direction a node faces: straight out of its edge.
P Outward(KEdge edge) {
    switch (edge) {
        case KEdge::Top:
            return {0, -1};
        case KEdge::Bottom:
            return {0, 1};
        case KEdge::Left:
            return {-1, 0};
        case KEdge::Right:
            return {1, 0};
    }
    return {0, -1};
}

// The midpoint of two lines, snapped to the grid (halves away from zero, so
// that it is the same in a mirrored frame).
Coord SnapMid(Coord a, Coord b) {
    Coord m = (a + b) / 2;
    Coord magnitude = (std::llabs(m) + 5) / 10 * 10;
    return m < 0 ? -magnitude : magnitude;
}

// A frame made of a transpose and mirrorings, chosen so that the end node
// faces up and the start node faces up, down or right. Every pair of edges
// then falls into one of three cases, and the answer is mapped back.
struct Frame {
    bool swap = false;
    bool negX = false;
    bool negY = false;

    P To(P p) const {
        if (swap) std::swap(p.x, p.y);
        if (negX) p.x = -p.x;
        if (negY) p.y = -p.y;
        return p;
    }
    P From(P p) const {
        if (negX) p.x = -p.x;
        if (negY) p.y = -p.y;
        if (swap) std::swap(p.x, p.y);
        return p;
    }
    Box To(const Box& b) const {
        P a = To(P{b.left, b.top});
        P c = To(P{b.right, b.bottom});
        return {std::min(a.x, c.x), std::min(a.y, c.y), std::max(a.x, c.x), std::max(a.y, c.y)};
    }
};

Frame FrameFor(P startOut, P endOut) {
    Frame f;
    if (endOut.x != 0) f.swap = true;         // left or right: make it vertical
    if (f.To(endOut).y > 0) f.negY = true;    // now facing down: turn it up
    if (f.To(startOut).x < 0) f.negX = true;  // start facing left: face it right
    return f;
}

// The lines a wire keeps clear of round a block: 10 pixels outside the
// body, and below the label at the bottom.
Box ClearanceBox(const KBlock& b) {
    return {b.BodyLeft(), b.ExtentTop(), b.BodyRight(), b.ExtentBottom()};
}

Box BodyBox(const KBlock& b) {
    return {b.X(), b.Y(), b.X() + b.Width(), b.Y() + b.Height()};
}

// Both ends in the working frame: the end node faces up.
struct Ends {
    P s;        // start node point
    P e;        // end node point
    Box a;      // start block clearance
    Box b;      // end block clearance
    Box aBody;  // start block body
};

// Of two vertical lanes, the one the wire reaches with less travel from the
// start's x and on to the end's x; the left one on a tie.
Coord NearerLane(Coord sx, Coord ex, Coord left, Coord right) {
    Coord viaLeft = std::llabs(sx - left) + std::llabs(ex - left);
    Coord viaRight = std::llabs(sx - right) + std::llabs(ex - right);
    return viaLeft <= viaRight ? left : right;
}

// Whether a drop at x from above down to y would pass through the body.
bool BlocksDrop(const Box& body, Coord x, Coord y) {
    return body.left <= x && x <= body.right && body.top < y;
}

// Start faces down, towards the side the end is entered from.
std::vector<P> RouteFacing(const Ends& r) {
    const P s = r.s;
    const P e = r.e;
    if (s.x == e.x && s.y <= e.y) return {s, e};
    Coord y1 = std::max(SnapMid(r.a.bottom, r.b.top), r.a.bottom);
    if (y1 < e.y) return {s, {s.x, y1}, {e.x, y1}, e};
    // The end block is level with the start block or behind it: climb to
    // above the end block, beside it when there is room between the two.
    if (r.b.left >= r.a.right || r.b.right <= r.a.left) {
        bool endRight = r.b.left >= r.a.right;
        Coord lo = endRight ? r.a.right : r.b.right;
        Coord hi = endRight ? r.b.left : r.a.left;
        Coord lane = std::clamp(SnapMid(lo, hi), lo, hi);
        return {s, {s.x, y1}, {lane, y1}, {lane, r.b.top}, {e.x, r.b.top}, e};
    }
    Coord lane = NearerLane(s.x, e.x, std::min(r.a.left, r.b.left), std::max(r.a.right, r.b.right));
    Coord yRun = std::min(r.a.top, r.b.top);
    return {s, {s.x, y1}, {lane, y1}, {lane, yRun}, {e.x, yRun}, e};
}

// Start faces up, the way the end is entered.
std::vector<P> RouteSameWay(const Ends& r) {
    const P s = r.s;
    const P e = r.e;
    Coord y1 = std::min(SnapMid(r.a.top, r.b.bottom), r.a.top);
    if (y1 > r.b.top) {
        // The end block reaches higher than the first corner: go up its side.
        Coord lane = NearerLane(s.x, e.x, r.b.left, r.b.right);
        return {s, {s.x, y1}, {lane, y1}, {lane, r.b.top}, {e.x, r.b.top}, e};
    }
    // Straight up and back down the same line would fold onto itself.
    if (e.x != s.x && !BlocksDrop(r.aBody, e.x, e.y)) return {s, {s.x, y1}, {e.x, y1}, e};
    // The start block lies over the end node: pass beside it and drop in
    // below it.
    Coord lane = NearerLane(s.x, e.x, r.a.left, r.a.right);
    Coord yRun = 0;
    if (r.a.bottom <= r.b.top) {
        yRun = std::clamp(SnapMid(r.a.bottom, r.b.top), r.a.bottom, r.b.top);
    } else {
        // Overlapping blocks: any level strictly between the corner and the end.
        yRun = r.b.top > y1 ? r.b.top : y1 + (e.y - y1) / 2;
    }
    return {s, {s.x, y1}, {lane, y1}, {lane, yRun}, {e.x, yRun}, e};
}

// Start faces right, across the way the end is entered.
std::vector<P> RouteAcross(const Ends& r) {
    const P s = r.s;
    const P e = r.e;
    if (e.x > s.x && s.y < e.y) return {s, {e.x, s.y}, e};
    Coord x1 = std::max(SnapMid(r.a.right, r.b.left), r.a.right);
    // Climbing at x1 would cut through the end block: go out past it first.
    if (r.b.left < x1 && x1 < r.b.right && s.y > r.b.top) x1 = r.b.right;
    Coord yRun = 0;
    if (e.x >= x1) {
        yRun = r.b.top;
    } else if (r.b.top >= r.a.bottom) {
        // End block below and behind: come back under the start block.
        yRun = std::clamp(SnapMid(r.a.bottom, r.b.top), r.a.bottom, r.b.top);
    } else {
        // Behind and not below: come back over both blocks.
        yRun = std::min(r.a.top, r.b.top);
    }
    return {s, {x1, s.y}, {x1, yRun}, {e.x, yRun}, e};
}

int ToInt(Coord v) {
    return static_cast<int>(
        std::clamp<Coord>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

bool RemoveRepeats(std::vector<KPoint>& points) {
    auto end = std::unique(points.begin(), points.end());
    bool changed = end != points.end();
    points.erase(end, points.end());
    return changed;
}

bool RemoveStraightMiddles(std::vector<KPoint>& points) {
    if (points.size() < 3) return false;
    std::vector<KPoint> kept{points.front()};
    for (std::size_t i = 1; i + 1 < points.size(); ++i) {
        const KPoint& prev = kept.back();
        const KPoint& p = points[i];
        const KPoint& next = points[i + 1];
        bool straight = (prev.x == p.x && p.x == next.x) || (prev.y == p.y && p.y == next.y);
        if (!straight) kept.push_back(p);
    }
    kept.push_back(points.back());
    bool changed = kept.size() != points.size();
    points = std::move(kept);
    return changed;
}

// Drops repeated points, then straight-run middle points; again until
// neither finds anything, since dropping a middle point of a doubled-back
// run can bring two equal points together.
void CleanRoute(std::vector<KPoint>& points) {
    bool changed = true;
    while (changed) {
        changed = RemoveRepeats(points);
        changed = RemoveStraightMiddles(points) || changed;
    }
}

bool Near(const KPoint& p, int x, int y) {
    return std::llabs(static_cast<Coord>(x) - p.x) < kHitTolerance &&
           std::llabs(static_cast<Coord>(y) - p.y) < kHitTolerance;
}

}  // namespace

std::vector<KPoint> RouteBetween(const KBlock& startBlock, int startNode, const KBlock& endBlock,
                                 int endNode) {
    KPoint s = startBlock.NodePoint(startNode);
    KPoint e = endBlock.NodePoint(endNode);
    P startOut = Outward(startBlock.NodeEdge(startNode));
    Frame f = FrameFor(startOut, Outward(endBlock.NodeEdge(endNode)));
    Ends ends{f.To(P{s.x, s.y}), f.To(P{e.x, e.y}), f.To(ClearanceBox(startBlock)),
              f.To(ClearanceBox(endBlock)), f.To(BodyBox(startBlock))};
    P dir = f.To(startOut);
    std::vector<P> raw = dir.y > 0   ? RouteFacing(ends)
                         : dir.y < 0 ? RouteSameWay(ends)
                                     : RouteAcross(ends);
    std::vector<KPoint> points;
    points.reserve(raw.size());
    for (const P& p : raw) {
        P q = f.From(p);
        points.push_back({ToInt(q.x), ToInt(q.y)});
    }
    CleanRoute(points);
    return points;
}

// ---------------------------------------------------------------------------

KWire::KWire(int idNumber, int page, KBlock* startBlock, int startNode)
    : KElement(kWireType, idNumber, page) {
    SetStart({startBlock, startBlock ? startBlock->IDNumber() : -1, startNode});
    selected = true;
}

KWire::KWire(int idNumber, int page) : KElement(kWireType, idNumber, page) {}

KNode* KWire::NodeOf(KBlock* block, int index) {
    if (!block || index < 0 || index >= block->NodeCount()) return nullptr;
    return &block->Node(index);
}

void KWire::SetStart(const End& end) {
    startBlock_ = end.block;
    startBlockNumber_ = end.number;
    startBlockNode_ = end.node;
}

void KWire::SetEnd(const End& end) {
    endBlock_ = end.block;
    endBlockNumber_ = end.number;
    endBlockNode_ = end.node;
}

KRect KWire::Bounds() const {
    if (route.empty()) return {};
    KRect r{route.front().x, route.front().y, route.front().x, route.front().y};
    for (const KPoint& p : route) {
        r.left = std::min(r.left, p.x);
        r.top = std::min(r.top, p.y);
        r.right = std::max(r.right, p.x);
        r.bottom = std::max(r.bottom, p.y);
    }
    return r;
}

bool KWire::AttachedTo(const KBlock& block) const {
    if (startBlock_ == &block || endBlock_ == &block) return true;
    // While a reconnect is open its saved end may still come back.
    return reconnecting && (savedStart_.block == &block || savedEnd_.block == &block);
}

void KWire::ReplaceBlock(const KBlock* oldBlock, KBlock* newBlock) {
    if (!oldBlock || !newBlock || oldBlock == newBlock) return;
    bool moved = false;
    auto repoint = [&](End end, bool live) {
        if (end.block != oldBlock) return end;
        end.block = newBlock;
        end.number = newBlock->IDNumber();
        if (KNode* node = NodeOf(newBlock, end.node); node && live) node->connected = true;
        moved = moved || live;
        return end;
    };
    SetStart(repoint(StartEnd(), true));
    SetEnd(repoint(EndEnd(), true));
    savedStart_ = repoint(savedStart_, false);
    savedEnd_ = repoint(savedEnd_, false);
    // The node may sit elsewhere on the new block.
    if (moved && StartNode() && EndNode()) Route();
}

bool KWire::ConnectEnd(KBlock* block, int nodeIndex, Messages& messages) {
    if (!block) return false;
    if (block == startBlock_ && nodeIndex == startBlockNode_) {
        messages.ErrorBox("Cannot wire back to the same node");
        return false;
    }
    KNode* node = block->GetNodeP(nodeIndex, messages);
    if (!node) return false;
    SetEnd({block, block->IDNumber(), nodeIndex});
    node->connected = true;
    node->netLink = -1;
    if (KNode* start = StartNode()) {
        start->connected = true;
        start->netLink = -1;
    }
    selected = false;
    reconnecting = false;  // a reconnect ends here
    Route();
    return true;
}

bool KWire::Connect(KBlock* startBlock, KBlock* endBlock, Messages& messages) {
    KNode* start = startBlock ? startBlock->GetNodeP(startBlockNode_, messages) : nullptr;
    if (!start) {
        messages.ErrorBox("Logic error:  Start node not found in Connect");
        return false;
    }
    KNode* end = endBlock ? endBlock->GetNodeP(endBlockNode_, messages) : nullptr;
    if (!end) {
        messages.ErrorBox("Logic error:  End node not found in Connect");
        return false;
    }
    start->connected = true;
    end->connected = true;
    SetStart({startBlock, startBlock->IDNumber(), startBlockNode_});
    SetEnd({endBlock, endBlock->IDNumber(), endBlockNode_});
    return true;
}

void KWire::Route() {
    if (!StartNode() || !EndNode()) {
        route.clear();
        return;
    }
    route = RouteBetween(*startBlock_, startBlockNode_, *endBlock_, endBlockNode_);
}

bool KWire::WouldLeavePage(int dx, int dy, int pageWidth, int pageHeight) const {
    for (const KPoint& p : route) {
        Coord x = static_cast<Coord>(p.x) + dx;
        Coord y = static_cast<Coord>(p.y) + dy;
        if (x < 0 || x > pageWidth || y < 0 || y > pageHeight) return true;
    }
    return false;
}

void KWire::MoveBy(int dx, int dy, int pageWidth, int pageHeight) {
    bool startClamped = startBlock_ && startBlock_->clamped;
    bool endClamped = endBlock_ && endBlock_->clamped;
    if (startClamped || endClamped) {
        // A clamped block moved less than the selection: shifting the
        // points would leave the wire off its node.
        Route();
        if (startBlock_) startBlock_->clamped = false;
        if (endBlock_) endBlock_->clamped = false;
        return;
    }
    // Blocks move by the snapped distance; the wire must move with them.
    int sx = SnapToGrid(dx);
    int sy = SnapToGrid(dy);
    if (WouldLeavePage(sx, sy, pageWidth, pageHeight)) {
        Route();
        return;
    }
    for (KPoint& p : route) {
        p.x += sx;
        p.y += sy;
    }
}

bool KWire::HitEnd(int page, int x, int y) const {
    if (!Hittable(page) || !StartNode() || !EndNode() || route.empty()) return false;
    return Near(route.front(), x, y) || Near(route.back(), x, y);
}

bool KWire::HitSegment(int page, int x, int y) {
    if (!Hittable(page)) return false;
    // The first and last segments stay put: they hold the wire to its nodes.
    for (std::size_t k = 1; k + 2 < route.size(); ++k) {
        const KPoint& a = route[k];
        const KPoint& b = route[k + 1];
        KPoint mid{static_cast<int>((static_cast<Coord>(a.x) + b.x) / 2),
                   static_cast<int>((static_cast<Coord>(a.y) + b.y) / 2)};
        if (Near(mid, x, y)) {
            draggedSegment_ = static_cast<int>(k + 1);
            return true;
        }
    }
    return false;
}

bool KWire::Stretch(int page, int x, int y, Messages& messages) {
    if (!selected) {
        messages.ErrorBox("Internal Error #1 in KWire :: Stretch");
        return false;
    }
    if (page != Page()) {
        messages.ErrorBox("Internal Error #2 in KWire :: Stretch");
        return false;
    }
    if (draggedSegment_ < 1 || draggedSegment_ >= static_cast<int>(route.size())) return false;
    KPoint& a = route[static_cast<std::size_t>(draggedSegment_ - 1)];
    KPoint& b = route[static_cast<std::size_t>(draggedSegment_)];
    if (a.y == b.y) {
        a.y = y;
        b.y = y;
    } else {
        a.x = x;
        b.x = x;
    }
    return true;
}

void KWire::BeginReconnect(int x, int y) {
    savedStart_ = StartEnd();
    savedEnd_ = EndEnd();
    if (!route.empty() && Near(route.front(), x, y)) {
        // Grabbed by the start: the kept end becomes the start.
        SetStart(savedEnd_);
        if (KNode* node = StartNode()) node->netLink = -1;
    }
    SetEnd({});
    reconnecting = true;
}

bool KWire::RestoreReconnectingWire(Messages& messages) {
    const char* refusal = nullptr;
    if (!StartNode()) {
        refusal = "Logic Error #1 in KWire :: RestoreReconnectingWire()";
    } else if (!NodeOf(savedEnd_.block, savedEnd_.node)) {
        refusal = "Logic Error #2 in KWire :: RestoreReconnectingWire()";
    } else if (savedStart_.number < 0) {
        refusal = "Logic Error #3 in KWire :: RestoreReconnectingWire()";
    } else if (savedEnd_.number < 0) {
        refusal = "Logic Error #4 in KWire :: RestoreReconnectingWire()";
    }
    if (refusal) {
        messages.ErrorBox(refusal);
        return false;
    }
    SetStart(savedStart_);
    SetEnd(savedEnd_);
    reconnecting = false;
    return true;
}

}  // namespace korvel
