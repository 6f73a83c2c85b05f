// The choice, string, string list, text and file name dialogs.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/dialogs/initcmb.h"
#include "app/dialogs/initfile.h"
#include "app/dialogs/initmemo.h"
#include "app/dialogs/initstring.h"
#include "app/dialogs/initstringcmb.h"
#include "base/messagerecorder.h"

namespace korvel {
namespace {

const QStringList kBool = {"False", "True"};

struct ChoiceCase {
    const char* typed;
    int index;  // the index after OK; the old one (1) when refused
    bool refused;
};

TEST(ChoiceDialog, TypedTextIsLookedUpExactly) {
    const ChoiceCase cases[] = {{"False", 0, false}, {"True", 1, false}, {"false", 1, true},
                                {"True ", 1, true},  {"", 1, true},      {"Maybe", 1, true},
                                {"1", 1, true}};
    for (const ChoiceCase& c : cases) {
        SCOPED_TRACE(c.typed);
        KMessageRecorder messages;
        TKInitCmBF d(nullptr, true, QPoint(0, 0), "Show", {}, kBool, 1, messages);
        EXPECT_EQ(d.ValueBox()->currentText(), "True");
        d.ValueBox()->setEditText(c.typed);
        d.OkButton()->click();
        EXPECT_EQ(d.Index(), c.index);
        EXPECT_EQ(d.result() == QDialog::Accepted, !c.refused);
        EXPECT_EQ(messages.boxes.size(), c.refused ? 1u : 0u);
    }
}

TEST(ChoiceDialog, ChosenEntryFirstMatchAndEmptyList) {
    KMessageRecorder messages;
    const QStringList twice = {"Sine", "Square", "Sine"};
    TKInitCmBF d(nullptr, true, QPoint(0, 0), "Waveform", {}, twice, 2, messages);
    d.ValueBox()->setCurrentIndex(2);
    d.OkButton()->click();
    EXPECT_EQ(d.Index(), 0);  // first "Sine"

    TKInitCmBF empty(nullptr, true, QPoint(0, 0), "Waveform", {}, {}, 0, messages);
    EXPECT_EQ(messages.Last().text, "Call to TKInitCmBF :: TKInitCmBF with empty string list");
    empty.OkButton()->click();
    EXPECT_EQ(empty.Index(), 0);

    TKInitCmBF view(nullptr, false, QPoint(0, 0), "Show", {}, kBool, 0, messages);
    EXPECT_FALSE(view.ValueBox()->isEnabled());
}

TEST(StringDialog, TheTextIsTheValueWhateverItHolds) {
    for (const char* text : {"", "   ", "a,b", "say \"hi\"", "Größe µs"}) {
        TKInitStringF d(nullptr, true, QPoint(0, 0), "Sheet", {}, "old");
        d.ValueField()->setText(QString::fromUtf8(text));
        d.OkButton()->click();
        EXPECT_EQ(d.Value(), QString::fromUtf8(text));
        EXPECT_EQ(d.result(), QDialog::Accepted);
    }
    TKInitStringF typed(nullptr, true, QPoint(0, 0), "Sheet", {}, "old");
    typed.ValueField()->selectAll();
    QTest::keyClicks(typed.ValueField(), "Data 2");
    EXPECT_EQ(typed.Value(), "Data 2");
    TKInitStringF view(nullptr, false, QPoint(0, 0), "Sheet", {}, "old");
    EXPECT_FALSE(view.ValueField()->isEnabled());
}

TEST(StringListDialog, EmptyLinesGoAndAnEmptyListBecomesEntry1) {
    KMessageRecorder messages;
    TKInitStringCmBF d(nullptr, true, QPoint(0, 0), "Strings", {}, {"1.5", "2"}, messages);
    EXPECT_EQ(d.ValueMemo()->toPlainText(), "1.5\n2");
    d.ValueMemo()->setPlainText("\n1.5\n\n3,5\n  \nzwölf\n");
    d.OkButton()->click();
    EXPECT_EQ(d.Entries(), QStringList({"1.5", "3,5", "zwölf"}));
    EXPECT_TRUE(messages.boxes.empty());

    for (const char* blank : {"", "\n\n", "   \n \t \n"}) {
        KMessageRecorder m;
        TKInitStringCmBF e(nullptr, true, QPoint(0, 0), "Strings", {}, {"a"}, m);
        e.ValueMemo()->setPlainText(blank);
        e.OkButton()->click();
        EXPECT_EQ(e.Entries(), QStringList({"Entry1"}));
        ASSERT_EQ(m.boxes.size(), 1u);
        EXPECT_EQ(m.Last().caption, "Too few entries");
        EXPECT_EQ(m.Last().text,
                  "At least one entry is required.  \"Entry1\" will be added automatically.");
    }
}

TEST(MemoDialog, CaptionsByKindAndEditableFlag) {
    TKInitMemoF program(nullptr, true, QPoint(0, 0), "Program", {}, "x = 1;\ny = 2;",
                        KMemoKind::Program);
    EXPECT_EQ(program.windowTitle(), "Write Program");
    EXPECT_TRUE(program.Memo()->font().fixedPitch() ||
                QFontInfo(program.Memo()->font()).fixedPitch());
    program.Memo()->appendPlainText("z = 3;");
    program.OkButton()->click();
    EXPECT_EQ(program.Text(), "x = 1;\ny = 2;\nz = 3;");
    const struct {
        bool editable;
        KMemoKind kind;
        const char* caption;
    } cases[] = {{false, KMemoKind::Program, "View Program"},
                 {true, KMemoKind::Documentation, "Initialize Documentation"},
                 {false, KMemoKind::Documentation, "View Documentation"}};
    for (const auto& c : cases) {
        TKInitMemoF d(nullptr, c.editable, QPoint(0, 0), "Doc", {}, "text", c.kind);
        EXPECT_EQ(d.windowTitle(), c.caption);
        EXPECT_EQ(d.Memo()->isReadOnly(), !c.editable);
    }
}

TEST(FileDialog, BrowseStartsInTheFolderOfTheNamedFile) {
    QTemporaryDir dir;
    const QString file = dir.filePath("book.xlsx");
    const struct {
        QString text;
        QString folder;
    } cases[] = {{file, QDir(dir.path()).absolutePath()},
                 {"", ""},
                 {"/no/such/folder/book.xlsx", ""},
                 {"C:\\no\\such\\folder\\book.xls", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        TKInitFileF d(nullptr, true, QPoint(0, 0), "File", {}, c.text, "Workbooks (*.xlsx *.xls)");
        QString askedFolder = "unset", askedFilter;
        d.askFile = [&](const QString& folder, const QString& filter) {
            askedFolder = folder;
            askedFilter = filter;
            return dir.filePath("chosen.xlsx");
        };
        d.BrowseButton()->click();
        EXPECT_EQ(askedFolder, c.folder);
        EXPECT_EQ(askedFilter, "Workbooks (*.xlsx *.xls)");
        d.OkButton()->click();
        EXPECT_EQ(d.Value(), QDir::toNativeSeparators(dir.filePath("chosen.xlsx")));
    }
    TKInitFileF cancelled(nullptr, true, QPoint(0, 0), "File", {}, "old.xls");
    cancelled.askFile = [](const QString&, const QString&) { return QString(); };
    cancelled.BrowseButton()->click();
    EXPECT_EQ(cancelled.Value(), "old.xls");
    TKInitFileF view(nullptr, false, QPoint(0, 0), "File", {}, "old.xls");
    EXPECT_FALSE(view.BrowseButton()->isEnabled());
}

}  // namespace
}  // namespace korvel
