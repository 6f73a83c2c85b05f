// Program blocks in a model: binding to nodes, compile failures, stop() and
// run-time errors as the bench top reports them.
#include "engine/blocks_program.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "testmodel.h"

namespace korvel::test {
namespace {

void SetProgram(KBlock& block, const std::string& text) {
    KNode* node = block.FindNode("Program");
    ASSERT_NE(node, nullptr);
    node->SetText(text);
}

// Every program type binds its inputs and outputs in node order.
TEST(ProgramBlock, EveryTypeBindsItsInputsAndOutputs) {
    struct Case {
        const char* tag;
        int count;
    };
    for (const Case& c :
         {Case{"KProgram2i2o", 2}, Case{"KProgram4i4o", 4}, Case{"KProgram8i8o", 8}}) {
        SCOPED_TRACE(c.tag);
        KTestModel model(1e-3);
        KBlock& program = model.Add(c.tag, "P");
        std::string text;
        for (int i = 1; i <= c.count; ++i) {
            KTestModel::Set(program, "Input" + std::to_string(i), i);
            text += "Output" + std::to_string(i) + " = Input" + std::to_string(i) + " * 10 + " +
                    std::to_string(c.count + 1 - i) + ";\n";
        }
        SetProgram(program, text);
        model.Build();
        ASSERT_TRUE(model.benchTop->ComputeAll(0.0));
        for (int i = 1; i <= c.count; ++i)
            EXPECT_EQ(model.Value(program, "Output" + std::to_string(i)), i * 10 + c.count + 1 - i);
    }
}

// y = 2 t + 1 from the Time block's output, at any evaluation time. Assigning
// a wired input (in Q) changes the input's own value only: the wire's source
// keeps its value and the input keeps reading it.
TEST(ProgramBlock, ComputesFromItsWiredInputAndAssigningItLeavesTheSourceAlone) {
    KTestModel model(1e-3);
    KBlock& clock = model.Add("KTime", "Clock");
    KBlock& program = model.Add("KProgram2i2o", "P");
    KBlock& assigning = model.Add("KProgram2i2o", "Q");
    model.Wire(clock, "Time", program, "Input1");
    model.Wire(clock, "Time", assigning, "Input1");
    SetProgram(program, "Output1 = 2 * Input1 + 1; Output2 = t();");
    SetProgram(assigning, "Input1 = 100; Output1 = Input1; Input2 = 7; Output2 = Input2;");
    model.Build();
    for (double t : {0.0, 0.25, 3.0}) {
        ASSERT_TRUE(model.benchTop->ComputeAll(t));
        EXPECT_EQ(model.Value(program, "Output1"), 2 * t + 1);
        EXPECT_EQ(model.Value(program, "Output2"), t);
        EXPECT_EQ(model.Value(clock, "Time"), t);
        EXPECT_EQ(model.Value(assigning, "Output1"), t);
        EXPECT_EQ(model.Value(assigning, "Output2"), 7);  // unwired: its own value
    }
}

TEST(ProgramBlock, AProgramThatDoesNotCompileFailsTheBuild) {
    struct Case {
        const char* text;
        const char* box;  // expected Error box, or nullptr
        int number;       // expected numbered message, or 0
    };
    const Case kCases[] = {
        {"Output1 = x;", "Symbol \"x\" not found on line 1 of Program Block P", 0},
        {"Output1 = 1; if (Input1 > 0.5) { Output2 = 2;",
         "Unmatched '{' on line 1 of Program Block P", 0},
        {"Output1 = 1 $", nullptr, 103},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.text);
        KTestModel model(1e-3);
        KBlock& program = model.Add("KProgram2i2o", "P");
        SetProgram(program, c.text);
        model.Compile();
        EXPECT_EQ(BuildBenchTop(model.compiled, model.messages), nullptr);
        if (c.box != nullptr) {
            model.ExpectOnlyBox("Error", c.box);
        } else {
            ASSERT_EQ(model.messages.messages.size(), 1u);
            const KTwoLineMessage& m = model.messages.messages[0];
            EXPECT_EQ(m.number, c.number);
            EXPECT_EQ(m.description, "Unrecognized char \"$\" on Line 1.");
            ASSERT_TRUE(m.hasBlock);
            EXPECT_EQ(m.block.name, "P");
            EXPECT_EQ(m.block.typeName, "2x2 Program");
        }
    }
}

TEST(ProgramBlock, StopAndMathErrorsReachTheBenchTop) {
    struct Case {
        const char* text;
        const char* caption;
        const char* message;
    };
    const Case kCases[] = {
        {"if (t() >= 1) stop(); Output1 = 1;", "Note",
         "stop() executed from KProgram2i2o block named \"P\" on sheet 1"},
        {"Output1 = log(Input1 - 1);", "Error",
         "Run time error:  Domain error in function\"log()\" in KProgram2i2o block named \"P\""},
        {"Output1 = 1 / (2 - 2);", "Error",
         "Run time error:  division by zero in KProgram2i2o block named \"P\""},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.text);
        KTestModel model(1e-3);
        KBlock& program = model.Add("KProgram2i2o", "P");
        SetProgram(program, c.text);
        model.Build();
        EXPECT_FALSE(model.benchTop->ComputeAll(1.0));
        model.ExpectOnlyBox(c.caption, c.message);
    }
}

// A digital program runs once per sample of its controller (h = 0.01,
// TSample = 0.05: samples at 0, 0.05, 0.10) and holds its outputs between
// samples: a counter of its runs and the ramp's value at the last sample.
TEST(ProgramBlock, ADigitalProgramRunsOncePerSampleAndHoldsBetween) {
    for (const char* tag : {"KProgramDigital2i2o", "KProgramDigital4i4o", "KProgramDigital8i8o"}) {
        for (bool batched : {false, true}) {
            SCOPED_TRACE(std::string(tag) + (batched ? " batched" : " plain"));
            KTestModel model(0.01);
            KTestModel::Set(model.Add("KDctl", "Ctl"), "TSample", 0.05);
            KBlock& ramp = model.Add("KInt", {{"Input", 1.0}}, "ramp");
            KBlock& program = model.Add(tag, "P");
            model.Wire(ramp, "Output", program, "Input1");
            SetProgram(program, "Output1 = Output1 + 1; Output2 = Input1;");
            KBenchTop& benchTop = model.Build();
            benchTop.SetBatchedEvaluation(batched);
            // Samples at 0, 0.05 and 0.10: the runs counted and the ramp held.
            for (int k = 0; k < 14; ++k) {
                ASSERT_TRUE(model.Step());
                const int samples = k < 4 ? 1 : k < 9 ? 2 : 3;
                EXPECT_EQ(model.Value(program, "Output1"), samples) << k;
                EXPECT_NEAR(model.Value(program, "Output2"), 0.05 * (samples - 1), 1e-12) << k;
            }
        }
    }
}

// Without its controller a digital program is compile error 28 and its text
// is not compiled, so even a broken text adds no second message.
TEST(ProgramBlock, ADigitalProgramWithoutItsControllerIsError28) {
    KTestModel model(1e-3);
    KBlock& program = model.Add("KProgramDigital2i2o", "P");
    SetProgram(program, "Output1 = ;");
    KBenchTop& benchTop = model.Build();
    ASSERT_EQ(benchTop.CompileMessages().size(), 1u);
    const KCompileMessage& m = benchTop.CompileMessages()[0];
    EXPECT_EQ(m.code, 28);
    EXPECT_FALSE(m.warning);
    EXPECT_EQ(m.text, "Null value in internal variable, LibraryDctl.");
    EXPECT_EQ(m.block, program.IDNumber());
    EXPECT_TRUE(model.messages.boxes.empty());
    const auto& object = static_cast<const KLibraryProgram&>(*benchTop.ComputeList().back());
    EXPECT_FALSE(object.Program().Ready());
}

}  // namespace
}  // namespace korvel::test
