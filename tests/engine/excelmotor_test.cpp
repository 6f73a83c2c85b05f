#include "engine/excelmotor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>

#include "engine/runerror.h"
#include "spreadsheet/workbook.h"

namespace korvel {
namespace {

// Imax 10 A; torque limit 5, 3, 0 Nm at 0, 50, 100 rad/s.
KMotorTables Tables() {
    KMotorTables t;
    t.maxCurrent = 10.0;
    t.maxVelocity = 100.0;
    t.torque = {5.0, 3.0, 0.0};
    return t;
}

struct StepCase {
    const char* name;
    double current;
    double velocity;
    double torque;
    double currentOut;
    double dynamicKt;  // starts at 0.7
};

TEST(ExcelMotorStep, TorqueAndCurrentFollowTheTorqueSpeedLimit) {
    const StepCase cases[] = {
        // 5 x 4/10 = 2 Nm; the limit at 25 rad/s is (5 + 3)/2 = 4.
        {"motoring within the limit", 4.0, 25.0, 2.0, 4.0, 0.5},
        // 5 Nm asked; the limit at 75 is (3 + 0)/2 = 1.5, so the current
        // falls to 10 x 1.5/5 = 3 A.
        {"motoring at the limit", 10.0, 75.0, 1.5, 3.0, 0.5},
        {"braking ignores the limit", 10.0, -75.0, 5.0, 10.0, 0.5},
        {"standstill ignores the limit", 10.0, 0.0, 5.0, 10.0, 0.5},
        {"current limited to Imax", -20.0, 0.0, -5.0, -10.0, 0.5},
        // Beyond Vmax the speed is Vmax, whose limit is 0: no torque, no
        // current, and the ratio keeps its last value instead of 0/0.
        {"motoring at top speed", -10.0, -150.0, 0.0, 0.0, 0.7},
        {"no current keeps KT", 5e-6, 10.0, 2.5e-6, 5e-6, 0.7},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(c.name);
        double kt = 0.7;
        const KMotorOutputs out = MotorStep(Tables(), {c.current, c.velocity, 0.0, 25.0}, kt);
        EXPECT_DOUBLE_EQ(out.torque, c.torque);
        EXPECT_DOUBLE_EQ(out.currentOut, c.currentOut);
        EXPECT_DOUBLE_EQ(kt, c.dynamicKt);
        EXPECT_EQ(out.powerLoss, 0.0);
        EXPECT_FALSE(std::isnan(kt));
    }
}

TEST(ExcelMotorStep, CoggingAddsHalfTheMagnitudeOfEachHarmonic) {
    KMotorTables t = Tables();
    t.useCog = true;
    t.cogHarmonic = {1.0, 4.0};
    t.cogMagnitude = {2.0, 1.0};
    t.cogPhase = {0.0, std::numbers::pi / 2};
    double kt = 0.0;
    // At pi/2: 0.5 x 2 x sin(pi/2) + 0.5 x 1 x sin(2 pi - pi/2) = 1 - 0.5.
    const auto out = MotorStep(t, {0.0, 0.0, std::numbers::pi / 2, 25.0}, kt);
    EXPECT_NEAR(out.torque, 0.5, 1e-12);
}

TEST(ExcelMotorStep, LossesOpposeMotionAndHoldAMotorAtRest) {
    KMotorTables t = Tables();
    t.useLoss = true;
    t.loss = {1.0, 2.0, 3.0};
    struct Case {
        const char* name;
        double current, velocity, torque, powerLoss;
    };
    const Case cases[] = {
        {"forward: torque 2 less loss 2", 4.0, 50.0, 0.0, 100.0},
        {"backward: torque 2 plus loss 2", 4.0, -50.0, 4.0, 100.0},
        {"at rest, no current: no torque", 0.0, 0.0, 0.0, 0.0},
        {"at rest, friction holds 0.5 Nm", 1.0, 0.0, 0.0, 0.0},
        {"at rest, friction takes 1 of 2 Nm", 4.0, 0.0, 1.0, 0.0},
        {"at rest, pulling back", -4.0, 0.0, -1.0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        double kt = 0.0;
        const auto out = MotorStep(t, {c.current, c.velocity, 0.0, 25.0}, kt);
        EXPECT_DOUBLE_EQ(out.torque, c.torque);
        EXPECT_DOUBLE_EQ(out.powerLoss, c.powerLoss);
    }
}

TEST(ExcelMotorStep, CopperLossGrowsWithTemperature) {
    KMotorTables t = Tables();
    t.r25 = 2.0;
    t.tempCoeff = 1.004;
    double kt = 0.0;
    // 3^2 x 2 x 1.004^100
    EXPECT_NEAR(MotorStep(t, {3.0, 0.0, 0.0, 125.0}, kt).powerLoss, 26.831427941661573, 1e-9);
    EXPECT_DOUBLE_EQ(MotorStep(t, {3.0, 0.0, 0.0, 25.0}, kt).powerLoss, 18.0);
}

// A sheet held in memory.
class KFakeSheet final : public KSheet {
public:
    KFakeSheet() : KSheet("Motor") {}
    KCellValue Read(const KCellAddress& a) const override {
        const auto found = cells.find(FormatCellAddress(a));
        return found == cells.end() ? KCellValue{} : found->second;
    }
    bool Write(const KCellAddress&, double, std::string&) override { return false; }
    std::map<std::string, KCellValue> cells;
};

KFakeSheet MotorSheet() {
    KFakeSheet s;
    const std::pair<const char*, KCellValue> labels[] = {
        {"Maximum current", KCellValue::Number(10)},
        {"R @ 25 degrees C", KCellValue::Number(0)},
        {"Winding temp coeff", KCellValue::Number(1)},
        {"Velocity column", KCellValue::Text("D")},
        {"Torque column", KCellValue::Text("E")},
        {"Row of first velocity", KCellValue::Text("20")},
        {"Number of velocities", KCellValue::Number(3)},
        {"Linear torque table length", KCellValue::Number(5)},
        {"Use loss table?", KCellValue::Text("y")},
        {"Loss coefficient column", KCellValue::Text("f")},
        {"Use cog table?", KCellValue::Text("n")},
    };
    int row = 1;
    for (const auto& [label, value] : labels) {
        s.cells["A" + std::to_string(row)] = KCellValue::Text(label);
        s.cells["B" + std::to_string(row)] = value;
        ++row;
    }
    const double velocity[] = {0, 40, 100}, torque[] = {6, 4, 1}, loss[] = {0.5, 1.5, 2.5};
    for (int i = 0; i < 3; ++i) {
        s.cells["D" + std::to_string(20 + i)] = KCellValue::Number(velocity[i]);
        s.cells["E" + std::to_string(20 + i)] = KCellValue::Number(torque[i]);
        s.cells["F" + std::to_string(20 + i)] = KCellValue::Number(loss[i]);
    }
    return s;
}

void ExpectTable(const std::vector<double>& actual, std::vector<double> expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1e-12);
}

TEST(ExcelMotorTables, ResampleTheSheetAtEquallySpacedSpeeds) {
    const KMotorTables t = LoadMotorTables(MotorSheet());
    EXPECT_EQ(t.maxCurrent, 10.0);
    EXPECT_EQ(t.maxVelocity, 100.0);
    // Speeds 0, 25, 50, 75, 100 in the segments 0-40 and 40-100; the last
    // torque entry is 0 whatever the sheet says.
    ExpectTable(t.torque, {6.0, 4.75, 3.5, 2.25, 0.0});
    ASSERT_TRUE(t.useLoss);
    ExpectTable(t.loss, {0.5, 1.125, 1.5 + 1.0 / 6.0, 1.5 + 35.0 / 60.0, 2.5});
    EXPECT_FALSE(t.useCog);
}

TEST(ExcelMotorTables, OnlyALowerCaseYUsesATable) {
    KFakeSheet s = MotorSheet();
    s.cells["B9"] = KCellValue::Text("Y");
    EXPECT_FALSE(LoadMotorTables(s).useLoss);
}

TEST(ExcelMotorTables, SheetsTheMotorCannotUseAreRefusedNamingTheLabel) {
    struct Case {
        const char* name;
        const char* cell;
        KCellValue value;
        const char* named;
    };
    const Case cases[] = {
        {"missing velocity count", "A7", KCellValue::Text("Velocities"), "Number of velocities"},
        {"one velocity", "B7", KCellValue::Number(1), "Number of velocities"},
        {"missing table length", "A8", {}, "Linear torque table length"},
        {"no maximum current", "B1", KCellValue::Number(0), "Maximum current"},
        {"equal velocities", "D21", KCellValue::Number(0), "Velocity column"},
        {"last velocity 0", "D22", KCellValue::Number(-5), "Velocity column"},
        {"first velocity above 0", "D20", KCellValue::Number(10), "Velocity column"},
        {"bad column", "B5", KCellValue::Text("5"), "Torque column"},
        {"text velocity", "D21", KCellValue::Text("fast"), "D21"},
        {"rows beyond the sheet", "B6", KCellValue::Number(65535), "Row of first velocity"},
        {"copper loss with no coefficient", "B2", KCellValue::Number(1.5), "Winding temp coeff"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KFakeSheet s = MotorSheet();
        s.cells["B3"] = KCellValue::Number(0);  // a 0 coefficient matters only with resistance
        s.cells[c.cell] = c.value;
        try {
            LoadMotorTables(s);
            ADD_FAILURE() << "accepted";
        } catch (const KRunError& e) {
            EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace korvel
