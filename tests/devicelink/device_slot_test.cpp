#include "devicelink/device_slot.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

TEST(DeviceTables, MatchRowsPairCableAndReceiver)
{
    // Every partner names its partner back and shares the role; cable and receiver kinds pair.
    for (std::size_t i = 0; i < DeviceMatchTable.size(); ++i) {
        const CDeviceSlot& row = DeviceMatchTable[i];
        EXPECT_EQ(row.attached, 0);
        EXPECT_TRUE(row.path.empty());
        if (row.hasPartner == 0)
            continue;
        const CDeviceSlot& partner = DeviceMatchTable[row.partner];
        EXPECT_EQ(partner.partner, i) << i;
        EXPECT_EQ(partner.role, row.role) << i;
        EXPECT_NE(IsReceiverKind(partner.kind), IsReceiverKind(row.kind)) << i;
    }
}

TEST(DeviceTables, KindRowsAreFoundByTheirFourValues)
{
    struct Case {
        int vendorId, productId, kind, sub, row;
    } const cases[] = {
        {0x320F, 0x221C, 2, 0, 0}, {0x320F, 0x5055, 1, 0, 1}, {0x320F, 0x1004, 3, 0, 2},
        {0x0C76, 0x1630, 7, 0, 3}, {0x320F, 0x221D, 6, 0, -1}, {0x320F, 0x221C, 2, 1, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindKindRow(c.vendorId, c.productId, c.kind, c.sub), c.row) << std::hex << c.productId;
    EXPECT_EQ(DeviceKindTable[2].kindName, "MousePad");
    EXPECT_EQ(DevicePageTable[1].pageLayout, "XML\\DeviceXml\\keyboarddevice.xml");
    EXPECT_EQ(UpdateProductTable[3].versionText, "V1.0.0.0");
}

TEST(DeviceSlots, CandidatesFromPaths)
{
    struct Case {
        const char* path;
        std::uint16_t vid, pid, mi, col;
    } const cases[] = {
        {"vhid:/run/x/mouse.if1.sock#vid_320f&pid_221c&mi_01&col04", 0x320F, 0x221C, 1, 4},
        {"/dev/hidraw3#VID_320F&PID_5088&MI_01&COL03", 0x320F, 0x5088, 1, 3},
        {"vhid:/run/x/hs.sock#vid_0c76&pid_1630&mi_03", 0x0C76, 0x1630, 3, 0},
        {"vhid:/run/x/pad.sock#vid_320f&pid_1004", 0x320F, 0x1004, 0, 0},
        // folder names before the last '#' do not count
        {"vhid:/run/vid_1234&mi_07/a#b.sock#vid_320f&pid_1004&mi_01&col04", 0x320F, 0x1004, 1, 4},
        {"vhid:/run/x/bad.sock#vid_fffff&pid_zz", 0xFFFF, 0, 0, 0},
        {"", 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const CDeviceSlot s = ParseCandidate(c.path);
        EXPECT_EQ(s.vendorId, c.vid) << c.path;
        EXPECT_EQ(s.productId, c.pid) << c.path;
        EXPECT_EQ(s.interfaceNumber, c.mi) << c.path;
        EXPECT_EQ(s.collectionNumber, c.col) << c.path;
        EXPECT_EQ(s.path, c.path);
    }
}

TEST(DeviceSlots, DescriptorEqualityIgnoresPresenceAndPartner)
{
    CDeviceSlot a = DeviceMatchTable[4];
    CDeviceSlot b = a;
    b.attached = 1;
    b.path = "somewhere";
    b.hasPartner = 0;
    b.partner = 9;
    EXPECT_TRUE(DescriptorEquals(a, b));
    for (auto field : {&CDeviceSlot::vendorId, &CDeviceSlot::productId, &CDeviceSlot::interfaceNumber,
                       &CDeviceSlot::collectionNumber, &CDeviceSlot::kind, &CDeviceSlot::role,
                       &CDeviceSlot::usagePage, &CDeviceSlot::usage}) {
        CDeviceSlot c = a;
        c.*field = static_cast<std::uint16_t>(c.*field + 1);
        EXPECT_FALSE(DescriptorEquals(a, c));
    }
}

TEST(DeviceSlots, IdentityOfEachSlot)
{
    const SlotList slots = MakeSlotList();
    // slot -> the row whose descriptor the device object carries
    const std::size_t expected[kMatchRows] = {0, 0, 0, 0, 4, 4, 4, 4, 8, 8, 10};
    for (std::size_t i = 0; i < slots.size(); ++i)
        EXPECT_TRUE(DescriptorEquals(IdentityOf(slots, i), DeviceMatchTable[expected[i]])) << i;
}

TEST(DeviceSlots, FreeAndAttached)
{
    SlotList slots = MakeSlotList();
    EXPECT_TRUE(AnySlotFree(slots));
    EXPECT_FALSE(AllSlotsAttached(slots));

    CDeviceSlot mouse = ParseCandidate("x#vid_320f&pid_221c&mi_01&col04");
    EXPECT_TRUE(HasFreeSlot(slots, mouse));
    EXPECT_EQ(FindFreeSlot(slots, mouse), -1) << "usage not known yet";
    mouse.usagePage = 0xFF1C;
    mouse.usage = 0x92;
    EXPECT_EQ(FindFreeSlot(slots, mouse), 4);
    slots[4].attached = 1;
    slots[4].path = mouse.path;
    EXPECT_FALSE(HasFreeSlot(slots, mouse));
    EXPECT_EQ(FindFreeSlot(slots, mouse), -1);

    for (CDeviceSlot& s : slots)
        s.attached = 1;
    EXPECT_TRUE(AllSlotsAttached(slots));
    EXPECT_FALSE(AnySlotFree(slots));
}

TEST(DeviceSlots, PartnersNameEachOther)
{
    SlotList slots = MakeSlotList();
    EXPECT_EQ(PartnerOf(slots, 4), 6);
    EXPECT_EQ(PartnerOf(slots, 6), 4);
    EXPECT_EQ(PartnerOf(slots, 8), -1);
    slots[6].partner = 5;
    EXPECT_EQ(PartnerOf(slots, 4), -1);
}

} // namespace
} // namespace orvel
