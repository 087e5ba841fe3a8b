#include "lighting/keyboard_tables.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

using namespace orvel::lighting::keyboard;

TEST(KeyboardTables, SweepOrderVisits68DistinctMatrixPositions)
{
    const std::set<int> distinct(kSweep.begin(), kSweep.end());
    EXPECT_EQ(distinct.size(), kSweep.size());
    for (uint8_t p : kSweep) EXPECT_GE(CellOfPosition(p), 0) << int(p);
    EXPECT_EQ(PositionFilter(34), 34);
    EXPECT_EQ(PositionFilter(120), 170);
}

TEST(KeyboardTables, SnakePath)
{
    std::vector<int> expected;
    for (int p = 0; p <= 15; ++p) expected.push_back(p);
    for (int p = 17; p <= 20; ++p) expected.push_back(p);
    for (int p = 41; p >= 21; --p) expected.push_back(p);
    for (int p = 42; p <= 61; ++p) expected.push_back(p);
    expected.push_back(119);
    for (int p = 78; p >= 75; --p) expected.push_back(p);
    expected.push_back(255);
    for (int p = 74; p >= 63; --p) expected.push_back(p);
    expected.push_back(84);
    expected.push_back(255);
    for (int p = 85; p <= 99; ++p) expected.push_back(p);
    for (int p = 118; p >= 105; --p) expected.push_back(p);
    ASSERT_EQ(expected.size(), 110u);
    for (int step = 0; step < 170; ++step) {
        EXPECT_EQ(kSnake[step], step < 110 ? expected[step] : 255) << step;
    }
}

TEST(KeyboardTables, PulseCurve)
{
    EXPECT_EQ(kPulse[0], 0);
    EXPECT_EQ(kPulse[24], 255);
    EXPECT_EQ(kPulse[25], 248);
    EXPECT_EQ(kPulse[86], 2);
    EXPECT_EQ(kPulse[87], 1);
    EXPECT_EQ(kPulse[88], 0);
    EXPECT_EQ(kPulse[191], 0);
}

TEST(KeyboardTables, GeneratedTablesKeepTheirGivenEntries)
{
    using Grid = std::array<uint8_t, 7>;
    EXPECT_EQ(kStartGrid[0], (Grid{255, 255, 255, 255, 255, 255, 105}));
    EXPECT_EQ(kStartGrid[2], (Grid{255, 0, 22, 43, 64, 85, 107}));
    const std::vector<uint8_t> column0(kStartPhases.begin(), kStartPhases.begin() + 6);
    const std::vector<uint8_t> column2(kStartPhases.begin() + 12, kStartPhases.begin() + 18);
    EXPECT_EQ(column0, (std::vector<uint8_t>{72, 52, 32, 12, 182, 162}));
    EXPECT_EQ(column2, (std::vector<uint8_t>{120, 100, 80, 60, 40, 20}));
    for (uint8_t v : kStartPhases) EXPECT_LE(v, 192);

    EXPECT_EQ(std::vector<uint8_t>(kPickTable.begin(), kPickTable.begin() + 6),
              (std::vector<uint8_t>{88, 24, 101, 57, 16, 69}));
    for (uint8_t v : kPickTable) EXPECT_LE(v, 110);
    for (std::size_t i = 0; i < kSelection.size(); ++i) {
        EXPECT_EQ(kSelection[i], i < kSweep.size() ? kSweep[i] : 170) << i;
    }

    using Row = std::array<uint8_t, 12>;
    const uint8_t x = 170;
    EXPECT_EQ(kRain[0], (Row{25, 26, 50, 51, x, x, x, x, x, x, x, x}));
    EXPECT_EQ(kRain[1], (Row{0, 26, 27, 50, 51, x, x, x, x, x, x, x}));
    for (const Row& row : kRain) {
        for (uint8_t p : row) EXPECT_TRUE(p == 170 || CellOfPosition(p) >= 0) << int(p);
    }

    using Group = std::array<uint8_t, 6>;
    EXPECT_EQ(kShowGroups[0], (Group{0, 115, 255, 255, 255, 255}));
    EXPECT_EQ(kShowGroups[1], (Group{22, 114, 42, 96, 255, 255}));
    for (int g = 16; g < 20; ++g) EXPECT_EQ(kShowGroups[g], (Group{255, 255, 255, 255, 255, 255}));
    // the script ends on the middle keys
    std::set<int> last;
    for (int g = 14; g < 16; ++g)
        for (uint8_t p : kShowGroups[g])
            if (p != 255) last.insert(p);
    EXPECT_EQ(last, (std::set<int>{48, 49, 68, 69, 70, 89, 90, 127}));
    using Pair = std::array<uint8_t, 2>;
    EXPECT_EQ(kShowPairs[0], (Pair{48, 90}));
    EXPECT_EQ(kShowPairs[5], (Pair{49, 127}));
    EXPECT_EQ(kShowPairs[14], (Pair{70, 89}));
    EXPECT_EQ(kShowPairs[15], (Pair{68, 69}));
}

} // namespace
