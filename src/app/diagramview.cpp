#include "app/diagramview.h"

#include <QPaintEvent>
#include <QPainter>

#include "model/block.h"
#include "model/elements.h"
#include "model/wire.h"

namespace korvel {

namespace {

// Room kept around the elements so a view can scroll a little past them.
constexpr int kMargin = 200;

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QRect ToQRect(const KRect& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

constexpr int kNameHalfWidth = 150;

void PaintBlock(QPainter& painter, const KBlock& block, bool showSelection) {
    const QRect body(block.X(), block.Y(), block.Width(), block.Height());
    painter.setPen(QPen(showSelection && block.selected ? Qt::blue : Qt::black, 1));
    // Blocks the last compile or run found at fault are drawn red.
    const bool atFault = block.runFailed || !block.IsComputed();
    painter.setBrush(atFault ? QColor(255, 200, 200) : QColor(255, 255, 240));
    painter.drawRect(body);
    // The name centred under the body, as wide as it needs.
    painter.setPen(Qt::black);
    painter.drawText(
        QRect(body.center().x() - kNameHalfWidth, body.bottom() + 2, 2 * kNameHalfWidth, 16),
        Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip, Q(block.userString));
}

void PaintWire(QPainter& painter, const KWire& wire, bool showSelection) {
    if (wire.route.size() < 2) return;
    painter.setPen(QPen(showSelection && wire.selected ? Qt::blue : Qt::darkGreen, 1));
    QPolygon line;
    for (const KPoint& p : wire.route) line << QPoint(p.x, p.y);
    painter.drawPolyline(line);
}

}  // namespace

void PaintPage(QPainter& painter, const KElements& elements, int page, bool showSelection) {
    for (const auto& e : elements.All()) {
        if (e->Page() != page || e->ParentModule() >= 0) continue;
        if (e->IsBlock())
            PaintBlock(painter, static_cast<const KBlock&>(*e), showSelection);
        else if (e->IsWire())
            PaintWire(painter, static_cast<const KWire&>(*e), showSelection);
    }
}

QRect PageExtent(const KElements& elements, int page) {
    QRect extent;
    for (const auto& e : elements.All()) {
        if (e->Page() != page || e->ParentModule() >= 0) continue;
        if (e->IsBlock()) {
            const auto& b = static_cast<const KBlock&>(*e);
            extent |= QRect(QPoint(b.ExtentLeft(), b.ExtentTop()),
                            QPoint(b.ExtentRight(), b.ExtentBottom()));
        } else {
            extent |= ToQRect(e->Bounds()).adjusted(-2, -2, 2, 2);
        }
    }
    return extent;
}

KDiagramView::KDiagramView(const KElements* elements, QWidget* parent)
    : QWidget(parent), elements_(elements) {
    setObjectName("PBDiagram");
    setAccessibleName("Diagram");
    setMouseTracking(true);
    ModelChanged();
}

void KDiagramView::SetElements(const KElements* elements) {
    elements_ = elements;
    ModelChanged();
}

void KDiagramView::SetPage(int page) {
    page_ = page;
    ModelChanged();
}

void KDiagramView::SetZoom(double zoom) {
    zoom_ = zoom;
    ModelChanged();
}

void KDiagramView::ModelChanged() {
    QRect extent = elements_ ? PageExtent(*elements_, page_) : QRect();
    const int w = std::max(extent.right(), 0) + kMargin;
    const int h = std::max(extent.bottom(), 0) + kMargin;
    // The scroll area stretches the view over its viewport but never below this.
    setMinimumSize(std::max(int(w * zoom_), 100), std::max(int(h * zoom_), 100));
    resize(parentWidget() ? minimumSize().expandedTo(parentWidget()->size()) : minimumSize());
    update();
}

const KElement* KDiagramView::ElementAt(QPoint widgetPoint) const {
    if (!elements_) return nullptr;
    const int x = int(widgetPoint.x() / zoom_);
    const int y = int(widgetPoint.y() / zoom_);
    const auto all = elements_->All();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        const KElement& e = **it;
        if (e.Page() != page_ || !e.IsBlock() || e.ParentModule() >= 0) continue;
        const auto& b = static_cast<const KBlock&>(e);
        if (b.BodyContains(x, y) || b.LabelContains(x, y)) return &e;
    }
    return nullptr;
}

void KDiagramView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    painter.setClipRect(event->rect());
    if (!elements_) return;
    painter.scale(zoom_, zoom_);
    PaintPage(painter, *elements_, page_, true);
}

}  // namespace korvel
