// Block glyphs: a vector source for every glyph of the type table, the two
// bitmaps rendered from it, the lookup rule (a user's file wins, a missing
// file draws the body text), mirrored variants, and sharp enlargements.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/canvas/glyphs.h"
#include "canvastesting.h"

namespace korvel::testing {
namespace {

const QString kSources = QString(KORVEL_DATA) + "/glyphs";

struct Glyphs : CanvasFixture {
    Glyphs() {
        std::string error;
        folder = glyphDir.path() + "/Glyphs";
        EXPECT_TRUE(WriteGlyphBitmaps(kSources, folder, error)) << error;
    }
    QTemporaryDir glyphDir;
    QString folder;
};

bool HasText(const QString& name) {
    QFile file(kSources + "/" + name + ".svg");
    return file.open(QIODevice::ReadOnly) && file.readAll().contains("<text");
}

TEST(GlyphTable, EveryGlyphOfTheTypeTableHasAVectorSource) {
    const std::vector<KGlyphSpec> specs = GlyphSpecs();
    EXPECT_EQ(specs.size(), 126u);
    for (const KGlyphSpec& spec : specs) {
        EXPECT_TRUE(QFile::exists(kSources + "/" + spec.name + ".svg")) << spec.name.toStdString();
        EXPECT_GT(spec.size.width(), 0);
    }
    // The size is the smallest body using it, less 2 pixels on every side.
    EXPECT_EQ(GlyphName("Glyphs\\IconLPF1"), "IconLPF1");
    for (const KGlyphSpec& spec : specs)
        if (spec.name == "IconLPF1") {
            EXPECT_EQ(spec.size, QSize(46, 36));
        }
}

TEST_F(Glyphs, BothBitmapsAreWrittenAndTheVariantWithoutTextIsTheMirror) {
    int withoutText = 0;
    for (const KGlyphSpec& spec : GlyphSpecs()) {
        SCOPED_TRACE(spec.name.toStdString());
        const QImage base(folder + "/" + spec.name + ".bmp");
        const QImage reverse(folder + "/" + spec.name + "HReverse.bmp");
        ASSERT_FALSE(base.isNull());
        ASSERT_FALSE(reverse.isNull());
        EXPECT_EQ(base.size(), spec.size);
        EXPECT_NE(base, QImage(spec.size, base.format())) << "not blank";
        if (HasText(spec.name)) continue;
        ++withoutText;
        EXPECT_EQ(reverse.convertToFormat(QImage::Format_RGB32),
                  base.mirrored(true, false).convertToFormat(QImage::Format_RGB32));
    }
    EXPECT_GT(withoutText, 30);
}

TEST_F(Glyphs, AFlippedBlockShowsTheMirroredBitmap) {
    KGlyphs glyphs(folder, kSources);
    glyphs.Load();
    canvas->SetGlyphs(&glyphs);
    KBlock& block = AddBlock("KLpf1", 100, 100);
    const QImage base(folder + "/IconLPF1.bmp");
    const QImage reverse(folder + "/IconLPF1HReverse.bmp");
    // A pixel black in the base and white in the variant.
    QPoint probe(-1, -1);
    for (int y = 0; y < base.height() && probe.x() < 0; ++y)
        for (int x = 0; x < base.width(); ++x)
            if (base.pixelColor(x, y) == Qt::black && reverse.pixelColor(x, y) == Qt::white) {
                probe = {x, y};
                break;
            }
    ASSERT_GE(probe.x(), 0);
    const QPoint at(block.X() + 2 + probe.x(), block.Y() + 2 + probe.y());
    EXPECT_EQ(Picture().pixelColor(at), QColor(Qt::black));
    block.horizSwap = true;
    EXPECT_EQ(Picture().pixelColor(at), QColor(Qt::white));
}

TEST_F(Glyphs, AUserFileWinsAMissingFileDrawsNothingAndAnUnreadableOneWarnsOnce) {
    QImage mine(10, 10, QImage::Format_RGB32);
    mine.fill(Qt::black);
    ASSERT_TRUE(mine.save(folder + "/IconInt.bmp", "BMP"));
    ASSERT_TRUE(QFile::remove(folder + "/IconClampHReverse.bmp"));
    {
        QFile junk(folder + "/IconSin.bmp");
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly | QIODevice::Truncate));
        junk.write("not an image");
    }
    KGlyphs glyphs(folder, kSources);
    std::vector<std::string> warned;
    glyphs.warn = [&](const std::string& file) { warned.push_back(file); };
    glyphs.Load();
    ASSERT_EQ(warned.size(), 1u);
    EXPECT_EQ(warned[0], (folder + "/IconSin.bmp").toStdString());

    const QImage* user = glyphs.Image("Glyphs\\IconInt", false, 2.0);
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(user->size(), QSize(10, 10)) << "a user's bitmap is drawn as it is";
    EXPECT_NE(glyphs.Image("Glyphs\\IconClamp", false, 1.0), nullptr);
    EXPECT_EQ(glyphs.Image("Glyphs\\IconClamp", true, 1.0), nullptr);
    const QImage* sine = glyphs.Image("Glyphs\\IconSin", false, 1.0);
    ASSERT_NE(sine, nullptr);
    EXPECT_EQ(sine->size(), QSize(46, 26));
    EXPECT_EQ(glyphs.Image("", false, 1.0), nullptr);
}

TEST_F(Glyphs, BuiltInGlyphsAreRenderedAtTheDeviceScale) {
    KGlyphs glyphs(folder, kSources);
    glyphs.Load();
    const QImage* one = glyphs.Image("Glyphs\\IconLPF1", false, 1.0);
    const QImage* two = glyphs.Image("Glyphs\\IconLPF1", false, 2.0);
    ASSERT_TRUE(one && two);
    EXPECT_EQ(one->size(), QSize(46, 36));
    EXPECT_EQ(two->size(), QSize(92, 72));
    EXPECT_EQ(two->deviceIndependentSize(), QSizeF(46, 36));
    EXPECT_EQ(glyphs.Image("Glyphs\\IconLPF1", false, 2.0), two) << "made once";
}

TEST_F(Glyphs, TheSheetShowsEveryGlyph) {
    const QString sheet = glyphDir.path() + "/sheet.png";
    std::string error;
    ASSERT_TRUE(WriteGlyphSheet(kSources, sheet, error)) << error;
    const QImage image(sheet);
    ASSERT_FALSE(image.isNull());
    EXPECT_GE(image.height(), 126 / 4 * 100);
    EXPECT_FALSE(WriteGlyphSheet(kSources, glyphDir.path() + "/no/such/folder/sheet.png", error));
}

}  // namespace
}  // namespace korvel::testing
