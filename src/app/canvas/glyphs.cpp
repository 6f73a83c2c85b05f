#include "app/canvas/glyphs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QSvgRenderer>
#include <cmath>
#include <map>

#include "app/platform.h"
#include "model/blocktype.h"

namespace korvel {

namespace {

constexpr int kBorder = 2;  // a glyph leaves this much of the body free on every side

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

// White drawn as transparent, so a glyph shows the body's fill around its lines.
QImage WhiteToTransparent(const QImage& image) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] & 0xFFFFFFu) == 0xFFFFFFu) line[x] = 0;
    }
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QString Variant(bool hreverse) { return hreverse ? "HReverse.bmp" : ".bmp"; }

}  // namespace

QString GlyphName(std::string_view tableField) {
    const auto slash = tableField.find_last_of("\\/");
    if (slash != std::string_view::npos) tableField.remove_prefix(slash + 1);
    return QString::fromUtf8(tableField.data(), qsizetype(tableField.size()));
}

std::vector<KGlyphSpec> GlyphSpecs() {
    std::map<QString, QSize> sizes;
    for (const KBlockType& type : BlockTypes()) {
        if (type.glyph.empty()) continue;
        const QSize size(type.width - 2 * kBorder, type.height - 2 * kBorder);
        auto [it, added] = sizes.emplace(GlyphName(type.glyph), size);
        if (!added && size.width() * size.height() < it->second.width() * it->second.height()) it->second = size;
    }
    std::vector<KGlyphSpec> specs;
    for (const auto& [name, size] : sizes) specs.push_back({name, size});
    return specs;
}

QImage RenderGlyph(const QByteArray& svg, QSize size, bool hreverse, double scale, bool transparent) {
    QSvgRenderer renderer(svg);
    const QSize pixels(int(std::ceil(size.width() * scale)), int(std::ceil(size.height() * scale)));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(transparent ? Qt::transparent : Qt::white);
    if (!renderer.isValid()) return image;
    // The picture's lines first; mirrored as pixels so the variant is exactly the mirror.
    {
        QPainter painter(&image);
        painter.scale(scale, scale);
        if (renderer.elementExists("art")) renderer.render(&painter, "art", renderer.boundsOnElement("art"));
        else renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    if (hreverse) image.mirror(true, false);
    // Texts go on afterwards, unmirrored; in the variant each keeps its own
    // reading direction at the mirrored place.
    QPainter painter(&image);
    painter.scale(scale, scale);
    for (int i = 0; renderer.elementExists(QString("text%1").arg(i)); ++i) {
        const QString id = QString("text%1").arg(i);
        QRectF bounds = renderer.boundsOnElement(id);
        if (hreverse) bounds.moveLeft(size.width() - bounds.right());
        renderer.render(&painter, id, bounds);
    }
    painter.end();
    return transparent ? image : image.convertToFormat(QImage::Format_RGB32);
}

bool WriteGlyphBitmaps(const QString& vectorFolder, const QString& folder, std::string& error) {
    if (!QDir().mkpath(folder)) {
        error = "Cannot create the folder " + folder.toStdString();
        return false;
    }
    for (const KGlyphSpec& spec : GlyphSpecs()) {
        const QString source = vectorFolder + "/" + spec.name + ".svg";
        const QByteArray svg = ReadAll(source);
        if (svg.isEmpty()) {
            error = "Cannot read the glyph source " + source.toStdString();
            return false;
        }
        for (bool hreverse : {false, true}) {
            const QString path = folder + "/" + spec.name + Variant(hreverse);
            if (!RenderGlyph(svg, spec.size, hreverse, 1.0, false).save(path, "BMP")) {
                error = "Cannot write " + path.toStdString();
                return false;
            }
        }
    }
    return true;
}

bool WriteGlyphSheet(const QString& vectorFolder, const QString& file, std::string& error) {
    const std::vector<KGlyphSpec> specs = GlyphSpecs();
    constexpr int kColumns = 4;
    constexpr int kCellWidth = 360;
    constexpr int kCellHeight = 130;  // room for the tallest glyph (the dial) and its name
    const int rows = int(specs.size() + kColumns - 1) / kColumns;
    QImage sheet(kColumns * kCellWidth, rows * kCellHeight, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);
    for (std::size_t i = 0; i < specs.size(); ++i) {
        const KGlyphSpec& spec = specs[i];
        const QPoint cell(int(i % kColumns) * kCellWidth, int(i / kColumns) * kCellHeight);
        const QByteArray svg = ReadAll(vectorFolder + "/" + spec.name + ".svg");
        if (svg.isEmpty()) {
            error = "Cannot read the glyph source " + (vectorFolder + "/" + spec.name + ".svg").toStdString();
            return false;
        }
        painter.setPen(Qt::black);
        painter.drawText(cell + QPoint(4, 14), spec.name);
        for (bool hreverse : {false, true}) {
            const QPoint at = cell + QPoint(4 + (hreverse ? 170 : 0), 22);
            painter.setPen(Qt::lightGray);
            painter.drawRect(QRect(at - QPoint(1, 1), spec.size + QSize(1, 1)));
            painter.drawImage(at, RenderGlyph(svg, spec.size, hreverse, 1.0, false));
        }
    }
    painter.end();
    if (!sheet.save(file, "PNG")) {
        error = "Cannot write " + file.toStdString();
        return false;
    }
    return true;
}

const KGlyphs& KGlyphs::Shared(const std::function<void(const std::string& file)>& warn) {
    static KGlyphs* shared = [&] {
        auto* glyphs = new KGlyphs(DataFolder() + "/Glyphs", DataFolder() + "/glyphs");
        glyphs->warn = warn;
        glyphs->Load();
        return glyphs;
    }();
    return *shared;
}

KGlyphs::KGlyphs(QString glyphFolder, QString vectorFolder)
    : glyphFolder_(std::move(glyphFolder)), vectorFolder_(std::move(vectorFolder)) {}

void KGlyphs::Load() {
    entries_.clear();
    scaled_.clear();
    for (const KGlyphSpec& spec : GlyphSpecs()) {
        Entry entry;
        entry.size = spec.size;
        entry.svg = ReadAll(vectorFolder_ + "/" + spec.name + ".svg");
        for (int v = 0; v < 2; ++v) {
            const QString path = glyphFolder_ + "/" + spec.name + Variant(v == 1);
            if (!QFileInfo::exists(path)) continue;
            QImage file(path);
            const QImage ours = entry.svg.isEmpty() ? QImage() : RenderGlyph(entry.svg, spec.size, v == 1, 1.0, false);
            if (file.isNull()) {
                if (warn) warn(path.toStdString());
                if (ours.isNull()) continue;
                file = ours;
            }
            file = file.convertToFormat(QImage::Format_RGB32);
            entry.builtIn[v] = !ours.isNull() && file == ours;
            entry.bitmap[v] = WhiteToTransparent(file);
        }
        entries_.insert(spec.name, std::move(entry));
    }
}

const QImage* KGlyphs::Image(std::string_view tableField, bool hreverse, double deviceScale) const {
    if (tableField.empty()) return nullptr;
    const QString name = GlyphName(tableField);
    const auto it = entries_.constFind(name);
    if (it == entries_.constEnd()) return nullptr;
    const Entry& entry = *it;
    const int v = hreverse ? 1 : 0;
    if (entry.bitmap[v].isNull()) return nullptr;
    if (deviceScale <= 1.0 || !entry.builtIn[v]) return &entry.bitmap[v];
    // Sharp at any enlargement: our own glyphs come from the vector.
    const double scale = std::round(deviceScale * 100.0) / 100.0;
    const QString key = name + (hreverse ? "#r" : "#") + QString::number(scale);
    auto cached = scaled_.find(key);
    if (cached == scaled_.end()) {
        QImage image = RenderGlyph(entry.svg, entry.size, hreverse, scale, true);
        image.setDevicePixelRatio(scale);
        cached = scaled_.insert(key, image);
    }
    return &*cached;
}

}  // namespace korvel
