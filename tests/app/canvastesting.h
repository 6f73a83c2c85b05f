// The canvas as a user meets it inside the main window, with mouse helpers
// that send the events a real mouse sends (buttons held during a drag).
#pragma once

#include <algorithm>
#include <cstddef>

#include <QApplication>
#include <QMouseEvent>
#include <QTabWidget>
#include <QToolButton>

#include "app/canvas/diagramcanvas.h"
#include "model/block.h"
#include "model/blocktype.h"
#include "model/elements.h"
#include "model/wire.h"
#include "windowtesting.h"

namespace korvel::testing {

struct CanvasFixture : WindowFixture {
    CanvasFixture() {
        window->resize(1000, 700);
        canvas = window->findChild<KDiagramCanvas*>("PBDiagram");
    }

    KElements& Elements() { return window->Session().Elements(); }

    // A block placed directly (not through the mouse), unselected.
    KBlock& AddBlock(const char* tag, int x, int y, int page = 0) {
        std::unique_ptr<KBlock> block = MakeBlock(*FindBlockTypeByTag(tag));
        block->Initialize(Elements().NextFreeIDNumber(), page, x, y);
        block->selected = false;
        auto& added = static_cast<KBlock&>(Elements().Add(std::move(block)));
        canvas->ModelChanged();
        return added;
    }
    KWire& AddWire(KBlock& from, int fromNode, KBlock& to, int toNode) {
        auto wire = std::make_unique<KWire>(Elements().NextFreeIDNumber(), from.Page(), &from, fromNode);
        EXPECT_TRUE(wire->ConnectEnd(&to, toNode, messages));
        auto& added = static_cast<KWire&>(Elements().Add(std::move(wire)));
        canvas->ModelChanged();
        return added;
    }
    std::vector<KWire*> Wires() {
        std::vector<KWire*> wires;
        for (const auto& e : Elements().All())
            if (e->IsWire()) wires.push_back(static_cast<KWire*>(e.get()));
        return wires;
    }

    // Canvas points of a model point at the current zoom.
    QPoint At(int x, int y) const { return QPoint(int(x * canvas->Zoom()), int(y * canvas->Zoom())); }
    QPoint At(KPoint p) const { return At(p.x, p.y); }
    QPoint At(QPoint p) const { return At(p.x(), p.y()); }

    void Send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
              Qt::KeyboardModifiers mods) {
        QMouseEvent e(type, QPointF(at), QPointF(canvas->mapToGlobal(at)), button, held, mods);
        QApplication::sendEvent(canvas, &e);
    }
    void Press(QPoint at, Qt::KeyboardModifiers mods = {}) {
        Send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton, mods);
    }
    void Move(QPoint at, bool held, Qt::KeyboardModifiers mods = {}) {
        Send(QEvent::MouseMove, at, Qt::NoButton, held ? Qt::LeftButton : Qt::NoButton, mods);
    }
    void Release(QPoint at, Qt::KeyboardModifiers mods = {}) {
        Send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton, mods);
    }
    void Click(QPoint at, Qt::KeyboardModifiers mods = {}) {
        Press(at, mods);
        Release(at, mods);
    }
    void DoubleClick(QPoint at) {
        Click(at);
        Send(QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton, {});
        Release(at);
    }
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers mods = {}) {
        Press(from, mods);
        Move(from + QPoint(1, 0), true, mods);
        Move(to, true, mods);
        Release(to, mods);
    }

    // Pushes a palette button down (a block type's tag, "Select" or "Wire").
    void ChooseTool(const QString& tag) {
        auto* button = window->findChild<QToolButton*>("SB" + tag);
        ASSERT_NE(button, nullptr);
        window->findChild<QTabWidget*>("PCPalette")->setCurrentWidget(button->parentWidget());
        button->click();
    }

    QImage Picture() { return canvas->grab().toImage(); }

    KDiagramCanvas* canvas = nullptr;
};

// Whether a model point lies within margin pixels of some wire's route:
// probes of a body's fill keep clear of the wires drawn over it.
inline bool NearAnyWire(const KElements& elements, int x, int y, int margin) {
    for (const auto& e : elements.All()) {
        if (!e->IsWire()) continue;
        const auto& route = static_cast<const KWire&>(*e).route;
        for (std::size_t i = 1; i < route.size(); ++i)
            if (x >= std::min(route[i - 1].x, route[i].x) - margin &&
                x <= std::max(route[i - 1].x, route[i].x) + margin &&
                y >= std::min(route[i - 1].y, route[i].y) - margin &&
                y <= std::max(route[i - 1].y, route[i].y) + margin)
                return true;
    }
    return false;
}

}  // namespace korvel::testing
