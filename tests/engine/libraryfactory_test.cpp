// The factory: every block type either runs or is passive.
#include "engine/libraryfactory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "model/blocktype.h"
#include "testmodel.h"

namespace korvel::test {
namespace {

TEST(LibraryFactory, EveryTypeRunsOrIsPassive) {
    int runnable = 0;
    int passiveCount = 0;
    for (const KBlockType& type : BlockTypes()) {
        SCOPED_TRACE(std::string(type.tag));
        const bool hasMaker = FindLibraryMaker(type.tag) != nullptr;
        const bool passive = IsPassiveType(type.tag);
        EXPECT_EQ(int(hasMaker) + int(passive), 1);
        EXPECT_EQ(CanRun(type.tag), hasMaker || passive);
        EXPECT_EQ(FindLibraryMaker(type.number), FindLibraryMaker(type.tag));
        if (hasMaker) ++runnable;
        if (passive) ++passiveCount;
    }
    EXPECT_EQ(runnable + passiveCount, kBlockTypeCount);
    EXPECT_EQ(FindLibraryMaker("KNoSuchType"), nullptr);
    EXPECT_EQ(FindLibraryMaker(kBlockTypeCount), nullptr);
}

// Every maker builds its block with default node values, and every object
// of a block that computes lands on the compute list.
TEST(LibraryFactory, EveryRunnableTypeBuildsWithDefaults) {
    KTestModel model(1e-3);
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

TEST(LibraryFactory, PassiveBlocksMakeNoObject) {
    KTestModel model(1e-3);
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
