#include "devices/mouse_core.h"

#include "devicelink/command_frame.h"
#include "devicelink/command_sequence.h"
#include "devices/key_table_io.h"

#include <algorithm>

namespace orvel::devices {

namespace {

constexpr std::size_t kStageBytes = 9;
constexpr std::size_t kFirstStage = 14;

// Where each value of the mouse's system settings sits.
constexpr std::size_t kDoubleClick = 0;
constexpr std::size_t kPointerSpeed = 1;
constexpr std::size_t kPointerPrecision = 2;
constexpr std::size_t kScrollPage = 3;
constexpr std::size_t kScrollLines = 4;
constexpr std::size_t kPollingRate = 5;

std::uint16_t Word(int value)
{
    return static_cast<std::uint16_t>(std::clamp(value, 0, 0xFFFF));
}

// A polling-rate index outside 0..4 counts as 0, as the page shows it.
int PollingIndex(int index)
{
    return index >= 0 && index < kMousePollingRates ? index : 0;
}

} // namespace

const std::array<input::AssignmentCode, kMouseButtons>& MouseButtonCodes()
{
    static const std::array<input::AssignmentCode, kMouseButtons> codes = {{
        {0x10, 0x01, 0x00}, {0x10, 0x02, 0x00}, {0x10, 0x04, 0x00}, {0x10, 0x10, 0x00},
        {0x10, 0x08, 0x00}, {0x13, 0x01, 0x00}, {0x13, 0x02, 0x00}, {0x13, 0x03, 0x00},
        {0xA0, 0x1B, 0x00}, {0x16, 0x90, 0x01}, {0x14, 0x78, 0x02},
    }};
    return codes;
}

const std::array<const char*, kMouseButtons>& MouseButtonNameKeys()
{
    static const std::array<const char*, kMouseButtons> keys = {
        "mouse_key_left", "mouse_key_right",    "mouse_key_middle", "mouse_key_forward",   "mouse_key_back",
        "mouse_key_DPI_add", "mouse_key_DPI_sub", "mouse_key_DPI_loop", "keyboard_key_GM", "mouse_key_DPI_shift",
        "mouse_key_fire_key",
    };
    return keys;
}

MouseCore::MouseCore(CDeviceLink& link, DeviceFolders folders) : DeviceCore(2, link, std::move(folders))
{
    slotOfButton_.fill(kNoSlot);
}

void MouseCore::SetScreenSize(int width, int height)
{
    screenWidth_ = width;
    screenHeight_ = height;
}

void MouseCore::ForgetTables()
{
    tablesRead_ = false;
    factory_.fill(0);
    buttonCount_ = 0;
    slotOfButton_.fill(kNoSlot);
}

void MouseCore::Detach()
{
    DeviceCore::Detach();
    ForgetTables();
}

int MouseCore::LoadFromDevice()
{
    ForgetTables();
    if (!LinkOpen() || (ViaReceiver() && !Link().QueryWirelessLink())) {
        return kLinkNoAnswer;
    }
    std::array<std::uint8_t, kDeviceInfoSize> info{};
    KeyImage table{};
    CCommandSequence sequence(Link());
    sequence.Begin();
    RunKeyTableRead(sequence, info, table);
    const int status = sequence.End();
    if (status != kLinkOk) {
        return status;
    }
    info_ = info;
    factory_ = table;
    buttonCount_ = info[5];
    tablesRead_ = true;
    dpi_ = DpiRule::FromDeviceInfo(info_);
    for (int n = 0; n < kMouseButtons; ++n) {
        const auto& code = MouseButtonCodes()[static_cast<std::size_t>(n)];
        const int k = FindPhysicalKey(factory_, buttonCount_, code.type, code.b1, code.b2);
        if (k >= 0) {
            slotOfButton_[static_cast<std::size_t>(n)] = static_cast<std::uint8_t>(k);
        }
    }
    const int loaded = LoadProfile();
    ResendSettings();
    return loaded;
}

int MouseCore::ResyncFromDevice()
{
    std::uint8_t bank = 0;
    std::array<std::uint8_t, kMouseBlockRead> read{};
    if (const int status = ReadActiveBlock(bank, read, kMouseBankStride); status != kLinkOk) {
        return status;
    }
    block_ = read;
    block_[0] = bank;
    lastModeCode_ = read[1];
    if (const auto index = Modes().IndexOf(read[1])) {
        block_[1] = static_cast<std::uint8_t>(*index);
        light_.selectItem = static_cast<std::uint8_t>(*index);
    }
    block_[9] = 0;
    light_.light = read[2];
    light_.speed = static_cast<std::uint8_t>(4 - std::min<int>(read[3], 4));
    light_.multiColor = read[5];
    light_.red = read[6];
    light_.green = read[7];
    light_.blue = read[8];
    profile_.SetActiveDpiStage(std::min<int>(read[12], kMouseStages - 1));
    profile_.SetLightInfo(light_);
    return profile_.Save() ? kLinkOk : kProfileNotSaved;
}

void MouseCore::TakeProfile()
{
    keys_ = profile_.GetKeyList();
    LoadProfileState();
    stages_ = profile_.GetDpiStages();
    corrections_ = profile_.GetCorrectInfo();
    const auto words = profile_.GetMouseSystem();
    system_ = profiles::MouseSystemSettings::FromWords(words[0], words[1], words[2]);
}

int MouseCore::LoadProfile()
{
    return LoadProfileFrom(profile_, ProfileSource::User, [this] { TakeProfile(); });
}

int MouseCore::LoadDefaultProfile()
{
    return LoadProfileFrom(profile_, ProfileSource::Default, [this] { TakeProfile(); });
}

int MouseCore::LoadProfileState()
{
    light_ = profile_.GetLightInfo();
    lists_ = ReadLightLists(profile_);
    return kLinkOk;
}

MouseBlock MouseCore::BuildSettingsBlock(std::uint8_t value, std::uint8_t third) const
{
    MouseBlock block{};
    block[0] = value;
    const int item = light_.selectItem >= kMouseBuiltInModes ? 0 : light_.selectItem;
    block[1] = Modes().CodeAt(item).value_or(lastModeCode_);
    block[2] = std::min<std::uint8_t>(light_.light, 4);
    block[3] = static_cast<std::uint8_t>(4 - std::min<int>(light_.speed, 4));
    block[4] = light_.fx;
    block[5] = light_.multiColor;
    block[6] = light_.red;
    block[7] = light_.green;
    block[8] = light_.blue;
    block[11] = static_cast<std::uint8_t>(PollingIndex(system_.values[kPollingRate]));
    block[12] = static_cast<std::uint8_t>(std::clamp(profile_.GetActiveDpiStage(), 0, kMouseStages - 1));
    for (std::size_t i = 0; i < std::min<std::size_t>(stages_.size(), kMouseStages); ++i) {
        const auto bytes = stages_[i].ToBytes();
        std::copy(bytes.begin(), bytes.end(), block.begin() + static_cast<std::ptrdiff_t>(kFirstStage + kStageBytes * i));
    }
    block[59] = third;
    block[60] = static_cast<std::uint8_t>(screenWidth_);
    block[61] = static_cast<std::uint8_t>(screenWidth_ >> 8);
    block[62] = static_cast<std::uint8_t>(screenHeight_);
    block[63] = static_cast<std::uint8_t>(screenHeight_ >> 8);
    for (const auto& correct : corrections_) {
        if (correct.select != 0) {
            block[64] = correct.minSq;
            block[65] = correct.pixThresh;
            break;
        }
    }
    return block;
}

int MouseCore::WriteSettings(int bank, std::uint8_t value, std::uint8_t third)
{
    return WriteSettingsBlock(BuildSettingsBlock(value, third), static_cast<std::uint16_t>(kMouseBankStride * bank));
}

bool MouseCore::ValidateKeyMacros()
{
    const bool changed = ResetUnlistedMacros(keys_, MacroCount());
    if (changed) {
        profile_.SetKeyAssignments(keys_);
    }
    return changed;
}

std::vector<int> MouseCore::GetMacroList() const
{
    return MacrosInUse(MapKeys(keys_, slotOfButton_, kNoSlot), MacroCount());
}

int MouseCore::WriteKeyAssignments(int bank, const std::vector<profiles::KeyEntry>& keys)
{
    if (!tablesRead_ || !LinkOpen()) {
        return kLinkNoAnswer;
    }
    std::array<std::uint8_t, kDeviceInfoSize> info{};
    CCommandSequence sequence(Link());
    if (sequence.Run([&](CDeviceLink& l) { return l.ReadDeviceInfo(info); }) != kLinkOk) {
        return sequence.Status();
    }
    const std::size_t tableBytes = static_cast<std::size_t>(buttonCount_) * 3;
    const KeyImage image = BuildKeyImage(std::span(factory_.data(), tableBytes), MapKeys(keys, slotOfButton_, kNoSlot), MacroCount());
    sequence.Begin();
    RunKeyTableWrite(sequence, image, tableBytes, bank);
    return sequence.End();
}

ImageWriteResult MouseCore::WriteMacros(const std::vector<int>& macros)
{
    if (!tablesRead_) {
        return {};
    }
    return WriteMacroImage(Link(), Folders().profileFolder, macros, info_[6]);
}

ImageWriteResult MouseCore::WriteShootData()
{
    if (!tablesRead_ || !Reachable()) {
        return {};
    }
    return WriteShootImage(Link(), Folders().profileFolder);
}

SequenceResult MouseCore::SwitchProfile()
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
    if (macros.KeysMayFollow()) {
        result.Take(WriteCurrentKeys(0));
    }
    return result;
}

SequenceResult MouseCore::RestoreDefaults()
{
    return RestoreSequence([this] { return WriteCurrentKeys(0); }, [this] { return WriteSettings(); });
}

SequenceResult MouseCore::ApplyLight(const profiles::LightRecord& record)
{
    return StoreLightAndWrite(profile_, record, [this] { return WriteSettings(); });
}

NotifyEffect MouseCore::ApplyNotification(const NotifyMeaning& meaning)
{
    NotifyEffect effect = DeviceCore::ApplyNotification(meaning);
    if (meaning.action == NotifyAction::KeyPress) {
        effect.keyPress = true;
    } else if (meaning.action == NotifyAction::Bank && LinkOpen()) {
        block_[0] = static_cast<std::uint8_t>(meaning.bank);
        if (meaning.upper >= 0) {
            // The stage the mouse moved to is the current stage the page shows and writes next.
            const int stage = std::min(meaning.upper, kMouseStages - 1);
            block_[12] = static_cast<std::uint8_t>(stage);
            profile_.SetActiveDpiStage(stage);
            profile_.Save();
        }
        effect.refreshPage = true;
    }
    return effect;
}

int MouseCore::StoreStagesAndWrite()
{
    profile_.SetDpiStages(stages_);
    // The mouse gets the change first, so that the save's syncs to disk do not delay it; the
    // profile is saved whatever the mouse answered.
    const int written = WriteSettings();
    return SavedThenWritten(profile_.Save(), written);
}

profiles::DpiStage& MouseCore::StageAt(int stage)
{
    if (stages_.size() <= static_cast<std::size_t>(stage)) {
        stages_.resize(static_cast<std::size_t>(stage) + 1);
    }
    return stages_[static_cast<std::size_t>(stage)];
}

int MouseCore::SetStageLevel(int stage, int level)
{
    if (stage < 0 || stage >= kMouseStages) {
        return kLinkInvalidArgument;
    }
    const int top = tablesRead_ ? dpi_.levels : 0xFFFF;
    StageAt(stage).levelX = static_cast<std::uint16_t>(std::clamp(level, 0, top));
    return StoreStagesAndWrite();
}

int MouseCore::SetStageDpi(int stage, std::string_view typed)
{
    const auto level = dpi_.DpiToLevel(typed);
    if (!level) {
        return kLinkInvalidArgument;
    }
    return SetStageLevel(stage, *level);
}

int MouseCore::SetStageEnabled(int stage, bool enabled)
{
    if (stage < 0 || stage >= kMouseStages) {
        return kLinkInvalidArgument;
    }
    if (!enabled) {
        int othersOn = 0;
        for (std::size_t i = 0; i < stages_.size(); ++i) {
            othersOn += static_cast<int>(i) != stage && stages_[i].enabled != 0;
        }
        if (stage == profile_.GetActiveDpiStage() || othersOn == 0) {
            return kLinkInvalidArgument;
        }
    }
    StageAt(stage).enabled = enabled ? 1 : 0;
    return StoreStagesAndWrite();
}

int MouseCore::SetStageColour(int stage, std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    if (stage < 0 || stage >= kMouseStages) {
        return kLinkInvalidArgument;
    }
    profiles::DpiStage& s = StageAt(stage);
    s.red = red;
    s.green = green;
    s.blue = blue;
    return StoreStagesAndWrite();
}

int MouseCore::SelectStage(int stage, std::span<const int> levels)
{
    if (stage < 0 || stage >= kMouseStages) {
        return kLinkInvalidArgument;
    }
    profile_.SetActiveDpiStage(stage);
    const int top = tablesRead_ ? dpi_.levels : 0xFFFF;
    for (std::size_t i = 0; i < std::min<std::size_t>(levels.size(), kMouseStages); ++i) {
        StageAt(static_cast<int>(i)).levelX = static_cast<std::uint16_t>(std::clamp(levels[i], 0, top));
    }
    return StoreStagesAndWrite();
}

int MouseCore::StoreSystem(bool write)
{
    const auto words = system_.ToWords();
    profile_.SetMouseSystem(words[0], words[1], words[2]);
    if (!write) {
        return profile_.Save() ? kLinkOk : kProfileNotSaved;
    }
    const int written = WriteSettings();
    return SavedThenWritten(profile_.Save(), written);
}

int MouseCore::SetPollingRate(int index)
{
    system_.values[kPollingRate] = static_cast<std::uint16_t>(PollingIndex(index));
    return StoreSystem(true);
}

int MouseCore::PollingRate() const
{
    return PollingIndex(system_.values[kPollingRate]);
}

int MouseCore::Setting(MouseSetting setting) const
{
    switch (setting) {
    case MouseSetting::DoubleClick: return system_.values[kDoubleClick];
    case MouseSetting::PointerSpeed: return system_.values[kPointerSpeed];
    case MouseSetting::PointerPrecision: return system_.values[kPointerPrecision];
    case MouseSetting::ScrollLines: return system_.values[kScrollLines];
    case MouseSetting::ScrollPage: return system_.values[kScrollPage];
    }
    return 0;
}

int MouseCore::SetSetting(MouseSetting setting, int value, int lines)
{
    switch (setting) {
    case MouseSetting::DoubleClick: system_.values[kDoubleClick] = Word(value); break;
    case MouseSetting::PointerSpeed: system_.values[kPointerSpeed] = Word(value); break;
    case MouseSetting::PointerPrecision: system_.values[kPointerPrecision] = value != 0; break;
    case MouseSetting::ScrollLines:
        system_.values[kScrollLines] = Word(value);
        system_.values[kScrollPage] = 0;
        break;
    case MouseSetting::ScrollPage:
        system_.values[kScrollPage] = value != 0;
        system_.values[kScrollLines] = Word(lines);
        break;
    }
    return StoreSystem(false);
}

} // namespace orvel::devices
