// A read-only view of one page of the model: block bodies as outlined
// rectangles with their names, wires as their routes, at the window's zoom.
// It stands in for the editing canvas, which replaces it; the page painter
// is shared with printing and page images.
#pragma once

#include <QRect>
#include <QWidget>

class QPainter;

namespace korvel {

class KElement;
class KElements;

// Draws a page's elements in page pixels (the painter carries any scale).
void PaintPage(QPainter& painter, const KElements& elements, int page, bool showSelection);
// The page's drawn extent in page pixels (empty page: an empty rectangle).
QRect PageExtent(const KElements& elements, int page);

class KDiagramView final : public QWidget {
    Q_OBJECT
public:
    explicit KDiagramView(const KElements* elements, QWidget* parent = nullptr);

    void SetElements(const KElements* elements);
    void SetPage(int page);
    int Page() const { return page_; }
    void SetZoom(double zoom);
    double Zoom() const { return zoom_; }
    // The element drawn at a point of the widget (blocks by body or label), or nullptr.
    const KElement* ElementAt(QPoint widgetPoint) const;
    // Recomputes the size after the model changed, then repaints.
    void ModelChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const KElements* elements_;
    int page_ = 0;
    double zoom_ = 1.0;
};

}  // namespace korvel
