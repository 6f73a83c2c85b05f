// The editing details around placing and Notes: a module that contains
// itself is not placed, a placed block gets its set-up, a Note's body edits
// its text and grows to show it, arrow keys and drags share one page, and
// page images lay out texts as the canvas does.
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include "app/canvas/canvaspainter.h"
#include "app/pageoutput.h"
#include "canvastesting.h"

namespace korvel::testing {
namespace {

using CanvasEditing = CanvasFixture;

// Answers the next modal dialog from inside its own event loop.
template <class Answer>
void AnswerDialog(QString* title, Answer answer) {
    QTimer::singleShot(0, [title, answer] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr) << "no dialog was shown";
        *title = dialog->windowTitle();
        answer(*dialog);
        dialog->accept();
    });
}

TEST_F(CanvasEditing, AModuleThatContainsItselfIsNotPlaced) {
    // The bundled module with a block of itself inside.
    std::string text = ReadFile(Example("pi_module.kvc"));
    const std::size_t at = text.find("KCustInput,Start");
    ASSERT_NE(at, std::string::npos);
    text.insert(at, "KCustMod,Start\r\nloop.kvc,FileName\r\n0,Page\r\n300,X\r\n300,Y\r\n"
                    "Inner,UserString\r\nFalse,HorizSwap\r\nFalse,VertSwap\r\n90,IDNumber\r\n");
    const std::string loop = Path("loop.kvc");
    WriteFile(loop, text);
    fileAnswers = {QString::fromStdString(loop)};
    ChooseTool("KCustMod");
    Click(At(100, 100));
    EXPECT_EQ(Elements().Count(), 0);
    EXPECT_FALSE(window->Session().IsModified());
    ASSERT_FALSE(messages.recorder.boxes.empty());
    EXPECT_EQ(messages.recorder.Last().text.rfind("Custom module loop.kvc cannot be used: it contains itself", 0),
              0u)
        << messages.recorder.Last().text;
    EXPECT_EQ(window->PaletteTool(), TKDiagramF::kSelectTool);
}

TEST_F(CanvasEditing, TheModuleBeingEditedIsNotPlacedIntoItself) {
    const std::string module = CopyExample("pi_module.kvc");
    ASSERT_TRUE(window->OpenPath(module));
    const int count = Elements().Count();
    fileAnswers = {QString::fromStdString(module)};
    ChooseTool("KCustMod");
    Click(At(600, 400));
    EXPECT_EQ(Elements().Count(), count);
    EXPECT_FALSE(window->Session().IsModified());
    EXPECT_NE(messages.recorder.Last().text.find("pi_module.kvc would contain itself"), std::string::npos)
        << messages.recorder.Last().text;
}

TEST_F(CanvasEditing, APlacedDigitalBlockTakesTheOnlyController) {
    const KBlock& controller = AddBlock("KDctl", 300, 300);
    ChooseTool("KDLpf1");
    Click(At(100, 100));
    ASSERT_EQ(Elements().Count(), 2);
    const auto& filter = static_cast<const KBlock&>(Elements().At(1));
    EXPECT_EQ(filter.FindNode("Controller")->value, controller.IDNumber());
}

TEST_F(CanvasEditing, ANotesBodyEditsItsTextAndGrowsToShowIt) {
    KBlock& note = AddBlock("KLabel", 100, 100);
    QString title;
    const QString text = "Plant model after the 2019 bench test,\nvalid up to 40 Hz.\nThird line.";
    AnswerDialog(&title, [&](QDialog& d) { d.findChild<QPlainTextEdit*>("MText")->setPlainText(text); });
    DoubleClick(At(note.X() + 20, note.Y() + 10));
    EXPECT_EQ(title, "Initialize Documentation");
    EXPECT_EQ(QString::fromStdString(note.Node(NoteTextNode(note)).Text()).replace("\r\n", "\n"), text);
    EXPECT_TRUE(window->Session().IsModified());
    // The body holds the text: wider and taller than the type's 40 by 30, in grid steps.
    EXPECT_GT(note.Width(), 100);
    EXPECT_GT(note.Height(), 30);
    EXPECT_EQ(note.Width() % 10, 0);
    EXPECT_EQ(note.Height() % 10, 0);
    // The name label under the grown body still renames.
    AnswerDialog(&title, [](QDialog& d) { d.findChild<QLineEdit*>("EValue")->setText("Plant note"); });
    const KRect label = note.LabelRect();
    DoubleClick(At(label.left + 2, label.top + 2));
    EXPECT_EQ(title, "User String");
    EXPECT_EQ(note.userString, "Plant note");
}

TEST_F(CanvasEditing, ArrowKeysKeepTheSelectionInsideThePageTheCanvasShows) {
    // Far beyond 4000 pixels: the page has grown to hold it.
    KBlock& far = AddBlock("KInt", 5000, 4500);
    far.selected = true;
    Trigger("KeyRight");
    Trigger("KeyDown");
    EXPECT_EQ(far.X(), 5010);
    EXPECT_EQ(far.Y(), 4510);
    // Near the origin both gestures stop at 0.
    KBlock& near = AddBlock("KInt", 0, 10);
    far.selected = false;
    near.selected = true;
    Trigger("KeyLeft");
    Trigger("KeyUp");
    Trigger("KeyUp");
    EXPECT_EQ(near.X(), 0);
    EXPECT_EQ(near.Y(), 0);
}

TEST_F(CanvasEditing, APageImageDrawsTextsAsTheCanvasDoes) {
    // A size unlike the default one, so a fixed image font would show.
    window->Session().Header().fontSize = 15;
    canvas->SetLabelFontSize(15);
    AddBlock("KInt", 300, 100).userString = "A long name for the integrator";
    KBlock& note = AddBlock("KLabel", 300, 200);
    note.Node(NoteTextNode(note)).SetText("Two lines\nof notes");
    canvas->ModelChanged();
    const int labelWidth = note.labelWidth;
    const QString path = dir.filePath("page.png");
    std::string error;
    ASSERT_TRUE(SavePageImage(path, Elements(), 0, canvas->PageTextFont(), error)) << error;
    EXPECT_EQ(note.labelWidth, labelWidth);
    const QImage image = QImage(path).convertToFormat(QImage::Format_RGB32);
    const QRect area = CanvasExtent(Elements(), 0).adjusted(-10, -10, 10, 10);
    const QImage onScreen = Picture().copy(area).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.size(), onScreen.size());
    EXPECT_TRUE(image == onScreen);
}

}  // namespace
}  // namespace korvel::testing
