#include "base/messages.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>

#include "base/messagerecorder.h"
#include "base/streammessages.h"

namespace korvel {
namespace {

// The user must see the box before the program unwinds, so the box has to
// be recorded by the time the exception arrives.
TEST(Messages, FatalBoxShowsThenThrows) {
    KMessageRecorder recorder;
    try {
        recorder.FatalBox("Fault in KElements :: Renumber");
        FAIL() << "FatalBox returned";
    } catch (const KFatalError& error) {
        EXPECT_STREQ(error.what(), "Fault in KElements :: Renumber");
        ASSERT_EQ(recorder.boxes.size(), 1u);
        EXPECT_EQ(recorder.Last().caption, "Fatal Error");
        EXPECT_EQ(recorder.Last().text, "Fault in KElements :: Renumber");
    }
}

TEST(PageFieldText, NameForValidPagesNumberOtherwise) {
    EXPECT_EQ(PageFieldText(0, 3, "Main"), "Main");
    EXPECT_EQ(PageFieldText(2, 3, "Plant"), "Plant");
    EXPECT_EQ(PageFieldText(3, 3, "X"), "3 (Illegal Page Number)");
    EXPECT_EQ(PageFieldText(-1, 3, "X"), "-1 (Illegal Page Number)");
    EXPECT_EQ(PageFieldText(0, 0, "X"), "0 (Illegal Page Number)");
}

TEST(MessageRecorder, QueuedAnswersGoToQuestionsOnly) {
    KMessageRecorder recorder;
    recorder.answers = {KAnswer::Cancel, KAnswer::Ok};
    recorder.answer = KAnswer::Cancel;
    EXPECT_EQ(recorder.ErrorBoxOkCancel("first"), KAnswer::Cancel);
    recorder.NoteBox("an OK box must not take a queued answer");
    EXPECT_EQ(recorder.WarningBoxOkCancel("second"), KAnswer::Ok);
    EXPECT_EQ(recorder.WarningBoxOkCancel("queue empty"), KAnswer::Cancel);
    EXPECT_EQ(recorder.boxes[1].answer, KAnswer::Ok);
    EXPECT_EQ(recorder.Count("Warning"), 2);
    recorder.Clear();
    EXPECT_THROW(recorder.Last(), std::out_of_range);
}

// Boxes are captioned lines; two-line messages name the block and module.
TEST(StreamMessages, BoxesAndMessagesAreCaptionedLines) {
    std::ostringstream out;
    KStreamMessages messages(out);
    messages.NoteBox("Model saved");
    messages.ErrorBox("Line one\nLine two");
    messages.WarningBox("Already ends\n");
    EXPECT_EQ(messages.WarningBoxOkCancel("Overwrite?"), KAnswer::Ok);
    // A lone carriage return would overwrite the line on a terminal.
    messages.Box("Simulation Stopped", "Stopped.  \rClick Cancel.", KButtons::OkCancel);
    messages.ErrorBox("Windows\r\nline ends");
    messages.ErrorMessage(12, "Division by zero", "");
    KMessageBlock block;
    block.name = "Sum1";
    block.typeName = "Summing Junction";
    block.pageText = "4 (Illegal Page Number)";
    messages.WarningMessage(3, "Input not wired", "Wire the input.", &block);
    block.fromModule = true;
    block.moduleName = "Motor1";
    block.moduleFile = "motor.kvc";
    messages.ErrorMessage(40, "Overflow", "Lower the gain.", &block);
    EXPECT_EQ(out.str(),
              "Note: Model saved\n"
              "Error: Line one\nLine two\n"
              "Warning: Already ends\n"
              "Warning: Overwrite?\n"
              "Simulation Stopped: Stopped.  \nClick Cancel.\n"
              "Error: Windows\r\nline ends\n"
              "Error 12: Division by zero\n"
              "Warning 3: Input not wired\n"
              "  What to do: Wire the input.\n"
              "  Block: Sum1 (type Summing Junction, sheet 4 (Illegal Page Number))\n"
              "Error 40: Overflow\n"
              "  What to do: Lower the gain.\n"
              "  Block: Sum1 (type Summing Junction, sheet 4 (Illegal Page Number))\n"
              "  Custom module: Motor1, file motor.kvc\n");
}

}  // namespace
}  // namespace korvel
