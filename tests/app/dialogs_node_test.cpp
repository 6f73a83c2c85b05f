// The node dialogs as the window opens them: reference pickers, the edit
// seam, view-only nodes while running, the block set-up, renaming and the
// custom module directories.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include "app/dialogs/blocksetup.h"
#include "app/dialogs/nodedialogs.h"
#include "app/dialogs/selectdirectory.h"
#include "app/dialogs/setcustmoddirs.h"
#include "app/platform.h"
#include "engine/benchtop.h"
#include "engine/valuearena.h"
#include "windowtesting.h"

namespace korvel::testing {
namespace {

// Acts on the modal dialog the next exec() shows (the dialog's own event
// loop runs the timer).
void OnNextModal(std::function<void(QDialog&)> act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr) << "no dialog was shown";
        act(*dialog);
    });
}

// Types `text` into the next dialog's value field and presses OK.
void AnswerNext(const QString& text) {
    OnNextModal([text](QDialog& d) {
        d.findChild<QLineEdit*>("EValue")->setText(text);
        d.accept();
    });
}

using NodeDialogs = WindowFixture;

TEST_F(NodeDialogs, ReferencesWithZeroOneAndTwoBlocksToPickFrom) {
    KBlock& motor = Place("KExcelMotor");
    for (const KNode& n : motor.Nodes()) {
        if (!n.IsExcelFileNode()) continue;
        EXPECT_FALSE(EditNode(*window, motor, motor.NodeIndex(n.Name()), QPoint()));
        EXPECT_EQ(messages.recorder.Last().text,
                  "Must have at least one Excel File block to set this node");
    }
    KBlock& scope = Place("KScope");
    const int source = scope.NodeIndex("Trigger Source");
    EXPECT_FALSE(EditNode(*window, scope, source, QPoint(10, 10)));
    EXPECT_EQ(messages.recorder.Last().text, "Must have at least one variable to set this node");
    EXPECT_EQ(scope.Nodes()[source].value, -1.0);

    Place("KVariable", 0, 100, 100, "Speed");
    KBlock& torque = Place("KVariable", 0, 100, 100, "Torque");
    window->Session().SetModified(false);
    OnNextModal([](QDialog& d) {
        auto* box = d.findChild<QComboBox*>("CmBValue");
        ASSERT_EQ(box->count(), 2);
        EXPECT_EQ(box->itemText(0), "Speed");
        box->setCurrentIndex(1);
        d.accept();
    });
    EXPECT_TRUE(EditNode(*window, scope, source, QPoint(10, 10)));
    EXPECT_EQ(scope.Nodes()[source].value, torque.IDNumber());
    EXPECT_TRUE(window->Session().IsModified());

    // A name typed that no Variable carries leaves the reference alone.
    OnNextModal([](QDialog& d) {
        d.findChild<QComboBox*>("CmBValue")->setEditText("Position");
        d.accept();
    });
    EXPECT_FALSE(EditNode(*window, scope, source, QPoint(10, 10)));
    EXPECT_EQ(scope.Nodes()[source].value, torque.IDNumber());
    EXPECT_EQ(messages.recorder.Last().text, "Could not find item in TKInitCmBF");
}

TEST_F(NodeDialogs, ANumberChangeGoesThroughTheEditSeamAndCancelChangesNothing) {
    KBlock& variable = Place("KVariable", 0, 100, 100, "Speed");
    const int scale = variable.NodeIndex("Scale");
    window->Session().SetModified(false);
    OnNextModal([](QDialog& d) {
        d.findChild<QLineEdit*>("EValue")->setText("2.5");
        d.reject();
    });
    EXPECT_FALSE(EditNode(*window, variable, scale, QPoint()));
    EXPECT_FALSE(window->Session().IsModified());
    AnswerNext("2.5");
    EXPECT_TRUE(EditNode(*window, variable, scale, QPoint()));
    EXPECT_EQ(variable.Nodes()[scale].value, 2.5);
    EXPECT_TRUE(window->Session().IsModified());
    // An untouched OK is no change at all.
    window->Session().SetModified(false);
    OnNextModal([](QDialog& d) { d.accept(); });
    EXPECT_FALSE(EditNode(*window, variable, scale, QPoint()));
    EXPECT_FALSE(window->Session().IsModified());
}

TEST_F(NodeDialogs, WhileRunningOnlyLiveNodesAreEditableAndReachTheRun) {
    StartRunning();
    KBlock* variable = FindBlock("KVariable");
    const int scale = variable->NodeIndex("Scale");
    const double before = variable->Nodes()[scale].value;
    OnNextModal([](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "View Value");
        EXPECT_FALSE(d.findChild<QLineEdit*>("EValue")->isEnabled());
        d.accept();
    });
    EXPECT_FALSE(EditNode(*window, *variable, scale, QPoint()));
    EXPECT_EQ(variable->Nodes()[scale].value, before);
    EXPECT_TRUE(window->IsRunning());
    EXPECT_TRUE(messages.recorder.messages.empty());
    // The block set-up offers every row for viewing only.
    TKBlockSetupF setup(*window, *FindBlock("KScope"));
    for (int r = 0; r < setup.Rows()->rowCount(); ++r)
        EXPECT_EQ(setup.Rows()->item(r, 2)->toolTip(), "(Click to view)") << r;

    // An unwired input changed while running reaches the run.
    KBlock* block = nullptr;
    int index = -1;
    for (const auto& e : Elements().All()) {
        if (!e->IsBlock() || index >= 0) continue;
        auto& b = static_cast<KBlock&>(*e);
        for (int i = 0; i < b.NodeCount() && index < 0; ++i) {
            const KNode& n = b.Nodes()[i];
            if (n.IsInput() && !n.connected && n.Kind() == KValueKind::Double &&
                window->Session().BenchTop()->Arena().SlotOf(n) >= 0) {
                block = &b;
                index = i;
            }
        }
    }
    ASSERT_GE(index, 0) << "the example has an unwired input";
    AnswerNext("0.25");
    EXPECT_TRUE(EditNode(*window, *block, index, QPoint()));
    EXPECT_TRUE(window->IsRunning());
    KValueArena& arena = window->Session().BenchTop()->Arena();
    EXPECT_EQ(arena[static_cast<std::size_t>(arena.SlotOf(block->Nodes()[index]))], 0.25);
    EXPECT_EQ(block->Nodes()[index].value, 0.25);
}

TEST_F(NodeDialogs, BlockSetUpListsEveryNodeAndOpensItsDialog) {
    KBlock& constant = Place("KDConstant", 0, 100, 100, "Gain");
    TKBlockSetupF setup(*window, constant);
    EXPECT_EQ(setup.windowTitle(), "Set-up block Gain (Live Constant)");
    QTableWidget* rows = setup.Rows();
    ASSERT_EQ(rows->rowCount(), constant.NodeCount());
    EXPECT_EQ(rows->item(1, 1)->text(), "InitValue");
    EXPECT_EQ(rows->item(1, 2)->text(), "      1");
    EXPECT_EQ(rows->item(1, 2)->toolTip(), "(Click to change)");
    EXPECT_EQ(rows->item(0, 2)->toolTip(), "(Click to view)");  // the output
    EXPECT_EQ(rows->item(4, 3)->text(), "4");
    std::vector<int> opened;
    setup.openNode = [&](TKDiagramF&, KBlock& b, int index, QPoint) {
        opened.push_back(index);
        b.Nodes()[index].value = 7.0;
        return true;
    };
    setup.ClickValue(1);
    EXPECT_EQ(opened, std::vector<int>{1});
    EXPECT_EQ(rows->item(1, 2)->text(), "      7");  // shown again after the change

    KBlock& scope = Place("KScope");
    TKBlockSetupF scopeSetup(*window, scope);
    EXPECT_EQ(scopeSetup.Rows()->rowCount(), scope.NodeCount());
    EXPECT_EQ(scopeSetup.Rows()->item(0, 2)->text(), "(none)");
}

// Properties opens the set-up of the selected block, a custom module's too.
TEST_F(NodeDialogs, PropertiesOpensTheSetUpOfTheSelectedModule) {
    CopyExample("pi_module.kvc");  // the module file lies beside the model
    ASSERT_TRUE(window->OpenPath(CopyExample("module_loop.kvd")));
    KBlock* module = FindBlock("KCustMod");
    ASSERT_GT(module->NodeCount(), 0);
    module->selected = true;
    window->UpdateBlockMenu();
    int rows = -1;
    OnNextModal([&](QDialog& d) {
        EXPECT_TRUE(d.windowTitle().startsWith("Set-up block ")) << d.windowTitle().toStdString();
        rows = d.findChild<QTableWidget*>()->rowCount();
        d.accept();
    });
    Trigger("PuMProperties");
    EXPECT_EQ(rows, module->NodeCount());
}

TEST_F(NodeDialogs, RenamingAVariable) {
    KBlock& variable = Place("KVariable", 0, 100, 100, "Speed");
    OnNextModal([](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "User String");
        d.findChild<QLineEdit*>("EValue")->clear();
        d.accept();
    });
    EXPECT_FALSE(EditUserString(*window, variable, QPoint()));
    EXPECT_EQ(variable.userString, "Speed");
    ASSERT_EQ(messages.recorder.messages.size(), 1u);
    EXPECT_EQ(messages.recorder.messages[0].description,
              "Variable cannot be named with a null string.");
    EXPECT_EQ(messages.recorder.messages[0].advice, "Rename variable.");
    AnswerNext("x,y");
    EXPECT_TRUE(EditUserString(*window, variable, QPoint()));
    EXPECT_EQ(variable.userString, "x-y");
}

TEST_F(NodeDialogs, CustomModuleDirectories) {
    KScriptedMessages boxes;
    TKSetCustModDirsF d(nullptr, {"/a"}, boxes);
    std::deque<QString> answers = {"/b", "/a/", ""};
    d.askDirectory = [&] {
        QString a = answers.front();
        answers.pop_front();
        return a;
    };
    for (int i = 0; i < 3; ++i) d.AddButton()->click();  // a new one, a repeat, a cancel
    EXPECT_EQ(d.Directories(), (std::vector<std::string>{"/a", "/b"}));
    d.List()->setCurrentRow(0);
    d.DeleteButton()->click();
    EXPECT_EQ(d.Directories(), std::vector<std::string>{"/b"});
    int n = 0;
    d.askDirectory = [&] { return QString("/d%1").arg(n++); };
    for (int i = 0; i < 20; ++i) d.AddButton()->click();
    EXPECT_EQ(d.Directories().size(), 20u);
    EXPECT_EQ(boxes.recorder.Count("Note"), 1);  // the 21st was refused aloud
    EXPECT_EQ(n, 19);

    window->askCustModDirs = [](const std::vector<std::string>&) {
        return std::optional<std::vector<std::string>>({"/m1", "/m2"});
    };
    Trigger("MICustomModuleDirectory");
    EXPECT_EQ(window->Settings().custModDirs, (std::vector<std::string>{"/m1", "/m2"}));
}

TEST_F(NodeDialogs, TheEditorsOwnQuestionsUseTheStringAndNumberDialogs) {
    OnNextModal([](QDialog& d) {
        EXPECT_EQ(d.findChild<QLineEdit*>("EName")->text(), "Page Name");
        EXPECT_EQ(d.findChild<QLineEdit*>("EValue")->text(), "1");
        d.findChild<QLineEdit*>("EValue")->clear();
        d.accept();
    });
    Trigger("PuMRenamePage");
    EXPECT_EQ(window->Session().Header().pageNames[0], "1");  // an empty name is refused
    OnNextModal([](QDialog& d) {
        EXPECT_EQ(d.findChild<QLineEdit*>("EName")->text(), "User String Font Size");
        d.findChild<QLineEdit*>("EValue")->setText("1e12");
        d.accept();
    });
    Trigger("MIUserStringFont");
    EXPECT_EQ(window->Session().Header().fontSize, 40);  // the largest
    EXPECT_EQ(settings.Get("UserStringFontSize"), "40");
}

TEST_F(NodeDialogs, StringConstantListAndPick) {
    KBlock& constant = Place("KStringConstant", 0, 100, 100, "Mode");
    const int strings = constant.NodeIndex("Strings");
    // The pick lists the block's own strings.
    OnNextModal([](QDialog& d) {
        auto* box = d.findChild<QComboBox*>("CmBValue");
        ASSERT_EQ(box->count(), 3);
        box->setCurrentIndex(2);
        d.accept();
    });
    EXPECT_TRUE(EditNode(*window, constant, constant.NodeIndex("InitValue"), QPoint()));
    EXPECT_EQ(constant.FindNode("InitValue")->value, 2.0);

    constant.Nodes()[strings].SetStrings({});
    OnNextModal([](QDialog& d) {
        EXPECT_EQ(d.findChild<QPlainTextEdit*>("MEntries")->toPlainText(), "Entry 1");
        d.accept();
    });
    EXPECT_TRUE(EditNode(*window, constant, strings, QPoint()));
    EXPECT_EQ(messages.recorder.Last().caption, "Warning");
    EXPECT_EQ(messages.recorder.Last().text,
              "String Constant Mode empty.  \"Entry 1\" added to list.");
    EXPECT_EQ(constant.Nodes()[strings].Strings(), std::vector<std::string>{"Entry 1"});
}

TEST_F(NodeDialogs, TheDirectoryPickerStartsInTheExamples) {
    TKSelectDirectoryF picker(nullptr);
    EXPECT_EQ(picker.directory().absolutePath(), QDir(ExamplesFolder()).absolutePath());
}

}  // namespace
}  // namespace korvel::testing
