// Wires: attaching ends, routing, following moves, hit tests, stretching a
// segment and reconnecting an end.
#include "model/wire.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/messagerecorder.h"

namespace korvel {
namespace {

// A 50x40 block with a node on each edge: Input L20, Output R20, Frequency
// T30, Documentation B40. Its label is treated as 20x15, so the clearance
// lines are X-10, X+60, Y-10 and Y+65.
constexpr int kLpf1 = 0;
constexpr int kIn = 0;
constexpr int kOut = 1;
constexpr int kTop = 2;
constexpr int kBottom = 3;
constexpr int kExtender = 43;        // 20x20, Connect L10
constexpr int kExtenderOutput = 44;  // 20x20, Connect R10

using Points = std::vector<KPoint>;

std::unique_ptr<KBlock> MakeAt(int type, int id, int x, int y, bool hswap = false,
                               bool vswap = false) {
    auto b = std::make_unique<KBlock>(type, id, 0);
    b->SetPosition(x, y);
    b->horizSwap = hswap;
    b->vertSwap = vswap;
    return b;
}

std::unique_ptr<KBlock> Lpf(int id, int x, int y, bool hswap = false, bool vswap = false) {
    return MakeAt(kLpf1, id, x, y, hswap, vswap);
}

std::string Show(const Points& points) {
    std::ostringstream out;
    for (const KPoint& p : points) out << "(" << p.x << "," << p.y << ")";
    return out.str();
}

// A connected wire from a's node to b's node.
std::unique_ptr<KWire> Wire(KBlock& a, int an, KBlock& b, int bn, int id = 100) {
    KMessageRecorder messages;
    auto w = std::make_unique<KWire>(id, 0, &a, an);
    EXPECT_TRUE(w->ConnectEnd(&b, bn, messages));
    EXPECT_TRUE(messages.boxes.empty());
    return w;
}

KPoint OutwardOf(KEdge edge) {
    return edge == KEdge::Top      ? KPoint{0, -1}
           : edge == KEdge::Bottom ? KPoint{0, 1}
           : edge == KEdge::Left   ? KPoint{-1, 0}
                                   : KPoint{1, 0};
}

KPoint Direction(const KPoint& from, const KPoint& to) {
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    return {sign(to.x - from.x), sign(to.y - from.y)};
}

// What every route must be: from node point to node point, each segment
// horizontal or vertical and not empty, no straight-run middle points,
// leaving the start outward and entering the end from outside. Answers the
// first broken rule, or empty.
std::string RouteFault(const Points& r, const KBlock& a, int an, const KBlock& b, int bn) {
    if (r.size() < 2) return "fewer than two points";
    if (!(r.front() == a.NodePoint(an))) return "does not start at the start node";
    if (!(r.back() == b.NodePoint(bn))) return "does not end at the end node";
    for (std::size_t i = 1; i < r.size(); ++i) {
        if (r[i] == r[i - 1]) return "repeated point";
        if (r[i].x != r[i - 1].x && r[i].y != r[i - 1].y) return "slanted segment";
    }
    for (std::size_t i = 1; i + 1 < r.size(); ++i) {
        bool sameX = r[i - 1].x == r[i].x && r[i].x == r[i + 1].x;
        bool sameY = r[i - 1].y == r[i].y && r[i].y == r[i + 1].y;
        if (sameX || sameY) return "straight-run middle point";
    }
    if (!(Direction(r[0], r[1]) == OutwardOf(a.NodeEdge(an)))) return "first segment goes inward";
    KPoint in = OutwardOf(b.NodeEdge(bn));
    KPoint last = Direction(r[r.size() - 2], r.back());
    if (last.x != -in.x || last.y != -in.y) return "last segment enters from inside";
    return {};
}

// Whether a segment passes through the inside of the block's body.
bool CutsBody(const KPoint& p, const KPoint& q, const KBlock& blk) {
    KRect body = blk.Bounds();
    if (p.y == q.y)
        return body.top < p.y && p.y < body.bottom &&
               std::max(std::min(p.x, q.x), body.left) < std::min(std::max(p.x, q.x), body.right);
    return body.left < p.x && p.x < body.right &&
           std::max(std::min(p.y, q.y), body.top) < std::min(std::max(p.y, q.y), body.bottom);
}

bool ClearancesApart(const KBlock& a, const KBlock& b) {
    return a.BodyRight() <= b.BodyLeft() || b.BodyRight() <= a.BodyLeft() ||
           a.ExtentBottom() <= b.ExtentTop() || b.ExtentBottom() <= a.ExtentTop();
}

// ---------------------------------------------------------------------------
// Routing

// One end of a hand-worked wire: an Lpf block placed at x, y and a node.
struct At {
    int x, y;
    int node;
    bool flipH = false;
};

TEST(WireRoute, HandWorkedRoutes) {
    struct HandRoute {
        const char* name;
        At a, b;
        Points expected;
    };
    // clang-format off
    const HandRoute kCases[] = {
        {"facing on one horizontal line", {100, 100, kOut}, {300, 100, kIn},
         {{150, 120}, {300, 120}}},
        {"facing on one vertical line", {100, 100, kBottom}, {110, 300, kTop},
         {{140, 140}, {140, 300}}},
        // Halfway between the clearance lines 160 and 290 is 225, snapped to 230.
        {"right to left, offset", {100, 100, kOut}, {300, 200, kIn},
         {{150, 120}, {230, 120}, {230, 220}, {300, 220}}},
        // Halfway between 165 and 290 is 227.5, snapped to 230.
        {"bottom to top, offset", {100, 100, kBottom}, {300, 300, kTop},
         {{140, 140}, {140, 230}, {330, 230}, {330, 300}}},
        {"right to top, each in front of the other", {100, 100, kOut}, {300, 200, kTop},
         {{150, 120}, {330, 120}, {330, 200}}},
        {"bottom to left, each in front of the other", {100, 100, kBottom}, {300, 300, kIn},
         {{140, 140}, {140, 320}, {300, 320}}},
        // First corner halfway between 290 and 165; then up the end block's
        // nearer side (x 290) to its top clearance line (y 90).
        {"top to top, end block higher", {100, 300, kTop}, {300, 100, kTop},
         {{130, 300}, {130, 230}, {290, 230}, {290, 90}, {330, 90}, {330, 100}}},
        // Behind on the same row: out to 360, over both tops at 90, down at 90.
        {"right to left, end block behind", {300, 100, kOut}, {100, 100, kIn},
         {{350, 120}, {360, 120}, {360, 90}, {90, 90}, {90, 120}, {100, 120}}},
        // The end block sits beside the start: below the start's label line
        // (165), across to the gap (halfway between 160 and 190 is 175 -> 180),
        // up to the end's top clearance line (140) and over.
        {"bottom to top, end block beside", {100, 100, kBottom}, {200, 150, kTop},
         {{140, 140}, {140, 165}, {180, 165}, {180, 140}, {230, 140}, {230, 150}}},
        // Flipped output on the left, into a left input further right: over
        // the start block and down through the gap (halfway 160..290 -> 230).
        {"flipped start, left to left", {100, 100, kOut, true}, {300, 100, kIn},
         {{100, 120}, {90, 120}, {90, 90}, {230, 90}, {230, 120}, {300, 120}}},
        // Feedback round one block (both ends at 100, 100 on the same block).
        {"feedback round the same block", {100, 100, kOut}, {100, 100, kIn},
         {{150, 120}, {160, 120}, {160, 90}, {90, 90}, {90, 120}, {100, 120}}},
    };
    // clang-format on
    for (const HandRoute& c : kCases) {
        SCOPED_TRACE(c.name);
        auto a = Lpf(1, c.a.x, c.a.y, c.a.flipH);
        auto other = Lpf(2, c.b.x, c.b.y, c.b.flipH);
        KBlock& b = c.a.x == c.b.x && c.a.y == c.b.y ? *a : *other;
        auto w = Wire(*a, c.a.node, b, c.b.node);
        EXPECT_EQ(Show(w->route), Show(c.expected));
        EXPECT_EQ(RouteFault(w->route, *a, c.a.node, b, c.b.node), "");
    }
}

// A sweep of the end block round the start block, in every flip and with a
// plain or a wide, tall start label, plus a few close, overlapping and far
// placements off the sweep's grid, and every pair of nodes of the start
// block itself: the rules always hold, and blocks whose clearance lines do
// not overlap are never cut. (Offset 0,10 with the wide label: nodes one
// above the other on overlapping blocks, where going out and back along one
// line would fold the route onto itself.)
TEST(WireRoute, SweepRoundTheStartBlock) {
    const KPoint kSameBlock{-1, -1};
    std::vector<KPoint> offsets = {kSameBlock, {-200, 150}, {70, 0}, {0, 70},
                                   {20, 10},   {30, 20},    {0, 10}, {600, 400}};
    for (int dy = -200; dy <= 200; dy += 20)
        for (int dx = -200; dx <= 200; dx += 20) offsets.push_back({dx, dy});
    int faults = 0;
    for (int flips = 0; flips < 32; ++flips) {
        auto a = Lpf(1, 300, 300, flips & 1, flips & 2);
        a->labelWidth = flips & 16 ? 150 : 0;
        a->labelHeight = flips & 16 ? 30 : 0;
        for (const KPoint& d : offsets) {
            auto other = Lpf(2, 300 + d.x, 300 + d.y, flips & 4, flips & 8);
            const KBlock& b = d == kSameBlock ? *a : *other;
            for (int an = 0; an < 4; ++an) {
                for (int bn = 0; bn < 4; ++bn) {
                    if (a->NodePoint(an) == b.NodePoint(bn)) continue;
                    Points r = RouteBetween(*a, an, b, bn);
                    std::string fault = RouteFault(r, *a, an, b, bn);
                    if (fault.empty() && ClearancesApart(*a, b)) {
                        for (std::size_t i = 1; i < r.size(); ++i)
                            if (CutsBody(r[i - 1], r[i], *a) || CutsBody(r[i - 1], r[i], b))
                                fault = "cuts through a block";
                    }
                    if (!fault.empty() && ++faults <= 10) {
                        ADD_FAILURE() << fault << ": flips " << flips << " offset " << d.x << ","
                                      << d.y << " nodes " << an << "->" << bn << " " << Show(r);
                    }
                }
            }
        }
    }
    EXPECT_EQ(faults, 0);
}

// ---------------------------------------------------------------------------
// Creating and attaching

TEST(Wire, AnOpenWireIsSelectedAndHasNoRoute) {
    auto a = Lpf(7, 100, 100);
    KWire w(100, 3, a.get(), kOut);
    EXPECT_TRUE(w.selected && w.IsOpen());
    w.route = {{1, 2}};
    w.Route();
    EXPECT_TRUE(w.route.empty());
    EXPECT_EQ(KWire(100, 0, nullptr, 0).StartBlock(), -1);
}

TEST(Wire, ConnectEndFinishesTheWire) {
    auto a = Lpf(1, 100, 100);
    auto b = Lpf(2, 300, 100);
    a->Node(kOut).netLink = 4;
    b->Node(kIn).netLink = 5;
    KWire w(100, 0, a.get(), kOut);
    KMessageRecorder messages;
    EXPECT_TRUE(w.ConnectEnd(b.get(), kIn, messages));
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_EQ(w.EndNode(), &b->Node(kIn));
    EXPECT_EQ(w.EndBlock(), 2);
    // Both nodes are wired now and belong to no net until the next compile.
    EXPECT_TRUE(a->Node(kOut).connected && b->Node(kIn).connected);
    EXPECT_EQ(a->Node(kOut).netLink, -1);
    EXPECT_EQ(b->Node(kIn).netLink, -1);
    EXPECT_FALSE(w.selected);
    EXPECT_EQ(Show(w.route), Show({{150, 120}, {300, 120}}));
}

// Ending on the start node itself, or on a node the block lacks, is refused
// and leaves the wire open.
TEST(Wire, ConnectEndRefusals) {
    auto a = Lpf(1, 100, 100);
    auto b = Lpf(2, 300, 100);
    for (auto [block, node] : {std::pair{a.get(), kOut}, std::pair{b.get(), 9}}) {
        KWire w(100, 0, a.get(), kOut);
        KMessageRecorder messages;
        EXPECT_FALSE(w.ConnectEnd(block, node, messages));
        EXPECT_EQ(messages.Count("Error"), 1);
        if (block == a.get()) {
            EXPECT_EQ(messages.Last().text, "Cannot wire back to the same node");
        }
        EXPECT_TRUE(w.IsOpen() && w.selected && w.route.empty());
        EXPECT_FALSE(a->Node(kOut).connected);
    }
    // Another node of the same block is fine.
    KWire w(100, 0, a.get(), kOut);
    KMessageRecorder messages;
    EXPECT_TRUE(w.ConnectEnd(a.get(), kIn, messages));
}

TEST(Wire, ConnectAttachesALoadedWireByItsNumbers) {
    auto a = Lpf(11, 100, 100);
    auto b = Lpf(12, 300, 200);
    KWire w(100, 0);
    w.SetStartBlockNode(kOut);
    w.SetEndBlockNode(kIn);
    w.route = {{150, 120}, {200, 120}, {200, 220}, {300, 220}};
    KMessageRecorder messages;
    EXPECT_TRUE(w.Connect(a.get(), b.get(), messages));
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_EQ(w.StartNode(), &a->Node(kOut));
    EXPECT_EQ(w.EndNode(), &b->Node(kIn));
    EXPECT_EQ(w.StartBlock(), 11);
    EXPECT_EQ(w.EndBlock(), 12);
    EXPECT_TRUE(a->Node(kOut).connected && b->Node(kIn).connected);
    // Loaded bend points are kept exactly.
    EXPECT_EQ(Show(w.route), "(150,120)(200,120)(200,220)(300,220)");
}

// A wire whose saved ends name no node is refused with an error and
// attaches to nothing (a malformed file, never a crash).
TEST(Wire, ConnectRefusesMissingNodes) {
    struct Case {
        int startNode, endNode;
        bool noStart, noEnd;
    };
    for (const Case& c : {Case{9, kIn, false, false}, Case{kOut, -1, false, false},
                          Case{kOut, kIn, true, false}, Case{kOut, kIn, false, true}}) {
        auto a = Lpf(11, 100, 100);
        auto b = Lpf(12, 300, 200);
        KWire w(100, 0);
        w.SetStartBlockNode(c.startNode);
        w.SetEndBlockNode(c.endNode);
        KMessageRecorder messages;
        EXPECT_FALSE(
            w.Connect(c.noStart ? nullptr : a.get(), c.noEnd ? nullptr : b.get(), messages));
        EXPECT_GE(messages.Count("Error"), 1);
        EXPECT_EQ(w.StartBlockPtr(), nullptr);
        EXPECT_EQ(w.EndBlockPtr(), nullptr);
        EXPECT_FALSE(a->Node(kOut).connected || b->Node(kIn).connected);
    }
}

TEST(Wire, SelectByRectangleNeedsTheWholeRoute) {
    auto a = Lpf(1, 100, 100);
    auto b = Lpf(2, 300, 200);
    auto w = Wire(*a, kOut, *b, kIn);  // (150,120) to (300,220)
    w->SelectInRect(0, {140, 110, 299, 230});
    EXPECT_FALSE(w->selected);
    w->SelectInRect(0, {140, 110, 300, 230});
    EXPECT_TRUE(w->selected);
}

// Reversing an extender: both wires follow the node to the other side.
TEST(Wire, ReplaceBlockMovesEndsToTheReplacement) {
    auto a = Lpf(1, 0, 100);
    auto c = Lpf(3, 0, 300);
    auto ext = MakeAt(kExtender, 5, 200, 100);
    auto w1 = Wire(*a, kOut, *ext, 0, 101);
    auto w2 = Wire(*c, kOut, *ext, 0, 102);
    EXPECT_EQ(w1->route.back(), (KPoint{200, 110}));
    auto out = MakeAt(kExtenderOutput, 5, 200, 100);
    w1->ReplaceBlock(ext.get(), out.get());
    w2->ReplaceBlock(ext.get(), out.get());
    for (KWire* w : {w1.get(), w2.get()}) {
        EXPECT_EQ(w->EndNode(), &out->Node(0));
        EXPECT_TRUE(w->AttachedTo(*out));
        EXPECT_FALSE(w->AttachedTo(*ext));
        EXPECT_EQ(RouteFault(w->route, *w->StartBlockPtr(), kOut, *out, 0), "");
    }
    EXPECT_EQ(w1->route.back(), (KPoint{220, 110}));
    EXPECT_TRUE(out->Node(0).connected);
    // A block the wire is not on changes nothing.
    Points before = w1->route;
    w1->ReplaceBlock(c.get(), ext.get());
    EXPECT_EQ(w1->StartBlockPtr(), a.get());
    EXPECT_EQ(Show(w1->route), Show(before));
}

// ---------------------------------------------------------------------------
// Moving with the selection

TEST(Wire, MoveByShiftsOrReroutes) {
    struct Case {
        const char* name;
        int dx, dy;
        bool clampStart, clampEnd;
        Points shifted;  // empty: rerouted
    };
    // Wire routed straight (150,120)-(300,120); the end block has since been
    // moved down to (300,200), so a reroute gives the offset route instead.
    const Points kFresh{{150, 120}, {230, 120}, {230, 220}, {300, 220}};
    const Case kCases[] = {
        {"inside the page", 10, 20, false, false, {{160, 140}, {310, 140}}},
        {"distance snapped to the grid", 13, -4, false, false, {{160, 120}, {310, 120}}},
        {"to the left border", -150, 0, false, false, {{0, 120}, {150, 120}}},
        {"to the right border", 700, 0, false, false, {{850, 120}, {1000, 120}}},
        {"to the bottom border", 0, 680, false, false, {{150, 800}, {300, 800}}},
        {"past the left border", -160, 0, false, false, {}},
        {"past the top border", 0, -130, false, false, {}},
        {"past the right border", 710, 0, false, false, {}},
        {"past the bottom border", 0, 690, false, false, {}},
        {"start block clamped", 10, 0, true, false, {}},
        {"end block clamped", 10, 0, false, true, {}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        auto a = Lpf(1, 100, 100);
        auto b = Lpf(2, 300, 100);
        auto w = Wire(*a, kOut, *b, kIn);
        b->SetPosition(300, 200);
        a->clamped = c.clampStart;
        b->clamped = c.clampEnd;
        w->MoveBy(c.dx, c.dy, 1000, 800);
        EXPECT_EQ(Show(w->route), Show(c.shifted.empty() ? kFresh : c.shifted));
        EXPECT_FALSE(a->clamped || b->clamped);
    }
}

// ---------------------------------------------------------------------------
// Hit tests and stretching

TEST(Wire, HitTestsHaveAFivePixelTolerance) {
    struct Hit {
        int page, x, y;
        bool end, segment;
        int dragged;
    };
    auto a = Lpf(1, 100, 100);
    auto b = Lpf(2, 300, 200);
    // clang-format off
    const Hit kHits[] = {  // on (150,120)(230,120)(230,220)(300,220)
        {0, 150, 120, true, false, -1},  {0, 154, 124, true, false, -1},
        {0, 146, 116, true, false, -1},  {0, 155, 120, false, false, -1},
        {0, 150, 125, false, false, -1}, {0, 300, 220, true, false, -1},
        {0, 296, 224, true, false, -1},  {0, 230, 170, false, true, 2},
        {0, 234, 174, false, true, 2},   {0, 235, 170, false, false, -1},
        {0, 190, 120, false, false, -1},  // first segment: not draggable
        {0, 265, 220, false, false, -1},  // last segment: not draggable
        {1, 150, 120, false, false, -1}, {1, 230, 170, false, false, -1},
    };
    // clang-format on
    for (const Hit& h : kHits) {
        SCOPED_TRACE(std::to_string(h.page) + ":" + std::to_string(h.x) + "," +
                     std::to_string(h.y));
        auto w = Wire(*a, kOut, *b, kIn);
        w->selected = true;
        EXPECT_EQ(w->HitEnd(h.page, h.x, h.y), h.end);
        EXPECT_EQ(w->HitSegment(h.page, h.x, h.y), h.segment);
        EXPECT_EQ(w->DraggedSegment(), h.dragged);
    }
    // Only a selected wire is hit.
    auto w = Wire(*a, kOut, *b, kIn);
    EXPECT_FALSE(w->HitEnd(0, 150, 120) || w->HitSegment(0, 230, 170));
    // An open wire has no end to hit.
    KWire open(100, 0, a.get(), kOut);
    open.route = {{150, 120}, {200, 120}};
    EXPECT_FALSE(open.HitEnd(0, 150, 120));
}

TEST(Wire, SegmentHitRecordsThePointEndingTheSegment) {
    auto a = Lpf(1, 100, 300);
    auto b = Lpf(2, 300, 100);
    // (130,300)(130,230)(290,230)(290,90)(330,90)(330,100)
    auto w = Wire(*a, kTop, *b, kTop);
    w->selected = true;
    const std::pair<KPoint, int> kHits[] = {{{210, 230}, 2}, {{290, 160}, 3}, {{310, 90}, 4}};
    for (const auto& [p, segment] : kHits) {
        EXPECT_TRUE(w->HitSegment(0, p.x, p.y));
        EXPECT_EQ(w->DraggedSegment(), segment);
    }
    EXPECT_FALSE(w->HitSegment(0, 330, 95));
    EXPECT_EQ(w->DraggedSegment(), 4);
}

// A vertical segment moves sideways, a horizontal one up or down; the other
// coordinate of the drag is ignored.
TEST(Wire, StretchMovesTheHitSegment) {
    struct Case {
        At b;
        int fromNode, toNode;
        KPoint grab, drag;
        const char* expected;
    };
    // clang-format off
    const Case kCases[] = {
        {{300, 200, 0}, kOut, kIn, {230, 170}, {250, 999}, "(150,120)(250,120)(250,220)(300,220)"},
        {{300, 300, 0}, kBottom, kTop, {235, 230}, {999, 250},
         "(140,140)(140,250)(330,250)(330,300)"},
    };
    // clang-format on
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.expected);
        auto a = Lpf(1, 100, 100);
        auto b = Lpf(2, c.b.x, c.b.y);
        auto w = Wire(*a, c.fromNode, *b, c.toNode);
        w->selected = true;
        ASSERT_TRUE(w->HitSegment(0, c.grab.x, c.grab.y));
        KMessageRecorder messages;
        EXPECT_TRUE(w->Stretch(0, c.drag.x, c.drag.y, messages));
        EXPECT_TRUE(messages.boxes.empty());
        EXPECT_EQ(Show(w->route), c.expected);
    }
}

TEST(Wire, StretchRefusals) {
    auto a = Lpf(1, 100, 100);
    auto b = Lpf(2, 300, 200);
    auto w = Wire(*a, kOut, *b, kIn);
    const Points before = w->route;
    KMessageRecorder messages;
    w->selected = false;
    EXPECT_FALSE(w->Stretch(0, 250, 170, messages));
    w->selected = true;
    EXPECT_FALSE(w->Stretch(1, 250, 170, messages));
    EXPECT_EQ(messages.Count("Error"), 2);
    // No segment hit yet: nothing to drag, nothing said.
    messages.Clear();
    EXPECT_FALSE(w->Stretch(0, 250, 170, messages));
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_EQ(Show(w->route), Show(before));
}

// ---------------------------------------------------------------------------
// Reconnecting

// Grabbed at either end and let go, the wire is put back as it was.
TEST(Wire, ReconnectThenRestore) {
    for (KPoint grab : {KPoint{302, 121}, KPoint{150, 120}}) {
        SCOPED_TRACE(grab.x);
        auto a = Lpf(1, 100, 100);
        auto b = Lpf(2, 300, 100);
        auto w = Wire(*a, kOut, *b, kIn);
        const Points route = w->route;
        w->BeginReconnect(grab.x, grab.y);
        EXPECT_EQ(w->EndNode(), nullptr);
        EXPECT_TRUE(w->AttachedTo(*a) && w->AttachedTo(*b));  // may still come back
        KMessageRecorder messages;
        EXPECT_TRUE(w->RestoreReconnectingWire(messages));
        EXPECT_TRUE(messages.boxes.empty());
        EXPECT_FALSE(w->reconnecting);
        EXPECT_EQ(w->StartNode(), &a->Node(kOut));
        EXPECT_EQ(w->EndNode(), &b->Node(kIn));
        EXPECT_EQ(w->StartBlock(), 1);
        EXPECT_EQ(w->EndBlock(), 2);
        EXPECT_EQ(Show(w->route), Show(route));
    }
}

TEST(Wire, ReconnectFromTheStartTurnsTheWireRound) {
    auto a = Lpf(1, 100, 100);
    auto b = Lpf(2, 300, 100);
    auto c = Lpf(3, 100, 300);
    auto w = Wire(*a, kOut, *b, kIn);
    b->Node(kIn).netLink = 6;
    w->BeginReconnect(148, 118);
    EXPECT_EQ(w->StartNode(), &b->Node(kIn));
    EXPECT_EQ(w->StartBlock(), 2);
    EXPECT_EQ(b->Node(kIn).netLink, -1);
    // Finished on another block's node: the kept end is the start.
    KMessageRecorder messages;
    EXPECT_TRUE(w->ConnectEnd(c.get(), kOut, messages));
    EXPECT_FALSE(w->reconnecting);
    EXPECT_EQ(w->EndNode(), &c->Node(kOut));
    EXPECT_EQ(RouteFault(w->route, *b, kIn, *c, kOut), "");
    EXPECT_FALSE(w->AttachedTo(*a));
}

// A wire that cannot be put back is refused with an error and left
// reconnecting, so nothing half-restored reaches the model.
TEST(Wire, RestoreRefusals) {
    struct Case {
        int startId, endId;
        bool loadedWithoutEnds, neverConnected;
    };
    for (const Case& c : {Case{1, 2, true, false}, Case{1, 2, false, true},
                          Case{-1, 2, false, false}, Case{1, -1, false, false}}) {
        auto a = Lpf(c.startId, 100, 100);
        auto b = Lpf(c.endId, 300, 100);
        std::unique_ptr<KWire> w = c.loadedWithoutEnds ? std::make_unique<KWire>(100, 0)
                                   : c.neverConnected
                                       ? std::make_unique<KWire>(100, 0, a.get(), kOut)
                                       : Wire(*a, kOut, *b, kIn);
        w->BeginReconnect(300, 120);
        KBlock* start = w->StartBlockPtr();
        KMessageRecorder messages;
        EXPECT_FALSE(w->RestoreReconnectingWire(messages));
        EXPECT_EQ(messages.Count("Error"), 1);
        EXPECT_TRUE(w->reconnecting);
        EXPECT_EQ(w->StartBlockPtr(), start);
        EXPECT_EQ(w->EndNode(), nullptr);
    }
}

}  // namespace
}  // namespace korvel
