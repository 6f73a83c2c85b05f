#include "app/pageoutput.h"

#include <QFileInfo>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QSvgGenerator>

#include "app/canvas/canvaspainter.h"
#include "app/canvas/glyphs.h"

namespace korvel {

namespace {

// The area a page image covers: its elements' extent, at least a small page.
QRect ImageArea(const KElements& elements, int page) {
    QRect extent = CanvasExtent(elements, page);
    if (extent.isEmpty()) extent = QRect(0, 0, 200, 200);
    return extent.adjusted(-10, -10, 10, 10);
}

}  // namespace

void PrintPages(QPrinter& printer, const KElements& elements,
                const std::vector<std::string>& pageNames, const QString& header,
                const QFont& pageFont) {
    QPainter painter;
    if (!painter.begin(&printer)) return;
    for (std::size_t page = 0; page < pageNames.size(); ++page) {
        if (page > 0) printer.newPage();
        const QRect sheet = painter.viewport();
        QFont font = painter.font();
        font.setPointSize(10);
        painter.setFont(font);
        const int line = painter.fontMetrics().height();
        painter.drawText(0, line, header);
        painter.drawText(0, 2 * line, "Sheet: " + QString::fromStdString(pageNames[page]));
        const QRect area = ImageArea(elements, int(page));
        const QRect room(0, 3 * line, sheet.width(), sheet.height() - 3 * line);
        const double scale =
            std::min(double(room.width()) / area.width(), double(room.height()) / area.height());
        painter.save();
        painter.translate(room.topLeft());
        painter.scale(scale, scale);
        painter.translate(-area.topLeft());
        painter.setFont(pageFont);
        PaintCanvasPage(painter, elements, int(page), KPaintOptions{false, nullptr, {}, &KGlyphs::Shared()});
        painter.restore();
    }
    painter.end();
}

bool SavePageImage(const QString& path, const KElements& elements, int page, const QFont& pageFont,
                   std::string& error) {
    const QRect area = ImageArea(elements, page);
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == "svg") {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(area.size());
        svg.setViewBox(QRect(QPoint(0, 0), area.size()));
        svg.setTitle("Korvel page");
        QPainter painter;
        if (!painter.begin(&svg)) {
            error = "Cannot write to " + path.toStdString();
            return false;
        }
        painter.translate(-area.topLeft());
        painter.setFont(pageFont);
        PaintCanvasPage(painter, elements, page, KPaintOptions{false, nullptr, {}, &KGlyphs::Shared()});
        painter.end();
        return true;
    }
    QImage image(area.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.translate(-area.topLeft());
        painter.setFont(pageFont);
        PaintCanvasPage(painter, elements, page, KPaintOptions{false, nullptr, {}, &KGlyphs::Shared()});
    }
    if (!image.save(path, suffix == "png" ? "PNG" : "BMP")) {
        error = "Cannot write to " + path.toStdString();
        return false;
    }
    return true;
}

}  // namespace korvel
