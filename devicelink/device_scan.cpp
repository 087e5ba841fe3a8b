#include "devicelink/device_scan.h"

#include "platform/debuglog.h"

#include <array>


namespace orvel {

int MatchInterface(IHidProbe& probe, const std::string& path, CDeviceSlot& candidate, ProbeInfo& info,
                   const std::function<bool(const CDeviceSlot&)>& admit)
{
    candidate = ParseCandidate(path);
    if (!RowMatchesFour(candidate) || (admit && !admit(candidate)))
        return -1;
    if (!probe.Probe(path, info))
        return -1;
    candidate.vendorId = info.vendorId;
    candidate.productId = info.productId;
    candidate.usagePage = info.usagePage;
    candidate.usage = info.usage;
    return FindSixMatchRow(candidate);
}

CDeviceScanner::CDeviceScanner(SlotList& slots, IHidProbe& probe, ScanReports reports)
    : slots_(slots), probe_(probe), reports_(std::move(reports))
{
}

void CDeviceScanner::Pass()
{
    if (AnySlotFree(slots_))
        AttachNew();
    DetachGone();
}

void CDeviceScanner::AttachNew()
{
    std::vector<std::string> paths;
    if (!probe_.Enumerate(paths)) {
        // A failed listing is retried on the next pass; arrival detection must not end.
        debuglog::Write("HID enumeration failed; retrying on the next pass");
        return;
    }
    for (const std::string& path : paths) {
        CDeviceSlot candidate;
        ProbeInfo info;
        const int row = MatchInterface(probe_, path, candidate, info,
                                       [this](const CDeviceSlot& parsed) { return HasFreeSlot(slots_, parsed); });
        if (row < 0)
            continue;
        candidate.kind = DeviceMatchTable[static_cast<std::size_t>(row)].kind;
        candidate.role = DeviceMatchTable[static_cast<std::size_t>(row)].role;
        const int slot = FindFreeSlot(slots_, candidate);
        if (slot < 0)
            continue;
        slots_[static_cast<std::size_t>(slot)].attached = 1;
        slots_[static_cast<std::size_t>(slot)].path = path;
        reports_.send(WM_DEVICE_ATTACH, static_cast<WPARAM>(slot));
    }
    if (firstScan_) {
        reports_.firstScanDone();
        firstScan_ = false;
    }
}

void CDeviceScanner::DetachGone()
{
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        CDeviceSlot& slot = slots_[i];
        if (slot.attached == 0 || probe_.IsPresent(slot.path))
            continue;
        slot.attached = 0;
        slot.path.clear();
        reports_.send(WM_DEVICE_DETACH, i);
    }
}

void DeviceScanThread(const WorkerParam& param)
{
    const auto& context = *static_cast<const DeviceScanContext*>(param.owner);
    const HWND window = context.mainWindow;
    const UINT instanceMessage = context.instanceMessage;
    CDeviceScanner scanner(*context.slots, *context.probe,
                           {[window](UINT message, WPARAM slot) { SendMessageW(window, message, slot, 0); },
                            [window, instanceMessage] { PostMessageW(window, instanceMessage, 0, 0); }});
    const std::array<EventHandle, 2> events{param.stopEvent, context.changed};
    DWORD wait = 1;
    for (;;) {
        bool triggered = false;
        if (!context.changed) {
            if (WaitStop(param, wait)) {
                break;
            }
        } else {
            const DWORD woken = WaitForAnyObject(events, wait);
            if (woken != WAIT_TIMEOUT && woken != WAIT_OBJECT_0 + 1) {
                break;
            }
            triggered = woken == WAIT_OBJECT_0 + 1;
        }
        scanner.Pass();
        wait = !context.changed || triggered ? kScanPollMs : kScanFallbackMs;
    }
    debuglog::Write("抓取设备线程设定退出");
}

} // namespace orvel
