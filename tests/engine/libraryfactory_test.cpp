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
    "KLpf2",
    "KLpf2a",
    "KNotch",
    "KLeadLag",
    "KBiQuad",
    "KDConstant",
    "KDIConstant",
    "KSConstant",
    "KISConstant",
    "KStringConstant",
    "KLiveVariable",
    "KLiveVariable2",
    "KPi",
    "KPiPlus",
    "KPid",
    "KSwitch",
    "KSwitch4",
    "KHyster",
    "KClamp",
    "KRampLimit",
    "KRevShift",
    "KDeadband",
    "KDeadbandComp",
    "KSFilter1",
    "KSFilter2",
    "KSFilter3",
    "KSFilter4",
    "KSFilter5",
    "KSFilter6",
    "KZFilter1",
    "KZFilter2",
    "KZFilter3",
    "KZFilter4",
    "KZFilter5",
    "KZFilter6",
    "KProgramDigital2i2o",
    "KProgramDigital4i4o",
    "KProgramDigital8i8o",
    "KWaveGen",
    "KMeterRMS",
    "KMeterDC",
    "KMeterHarm",
    "KHarmCorrTable",
    "KMeterTimer",
    "KMeterCounter",
    "KMeterInspect",
    "KMeterTrigInspect",
    "KLamp",
    "KBar",
    "KDial",
    "KBanner",
    "KMessage",
    "KButton",
    "KRelay",
    "KDsa",
    "KDctl",
    "KDDelay",
    "KDSampleHold",
    "KDDiff",
    "KDInvTrap",
    "KDSum",
    "KDPi",
    "KDPid",
    "KDPid2",
    "KDPiPlus",
    "KDLpf1",
    "KDLpf2",
    "KDLpf2a",
    "KDNotch",
    "KDLeadLag",
    "KDBiQuad",
    "KDTCalc",
    "KDRandom",
    "KDDither",
    "KMech2J",
    "KABC2DQ",
    "KDQ2ABC",
    "KExcelMotor",
    "KFriction",
    "KHarmError",
    "KMotorFb",
    "KProfileAVD",
    "KProfile333",
    "KProfile333PA",
    "KProfileTri",
    "KExcelFile",
    "KExcelLoad",
    "KExcelStore",
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
    for (const KBlockType& type : BlockTypes()) {
        if (type.tag == "KSolver" || type.tag == "KCustMod") continue;
        if (!CanRun(type.tag)) continue;
        KBlock& block = model.Add(type.tag);
        // 1/x of the default 0 would stop the run with a division by zero.
        if (type.tag == "KOneOverX") KTestModel::Set(block, "Input", 2.0);
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
    KTestModel model;
    model.AddSolver(1e-3);
    model.Add("KAdd", "sum");
    model.Add("KPid", "Speed loop");
    model.Add("KScope", "Scope");
    model.Compile();
    EXPECT_EQ(BuildBenchTop(model.elements, model.messages), nullptr);
    ASSERT_EQ(model.messages.boxes.size(), 1u);
    EXPECT_EQ(model.messages.Last().caption, "Error");
    EXPECT_EQ(model.messages.Last().text,
              "Analog PID blocks (KPid) cannot run yet: block \"Speed loop\"");
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
