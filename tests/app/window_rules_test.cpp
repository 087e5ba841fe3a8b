#include "app/window_rules.h"

#include <gtest/gtest.h>

#include <cstring>

namespace orvel::app {
namespace {

TEST(WindowRules, TheLayoutScaleFollowsTheMonitor)
{
    struct Case {
        int w, h, dpi;
    };
    const Case cases[] = {{1920, 1080, 144}, {1366, 768, 96}, {1501, 961, 144}, {1500, 1200, 96},
                          {2560, 960, 96},   {3840, 2160, 144}, {0, 0, 96}};
    for (const Case& c : cases)
        EXPECT_EQ(ChooseLayoutDpi(c.w, c.h), c.dpi) << c.w << "x" << c.h;
}

TEST(WindowRules, TheWorkToolAnswerListsTheKindRows)
{
    const auto block = BuildWorkToolAnswer();
    std::int32_t v[32];
    std::memcpy(v, block.data(), sizeof v);
    const std::int32_t expect[] = {2, 3, 0, 2, 4, 0x320F, 0x221C, 2, 0x320F, 0x5055, 1, 0x320F, 0x1004, 3,
                                   0x0C76, 0x1630, 7};
    for (std::size_t i = 0; i < std::size(expect); ++i)
        EXPECT_EQ(v[i], expect[i]) << i;
    for (std::size_t i = sizeof expect; i < block.size(); ++i)
        EXPECT_EQ(block[i], 0) << i;
}

TEST(WindowRules, PreviousAndNextSkipHiddenItemsAndStopAtTheEnds)
{
    const std::vector<bool> visible{true, false, true, true, false};
    EXPECT_EQ(NextVisibleItem(visible, 0, +1), 2);
    EXPECT_EQ(NextVisibleItem(visible, 2, -1), 0);
    EXPECT_EQ(NextVisibleItem(visible, 3, +1), -1); // the last visible item
    EXPECT_EQ(NextVisibleItem(visible, 0, -1), -1);
    EXPECT_EQ(NextVisibleItem(visible, -1, +1), 0);
    EXPECT_EQ(NextVisibleItem({}, 0, +1), -1);
}

} // namespace
} // namespace orvel::app
