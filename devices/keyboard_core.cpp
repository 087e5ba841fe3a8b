#include "devices/keyboard_core.h"

#include "devicelink/command_frame.h"
#include "devicelink/command_sequence.h"
#include "devices/key_table_io.h"
#include "lighting/colour.h"
#include "lighting/frame_output.h"

#include <algorithm>
#include <utility>

namespace orvel::devices {

std::atomic<bool> KeyboardCore::profileChanged_{false};

namespace {

// Indexes of the keyboard's six system values.
constexpr std::size_t kRepeat = 0;
constexpr std::size_t kRepeatDelay = 1;
constexpr std::size_t kKey6Flag = 2;
constexpr std::size_t kPollingRate = 3;
constexpr std::size_t kWFlag = 4;
constexpr std::size_t kWinFlag = 5;

bool IsHostRendered(int mode)
{
    return mode == kAudioMode || mode == kColourInputMode;
}

} // namespace

KeyboardCore::KeyboardCore(CDeviceLink& link, DeviceFolders folders) : DeviceCore(1, link, std::move(folders))
{
    keyOfPosition_.fill(kNoneIndex);
    ledOfPosition_.fill(kNoneIndex);
}

void KeyboardCore::ForgetTables()
{
    tablesRead_ = false;
    factory_.fill(0);
    ledTable_.fill(0);
    keyCount_ = 0;
    keyOfPosition_.fill(kNoneIndex);
    ledOfPosition_.fill(kNoneIndex);
}

void KeyboardCore::Detach()
{
    DeviceCore::Detach();
    ForgetTables();
}

int KeyboardCore::LoadFromDevice()
{
    ForgetTables();
    int status = kLinkNoAnswer;
    if (LinkOpen()) {
        std::array<std::uint8_t, kDeviceInfoSize> info{};
        KeyImage keys{};
        KeyImage leds{};
        CCommandSequence sequence(Link());
        sequence.Begin();
        RunKeyTableRead(sequence, info, keys);
        sequence.Run([&](CDeviceLink& l) { return l.ReadKeyTableExtra(leds); });
        status = sequence.End();
        if (status == kLinkOk) {
            info_ = info;
            factory_ = keys;
            ledTable_ = leds;
            keyCount_ = info[5];
            tablesRead_ = true;
        }
    }
    if (tablesRead_) {
        const auto& codes = KeyboardPositionCodes();
        for (int j = 0; j < kKeyboardPositions; ++j) {
            if (IsUnmatchedPosition(j)) {
                continue;
            }
            const auto& code = codes[static_cast<std::size_t>(j)];
            const int k = FindPhysicalKey(factory_, keyCount_, code.type, code.b1, code.b2);
            if (k < 0) {
                continue;
            }
            keyOfPosition_[static_cast<std::size_t>(j)] = static_cast<std::uint8_t>(k);
            const std::uint8_t led = ledTable_[static_cast<std::size_t>(k)];
            // An LED whose three bytes would pass the 512-byte frame is no LED.
            if (led != kNoneIndex && std::size_t(led) * 3 + 2 < lighting::kFrameBytes) {
                ledOfPosition_[static_cast<std::size_t>(j)] = led;
            }
        }
    }
    const int loaded = LoadProfile();
    ReadSettingsBlock();
    return status != kLinkOk ? status : loaded;
}

int KeyboardCore::ResyncFromDevice()
{
    if (profileChanged_.load()) {
        LoadProfile();
        profileChanged_ = false;
    }
    return ReadSettingsBlock();
}

int KeyboardCore::ReadSettingsBlock()
{
    std::uint8_t active = 0;
    KeyboardBlock read{};
    if (const int status = ReadActiveBlock(active, read, kKeyboardProfileStride); status != kLinkOk) {
        return status;
    }
    const int previousMode = settings_.mode;
    block_ = read;
    lastModeCode_ = read[1];
    const int index = Modes().IndexOf(read[1]).value_or(read[1]);
    block_[1] = static_cast<std::uint8_t>(index);
    block_[16] = 0;
    settings_.activeProfile = active;
    if (read[1] != kHostRenderedCode) {
        settings_.mode = index;
    }
    settings_.brightness = std::min<int>(read[2], 4);
    settings_.speed = 4 - std::min<int>(read[3], 4);
    settings_.direction = read[4];
    settings_.multiColor = read[5];
    settings_.red = read[6];
    settings_.green = read[7];
    settings_.blue = read[8];
    settings_.zzccLedMode = read[18];
    settings_.customGroup = read[25];
    if (settings_.mode != previousMode || settings_.mode == kCustomColourMode) {
        lightRestart_ = true;
    }
    light_.selectItem = static_cast<std::uint8_t>(settings_.mode);
    light_.light = static_cast<std::uint8_t>(settings_.brightness);
    light_.speed = static_cast<std::uint8_t>(settings_.speed);
    light_.fx = static_cast<std::uint8_t>(settings_.direction);
    light_.multiColor = static_cast<std::uint8_t>(settings_.multiColor);
    light_.red = settings_.red;
    light_.green = settings_.green;
    light_.blue = settings_.blue;
    light_.zzccLedMode = static_cast<std::uint8_t>(settings_.zzccLedMode);
    light_.customGroup = static_cast<std::uint8_t>(settings_.customGroup);
    system_.values[kWFlag] = read[19];
    system_.values[kKey6Flag] = read[20];
    system_.values[kWinFlag] = read[21];
    const auto words = system_.ToWords();
    profile_.SetKeyboardSystem(words[0], words[1], words[2]);
    profile_.SetLightInfo(light_);
    return profile_.Save() ? kLinkOk : kProfileNotSaved;
}

bool KeyboardCore::TakeLightRestart()
{
    return std::exchange(lightRestart_, false);
}

void KeyboardCore::TakeDecodedLight(int previousMode)
{
    settings_.mode = light_.selectItem;
    settings_.brightness = std::min<int>(light_.light, 4);
    settings_.speed = std::min<int>(light_.speed, 4);
    settings_.direction = light_.fx;
    settings_.multiColor = light_.multiColor;
    settings_.red = light_.red;
    settings_.green = light_.green;
    settings_.blue = light_.blue;
    settings_.customGroup = light_.customGroup;
    if (settings_.mode != previousMode || settings_.mode == kCustomColourMode) {
        lightRestart_ = true;
    }
}

int KeyboardCore::LoadProfileState()
{
    const int previousMode = settings_.mode;
    light_ = profile_.GetLightInfo();
    audio_ = profile_.GetAudioLightInfo();
    TakeDecodedLight(previousMode);
    return kLinkOk;
}

void KeyboardCore::TakeProfile()
{
    keys_ = profile_.GetKeyList();
    LoadProfileState();
    const auto words = profile_.GetKeyboardSystem();
    system_ = profiles::KeyboardSystemSettings::FromWords(words[0], words[1], words[2]);
}

int KeyboardCore::LoadProfile()
{
    return LoadProfileFrom(profile_, ProfileSource::User, [this] { TakeProfile(); });
}

int KeyboardCore::LoadDefaultProfile()
{
    return LoadProfileFrom(profile_, ProfileSource::Default, [this] { TakeProfile(); });
}

KeyboardBlock KeyboardCore::BuildSettingsBlock(std::uint8_t value) const
{
    KeyboardBlock block = block_;
    block[0] = value;
    const int mode = light_.selectItem;
    block[1] = IsHostRendered(mode) ? kHostRenderedCode : Modes().CodeAt(mode).value_or(lastModeCode_);
    block[2] = std::min<std::uint8_t>(light_.light, 4);
    block[3] = static_cast<std::uint8_t>(4 - std::min<int>(light_.speed, 4));
    block[4] = light_.fx;
    block[5] = light_.multiColor;
    block[6] = light_.red;
    block[7] = light_.green;
    block[8] = light_.blue;
    block[16] = 0;
    block[18] = light_.zzccLedMode;
    block[19] = static_cast<std::uint8_t>(system_.values[kWFlag]);
    block[20] = static_cast<std::uint8_t>(system_.values[kKey6Flag]);
    block[21] = static_cast<std::uint8_t>(system_.values[kWinFlag]);
    block[22] = static_cast<std::uint8_t>(system_.values[kPollingRate]);
    block[25] = light_.customGroup;
    return block;
}

int KeyboardCore::WriteSettings(int profile, std::uint8_t value)
{
    return WriteSettingsBlock(BuildSettingsBlock(value), static_cast<std::uint16_t>(kKeyboardProfileStride * profile));
}

bool KeyboardCore::ValidateKeyMacros()
{
    const bool changed = ResetUnlistedMacros(keys_, MacroCount());
    if (changed) {
        profile_.SetKeyAssignments(keys_);
        WriteKeyAssignments(0, keys_);
    }
    return changed;
}

std::vector<int> KeyboardCore::GetMacroList() const
{
    return MacrosInUse(MapKeys(keys_, keyOfPosition_, kNoneIndex), MacroCount());
}

int KeyboardCore::RefreshUnits()
{
    std::array<std::uint8_t, kDeviceInfoSize> info{};
    const int status = MaySend(Link()) ? Link().ReadDeviceInfo(info) : kLinkNoAnswer;
    if (status == kLinkOk && info[5] == keyCount_) {
        info_ = info;
    }
    return status;
}

int KeyboardCore::WriteKeyAssignments(int bank, const std::vector<profiles::KeyEntry>& keys)
{
    if (!tablesRead_ || !LinkOpen()) {
        return kLinkNoAnswer;
    }
    if (const int status = RefreshUnits(); status != kLinkOk) {
        return status;
    }
    const std::size_t tableBytes = static_cast<std::size_t>(keyCount_) * 3;
    const KeyImage image = BuildKeyImage(std::span(factory_.data(), tableBytes), MapKeys(keys, keyOfPosition_, kNoneIndex), MacroCount());
    CCommandSequence sequence(Link());
    sequence.Begin();
    RunKeyTableWrite(sequence, image, tableBytes, bank);
    return sequence.End();
}

ImageWriteResult KeyboardCore::WriteMacros(const std::vector<int>& macros)
{
    if (!tablesRead_) {
        return {};
    }
    if (LinkOpen()) {
        RefreshUnits();
    }
    return WriteMacroImage(Link(), Folders().profileFolder, macros, info_[6]);
}

std::size_t KeyboardCore::FrameBytes() const
{
    std::size_t bytes = static_cast<std::size_t>(keyCount_) * 3;
    for (const std::uint8_t led : ledOfPosition_) {
        if (led != kNoneIndex) {
            bytes = std::max(bytes, std::size_t(led) * 3 + 3);
        }
    }
    return std::min(bytes, lighting::kFrameBytes);
}

int KeyboardCore::SendLightFrame(const lighting::LedBuffer& leds)
{
    if (!HostLightControl() || !IsHostRendered(settings_.mode) || !tablesRead_) {
        return 0;
    }
    lighting::Frame frame{};
    lighting::PackKeyboardFrame(leds, ledOfPosition_, frame);
    return Link().WriteLightStream(std::span(frame.data(), FrameBytes())) == kLinkOk ? 0 : kFailedFramePauseMs;
}

int KeyboardCore::SendCustomGroup(int group, const std::vector<profiles::CustomColour>& colours, bool scaled)
{
    if (settings_.mode != kCustomColourMode || !tablesRead_ || group < 0 || group >= kCustomGroupLimit) {
        return 0;
    }
    lighting::Frame image{};
    const std::size_t count = std::min<std::size_t>(colours.size(), kKeyboardPositions);
    for (std::size_t j = 0; j < count; ++j) {
        const std::uint8_t led = ledOfPosition_[j];
        if (led == kNoneIndex) {
            continue;
        }
        const auto& c = colours[j];
        const std::size_t at = std::size_t(led) * 3;
        image[at] = scaled ? lighting::Scale(c.red, c.alpha) : c.red;
        image[at + 1] = scaled ? lighting::Scale(c.green, c.alpha) : c.green;
        image[at + 2] = scaled ? lighting::Scale(c.blue, c.alpha) : c.blue;
    }
    const int status = Link().WriteLightFrame(std::span(image.data(), FrameBytes()), static_cast<std::uint16_t>(group),
                                              kCustomGroupStride);
    return status == kLinkOk ? 0 : kFailedFramePauseMs;
}

int KeyboardCore::LoadCustomGroup(lighting::LedBuffer& leds)
{
    const int group = profile_.GetCustomGroupIndex();
    const auto colours = profile_.GetCustomColours(group, kKeyboardPositions);
    for (std::size_t j = 0; j < colours.size(); ++j) {
        const auto& c = colours[j];
        leds.SetLedColor(static_cast<int>(j), lighting::PackLed({c.red, c.green, c.blue}, c.alpha));
    }
    return SendCustomGroup(group, colours);
}

SequenceResult KeyboardCore::SwitchProfile(lighting::LedBuffer& leds)
{
    SequenceResult result;
    result.TakeLoad(LoadProfile() == kLinkOk);
    if (result.status != kLinkOk) {
        return result;
    }
    ValidateKeyMacros();
    // Each write goes out only while the ones before it reached the device.
    result.Take(WriteSettings());
    if (result.status != kLinkOk) {
        return result;
    }
    const ImageWriteResult macros = WriteMacros(GetMacroList());
    TakeMacroWrite(result, macros, info_[6]);
    LoadCustomGroup(leds);
    if (macros.KeysMayFollow()) {
        result.Take(WriteCurrentKeys(0));
    }
    return result;
}

SequenceResult KeyboardCore::RestoreDefaults()
{
    return RestoreSequence([this] { return WriteCurrentKeys(0); }, [this] { return WriteSettings(); });
}

SequenceResult KeyboardCore::ApplyLight(const profiles::LightRecord& record)
{
    return StoreLightAndWrite(profile_, record, [this] { return WriteSettings(); });
}

SequenceResult KeyboardCore::SetOption(KeyboardOption option, int value)
{
    SequenceResult result;
    bool write = true;
    switch (option) {
    case KeyboardOption::PollingRate:
        system_.values[kPollingRate] = static_cast<std::uint16_t>(value >= 0 && value <= 3 ? value : 0);
        break;
    case KeyboardOption::WinLock:
        system_.values[kWinFlag] = value != 0;
        break;
    case KeyboardOption::WFlag:
        system_.values[kWFlag] = value != 0;
        break;
    case KeyboardOption::SixKey:
        system_.values[kKey6Flag] = value != 0;
        break;
    case KeyboardOption::Repeat:
        system_.values[kRepeat] = static_cast<std::uint16_t>(std::clamp(value, 0, 0xFFFF));
        write = false;
        break;
    case KeyboardOption::RepeatDelay:
        system_.values[kRepeatDelay] = static_cast<std::uint16_t>(value >= 0 && value <= 3 ? value : 0);
        write = false;
        break;
    }
    const auto words = system_.ToWords();
    profile_.SetKeyboardSystem(words[0], words[1], words[2]);
    const bool saved = profile_.Save();
    if (write) {
        result.Take(WriteSettings());
    }
    result.TakeSave(saved);
    return result;
}

NotifyEffect KeyboardCore::ApplyNotification(const NotifyMeaning& meaning)
{
    NotifyEffect effect = DeviceCore::ApplyNotification(meaning);
    if (meaning.action == NotifyAction::ProfileChanged) {
        profileChanged_ = true;
        effect.resyncAfterMs = meaning.resyncDelayMs;
    } else if (meaning.action == NotifyAction::Bank && LinkOpen()) {
        settings_.activeProfile = meaning.bank;
        if (meaning.upper >= 0) {
            block_[17] = static_cast<std::uint8_t>(meaning.upper);
        }
        effect.refreshPage = true;
    }
    return effect;
}

} // namespace orvel::devices
