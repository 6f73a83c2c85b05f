// The main window shown on a real X server, its pixels read back from the
// screen: tools/gui-smoke.sh runs this case under Xvfb on the xcb platform;
// on any other platform (the offscreen suite) it is skipped.
//
// Two bundled examples at zoom 1 and, after Ctrl+I, zoom 2: each screen is
// kept as a picture when KORVEL_SCREENSHOT_DIR names a folder, and every
// block's fill just inside a corner of its body is probed on the screen,
// scrolling the canvas to blocks out of view.
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <cmath>
#include <cstdlib>

#include "app/canvas/canvaspainter.h"
#include "canvastesting.h"

namespace korvel::testing {
namespace {

// One row of pixels from just outside a block's body to just inside a
// corner: the page, then the outline, then the fill.
struct Probe {
    std::string block;
    QPoint outside;  // canvas widget pixels
    QPoint inside;
    QColor outline;
    QColor fill;
};

// The corner is the first one no wire passes, the row 5 pixels below or
// above it (clear of a rounded corner); an ellipse is probed on the way from
// its centre to that corner. A frame is drawn only while selected: the page
// shows through.
Probe CornerProbe(const KElements& elements, const KBlock& b, int zoom) {
    const KShape shape = b.TypeRecord().shape;
    const int left = b.X() + 1, right = b.X() + b.Width() - 2;
    const int top = b.Y() + 5, bottom = b.Y() + b.Height() - 6;
    QPoint model(left, top);
    for (QPoint corner :
         {QPoint(left, top), QPoint(right, top), QPoint(left, bottom), QPoint(right, bottom)}) {
        if (!NearAnyWire(elements, corner.x(), corner.y(), 3)) {
            model = corner;
            break;
        }
    }
    // The outline's pixels are X to X + width - 1 times the zoom; one pixel
    // inside them is clear of the glyph at any zoom.
    const bool onLeft = model.x() == left;
    const int edge = onLeft ? b.X() * zoom : (b.X() + b.Width() - 1) * zoom;
    const int step = onLeft ? 1 : -1;
    QPointF inside(edge + step, model.y() * zoom);
    if (shape == KShape::Ellipse) {
        const QPointF centre((b.X() + b.Width() / 2.0) * zoom, (b.Y() + b.Height() / 2.0) * zoom);
        inside = centre + (inside - centre) * 0.55;
    }
    const QPoint in(int(std::lround(inside.x())), int(std::lround(inside.y())));
    const QPoint out(edge - 2 * step, in.y());
    const KBodyColours colours = BodyColours(b, true);
    const bool drawn = shape != KShape::Frame;
    return {b.userString, out, in, drawn ? colours.outline : QColor(Qt::white),
            drawn ? colours.fill : QColor(Qt::white)};
}

// Empty when the row shows page, outline and fill in that order, else what it shows.
std::string Check(const Probe& p, const QImage& row) {
    std::string seen;
    const int n = row.width();
    const bool rightward = p.inside.x() > p.outside.x();
    int stage = 0;  // 0 page, 1 outline, 2 fill
    for (int i = 0; i < n; ++i) {
        const QColor c = row.pixelColor(rightward ? i : n - 1 - i, 0);
        seen += c.name().toStdString() + " ";
        if (stage == 0 && c == Qt::white) continue;
        if (stage <= 1 && c == p.outline) {
            stage = 1;
            continue;
        }
        if (stage >= 1 && c == p.fill) {
            stage = 2;
            continue;
        }
        return seen;
    }
    const bool frame = p.outline == Qt::white;
    return stage == 2 || frame ? "" : seen;
}

struct CanvasOnScreen : CanvasFixture {
    QPoint Global(QPoint canvasPoint) const { return canvas->mapToGlobal(canvasPoint); }
    bool InView(QPoint canvasPoint) const {
        const QWidget* viewport = canvas->parentWidget();
        return QRect(viewport->mapToGlobal(QPoint(0, 0)), viewport->size())
            .contains(Global(canvasPoint));
    }
    // The probe's row as the X server shows it.
    QImage Row(const Probe& p) const {
        const QPoint a = Global(p.outside), b = Global(p.inside);
        return window->screen()
            ->grabWindow(0, std::min(a.x(), b.x()), a.y(), std::abs(b.x() - a.x()) + 1, 1)
            .toImage();
    }
    // Painting reaches the X server in its own time: wait (bounded) for it.
    std::string Shows(const Probe& p) const {
        std::string failure;
        (void)QTest::qWaitFor([&] { return (failure = Check(p, Row(p))).empty(); }, 5000);
        return failure;
    }
    void ScrollHome() const {
        auto* scroll = qobject_cast<QScrollArea*>(canvas->parentWidget()->parentWidget());
        scroll->horizontalScrollBar()->setValue(0);
        scroll->verticalScrollBar()->setValue(0);
    }
    void ScrollTo(QPoint canvasPoint) const {
        auto* scroll = qobject_cast<QScrollArea*>(canvas->parentWidget()->parentWidget());
        scroll->ensureVisible(canvasPoint.x(), canvasPoint.y(), 80, 80);
    }
};

TEST_F(CanvasOnScreen, BundledExamplesShowEveryBlocksFillAtZoomOneAndTwo) {
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "needs an X server (tools/gui-smoke.sh)";
    window->setGeometry(0, 0, 1200, 900);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const char* folder = std::getenv("KORVEL_SCREENSHOT_DIR");
    for (const char* example : {"oscillator.kvd", "pi_loop.kvd"}) {
        ASSERT_TRUE(window->OpenPath(CopyExample(example)));
        while (canvas->Zoom() > 1) QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
        for (int zoom : {1, 2}) {
            if (zoom == 2) QTest::keyClick(window.get(), Qt::Key_I, Qt::ControlModifier);
            ASSERT_EQ(canvas->Zoom(), zoom) << "Ctrl+I steps the zoom";
            SCOPED_TRACE(::testing::Message() << example << " zoom " << zoom);
            std::vector<Probe> probes;
            for (const auto& e : Elements().All())
                if (e->IsBlock() && e->Page() == 0 && e->ParentModule() < 0)
                    probes.push_back(CornerProbe(Elements(), static_cast<const KBlock&>(*e), zoom));
            ASSERT_GE(probes.size(), 6u);

            // The screen as a user first sees it, once the blocks in view are drawn.
            ScrollHome();
            for (const Probe& p : probes)
                if (InView(p.outside) && InView(p.inside)) Shows(p);
            if (folder) {
                const QImage screen = window->screen()->grabWindow(0).toImage();
                screen.copy(window->frameGeometry())
                    .save(QString("%1/%2-zoom%3.png")
                              .arg(folder, QString(example).section('.', 0, 0))
                              .arg(zoom));
            }
            for (const Probe& p : probes) {
                ScrollTo(p.inside);
                const std::string failure = Shows(p);
                EXPECT_EQ(failure, "")
                    << p.block << ": from (" << p.outside.x() << ", " << p.outside.y() << ") to ("
                    << p.inside.x() << ", " << p.inside.y() << ") of the canvas, not "
                    << "the page, " << p.outline.name().toStdString() << " and "
                    << p.fill.name().toStdString();
            }
        }
    }
}

}  // namespace
}  // namespace korvel::testing
