// The window's files: the save-changes prompt before New, Open and closing,
// Save and Save As, failed opens, recent files, page images and printing.
#include <QFile>
#include <QPrinter>
#include <QTabBar>
#include <QTest>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "app/canvas/diagramcanvas.h"
#include "app/manual.h"
#include "app/pageoutput.h"
#include "app/platform.h"
#include "engine/benchtop.h"
#include "windowtesting.h"

namespace korvel::testing {
namespace {

struct WindowFiles : WindowFixture {
    // Opens a copy of the oscillator example with one piece of its text
    // replaced (the examples keep CR LF).
    void OpenEdited(const std::string& from, const std::string& to) {
        std::string text = ReadFile(Example("oscillator.kvd"));
        const auto at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        WriteFile(Path("edited.kvd"), text.replace(at, from.size(), to));
        ASSERT_TRUE(window->OpenPath(Path("edited.kvd")));
    }
};

enum class Then { New, Open, Close };
enum class Save { Ok, Fails, Cancelled };

struct PromptCase {
    const char* name;
    bool titled;
    KChoice answer;
    Save save;
    bool goesOn;
};

// The save-changes prompt: its text, whether the command goes on, and the
// bytes of the model's file afterwards.
TEST_F(WindowFiles, SaveChangesPromptMatrix) {
    const PromptCase cases[] = {
        {"titled yes", true, KChoice::Yes, Save::Ok, true},
        {"titled yes, save fails", true, KChoice::Yes, Save::Fails, false},
        {"titled no", true, KChoice::No, Save::Ok, true},
        {"titled cancel", true, KChoice::Cancel, Save::Ok, false},
        {"untitled yes", false, KChoice::Yes, Save::Ok, true},
        {"untitled yes, save as cancelled", false, KChoice::Yes, Save::Cancelled, false},
        {"untitled yes, save fails", false, KChoice::Yes, Save::Fails, false},
        {"untitled no", false, KChoice::No, Save::Ok, true},
        {"untitled cancel", false, KChoice::Cancel, Save::Ok, false},
    };
    const std::string other = CopyExample("filter_step.kvd");
    int round = 0;
    for (Then then : {Then::New, Then::Open, Then::Close}) {
        for (const PromptCase& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " then " + std::to_string(int(then)));
            const std::string model = Path("model" + std::to_string(round++) + ".kvd");
            window->Start(false, "");
            if (c.titled) {
                WriteFile(model, ReadFile(Example("oscillator.kvd")));
                ASSERT_TRUE(window->OpenPath(model));
            }
            Touch();
            const std::string edited = window->Session().Text();
            const std::string before = c.titled ? ReadFile(model) : "";
            messages.recorder.Clear();
            messages.choices = {c.answer};
            fileAnswers.clear();
            if (!c.titled && c.answer == KChoice::Yes)
                fileAnswers.push_back(c.save == Save::Cancelled ? QString()
                                                                : QString::fromStdString(model));
            if (then == Then::Open) fileAnswers.push_back(QString::fromStdString(other));
            fs.failRename = c.save == Save::Fails;
            if (then == Then::Close)
                window->close();
            else
                Trigger(then == Then::New ? "MINewDesign" : "MIOpenDesign");
            fs.failRename = false;
            ASSERT_FALSE(messages.recorder.boxes.empty());
            EXPECT_EQ(messages.recorder.boxes[0].caption, "Save File");
            EXPECT_EQ(messages.recorder.boxes[0].text,
                      c.titled ? "Save changes to" + model + "?" : "Save changes to unsaved file?");
            const bool wentOn =
                then == Then::Close ? !window->isVisible() : !window->Session().IsModified();
            EXPECT_EQ(wentOn, c.goesOn);
            const bool saved = c.answer == KChoice::Yes && c.save == Save::Ok;
            if (saved || c.titled) {
                EXPECT_EQ(ReadFile(model), saved ? edited : before);
            } else {
                EXPECT_FALSE(QFile::exists(QString::fromStdString(model)));
            }
            if (!c.goesOn) {
                EXPECT_TRUE(window->Session().IsModified());
                EXPECT_EQ(window->Session().Text(), edited);
            }
            if (then == Then::Open && c.goesOn) {
                EXPECT_EQ(window->Session().FileName(), other);
            }
            if (!window->isVisible()) window->show();
        }
    }
}

TEST_F(WindowFiles, AFailedOpenLeavesThePreviousModelAsItWas) {
    const std::string model = CopyExample("oscillator.kvd");
    ASSERT_TRUE(window->OpenPath(model));
    Touch();
    const std::string text = window->Session().Text();
    const QString caption = window->windowTitle();
    const std::string whole = ReadFile(Example("pi_loop.kvd"));
    WriteFile(Path("truncated.kvd"), whole.substr(0, whole.size() / 2));
    WriteFile(Path("unknown.kvd"),
              "1.2,Version\nFalse,CustMod\n1,Pages\n8,FontSize\nPageNames,Start\n1,PageName\n"
              "KNoSuchBlock,Start\n");
    for (const char* name : {"truncated.kvd", "unknown.kvd", "missing.kvd"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(window->OpenPath(Path(name)));
        EXPECT_EQ(window->Session().Text(), text);
        EXPECT_EQ(window->Session().FileName(), model);
        EXPECT_TRUE(window->Session().IsModified());
        EXPECT_EQ(window->windowTitle(), caption);
    }
    ASSERT_FALSE(messages.recorder.messages.empty());
    const KTwoLineMessage& m = messages.recorder.messages.back();
    EXPECT_EQ(m.number, 5);
    EXPECT_EQ(m.description, "Cannot open " + Path("missing.kvd"));
    EXPECT_EQ(m.advice.rfind("This may be a Windows or an internal error.", 0), 0u);
}

TEST_F(WindowFiles, SaveAsAsksBeforeReplacingAndAddsTheSuffix) {
    Touch();
    const std::string existing = Path("taken.kvd");
    WriteFile(existing, "old");
    fileAnswers = {QString::fromStdString(existing)};
    messages.choices = {KChoice::No};
    Trigger("MISaveAs");
    EXPECT_EQ(messages.recorder.Last().caption, "File Exits");
    EXPECT_EQ(messages.recorder.Last().text, existing + " already exists. Overwrite?");
    EXPECT_EQ(ReadFile(existing), "old");
    EXPECT_TRUE(window->Session().IsModified());
    fileAnswers = {QString::fromStdString(Path("fresh"))};
    Trigger("MISaveAs");
    EXPECT_EQ(ReadFile(Path("fresh.kvd")), window->Session().Text());
    EXPECT_FALSE(window->Session().IsModified());
    EXPECT_EQ(window->windowTitle().toStdString(), "Korvel:  " + Path("fresh.kvd"));
}

TEST_F(WindowFiles, SaveWritesAFileThatHasGoneAway) {
    const std::string model = CopyExample("oscillator.kvd");
    ASSERT_TRUE(window->OpenPath(model));
    Touch();
    QFile::remove(QString::fromStdString(model));
    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadFile(model), window->Session().Text());
    EXPECT_FALSE(window->Session().IsModified());
}

TEST_F(WindowFiles, AModuleWithoutAnOutputIsNotSaved) {
    window->Start(true, "");
    for (const auto& e : Elements().All())
        e->selected = e->IsBlock() && static_cast<const KBlock&>(*e).IsCustomOutput();
    Trigger("KeyDelete");
    fileAnswers = {QString::fromStdString(Path("module.kvc"))};
    Trigger("MISave");
    EXPECT_EQ(messages.recorder.Last().text,
              "You must have at least one Custom Module Output block in a custom module.");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("module.kvc"))));
    EXPECT_TRUE(window->Session().IsModified());
}

// A desktop with a decimal comma must not change a saved model by a byte.
TEST_F(WindowFiles, SavedBytesDoNotDependOnTheLocale) {
    ASSERT_TRUE(window->OpenPath(CopyExample("pi_loop.kvd")));
    const std::string inC = window->Session().Text();
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE.UTF-8 locale";
    char comma[16];
    std::snprintf(comma, sizeof comma, "%.1f", 3.5);
    fileAnswers = {QString::fromStdString(Path("german.kvd"))};
    Trigger("MISaveAs");
    std::setlocale(LC_ALL, "C");
    EXPECT_STREQ(comma, "3,5") << "the locale took effect";
    EXPECT_EQ(ReadFile(Path("german.kvd")), inC);
}

// The open dialog starts in the bundled examples until a design was
// opened, then in that design's folder; modules keep their own folder.
// Opened files are listed, most recent first.
TEST_F(WindowFiles, OpenStartsInTheLastDirectoryAndRecentFilesAreListed) {
    Trigger("MIOpenDesign");
    EXPECT_EQ(askedDirs.at(0), ExamplesFolder());
    const std::string a = CopyExample("oscillator.kvd");
    const std::string b = CopyExample("filter_step.kvd");
    ASSERT_TRUE(window->OpenPath(a));
    ASSERT_TRUE(window->OpenPath(b));
    EXPECT_EQ(settings.Get("Last Dir"), dir.path().toStdString());
    Trigger("MIOpenDesign");
    EXPECT_EQ(askedDirs.at(1), dir.path());
    Trigger("MIOpenCustomModule");
    EXPECT_EQ(askedDirs.at(2), ExamplesFolder());
    EXPECT_EQ(Action("MIRecent0")->text().toStdString(), "&1  filter_step.kvd");
    EXPECT_EQ(Action("MIRecent1")->text().toStdString(), "&2  oscillator.kvd");
    EXPECT_FALSE(Action("MIRecent2")->isVisible());
    Trigger("MIRecent1");
    EXPECT_EQ(window->Session().FileName(), a);
    EXPECT_EQ(Action("MIRecent0")->text().toStdString(), "&1  oscillator.kvd");
    EXPECT_EQ(settings.Get("File0"), a);
    QFile::remove(QString::fromStdString(b));
    Trigger("MIRecent1");
    EXPECT_EQ(messages.recorder.messages.back().number, 5);
    EXPECT_EQ(window->Settings().recentFiles.size(), 2u);  // stays listed
}

TEST_F(WindowFiles, ClosingWritesTheSettings) {
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(settings.Get("WindowWidth").has_value());
    EXPECT_EQ(settings.Get("AutoSaveBeforeCompile"), "false");
}

// A hand-edited file whose blocks lie on pages beyond its page count gets
// tabs for them, named by their numbers, so nothing is hidden.
TEST_F(WindowFiles, ElementsBeyondThePageCountGetTabs) {
    OpenEdited("KSolver,Start\r\n0,Page", "KSolver,Start\r\n2,Page");
    EXPECT_EQ(window->Session().Header().pageNames,
              (std::vector<std::string>{"Oscillator", "2", "3"}));
    EXPECT_EQ(window->findChild<QTabBar*>("TCPages")->count(), 3);
}

TEST_F(WindowFiles, AFilesFontSizeIsLimitedToTwoToForty) {
    for (auto [line, size] :
         {std::pair{"0,FontSize", 2}, {"1000,FontSize", 40}, {"12,FontSize", 12}}) {
        SCOPED_TRACE(line);
        OpenEdited("8,FontSize", line);
        EXPECT_EQ(window->Session().Header().fontSize, size);
        EXPECT_EQ(window->Settings().userStringFontSize, size);
    }
}

// The proposed name follows the page; the typed suffix, or else the chosen
// filter, decides the format (checked by the file's own signature).
TEST_F(WindowFiles, PageImageIsProposedByPageAndWrittenInTheChosenFormat) {
    ASSERT_TRUE(window->OpenPath(CopyExample("oscillator.kvd")));
    Trigger("MINewPage");
    const struct {
        const char* typed;
        const char* filter;
        const char* written;
        const char* signature;
    } cases[] = {{"page.bmp", "", "page.bmp", "BM"},
                 {"page.svg", "", "page.svg", "<svg"},
                 {"plain", "PNG image (*.png)", "plain.png", "\x89PNG"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        fileAnswers = {QString::fromStdString(Path(c.typed))};
        filterAnswer = c.filter;
        Trigger("MICopyPageImage");
        EXPECT_TRUE(askedDirs.back().endsWith("/NewFile-00002.bmp"));
        EXPECT_NE(ReadFile(Path(c.written)).substr(0, 80).find(c.signature), std::string::npos);
    }
}

// One sheet per page, each with the header and its sheet name (the text is
// read where poppler's pdftotext is installed).
TEST_F(WindowFiles, PrintingGivesOneSheetPerPageWithItsHeader) {
    ASSERT_TRUE(window->OpenPath(CopyExample("oscillator.kvd")));
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(Path("print.pdf")));
    PrintPages(printer, Elements(), {"Oscillator", "Second"}, "Korvel.  Untitled model.",
               window->findChild<KDiagramCanvas*>()->PageTextFont());
    const std::string pdf = ReadFile(Path("print.pdf"));
    ASSERT_EQ(pdf.rfind("%PDF", 0), 0u);
    int pages = 0;
    for (std::size_t at = 0; (at = pdf.find("/Type /Page\n", at)) != std::string::npos; ++at)
        ++pages;
    EXPECT_EQ(pages, 2);
    if (std::system("command -v pdftotext >/dev/null 2>&1") != 0) GTEST_SKIP() << "no pdftotext";
    const std::string command = "pdftotext '" + Path("print.pdf") + "' '" + Path("print.txt") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string text = ReadFile(Path("print.txt"));
    // pdftotext turns the header's two blanks into one.
    EXPECT_NE(text.find("Korvel. Untitled model."), std::string::npos) << text;
    EXPECT_NE(text.find("Sheet: Oscillator"), std::string::npos);
    EXPECT_NE(text.find("Sheet: Second"), std::string::npos);
}

TEST(Manual, EveryBlockTypeHasItsAnchorAndTheShippedManualIsCurrent) {
    const std::string html = ManualHtml();
    for (const KBlockType& type : BlockTypes())
        EXPECT_NE(html.find("id=\"" + std::string(type.tag) + "\""), std::string::npos) << type.tag;
    // The shipped file is generated by "korvel --write-manual data/Manual/Manual.htm".
    EXPECT_EQ(ReadFile(std::string(KORVEL_DATA) + "/Manual/Manual.htm"), html);
}

}  // namespace
}  // namespace korvel::testing
