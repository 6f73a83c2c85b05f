// The bench top: variables and their warnings, fatal conditions, the
// evaluation with its stop and error reports, instruments and resets.
#include "engine/benchtop.h"

#include <gtest/gtest.h>

#include "engine/variables.h"
#include "testmodel.h"

namespace korvel::test {
namespace {

TEST(BenchTop, VariableNamedTimeWarnsAndRuns) {
    KTestModel model(0.01);
    model.Add("KVariable", "Time");
    KBenchTop& benchTop = model.Build();
    ASSERT_EQ(benchTop.CompileMessages().size(), 1u);
    const KCompileMessage& warning = benchTop.CompileMessages()[0];
    EXPECT_EQ(warning.code, 47);
    EXPECT_TRUE(warning.warning);
    EXPECT_EQ(warning.text, "Variable name \"Time\" has the same as \"Time\"");
    EXPECT_EQ(warning.advice,
              "Model will run, but variable may not display properly in main scope or DSA.  "
              "Rename variable.");
    EXPECT_TRUE(benchTop.Solver()->RunUntil(0.1));
}

TEST(BenchTop, EachClashWithAnEarlierNameWarnsOnce) {
    KTestModel model(0.01);
    model.Add("KVariable", "x");
    model.Add("KVariable", "y");
    const KBlock& second = model.Add("KVariable", "x", 1);
    const KBlock& third = model.Add("KVariable", "x", 2);
    KBenchTop& benchTop = model.Build();
    // The second "x" clashes with one, the third with two; each warning is
    // about the block whose name clashes, on its page.
    ASSERT_EQ(benchTop.CompileMessages().size(), 3u);
    const KBlock* about[] = {&second, &third, &third};
    for (std::size_t i = 0; i < 3; ++i) {
        const KCompileMessage& warning = benchTop.CompileMessages()[i];
        EXPECT_EQ(warning.code, 48);
        EXPECT_EQ(warning.text, "Variable name \"x\" has the same as another variable name.");
        EXPECT_EQ(warning.block, about[i]->IDNumber());
        EXPECT_EQ(warning.page, about[i]->Page());
    }
    EXPECT_EQ(benchTop.Variables().Count(), 4);
}

TEST(BenchTop, HiddenStatesCountForClashesButDoNotWarnThemselves) {
    KTestModel model(0.01);
    model.Add("KVariable", "Int");
    model.Add("KInt");  // hidden state "Int": no warning of its own
    model.Add("KVariable", "Int");
    KBenchTop& benchTop = model.Build();
    ASSERT_EQ(benchTop.CompileMessages().size(), 2u);
    EXPECT_EQ(benchTop.Variables().Count(), 3);
    EXPECT_EQ(benchTop.VisibleVariableCount(), 2);
}

// The time variable is made by the build but not listed.
TEST(BenchTop, VarAtOutsideTheListIsAnInternalError) {
    KTestModel model(0.01);
    model.Add("KVariable", "a");
    KBenchTop& benchTop = model.Build();
    ASSERT_NE(benchTop.TimeVar(), nullptr);
    EXPECT_EQ(benchTop.TimeVar()->Name(), "Time");
    EXPECT_EQ(benchTop.TimeVar()->display.scale, 0.02);
    ASSERT_EQ(benchTop.Variables().Count(), 1);
    EXPECT_EQ(benchTop.VarAt(0)->Name(), "a");
    EXPECT_EQ(benchTop.VarAt(1), nullptr);
    EXPECT_EQ(benchTop.VarAt(-1), nullptr);
    EXPECT_EQ(model.messages.Count("Error"), 2);
    EXPECT_EQ(model.messages.Last().text, "Internal Error KVarVector.VarAt failed");
}

TEST(BenchTop, FatalConditionsThrowAfterTheirBox) {
    KMessageRecorder messages;
    struct Case {
        const char* text;
        void (*provoke)(KBenchTop&);
    };
    const Case cases[] = {
        {"Error:  TimeVar must be initialized before other vars.",
         [](KBenchTop& b) { KVar v(b, "x", {}); }},
        {"Solver not initializated when statevar added",
         [](KBenchTop& b) {
             b.SetTimeVar(std::make_unique<KLibraryVar>("Time", KVarDisplay{}));
             KStateVar s(b, "s", {}, 0.0);
         }},
        {"Attempt to add solver when one already is present",
         [](KBenchTop& b) {
             static const double zero = 0.0;
             b.AddSolver(std::make_unique<KSolver>(b, nullptr, &zero, &zero));
             b.AddSolver(std::make_unique<KSolver>(b, nullptr, &zero, &zero));
         }},
        {"Attempt to restart solver when no solver is not present",
         [](KBenchTop& b) { b.RestartSolver(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        messages.Clear();
        KBenchTop benchTop(messages);
        EXPECT_THROW(c.provoke(benchTop), KFatalError);
        ASSERT_FALSE(messages.boxes.empty());
        EXPECT_EQ(messages.Last().caption, "Fatal Error");
        EXPECT_EQ(messages.Last().text, c.text);
        EXPECT_EQ(benchTop.Variables().Count(), 0);
    }
}

TEST(BenchTop, SecondTimeVariableReplacesTheFirstAfterAnError) {
    KMessageRecorder messages;
    KBenchTop benchTop(messages);
    benchTop.SetTimeVar(std::make_unique<KLibraryVar>("Time", KVarDisplay{}));
    benchTop.SetTimeVar(std::make_unique<KLibraryVar>("Time2", KVarDisplay{}));
    EXPECT_EQ(messages.Last().text, "Error: TimeVar already initialized");
    EXPECT_EQ(benchTop.TimeVar()->Name(), "Time2");
}

// Stop blocks wired to a constant 0 are armed by a first evaluation.
TEST(BenchTop, TwoStopRequestsShowTwoNotesAndStopOnce) {
    for (bool batched : {false, true}) {
        KTestModel model(0.01);
        KBlock& level = model.Add("KSimpleConstant", {{"Input", 0.0}});
        KBlock& named = model.Add("KStop", "Halt", 0);
        KBlock& unnamed = model.Add("KStop", "", 2);
        unnamed.userString.clear();
        model.Wire(level, "Output", named, "Stop");
        model.Wire(level, "Output", unnamed, "Stop");
        KBenchTop& benchTop = model.Build();
        benchTop.SetBatchedEvaluation(batched);
        EXPECT_TRUE(benchTop.ComputeAll(0.0));
        *model.Slot(level, "Input") = 1.0;
        EXPECT_FALSE(benchTop.ComputeAll(0.0));
        EXPECT_EQ(
            model.messages.Texts(),
            (std::vector<std::string>{"stop() executed from KStop block named \"Halt\" on sheet 1",
                                      "stop() executed from KStop block on sheet 3"}));
        EXPECT_EQ(model.messages.Count("Note"), 2);
        // Each fired once: the next evaluation goes on.
        EXPECT_TRUE(benchTop.ComputeAll(0.0));
    }
}

TEST(BenchTop, ErrorInTheThirdObjectLeavesTheRestUncomputed) {
    for (bool batched : {false, true}) {
        SCOPED_TRACE(batched ? "batched" : "plain");
        KTestModel model(0.01);
        std::vector<KBlock*> blocks;
        for (const char* name : {"a", "b", "c", "d", "e"})
            blocks.push_back(&model.Add("KAdd", name));
        KBenchTop benchTop(model.messages);
        model.Compile();
        benchTop.Arena().Build(model.compiled);
        benchTop.SetBatchedEvaluation(batched);
        std::vector<KProbe*> probes;
        for (KBlock* block : blocks) {
            probes.push_back(&benchTop.Adopt(std::make_unique<KProbe>(benchTop, *block)));
            benchTop.AddCompute(*probes.back());
        }
        probes[2]->throwAt = 1;
        probes[2]->throwMessage = "boom";
        EXPECT_FALSE(benchTop.ComputeAll(0.0));
        std::vector<int> evaluations;
        for (const KProbe* probe : probes) evaluations.push_back(probe->evaluations);
        EXPECT_EQ(evaluations, (std::vector<int>{1, 1, 1, 0, 0}));
        model.ExpectOnlyBox("Error", "Run time error:  boom in KAdd block named \"c\"");
        EXPECT_TRUE(blocks[2]->runFailed);
        EXPECT_FALSE(blocks[1]->runFailed);
    }
}

TEST(BenchTop, ErrorInAnUnnamedBlockSaysWhichKind) {
    KTestModel model(0.01);
    KBlock& divide = model.Add("KDivide", {{"Input2", 0.0}});
    divide.userString.clear();
    KBenchTop& benchTop = model.Build();
    EXPECT_FALSE(benchTop.ComputeAll(0.0));
    EXPECT_EQ(model.messages.Last().text, "Run time error:  division by zero in a KDivide block");
    EXPECT_TRUE(divide.runFailed);
}

TEST(BenchTop, NextRunTimeIsTheEarliestSampleAsked) {
    KMessageRecorder messages;
    KBenchTop benchTop(messages);
    benchTop.time = 2.0;
    EXPECT_EQ(benchTop.NextRunTime(), 1000002.0);
    auto& scope = benchTop.Adopt(std::make_unique<KFakeInstrument>(5.0));
    auto& none = benchTop.Adopt(std::make_unique<KFakeInstrument>(-1.0));
    auto& analyzer = benchTop.Adopt(std::make_unique<KFakeInstrument>(3.0));
    benchTop.AddScope(scope);
    benchTop.AddScope(none);
    benchTop.AddAnalyzer(analyzer);
    EXPECT_EQ(benchTop.NextRunTime(), 3.0);
    analyzer.next = 4e6;
    EXPECT_EQ(benchTop.NextRunTime(), 5.0);
}

TEST(BenchTop, EveryInstrumentSamplesEvenAfterOneFails) {
    KMessageRecorder messages;
    KBenchTop benchTop(messages);
    benchTop.time = 0.5;
    auto& failing = benchTop.Adopt(std::make_unique<KFakeInstrument>(1.0));
    failing.failAt = 1;
    auto& other = benchTop.Adopt(std::make_unique<KFakeInstrument>(1.0));
    auto& analyzer = benchTop.Adopt(std::make_unique<KFakeInstrument>(1.0));
    benchTop.AddScope(failing);
    benchTop.AddScope(other);
    benchTop.AddAnalyzer(analyzer);
    EXPECT_FALSE(benchTop.SampleInstruments());
    EXPECT_EQ(other.samples, std::vector<double>{0.5});
    EXPECT_EQ(analyzer.samples, std::vector<double>{0.5});

    benchTop.PrepareScopes();
    EXPECT_EQ(failing.prepared, 1);
    EXPECT_EQ(analyzer.prepared, 0);
    EXPECT_FALSE(benchTop.AnyScopeWantsStop());
    other.wantsStop = true;
    EXPECT_TRUE(benchTop.AnyScopeWantsStop());
    EXPECT_FALSE(benchTop.AnyAnalyzerRunning());
    analyzer.running = true;
    EXPECT_TRUE(benchTop.AnyAnalyzerRunning());
}

TEST(BenchTop, ZeroStoredOutputsClearsObjectsThenResetsStates) {
    KTestModel model(0.1);
    model.Add("KInt", {{"Initial Value", 5.0}});
    KBlock& other = model.Add("KLabel");
    KBenchTop& benchTop = model.Build();
    auto& probe = benchTop.Adopt(std::make_unique<KProbe>(benchTop, other));
    benchTop.AddCompute(probe);
    benchTop.ZeroStoredOutputs();
    EXPECT_EQ(probe.zeroed, 1);
    EXPECT_TRUE(benchTop.Solver()->IsResetPending(0));
    ASSERT_TRUE(benchTop.Solver()->Step(0.0));
    EXPECT_EQ(benchTop.Solver()->States()[0], 0.0);
}

TEST(BenchTop, FindDigitalControllerByName) {
    KTestModel model(0.1);
    KBlock& first = model.Add("KLabel", "ctl");
    KBlock& second = model.Add("KLabel", "ctl2");
    KBenchTop& benchTop = model.Build();
    auto& plain = benchTop.Adopt(std::make_unique<KProbe>(benchTop, first));
    auto& controller = benchTop.Adopt(std::make_unique<KProbe>(benchTop, second));
    controller.digitalController = true;
    benchTop.AddCompute(plain);
    benchTop.AddCompute(controller);
    EXPECT_EQ(benchTop.FindDigitalController("ctl"), nullptr);
    EXPECT_EQ(benchTop.FindDigitalController("ctl2"), &controller);
    EXPECT_EQ(benchTop.FindSpreadsheetFile("ctl2"), nullptr);
}

// A net sourced by an unwired custom-module input feeds that node's value.
TEST(BenchTop, ArenaGivesNetsAndUnwiredNodesTheirValues) {
    KTestModel model(0.1);
    KBlock& source = model.Add("KTime");
    KBlock& add = model.Add("KAdd", {{"Input2", 4.0}});
    model.Wire(source, "Time", add, "Input1");
    model.Add("KCustMod");
    KBlock& input = model.Add("KCustOutput", {{"Output", 2.5}});  // "Output" is an input
    input.FindNode("Output")->sourceFlag = true;
    KBlock& minus = model.Add("KMinusX");
    model.Wire(input, "Output", minus, "Input");
    KBenchTop& benchTop = model.Build();
    // Wired input and its source share one slot.
    EXPECT_EQ(model.Slot(source, "Time"), model.Slot(add, "Input1"));
    EXPECT_EQ(model.Value(add, "Input2"), 4.0);
    EXPECT_TRUE(benchTop.ComputeAll(1.5));
    EXPECT_EQ(model.Value(add, "Output"), 5.5);
    EXPECT_EQ(model.Value(minus, "Output"), -2.5);
    // Node values change only when the editor asks.
    EXPECT_EQ(add.FindNode("Output")->value, 0.0);
    benchTop.SyncNodeValues();
    EXPECT_EQ(add.FindNode("Output")->value, 5.5);
    EXPECT_EQ(add.FindNode("Input2")->value, 4.0);
}

}  // namespace
}  // namespace korvel::test
