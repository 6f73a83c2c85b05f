// The batched evaluation plan: same values as compile order to the bit,
// batches where the data flow allows them, compile order where it does not.
#include "engine/evaluationplan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engine/libraryfactory.h"
#include "engine/variables.h"
#include "testmodel.h"

namespace korvel::test {
namespace {

// Time -> Sin -> N stages of (subtract, scale-by 100, integrator), in the
// depth-first order a compile gives.
void AddLowPassChain(KTestModel& model, int stages) {
    KBlock& time = model.Add("KTime");
    KBlock& sine = model.Add("KSin");
    model.Wire(time, "Time", sine, "Input");
    KBlock* previous = &sine;
    const char* previousOutput = "Output";
    for (int i = 0; i < stages; ++i) {
        KBlock& sub = model.Add("KSub");
        KBlock& gain = model.Add("KScale", {{"Scale by", 100.0}});
        KBlock& integrator = model.Add("KInt", {{"Initial Value", 1.0}});
        model.Wire(*previous, previousOutput, sub, "Input1");
        model.Wire(integrator, "Output", sub, "Input2");
        model.Wire(sub, "Output", gain, "Input");
        model.Wire(gain, "Output", integrator, "Input");
        previous = &integrator;
        previousOutput = "Output";
    }
}

// A model that mixes kernels with objects that keep compile order: random
// numbers, a clamped integrator read before it is computed, a divide, a
// timed buffer, a filter, logic, a variable and a stop that never fires.
void BuildMixedModel(KTestModel& model, bool statesInArena = true) {
    model.AddSolver(1e-3);
    AddLowPassChain(model, 9);
    KBlock& clampedReader = model.Add("KMult", {{"Input2", 3.0}});
    KBlock& random = model.Add("KRandom");
    KBlock& sum = model.Add("KAdd");
    KBlock& clamped = model.Add("KClampedInt", {{"Maximum", 0.02}, {"Minimum", -0.03}});
    KBlock& divide = model.Add("KDivide", {{"Input1", 2.0}});
    KBlock& lowPass = model.Add("KLpf1", {{"Frequency", 30.0}});
    KBlock& square = model.Add("KSquareWave");
    KBlock& compare = model.Add("KCompareGT", {{"Input2", 0.2}});
    KBlock& buffer = model.Add("KLogicTimedBuffer", {{"Delay Time", 0.004}});
    KBlock& gate = model.Add("KLogicXor");
    KBlock& variable = model.Add("KVariable", "mixed");
    KBlock& stop = model.Add("KStop", {{"Stop", 0.0}});
    KBlock& clock = static_cast<KBlock&>(model.elements.At(1));  // the chain's Time block
    lowPass.FindNode("Output")->value = 1.0;                     // the divide's divisor: never 0
    model.Wire(clamped, "Output", clampedReader, "Input1");
    model.Wire(random, "Output", sum, "Input1");
    model.Wire(clampedReader, "Output", sum, "Input2");
    model.Wire(sum, "Output", clamped, "Input");
    model.Wire(sum, "Output", lowPass, "Input");
    model.Wire(lowPass, "Output", divide, "Input2");
    model.Wire(clock, "Time", square, "Input");
    model.Wire(random, "Output", compare, "Input1");
    model.Wire(compare, "Output", buffer, "Input");
    model.Wire(buffer, "Output", gate, "Input1");
    model.Wire(square, "Output", gate, "Input2");
    model.Wire(divide, "Output", variable, "Input");
    model.Wire(gate, "Output", stop, "Stop");
    if (statesInArena) {
        model.Build();
        return;
    }
    // As BuildBenchTop, but with no room for the states behind the value
    // slots: the solver keeps its own states and kernels read state outputs.
    model.Compile();
    model.benchTop = std::make_unique<KBenchTop>(model.messages, &model.compiled);
    model.benchTop->Arena().Build(model.compiled);
    model.benchTop->SetTimeVar(std::make_unique<KLibraryVar>("Time", KVarDisplay{}));
    for (KBlock* block : model.compiled.ordered) {
        if (KLibraryMaker make = FindLibraryMaker(block->Type())) make(*model.benchTop, *block);
    }
}

std::vector<double> Snapshot(KBenchTop& benchTop) {
    std::vector<double> values(benchTop.Arena().Data(),
                               benchTop.Arena().Data() + benchTop.Arena().Size());
    const KSolver& solver = *benchTop.Solver();
    values.insert(values.end(), solver.States(), solver.States() + solver.Count());
    for (const KLibraryVar* var : benchTop.Variables().All()) values.push_back(var->Value());
    return values;
}

// Runs both for a second of model time, comparing every value bit for bit.
void CompareRuns(KTestModel& plain, KTestModel& batched) {
    plain.benchTop->SetBatchedEvaluation(false);
    batched.benchTop->SetBatchedEvaluation(true);
    ASSERT_GT(batched.benchTop->Plan().KernelObjectCount(), 10u);
    ASSERT_GE(batched.benchTop->Plan().DenseBatchCount(), 3);
    for (int chunk = 1; chunk <= 20; ++chunk) {
        const double until = chunk * 0.05;
        ASSERT_TRUE(plain.Solver().RunUntil(until)) << plain.messages.Last().text;
        ASSERT_TRUE(batched.Solver().RunUntil(until));
        const std::vector<double> x = Snapshot(*plain.benchTop);
        const std::vector<double> y = Snapshot(*batched.benchTop);
        ASSERT_EQ(x.size(), y.size());
        ASSERT_EQ(std::memcmp(x.data(), y.data(), x.size() * sizeof(double)), 0)
            << "at t = " << until;
    }
    EXPECT_EQ(plain.messages.Texts(), batched.messages.Texts());
}

TEST(EvaluationPlan, BatchedAndPlainOrderAgreeToTheBit) {
    for (bool statesInArena : {true, false}) {
        SCOPED_TRACE(statesInArena ? "states in the arena" : "states apart");
        KTestModel plain;
        KTestModel batched;
        BuildMixedModel(plain, statesInArena);
        BuildMixedModel(batched, statesInArena);
        CompareRuns(plain, batched);
        EXPECT_EQ(batched.benchTop->Plan().NeedsFullRefresh(), !statesInArena);
    }
}

// The chain's subtracts read only state outputs and the sine, so all stages
// but the first fall into a handful of batches.
TEST(EvaluationPlan, ChainStagesRunAsBatches) {
    KTestModel model(1e-5);
    AddLowPassChain(model, 50);
    KBenchTop& benchTop = model.Build();
    const KEvaluationPlan& plan = benchTop.Plan();
    EXPECT_EQ(plan.KernelObjectCount(), 2u + 3u * 50u);
    EXPECT_LE(plan.Ops().size(), 10u);
    EXPECT_LE(plan.LevelCount(), 5);
    // Stages 2..50 of each kind sit in consecutive slots: plain array loops.
    EXPECT_EQ(plan.DenseBatchCount(), 3);
}

// Sines of four scaled clocks side by side: one loop over consecutive slots
// of a one-input kind, each giving sin(k t).
TEST(EvaluationPlan, ParallelSinesRunAsOneDenseBatch) {
    KTestModel model(1e-3);
    KBlock& time = model.Add("KTime");
    std::vector<KBlock*> sines;
    for (int k = 1; k <= 4; ++k) {
        KBlock& scale = model.Add("KScale", {{"Scale by", double(k)}});
        sines.push_back(&model.Add("KSin"));
        model.Chain({&time, &scale, sines.back()});
    }
    KBenchTop& benchTop = model.Build();
    benchTop.SetBatchedEvaluation(true);
    EXPECT_GE(benchTop.Plan().DenseBatchCount(), 1);
    ASSERT_TRUE(benchTop.ComputeAll(0.3));
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(model.Value(*sines[k - 1], "Output"), std::sin(k * 0.3));
}

// A block that reads the output of an object later in the order, which is
// not a plain state output, sees the previous value in both orders.
TEST(EvaluationPlan, EarlierReaderStillSeesTheOldValue) {
    for (bool batched : {false, true}) {
        KTestModel model(0.1);
        KBlock& reader = model.Add("KMinusX");
        KBlock& clamped = model.Add("KClampedInt", {{"Input", 1.0}});
        model.Wire(clamped, "Output", reader, "Input");
        KBlock& afterwards = model.Add("KMinusX");
        model.Wire(clamped, "Output", afterwards, "Input");
        KBenchTop& benchTop = model.Build();
        benchTop.SetBatchedEvaluation(batched);
        ASSERT_TRUE(benchTop.Solver()->Step(0.0));
        EXPECT_NEAR(model.Value(reader, "Output"), -0.1, 1e-15);
        EXPECT_NEAR(model.Value(afterwards, "Output"), -0.1, 1e-15);
    }
}

// Objects that are not kernels keep their compile order among themselves.
TEST(EvaluationPlan, ObjectsKeepTheirRelativeOrder) {
    KTestModel model(0.1);
    std::vector<KBlock*> blocks;
    for (int i = 0; i < 6; ++i) blocks.push_back(&model.Add("KLabel", std::to_string(i)));
    KBlock& kernel = model.Add("KAdd");
    KBenchTop& benchTop = model.Build();
    std::vector<int> order;
    struct Recorder : KProbe {
        Recorder(KBenchTop& b, KBlock& block, std::vector<int>& order, int id)
            : KProbe(b, block), order_(order), id_(id) {}
        void Compute(double) override { order_.push_back(id_); }
        std::vector<int>& order_;
        int id_;
    };
    for (int i = 5; i >= 0; --i) {
        benchTop.AddCompute(
            benchTop.Adopt(std::make_unique<Recorder>(benchTop, *blocks[i], order, i)));
    }
    (void)kernel;
    ASSERT_TRUE(benchTop.ComputeAll(0.0));
    EXPECT_EQ(order, (std::vector<int>{5, 4, 3, 2, 1, 0}));
}

}  // namespace
}  // namespace korvel::test
