// The factory: every block type either runs, is passive, or is known not to
// run yet; a model with a type that cannot run refuses to build.
#include "engine/libraryfactory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "model/blocktype.h"
#include "testmodel.h"

namespace korvel::test {
namespace {

// Types whose run-time classes have not landed yet. The list shrinks as they
// do; a type that gains a maker must leave it (the test below checks both ways).
const std::set<std::string_view> kNotYet = {
    "KProgramDigital2i2o",
    "KProgramDigital4i4o",
    "KProgramDigital8i8o",
};

TEST(LibraryFactory, EveryTypeRunsIsPassiveOrIsKnownNotToRunYet) {
    int runnable = 0;
    int passiveCount = 0;
    for (const KBlockType& type : BlockTypes()) {
        SCOPED_TRACE(std::string(type.tag));
        const bool hasMaker = FindLibraryMaker(type.tag) != nullptr;
        const bool passive = IsPassiveType(type.tag);
        const bool notYet = kNotYet.count(type.tag) != 0;
        EXPECT_EQ(int(hasMaker) + int(passive) + int(notYet), 1);
        EXPECT_EQ(CanRun(type.tag), hasMaker || passive);
        EXPECT_EQ(FindLibraryMaker(type.number), FindLibraryMaker(type.tag));
        if (hasMaker) ++runnable;
        if (passive) ++passiveCount;
    }
    EXPECT_EQ(runnable + passiveCount + int(kNotYet.size()), kBlockTypeCount);
    EXPECT_EQ(FindLibraryMaker("KNoSuchType"), nullptr);
    EXPECT_EQ(FindLibraryMaker(kBlockTypeCount), nullptr);
}

// Every maker builds its block with default node values, and every object
// of a block that computes lands on the compute list.
TEST(LibraryFactory, EveryRunnableTypeBuildsWithDefaults) {
    KTestModel model;
    model.AddSolver(1e-3);
    int made = 0;
    std::vector<int> variables;
    for (const KBlockType& type : BlockTypes()) {
        if (type.tag == "KSolver" || type.tag == "KCustMod") continue;
        if (!CanRun(type.tag)) continue;
        KBlock& block = model.Add(type.tag);
        // 1/x of the default 0 would stop the run with a division by zero.
        if (type.tag == "KOneOverX") KTestModel::Set(block, "Input", 2.0);
        // A signal analyzer must be told which two Variables it measures.
        if (block.IsVariable()) variables.push_back(block.IDNumber());
        if (type.tag == "KDsa" && variables.size() >= 2) {
            KTestModel::Set(block, "Input Channel", variables[0]);
            KTestModel::Set(block, "Output Channel", variables[1]);
        }
        if (!IsPassiveType(type.tag)) ++made;
    }
    KBenchTop& benchTop = model.Build();
    EXPECT_EQ(int(benchTop.ComputeList().size()), made);
    EXPECT_TRUE(benchTop.Solver()->RunUntil(0.01));
    EXPECT_TRUE(model.messages.boxes.empty()) << model.messages.Last().text;
    for (bool batched : {false, true}) {
        benchTop.SetBatchedEvaluation(batched);
        EXPECT_TRUE(benchTop.ComputeAll(benchTop.time));
    }
}

TEST(LibraryFactory, ATypeThatCannotRunYetFailsTheBuild) {
    if (kNotYet.empty()) GTEST_SKIP() << "every type runs";
    // Any type still on the list; the list shrinks as block families land.
    const KBlockType& type = *FindBlockType(*FindBlockTypeByTag(*kNotYet.begin()));
    KTestModel model;
    model.AddSolver(1e-3);
    model.Add("KAdd", "sum");
    model.Add(type.tag, "Speed loop");
    model.Add("KScope", "Scope");
    model.Compile();
    EXPECT_EQ(BuildBenchTop(model.compiled, model.messages), nullptr);
    ASSERT_EQ(model.messages.boxes.size(), 1u);
    EXPECT_EQ(model.messages.Last().caption, "Error");
    EXPECT_EQ(model.messages.Last().text, std::string(type.displayName) + " blocks (" +
                                              std::string(type.tag) +
                                              ") cannot run yet: block \"Speed loop\"");
}

TEST(LibraryFactory, PassiveBlocksMakeNoObject) {
    KTestModel model;
    model.AddSolver(1e-3);
    for (const char* tag : {"KExtender", "KExtenderOutput", "KCustMod", "KCustInput", "KCustOutput",
                            "KCustDoc", "KCustDctl", "KLabel", "KAnchor"}) {
        EXPECT_TRUE(IsPassiveType(tag)) << tag;
        model.Add(tag);
    }
    KBenchTop& benchTop = model.Build();
    EXPECT_TRUE(benchTop.ComputeList().empty());
}

}  // namespace
}  // namespace korvel::test
