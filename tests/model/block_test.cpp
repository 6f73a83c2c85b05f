// Blocks and nodes: creation from the type table, grid snapping, flips,
// node points and hot zones, hit tests and moves.
#include "model/block.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <utility>

#include "base/messagerecorder.h"
#include "model/custmod.h"

namespace korvel {
namespace {

constexpr int kLpf1 = 0;      // 50x40, Input L20, Output R20, Frequency T30, Documentation B40
constexpr int kSub = 52;      // 40x40 ellipse, Input1 L20, Input2 B20, Output R20

TEST(SnapToGrid, RoundsToNearestTenHalvesAwayFromZero) {
    struct Case { int in; int out; };
    constexpr Case kCases[] = {{-5, -10}, {4, 0}, {5, 10}, {-4, 0}, {14, 10}, {15, 20},
                               {-15, -20}, {0, 0}, {100, 100}, {-6, -10}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(SnapToGrid(c.in), c.out);
    }
    // Near the int limits the result stays a representable multiple of ten.
    EXPECT_EQ(SnapToGrid(2147483647), 2147483640);
    EXPECT_EQ(SnapToGrid(-2147483647 - 1), -2147483640);
}

TEST(Block, UnknownTypeNumbersMakeNoBlock) {
    EXPECT_EQ(MakeBlock(-1), nullptr);
    EXPECT_EQ(MakeBlock(149), nullptr);
    ASSERT_NE(MakeBlock(148), nullptr);
    // A module block's nodes come from its file, so it starts with none.
    auto module = MakeBlock(45);
    ASSERT_NE(dynamic_cast<KCustMod*>(module.get()), nullptr);
    EXPECT_EQ(module->NodeCount(), 0);
}

TEST(Block, GetNodePReportsBadIndex) {
    KBlock b(kLpf1);
    KMessageRecorder messages;
    EXPECT_EQ(b.GetNodeP(0, messages), &b.Node(0));
    for (int bad : {-1, 4, 1000}) {
        EXPECT_EQ(b.GetNodeP(bad, messages), nullptr);
    }
    ASSERT_EQ(messages.boxes.size(), 3u);
    EXPECT_EQ(messages.boxes[0].caption, "Error");
    EXPECT_EQ(messages.boxes[0].text, "Bad node number in GetNodeP");
}

TEST(Block, LocateNodeEdgeFollowsFlips) {
    KBlock b(kLpf1);
    KMessageRecorder messages;
    // Input (left), Output (right), Frequency (top), Documentation (bottom).
    struct Case { bool h; bool v; int edges[4]; };
    constexpr Case kCases[] = {
        {false, false, {2, 3, 0, 1}},
        {true, false, {3, 2, 0, 1}},
        {false, true, {2, 3, 1, 0}},
        {true, true, {3, 2, 1, 0}},
    };
    for (const Case& c : kCases) {
        b.horizSwap = c.h;
        b.vertSwap = c.v;
        for (int i = 0; i < 4; ++i) EXPECT_EQ(b.LocateNodeEdge(i, messages), c.edges[i]);
    }
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_EQ(b.LocateNodeEdge(7, messages), -1);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].text, "Node parameter out of range in KBlock :: LocateNodeEdge");
}

TEST(Block, FlippingTwiceRestoresEveryEdge) {
    KBlock b(kSub);
    b.FlipHorizontal();
    EXPECT_EQ(b.NodeEdge(0), KEdge::Right);
    EXPECT_EQ(b.NodeEdge(1), KEdge::Bottom);  // bottom nodes ignore HorizSwap
    b.FlipHorizontal();
    EXPECT_EQ(b.NodeEdge(0), KEdge::Left);
    EXPECT_EQ(b.NodeEdge(2), KEdge::Right);
}

TEST(Block, NodePointsLieOnTheOutline) {
    KBlock b(kLpf1);
    b.SetPosition(100, 200);
    EXPECT_EQ(b.NodePoint(0), (KPoint{100, 220}));  // left, position 20
    EXPECT_EQ(b.NodePoint(1), (KPoint{150, 220}));  // right
    EXPECT_EQ(b.NodePoint(2), (KPoint{130, 200}));  // top, position 30
    EXPECT_EQ(b.NodePoint(3), (KPoint{140, 240}));  // bottom, position 40
    b.horizSwap = true;
    EXPECT_EQ(b.NodePoint(0), (KPoint{150, 220}));
}

TEST(Block, NodeHotZoneReachesEightOutsideTwoInsideFourAside) {
    KBlock b(kLpf1);
    b.SetPosition(100, 200);
    b.SetPage(1);
    struct Case { const char* name; int x; int y; int node; };
    constexpr Case kCases[] = {
        {"on the left node", 100, 220, 0},
        {"8 outside left", 92, 220, 0},
        {"9 outside left", 91, 220, -1},
        {"2 inside left", 102, 220, 0},
        {"3 inside left", 103, 220, -1},
        {"4 below", 100, 224, 0},
        {"5 below", 100, 225, -1},
        {"8 outside right", 158, 220, 1},
        {"8 above top node", 130, 192, 2},
        {"8 below bottom node", 140, 248, 3},
        {"inside the body, no node", 125, 220, -1},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(b.FindNodeAt(1, c.x, c.y), c.node);
    }
    EXPECT_EQ(b.FindNodeAt(0, 100, 220), -1);  // another page
}

TEST(Block, InitializeSnapsSelectsAndClearsClamp) {
    KBlock b(kLpf1);
    b.clamped = true;
    b.Node(2).value = 5;
    b.Initialize(7, 2, -5, 14);
    // Nodes rebuilt with their defaults (Frequency 100).
    EXPECT_EQ(std::tuple(b.IDNumber(), b.Page(), b.X(), b.Y(), b.selected, b.clamped,
                         b.Node(2).value),
              std::tuple(7, 2, -10, 10, true, false, 100.0));
}

TEST(Block, MoveByClampsToThePageAndFlagsIt) {
    struct Case { const char* name; int x; int y; int dx; int dy; int ex; int ey; bool clamped; };
    constexpr Case kCases[] = {
        {"free move, snapped", 100, 100, 24, 26, 120, 130, false},
        {"past the left edge", 10, 100, -40, 0, 0, 100, true},
        {"from a negative position", -10, 0, 0, 0, 0, 0, true},
        {"past the right edge", 900, 100, 100, 0, 950, 100, true},
        {"past the bottom", 100, 700, 0, 200, 100, 760, true},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        KBlock b(kLpf1);  // 50x40 on an 1000x800 page
        b.SetPosition(c.x, c.y);
        b.MoveBy(c.dx, c.dy, 1000, 800);
        EXPECT_EQ(b.X(), c.ex);
        EXPECT_EQ(b.Y(), c.ey);
        EXPECT_EQ(b.clamped, c.clamped);
    }
}

TEST(Block, BodyAndLabelHitTests) {
    KBlock b(kLpf1);
    b.SetPosition(100, 200);
    EXPECT_TRUE(b.BodyContains(100, 200));
    EXPECT_TRUE(b.BodyContains(150, 240));
    EXPECT_FALSE(b.BodyContains(151, 240));
    // An unmeasured label counts as 20 by 15, centred under the body.
    EXPECT_EQ(b.LabelRect().left, 115);
    EXPECT_EQ(b.LabelRect().top, 240);
    EXPECT_TRUE(b.LabelContains(125, 250));
    EXPECT_FALSE(b.LabelContains(125, 255));
    b.labelWidth = 60;
    b.labelHeight = 12;
    EXPECT_EQ(b.LabelRect().left, 95);
    EXPECT_EQ(b.ExtentLeft(), 85);
    EXPECT_EQ(b.ExtentRight(), 165);
    EXPECT_EQ(b.ExtentTop(), 190);
    EXPECT_EQ(b.ExtentBottom(), 265);
}

TEST(Block, CopyFromTakesFieldsAndValuesButNoWiring) {
    KBlock a(kLpf1, 3, 1);
    a.SetPosition(40, 50);
    a.userString = "Filter A";
    a.Node(2).value = 250;
    a.Node(0).connected = true;
    a.Node(3).SetText("why this filter");
    a.horizSwap = true;
    KBlock b(kLpf1);
    b.CopyFrom(a, 9);
    EXPECT_EQ(std::tuple(b.IDNumber(), b.Page(), b.X(), b.Y(), b.userString, b.Node(2).value,
                         b.Node(3).Text(), b.horizSwap, b.Node(0).connected),
              std::tuple(9, 1, 40, 50, std::string("Filter A"), 250.0,
                         std::string("why this filter"), true, false));
}

TEST(Block, SelectInRectNeedsTheWholeBodyOnThePage) {
    KBlock b(kLpf1, 1, 0);
    b.SetPosition(100, 100);
    b.SelectInRect(0, {90, 90, 160, 150});
    EXPECT_TRUE(b.selected);
    b.selected = false;
    b.SelectInRect(0, {110, 90, 160, 150});
    EXPECT_FALSE(b.selected);
    b.SelectInRect(1, {0, 0, 1000, 1000});
    EXPECT_FALSE(b.selected);
    b.ToggleSelectInRect(0, {0, 0, 1000, 1000});
    EXPECT_TRUE(b.selected);
    b.ToggleSelectInRect(0, {0, 0, 1000, 1000});
    EXPECT_FALSE(b.selected);
}

// A choice value from a file can be anything; only whole values naming a
// choice have a text (values past the integer range included).
TEST(Block, ChoiceTextOnlyForValuesThatNameAChoice) {
    KBlock variable(13);  // "Show": False, True
    KNode& show = *variable.FindNode("Show");
    const std::pair<double, std::string_view> kCases[] = {
        {0.0, "False"}, {1.0, "True"}, {1.9, "True"},      {2.0, ""},     {-0.5, ""},
        {1e300, ""},    {-1e300, ""},  {std::nan(""), ""}, {HUGE_VAL, ""}};
    for (const auto& [value, text] : kCases) {
        show.value = value;
        EXPECT_EQ(show.ChoiceText(), text) << value;
    }
}

TEST(Block, CustomModuleNodesComeFromTheModuleAndGrowTheBody) {
    KCustMod m;
    m.SetFileName("/models/lib/PI loop.v2.kvc");
    EXPECT_EQ(m.GetTypeName(), "PI loop");
    m.SetModuleNodes({{"setpoint", KEdge::Left, KRole::In, KValueKind::Double, 60, 1.5},
                      {"y", KEdge::Right, KRole::MatedIn, KValueKind::Double, 20, 0.0},
                      {"notes", KEdge::Top, KRole::Doc, KValueKind::Documentation, 30, 0.0}});
    ASSERT_EQ(m.NodeCount(), 3);
    EXPECT_EQ(m.Height(), 80);  // position 6 on the left: (6 + 2) * 10
    EXPECT_EQ(m.Width(), 50);   // position 3 on top: (3 + 2) * 10
    EXPECT_EQ(m.Node(0).value, 1.5);
    EXPECT_EQ(m.NodeIndex("y"), 1);

    KCustMod copy;
    copy.CopyFrom(m, 12);
    ASSERT_EQ(copy.NodeCount(), 3);
    EXPECT_EQ(copy.Node(0).Name(), "setpoint");
    EXPECT_EQ(&copy.Node(0).Descriptor(), &copy.NodeDescriptors()[0]);
    EXPECT_EQ(copy.FileName(), m.FileName());
}

}  // namespace
}  // namespace korvel
