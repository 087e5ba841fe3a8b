#pragma once
// The firmware of one emulated device: its memories and the command protocol, reached over
// its cable, its receiver, or both (one device, one memory). Transport-free: a command
// report goes in, an answer (or none) comes out with the delay and faults the device adds;
// on-board keys return the notification usages the device sends.

#include "sim/devices/clock.h"
#include "sim/devices/command_frame.h"
#include "sim/devices/identities.h"

#include <json/value.h>

#include <array>
#include <chrono>
#include <deque>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orvel::sim {

inline constexpr int kBankCount = 5;
inline constexpr std::size_t kInfoSize = 34;
inline constexpr std::size_t kKeyTableSize = 512;
inline constexpr std::size_t kMouseBankStride = 128;
inline constexpr std::size_t kProfileStride = 30;          // keyboard, mouse pad, headset
inline constexpr std::size_t kStatusSize = 16;             // the area ReadSmall reads
inline constexpr std::size_t kLightGroupSize = 512;
inline constexpr int kLightGroups = 8;
inline constexpr std::uint16_t kFirmwareVersion = 0x0105;

// Notification usages sent on the consumer-control collection.
namespace notify {
inline constexpr std::uint16_t kSettingsChanged = 0x0401;
inline constexpr std::uint16_t kProfileChanged = 0x0402;
inline constexpr std::uint16_t kKeyPressed = 0x0403;
inline constexpr std::uint16_t kBank = 0x1000;        // | bank
inline constexpr std::uint16_t kBankAndStage = 0x1100; // | stage << 4 | bank
} // namespace notify

enum class WirelessState { Awake, Asleep, OutOfRange, Unpaired };
enum class ChargeState : std::uint8_t { Powered = 0, Charging = 1, Charged = 2, Discharging = 3 };
enum class OnBoardKey { Profile, Dpi, Light, Layer, KeyPress };

enum class FaultAction { Drop, Late, BadChecksumStatus, RejectedStatus, Unplug };

// One scripted fault: applies to frames of `command` (any when nullopt) arriving through
// `path` (either when nullopt), after `skip` such frames have passed, `times` times
// (for ever when negative).
struct FaultRule {
    std::optional<std::uint8_t> command;
    std::optional<Path> path;
    FaultAction action = FaultAction::Drop;
    int skip = 0;
    int times = 1;
    std::chrono::milliseconds lateBy{6000};
};

// One command report as the device received it, with the status its answer carried (none when
// it went unanswered: dropped, unplugged, or through a receiver that is not its device's).
struct ReceivedFrame {
    Path via = Path::Cable;
    Frame request{};
    std::optional<std::uint8_t> status;
};

// How many received frames a device keeps (the oldest go first).
inline constexpr std::size_t kReceivedFrameLog = 1024;

struct Reaction {
    std::optional<Frame> answer;
    std::chrono::milliseconds extraDelay{0};
    bool unplug = false;          // the path the command came through goes away, unanswered
};

struct HeadsetPicture {
    // Per light bank (0x22, 0x44): red, green and blue of the 13 LEDs.
    std::array<std::array<std::uint8_t, 13>, 3> bank22{};
    std::array<std::array<std::uint8_t, 13>, 3> bank44{};
    int framesCompleted = 0;
};

struct DeviceMemory {
    std::vector<std::uint8_t> info;          // 34-byte information record
    std::vector<std::uint8_t> block;         // settings blocks; address 0 = active bank
    std::vector<std::uint8_t> factoryKeys;   // 512 bytes, what ReadKeyTable returns
    std::vector<std::uint8_t> keyTable;      // 512 bytes, what WriteKeyTable stored
    std::vector<std::uint8_t> ledTable;      // 512 bytes, what ReadKeyTableExtra returns
    std::vector<std::uint8_t> macros;        // last accepted macro image (empty: none)
    std::vector<std::uint8_t> shoot;         // last accepted shoot image (empty: none)
    std::vector<std::uint8_t> lightGroups;   // custom colour groups, 512 bytes each
    std::vector<std::uint8_t> ledPicture;    // LED RAM written by the light stream
    HeadsetPicture headset;
    bool hostLightControl = false;
    std::string lastRefusal;                 // why the last image or frame was refused
};

class Firmware {
public:
    Firmware(DeviceKind kind, const Clock& clock);

    DeviceKind Kind() const { return kind_; }

    // A report written to the vendor collection (report id 4) through `via`.
    Reaction HandleCommand(Path via, std::span<const std::uint8_t> report);
    // A headset light report (report id 0xFF, 17 bytes); others are ignored.
    void HandleLightReport(std::span<const std::uint8_t> report);

    // Which paths are plugged in; the cable charges the battery and wakes the device.
    void SetPathPresent(Path path, bool present);
    bool PathPresent(Path path) const;
    void SetWireless(WirelessState state);
    WirelessState Wireless() const;
    // True when a command through `via` reaches the device itself.
    bool IsReachable(Path via) const;
    // The path notifications go out on: the cable when plugged, else a reachable receiver.
    std::optional<Path> NotificationPath() const;

    void SetBattery(int percent);
    int BatteryPercent() const;
    ChargeState Charge() const;
    // Percent per minute; the defaults drain 1 %/min on battery and charge 6 %/min by cable.
    void SetBatteryRates(double drainPerMinute, double chargePerMinute);
    void SetPhone(std::uint8_t phoneType);   // the pad: 0 none, 1 iPhone, 2 Samsung, 3 other

    // Presses an on-board key; returns the notification usages the device sends (empty when
    // the kind has no such key).
    std::vector<std::uint16_t> PressKey(OnBoardKey key);

    void AddFault(const FaultRule& rule);
    void ClearFaults();

    DeviceMemory Snapshot() const;
    // The command reports received since the last call, oldest first.
    std::vector<ReceivedFrame> TakeReceived();
    int ActiveBank() const;
    bool ConfigOpen() const;

    // Memory kept in a JSON file: loaded now when it exists, saved after every change of
    // stored memory. False when an existing file could not be used (defaults kept).
    bool UseMemoryFile(const std::filesystem::path& file);
    Json::Value MemoryToJson() const;
    bool MemoryFromJson(const Json::Value& json);

private:
    struct Staged {
        std::vector<std::uint8_t> bytes;
        std::size_t extent = 0;
        bool touched = false;
    };

    Frame Execute(Path via, const Frame& request);
    void Log(Path via, const Frame& request, std::optional<std::uint8_t> status);
    std::uint8_t Read(std::span<const std::uint8_t> source, const Frame& request, Frame& answer);
    std::uint8_t Write(std::vector<std::uint8_t>& target, const Frame& request);
    bool RequireConfig();
    bool Reachable(Path via) const;
    ChargeState ChargeLocked() const;
    std::uint8_t Stage(Staged& staged, const Frame& request);
    std::uint8_t EndConfig();
    bool Supports(std::uint8_t command) const;
    std::optional<FaultAction> TakeFault(Path via, std::uint8_t command, std::chrono::milliseconds& lateBy);
    void UpdateBattery() const;
    std::size_t BlockBase(int bank) const;
    void SaveLocked() const;
    Json::Value MemoryJsonLocked() const;
    std::vector<std::uint8_t> StatusBytesLocked(Path via) const;

    const DeviceKind kind_;
    const Clock& clock_;
    mutable std::mutex mutex_;
    DeviceMemory memory_;
    bool configOpen_ = false;
    bool dirty_ = false;            // stored memory changed since the last save
    Staged stagedMacros_;
    Staged stagedShoot_;
    std::size_t macroCapacity_ = 0;
    std::size_t shootCapacity_ = 0;
    bool cablePresent_ = false;
    bool receiverPresent_ = false;
    WirelessState wireless_ = WirelessState::Awake;
    mutable double battery_ = 100.0;
    mutable TimePoint batteryAt_;
    double drainPerMinute_ = 1.0;
    double chargePerMinute_ = 6.0;
    std::uint8_t phone_ = 0;
    std::vector<FaultRule> faults_;
    std::deque<ReceivedFrame> received_;
    std::filesystem::path memoryFile_;
};

// Factory contents of a kind's memories.
DeviceMemory FactoryMemory(DeviceKind kind);
// Address of the settings block of a bank: 128 x bank (mouse) or 30 x bank (the others).
std::size_t BlockAddress(DeviceKind kind, int bank);
// The payload bytes per frame of a chunked command on the path: the link of a mouse pad or a
// headset carries 24, a keyboard's or a mouse's 56 by cable and 24 through the receiver.
std::size_t LinkChunk(DeviceKind kind, Path via);
// Whether the command moves its data in chunks (length in byte 4, offset in bytes 5-6).
bool IsChunkedCommand(std::uint8_t command);
// Number of light modes the device cycles through with its on-board light key.
int OnBoardModeCount(DeviceKind kind);

} // namespace orvel::sim
