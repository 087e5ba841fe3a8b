#include "sim/devices/firmware.h"

#include "sim/devices/event_image.h"

#include <algorithm>

namespace orvel::sim {
namespace {

constexpr std::size_t kMaxMacros = 64;
constexpr std::size_t kShootGuns = 4;
constexpr std::size_t kShootCapacity = 4096;

} // namespace

Firmware::Firmware(DeviceKind kind, const Clock& clock)
    : kind_(kind), clock_(clock), memory_(FactoryMemory(kind)), batteryAt_(clock.Now())
{
    macroCapacity_ = 128u * memory_.info[6];
    shootCapacity_ = kind == DeviceKind::Mouse ? kShootCapacity : 0;
    stagedMacros_.bytes.assign(macroCapacity_, 0);
    stagedShoot_.bytes.assign(shootCapacity_, 0);
}

bool Firmware::Supports(std::uint8_t command) const
{
    switch (command) {
    case cmd::kBeginConfig:
    case cmd::kEndConfig:
    case cmd::kReadBlock:
    case cmd::kWriteBlock:
    case cmd::kReadSmall:
        return true;
    case cmd::kReadDeviceInfo:
    case cmd::kWriteLightStream:
        return kind_ != DeviceKind::Headset;
    case cmd::kReadKeyTable:
    case cmd::kWriteKeyTable:
    case cmd::kWriteMacroData:
    case cmd::kQueryWirelessLink:
        return kind_ == DeviceKind::Keyboard || kind_ == DeviceKind::Mouse;
    case cmd::kWriteLightFrame:
    case cmd::kReadKeyTableExtra:
    case cmd::kSetHostLightControl:
        return kind_ == DeviceKind::Keyboard;
    case cmd::kWriteShootData:
        return kind_ == DeviceKind::Mouse;
    default:
        return false;
    }
}

Reaction Firmware::HandleCommand(Path via, std::span<const std::uint8_t> report)
{
    std::lock_guard lock(mutex_);
    Reaction reaction;
    const Frame request = ToFrame(report);
    if (request[0] != kCommandReportId) {
        return reaction;
    }
    std::chrono::milliseconds lateBy{0};
    const auto fault = TakeFault(via, request[3], lateBy);
    if (fault == FaultAction::Unplug) {
        Log(via, request, std::nullopt);
        reaction.unplug = true;
        return reaction;
    }
    if (fault == FaultAction::BadChecksumStatus || fault == FaultAction::RejectedStatus) {
        Frame answer{};
        std::copy_n(request.begin(), kPayloadOffset, answer.begin());
        answer[7] = fault == FaultAction::BadChecksumStatus ? kStatusBadChecksum : kStatusRejected;
        StampChecksum(answer);
        Log(via, request, answer[7]);
        reaction.answer = answer;
        return reaction;
    }
    const Frame answer = Execute(via, request);
    if (fault == FaultAction::Drop) {
        Log(via, request, std::nullopt);
        return reaction;    // the device did the work; its answer is lost
    }
    if (fault == FaultAction::Late) {
        reaction.extraDelay = lateBy;
    }
    Log(via, request, answer[7]);
    reaction.answer = answer;
    return reaction;
}

void Firmware::Log(Path via, const Frame& request, std::optional<std::uint8_t> status)
{
    received_.push_back({via, request, status});
    if (received_.size() > kReceivedFrameLog) {
        received_.pop_front();
    }
}

std::vector<ReceivedFrame> Firmware::TakeReceived()
{
    std::lock_guard lock(mutex_);
    std::vector<ReceivedFrame> frames(received_.begin(), received_.end());
    received_.clear();
    return frames;
}

std::optional<FaultAction> Firmware::TakeFault(Path via, std::uint8_t command, std::chrono::milliseconds& lateBy)
{
    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        if ((it->command && *it->command != command) || (it->path && *it->path != via)) {
            continue;
        }
        if (it->skip > 0) {
            --it->skip;
            continue;
        }
        const FaultAction action = it->action;
        lateBy = it->lateBy;
        if (it->times > 0 && --it->times == 0) {
            faults_.erase(it);
        }
        return action;
    }
    return std::nullopt;
}

Frame Firmware::Execute(Path via, const Frame& request)
{
    Frame answer{};
    std::copy_n(request.begin(), kPayloadOffset, answer.begin());
    answer[7] = kStatusOk;
    const std::uint8_t command = request[3];
    if (via == Path::Receiver && !Reachable(Path::Receiver)) {
        // The receiver answers for a device it cannot reach.
        answer[3] = kUnreachable;
        StampChecksum(answer);
        return answer;
    }
    if (!ChecksumMatches(request)) {
        answer[7] = kStatusBadChecksum;
    } else if (!Supports(command) || request[4] > kMaxPayload) {
        answer[7] = kStatusRejected;
    } else if (IsChunkedCommand(command) && request[4] > LinkChunk(kind_, via)) {
        memory_.lastRefusal = "frame of " + std::to_string(request[4]) + " bytes on a link that carries " +
                              std::to_string(LinkChunk(kind_, via)) + " per frame";
        answer[7] = kStatusRejected;
    } else {
        switch (command) {
        case cmd::kBeginConfig:
            if (configOpen_) {
                memory_.lastRefusal = "BeginConfig restarted an open sequence";
            }
            configOpen_ = true;
            stagedMacros_.touched = false;
            stagedMacros_.extent = 0;
            stagedShoot_.touched = false;
            stagedShoot_.extent = 0;
            break;
        case cmd::kEndConfig:
            answer[7] = EndConfig();
            break;
        case cmd::kReadDeviceInfo:
            answer[7] = Read(memory_.info, request, answer);
            break;
        case cmd::kReadBlock:
            answer[7] = Read(memory_.block, request, answer);
            break;
        case cmd::kWriteBlock:
            answer[7] = RequireConfig() ? Write(memory_.block, request) : kStatusRejected;
            dirty_ = dirty_ || answer[7] == kStatusOk;
            if (answer[7] == kStatusOk) {
                memory_.hostLightControl = false;   // a settings write hands the lighting back
            }
            break;
        case cmd::kReadKeyTable:
            answer[7] = Read(memory_.factoryKeys, request, answer);
            break;
        case cmd::kWriteKeyTable:
            answer[7] = RequireConfig() ? Write(memory_.keyTable, request) : kStatusRejected;
            dirty_ = dirty_ || answer[7] == kStatusOk;
            break;
        case cmd::kWriteLightFrame:
            // Custom colour groups are written whenever the user paints keys, with no
            // Begin...End around them, and are kept.
            answer[7] = Write(memory_.lightGroups, request);
            if (answer[7] == kStatusOk) {
                SaveLocked();
            }
            break;
        case cmd::kWriteLightStream:
            answer[7] = Write(memory_.ledPicture, request);
            break;
        case cmd::kWriteMacroData:
            answer[7] = RequireConfig() ? Stage(stagedMacros_, request) : kStatusRejected;
            break;
        case cmd::kWriteShootData:
            answer[7] = RequireConfig() ? Stage(stagedShoot_, request) : kStatusRejected;
            break;
        case cmd::kReadSmall:
            answer[7] = Read(StatusBytesLocked(via), request, answer);
            break;
        case cmd::kReadKeyTableExtra:
            answer[7] = Read(memory_.ledTable, request, answer);
            break;
        case cmd::kSetHostLightControl:
            memory_.hostLightControl = true;
            break;
        case cmd::kQueryWirelessLink:
            answer[kPayloadOffset] = 0xFF;
            break;
        default:
            answer[7] = kStatusRejected;
            break;
        }
    }
    StampChecksum(answer);
    return answer;
}

bool Firmware::RequireConfig()
{
    if (!configOpen_) {
        memory_.lastRefusal = "write outside BeginConfig...EndConfig";
    }
    return configOpen_;
}

std::uint8_t Firmware::Read(std::span<const std::uint8_t> source, const Frame& request, Frame& answer)
{
    const std::size_t address = FrameAddress(request);
    const std::size_t length = request[4];
    if (address + length > source.size()) {
        memory_.lastRefusal = "read of " + std::to_string(length) + " bytes at " + std::to_string(address) +
                              " beyond " + std::to_string(source.size());
        return kStatusRejected;
    }
    std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(address), length, answer.begin() + kPayloadOffset);
    return kStatusOk;
}

std::uint8_t Firmware::Write(std::vector<std::uint8_t>& target, const Frame& request)
{
    const std::size_t address = FrameAddress(request);
    const std::size_t length = request[4];
    if (address + length > target.size()) {
        memory_.lastRefusal = "write of " + std::to_string(length) + " bytes at " + std::to_string(address) +
                              " beyond " + std::to_string(target.size());
        return kStatusRejected;
    }
    std::copy_n(request.begin() + kPayloadOffset, length, target.begin() + static_cast<std::ptrdiff_t>(address));
    return kStatusOk;
}

std::uint8_t Firmware::Stage(Staged& staged, const Frame& request)
{
    const std::uint8_t status = Write(staged.bytes, request);
    if (status == kStatusOk) {
        staged.touched = true;
        staged.extent = std::max<std::size_t>(staged.extent, FrameAddress(request) + request[4]);
    }
    return status;
}

std::uint8_t Firmware::EndConfig()
{
    std::uint8_t status = kStatusOk;
    auto commit = [this, &status](Staged& staged, std::vector<std::uint8_t>& kept, std::size_t capacity,
                                  std::size_t maxSections, const char* what) {
        if (!staged.touched) {
            return;
        }
        const std::span<const std::uint8_t> image(staged.bytes.data(), staged.extent);
        const ImageCheck check = CheckEventImage(image, capacity, maxSections);
        if (check.ok) {
            kept.assign(image.begin(), image.end());
            dirty_ = true;
        } else {
            memory_.lastRefusal = std::string(what) + " refused: " + check.error;
            status = kStatusRejected;
        }
        staged.touched = false;
        staged.extent = 0;
    };
    commit(stagedMacros_, memory_.macros, macroCapacity_, kMaxMacros, "macro image");
    commit(stagedShoot_, memory_.shoot, shootCapacity_, kShootGuns, "shoot image");
    configOpen_ = false;
    if (dirty_) {
        SaveLocked();
        dirty_ = false;
    }
    return status;
}

std::vector<std::uint8_t> Firmware::StatusBytesLocked(Path via) const
{
    std::vector<std::uint8_t> status(kStatusSize, 0);
    UpdateBattery();
    status[0] = static_cast<std::uint8_t>(battery_ + 0.5 > 100 ? 100 : battery_ + 0.5);
    status[1] = static_cast<std::uint8_t>(ChargeLocked());
    status[3] = via == Path::Receiver ? 1 : 0;
    status[5] = kind_ == DeviceKind::MousePad ? phone_ : 0;
    return status;
}

void Firmware::HandleLightReport(std::span<const std::uint8_t> report)
{
    if (kind_ != DeviceKind::Headset || report.size() < kHeadsetLightReportSize || report[0] != kHeadsetLightReportId) {
        return;
    }
    std::lock_guard lock(mutex_);
    const std::uint8_t bank = report[1];
    const std::uint8_t reg = report[2];
    if ((bank != 0x22 && bank != 0x44) || reg < 0xAA || reg > 0xAF) {
        return;
    }
    auto& picture = bank == 0x22 ? memory_.headset.bank22 : memory_.headset.bank44;
    const int colour = (reg - 0xAA) % 3;              // AA/AD red, AB/AE green, AC/AF blue
    const bool upper = reg >= 0xAD;                   // LEDs 7..12 instead of 0..6
    const int first = upper ? 7 : 0;
    const int count = upper ? 6 : 7;
    for (int i = 0; i < count; ++i) {
        picture[static_cast<std::size_t>(colour)][static_cast<std::size_t>(first + i)] = report[4 + static_cast<std::size_t>(i)];
    }
    if (bank == 0x44 && reg == 0xAF) {
        ++memory_.headset.framesCompleted;           // the last of the twelve reports of a frame
    }
}

void Firmware::SetPathPresent(Path path, bool present)
{
    std::lock_guard lock(mutex_);
    UpdateBattery();
    if (path == Path::Cable) {
        cablePresent_ = present;
        if (present && wireless_ == WirelessState::Asleep) {
            wireless_ = WirelessState::Awake;
        }
    } else {
        receiverPresent_ = present;
    }
}

bool Firmware::PathPresent(Path path) const
{
    std::lock_guard lock(mutex_);
    return path == Path::Cable ? cablePresent_ : receiverPresent_;
}

void Firmware::SetWireless(WirelessState state)
{
    std::lock_guard lock(mutex_);
    wireless_ = state;
}

WirelessState Firmware::Wireless() const
{
    std::lock_guard lock(mutex_);
    return wireless_;
}

bool Firmware::Reachable(Path via) const
{
    if (via == Path::Cable) {
        return true;
    }
    if (!HasReceiver(kind_) || wireless_ == WirelessState::Unpaired) {
        return false;
    }
    if (cablePresent_) {
        return true;
    }
    UpdateBattery();
    return wireless_ == WirelessState::Awake && battery_ > 0.0;
}

bool Firmware::IsReachable(Path via) const
{
    std::lock_guard lock(mutex_);
    return Reachable(via);
}

std::optional<Path> Firmware::NotificationPath() const
{
    std::lock_guard lock(mutex_);
    if (cablePresent_) {
        return Path::Cable;
    }
    if (receiverPresent_ && Reachable(Path::Receiver)) {
        return Path::Receiver;
    }
    return std::nullopt;
}

void Firmware::UpdateBattery() const
{
    const TimePoint now = clock_.Now();
    const double minutes = std::chrono::duration<double, std::ratio<60>>(now - batteryAt_).count();
    batteryAt_ = now;
    if (!HasReceiver(kind_) || minutes <= 0) {
        return;
    }
    if (cablePresent_) {
        battery_ = std::min(100.0, battery_ + chargePerMinute_ * minutes);
    } else {
        battery_ = std::max(0.0, battery_ - drainPerMinute_ * minutes);
    }
}

ChargeState Firmware::ChargeLocked() const
{
    if (!HasReceiver(kind_)) {
        return ChargeState::Powered;
    }
    if (cablePresent_) {
        return battery_ >= 100.0 ? ChargeState::Charged : ChargeState::Charging;
    }
    return ChargeState::Discharging;
}

void Firmware::SetBattery(int percent)
{
    std::lock_guard lock(mutex_);
    UpdateBattery();
    battery_ = std::clamp(percent, 0, 100);
}

int Firmware::BatteryPercent() const
{
    std::lock_guard lock(mutex_);
    UpdateBattery();
    return static_cast<int>(battery_ + 0.5 > 100 ? 100 : battery_ + 0.5);
}

ChargeState Firmware::Charge() const
{
    std::lock_guard lock(mutex_);
    UpdateBattery();
    return ChargeLocked();
}

void Firmware::SetBatteryRates(double drainPerMinute, double chargePerMinute)
{
    std::lock_guard lock(mutex_);
    UpdateBattery();
    drainPerMinute_ = std::max(0.0, drainPerMinute);
    chargePerMinute_ = std::max(0.0, chargePerMinute);
}

void Firmware::SetPhone(std::uint8_t phoneType)
{
    std::lock_guard lock(mutex_);
    phone_ = phoneType;
}

std::size_t Firmware::BlockBase(int bank) const
{
    return BlockAddress(kind_, bank);
}

int Firmware::ActiveBank() const
{
    std::lock_guard lock(mutex_);
    return memory_.block[0] % kBankCount;
}

bool Firmware::ConfigOpen() const
{
    std::lock_guard lock(mutex_);
    return configOpen_;
}

std::vector<std::uint16_t> Firmware::PressKey(OnBoardKey key)
{
    std::lock_guard lock(mutex_);
    UpdateBattery();
    if (wireless_ == WirelessState::Asleep && battery_ > 0.0) {
        wireless_ = WirelessState::Awake;   // a key press wakes a sleeping device
    }
    const bool notifies = kind_ != DeviceKind::Headset;   // the headset has no notification collection
    const int bank = memory_.block[0] % kBankCount;
    const std::size_t base = BlockBase(bank);
    std::vector<std::uint16_t> sent;
    switch (key) {
    case OnBoardKey::Profile: {
        const int next = (bank + 1) % kBankCount;
        memory_.block[0] = static_cast<std::uint8_t>(next);
        if (kind_ == DeviceKind::Keyboard) {
            sent = {notify::kProfileChanged, static_cast<std::uint16_t>(notify::kBank | next)};
        } else if (kind_ == DeviceKind::Mouse) {
            sent = {static_cast<std::uint16_t>(notify::kBank | next)};
        } else if (notifies) {
            sent = {notify::kSettingsChanged};
        }
        break;
    }
    case OnBoardKey::Dpi: {
        if (kind_ != DeviceKind::Mouse) {
            return {};
        }
        const int current = memory_.block[base + 12] % 5;
        int next = current;
        for (int step = 1; step <= 5; ++step) {
            const int candidate = (current + step) % 5;
            if (memory_.block[base + 14 + 9 * static_cast<std::size_t>(candidate)] != 0) {
                next = candidate;
                break;
            }
        }
        memory_.block[base + 12] = static_cast<std::uint8_t>(next);
        sent = {static_cast<std::uint16_t>(notify::kBankAndStage | (next << 4) | bank)};
        break;
    }
    case OnBoardKey::Light: {
        std::uint8_t& mode = memory_.block[base + 1];
        mode = static_cast<std::uint8_t>((mode + 1) % OnBoardModeCount(kind_));
        if (notifies) {
            sent = {notify::kSettingsChanged};
        }
        break;
    }
    case OnBoardKey::Layer: {
        if (kind_ != DeviceKind::Keyboard) {
            return {};
        }
        std::uint8_t& layer = memory_.block[base + 17];
        layer = static_cast<std::uint8_t>((layer + 1) % 4);
        sent = {static_cast<std::uint16_t>(notify::kBankAndStage | (layer << 4) | bank)};
        break;
    }
    case OnBoardKey::KeyPress:
        if (kind_ == DeviceKind::Keyboard || kind_ == DeviceKind::Mouse) {
            sent = {notify::kKeyPressed};
        }
        return sent;
    }
    SaveLocked();
    return sent;
}

void Firmware::AddFault(const FaultRule& rule)
{
    std::lock_guard lock(mutex_);
    faults_.push_back(rule);
}

void Firmware::ClearFaults()
{
    std::lock_guard lock(mutex_);
    faults_.clear();
}

DeviceMemory Firmware::Snapshot() const
{
    std::lock_guard lock(mutex_);
    return memory_;
}

} // namespace orvel::sim
