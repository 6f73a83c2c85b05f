#include "app/canvas/diagramcanvas.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QToolTip>
#include <QWheelEvent>
#include <cmath>

#include "app/canvas/canvaspainter.h"
#include "app/canvas/glyphs.h"
#include "app/refusals.h"
#include "base/messages.h"
#include "base/safefile.h"
#include "model/block.h"
#include "model/custmod.h"
#include "model/custmodfile.h"
#include "model/elements.h"
#include "model/modeleditor.h"
#include "model/modulefinder.h"
#include "model/modulenesting.h"
#include "model/wire.h"

namespace korvel {

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

QPoint Snap(QPoint p) { return {SnapToGrid(p.x()), SnapToGrid(p.y())}; }

// How near a wire's route a click selects it.
constexpr int kWireTolerance = 3;

bool NearSegment(KPoint a, KPoint b, QPoint p) {
    const int left = std::min(a.x, b.x) - kWireTolerance;
    const int right = std::max(a.x, b.x) + kWireTolerance;
    const int top = std::min(a.y, b.y) - kWireTolerance;
    const int bottom = std::max(a.y, b.y) + kWireTolerance;
    return p.x() >= left && p.x() <= right && p.y() >= top && p.y() <= bottom;
}

bool OnWire(const KWire& wire, QPoint p) {
    for (std::size_t i = 1; i < wire.route.size(); ++i)
        if (NearSegment(wire.route[i - 1], wire.route[i], p)) return true;
    return false;
}

QPoint Outward(KEdge edge) {
    switch (edge) {
        case KEdge::Top: return {0, -1};
        case KEdge::Bottom: return {0, 1};
        case KEdge::Left: return {-1, 0};
        case KEdge::Right: return {1, 0};
    }
    return {0, 0};
}

// A node's value as dialogs and hints show it.
QString NodeValueText(const KNode& node) {
    if (node.HoldsText()) return Q(node.Text());
    if (!node.Choices().empty()) return Q(node.ChoiceText());
    return QString::number(node.value, 'g', 8);
}

bool IsSignalNode(const KNode& node) { return !node.IsValueOnly(); }

}  // namespace

QPoint CanvasToModel(QPoint canvas, double zoom) {
    // Integer division by a double, truncated toward zero as the cast does.
    return {int(canvas.x() / zoom), int(canvas.y() / zoom)};
}

KDiagramCanvas::KDiagramCanvas(KElements* elements, Hooks hooks, QWidget* parent)
    : QWidget(parent), elements_(elements), hooks_(std::move(hooks)) {
    setObjectName("PBDiagram");
    setAccessibleName("Diagram");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    glyphs_ = &KGlyphs::Shared(hooks_.glyphFileUnreadable);
    ModelChanged();
}

KDiagramCanvas::~KDiagramCanvas() = default;

KModelEditor KDiagramCanvas::Selection() const { return KModelEditor(*elements_); }

void KDiagramCanvas::SetElements(KElements* elements) {
    // The old collection may be gone already: forget, never touch.
    drawing_.wire = nullptr;
    drawing_.owned.reset();
    drawing_.fixed.clear();
    handle_ = nullptr;
    drag_.active = false;
    band_.active = false;
    faultWires_.clear();
    elements_ = elements;
    ModelChanged();
}

void KDiagramCanvas::SetPage(int page) {
    if (page != page_) CancelPendingWire();
    ClearGestures();
    page_ = page;
    Relayout();
}

void KDiagramCanvas::SetZoom(double zoom) {
    zoom_ = zoom;
    Relayout();
}

void KDiagramCanvas::SetGlyphs(const KGlyphs* glyphs) {
    glyphs_ = glyphs;
    update();
}

void KDiagramCanvas::SetLabelFontSize(int points) {
    labelFontSize_ = points;
    Relayout();
}

QFont KDiagramCanvas::PageTextFont() const {
    return PageFont(font(), labelFontSize_, logicalDpiY());
}

void KDiagramCanvas::MarkFaultWires() {
    faultWires_.clear();
    if (elements_)
        for (const auto& e : elements_->All())
            if (e->IsWire() && e->selected) faultWires_.insert(static_cast<const KWire*>(e.get()));
    update();
}

void KDiagramCanvas::NoteCopied(int page) {
    copiedPage_ = page;
    pastesOnCopiedPage_ = 0;
}

QPoint KDiagramCanvas::NextPasteOffset(int page) {
    if (page != copiedPage_) return {0, 0};
    ++pastesOnCopiedPage_;
    return {20 * pastesOnCopiedPage_, 20 * pastesOnCopiedPage_};
}

void KDiagramCanvas::ModelChanged() {
    faultWires_.clear();  // an edit ends the compile's verdict
    ForgetVanished();
    Relayout();
}

void KDiagramCanvas::ForgetVanished() {
    if (!elements_ || (!handle_ && !drawing_.wire)) return;
    std::unordered_set<const KElement*> present;
    for (const auto& e : elements_->All()) present.insert(e.get());
    if (handle_ && !present.count(handle_)) handle_ = nullptr;
    if (!drawing_.wire) return;
    const bool gone = drawing_.owned ? !present.count(drawing_.wire->StartBlockPtr())
                                     : !present.count(drawing_.wire);
    if (gone) {
        drawing_.wire = nullptr;
        drawing_.owned.reset();
        drawing_.fixed.clear();
        drawing_.oldRoute.clear();
    }
}

void KDiagramCanvas::Relayout() {
    index_.Invalidate();
    if (hooks_.labelFontSize) labelFontSize_ = hooks_.labelFontSize();
    QSize page(kMinPageWidth, kMinPageHeight);
    if (elements_) {
        MeasureLabels(*elements_, PageTextFont());
        // A page grows to hold every element plus one screen.
        const QRect extent = CanvasExtent(*elements_, page_);
        const QSize screen = parentWidget() ? parentWidget()->size() / zoom_ : QSize(800, 600);
        if (!extent.isEmpty())
            page = page.expandedTo(QSize(extent.right() + screen.width(), extent.bottom() + screen.height()));
    }
    pageSize_ = page;
    const QSize shown(int(std::ceil(page.width() * zoom_)), int(std::ceil(page.height() * zoom_)));
    setMinimumSize(shown);
    resize(parentWidget() ? shown.expandedTo(parentWidget()->size()) : shown);
    update();
}

void KDiagramCanvas::ClearGestures() {
    drag_.active = false;
    band_.active = false;
    handle_ = nullptr;
    leftDown_ = false;
    update();
}

bool KDiagramCanvas::Escape() {
    if (band_.active) {
        band_.active = false;
        update();
        return true;
    }
    if (drawing_.wire) {
        CancelPendingWire();
        return true;
    }
    return false;
}

void KDiagramCanvas::CancelPendingWire() {
    if (!drawing_.wire) return;
    KWire* wire = drawing_.wire;
    const bool reconnect = drawing_.owned == nullptr;
    drawing_.wire = nullptr;
    drawing_.owned.reset();
    drawing_.fixed.clear();
    if (reconnect && elements_) {
        if (!wire->RestoreReconnectingWire(elements_->Sink())) elements_->DeleteWire(*wire);
        else wire->route = drawing_.oldRoute;
    }
    index_.Invalidate();
    drawing_.oldRoute.clear();
    update();
}

// --- Hit tests ------------------------------------------------------------------

QPoint KDiagramCanvas::ModelPoint(QPointF widgetPoint) const {
    // Positions may be fractional on scaled screens: truncate the quotient itself.
    return {int(widgetPoint.x() / zoom_), int(widgetPoint.y() / zoom_)};
}

template <class Visit>
KElement* KDiagramCanvas::FirstNear(QPoint model, Visit visit) const {
    if (!elements_) return nullptr;
    if (!index_.IsBuiltFor(*elements_, page_)) index_.Build(*elements_, page_);
    for (int i : index_.Candidates(model)) {
        if (i >= elements_->Count()) continue;
        KElement& e = elements_->At(i);
        if (e.Page() == page_ && e.ParentModule() < 0 && visit(e)) return &e;
    }
    return nullptr;
}

KDiagramCanvas::Hit KDiagramCanvas::NodeAt(QPoint model) const {
    Hit hit;
    FirstNear(model, [&](KElement& e) {
        if (!e.IsBlock()) return false;
        auto& b = static_cast<KBlock&>(e);
        hit.node = b.FindNodeAt(page_, model.x(), model.y());
        hit.block = hit.node >= 0 ? &b : nullptr;
        return hit.block != nullptr;
    });
    return hit;
}

KBlock* KDiagramCanvas::BlockAtModel(QPoint model) const {
    // Selected blocks are drawn on top, so they are hit first.
    for (bool selected : {true, false}) {
        KElement* found = FirstNear(model, [&](KElement& e) {
            if (!e.IsBlock() || e.selected != selected) return false;
            const auto& b = static_cast<const KBlock&>(e);
            return b.BodyContains(model.x(), model.y()) || b.LabelContains(model.x(), model.y());
        });
        if (found) return static_cast<KBlock*>(found);
    }
    return nullptr;
}

KElement* KDiagramCanvas::ElementAtModel(QPoint model) const {
    if (KBlock* b = BlockAtModel(model)) return b;
    return FirstNear(model, [&](KElement& e) { return e.IsWire() && OnWire(static_cast<KWire&>(e), model); });
}

KElement* KDiagramCanvas::ElementAt(QPoint widgetPoint) const { return ElementAtModel(ModelPoint(widgetPoint)); }

KWire* KDiagramCanvas::SelectedWireEndAt(QPoint model) const {
    return static_cast<KWire*>(FirstNear(model, [&](KElement& e) {
        return e.IsWire() && e.selected && static_cast<KWire&>(e).HitEnd(page_, model.x(), model.y());
    }));
}

KWire* KDiagramCanvas::SelectedWireHandleAt(QPoint model) const {
    return static_cast<KWire*>(FirstNear(model, [&](KElement& e) {
        return e.IsWire() && e.selected && static_cast<KWire&>(e).HitSegment(page_, model.x(), model.y());
    }));
}

// --- Mouse ------------------------------------------------------------------------

void KDiagramCanvas::UpdateModelRect(const QRect& model) {
    const QRect widget(QPoint(int(std::floor(model.left() * zoom_)) - 2, int(std::floor(model.top() * zoom_)) - 2),
                       QPoint(int(std::ceil((model.right() + 1) * zoom_)) + 2,
                              int(std::ceil((model.bottom() + 1) * zoom_)) + 2));
    update(widget);
}

void KDiagramCanvas::Changed() {
    if (hooks_.selectionChanged) hooks_.selectionChanged();
    update();
}

void KDiagramCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !elements_) return;
    const QPoint model = ModelPoint(event->position());
    const int tool = hooks_.tool();
    leftDown_ = true;
    pressUsed_ = false;
    pressPoint_ = lastPoint_ = model;
    if (hooks_.isRunning()) {
        if (tool != TKDiagramF::kSelectTool) {
            // The seam refuses while running with the insert warning.
            hooks_.edit(kRefuseInsert, [] {});
            hooks_.chooseSelectTool();
        }
        return;
    }
    if (PressWire(model, tool == TKDiagramF::kWireTool)) {
        pressUsed_ = true;
        return;
    }
    if (KWire* wire = SelectedWireHandleAt(model)) {
        handle_ = wire;
        pressUsed_ = true;
        hooks_.edit(kRefuseChange, [] {});
    }
}

// Steps of a press that begin, reconnect or finish a wire; answers whether one applied.
bool KDiagramCanvas::PressWire(QPoint model, bool wireTool) {
    const QPoint snapped = Snap(model);
    const Hit hit = NodeAt(model);
    const bool onSignal = hit.block && IsSignalNode(hit.block->Node(hit.node));
    if (drawing_.wire) {
        // Finished by a click on a node whatever the tool, so a reconnect never stays open.
        if (onSignal) {
            FinishWire(hit);
        } else {
            // A corner: the path to the click becomes fixed.
            drawing_.end = snapped;
            drawing_.fixed = RubberPath();
            update();
        }
        return true;
    }
    if (KWire* wire = SelectedWireEndAt(model)) {
        drawing_.oldEnds = {{wire->StartBlockPtr(), wire->StartBlockNode()}, {wire->EndBlockPtr(), wire->EndBlockNode()}};
        const bool began = hooks_.edit(kRefuseChange, [&] { wire->BeginReconnect(model.x(), model.y()); });
        if (!began) return true;
        drawing_.wire = wire;
        drawing_.fixed.clear();
        if (!wire->route.empty()) {
            // The kept end is now the start; the fixed path is what remains of the route.
            const KPoint s = wire->StartBlockPtr()->NodePoint(wire->StartBlockNode());
            drawing_.fixed.push_back({s.x, s.y});
        }
        drawing_.oldRoute = std::move(wire->route);
        wire->route.clear();
        drawing_.end = snapped;
        update();
        return true;
    }
    if (wireTool && onSignal) {
        StartWire(hit, snapped);
        return true;
    }
    return false;
}

void KDiagramCanvas::StartWire(const Hit& hit, QPoint snapped) {
    Selection().ClearSelection();
    drawing_.owned = std::make_unique<KWire>(-1, page_, hit.block, hit.node);
    drawing_.wire = drawing_.owned.get();
    const KPoint s = hit.block->NodePoint(hit.node);
    drawing_.fixed = {QPoint(s.x, s.y)};
    drawing_.end = snapped;
    Changed();
}

void KDiagramCanvas::FinishWire(const Hit& hit) {
    KWire* wire = drawing_.wire;
    std::unique_ptr<KWire> owned = std::move(drawing_.owned);
    drawing_.wire = nullptr;
    drawing_.fixed.clear();
    bool connected = false;
    const bool applied = hooks_.edit(owned ? kRefuseInsert : kRefuseChange, [&] {
        connected = wire->ConnectEnd(hit.block, hit.node, elements_->Sink());
        if (connected && owned) {
            owned->SetIDNumber(elements_->NextFreeIDNumber());
            elements_->Add(std::move(owned));
        } else if (!connected && !owned && !wire->RestoreReconnectingWire(elements_->Sink())) {
            // A reconnect that cannot be finished keeps its old ends; one
            // whose old ends are gone cannot be kept at all.
            elements_->DeleteWire(*wire);
        } else if (!connected && !owned) {
            wire->route = drawing_.oldRoute;
        }
        // The node a reconnect left is unwired unless another wire ends there.
        if (connected && !owned)
            for (const Hit& end : drawing_.oldEnds) RefreshConnected(end);
        drawing_.oldRoute.clear();
        drawing_.oldEnds.clear();
    });
    if (!applied && !owned) {
        drawing_.wire = wire;  // still pending; abandoned by the usual rules
        return;
    }
    // A refused new wire is deleted with `owned`.
    update();
}

void KDiagramCanvas::RefreshConnected(const Hit& end) {
    if (!end.block || end.node < 0 || end.node >= end.block->NodeCount()) return;
    bool wired = false;
    for (const auto& e : elements_->All()) {
        if (!e->IsWire()) continue;
        const auto& w = static_cast<const KWire&>(*e);
        if ((w.StartBlockPtr() == end.block && w.StartBlockNode() == end.node) ||
            (w.EndBlockPtr() == end.block && w.EndBlockNode() == end.node)) {
            wired = true;
            break;
        }
    }
    end.block->Node(end.node).connected = wired;
}

void KDiagramCanvas::mouseMoveEvent(QMouseEvent* event) {
    if (!elements_) return;
    const QPoint model = ModelPoint(event->position());
    const QPoint snapped = Snap(model);
    const bool held = (event->buttons() & Qt::LeftButton) && leftDown_;
    if (drag_.active) {
        if (snapped != drag_.current) {
            // Only the outline's old and new places are repainted.
            UpdateModelRect(drag_.bounds.translated(drag_.current - drag_.origin));
            drag_.current = snapped;
            UpdateModelRect(drag_.bounds.translated(drag_.current - drag_.origin));
        }
    } else if (handle_) {
        handle_->Stretch(page_, model.x(), model.y(), elements_->Sink());
        update();
    } else if (band_.active) {
        band_.current = model;
        update();
    } else if (drawing_.wire) {
        if (snapped != drawing_.end) {
            drawing_.end = snapped;
            update();
        }
        UpdateHint(model);
    } else if (held && !pressUsed_ && model != lastPoint_ && !hooks_.isRunning() &&
               hooks_.tool() == TKDiagramF::kSelectTool) {
        KElement* at = ElementAtModel(pressPoint_);
        if (at && at->selected && at->IsBlock()) {
            drag_ = {true, Snap(pressPoint_), snapped, {}};
            for (KBlock* b : Selection().SelectedBlocks())
                if (b->Page() == page_ && b->ParentModule() < 0)
                    drag_.bounds |= QRect(b->X(), b->Y(), b->Width(), b->Height());
        } else {
            band_ = {true, (event->modifiers() & Qt::ShiftModifier) != 0, pressPoint_, model};
            if (!band_.add) Selection().ClearSelection();
            Changed();
        }
        update();
    } else {
        UpdateHint(model);
    }
    lastPoint_ = model;
}

void KDiagramCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !elements_) return;
    const QPoint model = ModelPoint(event->position());
    const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
    const bool running = hooks_.isRunning();
    const bool wasGesture = drag_.active || band_.active || handle_ != nullptr;
    if (drag_.active && !running) {
        const QPoint offset = drag_.current - drag_.origin;
        drag_.active = false;
        if (!offset.isNull()) {
            hooks_.edit(kRefuseChange, [&] {
                Selection().MoveSelected(page_, offset.x(), offset.y(), pageSize_.width(), pageSize_.height());
            });
        }
    } else if (handle_) {
        handle_ = nullptr;
        index_.Invalidate();
        update();
    } else if (band_.active && !running) {
        const QRect r = QRect(band_.start, band_.current).normalized();
        // The rectangle's far sides are included.
        Selection().SelectInRect(page_, {r.left(), r.top(), r.right() + 1, r.bottom() + 1});
        Changed();
    } else if (!running && !pressUsed_ && !wasGesture) {
        const int tool = hooks_.tool();
        if (tool == TKDiagramF::kSelectTool) ReleaseSelect(model, shift);
        else if (tool >= 0) PlaceBlock(tool, model, shift);
    }
    drag_.active = false;
    band_.active = false;
    leftDown_ = false;
    pressUsed_ = false;
    update();
}

void KDiagramCanvas::ReleaseSelect(QPoint model, bool shift) {
    KElement* at = ElementAtModel(model);
    if (shift) {
        if (at) at->selected = !at->selected;
    } else {
        Selection().ClearSelection();
        if (at) at->selected = true;
    }
    Changed();
}

void KDiagramCanvas::PlaceBlock(int type, QPoint model, bool keepTool) {
    std::unique_ptr<KBlock> block = MakeBlock(type);
    if (!block) return;
    if (block->IsCustomModule() && !LoadModule(static_cast<KCustMod&>(*block))) {
        if (!keepTool) hooks_.chooseSelectTool();
        return;
    }
    hooks_.edit(kRefuseInsert, [&] { Selection().PlaceBlock(std::move(block), page_, model.x(), model.y()); });
    ClearGestures();
    if (!keepTool) hooks_.chooseSelectTool();
    Changed();
}

bool KDiagramCanvas::LoadModule(KCustMod& block) {
    const std::string path = hooks_.askModuleFile ? hooks_.askModuleFile() : std::string();
    if (path.empty()) return false;
    Messages& messages = elements_->Sink();
    std::string text, error;
    if (!ReadWholeFile(path, text, error)) {
        messages.ErrorBox(error);
        return false;
    }
    std::vector<KModuleNode> nodes;
    if (!ReadModuleInterface(std::move(text), path, nodes, messages)) return false;
    // Modules inside it are looked up where a compile looks, then beside it.
    KModuleFinder finder(hooks_.moduleFolders ? hooks_.moduleFolders() : std::vector<std::string>{});
    finder.AddFolderPastLimit(QFileInfo(QString::fromStdString(path)).absolutePath().toStdString());
    const std::string into = hooks_.modelFile ? hooks_.modelFile() : std::string();
    if (!CheckModuleNesting(path, into, finder, messages)) return false;
    // Files name a module by its bare name; the search folders find it.
    block.SetFileName(QFileInfo(QString::fromStdString(path)).fileName().toStdString());
    block.SetResolvedPath(path);
    block.SetModuleNodes(std::move(nodes));
    return true;
}

void KDiagramCanvas::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !elements_) return;
    leftDown_ = true;
    pressUsed_ = true;  // the release of a double-click selects nothing further
    DoubleClick(ModelPoint(event->position()));
}

void KDiagramCanvas::DoubleClick(QPoint model) {
    const bool running = hooks_.isRunning();
    const bool compiled = hooks_.isCompiled();
    if (band_.active || drawing_.wire) return;
    const Hit hit = NodeAt(model);
    if (hit.block) {
        const KNode& node = hit.block->Node(hit.node);
        const bool mayChange = running ? ((node.IsInput() && !node.connected) || hit.block->IsLiveAdjustable())
                                       : !node.IsOutput();
        if (hooks_.nodeDialog) hooks_.nodeDialog(*hit.block, hit.node, mayChange);
        return;
    }
    KBlock* block = BlockAtModel(model);
    if (!block) return;
    Messages& messages = elements_->Sink();
    if (block->IsLiveConstant()) {
        if (!compiled) messages.NoteBox("Cannot show constant adjustment box until model is compiled.");
        return;
    }
    if (block->IsInstrument()) {
        if (!compiled) messages.NoteBox("Cannot show instrument display panel until model is compiled.");
        return;
    }
    if (block->IsCustomModule()) {
        if (hooks_.openModule) hooks_.openModule(*block);
        return;
    }
    if (block->LabelContains(model.x(), model.y()) && !block->BodyContains(model.x(), model.y())) {
        if (hooks_.renameBlock) hooks_.renameBlock(*block);
        return;
    }
    // A Note's body is its text: it opens the text's own dialog.
    if (const int text = NoteTextNode(*block); text >= 0) {
        if (hooks_.nodeDialog) hooks_.nodeDialog(*block, text, !running);
        return;
    }
    if (hooks_.blockSetup) hooks_.blockSetup(*block);
}

void KDiagramCanvas::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier) || !hooks_.wheelZoom) {
        event->ignore();  // the scroll area scrolls
        return;
    }
    const int steps = event->angleDelta().y() > 0 ? 1 : event->angleDelta().y() < 0 ? -1 : 0;
    if (steps != 0) hooks_.wheelZoom(steps, event->position().toPoint());
    event->accept();
}

void KDiagramCanvas::RefreshHint() {
    if (underMouse() && elements_) UpdateHint(lastPoint_);
}

void KDiagramCanvas::leaveEvent(QEvent*) {
    if (hooks_.showHint) hooks_.showHint({});
}

void KDiagramCanvas::UpdateHint(QPoint model) {
    if (!hooks_.showHint) return;
    const bool compiled = hooks_.isCompiled();
    QString hint;
    const Hit hit = NodeAt(model);
    if (hit.block) {
        const KNode& node = hit.block->Node(hit.node);
        const QString value = NodeValueText(node);
        if (!compiled && node.IsInput() && node.connected) hint = value;
        else hint = Q(node.Name()) + " = " + value;
    } else if (KElement* e = ElementAtModel(model)) {
        if (e->IsWire()) {
            const auto& w = static_cast<const KWire&>(*e);
            // A wire may be drawn from its input end: name whichever end is the source.
            const KNode* source = w.EndNode() && w.EndNode()->IsSource() ? w.EndNode() : w.StartNode();
            if (compiled && source) hint = "Wire = " + Q(source->Name());
        } else {
            const auto& b = static_cast<const KBlock&>(*e);
            hint = Q(b.GetTypeName()) + "  " + Q(b.userString);
        }
    }
    if (hint.isEmpty()) QToolTip::hideText();
    else QToolTip::showText(mapToGlobal(QPoint(int(model.x() * zoom_), int(model.y() * zoom_))), hint, this);
    hooks_.showHint(hint);
}

// --- Painting ------------------------------------------------------------------------

std::vector<QPoint> KDiagramCanvas::RubberPath() const {
    std::vector<QPoint> path = drawing_.fixed;
    if (path.empty()) return path;
    const QPoint from = path.back();
    const QPoint to = drawing_.end;
    const KBlock* start = drawing_.wire ? drawing_.wire->StartBlockPtr() : nullptr;
    if (path.size() == 1 && start) {
        // The first piece leaves the start node along its edge's direction;
        // with the mouse behind that edge it steps away from the block first,
        // then crosses to the mouse's line.
        const QPoint out = Outward(start->NodeEdge(drawing_.wire->StartBlockNode()));
        const int ahead = (to.x() - from.x()) * out.x() + (to.y() - from.y()) * out.y();
        if (ahead < 10) {
            const QPoint away = from + out * 10;
            path.push_back(away);
            path.push_back(out.x() != 0 ? QPoint(away.x(), to.y()) : QPoint(to.x(), away.y()));
        } else {
            path.push_back(out.x() != 0 ? QPoint(to.x(), from.y()) : QPoint(from.x(), to.y()));
        }
    } else {
        path.push_back({to.x(), from.y()});
    }
    path.push_back(to);
    std::vector<QPoint> clean;
    for (const QPoint& p : path)
        if (clean.empty() || clean.back() != p) clean.push_back(p);
    return clean;
}

void KDiagramCanvas::PaintGestures(QPainter& painter) const {
    if (drawing_.wire) {
        painter.setPen(QPen(Qt::black, 0));
        const std::vector<QPoint> path = RubberPath();
        if (path.size() >= 2) painter.drawPolyline(path.data(), int(path.size()));
    }
    if (band_.active) {
        painter.setPen(QPen(Qt::black, 0, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(band_.start, band_.current).normalized());
    }
    if (drag_.active && elements_) {
        // The outline of the whole selection at the snapped offset.
        const QPoint offset = drag_.current - drag_.origin;
        painter.setPen(QPen(Qt::black, 0, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        for (const auto& e : elements_->All()) {
            if (!e->selected || !e->IsBlock() || e->Page() != page_ || e->ParentModule() >= 0) continue;
            const auto& b = static_cast<const KBlock&>(*e);
            painter.drawRect(QRect(b.X() + offset.x(), b.Y() + offset.y(), b.Width(), b.Height()));
        }
    }
}

void KDiagramCanvas::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    if (!elements_) return;
    painter.setClipRect(event->rect());
    painter.scale(zoom_, zoom_);
    painter.setFont(PageTextFont());
    KPaintOptions options;
    options.faultWires = &faultWires_;
    options.glyphs = glyphs_;
    const QRectF area = QRectF(event->rect()).adjusted(-1, -1, 1, 1);
    options.area = QRect(QPoint(int(std::floor(area.left() / zoom_)), int(std::floor(area.top() / zoom_))),
                         QPoint(int(std::ceil(area.right() / zoom_)), int(std::ceil(area.bottom() / zoom_))));
    PaintCanvasPage(painter, *elements_, page_, options);
    PaintGestures(painter);
}

}  // namespace korvel
