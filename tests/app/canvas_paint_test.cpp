// What the canvas draws, probed by pixel: body fills and outlines by their
// order of precedence, node marks, wires, the selection and compile faults,
// at zoom 1 and 2 (twice the device resolution: canvas_highdpi_test.cpp);
// and where pasted elements land.
#include <QTemporaryDir>

#include "app/canvas/canvaspainter.h"
#include "app/pageoutput.h"
#include "canvastesting.h"

namespace korvel::testing {
namespace {

using CanvasPaint = CanvasFixture;

constexpr int kIn = 0;
constexpr int kOut = 1;

QColor Pixel(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

TEST_F(CanvasPaint, BodiesTakeTheirFillAndOutlineByPrecedence) {
    struct Case {
        const char* tag;
        bool selected;
        bool computed;
        QColor fill;
        QColor outline;
    };
    const Case cases[] = {
        {"KInt", false, true, Qt::white, Qt::black},
        {"KInt", true, true, QColor(0x80, 0x80, 0x80), QColor(0x00, 0xFF, 0x00)},
        {"KInt", false, false, Qt::white, QColor(0xFF, 0x00, 0x00)},
        {"KInt", true, false, QColor(0x80, 0x80, 0x80), QColor(0x00, 0xFF, 0x00)},
        {"KDctl", false, true, QColor(0xFF, 0xFF, 0x00), Qt::black},
        {"KDctl", false, false, Qt::white, QColor(0xFF, 0x00, 0x00)},
        {"KDConstant", false, true, QColor(0xC0, 0xC0, 0xC0), Qt::black},
        {"KLiveVariable", false, false, QColor(0x00, 0x80, 0x00), Qt::black},
    };
    for (double zoom : {1.0, 2.0}) {
        if (canvas->Zoom() != zoom) window->findChild<QAction*>("KeyZoomIn")->trigger();
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << c.tag << " selected " << c.selected << " computed "
                                              << c.computed << " zoom " << zoom);
            Elements().Clear();
            KBlock& b = AddBlock(c.tag, 100, 100);
            b.selected = c.selected;
            b.SetComputedFlagOnly(c.computed);
            const QImage image = Picture();
            const int z = int(zoom);
            EXPECT_EQ(Pixel(image, (b.X() + 4) * z, (b.Y() + 4) * z), c.fill);
            // The middle of the bottom edge, clear of the rounded corners and of node marks.
            const int edgeX = (b.X() + b.Width() / 2) * z + 1;
            const int edgeY = (b.Y() + b.Height() - 1) * z;
            EXPECT_EQ(Pixel(image, edgeX, edgeY), c.outline);
        }
    }
}

TEST_F(CanvasPaint, NodesAreTrianglesAndValueNodesSquares) {
    KBlock& b = AddBlock("KInt", 100, 100);
    QImage image = Picture();
    // The input points in from 6 pixels out; the output points out to 6 pixels.
    EXPECT_EQ(Pixel(image, 95, 120), QColor(Qt::black));
    EXPECT_EQ(Pixel(image, 95, 115), QColor(Qt::white)) << "a triangle, not a bar";
    EXPECT_EQ(Pixel(image, 141, 120), QColor(Qt::black));
    EXPECT_EQ(Pixel(image, 145, 120), QColor(Qt::black));
    EXPECT_EQ(Pixel(image, 141, 116), QColor(Qt::white));
    // Documentation square at the bottom, position 30: filled only with text.
    EXPECT_EQ(Pixel(image, 130, 143), QColor(Qt::white));
    EXPECT_EQ(Pixel(image, 128, 143), QColor(Qt::black));
    b.Node(6).SetText("notes");
    image = Picture();
    EXPECT_EQ(Pixel(image, 130, 143), QColor(Qt::black));
}

// A name wider than the body is drawn clear of the marks of the nodes on the
// bottom edge: between the marks, the rows they occupy stay white.
TEST_F(CanvasPaint, ANameIsDrawnBelowTheMarksOfBottomNodes) {
    KBlock& scope = AddBlock("KScope", 100, 100);
    scope.userString = "MMMMMMMMMMMMMMMMMMMM";
    canvas->ModelChanged();
    const QImage image = Picture();
    const KRect label = scope.LabelRect();
    ASSERT_GT(label.right - label.left, scope.Width());
    auto nearMark = [&scope](int x) {
        for (int i = 0; i < scope.NodeCount(); ++i)
            if (scope.NodeEdge(i) == KEdge::Bottom && std::abs(scope.NodePoint(i).x - x) <= 4) return true;
        return false;
    };
    const int bottom = scope.Y() + scope.Height();
    for (int x = label.left; x < label.right; ++x) {
        if (nearMark(x)) continue;
        for (int y = bottom + 1; y <= bottom + 6; ++y)
            ASSERT_EQ(Pixel(image, x, y), QColor(Qt::white)) << x << "," << y;
    }
}

TEST_F(CanvasPaint, AFrameBlockShowsOnlyWhileSelected) {
    KBlock& b = AddBlock("KExtender", 100, 100);
    EXPECT_EQ(Pixel(Picture(), 110, 100 + b.Height() - 1), QColor(Qt::white));
    b.selected = true;
    EXPECT_EQ(Pixel(Picture(), 110, 100 + b.Height() - 1), QColor(0x00, 0xFF, 0x00));
}

TEST_F(CanvasPaint, WiresAreBlackLimeWhenSelectedAndRedAtFaultUntilTheNextEdit) {
    KBlock& a = AddBlock("KInt", 100, 100);
    KBlock& b = AddBlock("KInt", 300, 100);
    KWire& w = AddWire(a, kOut, b, kOut);  // two outputs: the compile refuses it
    EXPECT_EQ(Pixel(Picture(), 200, 120), QColor(Qt::black));
    EXPECT_EQ(Pixel(Picture(), 200, 121), QColor(Qt::white));
    w.selected = true;
    EXPECT_EQ(Pixel(Picture(), 200, 120), QColor(0x00, 0xFF, 0x00));
    AddBlock("KSolver", 500, 500);
    EXPECT_FALSE(window->Compile(false));
    ASSERT_TRUE(canvas->IsFaultWire(&w)) << messages.recorder.Last().text;
    QImage image = Picture();
    EXPECT_EQ(Pixel(image, 200, 120), QColor(0xFF, 0x00, 0x00));
    EXPECT_TRUE(Pixel(image, 200, 119) == QColor(0xFF, 0x00, 0x00) ||
                Pixel(image, 200, 121) == QColor(0xFF, 0x00, 0x00))
        << "2 pixels wide";
    a.selected = true;
    window->findChild<QAction*>("KeyDown")->trigger();  // any edit
    EXPECT_FALSE(canvas->IsFaultWire(&w));
}

TEST_F(CanvasPaint, PageImagesDrawWithoutTheSelection) {
    AddBlock("KInt", 100, 100).selected = true;
    const QString path = dir.filePath("page.png");
    std::string error;
    ASSERT_TRUE(SavePageImage(path, Elements(), 0, canvas->PageTextFont(), error)) << error;
    const QImage image(path);
    const QRect extent = CanvasExtent(Elements(), 0).adjusted(-10, -10, 10, 10);
    EXPECT_EQ(Pixel(image, 104 - extent.left(), 104 - extent.top()), QColor(Qt::white));
}

TEST_F(CanvasPaint, ThePageGrowsToHoldABlockFarOut) {
    EXPECT_GE(canvas->PageSize().width(), kMinPageWidth);
    EXPECT_GE(canvas->PageSize().height(), kMinPageHeight);
    AddBlock("KInt", 5000, 4000);
    EXPECT_GT(canvas->PageSize().width(), 5050);
    EXPECT_GT(canvas->PageSize().height(), 4050);
    EXPECT_GE(canvas->width(), canvas->PageSize().width());
}

TEST_F(CanvasPaint, PastedElementsLandBesideTheirOriginalsOnTheSamePageOnly) {
    KBlock& a = AddBlock("KVariable", 100, 100);
    a.userString = "Variable1";
    KBlock& b = AddBlock("KInt", 300, 100);
    AddWire(b, kOut, a, kIn);
    window->findChild<QAction*>("MISelectAll")->trigger();
    window->findChild<QAction*>("MICopy")->trigger();
    window->findChild<QAction*>("MIPaste")->trigger();
    window->findChild<QAction*>("MIPaste")->trigger();
    ASSERT_EQ(Elements().Count(), 9);
    auto& first = static_cast<KBlock&>(Elements().At(3));
    auto& second = static_cast<KBlock&>(Elements().At(6));
    EXPECT_EQ(first.X(), 120);
    EXPECT_EQ(second.X(), 140);
    EXPECT_EQ(first.userString, "Variable2");
    EXPECT_EQ(second.userString, "Variable3");
    EXPECT_TRUE(second.selected);
    EXPECT_FALSE(first.selected);
    auto& pastedWire = static_cast<KWire&>(Elements().At(8));
    EXPECT_EQ(pastedWire.EndBlockPtr(), &second);
    window->findChild<QAction*>("MINewPage")->trigger();
    window->findChild<QAction*>("MIPaste")->trigger();
    ASSERT_EQ(Elements().Count(), 12);
    auto& onOther = static_cast<KBlock&>(Elements().At(9));
    EXPECT_EQ(onOther.Page(), 1);
    EXPECT_EQ(onOther.X(), 100);
    EXPECT_EQ(onOther.Y(), 100);
}

// The bundled examples as a user opens them: every block's fill just inside
// its left edge, at zoom 1 and 2; pictures kept when a folder is named.
TEST_F(CanvasPaint, BundledExamplesShowEveryBlocksFill) {
    for (const char* example : {"oscillator.kvd", "pi_loop.kvd"}) {
        ASSERT_TRUE(window->OpenPath(CopyExample(example)));
        for (int zoom : {1, 2}) {
            SCOPED_TRACE(::testing::Message() << example << " zoom " << zoom);
            while (canvas->Zoom() < zoom) window->findChild<QAction*>("KeyZoomIn")->trigger();
            while (canvas->Zoom() > zoom) window->findChild<QAction*>("KeyZoomOut")->trigger();
            const QImage image = Picture();
            for (const auto& e : Elements().All()) {
                if (!e->IsBlock() || e->Page() != 0) continue;
                const auto& b = static_cast<const KBlock&>(*e);
                const KShape shape = b.TypeRecord().shape;
                if (shape == KShape::Ellipse || shape == KShape::Frame) continue;
                // Just inside the left edge, below a rounded corner and clear of
                // node marks, at the first such place no wire crosses.
                const int x = b.X() + 1;
                int y = -1;
                for (int candidate : {b.Y() + 5, b.Y() + b.Height() - 6})
                    if (y < 0 && !NearAnyWire(Elements(), x, candidate, 2)) y = candidate;
                ASSERT_GE(y, 0) << b.userString;
                EXPECT_EQ(image.pixelColor(x * zoom + 1, y * zoom), BodyColours(b, true).fill) << b.userString;
            }
            if (const char* folder = std::getenv("KORVEL_SCREENSHOT_DIR"))
                image.save(QString("%1/%2-zoom%3.png").arg(folder, example).arg(zoom));
        }
    }
}

}  // namespace
}  // namespace korvel::testing
