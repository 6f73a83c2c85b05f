// Block glyphs: the small pictures drawn centred in a block's body.
//
// Every glyph of the type table has a vector source of our own
// (data/glyphs/<name>.svg). The build renders each to the bitmaps a block
// looks up: Glyphs/<name>.bmp and Glyphs/<name>HReverse.bmp (the left-right
// mirror, with any text mirrored in place so it stays readable), at the body
// size of the smallest type using it less 2 pixels on every side.
//
// A block draws the bitmap file of its glyph name from the Glyphs folder;
// a file the user put there wins. When the file is one of ours, drawing at
// more than one device pixel per page pixel renders the vector at that
// scale instead of enlarging the bitmap. A user's file that is not a
// readable image is named in one warning and the built-in glyph is drawn.
// A glyph whose file is missing draws nothing (the body text shows).
//
// Everything is read when the glyph set is loaded and cached: painting
// never reads a file.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QSize>
#include <QString>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

// A glyph's base name from the type table's field ("Glyphs\IconLPF1" gives "IconLPF1").
QString GlyphName(std::string_view tableField);

// Every distinct glyph name of the type table with its bitmap size.
struct KGlyphSpec {
    QString name;
    QSize size;
};
std::vector<KGlyphSpec> GlyphSpecs();

// Renders a vector glyph at `scale` device pixels per glyph pixel; the
// background is white, or transparent when asked.
QImage RenderGlyph(const QByteArray& svg, QSize size, bool hreverse, double scale, bool transparent);

// Writes both bitmaps of every glyph into `folder`; false with a message on failure.
bool WriteGlyphBitmaps(const QString& vectorFolder, const QString& folder, std::string& error);
// Writes one labelled sheet of every glyph and its mirrored variant.
bool WriteGlyphSheet(const QString& vectorFolder, const QString& file, std::string& error);

class KGlyphs {
public:
    // `glyphFolder` holds the bitmaps (base folder + "/Glyphs"), `vectorFolder` the sources.
    KGlyphs(QString glyphFolder, QString vectorFolder);

    // Reads every bitmap and vector source once.
    void Load();
    // The image to draw for a glyph at a device scale, or nullptr for none.
    // The image's device pixel ratio gives its size in page pixels.
    const QImage* Image(std::string_view tableField, bool hreverse, double deviceScale) const;

    // Called once for each user file that is not a readable image.
    std::function<void(const std::string& file)> warn;

    // The glyph set of the program's data folder, loaded by the first call
    // (whose `warn` hears about unreadable files).
    static const KGlyphs& Shared(const std::function<void(const std::string& file)>& warn = {});

private:
    struct Entry {
        QImage bitmap[2];       // base, HReverse; white drawn transparent
        bool builtIn[2] = {false, false};
        QByteArray svg;
        QSize size;
    };
    QString glyphFolder_;
    QString vectorFolder_;
    QHash<QString, Entry> entries_;
    mutable QHash<QString, QImage> scaled_;  // vector renderings by name, variant and scale
};

}  // namespace korvel
