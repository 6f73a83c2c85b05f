// The canvas at the screen's own device pixel ratio: the suite runs these
// cases once as they are and once more in a process started with
// QT_SCALE_FACTOR=2 (tests/CMakeLists.txt). Every probe reads the factor from
// the running application, so the same pixels are expected at model point
// times zoom times factor, while mouse points and model coordinates stay
// those of the unscaled canvas.
#include <cstdlib>

#include "app/canvas/canvaspainter.h"
#include "canvastesting.h"

namespace korvel::testing {
namespace {

constexpr int kOut = 1;

struct CanvasHighDpi : CanvasFixture {
    // The grabbed canvas is in device pixels: the factor is its pixel ratio.
    double Factor() const { return canvas->devicePixelRatioF(); }

    // The device pixel of a model point at the current zoom and factor.
    QColor Device(const QImage& image, double x, double y) const {
        const double scale = canvas->Zoom() * Factor();
        return image.pixelColor(int(x * scale), int(y * scale));
    }

    void SetZoom(double zoom) {
        while (canvas->Zoom() < zoom) window->findChild<QAction*>("KeyZoomIn")->trigger();
        while (canvas->Zoom() > zoom) window->findChild<QAction*>("KeyZoomOut")->trigger();
    }
};

// A run meant to be at twice the resolution that silently ran at one would
// pass every probe below; this case tells them apart.
TEST_F(CanvasHighDpi, RunsAtTheFactorTheEnvironmentAsks) {
    const char* asked = std::getenv("QT_SCALE_FACTOR");
    const double expected = asked ? std::atof(asked) : 1.0;
    EXPECT_EQ(Factor(), expected);
    const QImage image = Picture();
    EXPECT_EQ(image.width(), int(canvas->width() * expected));
}

TEST_F(CanvasHighDpi, BodiesAndNodesLandAtDeviceCoordinates) {
    struct Case {
        bool selected;
        bool computed;
        QColor fill;
        QColor outline;
    };
    const Case cases[] = {
        {false, true, Qt::white, Qt::black},
        {true, true, kSelectedFill, kSelectedOutline},
        {false, false, Qt::white, kFaultOutline},
    };
    for (double zoom : {1.0, 2.0}) {
        SetZoom(zoom);
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message()
                         << "zoom " << zoom << " selected " << c.selected << " computed "
                         << c.computed << " factor " << Factor());
            Elements().Clear();
            KBlock& b =
                AddBlock("KInt", 100, 100);  // 40 by 40, input at (100, 120), output at (140, 120)
            b.selected = c.selected;
            b.SetComputedFlagOnly(c.computed);
            const QImage image = Picture();
            ASSERT_EQ(image.devicePixelRatio(), Factor());
            EXPECT_EQ(Device(image, 104, 104), c.fill) << "inside the top left corner";
            // The bottom edge (model row 139) is one device pixel thin at any
            // factor: drawn at device resolution, not scaled up.
            const double scale = zoom * Factor();
            const int edgeX = int(120 * scale) + 1;
            const int edgeY = int(139 * scale);
            EXPECT_EQ(image.pixelColor(edgeX, edgeY), c.outline);
            EXPECT_EQ(image.pixelColor(edgeX, edgeY - 1), c.fill);
            EXPECT_EQ(image.pixelColor(edgeX, edgeY + 1), QColor(Qt::white));
            // The output triangle points out to 6 pixels beyond the right edge.
            EXPECT_EQ(Device(image, 143, 120), QColor(Qt::black));
            EXPECT_EQ(Device(image, 143, 116), QColor(Qt::white)) << "a triangle, not a bar";
        }
    }
}

TEST_F(CanvasHighDpi, AFailedCompileDrawsItsWiresRedAtDeviceCoordinates) {
    KBlock& a = AddBlock("KInt", 100, 100);
    KBlock& b = AddBlock("KInt", 300, 100);
    KWire& w = AddWire(a, kOut, b, kOut);  // two outputs: the compile refuses it
    AddBlock("KSolver", 500, 500);
    EXPECT_FALSE(window->Compile(false));
    ASSERT_TRUE(canvas->IsFaultWire(&w)) << messages.recorder.Last().text;
    const QImage image = Picture();
    EXPECT_EQ(Device(image, 200, 120), kFaultOutline);
    EXPECT_EQ(Device(image, 200, 125), QColor(Qt::white));
}

TEST_F(CanvasHighDpi, MousePointsAndHitTestsStayInModelPixels) {
    for (double zoom : {1.0, 2.0}) {
        SetZoom(zoom);
        SCOPED_TRACE(::testing::Message() << "zoom " << zoom << " factor " << Factor());
        Elements().Clear();
        KBlock& b = AddBlock("KInt", 100, 100);
        EXPECT_EQ(canvas->ElementAt(At(104, 104)), &b);
        EXPECT_EQ(canvas->ElementAt(At(95, 104)), nullptr);
        Click(At(110, 110));
        ASSERT_TRUE(b.selected);
        // A drag of 14 model pixels snaps to a move of 10.
        Drag(At(110, 110), At(124, 110));
        EXPECT_EQ(b.X(), 110);
        EXPECT_EQ(b.Y(), 100);
        EXPECT_EQ(Device(Picture(), 114, 104), kSelectedFill);
    }
}

}  // namespace
}  // namespace korvel::testing
