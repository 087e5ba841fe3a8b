#include "devices/device_model.h"

#include "devicelink/hid_adapters.h"
#include "devices/kind_models.h"
#include "profiles/profilefiles.h"

namespace orvel::devices {
namespace {

::CHidDevice& HidOf(IHidPort& port)
{
    // The links of a model are built with CHidDevice ports (CDeviceLink's default).
    return static_cast<CHidPort&>(port).Device();
}

} // namespace

int DeviceModel::KindInUse(const SlotList& slots, std::size_t slot) const
{
    const CDeviceSlot& s = slots[slot];
    const int partner = PartnerOf(slots, slot);
    if (partner < 0 || IsReceiverKind(s.kind) == ViaReceiver())
        return s.kind;
    return slots[static_cast<std::size_t>(partner)].kind;
}

lighting::LightSettings LightSettingsOf(const profiles::LightRecord& record)
{
    lighting::LightSettings s;
    s.mode = record.selectItem;
    s.brightness = record.light;
    s.speed = record.speed;
    s.direction = record.fx != 0;
    s.fx = record.fx;
    s.multicolor = record.multiColor != 0;
    s.colour = {record.red, record.green, record.blue};
    return s;
}

DeviceModel::DeviceModel(int kindRow, PostNotification post)
    : kindRow_(kindRow),
      post_(std::move(post)),
      attach_(command_, notify_, DevicePageTable[static_cast<std::size_t>(kindRow)].wirelessCapable != 0),
      output_([this] { return SendFrame(); })
{
}

DeviceModel::~DeviceModel()
{
    Shutdown();
}

std::unique_ptr<DeviceModel> DeviceModel::Create(int kindRow, PostNotification post)
{
    if (kindRow < 0 || static_cast<std::size_t>(kindRow) >= DeviceKindTable.size())
        return nullptr;
    std::unique_ptr<DeviceModel> model;
    switch (DeviceKindTable[static_cast<std::size_t>(kindRow)].kind) {
    case kKindMouse: model = std::make_unique<MouseModel>(kindRow, std::move(post)); break;
    case kKindKeyboard: model = std::make_unique<KeyboardModel>(kindRow, std::move(post)); break;
    case kKindMousePad: model = std::make_unique<MousePadModel>(kindRow, std::move(post)); break;
    case kKindHeadset: model = std::make_unique<HeadsetModel>(kindRow, std::move(post)); break;
    default: return nullptr;
    }
    model->Initialise();
    return model;
}

DeviceFolders FoldersOfKindRow(int kindRow)
{
    const std::string name(DeviceKindTable[static_cast<std::size_t>(kindRow)].kindName);
    return DeviceFolders{profiles::ProfileFolder(name), profiles::DefaultDataFolder(), name,
                         std::string(DevicePageTable[static_cast<std::size_t>(kindRow)].lightFileBase)};
}

void DeviceModel::Initialise()
{
    DeviceCore& core = Core();
    core.SetWirelessCapable(WirelessCapable());
    core.ConnectLighting(&Lighting());
    const DeviceFolders& folders = core.Folders();
    profiles_.SetDeviceKind(KindRowData().kind);
    profiles_.SetPaths(folders.profileFolder, folders.DefaultProfile());
    if (!folders.profileFolder.empty() && profiles_.InitProfiles().ok())
        core.SetProfileIdentifier(profiles_.GetSelectedIdentifier());
    // The page shows the profile's lighting until the device is read.
    core.LoadProfile();
    TakeLightingState();
}

LinkActions DeviceModel::OnCommandAttach(SlotList& slots, std::size_t slot)
{
    auto hold = HoldOutput();
    const LinkActions actions = attach_.OnCommandAttach(slots, slot);
    if (actions.opened)
        Core().SetKind(KindInUse(slots, slot));
    Lighting().SetLinkOpen(LinkOpen());
    if (LinkOpen())
        output_.Start();
    UpdateStreaming();
    return actions;
}

LinkActions DeviceModel::OnCommandDetach(SlotList& slots, std::size_t slot)
{
    auto hold = HoldOutput();
    const LinkActions actions = attach_.OnCommandDetach(slots, slot);
    if (actions.opened)
        Core().SetKind(KindInUse(slots, slot));
    Lighting().SetLinkOpen(LinkOpen());
    UpdateStreaming();
    return actions;
}

LinkActions DeviceModel::SwitchStep()
{
    auto hold = HoldOutput();
    const LinkActions actions = attach_.Step();
    UpdateStreaming();
    return actions;
}

bool DeviceModel::OnNotifyAttach(const SlotList& slots, std::size_t slot)
{
    if (!attach_.OnNotifyAttach(slots, slot))
        return false;
    StartReader(IsReceiverKind(slots[slot].kind) ? NotifySource::Receiver : NotifySource::Cable);
    return true;
}

void DeviceModel::OnNotifyDetach(const SlotList& slots, std::size_t slot)
{
    // Closing the interface wakes the reader's read; then the reader is joined.
    attach_.OnNotifyDetach(slots, slot);
    StopReader(IsReceiverKind(slots[slot].kind) ? NotifySource::Receiver : NotifySource::Cable);
}

void DeviceModel::StartReader(NotifySource source)
{
    std::unique_ptr<NotifyReader>& reader = source == NotifySource::Receiver ? receiverReader_ : cableReader_;
    IHidPort& port = source == NotifySource::Receiver ? *notify_.dongleHid : *notify_.primaryHid;
    if (!reader)
        reader = std::make_unique<NotifyReader>(HidOf(port), source, post_);
    reader->Start();
}

void DeviceModel::StopReader(NotifySource source)
{
    std::unique_ptr<NotifyReader>& reader = source == NotifySource::Receiver ? receiverReader_ : cableReader_;
    if (reader)
        reader->Stop();
}

bool DeviceModel::IsWirelessLinkUp()
{
    auto hold = HoldOutput();
    return Core().IsWirelessLinkUp();
}

int DeviceModel::LoadFromDevice()
{
    auto hold = HoldOutput();
    const int status = Core().LoadFromDevice();
    LightingChanged();
    return status;
}

int DeviceModel::ResyncFromDevice()
{
    auto hold = HoldOutput();
    BeforeResync();
    const int status = Core().ResyncFromDevice();
    LightingChanged();
    return status;
}

PowerResult DeviceModel::QueryPower()
{
    auto hold = HoldOutput();
    return Core().QueryPower();
}

NotifyEffect DeviceModel::ApplyNotification(NotifySource source, std::uint16_t usage)
{
    auto hold = HoldOutput();
    const NotifyMeaning meaning = MeaningOf(usage, Core().Family(), source);
    const NotifyEffect effect = Core().ApplyNotification(meaning);
    LightingChanged();
    return effect;
}

SequenceResult DeviceModel::Perform(const std::function<int()>& operation)
{
    return Perform([&] {
        SequenceResult result;
        result.TakeStatus(operation());
        return result;
    });
}

SequenceResult DeviceModel::Perform(const std::function<SequenceResult()>& sequence)
{
    auto hold = HoldOutput();
    SequenceResult result = sequence();
    LightingChanged();
    return result;
}

SequenceResult DeviceModel::ChangeLighting(const profiles::LightRecord& record)
{
    return Perform([&] { return Core().ChangeLighting(record); });
}

void DeviceModel::SetLightOwnership(bool on)
{
    auto hold = HoldOutput();
    Core().SetLightOwnership(on);
    UpdateStreaming();
}

void DeviceModel::LightingChanged()
{
    TakeLightingState();
    UpdateStreaming();
}

void DeviceModel::UpdateStreaming()
{
    const bool takes = LinkOpen() && TakesFrames();
    if (takes && !streams_.exchange(true))
        output_.FrameChanged(); // the frame of now, without waiting for the next render
    streams_.store(takes);
    UpdateLoop();
}

void DeviceModel::SetWindowHidden(bool hidden)
{
    Core().SetWindowHidden(hidden);
}

void DeviceModel::JoinScheduler(lighting::LightScheduler& scheduler)
{
    if (scheduler_ != nullptr)
        return;
    scheduler_ = &scheduler;
    UpdateLoop();
}

void DeviceModel::LeaveScheduler()
{
    if (observed_) {
        scheduler_->Remove(lightId_);
        observed_.reset();
    }
    scheduler_ = nullptr;
}

void DeviceModel::SetPreviewShown(bool shown)
{
    previewShown_ = shown;
    UpdateLoop();
}

void DeviceModel::UpdateLoop()
{
    // A loop nobody sees (a hidden page of a device that animates itself) would only wake the
    // light thread. Paused, it goes on from its last frame when it is wanted again.
    const bool wanted = scheduler_ != nullptr && (previewShown_ || streams_.load(std::memory_order_relaxed));
    if (wanted && !observed_) {
        observed_ = std::make_unique<lighting::ObservedSource>(Lighting(), [this] {
            if (streams_.load(std::memory_order_relaxed))
                output_.FrameRendered();
        });
        lightId_ = scheduler_->Add(*observed_, Lighting().Timing());
    } else if (!wanted && observed_) {
        scheduler_->Remove(lightId_);
        observed_.reset();
    }
}

void DeviceModel::Shutdown()
{
    // The links first: closing them wakes a reader's read and a frame in flight.
    command_.linkOpen = 0;
    command_.primaryHid->Close();
    command_.dongleHid->Close();
    notify_.linkOpen = 0;
    notify_.viaDongle = 0;
    notify_.primaryHid->Close();
    notify_.dongleHid->Close();
    if (cableReader_)
        cableReader_->Stop();
    if (receiverReader_)
        receiverReader_->Stop();
    output_.Stop();
    LeaveScheduler();
}

} // namespace orvel::devices
