// The number and scaling multiplier dialogs: what they show, what OK gives
// back, and how they refuse text that is not a number.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <climits>
#include <clocale>
#include <string>

#include "app/dialogs/initdouble.h"
#include "app/dialogs/initinputmult.h"
#include "base/messagerecorder.h"
#include "model/unitmultipliers.h"

namespace korvel {
namespace {

struct NumberDialog : ::testing::Test {
    KMessageRecorder messages;

    std::unique_ptr<TKInitDoubleF> Make(double value, bool editable = true,
                                        std::string_view units = "Hz",
                                        KNumberForm form = KNumberForm::Real) {
        auto d = std::make_unique<TKInitDoubleF>(nullptr, editable, QPoint(100, 100), "Frequency",
                                                 units, value, messages, form);
        d->show();
        return d;
    }
    // Replaces the text as a user does: select all, then type.
    static void Type(TKInitDoubleF& d, const QString& text) {
        d.ValueField()->selectAll();
        QTest::keyClick(d.ValueField(), Qt::Key_Delete);
        // QTest types only ASCII; other text arrives as an input method would.
        bool ascii = true;
        for (QChar ch : text) ascii = ascii && ch.unicode() < 128;
        if (ascii)
            QTest::keyClicks(d.ValueField(), text);
        else
            d.ValueField()->insert(text);
    }
};

TEST_F(NumberDialog, ShowsTheValueInTheGeneralFormat) {
    // Hand-worked "%7.5g".
    const struct {
        double value;
        const char* shown;
    } cases[] = {{3.14159265, " 3.1416"},      {1, "      1"},           {1e-10, "  1e-10"},
                 {-0.00012345, "-0.00012345"}, {123456.7, "1.2346e+05"}, {0, "      0"}};
    for (const auto& c : cases) {
        auto d = Make(c.value);
        EXPECT_EQ(d->ValueField()->text().toStdString(), c.shown) << c.value;
    }
}

TEST_F(NumberDialog, UntouchedOkKeepsTheExactValueAndTypedTextIsTakenAsTyped) {
    auto d = Make(0.70710678118654757);
    d->OkButton()->click();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->Value(), 0.70710678118654757);  // not the 0.70711 shown

    auto typed = Make(0.70710678118654757);
    Type(*typed, "  0.7071e0  ");  // blanks around the number are accepted
    QTest::keyClick(typed->ValueField(), Qt::Key_Return);
    EXPECT_EQ(typed->result(), QDialog::Accepted);
    EXPECT_EQ(typed->Value(), 0.7071);

    // Retyping the shown digits is a change: the user asked for them.
    auto retyped = Make(0.70710678118654757);
    Type(*retyped, " 0.70711");
    retyped->OkButton()->click();
    EXPECT_EQ(retyped->Value(), 0.70711);
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(NumberDialog, TextThatIsNotANumberIsRefusedAndTheDialogStaysOpen) {
    const std::string longLine(5000, '7');
    const char* bad[] = {"",      "   ", "abc",   "1e999", "-inf",  "nan",           "0x10",
                         "12abc", "2,5", "1,5e3", "\"1\"", "zwölf", longLine.c_str()};
    for (const char* text : bad) {
        messages.Clear();
        auto d = Make(5.0);
        Type(*d, QString::fromUtf8(text));
        d->OkButton()->click();
        EXPECT_NE(d->result(), QDialog::Accepted) << text;
        EXPECT_EQ(d->Value(), 5.0);
        EXPECT_TRUE(d->isVisible()) << text;
        ASSERT_EQ(messages.boxes.size(), 1u) << text;
        EXPECT_EQ(messages.Last().caption, "Message Box");
        EXPECT_EQ(messages.Last().text,
                  "Cannot convert \"" + d->ValueField()->text().toStdString() + "\" to a Number");
        EXPECT_EQ(d->ValueField()->selectedText(), d->ValueField()->text()) << text;
        // Mended, it is accepted.
        Type(*d, "2.5");
        d->OkButton()->click();
        EXPECT_EQ(d->result(), QDialog::Accepted);
        EXPECT_EQ(d->Value(), 2.5);
    }
}

TEST_F(NumberDialog, WholeNumbersAreLimitedBeforeConversion) {
    const struct {
        const char* text;
        int value;
    } cases[] = {{"12", 12}, {" 7 ", 7}, {"9.5", 10}, {"1e12", INT_MAX}, {"-1e12", INT_MIN + 1}};
    for (const auto& c : cases) {
        auto d = Make(3, true, {}, KNumberForm::Integer);
        Type(*d, c.text);
        d->OkButton()->click();
        EXPECT_EQ(d->Value(), c.value) << c.text;
    }
    auto d = Make(3, true, {}, KNumberForm::Integer);
    Type(*d, "1e999");
    d->OkButton()->click();
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(messages.Last().text, "Cannot convert \"1e999\" to an Integer");
}

TEST_F(NumberDialog, TheDecimalPointIsTheSameUnderAGermanLocale) {
    const std::string old = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE locale";
    auto d = Make(1.0);
    EXPECT_EQ(d->ValueField()->text(), "      1");
    Type(*d, "2,5");
    d->OkButton()->click();
    EXPECT_NE(d->result(), QDialog::Accepted);
    Type(*d, "2.5");
    d->OkButton()->click();
    std::setlocale(LC_ALL, old.c_str());
    EXPECT_EQ(d->Value(), 2.5);
}

TEST_F(NumberDialog, NameFieldCaptionsAndViewOnly) {
    auto withUnits = Make(1.0);
    EXPECT_EQ(withUnits->NameField()->text(), "Frequency (Hz)");
    EXPECT_FALSE(withUnits->NameField()->isEnabled() && !withUnits->NameField()->isReadOnly());
    EXPECT_EQ(withUnits->windowTitle(), "Initialize Value");
    auto view = Make(1.0, false, "");
    EXPECT_EQ(view->NameField()->text(), "Frequency");
    EXPECT_EQ(view->windowTitle(), "View Value");
    EXPECT_FALSE(view->ValueField()->isEnabled());
    view->OkButton()->click();
    EXPECT_EQ(view->Value(), 1.0);
    auto cancelled = Make(1.0);
    Type(*cancelled, "7");
    QTest::keyClick(cancelled.get(), Qt::Key_Escape);
    EXPECT_EQ(cancelled->result(), QDialog::Rejected);
}

TEST_F(NumberDialog, APointNearTheCornerGivesADialogWhollyOnTheScreen) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    auto d = std::make_unique<TKInitDoubleF>(nullptr, true, area.bottomRight() - QPoint(5, 5),
                                             "Frequency", "Hz", 1.0, messages);
    const QRect placed(d->pos(), d->frameSize().expandedTo(d->size()));
    EXPECT_TRUE(area.contains(placed)) << placed.x() << "," << placed.y();
}

// Every conversion button in both directions gives its exact factor on an
// untouched OK; one shown factor is worked out by hand (pi / 180).
TEST_F(NumberDialog, EachConversionButtonWritesItsFactor) {
    for (bool intoBase : {true, false}) {
        for (const KUnitConversion& c : kUnitConversions) {
            const std::string_view label = intoBase ? c.into : c.outOf;
            const double factor = intoBase ? c.forward : c.reverse;
            SCOPED_TRACE(std::string(label));
            TKInitInputMultF d(nullptr, true, QPoint(0, 0), "Mult", {}, 1.0, intoBase, messages);
            QPushButton* button = nullptr;
            for (QPushButton* b : d.findChildren<QPushButton*>())
                if (b->text().toStdString() == label) button = b;
            ASSERT_NE(button, nullptr);
            button->click();
            if (label == "degrees -> radians") {
                EXPECT_EQ(d.ValueField()->text(), "0.017453");
            }
            d.OkButton()->click();
            EXPECT_EQ(d.Value(), factor);
        }
    }
}

}  // namespace
}  // namespace korvel
