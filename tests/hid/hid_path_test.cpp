#include "platform/hid/hid_bus.h"
#include "platform/hid/hid_path.h"
#include "platform/hid/hidraw_backend.h"

#include <gtest/gtest.h>

namespace orvel::hid {
namespace {

TEST(HidPathTest, NumbersAfterTheLastHash)
{
    struct Case {
        const char* path;
        const char* key;
        uint32_t expected;
    };
    const Case cases[] = {
        {"/dev/hidraw3#vid_320f&pid_221c&mi_01&col04", "vid_", 0x320F},
        {"/dev/hidraw3#vid_320f&pid_221c&mi_01&col04", "pid_", 0x221C},
        {"/dev/hidraw3#vid_320f&pid_221c&mi_01&col04", "&mi_", 1},
        {"/dev/hidraw3#vid_320f&pid_221c&mi_01&col04", "&col", 4},
        {"/dev/hidraw3#VID_320F&PID_221C&MI_03&COL0a", "&col", 10},
        {"/dev/hidraw3#VID_320F&PID_221C&MI_03", "&mi_", 3},
        {"/dev/hidraw3#vid_0c76&pid_1630", "&mi_", 0},
        {"/dev/hidraw3#vid_0c76&pid_1630", "&col", 0},
        {"/dev/hidraw3#vid_0c76&pid_1630&mi_zz", "&mi_", 0},
        {"vhid:/tmp/x&mi_05&col07/a.sock#vid_0001&pid_0002&mi_01", "&mi_", 1},
        {"vhid:/tmp/x&mi_05&col07/a.sock#vid_0001&pid_0002&mi_01", "&col", 0},
        {"vhid:/tmp/vid_9999/a.sock#pid_0002", "vid_", 0},
        {"no hash &mi_02&col03", "&col", 3},
        {"", "&mi_", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PathNumber(c.path, c.key), c.expected) << c.path << " " << c.key;
    }
}

TEST(HidPathTest, OnePathPerTopLevelCollection)
{
    InterfaceInfo info;
    info.vendorId = 0x320F;
    info.productId = 0x221C;
    info.interfaceNumber = 1;
    EXPECT_EQ(CollectionPaths("/dev/hidraw2", info, 1),
              (std::vector<std::string> {"/dev/hidraw2#vid_320f&pid_221c&mi_01"}));
    EXPECT_EQ(CollectionPaths("/dev/hidraw2", info, 3),
              (std::vector<std::string> {"/dev/hidraw2#vid_320f&pid_221c&mi_01&col01",
                                         "/dev/hidraw2#vid_320f&pid_221c&mi_01&col02",
                                         "/dev/hidraw2#vid_320f&pid_221c&mi_01&col03"}));
    EXPECT_EQ(PathLocation("vhid:/a#b/c.sock#vid_0001"), "vhid:/a#b/c.sock");
}

TEST(HidPathTest, SysfsValues)
{
    struct IdCase {
        const char* text;
        bool ok;
        uint16_t vid, pid;
    };
    const IdCase ids[] = {
        {"0003:0000320F:0000221C", true, 0x320F, 0x221C},
        {"0005:00000C76:00001630", true, 0x0C76, 0x1630},
        {"0003:0001320F:0000221C", false, 0, 0},
        {"0003:0000320F", false, 0, 0},
        {"0003:xyz:0000221C", false, 0, 0},
        {"", false, 0, 0},
    };
    for (const IdCase& c : ids) {
        uint16_t vid = 0, pid = 0;
        EXPECT_EQ(hidraw::ParseHidId(c.text, vid, pid), c.ok) << c.text;
        EXPECT_EQ(vid, c.vid) << c.text;
        EXPECT_EQ(pid, c.pid) << c.text;
    }
    struct HexCase {
        const char* text;
        uint32_t expected;
    };
    const HexCase hexes[] = {{"01\n", 1}, {"0100", 0x100}, {"03", 3}, {"", 7}, {"zz", 7}, {"1z", 7}};
    for (const HexCase& c : hexes) {
        EXPECT_EQ(hidraw::ParseHexAttribute(c.text, 7), c.expected) << c.text;
    }
    EXPECT_EQ(hidraw::ParseHexAttribute(nullptr, 7), 7u);
}

} // namespace
} // namespace orvel::hid
