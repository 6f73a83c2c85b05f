#include "app/canvas/canvaspainter.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <array>
#include <cmath>

#include "app/canvas/glyphs.h"
#include "model/block.h"
#include "model/elements.h"
#include "model/wire.h"

namespace korvel {

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

// Node marks: a triangle reaches this far outside the edge; a square has this side.
constexpr int kTriangleDepth = 6;
constexpr int kTriangleHalf = 3;
constexpr int kSquareSide = 5;

// Outward direction of an edge.
QPoint Outward(KEdge edge) {
    switch (edge) {
        case KEdge::Top: return {0, -1};
        case KEdge::Bottom: return {0, 1};
        case KEdge::Left: return {-1, 0};
        case KEdge::Right: return {1, 0};
    }
    return {0, 0};
}

void PaintNode(QPainter& painter, const KBlock& block, int index) {
    const KNode& node = block.Node(index);
    const KPoint p = block.NodePoint(index);
    const QPoint at(p.x, p.y);
    const QPoint out = Outward(block.NodeEdge(index));
    const QPoint side(out.y(), out.x());  // along the edge
    painter.setPen(QPen(Qt::black, 0));
    if (node.IsValueOnly()) {
        // A square just outside the edge, filled when its text is not empty.
        const QPoint centre = at + out * (kSquareSide / 2 + 1);
        const QRect square(centre.x() - kSquareSide / 2, centre.y() - kSquareSide / 2, kSquareSide - 1,
                           kSquareSide - 1);
        painter.setBrush(node.HasText() ? QBrush(Qt::black) : QBrush(Qt::white));
        painter.drawRect(square);
        return;
    }
    // Inputs point into the block, outputs out of it.
    const bool output = node.IsSource();
    const QPoint base = output ? at : at + out * kTriangleDepth;
    const QPoint tip = output ? at + out * kTriangleDepth : at;
    const std::array<QPoint, 3> triangle = {base + side * kTriangleHalf, base - side * kTriangleHalf, tip};
    painter.setBrush(Qt::black);
    painter.drawPolygon(triangle.data(), 3);
}

// A custom module block names each node inside its body beside the node.
void PaintNodeNames(QPainter& painter, const KBlock& block) {
    const QFontMetrics metrics(painter.font());
    painter.setPen(Qt::black);
    for (int i = 0; i < block.NodeCount(); ++i) {
        const KPoint p = block.NodePoint(i);
        const QString name = Q(block.Node(i).Name());
        const int w = metrics.horizontalAdvance(name);
        const int h = metrics.height();
        QRect r;
        switch (block.NodeEdge(i)) {
            case KEdge::Left: r = QRect(p.x + 3, p.y - h / 2, w, h); break;
            case KEdge::Right: r = QRect(p.x - 3 - w, p.y - h / 2, w, h); break;
            case KEdge::Top: r = QRect(p.x - w / 2, p.y + 2, w, h); break;
            case KEdge::Bottom: r = QRect(p.x - w / 2, p.y - 2 - h, w, h); break;
        }
        painter.drawText(r, Qt::AlignCenter | Qt::TextDontClip, name);
    }
}

void PaintBody(QPainter& painter, const KBlock& block, const KBodyColours& colours, bool showSelection) {
    // The outline's pixels are those the hit test counts: X to X + width - 1.
    const QRect body(block.X(), block.Y(), block.Width() - 1, block.Height() - 1);
    const KShape shape = block.TypeRecord().shape;
    if (shape == KShape::Frame && !(showSelection && block.selected)) return;
    painter.setPen(QPen(colours.outline, 0));
    painter.setBrush(colours.fill);
    switch (shape) {
        case KShape::Rounded: painter.drawRoundedRect(body, 5, 5); break;
        case KShape::Ellipse: painter.drawEllipse(body); break;
        case KShape::Rectangle:
        case KShape::Frame: painter.drawRect(body); break;
    }
}

void PaintBodyText(QPainter& painter, const KBlock& block) {
    const KBlockType& type = block.TypeRecord();
    if (type.bodyText1.empty() && type.bodyText2.empty()) return;
    const QRect body(block.X(), block.Y(), block.Width(), block.Height());
    painter.setPen(Qt::black);
    const QRect top(body.left(), body.top(), body.width(), body.height() / 2);
    const QRect bottom(body.left(), body.top() + body.height() / 2, body.width(), body.height() / 2);
    if (type.bodyText2.empty()) {
        painter.drawText(body, Qt::AlignCenter | Qt::TextDontClip, Q(type.bodyText1));
        return;
    }
    painter.drawText(top, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextDontClip, Q(type.bodyText1));
    painter.drawText(bottom, Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip, Q(type.bodyText2));
}

// A Note's text starts this far inside its body.
constexpr int kNoteMargin = 4;

QString NoteText(const KBlock& block) {
    const int index = NoteTextNode(block);
    if (index < 0) return {};
    QString text = Q(block.Node(index).Text());
    text.replace("\r\n", "\n");
    return text;
}

void PaintNoteText(QPainter& painter, const KBlock& block, const QString& text) {
    painter.setPen(Qt::black);
    const QRect inside(block.X() + kNoteMargin, block.Y() + kNoteMargin, block.Width() - 2 * kNoteMargin,
                       block.Height() - 2 * kNoteMargin);
    painter.drawText(inside, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
}

bool Meets(const KElement& e, const QRect& area) {
    if (area.isEmpty()) return true;
    if (e.IsBlock()) {
        const auto& b = static_cast<const KBlock&>(e);
        return QRect(QPoint(b.ExtentLeft(), b.ExtentTop()), QPoint(b.ExtentRight(), b.ExtentBottom()))
            .intersects(area);
    }
    const KRect r = e.Bounds();
    return QRect(QPoint(r.left - 2, r.top - 2), QPoint(r.right + 2, r.bottom + 2)).intersects(area);
}

}  // namespace

KBodyColours BodyColours(const KBlock& block, bool showSelection) {
    if (showSelection && block.selected) return {kSelectedFill, kSelectedOutline};
    if (block.IsLiveScope()) return {kLiveScopeFill, Qt::black};
    if (!block.IsComputed() || block.runFailed) return {Qt::white, kFaultOutline};
    if (block.NeedsDigitalController() || block.IsDigitalController()) return {kDigitalFill, Qt::black};
    if (block.IsLiveAdjustable()) return {kLiveFill, Qt::black};
    return {Qt::white, Qt::black};
}

// Text smaller than this many device pixels cannot be read: it is left out,
// which keeps a far zoomed-out page quick to draw.
constexpr double kLegibleTextPixels = 3.0;

bool TextLegible(const QPainter& painter) {
    const double scale = std::abs(painter.deviceTransform().m11());
    return QFontMetricsF(painter.font()).height() * scale >= kLegibleTextPixels;
}

// The glyph centred in the body; false when the block has none to draw.
bool PaintGlyph(QPainter& painter, const KBlock& block, const KGlyphs* glyphs) {
    if (!glyphs) return false;
    const double scale = std::abs(painter.deviceTransform().m11());
    const QImage* image = glyphs->Image(block.TypeRecord().glyph, block.horizSwap, scale);
    if (!image) return false;
    const QSizeF size = image->deviceIndependentSize();
    const QRectF target(block.X() + (block.Width() - size.width()) / 2.0,
                        block.Y() + (block.Height() - size.height()) / 2.0, size.width(), size.height());
    painter.drawImage(target, *image);
    return true;
}

// How far the name is drawn below the body: clear of the marks of nodes on
// the bottom edge that lie under the name's own width, else right under it.
// The label's place for hit tests stays where the model keeps it.
int LabelDrop(const KBlock& block, const KRect& label) {
    const int centre = (label.left + label.right) / 2;
    const int halfText = std::max(block.labelWidth, 1) / 2;
    for (int i = 0; i < block.NodeCount(); ++i) {
        if (block.NodeEdge(i) != KEdge::Bottom) continue;
        const int x = block.NodePoint(i).x;
        if (x + kTriangleHalf >= centre - halfText && x - kTriangleHalf <= centre + halfText)
            return kTriangleDepth + 1;
    }
    return 0;
}

void PaintBlock(QPainter& painter, const KBlock& block, bool showSelection, const KGlyphs* glyphs) {
    PaintBody(painter, block, BodyColours(block, showSelection), showSelection);
    const bool legible = TextLegible(painter);
    // A Note shows its text in place of its glyph once it has some.
    const QString note = NoteText(block);
    if (!note.isEmpty() && legible) PaintNoteText(painter, block, note);
    const bool glyph = note.isEmpty() && PaintGlyph(painter, block, glyphs);
    if (legible && block.IsCustomModule()) PaintNodeNames(painter, block);
    else if (legible && !glyph && note.isEmpty()) PaintBodyText(painter, block);
    for (int i = 0; i < block.NodeCount(); ++i) PaintNode(painter, block, i);
    if (block.userString.empty() || !legible) return;
    const KRect label = block.LabelRect();
    const int drop = LabelDrop(block, label);
    painter.setPen(Qt::black);
    painter.drawText(QRect(label.left, label.top + drop, label.right - label.left, label.bottom - label.top),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip, Q(block.userString));
}

void PaintWire(QPainter& painter, const KWire& wire, bool showSelection, bool atFault) {
    if (wire.route.size() < 2) return;
    QPolygon line;
    for (const KPoint& p : wire.route) line << QPoint(p.x, p.y);
    const bool selected = showSelection && wire.selected;
    // A compile leaves the wires at fault selected: the fault shows first.
    if (atFault) painter.setPen(QPen(kFaultOutline, 2));
    else painter.setPen(QPen(selected ? kSelectedOutline : QColor(Qt::black), 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(line);
    if (!selected || atFault) return;
    // Handles at the middle points of the middle segments, and both ends marked.
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(kSelectedOutline);
    for (std::size_t i = 2; i + 1 < wire.route.size(); ++i) {
        const KPoint a = wire.route[i - 1];
        const KPoint b = wire.route[i];
        painter.drawRect((a.x + b.x) / 2 - 2, (a.y + b.y) / 2 - 2, 4, 4);
    }
    painter.setBrush(Qt::black);
    for (const KPoint& end : {wire.route.front(), wire.route.back()}) painter.drawRect(end.x - 2, end.y - 2, 4, 4);
}

void PaintCanvasPage(QPainter& painter, const KElements& elements, int page, const KPaintOptions& options) {
    auto paint = [&](const KElement& e) {
        if (e.IsBlock()) {
            PaintBlock(painter, static_cast<const KBlock&>(e), options.showSelection, options.glyphs);
        } else if (e.IsWire()) {
            const auto& wire = static_cast<const KWire&>(e);
            const bool fault = options.faultWires && options.faultWires->count(&wire) > 0;
            PaintWire(painter, wire, options.showSelection, fault);
        }
    };
    // Unselected first, so the selection is drawn on top.
    for (int pass = 0; pass < 2; ++pass) {
        const bool selectedPass = pass == 1;
        for (const auto& e : elements.All()) {
            if (e->Page() != page || e->ParentModule() >= 0) continue;
            if ((options.showSelection && e->selected) != selectedPass) continue;
            if (!Meets(*e, options.area)) continue;
            paint(*e);
        }
    }
}

QRect CanvasExtent(const KElements& elements, int page) {
    QRect extent;
    for (const auto& e : elements.All()) {
        if (e->Page() != page || e->ParentModule() >= 0) continue;
        if (e->IsBlock()) {
            const auto& b = static_cast<const KBlock&>(*e);
            extent |= QRect(QPoint(b.ExtentLeft(), b.ExtentTop()), QPoint(b.ExtentRight(), b.ExtentBottom()));
        } else {
            const KRect r = e->Bounds();
            extent |= QRect(QPoint(r.left - 2, r.top - 2), QPoint(r.right + 2, r.bottom + 2));
        }
    }
    return extent;
}

QFont PageFont(QFont base, int points, double dpi) {
    base.setPixelSize(std::max(1, int(std::lround(std::max(points, 1) * dpi / 72.0))));
    return base;
}

int NoteTextNode(const KBlock& block) {
    if (block.GetTypeTag() != "KLabel") return -1;
    for (int i = 0; i < block.NodeCount(); ++i)
        if (block.Node(i).IsDocumentation()) return i;
    return -1;
}

void MeasureLabels(KElements& elements, const QFont& font) {
    const QFontMetrics metrics(font);
    for (const auto& e : elements.All()) {
        if (!e->IsBlock()) continue;
        auto& b = static_cast<KBlock&>(*e);
        const QString text = Q(b.userString);
        b.labelWidth = text.isEmpty() ? 0 : metrics.horizontalAdvance(text);
        b.labelHeight = text.isEmpty() ? 0 : metrics.height();
        if (NoteTextNode(b) < 0) continue;
        // Whole grid steps, so a grown Note still lines up with the grid.
        const QString note = NoteText(b);
        const QSize need = note.isEmpty() ? QSize()
                                          : metrics.boundingRect(QRect(0, 0, 100000, 100000),
                                                                 Qt::AlignLeft | Qt::AlignTop, note)
                                                .size() + QSize(2 * kNoteMargin, 2 * kNoteMargin);
        auto grid = [](int v) { return (v + 9) / 10 * 10; };
        b.SetSize(std::max(b.TypeRecord().width, grid(need.width())),
                  std::max(b.TypeRecord().height, grid(need.height())));
    }
}

}  // namespace korvel
