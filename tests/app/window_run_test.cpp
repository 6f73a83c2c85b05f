// Compile, Run and Stop on the Qt event loop: the idle timer runs only
// while the model runs, a call returns within its budget and resumes
// exactly, no pass runs under a modal window, and the results equal an
// uncut run of the same model.
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QToolButton>

#include "base/numberformat.h"
#include "engine/benchtop.h"
#include "engine/solver.h"
#include "engine/valuearena.h"
#include "engine/variables.h"
#include "windowtesting.h"

namespace korvel::testing {
namespace {

using WindowRun = WindowFixture;

void Spin(int turns) {
    for (int i = 0; i < turns; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// The idle timer runs only while running; Escape stops, and so does a
// compile, which then builds a new run-time model.
TEST_F(WindowRun, TheIdleTimerRunsOnlyWhileRunning) {
    ASSERT_TRUE(window->OpenPath(CopyExample("oscillator.kvd")));
    EXPECT_FALSE(window->IsIdleTimerActive());
    EXPECT_FALSE(window->IsDisplayTimerActive());  // nothing before a compile
    ASSERT_TRUE(window->Compile(true));
    EXPECT_EQ(messages.recorder.Last().text, "Compile Successful!");
    EXPECT_FALSE(window->IsIdleTimerActive());
    EXPECT_TRUE(window->IsDisplayTimerActive());
    auto* run = window->findChild<QToolButton*>("SBRun");
    auto* stop = window->findChild<QToolButton*>("SBStop");
    EXPECT_TRUE(stop->isChecked());
    QTest::mouseClick(run, Qt::LeftButton);
    EXPECT_TRUE(run->isChecked());
    EXPECT_TRUE(window->IsIdleTimerActive());
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_TRUE(stop->isChecked());
    EXPECT_FALSE(window->IsIdleTimerActive());
    window->Run();
    Spin(2);
    ASSERT_GT(window->Session().BenchTop()->time, 0.0);
    ASSERT_TRUE(window->Compile(true));
    EXPECT_FALSE(window->IsRunning());
    EXPECT_EQ(window->Session().BenchTop()->time, 0.0);
}

// A pass toward a far sample time is cut into calls of at most the budget;
// Stop between two calls is answered at the next one without a step. The
// display tick (every 250 ms) then shows the run's values on the nodes.
TEST_F(WindowRun, ACallKeepsToItsBudgetAndStopIsAnsweredAtOnce) {
    ASSERT_TRUE(window->OpenPath(CopyExample("oscillator.kvd")));
    // A slow time base puts the scope's next sample far beyond the calls.
    FindBlock("KScope")->FindNode("Time/Div")->value = 1000.0;
    window->Run();
    ASSERT_TRUE(window->IsRunning());
    const KNode* out = nullptr;
    for (const KNode& n : FindBlock("KInt")->Nodes())
        if (n.IsOutput()) out = &n;
    const double shownAtStart = out->value;
    window->SetStepBudget(50);
    KBenchTop& bench = *window->Session().BenchTop();
    const double h = bench.Solver()->StepSize();
    Spin(1);
    EXPECT_GT(window->StepsInLastCall(), 0);
    EXPECT_LE(window->StepsInLastCall(), 50);
    const double before = bench.time;
    Spin(3);
    EXPECT_NEAR(bench.time - before, h * 150, h * 0.5 + 1e-12) << "three calls of 50 steps";
    window->Stop();
    const double stoppedAt = bench.time;
    Spin(3);
    EXPECT_EQ(bench.time, stoppedAt);
    auto* label = window->findChild<QLabel*>("LTime");
    EXPECT_EQ(label->text().toStdString(), FormatGeneral(stoppedAt, 6));
    QTest::qWait(400);
    KValueArena& arena = bench.Arena();
    EXPECT_EQ(out->value, arena[static_cast<std::size_t>(arena.SlotOf(*out))]);
    EXPECT_NE(out->value, shownAtStart);
}

TEST_F(WindowRun, NoPassRunsUnderAModalWindow) {
    StartRunning();
    window->SetStepBudget(20);
    QDialog modal(window.get());
    modal.setModal(true);
    modal.show();
    ASSERT_NE(QApplication::activeModalWidget(), nullptr);
    const double before = window->Session().BenchTop()->time;
    Spin(5);
    EXPECT_EQ(window->Session().BenchTop()->time, before);
    modal.hide();
    Spin(2);
    EXPECT_GT(window->Session().BenchTop()->time, before);
}

// The run cut into many small calls ends where an uncut run of the same
// model ends, bit for bit: same time, same states. The "Simulation Stopped"
// note at the end is left unanswered while the event loop turns: the idle
// timer fires meanwhile, but no pass runs inside the pass that showed it.
TEST_F(WindowRun, ResultsEqualAnUncutRunAndNoPassNestsUnderTheEndNote) {
    StartRunning();
    KBenchTop& gui = *window->Session().BenchTop();
    int boxes = 0;
    bool moved = false;
    messages.onBox = [&] {
        ++boxes;
        const double at = gui.time;
        window->SetStepBudget(5);
        Spin(5);
        moved |= gui.time != at;
    };
    window->SetStepBudget(337);
    for (int i = 0; i < 2000 && window->IsRunning(); ++i) Spin(1);
    ASSERT_FALSE(window->IsRunning()) << "the Solver's Time Increment ends the run";
    EXPECT_TRUE(messages.recorder.HasText("Time Increment"));
    EXPECT_EQ(boxes, 1);
    EXPECT_FALSE(moved);

    KScriptedMessages quiet;
    KModelSession plain(quiet);
    ASSERT_TRUE(plain.Open(Example("oscillator.kvd")));
    std::vector<KCompileMessage> listed;
    ASSERT_TRUE(plain.Compile(listed));
    ASSERT_TRUE(plain.RunLoop().PressRun());
    while (plain.RunLoop().IsRunning()) plain.RunLoop().Pass();
    KBenchTop& uncut = *plain.BenchTop();
    EXPECT_EQ(gui.time, uncut.time);
    ASSERT_EQ(gui.Solver()->Count(), uncut.Solver()->Count());
    for (int i = 0; i < gui.Solver()->Count(); ++i)
        EXPECT_EQ(gui.Solver()->States()[i], uncut.Solver()->States()[i]) << i;
}

TEST_F(WindowRun, AutoSaveBeforeCompileSavesAndACancelledSaveAsStillCompiles) {
    const std::string model = CopyExample("oscillator.kvd");
    ASSERT_TRUE(window->OpenPath(model));
    Action("MIAutoSaveBeforeCompile")->setChecked(true);
    EXPECT_EQ(settings.Get("AutoSaveBeforeCompile"), "true");
    Touch();
    ASSERT_TRUE(window->Compile(false));
    EXPECT_FALSE(window->Session().IsModified());
    EXPECT_EQ(ReadFile(model), window->Session().Text());
    // An untitled model: Save As is asked; cancelling it compiles anyway.
    window->Start(false, "");
    fileAnswers.clear();
    askedSave.clear();
    EXPECT_FALSE(window->Compile(false));  // an empty design has no Solver
    ASSERT_EQ(askedSave.size(), 1u);
    EXPECT_TRUE(askedSave[0]);
    EXPECT_TRUE(messages.recorder.HasText("at least one solver"));
}

// Deleting the blocks of a stopped, compiled model drops its run-time
// model first, so the display timer and Run never reach a freed block
// (the sanitizer build checks the memory).
TEST_F(WindowRun, DeletingCompiledBlocksLeavesNothingPointingAtThem) {
    StartRunning();
    Spin(2);
    window->Stop();
    Trigger("MISelectAll");
    Trigger("KeyDelete");
    EXPECT_EQ(Elements().Count(), 0);
    EXPECT_FALSE(window->Session().IsCompiled());
    EXPECT_FALSE(window->IsDisplayTimerActive());
    QTest::qWait(300);
    window->Run();  // compiles again: an empty model has no Solver
    EXPECT_FALSE(window->IsRunning());
    EXPECT_TRUE(window->findChild<QToolButton*>("SBStop")->isChecked());
}

TEST_F(WindowRun, MessagesListedDuringARunAreShownWhenItStops) {
    StartRunning();
    window->SetStepBudget(10);  // far from the end of the run
    compileLists.clear();
    window->Session().BenchTop()->CompileMessages().push_back(
        {22, "listed while running", "", true});
    Spin(1);
    EXPECT_TRUE(compileLists.empty());
    window->Stop();
    ASSERT_EQ(compileLists.size(), 1u);
    ASSERT_EQ(compileLists[0].size(), 1u);
    EXPECT_EQ(compileLists[0][0].code, 22);
}

TEST_F(WindowRun, ARecoveryCopyHoldsTheModel) {
    ASSERT_TRUE(window->OpenPath(CopyExample("oscillator.kvd")));
    const std::string sentence = window->WriteRecoveryCopy();
    const std::string prefix = "A copy of your model was saved to ";
    ASSERT_EQ(sentence.rfind(prefix, 0), 0u);
    const std::string path = sentence.substr(prefix.size(), sentence.size() - prefix.size() - 1);
    EXPECT_EQ(ReadFile(path), window->Session().Text());
    QFile::remove(QString::fromStdString(path));
}

}  // namespace
}  // namespace korvel::testing
