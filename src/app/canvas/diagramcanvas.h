// KDiagramCanvas: the page of the model a user edits with the mouse.
//
// It draws the current page at the window's zoom through the page painter
// and turns presses, drags and releases into editing operations on the
// element collection: selecting (click, Shift-click, rubber band), moving
// the selection with grid snapping, placing a block from the palette,
// drawing a wire between nodes, reconnecting a wire's end, stretching a
// wire's middle segment, and the double-clicks on names, nodes and bodies.
//
// Every change to the collection goes through the window's edit seam
// (Hooks::edit), which refuses while a model runs and marks the model
// modified; selection changes alone are not edits.
//
// A wire being drawn is held by the canvas, outside the collection, until it
// is connected, so nothing the file cannot hold is ever in the model; a wire
// whose end is being moved gets its old ends back whenever the gesture is
// abandoned (Escape, page change, save, compile, New, Open, close).
#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>
#include <functional>
#include <memory>
#include <unordered_set>
#include <vector>

#include "app/canvas/pageindex.h"
#include "app/diagramwindow.h"
#include "model/block.h"

namespace korvel {

class KBlock;
class KCustMod;
class KElement;
class KElements;
class KModelEditor;
class KGlyphs;
class KWire;

// Model point of a canvas point: each axis divided by the zoom, truncated toward zero.
QPoint CanvasToModel(QPoint canvas, double zoom);

class KDiagramCanvas final : public QWidget {
    Q_OBJECT
public:
    // What the canvas asks of its window.
    struct Hooks {
        std::function<bool(const KRefusal&, const std::function<void()>&)> edit;
        std::function<int()> tool;  // TKDiagramF::kSelectTool, kWireTool or a type number
        std::function<void()> chooseSelectTool;
        std::function<bool()> isRunning;
        std::function<bool()> isCompiled;
        std::function<void()> selectionChanged;
        std::function<void(const QString&)> showHint;
        std::function<void(int steps, QPoint widgetPoint)> wheelZoom;  // + in, - out
        std::function<void(KBlock&)> renameBlock;
        std::function<void(KBlock&)> blockSetup;
        std::function<void(KBlock&, int node, bool mayChange)> nodeDialog;
        std::function<void(KBlock&)> openModule;
        std::function<std::string()> askModuleFile;  // "" when cancelled
        std::function<std::vector<std::string>()> moduleFolders;  // where a compile finds modules
        std::function<std::string()> modelFile;                   // the open model's file, "" if unsaved
        std::function<int()> labelFontSize;          // points of the name labels
        std::function<void(const std::string& file)> glyphFileUnreadable;
    };

    KDiagramCanvas(KElements* elements, Hooks hooks, QWidget* parent = nullptr);
    ~KDiagramCanvas() override;

    // A new collection (New, Open): every gesture is dropped without
    // touching the old one.
    void SetElements(KElements* elements);
    // Changing page first abandons a pending wire.
    void SetPage(int page);
    int Page() const { return page_; }
    void SetZoom(double zoom);
    double Zoom() const { return zoom_; }
    void SetLabelFontSize(int points);
    // The font names and Notes are drawn and measured in; page images and
    // printing draw with it too.
    QFont PageTextFont() const;
    // The glyph images blocks are drawn with (nullptr: body texts only).
    void SetGlyphs(const KGlyphs* glyphs);
    // The page size in model pixels: at least 3000 by 2000, grown to hold
    // every element plus one screen.
    QSize PageSize() const { return pageSize_; }

    // The topmost element drawn at a widget point (blocks by body or label,
    // wires by their route), or nullptr.
    KElement* ElementAt(QPoint widgetPoint) const;
    // Recomputes label sizes and the page size after the model changed.
    void ModelChanged();

    // Escape's part: ends a rubber band, else cancels the wire being drawn
    // (a new wire is deleted, a moved end goes back). Answers whether it did.
    bool Escape();
    // Abandons a wire being drawn or reconnected (old ends back); the model
    // then holds no open wire.
    void CancelPendingWire();
    // Reissues the hint for the mouse's place (live values change under it).
    void RefreshHint();
    // Clears every interaction state (New, Compile, Open).
    void ClearGestures();

    bool IsDrawingWire() const { return drawing_.wire != nullptr; }
    // The rubber path of the wire being drawn, from its start node to the
    // snapped mouse point, in horizontal and vertical pieces.
    std::vector<QPoint> RubberPath() const;
    bool IsRubberBand() const { return band_.active; }
    bool IsBlockDrag() const { return drag_.active; }
    bool IsHandleDrag() const { return handle_ != nullptr; }

    // After a compile: the wires it left selected are the wires at fault,
    // drawn red until the next compile or edit.
    void MarkFaultWires();
    bool IsFaultWire(const KWire* wire) const { return faultWires_.count(wire) > 0; }

    // Clipboard placement: elements copied from a page are pasted 20 pixels
    // right and down on that page (further each time), in place on another.
    void NoteCopied(int page);
    QPoint NextPasteOffset(int page);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    struct Hit {
        KBlock* block = nullptr;
        int node = -1;
    };
    QPoint ModelPoint(QPointF widgetPoint) const;
    // The page's elements that may lie under the point, topmost first.
    template <class Visit>
    KElement* FirstNear(QPoint model, Visit visit) const;
    Hit NodeAt(QPoint model) const;
    KElement* ElementAtModel(QPoint model) const;
    KBlock* BlockAtModel(QPoint model) const;
    KWire* SelectedWireEndAt(QPoint model) const;
    KWire* SelectedWireHandleAt(QPoint model) const;

    bool PressWire(QPoint model, bool wireTool);
    void FinishWire(const Hit& hit);
    void StartWire(const Hit& hit, QPoint snapped);
    void PlaceBlock(int type, QPoint model, bool keepTool);
    bool LoadModule(KCustMod& block);
    void ReleaseSelect(QPoint model, bool shift);
    void UpdateHint(QPoint model);
    void DoubleClick(QPoint model);
    void Changed();
    void UpdateModelRect(const QRect& model);
    void Relayout();
    // Marks a node connected exactly when some wire still ends on it.
    void RefreshConnected(const Hit& end);
    // Drops gestures whose wire or block an edit has deleted.
    void ForgetVanished();

    void PaintGestures(QPainter& painter) const;

    // The selection operations of the shown collection. They keep no state
    // of their own (the clipboard is the window's), so a fresh one serves.
    KModelEditor Selection() const;
    KElements* elements_;
    Hooks hooks_;
    int page_ = 0;
    double zoom_ = 1.0;
    int labelFontSize_ = 8;
    QSize pageSize_;
    std::unordered_set<const KWire*> faultWires_;
    mutable KPageIndex index_;
    const KGlyphs* glyphs_ = nullptr;
    int copiedPage_ = -1;
    int pastesOnCopiedPage_ = 0;

    // Interaction states.
    struct {
        bool active = false;
        QPoint origin;   // snapped
        QPoint current;  // snapped
        QRect bounds;    // the selection's bodies, model pixels
    } drag_;
    struct {
        bool active = false;
        bool add = false;
        QPoint start;
        QPoint current;
    } band_;
    struct {
        KWire* wire = nullptr;          // the wire being drawn or reconnected
        std::unique_ptr<KWire> owned;   // a new wire, until it is connected
        std::vector<QPoint> fixed;      // fixed path, from the start node's point
        std::vector<KPoint> oldRoute;   // a reconnected wire's route, put back on cancel
        std::vector<Hit> oldEnds;       // a reconnected wire's ends before the gesture
        QPoint end;                     // the snapped point the rubber path reaches
    } drawing_;
    KWire* handle_ = nullptr;  // wire whose segment is being dragged
    bool leftDown_ = false;
    bool pressUsed_ = false;   // the press began or continued a wire gesture
    QPoint pressPoint_;
    QPoint lastPoint_;
};

}  // namespace korvel
