// Editing with the mouse on the canvas: addressing and snapping, selecting,
// moving, placing blocks, drawing, reconnecting and stretching wires, and
// Escape in each state.
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include "app/refusals.h"
#include "canvastesting.h"

namespace korvel::testing {
namespace {

using CanvasMouse = CanvasFixture;

// Integrator nodes: 0 input (left, 20), 1 output (right, 20), 2 "Gain" (top, 10).
constexpr int kIn = 0;
constexpr int kOut = 1;
constexpr int kGain = 2;

TEST(CanvasCoordinates, CanvasPointsAreDividedByTheZoomAndTruncatedTowardZero) {
    struct Case { QPoint canvas; double zoom; QPoint model; };
    const Case cases[] = {
        {{25, 35}, 2.0, {12, 17}}, {{-25, -35}, 2.0, {-12, -17}}, {{7, 9}, 0.125, {56, 72}},
        {{3, 1}, 4.0, {0, 0}},     {{-3, -1}, 4.0, {0, 0}},       {{100, 200}, 1.0, {100, 200}},
    };
    for (const Case& c : cases) EXPECT_EQ(CanvasToModel(c.canvas, c.zoom), c.model) << c.canvas.x();
}

TEST_F(CanvasMouse, APlacedBlockLandsOnTheSnappedPointWithTheLowestFreeNumber) {
    AddBlock("KInt", 500, 500);  // number 0
    window->findChild<QAction*>("KeyZoomIn")->trigger();
    ASSERT_EQ(canvas->Zoom(), 2.0);
    ChooseTool("KInt");
    Click({25, 35});  // model (12, 17), snapped (10, 20)
    ASSERT_EQ(Elements().Count(), 2);
    auto& placed = static_cast<KBlock&>(Elements().At(1));
    EXPECT_EQ(placed.X(), 10);
    EXPECT_EQ(placed.Y(), 20);
    EXPECT_EQ(placed.IDNumber(), 1);
    EXPECT_TRUE(placed.selected);
    EXPECT_FALSE(Elements().At(0).selected);
    EXPECT_TRUE(window->Session().IsModified());
    EXPECT_EQ(window->PaletteTool(), TKDiagramF::kSelectTool);
}

TEST_F(CanvasMouse, ShiftKeepsTheBlockButtonDownAndNumberedNamesCount) {
    ChooseTool("KVariable");
    Click(At(100, 100), Qt::ShiftModifier);
    Click(At(200, 100), Qt::ShiftModifier);
    EXPECT_EQ(window->PaletteTool(), *FindBlockTypeByTag("KVariable"));
    Click(At(300, 100));
    EXPECT_EQ(window->PaletteTool(), TKDiagramF::kSelectTool);
    ASSERT_EQ(Elements().Count(), 3);
    const char* names[] = {"Variable1", "Variable2", "Variable3"};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(static_cast<KBlock&>(Elements().At(i)).userString, names[i]);
}

TEST_F(CanvasMouse, ClickSelectsShiftClickTogglesAndEmptyCanvasClears) {
    KBlock& a = AddBlock("KInt", 100, 100);
    KBlock& b = AddBlock("KInt", 300, 100);
    Click(At(110, 110));
    EXPECT_TRUE(a.selected);
    Click(At(310, 110), Qt::ShiftModifier);
    EXPECT_TRUE(a.selected && b.selected);
    Click(At(110, 110), Qt::ShiftModifier);
    EXPECT_FALSE(a.selected);
    EXPECT_TRUE(b.selected);
    Click(At(110, 110));
    EXPECT_TRUE(a.selected);
    EXPECT_FALSE(b.selected);
    Click(At(700, 600));
    EXPECT_FALSE(a.selected || b.selected);
}

TEST_F(CanvasMouse, RubberBandSelectsWhatLiesWhollyInsideAndShiftAdds) {
    KBlock& a = AddBlock("KInt", 100, 100);
    KBlock& b = AddBlock("KInt", 300, 100);
    KBlock& c = AddBlock("KInt", 500, 100);
    Drag(At(90, 90), At(140, 140));  // a's body exactly inside
    EXPECT_TRUE(a.selected);
    Drag(At(290, 90), At(338, 150));  // one pixel short of b's right side
    EXPECT_FALSE(b.selected);
    EXPECT_FALSE(a.selected) << "without Shift the band starts afresh";
    Drag(At(90, 90), At(150, 150));
    Drag(At(490, 90), At(550, 150), Qt::ShiftModifier);
    EXPECT_TRUE(a.selected && c.selected);
    EXPECT_FALSE(b.selected);
    EXPECT_FALSE(canvas->IsRubberBand());
}

TEST_F(CanvasMouse, DraggingTheSelectionMovesItBySnappedSteps) {
    struct Case { int dx; int dy; int movedX; int movedY; };
    const Case cases[] = {{14, 0, 10, 0}, {16, 0, 20, 0}, {0, -16, 0, -20}, {4, 5, 0, 10}, {-5, 0, 0, 0}, {-6, 0, -10, 0}};
    for (const Case& c : cases) {
        for (double zoom : {1.0, 2.0}) {
            SCOPED_TRACE(::testing::Message() << c.dx << "," << c.dy << " zoom " << zoom);
            Elements().Clear();
            if (canvas->Zoom() != zoom) window->findChild<QAction*>("KeyZoomIn")->trigger();
            KBlock& a = AddBlock("KInt", 200, 200);
            Click(At(215, 215));
            ASSERT_TRUE(a.selected);
            // From a point that snaps to itself, so the offset is the snapped move.
            Drag(At(210, 210), At(210 + c.dx, 210 + c.dy));
            EXPECT_EQ(a.X(), 200 + c.movedX);
            EXPECT_EQ(a.Y(), 200 + c.movedY);
            EXPECT_FALSE(canvas->IsBlockDrag());
        }
    }
}

TEST_F(CanvasMouse, AMoveIsKeptInsideThePage) {
    KBlock& a = AddBlock("KInt", 20, 20);
    Click(At(30, 30));
    Drag(At(30, 30), At(-200, -300));
    EXPECT_EQ(a.X(), 0);
    EXPECT_EQ(a.Y(), 0);
}

TEST_F(CanvasMouse, WiringFacingNodesOnOneLineGivesTwoPoints) {
    KBlock& a = AddBlock("KInt", 100, 100);
    KBlock& b = AddBlock("KInt", 300, 100);
    ChooseTool("Wire");
    Click(At(a.NodePoint(kOut)));
    EXPECT_TRUE(canvas->IsDrawingWire());
    EXPECT_TRUE(Wires().empty()) << "a wire being drawn is not yet in the model";
    Move(At(250, 200), false);
    Click(At(250, 200));  // a corner
    Click(At(b.NodePoint(kIn)));
    EXPECT_FALSE(canvas->IsDrawingWire());
    ASSERT_EQ(Wires().size(), 1u);
    const KWire& w = *Wires()[0];
    EXPECT_EQ(w.IDNumber(), 2);
    EXPECT_EQ(w.route, (std::vector<KPoint>{{140, 120}, {300, 120}}));
    EXPECT_TRUE(a.Node(kOut).connected && b.Node(kIn).connected);
    EXPECT_TRUE(window->Session().IsModified());
}

TEST_F(CanvasMouse, WiringUpToATopNodeTurnsOnce) {
    KBlock& a = AddBlock("KInt", 100, 100);
    KBlock& b = AddBlock("KInt", 300, 200);
    ChooseTool("Wire");
    Click(At(a.NodePoint(kOut)));
    Click(At(b.NodePoint(kGain)));
    ASSERT_EQ(Wires().size(), 1u);
    // Out of the right edge, along to the gain node's x, down onto it.
    EXPECT_EQ(Wires()[0]->route, (std::vector<KPoint>{{140, 120}, {310, 120}, {310, 200}}));
}

TEST_F(CanvasMouse, WiringBackToTheSameNodeIsRefusedAndLeavesNoWire) {
    KBlock& a = AddBlock("KInt", 100, 100);
    ChooseTool("Wire");
    Click(At(a.NodePoint(kOut)));
    Click(At(a.NodePoint(kOut)));
    EXPECT_EQ(messages.recorder.Last().text, "Cannot wire back to the same node");
    EXPECT_FALSE(canvas->IsDrawingWire());
    EXPECT_TRUE(Wires().empty());
}

TEST_F(CanvasMouse, EscapeCancelsTheWireBeingDrawnBeforeItClearsTheSelection) {
    KBlock& a = AddBlock("KInt", 100, 100);
    KBlock& b = AddBlock("KInt", 300, 100);
    ChooseTool("Wire");
    Click(At(a.NodePoint(kOut)));
    b.selected = true;  // selected again after the wire cleared the selection
    window->findChild<QAction*>("KeyEscape")->trigger();
    EXPECT_FALSE(canvas->IsDrawingWire());
    EXPECT_TRUE(Wires().empty());
    EXPECT_TRUE(b.selected) << "the first Escape only cancels the wire";
    window->findChild<QAction*>("KeyEscape")->trigger();
    EXPECT_FALSE(b.selected);
    EXPECT_EQ(window->PaletteTool(), TKDiagramF::kSelectTool);
}

TEST_F(CanvasMouse, EscapeEndsARubberBandFirst) {
    KBlock& a = AddBlock("KInt", 100, 100);
    a.selected = true;
    Press(At(500, 500), Qt::ShiftModifier);
    Move(At(600, 600), true, Qt::ShiftModifier);
    ASSERT_TRUE(canvas->IsRubberBand());
    window->findChild<QAction*>("KeyEscape")->trigger();
    EXPECT_FALSE(canvas->IsRubberBand());
    EXPECT_TRUE(a.selected);
}

// The node's hot zone reaches 8 pixels outside its edge, 2 inside and 4 to
// either side; each boundary pixel decides whether a Wire-tool press starts a wire.
TEST_F(CanvasMouse, NodeHotZoneBoundaries) {
    struct Case { QPoint offset; bool hit; };
    // Offsets from the output node of a right edge: outward is +x.
    const Case cases[] = {{{8, 0}, true},   {{9, 0}, false},  {{-2, 0}, true},  {{-3, 0}, false},
                          {{0, 4}, true},   {{0, 5}, false},  {{0, -4}, true},  {{0, -5}, false}};
    for (bool flipped : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << c.offset.x() << "," << c.offset.y() << " flipped " << flipped);
            Elements().Clear();
            KBlock& a = AddBlock("KInt", 100, 100);
            a.horizSwap = flipped;
            const KPoint p = a.NodePoint(kOut);
            const int outward = flipped ? -1 : 1;
            ChooseTool("Wire");
            Click(At(p.x + outward * c.offset.x(), p.y + c.offset.y()));
            EXPECT_EQ(canvas->IsDrawingWire(), c.hit);
            window->findChild<QAction*>("KeyEscape")->trigger();
        }
    }
}

struct WiredPair {
    KBlock* a;
    KBlock* b;
    KBlock* c;
    KWire* wire;
};

// A wire from a's output to b's input, selected; c is a third block to reconnect to.
WiredPair MakePair(CanvasFixture& f) {
    KBlock& a = f.AddBlock("KInt", 100, 100);
    KBlock& b = f.AddBlock("KInt", 300, 100);
    KBlock& c = f.AddBlock("KInt", 300, 300);
    KWire& w = f.AddWire(a, kOut, b, kIn);
    w.selected = true;
    return {&a, &b, &c, &w};
}

TEST_F(CanvasMouse, ReconnectingAWireEndMovesItToTheClickedNode) {
    for (const char* tool : {"Select", "Wire"}) {
        SCOPED_TRACE(tool);
        Elements().Clear();
        WiredPair p = MakePair(*this);
        ChooseTool(tool);
        Click(At(304, 124));  // 4 pixels from the end (300, 120): within the tolerance
        ASSERT_TRUE(canvas->IsDrawingWire());
        Click(At(p.c->NodePoint(kIn)));
        EXPECT_FALSE(canvas->IsDrawingWire());
        EXPECT_EQ(p.wire->EndBlockPtr(), p.c);
        EXPECT_EQ(p.wire->StartBlockPtr(), p.a);
        EXPECT_EQ(p.wire->route.back(), p.c->NodePoint(kIn));
        EXPECT_TRUE(p.c->Node(kIn).connected);
        EXPECT_FALSE(p.b->Node(kIn).connected) << "the node left behind is unwired";
        EXPECT_TRUE(p.a->Node(kOut).connected);
    }
}

TEST_F(CanvasMouse, TheWireEndToleranceIsFivePixelsExclusive) {
    struct Case { QPoint offset; bool grabbed; };
    const Case cases[] = {{{4, 4}, true}, {{5, 0}, false}, {{0, -5}, false}, {{-4, -4}, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.offset.x() << "," << c.offset.y());
        Elements().Clear();
        MakePair(*this);
        Press(At(QPoint(300, 120) + c.offset));
        EXPECT_EQ(canvas->IsDrawingWire(), c.grabbed);
        Release(At(QPoint(300, 120) + c.offset));
        window->findChild<QAction*>("KeyEscape")->trigger();
    }
}

TEST_F(CanvasMouse, AnAbandonedReconnectKeepsTheOldEnds) {
    enum Abandon { kEscape, kPageChange, kSave };
    for (Abandon how : {kEscape, kPageChange, kSave}) {
        SCOPED_TRACE(int(how));
        window->Session().New(false, 8);
        canvas->SetElements(&Elements());
        WiredPair p = MakePair(*this);
        const std::vector<KPoint> route = p.wire->route;
        Click(At(300, 120));
        ASSERT_TRUE(canvas->IsDrawingWire());
        const std::string path = Path("abandon.kvd");
        switch (how) {
            case kEscape: window->findChild<QAction*>("KeyEscape")->trigger(); break;
            case kPageChange: canvas->SetPage(1); break;
            case kSave:
                fileAnswers.push_back(QString::fromStdString(path));
                window->findChild<QAction*>("MISaveAs")->trigger();
                break;
        }
        EXPECT_FALSE(canvas->IsDrawingWire());
        EXPECT_EQ(p.wire->EndBlockPtr(), p.b);
        EXPECT_EQ(p.wire->StartBlockPtr(), p.a);
        EXPECT_EQ(p.wire->route, route);
        if (how == kSave) {
            EXPECT_NE(ReadFile(path).find("KWire"), std::string::npos) << ReadFile(path);
        }
        canvas->SetPage(0);
    }
}

TEST_F(CanvasMouse, DraggingAHandleStretchesTheMiddleSegment) {
    KBlock& a = AddBlock("KInt", 100, 100);
    KBlock& b = AddBlock("KInt", 300, 200);
    KWire& w = AddWire(a, kOut, b, kIn);
    ASSERT_EQ(w.route.size(), 4u);
    const int x = w.route[1].x;
    ASSERT_EQ(x, w.route[2].x) << "the middle segment is vertical";
    w.selected = true;
    const QPoint handle(x, (w.route[1].y + w.route[2].y) / 2);
    window->Session().SetModified(false);
    Drag(At(handle.x(), handle.y()), At(x + 30, handle.y() + 7));
    EXPECT_EQ(w.route[1].x, x + 30);
    EXPECT_EQ(w.route[2].x, x + 30);
    EXPECT_EQ(w.route[1].y, 120);
    EXPECT_EQ(w.route[2].y, 220);
    EXPECT_TRUE(window->Session().IsModified());
}

TEST_F(CanvasMouse, DeletingABlockTakesItsThreeWires) {
    KBlock& a = AddBlock("KInt", 100, 100);
    KBlock& b = AddBlock("KInt", 300, 100);
    KBlock& c = AddBlock("KInt", 300, 300);
    AddWire(a, kOut, b, kIn);
    AddWire(a, kOut, c, kIn);
    AddWire(b, kOut, a, kIn);
    Click(At(110, 110));
    window->findChild<QAction*>("KeyDelete")->trigger();
    EXPECT_EQ(Elements().Count(), 2);
    EXPECT_TRUE(Wires().empty());
}

TEST_F(CanvasMouse, ToolsOtherThanSelectAreRefusedWhileRunning) {
    StartRunning();
    messages.recorder.Clear();
    const int before = Elements().Count();
    ChooseTool("KInt");
    Click(At(2000, 1500));
    ASSERT_EQ(messages.recorder.messages.size(), 1u);
    EXPECT_EQ(messages.recorder.messages[0].number, 4);
    EXPECT_EQ(messages.recorder.messages[0].description, kRefuseInsert.description);
    EXPECT_EQ(Elements().Count(), before);
    EXPECT_EQ(window->PaletteTool(), TKDiagramF::kSelectTool);
    window->Stop();
}

TEST_F(CanvasMouse, DoubleClicksAskForACompileOrRenameTheBlock) {
    KBlock& constant = AddBlock("KDConstant", 100, 100);
    KBlock& a = AddBlock("KInt", 300, 100);
    DoubleClick(At(130, 120));
    EXPECT_EQ(messages.recorder.Last().text, "Cannot show constant adjustment box until model is compiled.");
    EXPECT_EQ(constant.X(), 100);
    // The rename dialog is modal: answer it from inside its own event loop.
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr) << "no rename dialog was shown";
        EXPECT_EQ(dialog->windowTitle(), "User String");
        dialog->findChild<QLineEdit*>("EValue")->setText("Plant");
        dialog->accept();
    });
    const KRect label = a.LabelRect();
    DoubleClick(At(label.left + 2, label.top + 2));
    EXPECT_EQ(a.userString, "Plant");
    EXPECT_TRUE(window->Session().IsModified());
}

TEST_F(CanvasMouse, TheHintNamesTheNodeAndItsValue) {
    KBlock& a = AddBlock("KInt", 100, 100);
    a.Node(kGain).value = 2.5;
    Move(At(a.NodePoint(kGain)), false);
    EXPECT_EQ(window->statusBar()->currentMessage(), "Gain = 2.5");
    Move(At(700, 600), false);
    EXPECT_EQ(window->statusBar()->currentMessage(), "");
}

}  // namespace
}  // namespace korvel::testing

namespace korvel::testing {
namespace {

TEST_F(CanvasMouse, TheCustomModuleButtonPlacesTheChosenModuleOrNothing) {
    const std::string junk = Path("junk.kvc");
    WriteFile(junk, "this is not a module\n");
    fileAnswers = {QString::fromStdString(junk), QString::fromStdString(CopyExample("pi_module.kvc"))};
    ChooseTool("KCustMod");
    Click(At(100, 100));
    EXPECT_EQ(Elements().Count(), 0);
    EXPECT_FALSE(messages.recorder.boxes.empty());
    ChooseTool("KCustMod");
    Click(At(100, 100));
    ASSERT_EQ(Elements().Count(), 1);
    const auto& module = static_cast<const KBlock&>(Elements().At(0));
    EXPECT_TRUE(module.IsCustomModule());
    EXPECT_GT(module.NodeCount(), 0);
    EXPECT_EQ(module.X(), 100);
}

}  // namespace
}  // namespace korvel::testing

namespace korvel::testing {
namespace {

// Deleting what a gesture holds ends the gesture instead of leaving it to
// reach a deleted element.
TEST_F(CanvasMouse, DeletingTheElementsAGestureHoldsEndsTheGesture) {
    KBlock& a = AddBlock("KInt", 100, 100);
    AddBlock("KInt", 300, 100);
    ChooseTool("Wire");
    Click(At(a.NodePoint(kOut)));
    ASSERT_TRUE(canvas->IsDrawingWire());
    a.selected = true;
    window->findChild<QAction*>("KeyDelete")->trigger();
    EXPECT_FALSE(canvas->IsDrawingWire());
    EXPECT_TRUE(Wires().empty());

    Elements().Clear();
    WiredPair p = MakePair(*this);
    ChooseTool("Select");
    p.wire->route = {{140, 120}, {200, 120}, {200, 160}, {240, 160}, {240, 120}, {300, 120}};
    canvas->ModelChanged();
    Press(At(200, 140));  // the middle of the segment 200,120 - 200,160
    ASSERT_TRUE(canvas->IsHandleDrag());
    window->findChild<QAction*>("KeyDelete")->trigger();  // the wire is selected
    EXPECT_FALSE(canvas->IsHandleDrag());
    Move(At(260, 140), true);
    Release(At(260, 140));
}

TEST_F(CanvasMouse, CtrlWheelZoomsInAndOut) {
    QWheelEvent in(QPointF(200, 200), QPointF(canvas->mapToGlobal(QPoint(200, 200))), {}, {0, 120}, Qt::NoButton,
                   Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas, &in);
    EXPECT_EQ(window->Zoom(), 2.0);
    QWheelEvent out(QPointF(200, 200), QPointF(canvas->mapToGlobal(QPoint(200, 200))), {}, {0, -120},
                    Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas, &out);
    QApplication::sendEvent(canvas, &out);
    EXPECT_EQ(window->Zoom(), 0.5);
}

}  // namespace
}  // namespace korvel::testing

namespace korvel::testing {
namespace {

// The rubber path leaves the start node along its edge, steps away first
// when the mouse is behind that edge, and runs on from each fixed corner.
TEST_F(CanvasMouse, TheRubberPathLeavesAlongTheStartEdge) {
    struct Case {
        int node;
        QPoint mouse;
        std::vector<QPoint> path;
    };
    const Case cases[] = {
        {kOut, {200, 160}, {{140, 120}, {200, 120}, {200, 160}}},
        {kOut, {80, 160}, {{140, 120}, {150, 120}, {150, 160}, {80, 160}}},
        {kIn, {50, 200}, {{100, 120}, {50, 120}, {50, 200}}},
        {kGain, {200, 50}, {{110, 100}, {110, 50}, {200, 50}}},
        {kGain, {200, 150}, {{110, 100}, {110, 90}, {200, 90}, {200, 150}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.node << " to " << c.mouse.x() << "," << c.mouse.y());
        Elements().Clear();
        KBlock& a = AddBlock("KInt", 100, 100);
        ChooseTool("Wire");
        Click(At(a.NodePoint(c.node)));
        Move(At(c.mouse.x() + 3, c.mouse.y() - 4), false);  // snapped to the mouse point
        EXPECT_EQ(canvas->RubberPath(), c.path);
        window->findChild<QAction*>("KeyEscape")->trigger();
    }
    KBlock& a = AddBlock("KInt", 100, 300);
    ChooseTool("Wire");
    Click(At(a.NodePoint(kOut)));
    Click(At(200, 320));  // a corner on the start's line
    Move(At(250, 380), false);
    EXPECT_EQ(canvas->RubberPath(), (std::vector<QPoint>{{140, 320}, {200, 320}, {250, 320}, {250, 380}}));
    window->findChild<QAction*>("KeyEscape")->trigger();
}

}  // namespace
}  // namespace korvel::testing

namespace korvel::testing {
namespace {

TEST_F(CanvasMouse, NodesBeyondTheBodyAreHit) {
    KBlock& dial = AddBlock("KDial", 100, 100);
    int far = -1;
    for (int n = 0; n < dial.NodeCount(); ++n)
        if (dial.NodePoint(n).x >= dial.X() + dial.Width() + 20 && !dial.Node(n).IsValueOnly()) far = n;
    ASSERT_GE(far, 0) << "the dial meter has nodes beyond its body";
    ChooseTool("Wire");
    Click(At(dial.NodePoint(far)));
    EXPECT_TRUE(canvas->IsDrawingWire());
    window->findChild<QAction*>("KeyEscape")->trigger();
}

}  // namespace
}  // namespace korvel::testing
