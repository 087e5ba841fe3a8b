#include "devicelink/link_attach.h"

#include "platform/debuglog.h"

#include <mutex>

namespace orvel {
namespace {

bool PartnerAttached(const SlotList& slots, std::size_t slot)
{
    const int partner = PartnerOf(slots, slot);
    return partner >= 0 && slots[static_cast<std::size_t>(partner)].attached != 0
           && !slots[static_cast<std::size_t>(partner)].path.empty();
}

bool IsCableKind(std::uint16_t kind)
{
    return kind == kKindKeyboard || kind == kKindMouse;
}

int OpenShared(IHidPort& port, const std::string& path)
{
    return port.Open(path, true, true, true, false);
}

void FreeForRetry(CDeviceSlot& slot)
{
    debuglog::Writef("cannot open %s; trying again on the next scan", slot.path.c_str());
    slot.attached = 0;
    slot.path.clear();
}

} // namespace

std::string_view DeviceChangeLine(std::uint16_t kind, bool arrived)
{
    switch (kind) {
    case kKindKeyboard:
    case kKindKeyboardReceiver:
        return arrived ? "添加一个键盘设备" : "删除一个键盘设备";
    case kKindMouse:
    case kKindMouseReceiver:
        return arrived ? "添加一个鼠标设备" : "删除一个鼠标设备";
    case kKindMousePad:
    case kKindHeadset:
        return arrived ? "添加一个鼠标垫设备" : "删除一个鼠标垫设备";
    default:
        return {};
    }
}

int KindRowOf(const SlotList& slots, std::size_t slot)
{
    const CDeviceSlot& identity = IdentityOf(slots, slot);
    return FindKindRow(identity.vendorId, identity.productId, identity.kind, 0);
}

CLinkAttach::CLinkAttach(CDeviceLink& commandLink, CDeviceLink& notifyLink, bool wirelessCapable)
    : command_(commandLink), notify_(notifyLink), wirelessCapable_(wirelessCapable)
{
}

LinkActions CLinkAttach::OnCommandAttach(SlotList& slots, std::size_t slot)
{
    CDeviceSlot& s = slots[slot];
    const bool receiver = IsReceiverKind(s.kind);
    LinkActions actions;
    if (PartnerAttached(slots, slot)) {
        // A cable takes the link over; a receiver waits until the cable goes.
        if (!receiver)
            actions = SwitchLink(slots, slot);
    } else if (command_.linkOpen == 0) {
        std::lock_guard io(command_.ioLock);
        IHidPort& port = receiver ? *command_.dongleHid : *command_.primaryHid;
        if (OpenShared(port, s.path) == 1) {
            command_.linkOpen = 1;
            if (s.hasPartner != 0)
                command_.SetLinkMode(receiver ? 2 : 1);
            actions.opened = true;
        } else {
            FreeForRetry(s);
            actions.retryLater = true;
            return actions;
        }
    }
    if (IsCableKind(s.kind))
        actions.showItem = true;
    actions.startReadyTimer = true;
    return actions;
}

LinkActions CLinkAttach::OnCommandDetach(SlotList& slots, std::size_t slot)
{
    const CDeviceSlot& s = slots[slot];
    if (PartnerAttached(slots, slot)) {
        // A pulled cable hands the link to the receiver; a receiver leaving a cabled device
        // changes nothing.
        if (!IsReceiverKind(s.kind))
            return SwitchLink(slots, slot);
        return {};
    }
    triesLeft_ = 0;
    if (s.kind == kKindMouse || s.kind == kKindMouseReceiver)
        debuglog::Write("鼠标设备丢失");
    else if (s.kind == kKindKeyboard || s.kind == kKindKeyboardReceiver)
        debuglog::Write("键盘设备丢失");
    CloseCommand(s.hasPartner != 0);
    LinkActions actions;
    actions.hideItem = true;
    return actions;
}

void CLinkAttach::CloseCommand(bool both)
{
    // New transactions return 0 from here on; closing aborts one in flight, which then
    // releases ioLock, so taking it afterwards waits only for that transaction to unwind.
    command_.linkOpen = 0;
    command_.primaryHid->Close();
    if (both)
        command_.dongleHid->Close();
    std::lock_guard io(command_.ioLock);
    command_.primaryHid->Close();
    if (both)
        command_.dongleHid->Close();
}

LinkActions CLinkAttach::SwitchLink(SlotList& slots, std::size_t slot)
{
    LinkActions actions;
    const int partner = PartnerOf(slots, slot);
    if (partner < 0)
        return actions;
    const std::size_t cableSlot = IsReceiverKind(slots[slot].kind) ? static_cast<std::size_t>(partner) : slot;
    const std::size_t receiverSlot = cableSlot == slot ? static_cast<std::size_t>(partner) : slot;
    const bool toCable = slots[cableSlot].attached != 0 && !slots[cableSlot].path.empty();
    CDeviceSlot& target = slots[toCable ? cableSlot : receiverSlot];

    bool opened = false;
    {
        std::lock_guard io(command_.ioLock);
        command_.linkOpen = 0;
        IHidPort& port = toCable ? *command_.primaryHid : *command_.dongleHid;
        port.Close();
        opened = !target.path.empty() && OpenShared(port, target.path) == 1;
        if (opened) {
            command_.SetLinkMode(toCable ? 1 : 2);
            command_.linkOpen = 1;
        }
    }
    triesLeft_ = 0;
    if (!opened) {
        if (!target.path.empty())
            FreeForRetry(target);
        actions.retryLater = true;
        return actions;
    }
    actions.opened = true;
    if (toCable) {
        actions.startReadyTimer = true;
        actions.reportReachable = true;
        actions.queryPower = wirelessCapable_;
        return actions;
    }
    if (!wirelessCapable_) {
        actions.startLinkWatch = true;
        return actions;
    }
    triesLeft_ = kSwitchTries;
    LinkActions step = QueryStep();
    step.opened = true;
    return step;
}

LinkActions CLinkAttach::Step()
{
    if (triesLeft_ <= 0)
        return {};
    return QueryStep();
}

LinkActions CLinkAttach::QueryStep()
{
    LinkActions actions;
    --triesLeft_;
    if (!command_.QueryWirelessLink() && triesLeft_ > 0) {
        debuglog::Write("获取2.4G模式失败");
        actions.stepSwitch = true;
        return actions;
    }
    triesLeft_ = 0;
    debuglog::Write("获取2");
    actions.queryPower = true;
    actions.startLinkWatch = true;
    return actions;
}

bool CLinkAttach::OnNotifyAttach(const SlotList& slots, std::size_t slot)
{
    const CDeviceSlot& s = slots[slot];
    if (IsReceiverKind(s.kind)) {
        std::lock_guard lock(notify_.auxLock);
        const bool opened = OpenShared(*notify_.dongleHid, s.path) == 1;
        notify_.viaDongle = opened ? 1 : 0;
        return opened;
    }
    std::lock_guard lock(notify_.ioLock);
    const bool opened = OpenShared(*notify_.primaryHid, s.path) == 1;
    notify_.linkOpen = opened ? 1 : 0;
    return opened;
}

void CLinkAttach::OnNotifyDetach(const SlotList& slots, std::size_t slot)
{
    // The reader may wait in a read without end: closing wakes it before the lock is taken.
    if (IsReceiverKind(slots[slot].kind)) {
        notify_.viaDongle = 0;
        notify_.dongleHid->Close();
        std::lock_guard lock(notify_.auxLock);
        notify_.dongleHid->Close();
        return;
    }
    notify_.linkOpen = 0;
    notify_.primaryHid->Close();
    std::lock_guard lock(notify_.ioLock);
    notify_.primaryHid->Close();
}

} // namespace orvel
