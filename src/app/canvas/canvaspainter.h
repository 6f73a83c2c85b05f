// The one painter of a page: the canvas, page images and printing all draw
// through it, so what a user sees on screen is what a file or a sheet shows.
// Everything is drawn in page pixels; the caller's painter carries the zoom
// (and any device scale), so lines and text stay sharp at every zoom.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <unordered_set>

class QPainter;

namespace korvel {

class KBlock;
class KElements;
class KGlyphs;
class KWire;

// Body colours, red-green-blue.
inline const QColor kSelectedOutline{0x00, 0xFF, 0x00};
inline const QColor kSelectedFill{0x80, 0x80, 0x80};
inline const QColor kLiveScopeFill{0x00, 0x80, 0x00};
inline const QColor kFaultOutline{0xFF, 0x00, 0x00};
inline const QColor kDigitalFill{0xFF, 0xFF, 0x00};
inline const QColor kLiveFill{0xC0, 0xC0, 0xC0};

// The smallest page a canvas shows, in page pixels.
inline constexpr int kMinPageWidth = 3000;
inline constexpr int kMinPageHeight = 2000;

struct KPaintOptions {
    bool showSelection = true;
    // Wires a failed compile found at fault, drawn red and 2 pixels wide.
    const std::unordered_set<const KWire*>* faultWires = nullptr;
    // Only elements meeting this rectangle (page pixels) are drawn; empty: all.
    QRect area;
    // Glyph images; without them every block shows its body text.
    const KGlyphs* glyphs = nullptr;
};

// Fill and outline of a block body by the order of precedence.
struct KBodyColours {
    QColor fill;
    QColor outline;
};
KBodyColours BodyColours(const KBlock& block, bool showSelection);

void PaintBlock(QPainter& painter, const KBlock& block, bool showSelection, const KGlyphs* glyphs);
void PaintWire(QPainter& painter, const KWire& wire, bool showSelection, bool atFault);
// The page's top-level elements, unselected first and selected after them.
void PaintCanvasPage(QPainter& painter, const KElements& elements, int page,
                     const KPaintOptions& options);

// The extent of the page's top-level elements (their four extents), or an
// empty rectangle for an empty page.
QRect CanvasExtent(const KElements& elements, int page);

// The font of a page's texts (names, body texts, Notes): the family of
// `base` at `points`, fixed in page pixels at the screen's `dpi`. Page pixels
// are what every painter of a page draws in, so a page image or a printed
// sheet lays out each text exactly as the canvas does.
QFont PageFont(QFont base, int points, double dpi);

// The index of a Note's text node, or -1 for any other block.
int NoteTextNode(const KBlock& block);

// Measures every block's name label in the page font and stores the size on
// the block for hit tests; a Note's body grows to hold its text.
void MeasureLabels(KElements& elements, const QFont& font);

}  // namespace korvel
