#include "base/stepping.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "base/messagerecorder.h"

namespace korvel {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMax = std::numeric_limits<double>::max();

constexpr std::array<double, 6> kDecades = {1e-3, 1e-2, 1e-1, 1.0, 10.0, 100.0};

struct StepCase {
    double input;
    double expected;
};

// Values between the entries and signs the walks below do not pass.
TEST(Stepping, BetweenEntriesAndWithEitherSign) {
    struct Case {
        double x, up, down;
    };
    constexpr Case k125[] = {
        {7, 10, 5},         {-3, -5, -2},          {0, 0, 0}, {0.3, 0.5, 0.2}, {0.7, 1, 0.5},
        {1500, 2000, 1000}, {-0.02, -0.05, -0.01},
    };
    for (const Case& c : k125) {
        SCOPED_TRACE(c.x);
        EXPECT_DOUBLE_EQ(NextHighest10(c.x), c.up);
        EXPECT_DOUBLE_EQ(NextLowest10(c.x), c.down);
    }
    constexpr Case kCoarse[] = {{3.3, 3.5, 3.0}, {-1.7, -2.0, -1.4}, {1500, 1700, 1400}, {0, 0, 0}};
    KMessageRecorder recorder;
    for (const Case& c : kCoarse) {
        SCOPED_TRACE(c.x);
        EXPECT_DOUBLE_EQ(NextHighestThisArray(c.x, CoarseSteps(), recorder), c.up);
        EXPECT_DOUBLE_EQ(NextLowestThisArray(c.x, CoarseSteps(), recorder), c.down);
    }
    EXPECT_TRUE(recorder.boxes.empty());
}

// Every entry of a table (1 to 10), in every decade, must step onto its
// neighbour; a step that skips or repeats an entry, or loses the sign, would
// show up as a wrong value here.
void WalkTable(std::span<const double> table, bool series125) {
    std::vector<double> values;
    for (const double decade : kDecades) {
        for (std::size_t i = 0; i + 1 < table.size(); ++i) values.push_back(table[i] * decade);
    }
    values.push_back(1000.0);
    KMessageRecorder recorder;
    double up = values.front();
    double down = -values.back();  // the sign must survive every step
    for (std::size_t i = 1; i < values.size(); ++i) {
        up = series125 ? NextHighest10(up) : NextHighestThisArray(up, table, recorder);
        ASSERT_DOUBLE_EQ(up, values[i]) << "step up " << i;
        down = series125 ? NextLowest10(down) : NextLowestThisArray(down, table, recorder);
        ASSERT_DOUBLE_EQ(down, -values[values.size() - 1 - i]) << "step down " << i;
    }
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST(Stepping, WalksTheSeriesAndBothTablesThroughSixDecades) {
    constexpr std::array<double, 4> k125 = {1, 2, 5, 10};
    WalkTable(k125, true);
    WalkTable(CoarseSteps(), false);
    WalkTable(FineSteps(), false);
}

TEST(TableStepping, NoEntryShowsAnInternalErrorAndAnswersTheMagnitude) {
    constexpr std::array<double, 1> kOnlyOne = {1.0};
    constexpr std::array<double, 1> kOnlyTen = {10.0};
    KMessageRecorder recorder;
    EXPECT_EQ(NextHighestThisArray(-3.0, kOnlyOne, recorder), 3.0);
    EXPECT_EQ(NextLowestThisArray(-3.0, kOnlyTen, recorder), 3.0);
    EXPECT_EQ(NextHighestThisArray(4.0, std::span<const double>(), recorder), 4.0);
    ASSERT_EQ(recorder.boxes.size(), 3u);
    EXPECT_EQ(recorder.Count("Error"), 3);
    EXPECT_EQ(recorder.boxes[0].text, "Internal Error:  NextHighestThisArray Failed");
    EXPECT_EQ(recorder.boxes[1].text, "Internal Error:  NextLowestThisArray Failed");
}

// Values whose nudged magnitude lands exactly on a power of ten (or, through
// rounding of the logarithm, on the top of the decade below). Without care the
// first steps up to itself and the second finds no table entry at all.
TEST(TableStepping, MagnitudesOnAPowerOfTenAfterTheNudge) {
    constexpr double kUpToOne = 0.99999000009999883;  // * 1.00001 is just below 1
    constexpr double kDownToOne = 1.000010000100001;  // * 0.99999 is exactly 1
    constexpr double kDownToThousand = 1000.010000100001;
    KMessageRecorder recorder;
    EXPECT_DOUBLE_EQ(NextHighest10(kUpToOne), 2.0);
    EXPECT_DOUBLE_EQ(NextHighestThisArray(kUpToOne, CoarseSteps(), recorder), 1.2);
    EXPECT_DOUBLE_EQ(NextLowest10(kDownToOne), 0.5);
    EXPECT_DOUBLE_EQ(NextLowestThisArray(kDownToOne, CoarseSteps(), recorder), 0.85);
    EXPECT_DOUBLE_EQ(NextLowestThisArray(kDownToThousand, FineSteps(), recorder), 970.0);
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST(Stepping, EdgesOfTheDoubleRange) {
    KMessageRecorder recorder;
    EXPECT_EQ(NextHighest10(kInf), kInf);
    EXPECT_EQ(NextLowest10(-kInf), -kInf);
    EXPECT_TRUE(std::isnan(NextHighest10(kNaN)));
    EXPECT_TRUE(std::isnan(NextLowestThisArray(kNaN, FineSteps(), recorder)));
    EXPECT_EQ(NextHighestThisArray(-kInf, CoarseSteps(), recorder), -kInf);
    // 2e308 does not exist, so the largest values cannot step up.
    EXPECT_EQ(NextHighest10(1.5e308), 1.5e308);
    EXPECT_EQ(NextHighest10(kMax), kMax);
    EXPECT_EQ(NextHighestThisArray(-1.75e308, CoarseSteps(), recorder), -1.75e308);
    EXPECT_DOUBLE_EQ(NextHighestThisArray(1.5e308, CoarseSteps(), recorder), 1.7e308);
    EXPECT_DOUBLE_EQ(NextLowest10(kMax), 1e308);
    // Subnormal results still come out, not 0.
    EXPECT_NEAR(NextHighest10(1e-310) / 2e-310, 1.0, 1e-9);
    EXPECT_NEAR(NextLowest10(1e-310) / 5e-311, 1.0, 1e-9);
    EXPECT_GE(NextLowest10(std::numeric_limits<double>::denorm_min()), 0.0);
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST(Round, HalvesGoUp) {
    constexpr StepCase kCases[] = {
        {2.5, 3},
        {-2.5, -2},
        {2.4999, 2},
        {-0.5, 0},
        {-1.5, -1},
        {-1.6, -2},
        {0.49999999999999994, 0},                  // floor(x + 0.5) would give 1
        {4503599627370497.0, 4503599627370497.0},  // 2^52 + 1; x + 0.5 would round to even
        {1e300, 1e300},
    };
    for (const StepCase& c : kCases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(Round(c.input), c.expected);
    }
    EXPECT_EQ(Round(-kInf), -kInf);
    EXPECT_TRUE(std::isnan(Round(kNaN)));
}

TEST(RoundToInt, SaturatesInsteadOfOverflowing) {
    EXPECT_EQ(RoundToInt(2.5), 3);
    EXPECT_EQ(RoundToInt(-7.2), -7);
    EXPECT_EQ(RoundToInt(1e10), INT_MAX);
    EXPECT_EQ(RoundToInt(-1e10), INT_MIN);
    EXPECT_EQ(RoundToInt(kInf), INT_MAX);
    EXPECT_EQ(RoundToInt(kNaN), 0);
}

TEST(Clamp, LimitsToTheRangeWhicheverBoundIsLarger) {
    struct Case {
        int x, a, b, expected;
    };
    constexpr Case kCases[] = {
        {5, 0, 10, 5},  {-1, 0, 10, 0}, {11, 0, 10, 10}, {11, 10, 0, 10},
        {-1, 10, 0, 0}, {0, 1, 20, 1},  {25, 1, 20, 20},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(Clamp(c.x, c.a, c.b), c.expected) << c.x << " in " << c.a << ".." << c.b;
        EXPECT_EQ(Clamp(double(c.x), double(c.a), double(c.b)), double(c.expected));
    }
    EXPECT_EQ(Clamp(2.5, 3.0, -1.0), 2.5);
    EXPECT_TRUE(std::isnan(Clamp(kNaN, 0.0, 1.0)));
}

TEST(NaturalLogHelpers, MatchBaseTenWithinRounding) {
    EXPECT_NEAR(Log10(1000.0), 3.0, 1e-14);
    EXPECT_NEAR(Log10(0.01), -2.0, 1e-14);
    EXPECT_EQ(Log10(0.0), -kInf);
    EXPECT_TRUE(std::isnan(Log10(-1.0)));
    EXPECT_NEAR(Pow10(2.0), 100.0, 1e-12);
    EXPECT_NEAR(Pow10(-3.0), 0.001, 1e-17);
    EXPECT_NEAR(Pow10(0.30102999566398120), 2.0, 1e-14);
}

TEST(SafeAtan2, BothZeroGivesZero) {
    EXPECT_EQ(SafeAtan2(0.0, 0.0), 0.0);
    EXPECT_EQ(SafeAtan2(0.0, -0.0), 0.0);  // atan2 alone answers pi here
    EXPECT_EQ(SafeAtan2(-0.0, -0.0), 0.0);
    EXPECT_DOUBLE_EQ(SafeAtan2(1.0, 0.0), std::numbers::pi / 2);
    EXPECT_DOUBLE_EQ(SafeAtan2(0.0, -1.0), std::numbers::pi);
    EXPECT_DOUBLE_EQ(SafeAtan2(-1.0, -1.0), -3 * std::numbers::pi / 4);
}

}  // namespace
}  // namespace korvel
