// The Messages seam on Qt: real message boxes with the system's captions,
// texts and buttons; the error display's fields; the copy on a stream.
#include "app/qtmessages.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <sstream>

#include "app/errordisplay.h"

namespace korvel {
namespace {

struct Seen {
    QString caption;
    QString text;
    QMessageBox::StandardButtons buttons;
};

// Answers the next modal message box with `press`, remembering what it showed.
void AnswerNextBox(Seen& seen, QMessageBox::StandardButton press) {
    QTimer::singleShot(0, [&seen, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = {box->windowTitle(), box->text(), box->standardButtons()};
        box->button(press)->click();
    });
}

TEST(QtMessages, BoxesCarryTheirCaptionsButtonsAndAnswers) {
    KQtMessages messages;
    std::ostringstream echo;
    messages.SetEcho(&echo);
    Seen seen;
    AnswerNextBox(seen, QMessageBox::Ok);
    messages.NoteBox("Compile Successful!");
    EXPECT_EQ(seen.caption, "Note");
    EXPECT_EQ(seen.text, "Compile Successful!");
    EXPECT_EQ(seen.buttons, QMessageBox::Ok);
    AnswerNextBox(seen, QMessageBox::Cancel);
    EXPECT_EQ(messages.WarningBoxOkCancel("Do you want to delete this page and all its contents?"),
              KAnswer::Cancel);
    EXPECT_EQ(seen.caption, "Warning");
    EXPECT_EQ(seen.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    AnswerNextBox(seen, QMessageBox::No);
    EXPECT_EQ(messages.AskYesNoCancel("Save File", "Save changes to unsaved file?"), KChoice::No);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(echo.str(),
              "Note: Compile Successful!\n"
              "Warning: Do you want to delete this page and all its contents?\n"
              "Save File: Save changes to unsaved file?\n");
}

TEST(QtMessages, AFatalBoxNamesTheRecoveryCopy) {
    KQtMessages messages;
    messages.onFatal = [] { return std::string("A copy of your model was saved to /r/m.kvd."); };
    Seen seen;
    AnswerNextBox(seen, QMessageBox::Ok);
    EXPECT_THROW(messages.FatalBox("Exceeded max order of solver"), KFatalError);
    EXPECT_EQ(seen.caption, "Fatal Error");
    EXPECT_EQ(seen.text,
              "Exceeded max order of solver\n\nA copy of your model was saved to /r/m.kvd.");
}

TEST(ErrorDisplay, TheBlockGroupShowsOnlyWhatTheMessageHas) {
    TKErrorDisplayF display;
    KTwoLineMessage m{"Warning",     3,     "Cannot delete elements when model is running",
                      "Stop model.", false, {}};
    display.Show(m);
    EXPECT_EQ(display.windowTitle(), "Warning");
    EXPECT_EQ(display.findChild<QLineEdit*>("ENumber")->text(), "3");
    EXPECT_FALSE(display.findChild<QWidget*>("PBlock")->isVisibleTo(&display));
    m.hasBlock = true;
    m.block = {"Gain1", "Gain", "Main", false, "", ""};
    display.Show(m);
    EXPECT_TRUE(display.findChild<QWidget*>("PBlock")->isVisibleTo(&display));
    EXPECT_FALSE(display.findChild<QWidget*>("PModule")->isVisibleTo(&display));
    EXPECT_EQ(display.findChild<QLineEdit*>("ESheet")->text(), "Main");
    m.block.fromModule = true;
    m.block.moduleFile = "/m/pi.kvc";
    display.Show(m);
    EXPECT_TRUE(display.findChild<QWidget*>("PModule")->isVisibleTo(&display));
    EXPECT_EQ(display.findChild<QLineEdit*>("EFileName")->text(), "/m/pi.kvc");
}

}  // namespace
}  // namespace korvel
