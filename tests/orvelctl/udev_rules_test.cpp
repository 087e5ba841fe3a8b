// The udev rules file in the repository is what "orvelctl udev-rules" prints, and names every
// identity of the match table.

#include "devicelink/device_tables.h"
#include "run_capture.h"
#include "tools/orvelctl/commands.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace orvel::ctl {
namespace {

TEST(OrvelctlUdevRules, RepositoryFileMatchesTheCommandAndTheTable)
{
    const auto printed = testing::RunCtl({"udev-rules"}, Environment{nullptr, [] { return false; }});
    EXPECT_EQ(printed.code, kExitOk);
    EXPECT_EQ(printed.out, UdevRulesText());

    std::ifstream file(std::string(ORVELCTL_RULES_FILE));
    ASSERT_TRUE(file.good());
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_EQ(text.str(), printed.out);

    for (const CDeviceSlot& row : DeviceMatchTable) {
        char rule[128];
        std::snprintf(rule, sizeof rule, "ATTRS{idVendor}==\"%04x\", ATTRS{idProduct}==\"%04x\"", row.vendorId,
                      row.productId);
        EXPECT_NE(printed.out.find(rule), std::string::npos) << rule;
    }
    std::size_t lines = 0;
    std::istringstream rules(printed.out);
    for (std::string line; std::getline(rules, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        ++lines;
        EXPECT_NE(line.find("SUBSYSTEM==\"hidraw\""), std::string::npos) << line;
        EXPECT_NE(line.find("TAG+=\"uaccess\""), std::string::npos) << line;
    }
    EXPECT_EQ(lines, 6u); // one rule per vendor:product, none repeated
}

} // namespace
} // namespace orvel::ctl
