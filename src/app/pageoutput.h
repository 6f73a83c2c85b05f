// Pages drawn outside the window: printed sheets (one per page, scaled to
// fit, under a header line and a "Sheet: " line) and page images saved as
// BMP, PNG or SVG (the whole page at zoom 1, without the selection). Both
// draw the page's texts in the canvas's page font (KDiagramCanvas::
// PageTextFont), so names and Notes take the room they take on screen.
#pragma once

#include <QString>
#include <string>
#include <vector>

class QFont;
class QPrinter;

namespace korvel {

class KElements;

void PrintPages(QPrinter& printer, const KElements& elements,
                const std::vector<std::string>& pageNames, const QString& header,
                const QFont& pageFont);

// Writes the page to `path`; the format follows the extension (.png, .svg,
// anything else BMP). On failure answers false with a message in `error`.
bool SavePageImage(const QString& path, const KElements& elements, int page, const QFont& pageFont,
                   std::string& error);

}  // namespace korvel
