#include "devices/selector_icons.h"

#include <gtest/gtest.h>

namespace orvel::devices {
namespace {

TEST(SelectorIcons, SetsByKindAndSub)
{
    struct Case {
        int kind, sub;
        const char* set;
    };
    const Case cases[] = {{1, 0, "kb_device"},      {2, 0, "ms_device"}, {3, 0, "hard_mp_device"},
                          {3, 1, "soft_mp_device"}, {4, 0, "hd_device"}, {7, 0, "hd_device"},
                          {5, 0, "hub_device"},     {9, 0, "unknow_device"}, {3, 2, ""}};
    for (const Case& c : cases)
        EXPECT_EQ(IconSetFor(c.kind, c.sub).name, c.set) << c.kind << "/" << c.sub;
    const IconSet kb = IconSetFor(1, 0);
    EXPECT_EQ(kb.normal, "common/device_ico/kb_device_normal.png");
    EXPECT_EQ(kb.synchroSelected, "common/device_ico/kb_device_synchro_selected.png");
    EXPECT_EQ(kb.tooltipKey, "kb_device_name_text");
}

} // namespace
} // namespace orvel::devices
